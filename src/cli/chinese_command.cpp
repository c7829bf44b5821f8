// zentrope-cli chinese: converts the texts of an SRT or SSA file between Simplified and
// Traditional Chinese, leaving every other byte of the file as it was.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/subtitle_formats.h"
#include "chinese/script_conversion.h"
#include "chinese/script_converter.h"
#include "cli/commands.h"
#include "cli/console_ports.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "text/encoding.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace cli {
namespace {

struct ChineseArguments {
  std::string input;
  std::string output;
  std::string to;
  std::string from;
  std::string encoding = "gbk";
  std::string input_encoding = "auto";
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 1;
}

// --to names the script wanted; --from, only with --to hans, names the Traditional standard the
// file is written in (Taiwan phrases are turned into Mainland ones with "twp").
std::optional<chinese::Direction> DirectionOf(const ChineseArguments& arguments) {
  using chinese::Direction;
  if (arguments.to == "hans") {
    if (arguments.from.empty() || arguments.from == "hant") {
      return Direction::kT2S;
    }
    if (arguments.from == "tw") {
      return Direction::kTW2S;
    }
    if (arguments.from == "twp") {
      return Direction::kTW2SP;
    }
    if (arguments.from == "hk") {
      return Direction::kHK2S;
    }
    return std::nullopt;
  }
  if (!arguments.from.empty()) {
    return std::nullopt;
  }
  if (arguments.to == "hant") {
    return Direction::kS2T;
  }
  if (arguments.to == "tw") {
    return Direction::kS2TW;
  }
  if (arguments.to == "twp") {
    return Direction::kS2TWP;
  }
  if (arguments.to == "hk") {
    return Direction::kS2HK;
  }
  return std::nullopt;
}

// Exit status: 0 when OUT was written, 1 when nothing was written.
int RunChinese(const ChineseArguments& arguments) {
  const std::optional<chinese::Direction> direction = DirectionOf(arguments);
  if (!direction) {
    return Fail("--from " + arguments.from + " cannot be used with --to " + arguments.to +
                " (--from goes with --to hans only)");
  }
  const std::filesystem::path input(arguments.input);
  const std::string extension = document::LowerCaseExtension(input);
  chinese::FileLayout layout = chinese::FileLayout::kSrt;
  if (extension == ".ssa" || extension == ".ass") {
    layout = chinese::FileLayout::kSsa;
  } else if (extension != ".srt") {
    return Fail("cannot read " + arguments.input + ": the extension must be .srt, .ssa or .ass");
  }

  const std::filesystem::path data = chinese::DefaultDataFolder();
  if (const text::Status present = chinese::CheckData(data); !present.ok()) {
    return Fail("OpenCC's conversion data is missing (" + present.error().message +
                "): install the package " + chinese::kDataPackage);
  }
  auto opened = chinese::ScriptConverter::Open(*direction, data);
  if (!opened.ok()) {
    return Fail(opened.error().message);
  }

  auto raw = text::ReadFileBytes(input);
  if (!raw.ok()) {
    return Fail(raw.error().message);
  }
  std::optional<text::Encoding> input_encoding;
  if (!app::ParseInputEncoding(arguments.input_encoding, input_encoding)) {
    return Fail("--input-encoding " + arguments.input_encoding + " is not an encoding");
  }
  document::DecodedText decoded;
  if (!input_encoding) {
    decoded = document::DecodeSubtitleBytes(raw.value());
  } else {
    auto input = text::DecodeInput(raw.value(), *input_encoding);
    if (!input) {
      return Fail(arguments.input + ": no encoding reads the file (tried " +
                  text::TriedEncodingsText() + "); nothing was written");
    }
    if (!input->note.empty()) {
      std::fprintf(stderr, "warning: %s: %s\n", arguments.input.c_str(), input->note.c_str());
    }
    decoded.gbk = std::move(input->gbk);
    decoded.replaced = input->replaced;
  }
  if (decoded.replaced > 0) {
    std::fprintf(stderr, "warning: %s: %d character(s) that GBK cannot hold were read as '?'\n",
                 arguments.input.c_str(), decoded.replaced);
  }
  const chinese::FileConversion converted =
      chinese::ConvertSubtitleFile(decoded.gbk, layout, opened.value());

  std::string bytes;
  if (arguments.encoding == "utf-8") {
    // A UTF-8 file that began with a byte-order mark keeps it.
    if (raw.value().rfind("\xEF\xBB\xBF", 0) == 0) {
      bytes = "\xEF\xBB\xBF";
    }
    bytes += text::GbkToUtf8(converted.gbk).text;
  } else {
    bytes = converted.gbk;
  }
  const text::Status written =
      text::WriteFileAtomic(arguments.output, bytes, text::Leftovers::kRemoveStale);
  if (!written.ok()) {
    return Fail(written.error().message);
  }
  // Characters the conversion gives but GBK cannot hold stay as they were: one line each.
  for (const chinese::FileReport& report : converted.reports) {
    for (const chinese::KeptCharacter& kept : report.kept) {
      std::fprintf(stderr,
                   "warning: %s: line %d (entry %d): kept %s, its conversion %s is not in GBK\n",
                   arguments.input.c_str(), report.line, report.entry,
                   ForTerminal(kept.original).c_str(), chinese::CodePoints(kept.converted).c_str());
    }
    if (report.malformed) {
      std::fprintf(stderr,
                   "warning: %s: line %d (entry %d): bytes that are not GBK left unconverted\n",
                   arguments.input.c_str(), report.line, report.entry);
    }
  }
  std::printf("%s: %d text(s) converted (%s); %s written\n", arguments.input.c_str(),
              converted.texts_changed, std::string(chinese::DirectionName(*direction)).c_str(),
              arguments.output.c_str());
  return 0;
}

}  // namespace

void AddChineseCommand(CLI::App& app) {
  auto arguments = std::make_shared<ChineseArguments>();
  CLI::App* command = app.add_subcommand(
      "chinese",
      "Convert the texts of a subtitle (.srt, .ssa, .ass) between Simplified and Traditional "
      "Chinese with OpenCC; everything else in the file stays as it was");
  command->add_option("IN", arguments->input, "Subtitle to read")->required();
  command->add_option("-o,--output", arguments->output, "Subtitle to write (same format as IN)")
      ->required();
  command
      ->add_option("--to", arguments->to,
                   "Script to write: hant (Traditional), hans (Simplified), tw (Taiwan), twp "
                   "(Taiwan, with Taiwan phrases), hk (Hong Kong)")
      ->required()
      ->check(CLI::IsMember({"hant", "hans", "tw", "twp", "hk"}));
  command
      ->add_option("--from", arguments->from,
                   "With --to hans: the Traditional standard of IN, hant (default), tw, twp (turn "
                   "Taiwan phrases into Mainland ones) or hk")
      ->check(CLI::IsMember({"hant", "tw", "twp", "hk"}));
  command->add_option("--encoding", arguments->encoding, "Encoding of OUT (default gbk)")
      ->check(CLI::IsMember({"gbk", "utf-8"}));
  command->add_option(
      "--input-encoding", arguments->input_encoding,
      "Encoding of IN: auto (default: detect), as-before, utf-8, utf-16, utf-16be, utf-32, gbk, "
      "gb18030, big5, big5-hkscs, cp1250, cp1251 or cp1252");
  command->callback([arguments] {
    int status = 1;
    try {
      status = RunChinese(*arguments);
    } catch (const std::exception& error) {
      status = Fail(error.what());
    }
    if (status != 0) {
      throw CLI::RuntimeError(status);
    }
  });
}

}  // namespace cli
