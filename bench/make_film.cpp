// make_film: writes a generated picture subtitle (film.srt or NAME, pictures, truth.txt and
// reference.srt, the true texts as a text subtitle).
// Usage: make_film FOLDER COUNT [SEED] [WIDTH] [SRT_NAME] [FONT_PIXELS] [BITS]
// BITS: "mixed" (the default: mostly 1-bit pictures, an 8-bit and a 24-bit one in every ten),
// or 1, 8 or 24 for every picture (rippers of Blu-ray discs mostly write 24-bit ones).
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "film_generator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: make_film FOLDER COUNT [SEED] [WIDTH] [SRT_NAME] [FONT_PIXELS] "
                 "[mixed|1|8|24]\n");
    return 1;
  }
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication application(argc, argv);
  const int count = std::atoi(argv[2]);
  const auto seed = static_cast<std::uint32_t>(argc > 3 ? std::atoi(argv[3]) : 1);
  const int width = argc > 4 ? std::atoi(argv[4]) : 720;
  const std::string srt_name = argc > 5 ? argv[5] : "film.srt";
  const int font_pixels = argc > 6 ? std::atoi(argv[6]) : 28;
  film::Generator generator(font_pixels, seed);
  if (!generator.Error().empty()) {
    std::fprintf(stderr, "error: %s\n", generator.Error().c_str());
    return 1;
  }
  const std::string bits = argc > 7 ? argv[7] : "mixed";
  std::vector<film::BitDepth> depths;
  if (bits == "mixed") {
    // Mostly 1-bit pictures (small files), with an 8-bit and a 24-bit one in every ten.
    depths.assign(10, film::BitDepth::kMono);
    depths[2] = film::BitDepth::kIndexed8;
    depths[9] = film::BitDepth::kRgb24;
  } else if (bits == "1" || bits == "8" || bits == "24") {
    depths = {bits == "1"   ? film::BitDepth::kMono
              : bits == "8" ? film::BitDepth::kIndexed8
                            : film::BitDepth::kRgb24};
  } else {
    std::fprintf(stderr, "error: BITS must be mixed, 1, 8 or 24, not %s\n", bits.c_str());
    return 1;
  }
  const auto written =
      generator.WriteFilm(argv[1], generator.RandomTexts(count), width, srt_name, depths);
  if (!written.ok()) {
    std::fprintf(stderr, "error: %s\n", written.error().message.c_str());
    return 1;
  }
  std::printf("%zu pictures written to %s\n", written.value().size(), argv[1]);
  return 0;
}
