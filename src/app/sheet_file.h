// The teaching sheet as a file (JSON, UTF-8) for scripts: written by a collecting run, filled in
// by a person or a script, and taught as one page.
#pragma once

#include <filesystem>
#include <string>

#include "ocr/glyph_sheet.h"
#include "ocr/recogniser.h"
#include "text/result.h"

namespace app {

// The sheet as JSON: {"version":1,"subtitle":PATH (sheet.Subtitle()),"shapes":[SHAPE...]} where
// each SHAPE is
//   {"id":N (1-based), "key":K, "features":FEATURELINE, "count":C,
//    "first":{"row":R,"picture":NAME,"line":L,"box":[LEFT,TOP,WIDTH,HEIGHT]},
//    "occurrences":[[R,NAME,L,LEFT,TOP,WIDTH,HEIGHT]...],
//    "candidates":[{"text":T,"sources":["reference"|"ocr"|"library"...],"confidence":0..100,
//                   "distance":D (-1 when no library shape reads T)}...],
//    "text":"", "noise":false}
// Boxes are in grid coordinates (the picture below its trimmed top rows). Texts are UTF-8.
std::string SheetToJson(const ocr::GlyphSheet& sheet);

// Writes SheetToJson to `file` (atomic write). Error "io".
text::Status WriteSheetFile(const std::filesystem::path& file, const ocr::GlyphSheet& sheet);

// Reads a sheet file: the subtitle's path and the shapes with their features, key, occurrences,
// candidates, text (to GBK) and noise mark; glyph pictures are not part of the file. Error "io"
// when it cannot be read, "format" (naming the byte offset or the shape) when it is not such a file
// or a text has no GBK form.
text::Result<ocr::GlyphSheet> ReadSheetFile(const std::filesystem::path& file);

// What teaching a sheet file did.
struct SheetTeaching {
  ocr::PageTeaching page;
  int filled = 0;      // shapes whose text is filled in and that are not noise
  int mismatched = 0;  // filled shapes whose first box no longer gives their FeatureLine: left out
};

// Teaches every filled-in shape of `sheet` as one page (ocr::TeachPage): each shape's glyph
// picture is taken again from its first occurrence (the picture of `document`'s picture
// folder, prepared by `recogniser`), and a shape whose box there no longer gives the same
// FeatureLine under the recogniser's options is left out and counted. Errors from loading a
// picture ("io", "format", "size") or from the library; nothing is taught then.
text::Result<SheetTeaching> TeachSheet(ocr::Recogniser& recogniser,
                                       const std::filesystem::path& picture_folder,
                                       ocr::GlyphSheet& sheet);

}  // namespace app
