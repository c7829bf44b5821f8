// 24-bit Windows bitmaps of ink pictures, as recognition reads them: ink pure black, the rest
// white.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "import/ink.h"
#include "text/result.h"

namespace import {

// The bytes of an uncompressed 24-bit bottom-up BMP (BITMAPINFOHEADER, 72 dpi) of `picture`.
// A 0x0 picture gives a valid 0x0 bitmap.
std::string EncodeBmp(const InkPicture& picture);

// Writes EncodeBmp(picture) to `file` (replacing it). Error code "io" names the file.
text::Status WriteBmp(const InkPicture& picture, const std::filesystem::path& file);

// The same bytes as EncodeBmp(RenderInk(bitmap, choice, margin)), made straight from the palette
// indexes without the black-and-white picture between.
std::string EncodeInkBmp(const SubtitleBitmap& bitmap, const InkChoice& choice,
                         int margin = kCropMargin);

// Writes the bitmaps of an import one after another: each file is EncodeInkBmp's bytes, built
// in one buffer kept from file to file and written with one system call.
class BmpFileWriter {
 public:
  // Writes `file` (replacing it). Error code "io" names the file.
  text::Status Write(const SubtitleBitmap& bitmap, const InkChoice& choice,
                     const std::filesystem::path& file, int margin = kCropMargin);
  // Writes EncodeBmp(picture) to `file` (replacing it). Error code "io" names the file.
  text::Status Write(const InkPicture& picture, const std::filesystem::path& file);

  // Width in pixels of the last bitmap written (0 before the first).
  int LastWidth() const {
    return last_width_;
  }

 private:
  std::vector<char> buffer_;
  int last_width_ = 0;
};

}  // namespace import
