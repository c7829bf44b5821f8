// 24-bit Windows bitmaps of ink pictures, as recognition reads them: ink pure black, the rest
// white.
#pragma once

#include <filesystem>
#include <string>

#include "import/ink.h"
#include "text/result.h"

namespace import {

// The bytes of an uncompressed 24-bit bottom-up BMP (BITMAPINFOHEADER, 72 dpi) of `picture`.
// A 0x0 picture gives a valid 0x0 bitmap.
std::string EncodeBmp(const InkPicture& picture);

// Writes EncodeBmp(picture) to `file` (replacing it). Error code "io" names the file.
text::Status WriteBmp(const InkPicture& picture, const std::filesystem::path& file);

}  // namespace import
