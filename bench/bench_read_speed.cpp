// Recognition speed against the speed of plainly reading the same files. For each picture
// subtitle given: teaches a fresh library every glyph of the film (so the timed runs ask
// nothing), then times reading every picture file and whole runs with the toolkit's reader
// and with the core reader on one and two jobs, best of several passes with warm files, and
// checks that every run gave the same texts.
//   bench_read_speed [--passes N] FILM.srt...
#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "library/glyph_library.h"
#include "ocr/bitmap_reader.h"
#include "ocr/recognition_run.h"
#include "ocr/size_estimate.h"
#include "platform/qt_picture.h"
#include "ports/host_ports.h"
#include "silent_ports.h"
#include "text/line_file.h"

namespace {

struct Times {
  double wall = 1e30;  // seconds, best pass
  double cpu = 1e30;   // seconds of the whole process (every thread), same pass
};

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename Body>
Times Best(int passes, Body body) {
  Times best;
  for (int pass = 0; pass < passes; ++pass) {
    const auto wall_start = std::chrono::steady_clock::now();
    const double cpu_start = CpuSeconds();
    body();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    if (wall < best.wall) {
      best = {wall, CpuSeconds() - cpu_start};
    }
  }
  return best;
}

class NumberingTeacher : public ocr::Teacher {
 public:
  void Teach(ocr::TeachingSession& session) override {
    if (!session.Save("g" + std::to_string(++saved)).ok()) {
      session.Skip();
    }
  }
  int saved = 0;
};

using bench_support::CountingSkipper;

// Reads every picture of the film into one buffer, as the core reader does, without decoding.
long long ReadFiles(const document::SubtitleDocument& film, std::vector<char>& buffer) {
  long long bytes = 0;
  for (int row = 1; row < film.main.RowCount(); ++row) {
    const auto path = film.picture_folder / film.main.Cell(document::kPicture, row);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      continue;
    }
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::lseek(fd, 0, SEEK_SET);
    buffer.resize(std::max<std::size_t>(buffer.size(), static_cast<std::size_t>(size)));
    const ssize_t got = ::read(fd, buffer.data(), static_cast<std::size_t>(size));
    bytes += got > 0 ? got : 0;
    ::close(fd);
  }
  return bytes;
}

int BenchFilm(const std::filesystem::path& srt, int passes) {
  document::SubtitleDocument film;
  film.source_extension = ".srt";
  if (!document::ReadSubtitleFile(srt, document::Role::kMain, film).ok() || !film.picture_mode) {
    std::fprintf(stderr, "error: %s is not a picture subtitle\n", srt.string().c_str());
    return 1;
  }
  film.picture_folder = std::filesystem::absolute(srt).parent_path();
  const int pictures = film.main.DataRowCount();
  // Short films are run several times in a pass, so that each timing covers about 3,000
  // pictures.
  const int rounds = std::max(1, 3000 / std::max(pictures, 1));

  const auto work = std::filesystem::temp_directory_path() / "zentrope-bench-read-speed";
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  (void)text::WriteFileAtomic(work / "word.wrd", "");
  (void)text::WriteFileAtomic(work / "word.sts", "");
  ports::NullEventPump pump;
  library::GlyphLibrary library(work);
  if (!library.Load(pump).ok()) {
    std::fprintf(stderr, "error: cannot make a library in %s\n", work.string().c_str());
    return 1;
  }
  platform::QtPictureIo toolkit;
  ocr::BitmapFileIo core(toolkit);
  bench_support::AnswerYes questions;
  bench_support::NoTexts texts;
  ocr::Recogniser teaching(library, core);
  ocr::EstimateStandardSizes(teaching, film, ocr::kDefaultSampleLines);
  NumberingTeacher teacher;
  ocr::RunRecognition(teaching, film, 1, {teacher, pump, questions, texts}, 1);

  std::vector<char> buffer;
  long long bytes = 0;
  const Times read = Best(passes, [&] {
    for (int round = 0; round < rounds; ++round) {
      bytes = ReadFiles(film, buffer);
    }
  });
  std::printf("%s: %d pictures (%.1f MB), %d glyphs taught, %d run(s) a pass, best of %d\n",
              srt.filename().string().c_str(), pictures, static_cast<double>(bytes) / 1e6,
              teacher.saved, rounds, passes);
  const double total = static_cast<double>(pictures) * rounds;
  std::printf("  %-22s %10.0f pictures/s  wall %8.1f ms  cpu %8.1f ms\n", "reading the files",
              total / read.wall, read.wall * 1e3, read.cpu * 1e3);

  struct Config {
    const char* name;
    ocr::PictureIo* pictures;
    int jobs;
  };
  const Config configs[] = {{"toolkit reader, 1 job", &toolkit, 1},
                            {"core reader, 1 job", &core, 1},
                            {"core reader, 2 jobs", &core, 2}};
  std::vector<std::string> first_texts;
  for (const Config& config : configs) {
    ocr::Recogniser recogniser(library, *config.pictures);
    recogniser.Options() = teaching.Options();
    CountingSkipper skipper;
    ocr::RunOutcome outcome;
    const Times run = Best(passes, [&] {
      for (int round = 0; round < rounds; ++round) {
        outcome = ocr::RunRecognition(recogniser, film, 1, {skipper, pump, questions, texts},
                                      config.jobs);
      }
    });
    std::vector<std::string> row_texts;
    for (int row = 1; row < film.main.RowCount(); ++row) {
      row_texts.push_back(film.main.Cell(document::kText, row));
    }
    if (first_texts.empty()) {
      first_texts = row_texts;
    }
    // On a loaded machine the wall clock counts other programs' time too; the CPU ratio
    // compares the work alone.
    std::printf(
        "  %-22s %10.0f pictures/s  wall %8.1f ms  cpu %8.1f ms  %.2fx reading (cpu %.2fx)  "
        "(%d recognised, %d unknown, texts %s)\n",
        config.name, total / run.wall, run.wall * 1e3, run.cpu * 1e3, run.wall / read.wall,
        run.cpu / read.cpu, outcome.rows_recognised, skipper.unknown,
        row_texts == first_texts ? "identical" : "DIFFERENT");
  }
  std::filesystem::remove_all(work);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  int passes = 5;
  std::vector<std::filesystem::path> films;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--passes" && i + 1 < argc) {
      passes = std::max(1, std::atoi(argv[++i]));
    } else {
      films.emplace_back(argument);
    }
  }
  if (films.empty()) {
    std::fprintf(stderr, "usage: bench_read_speed [--passes N] FILM.srt...\n");
    return 2;
  }
  int status = 0;
  for (const auto& film : films) {
    status |= BenchFilm(film, passes);
  }
  return status;
}
