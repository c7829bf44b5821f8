// Automatic cropping of subtitle pictures to their ink, in place.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "document/subtitle_document.h"
#include "ocr/picture.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace ocr {

inline constexpr int kMessageCropQuestion = 554;
inline constexpr int kMessageCropCaption = 557;
inline constexpr int kMessageCropping = 560;  // followed by the percentage and "%"
inline constexpr int kMessageCropDone = 563;
inline constexpr int kMessageCropStopped = 638;

// The rectangle CropPicture keeps: the ink plus one blank row above and one blank column to the
// left. A picture without ink keeps rows h-5 .. h-2 and columns w-5 .. w-2 (clamped at 0).
struct CropRectangle {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
CropRectangle FindCropRectangle(const Picture& picture);

// Moves the crop rectangle to the origin and shrinks the picture to it. Pictures under 5 rows
// are left alone (returns false).
bool CropPicture(Picture& picture);

struct CropOutcome {
  int pictures_cropped = 0;          // pictures rewritten (or, in a dry run, that would be)
  bool stopped = false;              // the host asked to stop; later pictures are untouched
  std::optional<text::Error> error;  // a picture that could not be read or written ends the run
  int error_row = 0;                 // the row of that picture (0 without an error)
};

// Crops the pictures of rows 1 .. row count - 2 of the main table (the grid's last row is left
// alone) and writes each back over its file (document::PictureFile), unless `dry_run`. A picture
// name that leaves the folder (when the document does not allow it) ends the run as an error
// before its file is touched; the pictures before it stay cropped. Lets events run and reports
// progress (row, row count - 2) once per picture; a stop ends the loop before the next picture.
// `on_picture`, when given, is told each file's new size.
CropOutcome CropPictures(
    const document::SubtitleDocument& document, PictureIo& pictures, ports::EventPump& pump,
    bool dry_run,
    const std::function<void(const std::string& name, const CropRectangle& kept)>& on_picture = {});

}  // namespace ocr
