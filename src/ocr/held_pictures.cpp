// Pictures held a bit a pixel, and the picture layer serving them by file name.
#include "ocr/held_pictures.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ocr {

namespace {

// The eight ink bytes (0 or 1) of each bit pattern, the top bit first.
constexpr std::array<std::uint64_t, 256> MakeSpread() {
  std::array<std::uint64_t, 256> spread{};
  for (int value = 0; value < 256; ++value) {
    std::array<std::uint8_t, 8> bytes{};
    for (int bit = 0; bit < 8; ++bit) {
      bytes[static_cast<std::size_t>(bit)] = (value >> (7 - bit)) & 1;
    }
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i) {
      word = (word << 8) | bytes[static_cast<std::size_t>(i)];  // byte 0 first in memory
    }
    spread[static_cast<std::size_t>(value)] = word;
  }
  return spread;
}
constexpr std::array<std::uint64_t, 256> kSpread = MakeSpread();

// Held pictures are keyed by their path as written, lexically normal.
std::string Key(const std::filesystem::path& file) {
  return file.lexically_normal().string();
}

}  // namespace

void InkBitsPicture::Assign(int width, int height, const std::uint8_t* ink) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  stride_ = (static_cast<std::size_t>(width_) + 7) / 8;
  bits_.resize(stride_ * static_cast<std::size_t>(height_));
  row_ink_.resize(static_cast<std::size_t>(height_));
  const std::size_t whole = static_cast<std::size_t>(width_) / 8;
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* in = ink + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    std::uint8_t* out = bits_.data() + static_cast<std::size_t>(y) * stride_;
    std::uint64_t any = 0;
    // Eight ink bytes (0 or 1) at a time: the multiplication gathers byte i's low bit into bit
    // 63 - i, so the top byte holds them with the first pixel in its top bit.
    for (std::size_t i = 0; i < whole; ++i) {
      std::uint64_t word = 0;
      std::memcpy(&word, in + i * 8, 8);
      any |= word;
      out[i] = static_cast<std::uint8_t>((word * 0x8040201008040201ULL) >> 56);
    }
    if (whole < stride_) {
      std::uint8_t last = 0;
      for (int x = static_cast<int>(whole * 8); x < width_; ++x) {
        last |= static_cast<std::uint8_t>((in[x] & 1) << (7 - (x & 7)));
        any |= in[x];
      }
      out[whole] = last;
    }
    row_ink_[static_cast<std::size_t>(y)] = any != 0 ? 1 : 0;
  }
}

Colour InkBitsPicture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return kOutsideColour;
  }
  return At(x, y) ? kInkColour : kWhite;
}

void InkBitsPicture::SetPixel(int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return;
  }
  std::uint8_t& byte =
      bits_[static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x >> 3)];
  const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
  byte = colour == kInkColour ? (byte | mask) : (byte & static_cast<std::uint8_t>(~mask));
  CountRow(y);
}

void InkBitsPicture::CountRow(int y) {
  const std::uint8_t* row = bits_.data() + static_cast<std::size_t>(y) * stride_;
  row_ink_[static_cast<std::size_t>(y)] =
      std::any_of(row, row + stride_, [](std::uint8_t byte) { return byte != 0; }) ? 1 : 0;
}

bool InkBitsPicture::ReadInkRow(int y, std::uint8_t* out) const {
  if (y < 0 || y >= height_) {
    std::memset(out, 0, static_cast<std::size_t>(width_));
    return false;
  }
  const std::uint8_t* row = bits_.data() + static_cast<std::size_t>(y) * stride_;
  if (row_ink_[static_cast<std::size_t>(y)] == 0) {
    std::memset(out, 0, static_cast<std::size_t>(width_));
    return false;
  }
  // Whole bytes spread eight pixels at once; the last byte's pixels one by one.
  const std::size_t whole = static_cast<std::size_t>(width_) / 8;
  for (std::size_t i = 0; i < whole; ++i) {
    std::memcpy(out + i * 8, &kSpread[row[i]], 8);
  }
  for (int x = static_cast<int>(whole * 8); x < width_; ++x) {
    out[x] = At(x, y) ? 1 : 0;
  }
  return true;
}

void InkBitsPicture::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<std::uint8_t> ink(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                0);
  const int keep_width = std::min(width, width_);
  const int keep_height = std::min(height, height_);
  for (int y = 0; y < keep_height; ++y) {
    for (int x = 0; x < keep_width; ++x) {
      ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
          static_cast<std::size_t>(x)] = At(x, y) ? 1 : 0;
    }
  }
  Assign(width, height, ink.data());
}

void HeldPictureIo::Hold(const std::filesystem::path& file, InkBitsPicture picture) {
  pictures_.insert_or_assign(Key(file), std::move(picture));
}

bool HeldPictureIo::Holds(const std::filesystem::path& file) const {
  return Held(file) != nullptr;
}

const InkBitsPicture* HeldPictureIo::Held(const std::filesystem::path& file) const {
  const auto found = pictures_.find(Key(file));
  return found == pictures_.end() ? nullptr : &found->second;
}

std::size_t HeldPictureIo::Bytes() const {
  std::size_t bytes = 0;
  for (const auto& [name, picture] : pictures_) {
    bytes += picture.Bytes();
  }
  return bytes;
}

text::Result<std::unique_ptr<Picture>> HeldPictureIo::Load(const std::filesystem::path& file) {
  if (const InkBitsPicture* held = Held(file); held != nullptr) {
    return std::unique_ptr<Picture>(std::make_unique<InkBitsPicture>(*held));
  }
  return files_.Load(file);
}

text::Status HeldPictureIo::LoadInto(const std::filesystem::path& file,
                                     std::unique_ptr<Picture>& picture) {
  const InkBitsPicture* held = Held(file);
  if (held == nullptr) {
    return files_.LoadInto(file, picture);
  }
  if (auto* reused = dynamic_cast<InkBitsPicture*>(picture.get()); reused != nullptr) {
    *reused = *held;  // vector assignment keeps the storage it has
  } else {
    picture = std::make_unique<InkBitsPicture>(*held);
  }
  return text::Success();
}

}  // namespace ocr
