// Fuzz target: recognition of an arbitrary picture (line finding, cutting, features, matching)
// with the unknown glyphs answered by actions taken from the input, then the same picture again
// over what was taught.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "library/glyph_library.h"
#include "memory_files.h"
#include "ocr/picture.h"
#include "ocr/recogniser.h"
#include "ocr/teaching.h"
#include "ports/host_ports.h"

namespace {

// Glyph pictures the teaching saves, kept in memory.
class MemoryPictures : public ocr::PictureIo {
 public:
  text::Result<std::unique_ptr<ocr::Picture>> Load(const std::filesystem::path& file) override {
    const auto found = saved_.find(file.string());
    if (found == saved_.end()) {
      return text::Error{"io", "Cannot open " + file.string()};
    }
    return std::unique_ptr<ocr::Picture>(std::make_unique<ocr::MemoryPicture>(found->second));
  }
  std::unique_ptr<ocr::Picture> Create(int width, int height) override {
    return std::make_unique<ocr::MemoryPicture>(width, height);
  }
  text::Status Save(const ocr::Picture& picture, const std::filesystem::path& file) override {
    ocr::MemoryPicture copy(picture.Width(), picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        copy.SetPixel(x, y, picture.Pixel(x, y));
      }
    }
    saved_.insert_or_assign(file.string(), std::move(copy));
    return text::Success();
  }
  void Clear() {
    saved_.clear();
  }

 private:
  std::map<std::string, ocr::MemoryPicture> saved_;
};

// Answers each question with the actions the input spells, one byte each; when they run out,
// or after too many, it aborts (a session left open would ask again for ever).
class InputTeacher : public ocr::Teacher {
 public:
  explicit InputTeacher(std::string_view actions) : actions_(actions) {}
  void Teach(ocr::TeachingSession& session) override {
    int steps = 0;
    while (session.IsOpen()) {
      if (next_ >= actions_.size() || ++steps > 64) {
        session.Abort();
        return;
      }
      const auto action = static_cast<unsigned char>(actions_[next_++]);
      switch (action % 10) {
        case 0:
        case 1:
          (void)session.Save(std::string(1, static_cast<char>('a' + action % 26)));
          break;
        case 2:
          session.Expand();
          break;
        case 3:
          session.Undo();
          break;
        case 4:
          session.Skip();
          break;
        case 5:
          session.MoveBoxLeft();
          break;
        case 6:
          session.MoveBoxRight();
          break;
        case 7:
          session.NarrowBox();
          break;
        case 8:
          session.WidenBox();
          break;
        default:
          session.Abort();
          break;
      }
    }
  }

 private:
  std::string_view actions_;
  std::size_t next_ = 0;
};

// Skips every unknown glyph.
class SkippingTeacher : public ocr::Teacher {
 public:
  void Teach(ocr::TeachingSession& session) override {
    session.Skip();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) {
    return 0;
  }
  // Bytes 0-1: width 1..160 and height 1..64; byte 2: engine options; then one bit per pixel
  // (1 = ink), row by row; the bytes after the pixels are the teaching actions.
  const int width = 1 + data[0] % 160;
  const int height = 1 + data[1] % 64;
  const std::size_t pixel_bytes = (static_cast<std::size_t>(width) * height + 7) / 8;
  const std::size_t pixels_end = std::min(size, 3 + pixel_bytes);
  ocr::MemoryPicture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t bit = static_cast<std::size_t>(y) * width + x;
      const std::size_t byte = 3 + bit / 8;
      if (byte < pixels_end && ((data[byte] >> (bit % 8)) & 1) != 0) {
        picture.SetPixel(x, y, ocr::kInkColour);
      }
    }
  }
  const std::string_view actions(reinterpret_cast<const char*>(data) + pixels_end,
                                 size - pixels_end);

  // One engine for all inputs (its working picture is large); the library is emptied and loaded
  // again for each.
  static const auto files = std::make_shared<fuzzing::MemoryFileLayer>();
  static library::GlyphLibrary library("/fuzz", files);
  static MemoryPictures pictures;
  static ocr::Recogniser recogniser(library, pictures);
  files->files.clear();
  files->folders.clear();
  files->files["/fuzz/word.wrd"] = "";
  files->files["/fuzz/word.sts"] = "";
  pictures.Clear();
  ports::NullEventPump pump;
  fuzzing::Require(library.Load(pump).ok(), "an empty library loads");
  fuzzing::Require(library.RecordCount() == 0, "the library starts empty");
  recogniser.Options() = ocr::EngineOptions();
  recogniser.Options().ignore_size = (data[2] & 1) != 0;
  recogniser.Options().glyph_width = data[2] >> 3;
  recogniser.Options().line_height = (data[2] >> 1) % 4 * 8;
  if (!recogniser.Prepare(picture).ok()) {
    return 0;
  }
  InputTeacher teacher(actions);
  (void)recogniser.RecognisePicture(teacher, pump);
  const int taught = library.RecordCount();
  fuzzing::Require(library.JournalCount() == taught, "every taught glyph is in the journal");
  SkippingTeacher skipping;
  fuzzing::Require(recogniser.Prepare(picture).ok(), "a picture prepares again");
  fuzzing::Require(recogniser.RecognisePicture(skipping, pump), "a skipping run completes");
  fuzzing::Require(library.RecordCount() == taught, "skipping teaches nothing");
  return 0;
}
