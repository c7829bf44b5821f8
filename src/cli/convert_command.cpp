// zentrope-cli convert: reads a subtitle as the main subtitle and writes it in another format.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/subtitle_formats.h"
#include "cli/commands.h"
#include "cli/console_ports.h"
#include "document/save_check.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "settings/settings_list.h"

namespace cli {
namespace {

struct ConvertArguments {
  std::string input;
  std::string output;
  std::string working_folder;
  std::string encoding = "gbk";
  bool allow_lossy = false;
  bool as_before = false;
  std::string input_encoding = "auto";
};

// The working folder's setup.sys line 31 chooses the rules (a missing file or line: every
// format); --as-before forces the old ones.
document::FormatRules RulesFor(const ConvertArguments& arguments) {
  if (arguments.as_before) {
    return document::FormatRules::kAsBefore;
  }
  const std::filesystem::path folder = arguments.working_folder.empty()
                                           ? std::filesystem::current_path()
                                           : std::filesystem::path(arguments.working_folder);
  std::error_code error;
  if (!std::filesystem::is_regular_file(folder / settings::kSettingsFileName, error)) {
    return document::FormatRules::kFull;
  }
  auto settings = settings::SettingsList::LoadFromFile(folder / settings::kSettingsFileName);
  return settings.ok() ? app::FormatRulesOf(settings.value()) : document::FormatRules::kFull;
}

// Error texts here carry file names in the file system's own (UTF-8) form, so they are printed
// as they stand rather than through the GBK conversion of ConsoleMessages.
int Fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 1;
}

// Exit status: 0 when OUT was written, 1 when nothing was written.
int RunConvert(const ConvertArguments& arguments) {
  ConsoleMessages messages;
  const std::filesystem::path input(arguments.input);
  const std::filesystem::path output(arguments.output);
  document::SubtitleDocument subtitle(document::UndoHistory::kNotRecorded);
  subtitle.source_extension = document::LowerCaseExtension(input);
  subtitle.save_extension = document::LowerCaseExtension(output);
  subtitle.format_rules = RulesFor(arguments);
  if (!app::ParseInputEncoding(arguments.input_encoding, subtitle.input_encoding)) {
    return Fail("--input-encoding " + arguments.input_encoding + " is not an encoding");
  }
  const bool full = subtitle.format_rules == document::FormatRules::kFull;
  const std::string types = full ? ".srt, .ssa, .ass or .vtt" : ".srt or .ssa";
  if (!app::IsSubtitleExtension(subtitle.source_extension, subtitle.format_rules)) {
    return Fail("cannot read " + arguments.input + ": the extension must be " + types);
  }
  if (!app::IsSubtitleExtension(subtitle.save_extension, subtitle.format_rules)) {
    return Fail("cannot write " + arguments.output + ": the extension must be " + types);
  }

  auto read = document::ReadSubtitleFile(input, document::Role::kMain, subtitle);
  if (!read) {
    return Fail(read.error().message);
  }
  if (read.value().entries == 0) {
    return Fail(arguments.input + " holds no subtitle entry; nothing was written");
  }
  if (read.value().replaced_characters > 0 && !arguments.allow_lossy) {
    return Fail(arguments.input + ": " + std::to_string(read.value().replaced_characters) +
                " character(s) cannot be held in GBK; nothing was written (give --allow-lossy to "
                "write them as '?')");
  }
  for (const auto& warning : read.value().warnings) {
    messages.Inform(ports::Severity::kWarning, arguments.input + ": " + warning);
  }

  document::WriteOptions options;
  options.working_folder = arguments.working_folder.empty()
                               ? std::filesystem::current_path()
                               : std::filesystem::path(arguments.working_folder);
  options.encoding = arguments.encoding == "utf-8"       ? document::OutputEncoding::kUtf8
                     : arguments.encoding == "utf-8-bom" ? document::OutputEncoding::kUtf8Bom
                                                         : document::OutputEncoding::kGbk;
  // What the file will not hold as the table does is named by row, never changed silently.
  const document::SaveProblems problems =
      document::FindSaveProblems(subtitle.main, options.encoding);
  const std::pair<const char*, const std::vector<int>*> kinds[] = {
      {"time cannot be read (written as the time read or 00:00:00,000)",
       &problems.unreadable_times},
      {"end before start", &problems.end_before_start},
      {"text the encoding cannot hold (written as U+FFFD)", &problems.unencodable}};
  for (const auto& [what, rows] : kinds) {
    if (!rows->empty()) {
      std::string list;
      for (const int row : *rows) {
        list += (list.empty() ? "" : ", ") + std::to_string(row);
      }
      messages.Inform(ports::Severity::kWarning, arguments.input + ": rows " + list + ": " + what);
    }
  }
  document::WriteReport written;
  auto saved =
      document::WriteSubtitleFile(output, document::Role::kMain, subtitle, options, &written);
  if (!saved) {
    return Fail(saved.error().message);
  }
  if (written.replaced_characters > 0) {
    messages.Inform(ports::Severity::kWarning,
                    arguments.output + ": " + std::to_string(written.replaced_characters) +
                        " malformed GBK sequence(s) were written as U+FFFD");
  }
  std::printf("%s: %d entries read; %s: %d entries written\n", arguments.input.c_str(),
              read.value().entries, arguments.output.c_str(), written.entries);
  return 0;
}

}  // namespace

void AddConvertCommand(CLI::App& app) {
  auto arguments = std::make_shared<ConvertArguments>();
  CLI::App* command = app.add_subcommand(
      "convert", "Read a subtitle (.srt, .ssa, .ass, .vtt) and write it in one of them");
  command->add_option("IN", arguments->input, "Subtitle to read, chosen by its extension")
      ->required();
  command->add_option("OUT", arguments->output, "Subtitle to write, chosen by its extension")
      ->required();
  command->add_option("--workdir", arguments->working_folder,
                      "Working folder holding ssahead.txt (default: the current folder)");
  command
      ->add_option("--encoding", arguments->encoding,
                   "Encoding of OUT: gbk (default), utf-8, or utf-8-bom (UTF-8 with its mark)")
      ->check(CLI::IsMember({"gbk", "utf-8", "utf-8-bom"}));
  command->add_option(
      "--input-encoding", arguments->input_encoding,
      "Encoding of IN: auto (default: detect), as-before, utf-8, utf-16, utf-16be, utf-32, gbk, "
      "gb18030, big5, big5-hkscs, cp1250, cp1251 or cp1252");
  command->add_flag("--as-before", arguments->as_before,
                    "Read and write only .srt and .ssa, times and fields as older releases did "
                    "(also setup.sys line 31 = 0 in the working folder)");
  command->add_flag("--allow-lossy", arguments->allow_lossy,
                    "Write characters GBK cannot hold as '?' instead of refusing the input");
  command->callback([arguments] {
    int status = 1;
    try {
      status = RunConvert(*arguments);
    } catch (const std::exception& error) {
      status = Fail(error.what());
    }
    if (status != 0) {
      throw CLI::RuntimeError(status);
    }
  });
}

}  // namespace cli
