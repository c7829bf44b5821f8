// The 24-bit BMP encoder.
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

void PutLittle(char* out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

std::size_t Stride(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

std::size_t FileSize(int width, int height) {
  return kHeaderSize + Stride(width) * static_cast<std::size_t>(height);
}

// Layout: BITMAPFILEHEADER (14 bytes: "BM", file size, 0, pixel offset 54), BITMAPINFOHEADER
// (40 bytes: size 40, width, height > 0 for bottom-up rows, 1 plane, 24 bits, no compression,
// image size, 2835 pixels per metre both ways, 0 palette colours), then the rows from the bottom
// up, each B, G, R per pixel and padded with zeros to a multiple of four bytes.
void PutHeader(char* out, int width, int height) {
  const std::size_t size = FileSize(width, height);
  std::memset(out, 0, kHeaderSize);
  out[0] = 'B';
  out[1] = 'M';
  PutLittle(out, 2, static_cast<std::uint32_t>(size), 4);
  PutLittle(out, 10, kHeaderSize, 4);
  PutLittle(out, 14, 40, 4);
  PutLittle(out, 18, static_cast<std::uint32_t>(width), 4);
  PutLittle(out, 22, static_cast<std::uint32_t>(height), 4);
  PutLittle(out, 26, 1, 2);
  PutLittle(out, 28, 24, 2);
  PutLittle(out, 34, static_cast<std::uint32_t>(size - kHeaderSize), 4);
  PutLittle(out, 38, 2835, 4);
  PutLittle(out, 42, 2835, 4);
}

// The bytes of the cropped ink picture of `bitmap`, as EncodeBmp(RenderInk(...)) gives them,
// into `out`, which holds FileSize() + 4 bytes: each pixel is stored as four bytes of which the
// next pixel overwrites the last, so the final store reaches one byte beyond the file.
void FillInkBmp(const SubtitleBitmap& bitmap, const InkChoice& choice, const PictureBox& box,
                int margin, char* out) {
  const int width = box.right - box.left + 1 + 2 * margin;
  const int height = box.bottom - box.top + 1 + 2 * margin;
  PutHeader(out, width, height);
  const std::size_t stride = Stride(width);
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
  const std::size_t margin_bytes = static_cast<std::size_t>(margin) * 3;
  // Per palette index, the pixel's B, G, R and one spare byte: black ink, white otherwise.
  std::array<std::array<char, 4>, 256> colour{};
  for (std::size_t i = 0; i < colour.size(); ++i) {
    const char value = choice.is_ink[i] ? '\0' : '\xFF';
    colour[i] = {value, value, value, '\0'};
  }
  const std::uint8_t* pixels = bitmap.pixels.data();
  const int first = box.left;
  const int count = box.right - box.left + 1;
  char* line = out + kHeaderSize;
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

std::string EncodeBmp(const InkPicture& picture) {
  const std::size_t stride = Stride(picture.width);
  std::string out(FileSize(picture.width, picture.height), '\0');
  PutHeader(out.data(), picture.width, picture.height);
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

std::string EncodeInkBmp(const SubtitleBitmap& bitmap, const InkChoice& choice, int margin) {
  const PictureBox box = OpaqueBox(bitmap);
  if (box.Empty()) {
    return EncodeBmp(InkPicture{});
  }
  const int width = box.right - box.left + 1 + 2 * margin;
  const int height = box.bottom - box.top + 1 + 2 * margin;
  std::string out(FileSize(width, height) + 4, '\0');
  FillInkBmp(bitmap, choice, box, margin, out.data());
  out.resize(out.size() - 4);
  return out;
}

text::Status WriteBmp(const InkPicture& picture, const std::filesystem::path& file) {
  return WriteWhole(EncodeBmp(picture), file);
}

text::Status BmpFileWriter::Write(const SubtitleBitmap& bitmap, const InkChoice& choice,
                                  const std::filesystem::path& file, int margin) {
  const PictureBox box = OpaqueBox(bitmap);
  if (box.Empty()) {
    last_width_ = 0;
    return WriteBmp(InkPicture{}, file);
  }
  const int width = box.right - box.left + 1 + 2 * margin;
  const int height = box.bottom - box.top + 1 + 2 * margin;
  last_width_ = width;
  const std::size_t size = FileSize(width, height);
  if (buffer_.size() < size + 4) {
    buffer_.resize(size + 4);
  }
  FillInkBmp(bitmap, choice, box, margin, buffer_.data());
  return WriteWhole(std::string_view(buffer_.data(), size), file);
}

text::Status BmpFileWriter::Write(const InkPicture& picture, const std::filesystem::path& file) {
  last_width_ = picture.width;
  return WriteBmp(picture, file);
}

}  // namespace import
