// Windows bitmaps of ink pictures, as recognition reads them: ink pure black, the rest white, in
// 1 bit a pixel (a two-colour palette) or 24.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "import/ink.h"
#include "text/result.h"

namespace import {

// Bits a pixel of a written bitmap. k1 stores a two-entry palette, black (index 0, the ink) and
// white (index 1), and a twenty-fourth of the pixel bytes; recognition reads both alike.
enum class BmpDepth { k1 = 1, k24 = 24 };

// The bytes of an uncompressed bottom-up BMP (BITMAPINFOHEADER, 72 dpi) of `picture`.
// A 0x0 picture gives a valid 0x0 bitmap.
std::string EncodeBmp(const InkPicture& picture, BmpDepth depth = BmpDepth::k24);

// Writes EncodeBmp(picture, depth) to `file` (replacing it). Error code "io" names the file.
text::Status WriteBmp(const InkPicture& picture, const std::filesystem::path& file,
                      BmpDepth depth = BmpDepth::k24);

// The same bytes as EncodeBmp(RenderInk(bitmap, choice, margin), depth), made straight from the
// palette indexes without the black-and-white picture between.
std::string EncodeInkBmp(const SubtitleBitmap& bitmap, const InkChoice& choice,
                         int margin = kCropMargin, BmpDepth depth = BmpDepth::k24);

// Writes the bitmaps of an import one after another: each file is EncodeInkBmp's bytes, built
// in one buffer kept from file to file and written with one system call.
class BmpFileWriter {
 public:
  explicit BmpFileWriter(BmpDepth depth = BmpDepth::k24) : depth_(depth) {}

  // Writes `file` (replacing it). Error code "io" names the file.
  text::Status Write(const SubtitleBitmap& bitmap, const InkChoice& choice,
                     const std::filesystem::path& file, int margin = kCropMargin);
  // Writes EncodeBmp(picture, depth) to `file` (replacing it). Error code "io" names the file.
  text::Status Write(const InkPicture& picture, const std::filesystem::path& file);

  // Width in pixels of the last bitmap written (0 before the first).
  int LastWidth() const {
    return last_width_;
  }

 private:
  BmpDepth depth_;
  std::vector<char> buffer_;
  int last_width_ = 0;
};

}  // namespace import
