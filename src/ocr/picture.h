// The picture interface the engine reads subtitle bitmaps through, and an in-memory picture.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "text/result.h"

namespace ocr {

// A pixel's colour as the picture layer reports it: 0x00BBGGRR.
using Colour = std::uint32_t;

// Pure black, the only ink colour: a pixel is ink exactly when its colour equals this value.
inline constexpr Colour kInkColour = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;
// What a read outside a picture gives: never ink.
inline constexpr Colour kOutsideColour = kWhite;

// A bitmap in memory. Coordinates are pixels, (0, 0) top left. Reads outside the bitmap give
// kOutsideColour; writes outside it have no effect.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual Colour Pixel(int x, int y) const = 0;
  virtual void SetPixel(int x, int y, Colour colour) = 0;
  // Copies row y, columns 0 .. Width() - 1, into `out` (room for Width() values). The default
  // reads pixel by pixel; adapters override it with a bulk copy giving the same values.
  virtual void ReadRow(int y, Colour* out) const;
  // Writes 1 into out[x] where pixel (x, y) is ink (exactly kInkColour) and 0 elsewhere, for
  // x = 0 .. Width() - 1 (room for Width() values); a row outside the picture gives all 0.
  // Returns whether the row holds any ink. The default goes through ReadRow; pictures that know
  // their ink override it.
  virtual bool ReadInkRow(int y, std::uint8_t* out) const;
  // Changes the size, keeping the pixels of the top-left area both sizes share; new pixels are
  // white. Sizes below 0 count as 0.
  virtual void Resize(int width, int height) = 0;
};

// Pixels held in a vector; what core code and tests use when no file is involved.
class MemoryPicture : public Picture {
 public:
  // A width × height picture filled with `fill`.
  explicit MemoryPicture(int width = 0, int height = 0, Colour fill = kWhite);
  int Width() const override {
    return width_;
  }
  int Height() const override {
    return height_;
  }
  Colour Pixel(int x, int y) const override;
  void SetPixel(int x, int y, Colour colour) override;
  void ReadRow(int y, Colour* out) const override;
  void Resize(int width, int height) override;

 private:
  int width_;
  int height_;
  std::vector<Colour> pixels_;  // row-major
};

// Loading and saving picture files; the host supplies it (the platform adapter over the toolkit
// in the programs, an in-memory store in tests).
class PictureIo {
 public:
  virtual ~PictureIo() = default;
  // Loads a Windows bitmap. Error code "io" when the file cannot be read, "format" when it is
  // not a bitmap the layer can decode; the message names the file.
  virtual text::Result<std::unique_ptr<Picture>> Load(const std::filesystem::path& file) = 0;
  // Loads `file` into `picture`, reusing its storage when it is a picture this layer made, so
  // that a loop over many files allocates nothing once warmed up; otherwise (or when `picture`
  // is null) it is replaced. Same errors as Load; on an error `picture` is left usable but its
  // content is unspecified. The default calls Load.
  virtual text::Status LoadInto(const std::filesystem::path& file,
                                std::unique_ptr<Picture>& picture);
  // True when LoadInto may run on another thread at the same time as any call of this layer
  // (the recognition run then reads pictures ahead on a second thread).
  virtual bool ConcurrentLoads() const {
    return false;
  }
  // LoadInto for the thread that reads pictures ahead of the run: it may also do, there and
  // then, work the picture would otherwise do when the engine first reads it (decoding its
  // ink), so that the run's own thread has less to do. The picture reads the same either way.
  virtual text::Status LoadAheadInto(const std::filesystem::path& file,
                                     std::unique_ptr<Picture>& picture) {
    return LoadInto(file, picture);
  }
  // True when `file` is a picture this layer can be asked to load (a regular file, by
  // default); a picture held elsewhere than in files says so here.
  virtual bool Has(const std::filesystem::path& file) const;
  // A new white picture of the given size, of the kind Save accepts.
  virtual std::unique_ptr<Picture> Create(int width, int height) = 0;
  // Writes `picture` as a Windows bitmap, replacing `file` safely. Error code "io" on failure.
  virtual text::Status Save(const Picture& picture, const std::filesystem::path& file) = 0;
};

}  // namespace ocr
