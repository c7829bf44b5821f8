// Where the picture a row of a picture subtitle names lies: the one place that turns a picture
// name into a file, so that every reader and writer of pictures keeps to the subtitle's folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "document/subtitle_document.h"
#include "text/result.h"

namespace document {

// A picture name resolved against the folder of its subtitle.
struct PictureLocation {
  std::filesystem::path path;  // the file to read or write
  // False when the name leaves the folder: an absolute name, or one whose ".." steps climb
  // above the folder (judged on the names alone; links inside the folder are not followed).
  bool inside = true;
};

// True when the picture name `name` (GBK or UTF-8 bytes: neither encoding puts '/' or '.' inside
// a character) stays in its folder: it is relative and its ".." steps never climb above the
// start. Allocates nothing.
bool NameStaysInside(std::string_view name);

// True when `document` may use the picture `name`: it stays inside the picture folder, or the
// document allows pictures outside it. Allocates nothing.
bool PictureNameAllowed(const SubtitleDocument& document, std::string_view name);

// Resolves the picture name `name` (GBK bytes, as the subtitle gives them) against `folder`.
// The name is converted to UTF-8, the file system's encoding (text::GbkToUtf8); when no file has
// that name but one has the raw bytes, the raw bytes are used. A pure ASCII name is taken as it
// is without looking at the disk. An empty name gives an empty path.
PictureLocation LocatePicture(const std::filesystem::path& folder, const std::string& name);

// The file of the picture `name` of `document` (in its picture_folder). Error "outside", naming
// the picture and the folder, when the name leaves the folder and the document does not allow
// pictures outside it (SubtitleDocument::pictures_outside_allowed).
text::Result<std::filesystem::path> PictureFile(const SubtitleDocument& document,
                                                const std::string& name);

// The data rows of the main table whose picture names leave the picture folder, in row order;
// empty when there are none or the document allows them.
std::vector<int> RowsWithPicturesOutside(const SubtitleDocument& document);

// "3 (../a/1.bmp), 7 (/tmp/2.bmp)": the rows with their picture names (GBK, as the table holds
// them), at most `limit` of them, then ", ..." when there are more.
std::string DescribePictureRows(const SubtitleDocument& document, const std::vector<int>& rows,
                                std::size_t limit = 5);

}  // namespace document
