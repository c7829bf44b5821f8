// Test helpers for the engine: pictures from ASCII art, an in-memory picture store, a scripted
// teacher and an empty glyph library in a temporary folder.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "library/glyph_library.h"
#include "ocr/picture.h"
#include "ocr/teaching.h"
#include "support/temp_dir.h"

namespace ocr_testing {

// A small repeatable sequence of numbers for tests, the same on every machine.
class TestRandom {
 public:
  explicit TestRandom(std::uint32_t seed) : seed_(seed) {}
  // A number from 0 to bound - 1.
  int Next(int bound) {
    seed_ = seed_ * 1103515245U + 12345U;
    return static_cast<int>((seed_ >> 16) % static_cast<std::uint32_t>(bound));
  }

 private:
  std::uint32_t seed_;
};

// '#' is ink (pure black), any other character white.
ocr::MemoryPicture BitmapFromRows(const std::vector<std::string>& rows);

// Glyph art placed side by side, top-aligned, `gap` white columns apart, with `margin` white
// pixels around the whole.
std::vector<std::string> Compose(const std::vector<std::vector<std::string>>& glyphs, int gap,
                                 int margin);

// Pictures kept in memory by file name; Load of a name never stored fails with "io".
class MemoryPictureIo : public ocr::PictureIo {
 public:
  text::Result<std::unique_ptr<ocr::Picture>> Load(const std::filesystem::path& file) override;
  std::unique_ptr<ocr::Picture> Create(int width, int height) override;
  text::Status Save(const ocr::Picture& picture, const std::filesystem::path& file) override;

  void Put(const std::filesystem::path& file, const ocr::MemoryPicture& picture) {
    files[file.string()] = picture;
  }
  std::map<std::string, ocr::MemoryPicture> files;
  int loads = 0;
};

// Answers each question with the next scripted action; an empty script aborts.
class ScriptedTeacher : public ocr::Teacher {
 public:
  using Action = std::function<void(ocr::TeachingSession&)>;
  void Teach(ocr::TeachingSession& session) override;

  std::deque<Action> actions;
  int questions = 0;
};
ScriptedTeacher::Action SaveAs(std::string text);
ScriptedTeacher::Action SkipIt();

// A library with no records in a fresh folder (word.wrd and word.sts empty).
struct EmptyLibrary {
  EmptyLibrary();
  testing_support::TempDir folder;
  library::GlyphLibrary library;
};

}  // namespace ocr_testing
