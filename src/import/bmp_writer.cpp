// The 24-bit BMP encoder.
#include "import/bmp_writer.h"

#include <cstdio>
#include <cstring>

#include "text/line_file.h"

namespace import {
namespace {

void PutLittle(std::string& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

}  // namespace

// Layout: BITMAPFILEHEADER (14 bytes: "BM", file size, 0, pixel offset 54), BITMAPINFOHEADER
// (40 bytes: size 40, width, height > 0 for bottom-up rows, 1 plane, 24 bits, no compression,
// image size, 2835 pixels per metre both ways, 0 palette colours), then the rows from the bottom
// up, each B, G, R per pixel and padded with zeros to a multiple of four bytes.
std::string EncodeBmp(const InkPicture& picture) {
  constexpr std::size_t kHeaderSize = 54;
  const std::size_t stride = (static_cast<std::size_t>(picture.width) * 3 + 3) & ~std::size_t{3};
  const std::size_t image_size = stride * static_cast<std::size_t>(picture.height);
  std::string out(kHeaderSize + image_size, '\0');
  out[0] = 'B';
  out[1] = 'M';
  PutLittle(out, 2, static_cast<std::uint32_t>(out.size()), 4);
  PutLittle(out, 10, kHeaderSize, 4);
  PutLittle(out, 14, 40, 4);
  PutLittle(out, 18, static_cast<std::uint32_t>(picture.width), 4);
  PutLittle(out, 22, static_cast<std::uint32_t>(picture.height), 4);
  PutLittle(out, 26, 1, 2);
  PutLittle(out, 28, 24, 2);
  PutLittle(out, 34, static_cast<std::uint32_t>(image_size), 4);
  PutLittle(out, 38, 2835, 4);
  PutLittle(out, 42, 2835, 4);
  for (int row = 0; row < picture.height; ++row) {
    char* line =
        out.data() + kHeaderSize + stride * static_cast<std::size_t>(picture.height - 1 - row);
    std::memset(line, 0xFF, static_cast<std::size_t>(picture.width) * 3);
    const std::uint8_t* ink = picture.ink.data() + static_cast<std::size_t>(row) * picture.width;
    for (int column = 0; column < picture.width; ++column) {
      if (ink[column] != 0) {
        std::memset(line + static_cast<std::size_t>(column) * 3, 0, 3);
      }
    }
  }
  return out;
}

text::Status WriteBmp(const InkPicture& picture, const std::filesystem::path& file) {
  const std::string bytes = EncodeBmp(picture);
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  if (stream == nullptr) {
    return text::Error{"io", text::PathForMessage(file) + ": cannot be created", 0};
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  const bool closed = std::fclose(stream) == 0;
  if (!written || !closed) {
    return text::Error{"io", text::PathForMessage(file) + ": cannot be written", 0};
  }
  return text::Success();
}

}  // namespace import
