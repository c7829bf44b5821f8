// A subtitle conversion (read, then write over an older output) killed and failed at each file
// step in turn: the output reads whole, old or new, and the next conversion into the same file
// leaves no temporary file of the killed one behind.
#include <gtest/gtest.h>

#include <cstdio>

#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "support/kill_points.h"
#include "text/line_file.h"

namespace document {
namespace {

using testing_support::LeftoverTemporaries;
using testing_support::TryEveryKillPoint;

void Convert(const std::filesystem::path& dir) {
  SubtitleDocument subtitle(UndoHistory::kNotRecorded);
  ASSERT_TRUE(ReadSubtitleFile(dir / "in.srt", Role::kMain, subtitle).ok());
  subtitle.save_extension = ".srt";
  (void)WriteSubtitleFile(dir / "out.srt", Role::kMain, subtitle, WriteOptions{});
}

TEST(KillPoints, ConvertLeavesNoTemporaryForTheNextConversion) {
  const std::string input = "1\r\n00:00:01,000 --> 00:00:02,000\r\nnew text\r\n\r\n";
  const std::string old_output = "1\r\n00:00:01,000 --> 00:00:02,000\r\nold text\r\n\r\n";
  std::string new_output;
  int leftovers_after_cut = 0;
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) {
        ASSERT_TRUE(text::WriteFileAtomic(dir / "in.srt", input).ok());
        ASSERT_TRUE(text::WriteFileAtomic(dir / "out.srt", old_output).ok());
      },
      [&](const std::filesystem::path& dir) { Convert(dir); },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        const auto bytes = text::ReadFileBytes(dir / "out.srt");
        if (cut == "uncut") {
          new_output = bytes.value();
        }
        const bool whole =
            bytes.ok() && (bytes.value() == old_output || bytes.value() == new_output);
        EXPECT_TRUE(whole) << cut;
        leftovers_after_cut += static_cast<int>(LeftoverTemporaries(dir, {"out.srt"}).size());
        // The next conversion into the same file clears what the cut left.
        Convert(dir);
        const auto left = LeftoverTemporaries(dir, {"out.srt"});
        EXPECT_TRUE(left.empty()) << cut << ": " << (left.empty() ? "" : left.front());
        return whole && left.empty() && text::ReadFileBytes(dir / "out.srt").value() == new_output;
      });
  std::printf(
      "convert: %d file steps; %d kill points and %d failed steps tried, %d of %d runs "
      "whole, %d temporaries left by the cuts\n",
      report.steps, report.kills, report.failures, report.whole_after,
      report.kills + report.failures + 1, leftovers_after_cut);
  EXPECT_GT(report.steps, 0);
  EXPECT_GT(leftovers_after_cut, 0) << "no cut left a temporary: the test shows nothing";
  EXPECT_EQ(report.whole_after, report.kills + report.failures + 1);
}

}  // namespace
}  // namespace document
