// Subtitle pictures held in memory instead of files: a black-and-white picture stored a bit a
// pixel, and the picture layer that serves such pictures by file name before it reads files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ocr/picture.h"
#include "text/result.h"

namespace ocr {

// A picture of ink (kInkColour) and white only, one bit a pixel: what an imported subtitle
// picture is, in an eighth of the room its ink bytes take. A pixel set to any other colour than
// kInkColour becomes white.
class InkBitsPicture : public Picture {
 public:
  InkBitsPicture() = default;
  // A width x height picture whose pixel (x, y) is ink where ink[y * width + x] is 1 and white
  // where it is 0 (no other values). Sizes below 0 count as 0. Keeps its storage when it is
  // large enough.
  void Assign(int width, int height, const std::uint8_t* ink);

  int Width() const override {
    return width_;
  }
  int Height() const override {
    return height_;
  }
  Colour Pixel(int x, int y) const override;
  void SetPixel(int x, int y, Colour colour) override;
  bool ReadInkRow(int y, std::uint8_t* out) const override;
  void Resize(int width, int height) override;
  // Bytes the picture holds (for the memory a film's pictures take).
  std::size_t Bytes() const {
    return bits_.size() + row_ink_.size();
  }

 private:
  bool At(int x, int y) const {
    return (bits_[static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x >> 3)] >>
            (7 - (x & 7))) &
           1;
  }
  void CountRow(int y);

  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;             // bytes a row, (width + 7) / 8
  std::vector<std::uint8_t> bits_;     // rows top first; the first pixel is a byte's top bit
  std::vector<std::uint8_t> row_ink_;  // 1 for each row that holds ink
};

// The picture layer of a subtitle whose pictures are held in memory (a disc stream decoded
// without writing files): a file held here is served from memory, any other goes to `files`,
// which also creates and saves pictures. Holding pictures is not thread-safe; loads may run on
// any thread once every picture is held.
class HeldPictureIo : public PictureIo {
 public:
  explicit HeldPictureIo(PictureIo& files) : files_(files) {}

  // Holds `picture` as the file `file` (a later one of the same name replaces it).
  void Hold(const std::filesystem::path& file, InkBitsPicture picture);
  // True when `file` is held.
  bool Holds(const std::filesystem::path& file) const;
  // The held picture of `file`, null when it is not held.
  const InkBitsPicture* Held(const std::filesystem::path& file) const;
  // Pictures held and their bytes.
  std::size_t Count() const {
    return pictures_.size();
  }
  std::size_t Bytes() const;

  // Held files, and the files `files` has.
  bool Has(const std::filesystem::path& file) const override {
    return Holds(file) || files_.Has(file);
  }
  // A held file gives a copy of its picture; another one, `files`' own result.
  text::Result<std::unique_ptr<Picture>> Load(const std::filesystem::path& file) override;
  // A held file is copied into `picture`, reusing its storage when it is an InkBitsPicture.
  text::Status LoadInto(const std::filesystem::path& file,
                        std::unique_ptr<Picture>& picture) override;
  // Held pictures are copied in no time: a loader thread would only cost.
  bool ConcurrentLoads() const override {
    return false;
  }
  std::unique_ptr<Picture> Create(int width, int height) override {
    return files_.Create(width, height);
  }
  text::Status Save(const Picture& picture, const std::filesystem::path& file) override {
    return files_.Save(picture, file);
  }

 private:
  PictureIo& files_;
  std::unordered_map<std::string, InkBitsPicture> pictures_;  // by the file's path
};

}  // namespace ocr
