// The core reader of Windows bitmap files: the kinds subtitle rippers write, decoded straight
// into ink rows for the engine, with the colours read from the file's bytes on demand.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ocr/picture.h"
#include "text/result.h"

namespace ocr {

// The largest picture the reader accepts, in pixels (4096 × 4096): a subtitle picture is far
// smaller, and the bound keeps a forged header from claiming gigabytes.
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 24;
// The largest file the reader reads, in bytes.
inline constexpr std::int64_t kMaxBitmapFileBytes = std::int64_t{80} << 20;

// A Windows bitmap held as its file's bytes; ink rows are decoded from them on demand. Reads
// BITMAPCOREHEADER, BITMAPINFOHEADER and its V2 to V5 forms; 1, 4 and 8 bits per pixel with a
// palette, RLE8 and RLE4, 16 and 32 bits with or without bit fields (alpha included), 24 bits; rows
// bottom-up or top-down. Colours come out as the picture layer over the toolkit gives them
// (0x00BBGGRR; bit fields scaled the same way, alpha ignored), so both readers find the same ink.
// The storage is kept between decodes: reading many files into one picture allocates only when a
// file is larger than every earlier one. SetPixel and Resize work on a colour copy made at the
// first edit.
class BitmapPicture : public Picture {
 public:
  BitmapPicture() = default;

  // Decodes the bitmap file held in `bytes` (copied). Errors: code "format" with a message
  // saying what is wrong (no file name): not a bitmap, an unsupported header, bit depth or
  // compression, sizes that are 0, negative, beyond kMaxBitmapPixels or beyond the bytes
  // given, a palette or pixel data cut short, an RLE stream that runs past the picture or ends
  // early. Never reads outside `bytes`. On an error the picture is 0 × 0.
  text::Status Decode(std::string_view bytes);
  // Reads the file `file` with one read into the kept buffer and decodes it. Errors: "io" when
  // it cannot be opened or read or is not a regular file, "format" as Decode; both messages
  // name the file.
  text::Status ReadFile(const char* file);
  text::Status ReadFile(const std::filesystem::path& file) {
    return ReadFile(file.c_str());
  }

  // Decodes every ink row now into storage kept with the picture, so that ReadInkRow only
  // copies them (what the loader thread does ahead of the run). Without it, ReadInkRow decodes
  // the row asked for from the file's bytes.
  void DecodeAllInk();

  int Width() const override {
    return width_;
  }
  int Height() const override {
    return height_;
  }
  Colour Pixel(int x, int y) const override;
  void SetPixel(int x, int y, Colour colour) override;
  void ReadRow(int y, Colour* out) const override;
  bool ReadInkRow(int y, std::uint8_t* out) const override;
  void Resize(int width, int height) override;

 private:
  // One colour channel of a 16- or 32-bit pixel: ((value & mask) >> shift) × scale.
  struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t scale = 0;
  };

  text::Status DecodeKept();
  text::Status DecodeRle(std::size_t start);
  // Which palette entries are ink, from palette_.
  void FillInkIndex();
  // Row y's ink straight from the file's bytes (or the RLE indices); true when it holds any.
  bool DecodeInkRow(int y, std::uint8_t* out) const;
  // The ink of one row of palette indices (8 bits, or RLE decoded).
  void DecodeIndexInk(const std::uint8_t* in, std::uint8_t* out) const;
  void Clear();
  Colour MaskedColour(std::uint32_t value) const;
  const unsigned char* FileRow(int y) const;

  // Room for at least `bytes` file bytes, kept between files (its content is left as it is).
  char* Storage(std::size_t bytes);

  std::unique_ptr<char[]> storage_;  // the whole file: size_ bytes, room for capacity_
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
  std::vector<std::uint8_t> indices_;  // RLE pictures: palette indices, top row first
  std::vector<Colour> edited_;         // the colours once SetPixel or Resize was used
  bool is_edited_ = false;
  std::vector<std::uint8_t> ink_;       // every ink row, top row first, after DecodeAllInk
  std::vector<std::uint8_t> ink_rows_;  // 1 for each of those rows that holds ink
  bool ink_decoded_ = false;
  std::array<Colour, 256> palette_{};  // unused entries are black, as the toolkit pads them
  // 1 where palette_ holds the ink colour, for the 2^bits indices the pixels can hold.
  std::array<std::uint8_t, 256> ink_index_{};
  std::array<std::array<std::uint8_t, 2>, 256> pair_ink_{};  // 4 bits: a byte's two pixels
  // The ink indices as one index (-1: none) below a tail of indices up to the last one
  // (2^bits: none), when they are so (index_ink_simple_): what the vector tests handle.
  int index_ink_single_ = -1;
  int index_ink_tail_ = 256;
  bool index_ink_simple_ = false;
  bool plain32_ = false;  // 32 bits with the usual masks
  int width_ = 0;
  int height_ = 0;
  int bits_ = 0;
  bool rle_ = false;
  bool top_down_ = false;
  std::size_t pixels_offset_ = 0;
  std::size_t stride_ = 0;
  Channel red_, green_, blue_;
};

// The picture layer for the engine: bitmap files are read by BitmapPicture (reusing the
// picture handed to LoadInto), pictures are created and saved through `host`. LoadInto and Load
// may run on any thread; Create and Save are `host`'s and keep its rules.
class BitmapFileIo : public PictureIo {
 public:
  explicit BitmapFileIo(PictureIo& host) : host_(host) {}
  text::Result<std::unique_ptr<Picture>> Load(const std::filesystem::path& file) override;
  text::Status LoadInto(const std::filesystem::path& file,
                        std::unique_ptr<Picture>& picture) override;
  bool ConcurrentLoads() const override {
    return true;
  }
  // Reads the file and decodes every ink row at once (BitmapPicture::DecodeAllInk).
  text::Status LoadAheadInto(const std::filesystem::path& file,
                             std::unique_ptr<Picture>& picture) override;
  std::unique_ptr<Picture> Create(int width, int height) override {
    return host_.Create(width, height);
  }
  text::Status Save(const Picture& picture, const std::filesystem::path& file) override {
    return host_.Save(picture, file);
  }

 private:
  PictureIo& host_;
};

}  // namespace ocr
