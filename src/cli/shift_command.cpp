// zentrope-cli shift: moves, synchronises or converts the times of a subtitle's rows.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "proof/time_changes.h"

namespace cli {
namespace {

struct ShiftArguments {
  std::string input;
  std::string output;
  std::string by;
  std::string sync;
  std::string fps;
  std::string rows;
  std::string working_folder;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 1;
}

bool IsSubtitleExtension(const std::string& extension) {
  return extension == ".srt" || extension == ".ssa";
}

// The mapping the one given option asks for, or the line that says what is wrong.
text::Result<proof::TimeMapping> MappingOf(const ShiftArguments& arguments) {
  const int given = !arguments.by.empty() + !arguments.sync.empty() + !arguments.fps.empty();
  if (given != 1) {
    return text::Error{"usage", "give exactly one of --by, --sync and --fps", 0};
  }
  if (!arguments.by.empty()) {
    const auto amount = document::ParseTimeAmount(arguments.by);
    if (!amount) {
      return text::Error{
          "usage",
          "--by " + arguments.by + ": expected seconds (-1.5) or a time (+00:00:01.500, -1:02.5)",
          0};
    }
    return proof::ShiftMapping(*amount);
  }
  if (!arguments.sync.empty()) {
    auto mapping = proof::ParseSyncPoints(arguments.sync);
    if (!mapping) {
      return text::Error{"usage", "--sync " + arguments.sync + ": " + mapping.error().message, 0};
    }
    return mapping;
  }
  const size_t colon = arguments.fps.find(':');
  const auto from = proof::ParseFrameRate(arguments.fps.substr(0, colon));
  const auto to = colon == std::string::npos
                      ? std::nullopt
                      : proof::ParseFrameRate(arguments.fps.substr(colon + 1));
  if (!from || !to) {
    return text::Error{"usage",
                       "--fps " + arguments.fps + ": expected FROM:TO frame rates (25:23.976)", 0};
  }
  return *proof::FrameRateMapping(*from, *to);
}

// Exit status: 0 when OUT was written, 1 when nothing was written.
int RunShift(const ShiftArguments& arguments) {
  const auto mapping = MappingOf(arguments);
  if (!mapping) {
    return Fail(mapping.error().message);
  }
  const std::filesystem::path input(arguments.input);
  const std::filesystem::path output(arguments.output);
  document::SubtitleDocument subtitle(document::UndoHistory::kNotRecorded);
  subtitle.source_extension = document::LowerCaseExtension(input);
  subtitle.save_extension = document::LowerCaseExtension(output);
  if (!IsSubtitleExtension(subtitle.source_extension)) {
    return Fail("cannot read " + arguments.input + ": the extension must be .srt or .ssa");
  }
  if (!IsSubtitleExtension(subtitle.save_extension)) {
    return Fail("cannot write " + arguments.output + ": the extension must be .srt or .ssa");
  }
  auto read = document::ReadSubtitleFile(input, document::Role::kMain, subtitle);
  if (!read) {
    return Fail(read.error().message);
  }
  if (read.value().entries == 0) {
    return Fail(arguments.input + " holds no subtitle entry; nothing was written");
  }
  proof::RowSpan rows = proof::AllRows(subtitle);
  if (!arguments.rows.empty()) {
    auto span = proof::ParseRowSpan(arguments.rows, subtitle.main.DataRowCount());
    if (!span) {
      return Fail("--rows " + arguments.rows + ": " + span.error().message);
    }
    rows = span.value();
  }
  const auto changed = proof::ChangeTimes(subtitle.main, mapping.value(), rows);
  if (!changed) {
    return Fail(arguments.input + ": row " + std::to_string(changed.error().line) +
                ": a time cannot be read; nothing was written");
  }
  document::WriteOptions options;
  options.working_folder = arguments.working_folder.empty()
                               ? std::filesystem::current_path()
                               : std::filesystem::path(arguments.working_folder);
  // The file keeps its encoding family: GBK stays GBK, UTF-8 and UTF-16 become UTF-8.
  options.encoding = read.value().encoding == document::SourceEncoding::kGbk
                         ? document::OutputEncoding::kGbk
                         : document::OutputEncoding::kUtf8;
  // A picture subtitle's rows name their pictures in place of a text: all of them are kept.
  options.keep_rows_without_text = true;
  document::WriteReport written;
  auto saved =
      document::WriteSubtitleFile(output, document::Role::kMain, subtitle, options, &written);
  if (!saved) {
    return Fail(saved.error().message);
  }
  std::printf("%s: rows %d-%d: %d row(s) changed", arguments.input.c_str(), rows.first, rows.last,
              changed.value().rows);
  if (changed.value().clamped > 0) {
    std::printf(", %d time(s) before zero set to 00:00:00.000", changed.value().clamped);
  }
  std::printf("; %s: %d entries written\n", arguments.output.c_str(), written.entries);
  return 0;
}

}  // namespace

void AddShiftCommand(CLI::App& app) {
  auto arguments = std::make_shared<ShiftArguments>();
  CLI::App* command = app.add_subcommand(
      "shift", "Shift, synchronise or convert the times of a subtitle's rows (start and end)");
  command->add_option("IN", arguments->input, "Subtitle to read (.srt or .ssa)")->required();
  command->add_option("-o,--output", arguments->output, "Subtitle to write (.srt or .ssa)")
      ->required();
  command->add_option("--by", arguments->by,
                      "Move every time by this amount: seconds (-1.5) or a time (+00:00:01.500)");
  command->add_option("--sync", arguments->sync,
                      "A=B,C=D: the line that takes old time A to B and old time C to D");
  command->add_option("--fps", arguments->fps,
                      "FROM:TO: times for FROM frames a second shown at TO (25:23.976)");
  command->add_option("--rows", arguments->rows,
                      "Only these rows: R, R1-R2 or R1- (from R1 to the end); default all");
  command->add_option("--workdir", arguments->working_folder,
                      "Working folder holding ssahead.txt (default: the current folder)");
  command->callback([arguments] {
    int status = 1;
    try {
      status = RunShift(*arguments);
    } catch (const std::exception& error) {
      status = Fail(error.what());
    }
    if (status != 0) {
      throw CLI::RuntimeError(status);
    }
  });
}

}  // namespace cli
