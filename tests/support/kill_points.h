// Kills or fails a write at each of its file steps in turn (every write of a file's bytes, every
// rename, every deletion), so tests can check what the next load makes of each cut.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct KillPointReport {
  int steps = 0;        // file steps of the whole operation
  int kills = 0;        // runs killed (a child process ending at once) just before a step
  int failures = 0;     // runs in which that step failed instead (the operation went on)
  int whole_after = 0;  // of all those runs, those the check accepted
};

// For every step k of `operation` (counted through text::SetFileStepHookForTesting): makes a
// fresh folder with `setup`, runs `operation` there in a child process that ends with _exit just
// before step k (as a killed program would), then calls `check` on the folder; and again with
// step k failing in this process. Finally runs the operation uncut and checks that too. `check`
// returns true when the folder holds exactly the state before or after the operation.
KillPointReport TryEveryKillPoint(
    const std::function<void(const std::filesystem::path&)>& setup,
    const std::function<void(const std::filesystem::path&)>& operation,
    const std::function<bool(const std::filesystem::path&, const std::string& cut)>& check);

// The hidden temporary files of atomic writes (text::IsTemporaryOf) in `folder` that belong to
// one of `names`: what a killed write leaves until the next write of the same file.
std::vector<std::string> LeftoverTemporaries(const std::filesystem::path& folder,
                                             const std::vector<std::string>& names);

}  // namespace testing_support
