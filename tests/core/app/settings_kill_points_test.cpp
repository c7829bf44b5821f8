// The settings panel's save (setup.sys with replace.sys) and the find and replace histories,
// killed and failed at each file step in turn: the next start-up reads each file whole, old or
// new, and never new settings with old phrases.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/application.h"
#include "app/message_table.h"
#include "core/proof/proof_test_util.h"
#include "ports/host_ports.h"
#include "proof/find_replace.h"
#include "support/fake_ports.h"
#include "support/kill_points.h"
#include "text/line_file.h"

namespace app {
namespace {

using testing_support::KillPointReport;
using testing_support::TryEveryKillPoint;

text::Lines Read(const std::filesystem::path& file) {
  auto lines = text::ReadLines(file);
  return lines.ok() ? lines.value() : text::Lines{"<unreadable>"};
}

bool NoHiddenFiles(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().front() == '.') {
      return false;
    }
  }
  return true;
}

void ExpectEveryRunWhole(const char* write, const KillPointReport& report) {
  std::printf(
      "%s: %d file steps; %d kill points and %d failed steps tried, %d of %d runs left "
      "the files whole\n",
      write, report.steps, report.kills, report.failures, report.whole_after,
      report.kills + report.failures + 1);
  EXPECT_GT(report.steps, 0) << write;
  EXPECT_EQ(report.whole_after, report.kills + report.failures + 1) << write;
}

TEST(KillPoints, SettingsPanelSave) {
  const text::Lines old_setup{"0", "1", "old"};
  const text::Lines old_phrases{"a\tb"};
  // The settings list pads itself to its full length; that is what gets written.
  const settings::SettingsList new_settings(text::Lines{"1", "0", "new", "x"});
  const text::Lines new_setup = new_settings.Lines();
  const text::Lines new_phrases{"c\td", "e\tf"};
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) {
        ASSERT_TRUE(text::WriteLines(dir / "setup.sys", old_setup).ok());
        ASSERT_TRUE(text::WriteLines(dir / "replace.sys", old_phrases).ok());
      },
      [&](const std::filesystem::path& dir) {
        (void)SaveSettingsFiles(dir, new_settings, settings::PhraseTable(new_phrases));
      },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        // What start-up does before it reads them.
        EXPECT_TRUE(FinishSettingsWrite(dir).ok()) << cut;
        const auto setup = Read(dir / "setup.sys");
        const auto phrases = Read(dir / "replace.sys");
        const bool old_pair = setup == old_setup && phrases == old_phrases;
        const bool new_pair = setup == new_setup && phrases == new_phrases;
        EXPECT_TRUE(old_pair || new_pair) << cut;
        EXPECT_TRUE(NoHiddenFiles(dir)) << cut;
        return (old_pair || new_pair) && NoHiddenFiles(dir);
      });
  ExpectEveryRunWhole("settings (setup.sys with replace.sys)", report);
}

TEST(KillPoints, FindAndReplaceHistories) {
  // Each history is its own file, written whole after the other: each must read old or new.
  const text::Lines old_find{"old find"};
  const text::Lines old_replace{"old replacement"};
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) {
        ASSERT_TRUE(text::WriteLines(dir / "replace1.txt", old_find).ok());
        ASSERT_TRUE(text::WriteLines(dir / "replace2.txt", old_replace).ok());
      },
      [&](const std::filesystem::path& dir) {
        proof::SearchHistory find_history;
        proof::SearchHistory replace_history;
        find_history.Add("old find");
        replace_history.Add("old replacement");
        proof::FindReplace tool(std::move(find_history), std::move(replace_history), dir);
        auto document = proof_test::MakeTextDocument({"abc"});
        testing_support::FakeMessages port;
        const MessageTable texts;
        proof::SearchRequest request;
        request.search = "b";
        request.replacement = "x";
        request.replace = true;
        request.confirm = false;
        (void)tool.Run(request, document, port, texts);
      },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        const auto find = Read(dir / "replace1.txt");
        const auto replace = Read(dir / "replace2.txt");
        const bool find_whole = find == old_find || find == text::Lines{"old find", "b"};
        const bool replace_whole =
            replace == old_replace || replace == text::Lines{"old replacement", "x"};
        EXPECT_TRUE(find_whole && replace_whole) << cut;
        return find_whole && replace_whole;
      });
  ExpectEveryRunWhole("find and replace histories", report);
}

}  // namespace
}  // namespace app
