// zentrope-cli check, fix-overlaps and replace: the proofreading tools over a subtitle file.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/message_table.h"
#include "app/subtitle_formats.h"
#include "cli/commands.h"
#include "cli/console_ports.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "proof/check_rules.h"
#include "proof/find_replace.h"
#include "proof/time_overlap.h"
#include "settings/phrase_table.h"
#include "settings/settings_list.h"
#include "text/gbk.h"

namespace cli {
namespace {

struct ProofArguments {
  std::string input;
  std::string output;
  std::string working_folder;
  std::string find;
  std::string with;
  bool allow_lossy = false;
};

// A failure the command reports on stderr; its exit status is 1.
struct CommandError {
  std::string message;
};

bool IsSubtitleExtension(const std::string& extension) {
  return app::IsSubtitleExtension(extension, document::FormatRules::kFull);
}

std::filesystem::path WorkingFolder(const ProofArguments& arguments) {
  return arguments.working_folder.empty() ? std::filesystem::current_path()
                                          : std::filesystem::path(arguments.working_folder);
}

// Reads IN as the main subtitle; warnings of the reader go to stderr.
document::SubtitleDocument ReadInput(const ProofArguments& arguments) {
  const std::filesystem::path input(arguments.input);
  document::SubtitleDocument subtitle(document::UndoHistory::kNotRecorded);
  subtitle.source_extension = document::LowerCaseExtension(input);
  subtitle.format_rules = document::FormatRules::kFull;
  if (!IsSubtitleExtension(subtitle.source_extension)) {
    throw CommandError{"cannot read " + arguments.input +
                       ": the extension must be .srt, .ssa, .ass or .vtt"};
  }
  auto read = document::ReadSubtitleFile(input, document::Role::kMain, subtitle);
  if (!read) {
    throw CommandError{ForTerminal(read.error().message)};
  }
  if (read.value().entries == 0) {
    throw CommandError{arguments.input + " holds no subtitle entry"};
  }
  if (read.value().replaced_characters > 0 && !arguments.allow_lossy) {
    throw CommandError{arguments.input + ": " + std::to_string(read.value().replaced_characters) +
                       " character(s) cannot be held in GBK; nothing was written (give "
                       "--allow-lossy to take them as '?')"};
  }
  ConsoleMessages messages;
  for (const std::string& warning : read.value().warnings) {
    messages.Inform(ports::Severity::kWarning, arguments.input + ": " + warning);
  }
  return subtitle;
}

// Writes the main table to OUT in the format its extension names.
void WriteOutput(const ProofArguments& arguments, document::SubtitleDocument& subtitle) {
  const std::filesystem::path output(arguments.output);
  subtitle.save_extension = document::LowerCaseExtension(output);
  if (!IsSubtitleExtension(subtitle.save_extension)) {
    throw CommandError{"cannot write " + arguments.output +
                       ": the extension must be .srt, .ssa, .ass or .vtt"};
  }
  document::WriteOptions options;
  options.working_folder = WorkingFolder(arguments);
  auto saved = document::WriteSubtitleFile(output, document::Role::kMain, subtitle, options);
  if (!saved) {
    throw CommandError{ForTerminal(saved.error().message)};
  }
}

// The check options as the window would read them: the rule switches of setup.sys, the pairs
// of replace.sys and the marks of language.sys in the settings' language. Without a
// language.sys the Simplified Chinese marks are used.
proof::CheckOptions LoadCheckOptions(const std::filesystem::path& folder) {
  auto settings_list = settings::SettingsList::LoadFromFile(folder / settings::kSettingsFileName);
  if (!settings_list) {
    throw CommandError{ForTerminal(settings_list.error().message)};
  }
  auto phrase_table = settings::PhraseTable::LoadFromFile(folder / settings::kPhraseFileName);
  if (!phrase_table) {
    throw CommandError{ForTerminal(phrase_table.error().message)};
  }
  const settings::SettingsList& setup = settings_list.value();
  proof::CheckOptions options;
  options.quotes_to_full_width = setup.FullWidthQuotes();
  options.pair_quotes = setup.UnpairedQuotes();
  options.inner_full_stops = setup.InnerFullStop();
  options.drop_final_stop = setup.EndPunctuation();
  options.ellipsis = static_cast<proof::EllipsisForm>(setup.EllipsisForm());
  options.apply_phrases = setup.PhraseReplacementOn();
  options.skip_placeholder = setup.Assistance().skip_placeholder;
  for (const std::string& line : phrase_table.value().Lines()) {
    const settings::PhrasePair pair = settings::SplitPhraseLine(line);
    options.phrases.push_back({pair.search, pair.replacement});
  }
  const std::filesystem::path language_file = folder / "language.sys";
  std::error_code error;
  if (std::filesystem::exists(language_file, error)) {
    auto table = app::MessageTable::LoadFromFile(language_file);
    if (!table) {
      throw CommandError{ForTerminal(table.error().message)};
    }
    table.value().SetLanguage(setup.Language());
    options.forms = proof::PunctuationForms::FromMessages(table.value());
  }
  return options;
}

// Exit status 0: the review was printed (and OUT written when asked).
int RunCheckCommand(const ProofArguments& arguments) {
  const proof::CheckOptions options = LoadCheckOptions(WorkingFolder(arguments));
  document::SubtitleDocument subtitle = ReadInput(arguments);
  ConsoleEventPump pump;
  const proof::CheckReview review = proof::RunCheck(subtitle, options, pump);
  for (const proof::ReviewRow& row : review.rows) {
    std::printf("%s\t%s\t%s\n", ForTerminal(row.number).c_str(), ForTerminal(row.before).c_str(),
                ForTerminal(row.after).c_str());
  }
  ConsoleMessages messages;
  for (const std::string& number : review.bounded_numbers) {
    messages.Inform(ports::Severity::kWarning,
                    "row " + number + ": a phrase pair stopped after " +
                        std::to_string(proof::kMaxReplacementsPerText) +
                        " replacements, the most one pair makes in one text; the rest of the "
                        "text was left as it stood");
  }
  if (!arguments.output.empty()) {
    const proof::ConfirmOutcome confirmed = proof::ConfirmReview(review.rows, subtitle);
    WriteOutput(arguments, subtitle);
    std::fprintf(stderr, "%d of %d rows changed; %s written\n", confirmed.written,
                 review.rows_checked, arguments.output.c_str());
  } else {
    std::fprintf(stderr, "%zu of %d rows would change\n", review.rows.size(), review.rows_checked);
  }
  return 0;
}

// Exit status 0: OUT was written; the number of corrections is printed.
int RunFixOverlapsCommand(const ProofArguments& arguments) {
  document::SubtitleDocument subtitle = ReadInput(arguments);
  const int corrections = proof::FixTimeOverlaps(subtitle.main);
  WriteOutput(arguments, subtitle);
  std::printf("%d\n", corrections);
  return 0;
}

// Finds every match without replacing: prints "row<TAB>position" (1-based byte position in the
// GBK text) per match. With --with, replaces every match without asking and writes OUT.
int RunReplaceCommand(const ProofArguments& arguments, bool replacing) {
  const text::Converted find = text::Utf8ToGbk(arguments.find);
  const text::Converted with = text::Utf8ToGbk(arguments.with);
  if (find.replaced > 0 || with.replaced > 0) {
    throw CommandError{"the search or replacement text holds characters GBK cannot hold"};
  }
  if (find.text.empty()) {
    throw CommandError{"the search text is empty"};
  }
  if (replacing && arguments.output.empty()) {
    throw CommandError{"replacing needs -o OUT"};
  }
  document::SubtitleDocument subtitle = ReadInput(arguments);
  proof::FindReplace tool(proof::SearchHistory(), proof::SearchHistory(), std::nullopt);
  ConsoleMessages messages;
  const app::MessageTable no_texts;
  proof::SearchRequest request;
  request.search = find.text;
  request.replacement = with.text;
  request.replace = replacing;
  request.confirm = false;
  if (!replacing) {
    // The matches the find button shows one by one, listed in one pass.
    const int matches = proof::ForEachMatch(subtitle.main, request.search,
                                            [](int row, const proof::TextMatch& match) {
                                              std::printf("%d\t%zu\n", row, match.offset + 1);
                                              return true;
                                            });
    std::fprintf(stderr, "%d matches\n", matches);
    return 0;
  }
  const proof::SearchOutcome outcome = tool.Run(request, subtitle, messages, no_texts);
  for (const int row : outcome.bounded_rows) {
    const bool recreating =
        std::find(outcome.recreating_rows.begin(), outcome.recreating_rows.end(), row) !=
        outcome.recreating_rows.end();
    const std::string limit = std::to_string(proof::kMaxReplacementsPerText);
    messages.Inform(ports::Severity::kWarning,
                    "row " + std::to_string(row) +
                        (recreating ? ": the replacement keeps recreating the search text; "
                                      "replacing stopped after " +
                                          limit + " replacements"
                                    : ": replacing stopped after " + limit +
                                          " replacements, the most one text takes; later "
                                          "occurrences were left as they stood"));
  }
  WriteOutput(arguments, subtitle);
  std::printf("%d\n", outcome.replacements);
  return 0;
}

// Runs a command body; a failure is one line on stderr and exit status 1.
template <typename Body>
void RunReportingFailure(Body body) {
  int status = 1;
  try {
    status = body();
  } catch (const CommandError& error) {
    std::fprintf(stderr, "error: %s\n", error.message.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "error: %s\n", error.what());
  }
  if (status != 0) {
    throw CLI::RuntimeError(status);
  }
}

void AddLossyFlag(CLI::App* command, ProofArguments& arguments) {
  command->add_flag("--allow-lossy", arguments.allow_lossy,
                    "Take characters GBK cannot hold as '?' instead of refusing the input");
}

}  // namespace

void AddProofCommands(CLI::App& app) {
  auto check_arguments = std::make_shared<ProofArguments>();
  CLI::App* check = app.add_subcommand(
      "check", "Run the punctuation and phrase check; print number, before, after per change");
  check->add_option("IN", check_arguments->input, "Subtitle to check (.srt, .ssa, .ass, .vtt)")
      ->required();
  check->add_option("-o,--output", check_arguments->output,
                    "Write the subtitle with every proposal taken (.srt, .ssa, .ass, .vtt)");
  check->add_option("--workdir", check_arguments->working_folder,
                    "Folder of setup.sys, replace.sys and language.sys (default: current)");
  AddLossyFlag(check, *check_arguments);
  check->callback([check_arguments] {
    RunReportingFailure([&] { return RunCheckCommand(*check_arguments); });
  });

  auto overlap_arguments = std::make_shared<ProofArguments>();
  CLI::App* overlaps = app.add_subcommand(
      "fix-overlaps", "End each entry no later than the next starts; print the correction count");
  overlaps
      ->add_option("IN", overlap_arguments->input, "Subtitle to correct (.srt, .ssa, .ass, .vtt)")
      ->required();
  overlaps->add_option("-o,--output", overlap_arguments->output, "Corrected subtitle")->required();
  AddLossyFlag(overlaps, *overlap_arguments);
  overlaps->callback([overlap_arguments] {
    RunReportingFailure([&] { return RunFixOverlapsCommand(*overlap_arguments); });
  });

  auto replace_arguments = std::make_shared<ProofArguments>();
  CLI::App* replace = app.add_subcommand(
      "replace",
      "Replace TEXT everywhere without asking; without --with, print each match's row and "
      "position. TEXT may end in ^P, begin with ^F or hold ^^");
  replace->add_option("IN", replace_arguments->input, "Subtitle to search (.srt, .ssa, .ass, .vtt)")
      ->required();
  replace->add_option("-o,--output", replace_arguments->output, "Subtitle to write");
  replace->add_option("--find", replace_arguments->find, "Text to find (UTF-8)")->required();
  CLI::Option* with =
      replace->add_option("--with", replace_arguments->with, "Replacement (UTF-8; may be empty)");
  AddLossyFlag(replace, *replace_arguments);
  replace->callback([replace_arguments, with] {
    RunReportingFailure([&] { return RunReplaceCommand(*replace_arguments, with->count() > 0); });
  });
}

}  // namespace cli
