// The run with the core reader and a loader thread behaves as the run over pictures loaded one
// by one: the same texts, questions, teaching, stops and restarts; and the hot path of reading,
// preparing and recognising a picture allocates nothing once warmed up.
#include "ocr/read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "ocr/bitmap_reader.h"
#include "ocr/recognition_run.h"
#include "support/bitmap_files.h"
#include "support/fake_ports.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Every allocation of this test binary is counted. The replacements pair malloc with free, which
// the compiler cannot see through.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
// The no-throw form too (std::stable_sort's buffer takes it): with a sanitizer's own allocator
// underneath, every form that reaches the replaced deletes must come from malloc as well.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

using Art = std::vector<std::string>;
using ocr_testing::BitmapFromRows;
using ocr_testing::Compose;

const Art kBlock(10, "########");
const Art kRing = {"########", "#......#", "#......#", "#......#", "#......#",
                   "#......#", "#......#", "#......#", "#......#", "########"};
const Art kCross = {"...##...", "...##...", "...##...", "...##...", "########",
                    "########", "...##...", "...##...", "...##...", "...##..."};
const Art kBar(10, "###");

class MessageTexts : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    return "<" + std::to_string(number) + ">";
  }
};

// Teaches every unknown glyph as "t1", "t2", ...; on the question number `correct_at` it first
// pages back one record and corrects it, which sends the run back to that glyph's row.
class CountingTeacher : public ocr::Teacher {
 public:
  void Teach(ocr::TeachingSession& session) override {
    ++questions;
    if (questions == correct_at && session.CanShowPrevious()) {
      session.ShowPreviousRecord();
      session.SetShownText("fixed");
    }
    (void)session.Save("t" + std::to_string(questions));
  }
  int questions = 0;
  int correct_at = 0;
};

// How pictures reach the run.
enum class Mode { kMemory, kFilesOneJob, kFilesTwoJobs };

// Everything a run leaves that the user could see.
struct Seen {
  std::vector<std::string> texts;
  std::vector<std::string> questions;
  std::vector<std::string> library;  // text and FeatureLine of every record
  std::vector<int> taught_rows;
  ocr::RunEnd end = ocr::RunEnd::kCompleted;
  int next_start_row = 0;
  int rows_recognised = 0;
  int pictures_missing = 0;
  int pump_calls = 0;
  int progress_calls = 0;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
  out << "end " << static_cast<int>(seen.end) << ", next " << seen.next_start_row << ", rows "
      << seen.rows_recognised << ", missing " << seen.pictures_missing << ", pumps "
      << seen.pump_calls << ", texts";
  for (const auto& text : seen.texts) {
    out << " [" << text << "]";
  }
  return out << ", " << seen.questions.size() << " questions, " << seen.library.size()
             << " records";
}

// One film, written as placeholder files with the pictures in memory (kMemory) or as bitmap
// files of alternating kinds.
class Film {
 public:
  explicit Film(Mode mode) : mode_(mode), bitmaps_(memory_) {
    document_.picture_folder = folder_.path();
    document_.picture_mode = true;
  }

  void Add(const std::vector<Art>& glyphs) {
    const int row = Row();
    const std::string name = std::to_string(row) + ".bmp";
    document_.main.SetCell(document::kPicture, row, name);
    const ocr::MemoryPicture picture = BitmapFromRows(Compose(glyphs, 4, 3));
    if (mode_ == Mode::kMemory) {
      folder_.Write(name, "BM");
      memory_.Put(folder_ / name, picture);
      return;
    }
    testing_support::BitmapLayout layout;
    layout.bits = row % 2 == 0 ? 24 : 1;
    layout.palette = {0x000000, 0xFFFFFF};
    testing_support::PixelValues values(static_cast<std::size_t>(picture.Height()));
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const bool ink = picture.Pixel(x, y) == ocr::kInkColour;
        values[static_cast<std::size_t>(y)].push_back(layout.bits == 1 ? (ink ? 0 : 1)
                                                                       : (ink ? 0 : 0xFFFFFF));
      }
    }
    folder_.Write(name, testing_support::EncodeBitmap(values, layout));
  }
  void AddMissing() {
    document_.main.SetCell(document::kPicture, Row(), "missing.bmp");
  }
  void AddFile(const std::string& bytes) {
    const int row = Row();
    const std::string name = std::to_string(row) + ".bmp";
    document_.main.SetCell(document::kPicture, row, name);
    folder_.Write(name, bytes);
  }

  // Runs from `start_row` with the pump stopping at call `stop_at` (0: never).
  Seen Run(int start_row, int stop_at, const std::vector<ports::Answer>& answers) {
    testing_support::FakeEventPump pump;
    pump.stop_at_call = stop_at;
    testing_support::FakeMessages messages;
    messages.answers.assign(answers.begin(), answers.end());
    const ocr::RunPorts ports{teacher_, pump, messages, texts_};
    const ocr::RunOutcome outcome = ocr::RunRecognition(recogniser_, document_, start_row, ports,
                                                        mode_ == Mode::kFilesTwoJobs ? 2 : 1);
    Seen seen;
    for (int row = 1; row < document_.main.RowCount(); ++row) {
      seen.texts.push_back(document_.main.Cell(document::kText, row));
    }
    for (const auto& question : messages.asked) {
      // The folder differs from film to film.
      std::string text = question.text;
      const std::string folder = folder_.path().string();
      if (const auto at = text.find(folder); at != std::string::npos) {
        text.replace(at, folder.size(), "<folder>");
      }
      seen.questions.push_back(text);
    }
    for (int i = 0; i < library_.library.RecordCount(); ++i) {
      seen.library.push_back(library_.library.Text(i) + "=" + library_.library.FeatureLine(i));
    }
    seen.taught_rows = recogniser_.TaughtRows();
    seen.end = outcome.end;
    seen.next_start_row = outcome.next_start_row;
    seen.rows_recognised = outcome.rows_recognised;
    seen.pictures_missing = outcome.pictures_missing;
    seen.pump_calls = pump.pump_calls;
    seen.progress_calls = pump.progress_calls;
    return seen;
  }

  CountingTeacher& Teacher() {
    return teacher_;
  }
  ocr::Recogniser& Engine() {
    return recogniser_;
  }
  const std::filesystem::path& Folder() const {
    return folder_.path();
  }

 private:
  int Row() {
    const int row = next_row_++;
    if (row > 1) {
      document_.main.AppendRow();
    }
    return row;
  }

  Mode mode_;
  ocr_testing::EmptyLibrary library_;
  ocr_testing::MemoryPictureIo memory_;
  ocr::BitmapFileIo bitmaps_;
  testing_support::TempDir folder_;
  ocr::Recogniser recogniser_{library_.library, mode_ == Mode::kMemory
                                                    ? static_cast<ocr::PictureIo&>(memory_)
                                                    : static_cast<ocr::PictureIo&>(bitmaps_)};
  document::SubtitleDocument document_;
  MessageTexts texts_;
  CountingTeacher teacher_;
  int next_row_ = 1;
};

// Rows enough for a run to start its loader thread.
void AddPlainRows(Film& film) {
  for (int i = 0; i < ocr::kRowsWorthReadingAhead; ++i) {
    film.Add({i % 2 == 0 ? kRing : kBlock});
  }
}

void AddRows(Film& film) {
  film.Add({kBlock, kRing});
  film.Add({kRing, kCross, kBlock});
  film.Add({kBar, kBar, kBlock});
  film.AddMissing();
  for (int i = 0; i < 12; ++i) {
    film.Add({i % 2 == 0 ? kCross : kRing, kBlock, i % 3 == 0 ? kBar : kRing});
  }
  film.Add({kCross, kCross});
  AddPlainRows(film);
}

const Mode kModes[] = {Mode::kMemory, Mode::kFilesOneJob, Mode::kFilesTwoJobs};

TEST(ReadAhead, RunsAreTheSameInEveryMode) {
  // Runs of one film: complete, with a stop at pump call N and a resume, with a correction
  // that sends the run back, and with the missing picture declined.
  struct Step {
    int start_row;
    int stop_at;
    std::vector<ports::Answer> answers;
  };
  const struct {
    std::string name;
    int correct_at;
    std::vector<Step> steps;
  } scenarios[] = {
      {"complete", 0, {{1, 0, {ports::Answer::kYes}}}},
      {"declined", 0, {{1, 0, {ports::Answer::kNo}}, {5, 0, {}}}},
      {"corrected", 4, {{1, 0, {ports::Answer::kYes, ports::Answer::kYes}}}},
      {"stopped early", 0, {{1, 3, {}}, {1, 0, {ports::Answer::kYes}}}},
      {"stopped in row 2", 0, {{1, 9, {}}, {2, 0, {ports::Answer::kYes}}}},
      {"stopped later",
       0,
       {{1, 40, {ports::Answer::kYes}}, {9, 0, {}}, {1, 0, {ports::Answer::kYes}}}},
  };
  for (const auto& scenario : scenarios) {
    std::vector<std::vector<Seen>> seen_by_mode;
    for (const Mode mode : kModes) {
      Film film(mode);
      AddRows(film);
      film.Teacher().correct_at = scenario.correct_at;
      seen_by_mode.emplace_back();
      for (const Step& step : scenario.steps) {
        seen_by_mode.back().push_back(film.Run(step.start_row, step.stop_at, step.answers));
      }
    }
    for (std::size_t mode = 1; mode < seen_by_mode.size(); ++mode) {
      for (std::size_t step = 0; step < scenario.steps.size(); ++step) {
        EXPECT_EQ(seen_by_mode[mode][step], seen_by_mode[0][step])
            << scenario.name << ", mode " << mode << ", run " << step;
      }
    }
  }
}

TEST(ReadAhead, DamagedAndOversizedPicturesAskWhetherToGoOn) {
  std::vector<Seen> seen;
  for (const Mode mode : {Mode::kFilesOneJob, Mode::kFilesTwoJobs}) {
    Film film(mode);
    film.Add({kBlock});
    film.AddFile("BM\x10\0\0\0");  // cut short
    testing_support::BitmapLayout wide;
    film.AddFile(testing_support::EncodeBitmap(
        testing_support::PixelValues(2, std::vector<std::uint32_t>(2100, 0)), wide));
    film.Add({kRing});
    AddPlainRows(film);
    seen.push_back(film.Run(1, 0, {ports::Answer::kYes, ports::Answer::kYes}));
    EXPECT_EQ(seen.back().end, ocr::RunEnd::kCompleted);
    EXPECT_EQ(seen.back().pictures_missing, 2);
    ASSERT_EQ(seen.back().questions.size(), 2u);
    EXPECT_EQ(seen.back().questions[0],
              "<folder>/2.bmp is a damaged or unsupported Windows bitmap (not a Windows "
              "bitmap)<446>");
    EXPECT_NE(seen.back().questions[1].find("<folder>/3.bmp: picture is 2100 pixels wide"),
              std::string::npos)
        << seen.back().questions[1];
    const std::vector<std::string> first_rows(seen.back().texts.begin(),
                                              seen.back().texts.begin() + 4);
    EXPECT_EQ(first_rows, (std::vector<std::string>{"t1", "", "", "t2"}));

    Film declined(mode);
    declined.AddFile("BM");
    declined.Add({kRing});
    AddPlainRows(declined);
    EXPECT_EQ(declined.Run(1, 0, {ports::Answer::kNo}).end, ocr::RunEnd::kDeclined);
  }
  EXPECT_EQ(seen[1], seen[0]);
}

// Once a film's glyphs are taught, reading its pictures into one picture, preparing and
// recognising them again and again allocates nothing, with and without the loader thread.
TEST(ReadAhead, ReadingPreparingAndRecognisingAllocatesNothingOnceWarm) {
  Film film(Mode::kFilesOneJob);
  AddRows(film);
  ASSERT_EQ(film.Run(1, 0, {ports::Answer::kYes}).end, ocr::RunEnd::kCompleted);
  ocr::Recogniser& recogniser = film.Engine();
  std::vector<std::string> names;
  std::vector<std::filesystem::path> paths;
  for (int row = 1; row <= 17; ++row) {
    if (row != 4) {
      names.push_back(std::to_string(row) + ".bmp");
      paths.push_back(film.Folder() / names.back());
    }
  }
  ocr_testing::ScriptedTeacher unexpected;  // asked about a glyph, it aborts the walk
  testing_support::FakeEventPump pump;
  auto recognise = [&] {
    ASSERT_TRUE(recogniser.Prepare(recogniser.SparePicture()).ok());
    ASSERT_TRUE(recogniser.RecognisePicture(unexpected, pump));
  };
  auto one_by_one = [&] {
    for (const auto& path : paths) {
      ASSERT_TRUE(recogniser.Pictures().LoadInto(path, recogniser.SparePicture()).ok());
      recognise();
    }
  };
  ocr::PictureReadAhead ahead(recogniser.Pictures(), 2);
  ASSERT_TRUE(ahead.Enabled());
  auto read_ahead = [&] {
    ahead.Reset();
    int requested = 0;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
      while (requested < static_cast<int>(names.size()) && ahead.HasRoom()) {
        ahead.Request(requested, film.Folder(), names[static_cast<std::size_t>(requested)]);
        ++requested;
      }
      ASSERT_TRUE(ahead.Take(i, names[static_cast<std::size_t>(i)], recogniser.SparePicture()));
      recognise();
    }
  };
  // Pictures pass between the ring, the spare and the grid, so each buffer meets the largest
  // file only after a few rounds.
  for (int warm_up = 0; warm_up < 6; ++warm_up) {
    one_by_one();
    read_ahead();
  }
  long before = allocations.load();
  one_by_one();
  EXPECT_EQ(allocations.load() - before, 0) << "one by one";
  before = allocations.load();
  read_ahead();
  EXPECT_EQ(allocations.load() - before, 0) << "read ahead";
  EXPECT_EQ(unexpected.questions, 0);
}

// The choice between the loader and the run's own loads: the two ways take turns, the faster
// in all is kept (the loader only when clearly faster) for a while that grows as long as the
// same way keeps winning, and a stretch that asked the user anything is not counted.
TEST(LoaderChoice, KeepsTheFasterWayInAllAndComparesAgainLater) {
  using std::chrono::microseconds;
  using Choice = ocr::LoaderChoice;
  std::chrono::steady_clock::time_point now{};
  Choice choice(true, [&now] { return now; });
  // One stretch whose rows take `loader` and `own` microseconds each way; the ways it used.
  auto stretch = [&](int loader, int own, bool ask = false) {
    std::string ways;
    for (int row = 0; row < Choice::kStretchRows; ++row) {
      ways += choice.UseLoader() ? 'L' : 'O';
      now += microseconds(choice.UseLoader() ? loader : own);
      choice.RowDone(ask && row == 5);
    }
    return ways.find_first_not_of(ways[0]) == std::string::npos ? ways.substr(0, 1) : ways;
  };
  // Stretches until the way changes; the ways used, one letter a stretch.
  auto until_change = [&](int loader, int own) {
    std::string ways = stretch(loader, own);
    while (ways.size() < 100000) {
      ways += stretch(loader, own);
      if (ways.back() != ways.front()) {
        break;
      }
    }
    return ways;
  };
  const int turns = 2 * Choice::kComparedStretches;
  auto alternating = [](int stretches) {
    std::string ways;
    for (int i = 0; i < stretches; ++i) {
      ways += i % 2 == 0 ? 'L' : 'O';
    }
    return ways;
  };
  auto compare = [&](int loader, int own) {
    std::string ways;
    for (int i = 0; i < turns; ++i) {
      ways += stretch(loader, own);
    }
    return ways;
  };
  // Kept for at least kKeptStretches stretches and the keeping time, in stretches of rows of
  // `row` microseconds.
  auto kept_stretches = [](std::chrono::milliseconds time, int row) {
    const long long stretch_time = static_cast<long long>(row) * Choice::kStretchRows;
    return static_cast<std::size_t>(std::max<long long>(
        Choice::kKeptStretches,
        (std::chrono::duration_cast<microseconds>(time).count() + stretch_time - 1) /
            stretch_time));
  };

  EXPECT_EQ(stretch(900, 10), "L");  // warming up: whatever it takes
  // The turns: the loader is slower in all, though faster in its first two stretches; a stretch
  // that asked a question is left out, and one more turn is taken for it.
  std::string ways = stretch(10, 20);
  ways += stretch(30, 20, true);
  for (int i = 0; i < turns; ++i) {
    ways += stretch(i == 0 ? 10 : 30, 20);
  }
  EXPECT_EQ(ways, alternating(turns + 2));
  // Kept, then the loader is warmed up again.
  EXPECT_EQ(until_change(30, 20), std::string(kept_stretches(Choice::kKeepTime, 20), 'O') + "L");
  // The same way wins again and is kept twice as long.
  EXPECT_EQ(compare(30, 20), alternating(turns));
  EXPECT_EQ(until_change(30, 20),
            std::string(kept_stretches(2 * Choice::kKeepTime, 20), 'O') + "L");
  // A loader only a little faster does not win.
  EXPECT_EQ(compare(19, 20), alternating(turns));
  EXPECT_EQ(stretch(19, 20), "O");
  until_change(19, 20);
  // A clearly faster one does, and is kept for the first length again: the warming up and the
  // first turn follow with the loader too.
  EXPECT_EQ(compare(10, 20), alternating(turns));
  EXPECT_EQ(until_change(10, 20),
            std::string(kept_stretches(Choice::kKeepTime, 10) + 2, 'L') + "O");

  ocr::LoaderChoice without(false);
  for (int row = 0; row < 5 * Choice::kStretchRows; ++row) {
    EXPECT_FALSE(without.UseLoader());
    without.RowDone(false);
  }
}

// A run long enough to change between the loader and its own loads, both ways, reads every
// picture and gives the texts of a run on one thread.
TEST(ReadAhead, ARunThatChangesHowItLoadsGivesTheSameTexts) {
  Film one_job(Mode::kFilesOneJob);
  Film two_jobs(Mode::kFilesTwoJobs);
  const int stretches = 4 + 2 * ocr::LoaderChoice::kComparedStretches;
  for (Film* film : {&one_job, &two_jobs}) {
    film->Add({kCross, kBar});
    for (int i = 0; i < stretches; ++i) {
      AddPlainRows(*film);
    }
  }
  EXPECT_EQ(two_jobs.Run(1, 0, {}), one_job.Run(1, 0, {}));
}

}  // namespace
