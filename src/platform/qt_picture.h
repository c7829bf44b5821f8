// The picture layer over QImage: Windows bitmaps loaded, created, edited and saved.
#pragma once

#include <QImage>

#include "ocr/picture.h"

namespace platform {

// A picture held as a QImage in RGBX byte order, which on a little-endian machine is the engine's
// 0x00BBGGRR with the top byte set; pixels are reported with that byte cleared.
class QtPicture : public ocr::Picture {
 public:
  // Takes any QImage; it is converted to RGBX.
  explicit QtPicture(const QImage& image);
  int Width() const override {
    return image_.width();
  }
  int Height() const override {
    return image_.height();
  }
  ocr::Colour Pixel(int x, int y) const override;
  void SetPixel(int x, int y, ocr::Colour colour) override;
  void ReadRow(int y, ocr::Colour* out) const override;
  void Resize(int width, int height) override;

  const QImage& Image() const {
    return image_;
  }

 private:
  QImage image_;
};

// Loads any common Windows bitmap (1, 4, 8, 16, 24 or 32 bits per pixel, with palettes, RLE
// compression or top-down rows) and saves 24-bit bitmaps, replacing files safely.
class QtPictureIo : public ocr::PictureIo {
 public:
  text::Result<std::unique_ptr<ocr::Picture>> Load(const std::filesystem::path& file) override;
  // Decodes the bytes of a Windows bitmap; `file` only names it in the Error ("format" when the
  // bytes are not a bitmap the toolkit can decode).
  static text::Result<std::unique_ptr<ocr::Picture>> Decode(const std::string& data,
                                                            const std::filesystem::path& file);
  std::unique_ptr<ocr::Picture> Create(int width, int height) override;
  text::Status Save(const ocr::Picture& picture, const std::filesystem::path& file) override;
};

// Conversions between the toolkit's 0xAARRGGBB and the engine's 0x00BBGGRR.
inline ocr::Colour FromQRgb(QRgb rgb) {
  return static_cast<ocr::Colour>(qBlue(rgb)) << 16 | static_cast<ocr::Colour>(qGreen(rgb)) << 8 |
         static_cast<ocr::Colour>(qRed(rgb));
}
inline QRgb ToQRgb(ocr::Colour colour) {
  return qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
              static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace platform
