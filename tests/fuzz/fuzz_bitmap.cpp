// Fuzz target: the bitmap reader of the QImage adapter on any bytes, then the picture through
// the engine's preparation (trimming into the PixelGrid).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "memory_files.h"
#include "ocr/pixel_grid.h"
#include "platform/qt_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  auto decoded = platform::QtPictureIo::Decode(bytes, "fuzz.bmp");
  if (!decoded.ok()) {
    return 0;
  }
  const ocr::Picture& picture = *decoded.value();
  fuzzing::Require(picture.Width() >= 0 && picture.Height() >= 0, "sizes are not negative");
  std::vector<ocr::Colour> row(static_cast<std::size_t>(picture.Width()));
  for (int y = 0; y < picture.Height(); ++y) {
    picture.ReadRow(y, row.data());
  }
  static auto* grid = new ocr::PixelGrid();  // 8 MB, made once
  (void)grid->Prepare(picture);
  return 0;
}
