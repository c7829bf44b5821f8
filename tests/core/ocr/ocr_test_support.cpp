// Test helpers for the engine.
#include "core/ocr/ocr_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ports/host_ports.h"

namespace ocr_testing {

ocr::MemoryPicture BitmapFromRows(const std::vector<std::string>& rows) {
  int width = 0;
  for (const auto& row : rows) {
    width = std::max(width, static_cast<int>(row.size()));
  }
  ocr::MemoryPicture picture(width, static_cast<int>(rows.size()));
  for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
      if (rows[y][x] == '#') {
        picture.SetPixel(x, y, ocr::kInkColour);
      }
    }
  }
  return picture;
}

std::vector<std::string> Compose(const std::vector<std::vector<std::string>>& glyphs, int gap,
                                 int margin) {
  int height = 0;
  for (const auto& glyph : glyphs) {
    height = std::max(height, static_cast<int>(glyph.size()));
  }
  std::vector<std::string> rows(height, std::string(margin, '.'));
  for (std::size_t g = 0; g < glyphs.size(); ++g) {
    std::size_t width = 0;
    for (const auto& row : glyphs[g]) {
      width = std::max(width, row.size());
    }
    for (int y = 0; y < height; ++y) {
      std::string part = y < static_cast<int>(glyphs[g].size()) ? glyphs[g][y] : "";
      part.resize(width, '.');
      rows[y] += part;
      if (g + 1 < glyphs.size()) {
        rows[y] += std::string(gap, '.');
      }
    }
  }
  const std::size_t width = rows.empty() ? 0 : rows[0].size() + margin;
  for (auto& row : rows) {
    row.resize(width, '.');
  }
  std::vector<std::string> framed(margin, std::string(width, '.'));
  framed.insert(framed.end(), rows.begin(), rows.end());
  framed.insert(framed.end(), margin, std::string(width, '.'));
  return framed;
}

text::Result<std::unique_ptr<ocr::Picture>> MemoryPictureIo::Load(
    const std::filesystem::path& file) {
  ++loads;
  const auto found = files.find(file.string());
  if (found == files.end()) {
    return text::Error{"io", "cannot read " + file.string()};
  }
  return std::unique_ptr<ocr::Picture>(std::make_unique<ocr::MemoryPicture>(found->second));
}

std::unique_ptr<ocr::Picture> MemoryPictureIo::Create(int width, int height) {
  return std::make_unique<ocr::MemoryPicture>(width, height);
}

text::Status MemoryPictureIo::Save(const ocr::Picture& picture, const std::filesystem::path& file) {
  ocr::MemoryPicture copy(picture.Width(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      copy.SetPixel(x, y, picture.Pixel(x, y));
    }
  }
  files[file.string()] = copy;
  return text::Success();
}

void ScriptedTeacher::Teach(ocr::TeachingSession& session) {
  ++questions;
  while (session.IsOpen() && !actions.empty()) {
    auto action = std::move(actions.front());
    actions.pop_front();
    action(session);
  }
}

ScriptedTeacher::Action SaveAs(std::string text) {
  return [text](ocr::TeachingSession& session) {
    auto saved = session.Save(text);
    EXPECT_TRUE(saved.ok()) << saved.error().message;
  };
}

ScriptedTeacher::Action SkipIt() {
  return [](ocr::TeachingSession& session) { session.Skip(); };
}

EmptyLibrary::EmptyLibrary() : library(folder.path()) {
  folder.Write("word.wrd", "");
  folder.Write("word.sts", "");
  ports::NullEventPump pump;
  auto loaded = library.Load(pump);
  EXPECT_TRUE(loaded.ok());
}

}  // namespace ocr_testing
