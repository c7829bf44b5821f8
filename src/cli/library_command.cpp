// zentrope-cli library: check, rebuild-index, export, merge, archive, delete and stats of the
// glyph library in a working folder.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/message_table.h"
#include "cli/commands.h"
#include "cli/console_ports.h"
#include "library/glyph_library.h"
#include "library/library_check.h"
#include "library/library_editor.h"
#include "library/library_export.h"
#include "library/library_merge.h"
#include "text/line_file.h"

namespace cli {
namespace {

struct LibraryArguments {
  std::string working_folder;
  std::string from;
  std::string to;
  std::string base;
  bool overwrite = false;
  std::vector<int> numbers;
};

// The settings line that holds the language (1-based line 13 of setup.sys).
constexpr size_t kLanguageSettingsLine = 13;

int Fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 2;
}

std::filesystem::path WorkingFolder(const LibraryArguments& arguments) {
  return arguments.working_folder.empty() ? std::filesystem::current_path()
                                          : std::filesystem::path(arguments.working_folder);
}

// The message table of the working folder in the language its settings choose; without
// language.sys every message reads as its number.
class ChosenLanguage : public ports::MessageSource {
 public:
  explicit ChosenLanguage(const std::filesystem::path& folder) {
    auto table = app::MessageTable::LoadFromFile(folder / "language.sys");
    if (!table.ok()) {
      return;
    }
    table_ = std::move(table).value();
    loaded_ = true;
    auto settings = text::ReadLines(folder / "setup.sys");
    if (settings.ok() && settings.value().size() >= kLanguageSettingsLine) {
      table_.SetLanguage(app::ParseLanguageNumber(settings.value()[kLanguageSettingsLine - 1]));
    }
  }
  std::string Message(int number) const override {
    return loaded_ ? table_.Message(number) : "[message " + std::to_string(number) + "]";
  }

 private:
  app::MessageTable table_;
  bool loaded_ = false;
};

// One line for a refused or failed library operation, in the chosen language where the error
// carries a message number.
std::string Explain(const text::Error& error, const ports::MessageSource& messages) {
  const int number = library::LoadFailureMessage(error);
  if (number != 0) {
    return ForTerminal(messages.Message(number)) + " (" + error.message + ")";
  }
  if (error.code == "pending") {
    return error.message + "; run 'zentrope-cli library archive' to complete it";
  }
  if (library::RefusalMessage(error) != 0) {
    return ForTerminal(error.message);
  }
  return error.message;
}

// One line for a refused or unreadable other library: its errors name its own files, and the
// own library's load messages (401 and the like) would blame the wrong pair.
std::string ExplainSource(const text::Error& error) {
  return library::RefusalMessage(error) != 0 ? ForTerminal(error.message) : error.message;
}

// Terminal lines for a text whose lines end in CR.
std::string Lines(const std::string& gbk) {
  std::string out = ForTerminal(gbk);
  for (char& c : out) {
    if (c == '\r') {
      c = '\n';
    }
  }
  return out;
}

// What every library subcommand starts from: the working folder's messages and its library.
struct LibraryContext {
  explicit LibraryContext(const LibraryArguments& arguments)
      : messages(WorkingFolder(arguments)), library(WorkingFolder(arguments)) {}

  // Loads without writing anything. nullopt after the error was shown.
  std::optional<library::LoadReport> LoadReadOnly() {
    auto loaded = library.LoadReadOnly(pump);
    if (!loaded.ok()) {
      Fail(Explain(loaded.error(), messages));
      return std::nullopt;
    }
    return loaded.value();
  }
  // Loads for a command that writes; errors leave the folder as it was. False after the error
  // was shown.
  bool LoadForWriting() {
    auto loaded = library.Load(pump);
    if (!loaded.ok()) {
      Fail(Explain(loaded.error(), messages));
      return false;
    }
    return true;
  }

  ChosenLanguage messages;
  library::GlyphLibrary library;
  ConsoleEventPump pump;
};

int RunCheck(const LibraryArguments& arguments) {
  LibraryContext context(arguments);
  const auto loaded = context.LoadReadOnly();
  if (!loaded) {
    return 2;
  }
  auto& [messages, library, pump] = context;
  const auto report = library::CheckLibrary(library, messages, pump);
  std::printf("%s\n", Lines(report.text).c_str());
  if (report.damaged_feature_lines > 0) {
    std::printf(
        "%d record(s) with a FeatureLine that does not start with 13 numbers summing to "
        "0..13000\n",
        report.damaged_feature_lines);
  }
  if (loaded->skipped_journal_lines > 0) {
    std::printf("%d journal line(s) without a partner in the other journal file\n",
                loaded->skipped_journal_lines);
  }
  return report.problem || report.damaged_feature_lines > 0 ? 1 : 0;
}

int RunRebuild(const LibraryArguments& arguments) {
  LibraryContext context(arguments);
  if (!context.LoadForWriting()) {
    return 2;
  }
  auto& [messages, library, pump] = context;
  if (auto rebuilt = library.RebuildIndex(pump); !rebuilt.ok()) {
    return Fail(rebuilt.error().message);
  }
  std::printf("%s (%d records)\n",
              ForTerminal(messages.Message(library::kMessageIndexBuilt)).c_str(),
              library.RecordCount());
  return 0;
}

int RunExport(const LibraryArguments& arguments) {
  LibraryContext context(arguments);
  if (!context.LoadReadOnly()) {
    return 2;
  }
  auto& [messages, library, pump] = context;
  // The overwrite question is answered by --overwrite.
  ConsoleMessages port(arguments.overwrite ? ports::Answer::kYes : ports::Answer::kNo);
  auto exported = library::ExportRecords(library, arguments.from, arguments.to, arguments.base,
                                         pump, port, messages);
  if (!exported.ok()) {
    return Fail(Explain(exported.error(), messages));
  }
  if (exported.value().declined) {
    return Fail(arguments.base + " exists; give --overwrite to replace it");
  }
  std::printf("%s (%d records)\n",
              ForTerminal(messages.Message(library::kMessageExportDone)).c_str(),
              exported.value().records);
  return 0;
}

int RunMerge(const LibraryArguments& arguments) {
  LibraryContext context(arguments);
  auto& [messages, library, pump] = context;
  // Check the other library before the own folder is touched by loading.
  {
    library::GlyphLibrary probe(WorkingFolder(arguments));
    auto probed = probe.LoadReadOnly(pump);
    if (!probed.ok() && probed.error().code != "pending") {
      return Fail(Explain(probed.error(), messages));
    }
    auto source = library::OpenMergeSource(probe, arguments.base, messages);
    if (!source.ok()) {
      return Fail(ExplainSource(source.error()));
    }
  }
  if (!context.LoadForWriting()) {
    return 2;
  }
  auto source = library::OpenMergeSource(library, arguments.base, messages);
  if (!source.ok()) {
    return Fail(ExplainSource(source.error()));
  }
  // The command itself is the confirmation.
  ConsoleMessages port(ports::Answer::kYes);
  auto merged = library::RunMerge(library, source.value(), pump, port, messages);
  if (!merged.ok()) {
    return Fail(merged.error().message);
  }
  std::printf("%s\n", ForTerminal(merged.value().report).c_str());
  std::printf("processed %d, added %d, left in the other library %d\n", merged.value().processed,
              merged.value().added, merged.value().remaining);
  return 0;
}

int RunArchive(const LibraryArguments& arguments) {
  LibraryContext context(arguments);
  if (!context.LoadForWriting()) {
    return 2;
  }
  auto& [messages, library, pump] = context;
  const int journal = library.JournalCount();
  if (journal > 0) {
    if (auto archived = library.ArchiveJournal(); !archived.ok()) {
      return Fail(archived.error().message);
    }
  }
  std::printf("archived %d journal record(s); the library holds %d records\n", journal,
              library.RecordCount());
  return 0;
}

// Deletes records by number as the library editor does (an automatic teaching that was wrong, for
// one). Exit status 2 when a number names no record: nothing is deleted then.
int RunDelete(const LibraryArguments& arguments) {
  LibraryContext context(arguments);
  if (!context.LoadForWriting()) {
    return 2;
  }
  auto& [messages, library, pump] = context;
  for (const int number : arguments.numbers) {
    if (number < 1 || number > library.RecordCount()) {
      return Fail("record " + std::to_string(number) + " does not exist (the library holds " +
                  std::to_string(library.RecordCount()) + " records); nothing was deleted");
    }
  }
  auto deleted = library::DeleteRecords(library, arguments.numbers, pump);
  if (!deleted.ok()) {
    return Fail(deleted.error().message);
  }
  std::printf("records deleted: %d\nrecords: %d\n", deleted.value(), library.RecordCount());
  return 0;
}

int RunStats(const LibraryArguments& arguments) {
  LibraryContext context(arguments);
  if (!context.LoadReadOnly()) {
    return 2;
  }
  auto& [messages, library, pump] = context;
  int distinct_keys = 0;
  size_t largest = 0;
  int largest_key = 0;
  for (int key = 0; key < library::kIndexLineCount; ++key) {
    const auto& line = library.Index()[key];
    if (!line.empty()) {
      ++distinct_keys;
    }
    if (line.size() > largest) {
      largest = line.size();
      largest_key = key;
    }
  }
  std::printf(
      "records: %d\njournal records: %d\ndistinct keys: %d\nlargest index line: %zu "
      "(key %d)\n",
      library.RecordCount(), library.JournalCount(), distinct_keys, largest, largest_key);
  return 0;
}

void AddRun(CLI::App* command, int (*run)(const LibraryArguments&),
            std::shared_ptr<LibraryArguments> arguments) {
  command->add_option("--workdir", arguments->working_folder,
                      "Working folder holding the library (default: the current folder)");
  command->callback([run, arguments] {
    int status = 2;
    try {
      status = run(*arguments);
    } catch (const std::exception& error) {
      status = Fail(error.what());
    }
    if (status != 0) {
      throw CLI::RuntimeError(status);
    }
  });
}

}  // namespace

void AddLibraryCommands(CLI::App& app) {
  CLI::App* group = app.add_subcommand("library",
                                       "Check, index, export, merge and archive the "
                                       "glyph library");
  group->require_subcommand(1);
  auto arguments = std::make_shared<LibraryArguments>();
  AddRun(group->add_subcommand("check", "Check the library; exit 1 when a problem is found"),
         RunCheck, arguments);
  AddRun(group->add_subcommand("rebuild-index", "Rebuild word.ind from the FeatureLines"),
         RunRebuild, arguments);
  CLI::App* exporter =
      group->add_subcommand("export", "Write records FROM..TO to BASE.wrd and BASE.sts");
  exporter->add_option("FROM", arguments->from, "First record number")->required();
  exporter->add_option("TO", arguments->to, "Last record number")->required();
  exporter->add_option("BASE", arguments->base, "Exchange files, with or without .sts")->required();
  exporter->add_flag("--overwrite", arguments->overwrite, "Replace an existing BASE.sts");
  AddRun(exporter, RunExport, arguments);
  CLI::App* merger =
      group->add_subcommand("merge", "Add the records of BASE.wrd/BASE.sts the library lacks");
  merger->add_option("BASE", arguments->base, "Other library, with or without .sts")->required();
  AddRun(merger, RunMerge, arguments);
  AddRun(group->add_subcommand("archive", "Write the journal into the main library files"),
         RunArchive, arguments);
  CLI::App* deleter = group->add_subcommand(
      "delete", "Delete records by number, as the library editor does (the journal is archived)");
  deleter->add_option("NUMBER", arguments->numbers, "Record numbers (1-based)")->required();
  AddRun(deleter, RunDelete, arguments);
  AddRun(group->add_subcommand("stats", "Count records, journal records and index lines"), RunStats,
         arguments);
}

}  // namespace cli
