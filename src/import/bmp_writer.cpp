// The BMP encoder, 1 and 24 bits a pixel.
#include "import/bmp_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "text/line_file.h"

namespace import {
namespace {

constexpr std::size_t kHeaderSize = 54;
// The 1-bit palette: black (B, G, R, 0) then white.
constexpr std::size_t kPaletteSize = 8;

void PutLittle(char* out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

std::size_t Stride(int width, BmpDepth depth) {
  const std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(depth);
  return (bits + 31) / 32 * 4;
}

std::size_t PixelOffset(BmpDepth depth) {
  return kHeaderSize + (depth == BmpDepth::k1 ? kPaletteSize : 0);
}

std::size_t FileSize(int width, int height, BmpDepth depth) {
  return PixelOffset(depth) + Stride(width, depth) * static_cast<std::size_t>(height);
}

// Layout: BITMAPFILEHEADER (14 bytes: "BM", file size, 0, pixel offset), BITMAPINFOHEADER
// (40 bytes: size 40, width, height > 0 for bottom-up rows, 1 plane, 1 or 24 bits, no
// compression, image size, 2835 pixels per metre both ways, palette colours: 2 for 1 bit, else
// 0), the palette of a 1-bit bitmap (black, white; 4 bytes B, G, R, 0 each), then the rows from
// the bottom up, each padded with zeros to a multiple of four bytes: B, G, R per pixel, or one
// bit per pixel from the highest bit of each byte on, 0 for ink.
void PutHeader(char* out, int width, int height, BmpDepth depth) {
  const std::size_t size = FileSize(width, height, depth);
  const std::size_t offset = PixelOffset(depth);
  std::memset(out, 0, offset);
  out[0] = 'B';
  out[1] = 'M';
  PutLittle(out, 2, static_cast<std::uint32_t>(size), 4);
  PutLittle(out, 10, static_cast<std::uint32_t>(offset), 4);
  PutLittle(out, 14, 40, 4);
  PutLittle(out, 18, static_cast<std::uint32_t>(width), 4);
  PutLittle(out, 22, static_cast<std::uint32_t>(height), 4);
  PutLittle(out, 26, 1, 2);
  PutLittle(out, 28, static_cast<std::uint32_t>(depth), 2);
  PutLittle(out, 34, static_cast<std::uint32_t>(size - offset), 4);
  PutLittle(out, 38, 2835, 4);
  PutLittle(out, 42, 2835, 4);
  if (depth == BmpDepth::k1) {
    PutLittle(out, 46, 2, 4);
    std::memset(out + kHeaderSize + 4, 0xFF, 3);  // entry 1: white; entry 0 stays black
  }
}

// One row of a 1-bit bitmap, `width` pixels: white (set bits), the unused bits and the padding
// zero. Ink pixels are then cleared one by one.
void WhiteBitRow(char* line, int width, BmpDepth depth) {
  const std::size_t stride = Stride(width, depth);
  const std::size_t full = static_cast<std::size_t>(width) / 8;
  std::memset(line, 0xFF, full);
  std::memset(line + full, 0, stride - full);
  if (width % 8 != 0) {
    line[full] = static_cast<char>(0xFF00 >> (width % 8));
  }
}

void ClearBit(char* line, int column) {
  line[column / 8] = static_cast<char>(line[column / 8] & ~(0x80 >> (column % 8)));
}

// The bytes of the cropped ink picture of `bitmap`, as EncodeBmp(RenderInk(...)) gives them,
// into `out`, which holds FileSize() + 4 bytes: each pixel is stored as four bytes of which the
// next pixel overwrites the last, so the final store reaches one byte beyond the file.
void FillInkBmp(const SubtitleBitmap& bitmap, const InkChoice& choice, const PictureBox& box,
                int margin, BmpDepth depth, char* out) {
  const int width = box.right - box.left + 1 + 2 * margin;
  const int height = box.bottom - box.top + 1 + 2 * margin;
  PutHeader(out, width, height, depth);
  const std::size_t stride = Stride(width, depth);
  const std::uint8_t* pixels = bitmap.pixels.data();
  const int first = box.left;
  const int count = box.right - box.left + 1;
  char* line = out + PixelOffset(depth);
  if (depth == BmpDepth::k1) {
    for (int row = height - 1; row >= 0; --row, line += stride) {
      WhiteBitRow(line, width, depth);
      const int source = box.top + row - margin;
      if (row < margin || source > box.bottom) {
        continue;
      }
      const std::uint8_t* in = pixels + static_cast<std::size_t>(source) * bitmap.width +
                               static_cast<std::size_t>(first);
      for (int column = 0; column < count; ++column) {
        if (choice.is_ink[in[column]]) {
          ClearBit(line, margin + column);
        }
      }
    }
    return;
  }
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
  const std::size_t margin_bytes = static_cast<std::size_t>(margin) * 3;
  // Per palette index, the pixel's B, G, R and one spare byte: black ink, white otherwise.
  std::array<std::array<char, 4>, 256> colour{};
  for (std::size_t i = 0; i < colour.size(); ++i) {
    const char value = choice.is_ink[i] ? '\0' : '\xFF';
    colour[i] = {value, value, value, '\0'};
  }
  // Rows from the bottom of the picture up, in file order.
  for (int row = height - 1; row >= 0; --row, line += stride) {
    const int source = box.top + row - margin;
    if (row < margin || source > box.bottom) {
      std::memset(line, 0xFF, row_bytes);
    } else {
      std::memset(line, 0xFF, margin_bytes);
      const std::uint8_t* in = pixels + static_cast<std::size_t>(source) * bitmap.width +
                               static_cast<std::size_t>(first);
      char* at = line + margin_bytes;
      for (int column = 0; column < count; ++column, at += 3) {
        std::memcpy(at, colour[in[column]].data(), 4);
      }
      std::memset(at, 0xFF, margin_bytes);
    }
    std::memset(line + row_bytes, 0, stride - row_bytes);
  }
}

// One write of all `bytes` into `file`, created or emptied first.
text::Status WriteWhole(std::string_view bytes, const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    return text::Error{
        "io", text::PathForMessage(file) + ": cannot be created (" + std::strerror(errno) + ")", 0};
  }
  bool written = true;
  int reason = 0;
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      written = false;
      reason = count < 0 ? errno : ENOSPC;  // a write of nothing: no room left
      break;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  const bool closed = ::close(fd) == 0;
  if (written && !closed) {
    reason = errno;
  }
  if (!written || !closed) {
    return text::Error{
        "io", text::PathForMessage(file) + ": cannot be written (" + std::strerror(reason) + ")",
        0};
  }
  return text::Success();
}

}  // namespace

std::string EncodeBmp(const InkPicture& picture, BmpDepth depth) {
  const std::size_t stride = Stride(picture.width, depth);
  std::string out(FileSize(picture.width, picture.height, depth), '\0');
  PutHeader(out.data(), picture.width, picture.height, depth);
  for (int row = 0; row < picture.height; ++row) {
    char* line = out.data() + PixelOffset(depth) +
                 stride * static_cast<std::size_t>(picture.height - 1 - row);
    const std::uint8_t* ink = picture.ink.data() + static_cast<std::size_t>(row) * picture.width;
    if (depth == BmpDepth::k1) {
      WhiteBitRow(line, picture.width, depth);
    } else {
      std::memset(line, 0xFF, static_cast<std::size_t>(picture.width) * 3);
    }
    for (int column = 0; column < picture.width; ++column) {
      if (ink[column] == 0) {
        continue;
      }
      if (depth == BmpDepth::k1) {
        ClearBit(line, column);
      } else {
        std::memset(line + static_cast<std::size_t>(column) * 3, 0, 3);
      }
    }
  }
  return out;
}

std::string EncodeInkBmp(const SubtitleBitmap& bitmap, const InkChoice& choice, int margin,
                         BmpDepth depth) {
  const PictureBox box = OpaqueBox(bitmap);
  if (box.Empty()) {
    return EncodeBmp(InkPicture{}, depth);
  }
  const int width = box.right - box.left + 1 + 2 * margin;
  const int height = box.bottom - box.top + 1 + 2 * margin;
  std::string out(FileSize(width, height, depth) + 4, '\0');
  FillInkBmp(bitmap, choice, box, margin, depth, out.data());
  out.resize(out.size() - 4);
  return out;
}

text::Status WriteBmp(const InkPicture& picture, const std::filesystem::path& file,
                      BmpDepth depth) {
  return WriteWhole(EncodeBmp(picture, depth), file);
}

text::Status BmpFileWriter::Write(const SubtitleBitmap& bitmap, const InkChoice& choice,
                                  const std::filesystem::path& file, int margin) {
  const PictureBox box = OpaqueBox(bitmap);
  if (box.Empty()) {
    last_width_ = 0;
    return WriteBmp(InkPicture{}, file, depth_);
  }
  const int width = box.right - box.left + 1 + 2 * margin;
  const int height = box.bottom - box.top + 1 + 2 * margin;
  last_width_ = width;
  const std::size_t size = FileSize(width, height, depth_);
  if (buffer_.size() < size + 4) {
    buffer_.resize(size + 4);
  }
  FillInkBmp(bitmap, choice, box, margin, depth_, buffer_.data());
  return WriteWhole(std::string_view(buffer_.data(), size), file);
}

text::Status BmpFileWriter::Write(const InkPicture& picture, const std::filesystem::path& file) {
  last_width_ = picture.width;
  return WriteBmp(picture, file, depth_);
}

}  // namespace import
