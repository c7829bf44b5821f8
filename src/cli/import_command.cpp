// zentrope-cli import: a disc subtitle track (PGS, VobSub, Matroska, MPEG-TS) to a picture
// subtitle: OUTDIR/<input name>.srt naming 0001.bmp ... and those bitmaps.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/status_texts.h"
#include "cli/commands.h"
#include "cli/import_options.h"
#include "import/disc_import.h"

namespace cli {
namespace {

struct ImportArguments {
  std::string input;
  std::string output;
  DiscArguments disc;
  bool list_tracks = false;
  int bits = 1;
  int first = 1;
  int last = 0;
  bool overwrite = false;
  bool allow_partial = false;
};

// Exit status of the command: 0 done, 2 nothing written because of an error.
constexpr int kFailed = 2;

int Fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return kFailed;
}

// Rewrites one progress line on the error stream when it is a terminal, at most every 200
// pictures, and ends it when the import ends.
class ImportProgress : public ports::NullEventPump {
 public:
  ImportProgress() : terminal_(isatty(STDERR_FILENO) != 0) {}
  ~ImportProgress() override {
    if (shown_) {
      std::fputc('\n', stderr);
    }
  }
  void ReportProgress(int done, int total) override {
    ++pictures_;
    if (!terminal_ || total <= 0 || pictures_ % 200 != 0) {
      return;
    }
    std::fprintf(stderr, "\rimporting: %d pictures, %d%% of the input read", pictures_,
                 done * 100 / total);
    std::fflush(stderr);
    shown_ = true;
  }

 private:
  bool terminal_;
  bool shown_ = false;
  int pictures_ = 0;
};

std::string CodecLabel(const import::TrackInfo& track) {
  switch (track.codec) {
    case import::SubtitleCodec::kPgs:
      return "PGS";
    case import::SubtitleCodec::kVobSub:
      return "VobSub";
    case import::SubtitleCodec::kOther:
      break;
  }
  return track.codec_name + " (not importable)";
}

int ListTracks(const ImportArguments& arguments) {
  auto tracks = import::ListTracks(arguments.input);
  if (!tracks) {
    return Fail(tracks.error().message);
  }
  for (const import::TrackInfo& track : tracks.value()) {
    std::string line = std::to_string(track.number) + ": " + CodecLabel(track);
    if (!track.language.empty()) {
      line += ", " + track.language;
    }
    if (!track.title.empty()) {
      line += ", \"" + track.title + "\"";
    }
    if (track.default_track) {
      line += ", default";
    }
    if (track.forced) {
      line += ", forced";
    }
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

std::string InkSummary(const import::ImportReport& report) {
  std::string summary;
  for (int used = 0; used < 4; ++used) {
    const int count = report.ink_used[static_cast<std::size_t>(used)];
    if (count > 0) {
      summary += (summary.empty() ? "" : ", ") +
                 import::InkUsedName(static_cast<import::InkUsed>(used)) + " on " +
                 std::to_string(count);
    }
  }
  return summary;
}

int RunImport(const ImportArguments& arguments) {
  if (arguments.list_tracks) {
    return ListTracks(arguments);
  }
  if (arguments.output.empty()) {
    return Fail("import needs the output folder: -o OUTDIR");
  }
  import::ImportOptions options = ImportOptionsFrom(arguments.disc);
  options.first = arguments.first;
  options.last = arguments.last;
  options.overwrite = arguments.overwrite;
  options.allow_partial = arguments.allow_partial;
  options.depth = arguments.bits == 24 ? import::BmpDepth::k24 : import::BmpDepth::k1;
  std::optional<import::ImportReport> report;
  {
    ImportProgress progress;
    auto imported =
        import::ImportDiscSubtitles(arguments.input, arguments.output, options, progress);
    if (!imported) {
      if (imported.error().code == "exists") {
        return Fail(imported.error().message + " (give --overwrite to replace them)");
      }
      if (imported.error().code == "partial") {
        return Fail(imported.error().message +
                    " (give --allow-partial to import the pictures before it)");
      }
      return Fail(imported.error().message);
    }
    report = std::move(imported).value();
  }
  const import::ImportReport& r = *report;
  std::printf("%s: %d pictures from %s to %s (track %d, %s)\n", arguments.input.c_str(), r.pictures,
              import::SrtTime(r.first_start).c_str(), import::SrtTime(r.last_end).c_str(),
              r.track.number, CodecLabel(r.track).c_str());
  std::printf("ink: %s\n", InkSummary(r).c_str());
  // Only a halving import says so: the summary of a full-size one stays as it was.
  if (r.halved > 0) {
    std::printf("half size: %d of %d pictures\n", r.halved, r.pictures);
  }
  if (r.empty_dropped > 0) {
    std::printf("empty display sets dropped: %d\n", r.empty_dropped);
  }
  if (!r.forced.empty()) {
    std::string entries;
    for (const int entry : r.forced) {
      entries += (entries.empty() ? "" : ", ") + std::to_string(entry);
    }
    std::printf("forced entries: %s\n", entries.c_str());
  }
  std::printf("written: %s\n", r.subtitle_file.c_str());
  for (const std::string& warning : r.warnings) {
    std::fprintf(stderr, "warning: %s\n", warning.c_str());
  }
  if (!r.too_wide.empty()) {
    const std::string pictures = app::NumberList(r.too_wide, r.too_wide.size());
    std::fprintf(stderr,
                 "warning: pictures wider than %d pixels, which recognition will ask about as "
                 "damaged pictures%s: %s\n",
                 import::kMaxRecognisedWidth,
                 r.halved == 0 ? " (--scale 2 imports them at half size)" : "", pictures.c_str());
  }
  return 0;
}

}  // namespace

void AddImportCommand(CLI::App& app) {
  auto arguments = std::make_shared<ImportArguments>();
  CLI::App* command = app.add_subcommand(
      "import",
      "Import a disc subtitle track (PGS .sup, VobSub .idx/.sub, .mkv/.mks/.m2ts/.ts) as a "
      "picture subtitle: OUTDIR/<input name>.srt naming 0001.bmp ... (exit 2 on errors, a "
      "stream that ends early included unless --allow-partial)");
  command->add_option("INPUT", arguments->input, "The disc subtitle file")->required();
  command->add_option("-o,--output", arguments->output,
                      "Folder to write (made; refused when it holds files, unless --overwrite)");
  AddDiscOptions(*command, arguments->disc);
  command->add_flag("--list-tracks", arguments->list_tracks,
                    "List the subtitle tracks of INPUT (number: kind, language, \"name\", "
                    "default, forced) and write nothing");
  command
      ->add_option("--bits", arguments->bits,
                   "Bits a pixel of the pictures: 1 (black and white, the default) or 24 (as "
                   "imports wrote before; recognition reads both alike)")
      ->check(CLI::IsMember({1, 24}));
  command->add_option("--first", arguments->first, "First picture to import, 1-based")
      ->check(CLI::PositiveNumber);
  command->add_option("--last", arguments->last, "Last picture to import (default: the last)")
      ->check(CLI::PositiveNumber);
  command->add_flag("--overwrite", arguments->overwrite,
                    "Write into an output folder that holds files, replacing files of the same "
                    "names");
  command->add_flag("--allow-partial", arguments->allow_partial,
                    "Import a stream that ends early (a cut file) up to the last picture read, "
                    "with a warning, instead of refusing it");
  command->callback([arguments] {
    int status = kFailed;
    try {
      status = RunImport(*arguments);
    } catch (const std::exception& error) {
      status = Fail(error.what());
    }
    if (status != 0) {
      throw CLI::RuntimeError(status);
    }
  });
}

}  // namespace cli
