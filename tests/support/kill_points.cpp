// The kill-point runner: a file-step hook that counts down to its step, then ends the process
// (in a forked child) or fails the step.
#include "support/kill_points.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"
#include "text/line_file.h"

namespace testing_support {
namespace {

constexpr int kKilledStatus = 86;
int steps_left = 0;  // steps to pass before the cut
int steps_seen = 0;
bool kill_at_cut = false;

bool CutAtStep(text::FileStep /*step*/, const std::filesystem::path& /*target*/) {
  ++steps_seen;
  if (steps_left-- != 0) {
    return true;
  }
  if (kill_at_cut) {
    ::_exit(kKilledStatus);
  }
  return false;
}

// Runs `operation` with the hook cutting at `cut` (-1: never); returns the steps it saw.
int RunCut(const std::function<void(const std::filesystem::path&)>& operation,
           const std::filesystem::path& folder, int cut, bool kill) {
  steps_left = cut;
  steps_seen = 0;
  kill_at_cut = kill;
  text::SetFileStepHookForTesting(CutAtStep);
  operation(folder);
  text::SetFileStepHookForTesting(nullptr);
  return steps_seen;
}

}  // namespace

KillPointReport TryEveryKillPoint(
    const std::function<void(const std::filesystem::path&)>& setup,
    const std::function<void(const std::filesystem::path&)>& operation,
    const std::function<bool(const std::filesystem::path&, const std::string& cut)>& check) {
  KillPointReport report;
  {
    TempDir dir;
    setup(dir.path());
    report.steps = RunCut(operation, dir.path(), -1, false);
    report.whole_after += check(dir.path(), "uncut") ? 1 : 0;
  }
  for (int cut = 0; cut < report.steps; ++cut) {
    {
      TempDir dir;
      setup(dir.path());
      std::fflush(nullptr);
      const pid_t child = ::fork();
      if (child == 0) {
        RunCut(operation, dir.path(), cut, true);
        ::_exit(0);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kKilledStatus)
          << "the child was not killed at step " << cut;
      ++report.kills;
      report.whole_after += check(dir.path(), "killed before step " + std::to_string(cut)) ? 1 : 0;
    }
    {
      TempDir dir;
      setup(dir.path());
      RunCut(operation, dir.path(), cut, false);
      ++report.failures;
      report.whole_after += check(dir.path(), "step " + std::to_string(cut) + " failed") ? 1 : 0;
    }
  }
  return report;
}

std::vector<std::string> LeftoverTemporaries(const std::filesystem::path& folder,
                                             const std::vector<std::string>& names) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string file_name = entry.path().filename().string();
    for (const std::string& name : names) {
      if (text::IsTemporaryOf(file_name, name)) {
        found.push_back(file_name);
      }
    }
  }
  return found;
}

}  // namespace testing_support
