// Cropping pictures to their ink. Rows and columns are probed two at a time, as the command has
// always done, so a one-pixel ink line at the wrong parity can be missed; a pixel is ink only
// when it is exactly black.
#include "ocr/cropping.h"

#include <system_error>
#include <vector>

#include "document/picture_files.h"
#include "document/row_table.h"
#include "text/line_file.h"

namespace ocr {
namespace {

bool RowHasInk(const Picture& picture, int y, int first_x, int last_x) {
  for (int x = first_x; x <= last_x; ++x) {
    if (picture.Pixel(x, y) == kInkColour) {
      return true;
    }
  }
  return false;
}

bool ColumnHasInk(const Picture& picture, int x, int first_y, int last_y) {
  for (int y = first_y; y <= last_y; ++y) {
    if (picture.Pixel(x, y) == kInkColour) {
      return true;
    }
  }
  return false;
}

}  // namespace

CropRectangle FindCropRectangle(const Picture& picture) {
  const int w = picture.Width();
  const int h = picture.Height();
  CropRectangle kept;

  int top = h - 5;
  for (int y = 1; y < h; y += 2) {
    if (RowHasInk(picture, y, 0, w - 1)) {
      top = (RowHasInk(picture, y - 1, 0, w - 1) ? y - 1 : y) - 1;
      break;
    }
  }
  if (top < 0) {
    top = 0;
  }
  int bottom = h - 2;
  if (top != h - 5) {
    // Probed upward two rows at a time; without a hit the last probed row is taken.
    int last_probed = h - 2;
    bool found = false;
    for (int y = h - 2; y > top; y -= 2) {
      last_probed = y;
      if (RowHasInk(picture, y, 0, w - 1)) {
        bottom = RowHasInk(picture, y + 1, 0, w - 1) ? y + 1 : y;
        found = true;
        break;
      }
    }
    if (!found) {
      bottom = last_probed;
    }
  }
  int height = bottom - top + 1;
  if (top + height > h) {
    height = h - top;
  }

  const int last_row = top + height - 1;
  int left = w - 5;
  for (int x = 1; x < w; x += 2) {
    if (ColumnHasInk(picture, x, top, last_row)) {
      left = (ColumnHasInk(picture, x - 1, top, last_row) ? x - 1 : x) - 1;
      break;
    }
  }
  if (left < 0) {
    left = 0;
  }
  int right = w - 2;
  if (left != w - 5) {
    int last_probed = w - 2;
    bool found = false;
    for (int x = w - 2; x > 0; x -= 2) {
      last_probed = x;
      if (ColumnHasInk(picture, x, top, last_row)) {
        right = ColumnHasInk(picture, x + 1, top, last_row) ? x + 1 : x;
        found = true;
        break;
      }
    }
    if (!found) {
      right = last_probed;
    }
  }
  int width = right - left + 1;
  if (left + width > w) {
    width = w - left;
  }
  kept = {left, top, width < 0 ? 0 : width, height < 0 ? 0 : height};
  return kept;
}

bool CropPicture(Picture& picture) {
  if (picture.Height() < 5) {
    return false;
  }
  const CropRectangle kept = FindCropRectangle(picture);
  // The rectangle moves up and left only, so copying in row order never reads a changed pixel.
  for (int r = 0; r < kept.height; ++r) {
    for (int c = 0; c < kept.width; ++c) {
      picture.SetPixel(c, r, picture.Pixel(kept.left + c, kept.top + r));
    }
  }
  picture.Resize(kept.width, kept.height);
  return true;
}

CropOutcome CropPictures(
    const document::SubtitleDocument& document, PictureIo& pictures, ports::EventPump& pump,
    bool dry_run,
    const std::function<void(const std::string& name, const CropRectangle& kept)>& on_picture) {
  CropOutcome outcome;
  const auto& table = document.main;
  const int last = table.RowCount() - 2;
  for (int i = 1; i <= last; ++i) {
    pump.LetPendingEventsRun();
    if (pump.StopRequested()) {
      outcome.stopped = true;
      break;
    }
    pump.ReportProgress(i, last);
    const std::string name = table.Cell(document::kPicture, i);
    auto file = document::PictureFile(document, name);
    if (!file.ok()) {
      outcome.error = file.error();
      outcome.error_row = i;
      break;
    }
    const std::filesystem::path& path = file.value();
    auto loaded = pictures.Load(path);
    if (!loaded.ok()) {
      outcome.error = loaded.error();
      outcome.error_row = i;
      break;
    }
    Picture& picture = *loaded.value();
    if (picture.Height() < 5) {
      continue;
    }
    const CropRectangle kept = FindCropRectangle(picture);
    if (on_picture) {
      on_picture(name, kept);
    }
    ++outcome.pictures_cropped;
    if (dry_run) {
      continue;
    }
    CropPicture(picture);
    auto saved = pictures.Save(picture, path);
    if (!saved.ok()) {
      outcome.error = saved.error();
      outcome.error_row = i;
      --outcome.pictures_cropped;
      break;
    }
  }
  return outcome;
}

}  // namespace ocr
