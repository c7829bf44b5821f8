// From a disc stream to text: a generated 1080p PGS film (text rendered with a CJK font, a light
// fill in a dark outline) read five ways, in pictures per second of wall-clock and of CPU time:
// FFmpeg's decoding alone (libavformat and libavcodec, no more), the import's decoding and ink
// without files, the import to bitmap files, the recognition of those files, and the direct
// path (decoded, inked and recognised in memory), each recognition with a complete library. The
// table at the end sets them side by side, each with its time over FFmpeg's. The stream and the
// working folder stay in $TMPDIR/zentrope-bench-disc-N (N pictures) for timing zentrope-cli.
//   build/bench/bench_disc                     ZENTROPE_BENCH_PICTURES=N (default 600)
#include <benchmark/benchmark.h>
#include <time.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/disc_recognition.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "film_generator.h"
#include "import/disc_import.h"
#include "library/glyph_library.h"
#include "ocr/bitmap_reader.h"
#include "ocr/held_pictures.h"
#include "ocr/read_ahead.h"
#include "ocr/recognition_run.h"
#include "ocr/size_estimate.h"
#include "platform/qt_picture.h"
#include "ports/host_ports.h"
#include "silent_ports.h"
#include "support/disc_streams.h"
#include "text/line_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPictureWidth = 1400;  // the rendered area; the stream's objects are cropped to ink
constexpr std::uint8_t kFillId = 1;  // SyntheticPalette's light fill
constexpr std::uint8_t kOutlineId = 4;

int BenchPictures() {
  const char* given = std::getenv("ZENTROPE_BENCH_PICTURES");
  const int count = given != nullptr ? std::atoi(given) : 0;
  return count > 0 ? count : 600;
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A rendered picture as a PGS object: ink the fill, two pixels around it the outline, cropped
// to the opaque pixels; the truth's columns and rows moved to the picture the import makes of
// it (cropped to the same pixels with its 4-pixel margin).
testing_support::PgsPicture ToPgs(const QImage& image, film::PictureTruth& truth) {
  const int w = image.width();
  const int h = image.height();
  std::vector<std::uint8_t> ink(static_cast<std::size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      ink[static_cast<std::size_t>(y) * w + x] = qGray(row[x]) < 128 ? 1 : 0;
    }
  }
  // The outline: ink spread two pixels each way (rows, then columns).
  std::vector<std::uint8_t> across(ink.size(), 0);
  std::vector<std::uint8_t> opaque(ink.size(), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int d = -2; d <= 2; ++d) {
        const int xx = std::clamp(x + d, 0, w - 1);
        across[static_cast<std::size_t>(y) * w + x] |= ink[static_cast<std::size_t>(y) * w + xx];
      }
    }
  }
  int left = w, right = -1, top = h, bottom = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t any = 0;
      for (int d = -2; d <= 2; ++d) {
        any |= across[static_cast<std::size_t>(std::clamp(y + d, 0, h - 1)) * w + x];
      }
      opaque[static_cast<std::size_t>(y) * w + x] = any;
      if (any != 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  testing_support::PgsPicture picture;
  picture.width = right - left + 1;
  picture.height = bottom - top + 1;
  picture.x = (1920 - kPictureWidth) / 2 + left;
  picture.y = 1080 - 60 - h + top;
  picture.palette = testing_support::SyntheticPalette();
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y + top) * w + (x + left);
      picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = ink[at] != 0 ? kFillId
                                                                        : opaque[at] != 0
                                                                            ? kOutlineId
                                                                            : 0;
    }
  }
  const int shift_x = left - import::kCropMargin;
  const int shift_y = top - import::kCropMargin;
  for (film::PlacedGlyph& glyph : truth.glyphs) {
    glyph.ink_left -= shift_x;
    glyph.ink_right -= shift_x;
  }
  for (auto& rows : truth.line_rows) {
    rows.first -= shift_y;
    rows.second -= shift_y;
  }
  return picture;
}

// Renders `entries` into a .sup at `file`, one picture every 3 s; their truths in `truths`.
bool WriteStream(film::Generator& generator, const std::vector<film::SubtitleLines>& entries,
                 const fs::path& file, std::vector<film::PictureTruth>& truths) {
  std::vector<testing_support::PgsPicture> pictures;
  truths.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    film::PictureTruth truth;
    const QImage image =
        generator.Render(entries[i], truth, kPictureWidth, qRgb(255, 255, 255), false);
    testing_support::PgsPicture picture = ToPgs(image, truth);
    picture.start = 1000 + static_cast<std::int64_t>(i) * 3000;
    picture.end = picture.start + 2400;
    pictures.push_back(std::move(picture));
    truths.push_back(std::move(truth));
  }
  return text::WriteFileAtomic(file,
                               testing_support::SupFile(testing_support::PgsDisplaySets(pictures)))
      .ok();
}

struct Setup {
  fs::path root;
  fs::path film;  // the bench stream
  int pictures = 0;
  std::unique_ptr<library::GlyphLibrary> library;
  platform::QtPictureIo toolkit;
  ocr::BitmapFileIo files{toolkit};
  bool ok = false;
};

// Recognises `document` from its picture layer `pictures` with the complete library, as the
// ocr command does (standard sizes estimated first); the rows recognised.
int Recognise(Setup& setup, ocr::PictureIo& pictures, document::SubtitleDocument& document,
              int& unknown) {
  ocr::Recogniser recogniser(*setup.library, pictures);
  ocr::EstimateStandardSizes(recogniser, document, ocr::kDefaultSampleLines);
  ports::NullEventPump pump;
  bench_support::AnswerYes questions;
  bench_support::NoTexts texts;
  bench_support::CountingSkipper skipper;
  const auto outcome = ocr::RunRecognition(recogniser, document, 1,
                                           {skipper, pump, questions, texts}, ocr::DefaultJobs());
  unknown = skipper.unknown;
  return outcome.rows_recognised;
}

Setup& TheSetup() {
  static Setup setup = [] {
    Setup s;
    s.pictures = BenchPictures();
    s.root = fs::temp_directory_path() / ("zentrope-bench-disc-" + std::to_string(s.pictures));
    std::error_code error;
    fs::remove_all(s.root, error);
    fs::create_directories(s.root / "work", error);
    film::Generator generator(36, 11);
    if (!generator.Error().empty()) {
      std::fprintf(stderr, "error: %s\n", generator.Error().c_str());
      return s;
    }
    std::vector<film::PictureTruth> train_truths;
    std::vector<film::PictureTruth> bench_truths;
    s.film = s.root / "film.sup";
    if (!WriteStream(generator, generator.CoveringTexts(3), s.root / "train.sup", train_truths) ||
        !WriteStream(generator, generator.RandomTexts(s.pictures), s.film, bench_truths)) {
      std::fprintf(stderr, "error: cannot write the streams\n");
      return s;
    }
    for (const char* file : {"word.wrd", "word.sts", "newword.wrd", "newword.sts"}) {
      (void)text::WriteFileAtomic(s.root / "work" / file, "");
    }
    s.library = std::make_unique<library::GlyphLibrary>(s.root / "work");
    ports::NullEventPump pump;
    if (!s.library->Load(pump).ok()) {
      return s;
    }
    // The library: every glyph of the training stream and of the film taught, through the
    // direct path itself, as a careful user would.
    bench_support::AnswerYes questions;
    bench_support::NoTexts texts;
    for (const auto& [stream, truths] :
         {std::pair{s.root / "train.sup", &train_truths}, std::pair{s.film, &bench_truths}}) {
      document::SubtitleDocument document(document::UndoHistory::kNotRecorded);
      ocr::HeldPictureIo held(s.files);
      if (!app::OpenDiscSubtitle(stream, {}, {}, pump, document, held).ok()) {
        return s;
      }
      ocr::Recogniser recogniser(*s.library, held);
      ocr::EstimateStandardSizes(recogniser, document, ocr::kDefaultSampleLines);
      film::FilmTeacher teacher(recogniser, *truths);
      ocr::RunRecognition(recogniser, document, 1, {teacher, pump, questions, texts});
      std::printf("%s: %d pictures, %d glyphs taught, %d skipped, library %d records\n",
                  stream.filename().c_str(), document.main.DataRowCount(), teacher.saved,
                  teacher.skipped, s.library->RecordCount());
    }
    if (s.library->JournalCount() > 0) {
      (void)s.library->ArchiveJournal();
    }
    std::error_code size_error;
    std::printf("film: %d pictures of 1920x1080 video, %s, %.1f MB\n", s.pictures, s.film.c_str(),
                static_cast<double>(fs::file_size(s.film, size_error)) / (1 << 20));
    s.ok = true;
    return s;
  }();
  return setup;
}

// Seconds each way took over all its iterations, for the closing table.
struct Figures {
  double wall = 0;
  double cpu = 0;
  long long pictures = 0;
};
std::map<std::string, Figures>& AllFigures() {
  static std::map<std::string, Figures> figures;
  return figures;
}

// Times `body` (which returns the pictures it handled, or -1 on failure) over the iterations.
template <typename Body>
void Measure(benchmark::State& state, const std::string& name, Body body) {
  Setup& setup = TheSetup();
  if (!setup.ok) {
    state.SkipWithError("setup failed");
    return;
  }
  Figures figures;
  for (auto _ : state) {
    const auto wall_begin = std::chrono::steady_clock::now();
    const double cpu_begin = CpuSeconds();
    const long long pictures = body(setup);
    figures.cpu += CpuSeconds() - cpu_begin;
    figures.wall +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_begin).count();
    if (pictures < 0) {
      state.SkipWithError("the run failed");
      return;
    }
    figures.pictures += pictures;
  }
  state.counters["pictures/s"] = static_cast<double>(figures.pictures) / figures.wall;
  state.counters["pictures/cpu_s"] = static_cast<double>(figures.pictures) / figures.cpu;
  AllFigures()[name] = figures;
}

// FFmpeg alone: every packet of the subtitle stream read and decoded into its rectangles.
long long FfmpegDecode(const fs::path& file) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, file.c_str(), nullptr, nullptr) < 0) {
    return -1;
  }
  long long pictures = -1;
  const AVCodec* codec = nullptr;
  const int stream = avformat_find_stream_info(format, nullptr) >= 0
                         ? av_find_best_stream(format, AVMEDIA_TYPE_SUBTITLE, -1, -1, &codec, 0)
                         : -1;
  AVCodecContext* context = stream >= 0 ? avcodec_alloc_context3(codec) : nullptr;
  AVPacket* packet = av_packet_alloc();
  if (context != nullptr &&
      avcodec_parameters_to_context(context, format->streams[stream]->codecpar) >= 0 &&
      avcodec_open2(context, codec, nullptr) >= 0) {
    pictures = 0;
    while (av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == stream) {
        AVSubtitle subtitle{};
        int got = 0;
        if (avcodec_decode_subtitle2(context, &subtitle, &got, packet) >= 0 && got != 0) {
          pictures += subtitle.num_rects > 0 ? 1 : 0;
          avsubtitle_free(&subtitle);
        }
      }
      av_packet_unref(packet);
    }
  }
  av_packet_free(&packet);
  avcodec_free_context(&context);
  avformat_close_input(&format);
  return pictures;
}

void BM_FfmpegDecode(benchmark::State& state) {
  Measure(state, "1 FFmpeg decoding alone", [](Setup& s) { return FfmpegDecode(s.film); });
}

// The import's own share of the direct path: the stream decoded and each picture inked, the
// pictures thrown away.
void BM_DecodeAndInk(benchmark::State& state) {
  Measure(state, "2 decode and ink (no files)", [](Setup& s) -> long long {
    ports::NullEventPump pump;
    std::string srt;
    auto report = import::ReadDiscSubtitles(
        s.film, {}, pump,
        [](int, const import::SubtitleBitmap&, const import::InkPicture&) {
          return text::Success();
        },
        srt);
    return report.ok() ? report.value().pictures : -1;
  });
}

void BM_ImportToFiles(benchmark::State& state) {
  Measure(state, "3 import to files", [](Setup& s) -> long long {
    const fs::path out = s.root / "imported";
    std::error_code error;
    fs::remove_all(out, error);
    import::ImportOptions options;
    ports::NullEventPump pump;
    auto report = import::ImportDiscSubtitles(s.film, out, options, pump);
    return report.ok() ? report.value().pictures : -1;
  });
}

void BM_RecogniseFiles(benchmark::State& state) {
  Measure(state, "4 recognise from files", [](Setup& s) -> long long {
    const fs::path out = s.root / "imported";
    std::error_code error;
    if (!fs::exists(out / "film.srt", error)) {
      ports::NullEventPump pump;
      if (!import::ImportDiscSubtitles(s.film, out, {}, pump).ok()) {
        return -1;
      }
    }
    document::SubtitleDocument document(document::UndoHistory::kNotRecorded);
    document.source_extension = ".srt";
    if (!document::ReadSubtitleFile(out / "film.srt", document::Role::kMain, document).ok()) {
      return -1;
    }
    document.picture_folder = out;
    int unknown = 0;
    const int rows = Recognise(s, s.files, document, unknown);
    return unknown == 0 ? rows : -1;
  });
}

void BM_Direct(benchmark::State& state) {
  Measure(state, "5 direct (decode, ink, recognise)", [](Setup& s) -> long long {
    document::SubtitleDocument document(document::UndoHistory::kNotRecorded);
    ocr::HeldPictureIo held(s.files);
    ports::NullEventPump pump;
    if (!app::OpenDiscSubtitle(s.film, {}, {}, pump, document, held).ok()) {
      return -1;
    }
    int unknown = 0;
    const int rows = Recognise(s, held, document, unknown);
    return unknown == 0 ? rows : -1;
  });
}

BENCHMARK(BM_FfmpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DecodeAndInk)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ImportToFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_RecogniseFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Direct)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void PrintTable() {
  const auto& figures = AllFigures();
  const auto ffmpeg = figures.find("1 FFmpeg decoding alone");
  std::printf("\n%-36s %12s %12s %10s %10s\n", "same stream", "pictures/s", "pictures/cpu_s",
              "x FFmpeg", "cpu x FFmpeg");
  for (const auto& [name, f] : figures) {
    const double rate = static_cast<double>(f.pictures) / f.wall;
    const double cpu_rate = static_cast<double>(f.pictures) / f.cpu;
    double ratio = 0;
    double cpu_ratio = 0;
    if (ffmpeg != figures.end()) {
      const Figures& base = ffmpeg->second;
      ratio = (static_cast<double>(base.pictures) / base.wall) / rate;
      cpu_ratio = (static_cast<double>(base.pictures) / base.cpu) / cpu_rate;
    }
    std::printf("%-36s %12.0f %12.0f %10.2f %10.2f\n", name.substr(2).c_str(), rate, cpu_rate,
                ratio, cpu_ratio);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  TheSetup();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintTable();
  return 0;
}
