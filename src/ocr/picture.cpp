// The default row read and the in-memory picture.
#include "ocr/picture.h"

#include <algorithm>
#include <system_error>

namespace ocr {

void Picture::ReadRow(int y, Colour* out) const {
  const int width = Width();
  for (int x = 0; x < width; ++x) {
    out[x] = Pixel(x, y);
  }
}

bool Picture::ReadInkRow(int y, std::uint8_t* out) const {
  const int width = Width();
  thread_local std::vector<Colour> row;
  row.resize(static_cast<std::size_t>(width));
  ReadRow(y, row.data());
  bool any = false;
  for (int x = 0; x < width; ++x) {
    out[x] = row[x] == kInkColour ? 1 : 0;
    any = any || out[x] != 0;
  }
  return any;
}

text::Status PictureIo::LoadInto(const std::filesystem::path& file,
                                 std::unique_ptr<Picture>& picture) {
  auto loaded = Load(file);
  if (!loaded.ok()) {
    return loaded.error();
  }
  picture = std::move(loaded.value());
  return text::Success();
}

bool PictureIo::Has(const std::filesystem::path& file) const {
  std::error_code error;
  return std::filesystem::is_regular_file(file, error);
}

MemoryPicture::MemoryPicture(int width, int height, Colour fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

Colour MemoryPicture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return kOutsideColour;
  }
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void MemoryPicture::SetPixel(int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return;
  }
  pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

void MemoryPicture::ReadRow(int y, Colour* out) const {
  if (y < 0 || y >= height_) {
    std::fill(out, out + width_, kOutsideColour);
    return;
  }
  const auto first = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
  std::copy(first, first + width_, out);
}

void MemoryPicture::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<Colour> resized(static_cast<std::size_t>(width) * height, kWhite);
  const int keep_width = std::min(width, width_);
  const int keep_height = std::min(height, height_);
  for (int y = 0; y < keep_height; ++y) {
    for (int x = 0; x < keep_width; ++x) {
      resized[static_cast<std::size_t>(y) * width + x] =
          pixels_[static_cast<std::size_t>(y) * width_ + x];
    }
  }
  width_ = width;
  height_ = height;
  pixels_ = std::move(resized);
}

}  // namespace ocr
