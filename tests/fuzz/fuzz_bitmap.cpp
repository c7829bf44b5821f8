// Fuzz target: both bitmap readers (the QImage adapter and the core reader) on any bytes, then
// each picture through the engine's preparation (trimming into the PixelGrid).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "memory_files.h"
#include "ocr/bitmap_reader.h"
#include "ocr/pixel_grid.h"
#include "platform/qt_picture.h"

namespace {

// Reads every row of `picture` and prepares the engine's grid from it.
void Exercise(const ocr::Picture& picture) {
  fuzzing::Require(picture.Width() >= 0 && picture.Height() >= 0, "sizes are not negative");
  std::vector<ocr::Colour> row(static_cast<std::size_t>(picture.Width()));
  for (int y = 0; y < picture.Height(); ++y) {
    picture.ReadRow(y, row.data());
  }
  static auto* grid = new ocr::PixelGrid();  // 8 MB, made once
  (void)grid->Prepare(picture);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (auto decoded = platform::QtPictureIo::Decode(bytes, "fuzz.bmp"); decoded.ok()) {
    Exercise(*decoded.value());
  }
  static auto* core = new ocr::BitmapPicture();  // its buffer is reused, as in a run
  if (core->Decode(bytes).ok()) {
    Exercise(*core);
  }
  return 0;
}
