// The OCR guess over Tesseract on glyphs drawn with a CJK font: the teaching question offers the
// right text for clear ideographs and no wrong punctuation mark, and missing data gives no guess
// and one report.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "document/subtitle_document.h"
#include "film_generator.h"
#include "guess/tesseract_guesser.h"
#include "library/glyph_library.h"
#include "loader/module_loader.h"
#include "ocr/glyph_sheet.h"
#include "ocr/recogniser.h"
#include "ocr/teaching.h"
#include "platform/qt_picture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "text/gbk.h"

namespace {

// Widens each question's box until it covers whole drawn glyphs (as a careful user does), then
// notes the OCR suggestion offered for them and saves their text.
class GuessRecorder : public ocr::Teacher {
 public:
  explicit GuessRecorder(const film::PictureTruth& truth) : truth_(truth) {}

  void Teach(ocr::TeachingSession& session) override {
    for (int attempt = 0; attempt < 8 && session.IsOpen(); ++attempt) {
      const ocr::GlyphBox box = session.Box();
      const int right = box.left + box.width - 1;
      std::string text;
      int last_right = -1;
      for (const film::PlacedGlyph& glyph : truth_.glyphs) {
        if (glyph.ink_right >= box.left && glyph.ink_left <= right) {
          text += glyph.text;
          last_right = glyph.ink_right;
        }
      }
      if (text.empty()) {
        session.Skip();
        return;
      }
      if (right < last_right) {
        session.Expand();
        continue;
      }
      std::string guess;
      for (const ocr::Suggestion& suggestion : session.Suggestions()) {
        if (suggestion.source == ocr::SuggestionSource::kOcrGuess) {
          guess = suggestion.text;
        }
      }
      guesses[text] = guess;
      ASSERT_TRUE(session.Save(text).ok());
    }
    if (session.IsOpen()) {
      session.Skip();
    }
  }

  std::map<std::string, std::string> guesses;  // drawn text -> guess (GBK)

 private:
  const film::PictureTruth& truth_;
};

// Reads `utf8` (one line, no spaces) drawn at `pixels` through a teaching run over an empty
// library; the guesses each glyph was offered, keyed and valued in UTF-8.
std::map<std::string, std::string> GuessesFor(const std::string& utf8, int pixels,
                                              guess::TesseractGuesser& guesser) {
  film::Generator generator(pixels);
  EXPECT_EQ(generator.Error(), "");
  film::PictureTruth truth;
  const QImage image = generator.Render({{utf8}}, truth);
  testing_support::TempDir folder;
  folder.Write("word.wrd", "");
  folder.Write("word.sts", "");
  library::GlyphLibrary library(folder.path());
  ports::NullEventPump null_pump;
  EXPECT_TRUE(library.Load(null_pump).ok());
  platform::QtPictureIo pictures;
  ocr::Recogniser recogniser(library, pictures);
  recogniser.Options().glyph_width = pixels;
  recogniser.Options().line_height = pixels;
  recogniser.Options().suggestions = false;  // only the guess
  recogniser.SetGuesser(&guesser);
  EXPECT_TRUE(recogniser.Prepare(platform::QtPicture(image)).ok());
  GuessRecorder teacher(truth);
  testing_support::FakeEventPump pump;
  recogniser.RecognisePicture(teacher, pump);
  std::map<std::string, std::string> found;
  for (const auto& [text, guess] : teacher.guesses) {
    found[text::GbkToUtf8(text).text] = text::GbkToUtf8(guess).text;
  }
  return found;
}

TEST(TesseractGuess, ReadsClearIdeographsAndOffersNoWrongMark) {
  struct Case {
    guess::Script script;
    std::string line;  // drawn, UTF-8
    int pixels;
    std::vector<std::string> ideographs;  // each must be guessed as itself
    std::vector<std::string> marks;       // each guessed as itself or not at all
  };
  const Case cases[] = {
      {guess::Script::kSimplified,
       "我们中国人，大学生。",
       40,
       {"我", "们", "中", "国", "人", "大", "学", "生"},
       {"，", "。"}},
      {guess::Script::kSimplified, "你好！天下？", 32, {"你", "好", "天", "下"}, {"！", "？"}},
      {guess::Script::kTraditional,
       "我們國學，電話。",
       40,
       {"我", "們", "國", "學", "電", "話"},
       {"，", "。"}},
  };
  for (const Case& c : cases) {
    int reports = 0;
    guess::TesseractGuesser guesser(c.script, [&reports](const std::string&) { ++reports; });
    const auto guesses = GuessesFor(c.line, c.pixels, guesser);
    EXPECT_EQ(reports, 0);
    ASSERT_FALSE(guesser.Unavailable()) << "Tesseract's " << guess::DataName(c.script)
                                        << " data are installed by scripts/setup-deps";
    for (const std::string& glyph : c.ideographs) {
      const auto found = guesses.find(glyph);
      ASSERT_NE(found, guesses.end()) << glyph << " was never asked in " << c.line;
      EXPECT_EQ(found->second, glyph) << "in " << c.line;
    }
    // Isolated full-width marks are beyond the engine; the panel's mark buttons serve them.
    for (const std::string& mark : c.marks) {
      const auto found = guesses.find(mark);
      ASSERT_NE(found, guesses.end()) << mark << " was never asked in " << c.line;
      EXPECT_TRUE(found->second.empty() || found->second == mark)
          << mark << " guessed as " << found->second;
    }
  }
}

TEST(TesseractGuess, ReadsCollectedLinesWholeAndGivesEachNewShapeItsSymbol) {
  const std::string line = "我们中国人，大学生？";
  const int pixels = 32;
  film::Generator generator(pixels);
  ASSERT_EQ(generator.Error(), "");
  film::PictureTruth truth;
  const QImage image = generator.Render({{line}}, truth);
  testing_support::TempDir folder;
  folder.Write("word.wrd", "");
  folder.Write("word.sts", "");
  library::GlyphLibrary library(folder.path());
  ports::NullEventPump null_pump;
  ASSERT_TRUE(library.Load(null_pump).ok());
  platform::QtPictureIo pictures;
  ocr::Recogniser recogniser(library, pictures);
  recogniser.Options().glyph_width = pixels;
  recogniser.Options().line_height = pixels;
  ASSERT_TRUE(recogniser.Prepare(platform::QtPicture(image)).ok());
  document::SubtitleDocument document;
  ocr::GlyphSheet sheet;
  {
    ocr::CollectingTeacher collector(recogniser, document, sheet);
    testing_support::FakeEventPump pump;
    ASSERT_TRUE(recogniser.RecognisePicture(collector, pump));
  }
  guess::TesseractGuesser engine(guess::Script::kSimplified);
  sheet.FinishCandidates(library, nullptr, false, &engine);
  ASSERT_FALSE(engine.Unavailable()) << "chi_sim is installed by scripts/setup-deps";
  int right = 0;
  int shapes = 0;
  for (const ocr::CollectedShape& shape : sheet.Shapes()) {
    const ocr::GlyphBox& box = shape.occurrences.front().box;
    std::string drawn;  // GBK, as the generator places it
    for (const film::PlacedGlyph& glyph : truth.glyphs) {
      if (glyph.ink_right >= box.left && glyph.ink_left <= box.left + box.width - 1) {
        drawn += glyph.text;
      }
    }
    ++shapes;
    for (const ocr::SheetCandidate& candidate : shape.candidates) {
      if (candidate.sources[0] == ocr::SuggestionSource::kLineReading && candidate.text == drawn) {
        ++right;
      }
    }
  }
  EXPECT_EQ(shapes, 10);
  // The engine reads most of a clear line; its marks come back full width.
  EXPECT_GE(right, 8) << right << " of " << shapes << " read right";
}

TEST(TesseractGuess, MissingDataGivesNoGuessAndOneReport) {
  testing_support::TempDir empty;
  const char* before = std::getenv("TESSDATA_PREFIX");
  const std::string saved = before != nullptr ? before : "";
  ::setenv("TESSDATA_PREFIX", empty.path().c_str(), 1);
  int reports = 0;
  std::string problem = "not reported";
  guess::TesseractGuesser guesser(guess::Script::kSimplified,
                                  [&reports, &problem](const std::string& reported) {
                                    ++reports;
                                    problem = reported;
                                  });
  EXPECT_EQ(reports, 0);  // nothing starts before the first guess
  const auto guesses = GuessesFor("我们中国人", 40, guesser);
  EXPECT_EQ(guesses.size(), 5U);  // every glyph was asked, and offered nothing
  for (const auto& [glyph, guess] : guesses) {
    EXPECT_EQ(guess, "") << glyph;
  }
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(problem, "");  // the module loaded; the data were missing
  EXPECT_TRUE(guesser.Unavailable());
  if (before != nullptr) {
    ::setenv("TESSDATA_PREFIX", saved.c_str(), 1);
  } else {
    ::unsetenv("TESSDATA_PREFIX");
  }
  // An explicit folder without the data fails the same way.
  int folder_reports = 0;
  guess::TesseractGuesser in_folder(
      guess::Script::kTraditional, [&folder_reports](const std::string&) { ++folder_reports; },
      empty.path());
  ocr::GuessPicture blank{40, 40, std::vector<std::uint8_t>(1600, 255)};
  EXPECT_EQ(in_folder.Guess(blank), "");
  EXPECT_EQ(in_folder.Guess(blank), "");
  EXPECT_EQ(folder_reports, 1);
}

TEST(TesseractGuess, MissingModuleGivesNoGuessAndNamesTheModule) {
  testing_support::TempDir empty;
  loader::SetModuleFolder(empty.path());
  int reports = 0;
  std::string problem;
  guess::TesseractGuesser guesser(guess::Script::kSimplified,
                                  [&reports, &problem](const std::string& reported) {
                                    ++reports;
                                    problem = reported;
                                  });
  ocr::GuessPicture blank{40, 40, std::vector<std::uint8_t>(1600, 255)};
  EXPECT_EQ(guesser.Guess(blank), "");
  EXPECT_EQ(guesser.Guess(blank), "");
  loader::SetModuleFolder(std::nullopt);
  EXPECT_EQ(reports, 1);
  EXPECT_TRUE(guesser.Unavailable());
  EXPECT_NE(problem.find(loader::kTesseractModule), std::string::npos) << problem;
  EXPECT_NE(problem.find("No such file"), std::string::npos) << problem;  // dlerror's text
  // The folder given back, a new guesser starts.
  guess::TesseractGuesser again(guess::Script::kSimplified);
  again.Guess(blank);
  EXPECT_FALSE(again.Unavailable());
}

// Threads of this process, as the kernel lists them.
int ThreadCount() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<int>(std::distance(begin(tasks), end(tasks)));
}

// "中" drawn 48 pixels high on white, as the guess's grey picture.
ocr::GuessPicture DrawnGlyph() {
  film::Generator generator(48);
  EXPECT_EQ(generator.Error(), "");
  film::PictureTruth truth;
  const QImage grey = generator.Render({{"中"}}, truth, 120, qRgb(255, 255, 255), false)
                          .convertToFormat(QImage::Format_Grayscale8);
  ocr::GuessPicture picture{grey.width(), grey.height(), {}};
  for (int row = 0; row < grey.height(); ++row) {
    const uchar* line = grey.constScanLine(row);
    picture.pixels.insert(picture.pixels.end(), line, line + grey.width());
  }
  return picture;
}

// The threads that guessing `picture` a few times leaves behind. The guesses run on a thread of
// their own, which starts with the OpenMP runtime's settings as the program began.
int ThreadsAddedByGuessing(const ocr::GuessPicture& picture, std::string& guessed) {
  int added = -1;
  std::thread asker([&] {
    guess::TesseractGuesser guesser(guess::Script::kSimplified);
    const int before = ThreadCount();
    for (int i = 0; i < 3; ++i) {
      guessed = text::GbkToUtf8(guesser.Guess(picture)).text;
    }
    added = ThreadCount() - before;
  });
  asker.join();
  return added;
}

// Teaching is one glyph at a time: a team of engine threads per glyph costs more wall time on a
// busy machine than it saves, so the guess reads on the asking thread alone; a thread limit the
// user set is theirs, and then the engine runs its threads as they say.
TEST(TesseractGuess, ReadsOnTheAskingThreadUnlessTheUserSetAThreadLimit) {
  const char* limit = std::getenv("OMP_THREAD_LIMIT");
  ASSERT_TRUE(limit == nullptr || *limit == '\0') << "the test needs the engine's own choice";
  const ocr::GuessPicture picture = DrawnGlyph();
  std::string guessed;
  EXPECT_EQ(ThreadsAddedByGuessing(picture, guessed), 0);
  EXPECT_EQ(guessed, "中");  // the engine did read

  ::setenv("OMP_THREAD_LIMIT", "3", 1);
  guessed.clear();
  const int added = ThreadsAddedByGuessing(picture, guessed);
  ::unsetenv("OMP_THREAD_LIMIT");
  EXPECT_GT(added, 0);
  EXPECT_EQ(guessed, "中");
}

}  // namespace

int main(int argc, char** argv) {
  // Fonts need a GUI application; no screen is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
