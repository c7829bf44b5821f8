// QImage-backed pictures and bitmap files.
#include "platform/qt_picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <bit>
#include <cstdint>

#include "text/line_file.h"

namespace platform {
namespace {

static_assert(std::endian::native == std::endian::little,
              "RGBX bytes read as 0x00BBGGRR only on little-endian machines");
constexpr std::uint32_t kColourBits = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;

}  // namespace

QtPicture::QtPicture(const QImage& image)
    : image_(image.convertToFormat(QImage::Format_RGBX8888)) {}

ocr::Colour QtPicture::Pixel(int x, int y) const {
  if (!image_.valid(x, y)) {
    return ocr::kOutsideColour;
  }
  return reinterpret_cast<const std::uint32_t*>(image_.constScanLine(y))[x] & kColourBits;
}

void QtPicture::SetPixel(int x, int y, ocr::Colour colour) {
  if (!image_.valid(x, y)) {
    return;
  }
  reinterpret_cast<std::uint32_t*>(image_.scanLine(y))[x] = (colour & kColourBits) | kOpaque;
}

void QtPicture::ReadRow(int y, ocr::Colour* out) const {
  const int width = image_.width();
  if (y < 0 || y >= image_.height()) {
    std::fill(out, out + width, ocr::kOutsideColour);
    return;
  }
  const auto* line = reinterpret_cast<const std::uint32_t*>(image_.constScanLine(y));
  for (int x = 0; x < width; ++x) {
    out[x] = line[x] & kColourBits;
  }
}

void QtPicture::Resize(int width, int height) {
  QImage resized(std::max(width, 0), std::max(height, 0), QImage::Format_RGBX8888);
  resized.fill(Qt::white);
  const int keep_width = std::min(resized.width(), image_.width());
  const int keep_height = std::min(resized.height(), image_.height());
  for (int y = 0; y < keep_height; ++y) {
    std::copy_n(reinterpret_cast<const std::uint32_t*>(image_.constScanLine(y)), keep_width,
                reinterpret_cast<std::uint32_t*>(resized.scanLine(y)));
  }
  image_ = std::move(resized);
}

text::Result<std::unique_ptr<ocr::Picture>> QtPictureIo::Load(const std::filesystem::path& file) {
  auto bytes = text::ReadFileBytes(file);
  if (!bytes.ok()) {
    return bytes.error();
  }
  return Decode(bytes.value(), file);
}

text::Result<std::unique_ptr<ocr::Picture>> QtPictureIo::Decode(const std::string& data,
                                                                const std::filesystem::path& file) {
  // Only Windows bitmaps are accepted, whatever the toolkit could read otherwise.
  QByteArray raw = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
  QBuffer buffer(&raw);
  QImageReader reader(&buffer, "BMP");
  QImage image;
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M' || !reader.read(&image)) {
    const std::string reason = data.size() >= 2 && data[0] == 'B' && data[1] == 'M'
                                   ? " is a damaged or unsupported Windows bitmap (" +
                                         reader.errorString().toStdString() + ")"
                                   : " is not a Windows bitmap";
    return text::Error{"format", text::PathForMessage(file) + reason};
  }
  return std::unique_ptr<ocr::Picture>(std::make_unique<QtPicture>(image));
}

std::unique_ptr<ocr::Picture> QtPictureIo::Create(int width, int height) {
  QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGBX8888);
  image.fill(Qt::white);
  return std::make_unique<QtPicture>(image);
}

text::Status QtPictureIo::Save(const ocr::Picture& picture, const std::filesystem::path& file) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB888);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      image.setPixel(x, y, ToQRgb(picture.Pixel(x, y)));
    }
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (picture.Width() <= 0 || picture.Height() <= 0 || !image.save(&buffer, "BMP")) {
    return text::Error{"io", "cannot encode " + text::PathForMessage(file) + " as a bitmap"};
  }
  return text::WriteFileAtomic(
      file, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace platform
