// Command states 0..7: which commands each state enables, disables or leaves as they are, held
// as data that the window applies to its menu items, tool buttons and pop-up items.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace app {

// The commands that command states switch. Each names a menu item and, where one exists, the
// tool button or grid pop-up item that is always set with it.
enum class Command : int {
  kOpenSrt,
  kAddWord,
  kCloseSrt,
  kSaveSrt,
  kReadMenu,   // top-level menu: disabling it disables the whole menu
  kCheckMenu,  // top-level menu
  kStartRead,
  kStopRead,
  kCheck1,
  kCheckRow,
  kChkTime,
  kFindReplace,
  kOpenSecSrt,
  kSaveSecSrt,
  kCreatBlank,
  kCompareCheck,
  kEditBmpMenu,  // top-level menu
  kCreatIndex,
  kInsertPRow,
  kInsertNRow,
  kDeleteRow,
  kRestoreTime,
  kRestoreText,
};
inline constexpr int kCommandCount = 23;

// States: 0 nothing open, 1 picture subtitle idle, 2 recognition or row analysis running,
// 3 merge panel open, 4 recognition run ended, 5 check review open, 6 cropping running,
// 7 text subtitle open.
inline constexpr int kCommandStateCount = 8;

enum class Effect { kOn, kOff, kUnchanged };

// The objectNames of a command's controls: the menu item and its partner ("" when none).
struct CommandControls {
  std::string_view menu;
  std::string_view partner;
};
CommandControls ControlsOf(Command command);

// What state `state` does to `command`; kUnchanged for a state outside 0..7.
Effect EffectOf(int state, Command command);

// The enabled flag of every command, indexed by static_cast<int>(Command).
using CommandEnablement = std::array<bool, kCommandCount>;

// Sets the flags of `enabled` as state `state` requires; commands the state leaves unchanged keep
// their flags. A state outside 0..7 changes nothing. Does not record the state.
void ApplyCommandState(int state, CommandEnablement& enabled);

// The (command, enabled) pairs that state `state` sets, in command order: what the window
// applies to its controls.
std::vector<std::pair<Command, bool>> CommandChanges(int state);

// The enabled flags and the recorded state, as the window keeps them.
class CommandStates {
 public:
  // Before any state is applied every command is enabled; the start-up applies state 0.
  CommandStates() {
    enabled_.fill(true);
  }

  // Applies `state` without recording it (for a temporary state, or a caller that records it
  // itself), then the reference commands as ReferenceCommandsOn says.
  void Apply(int state) {
    ApplyCommandState(state, enabled_);
    applied_ = state;
    ApplyReferenceCommands();
  }
  // Whether a reference subtitle is open. Its commands (save and close, blank subtitle from it,
  // proofread against it) follow: on while one is open and the state applied last is an idle
  // one, whatever states came and went since it was opened.
  void SetReferenceOpen(bool open) {
    reference_open_ = open;
    ApplyReferenceCommands();
  }
  bool ReferenceOpen() const {
    return reference_open_;
  }
  // Records `state` and applies it.
  void Enter(int state) {
    recorded_ = state;
    Apply(state);
  }
  // Applies the recorded state again, ending a temporary one.
  void RestoreRecorded() {
    Apply(recorded_);
  }

  int Recorded() const {
    return recorded_;
  }
  void SetRecorded(int state) {
    recorded_ = state;
  }
  bool Enabled(Command command) const {
    return enabled_[static_cast<int>(command)];
  }
  const CommandEnablement& Enablement() const {
    return enabled_;
  }

 private:
  // Idle states are 0 (nothing open), 1 (picture subtitle), 4 (after a run) and 7 (text
  // subtitle); in the others a run, the merge panel or the check review holds the document.
  void ApplyReferenceCommands() {
    const bool idle = applied_ == 0 || applied_ == 1 || applied_ == 4 || applied_ == 7;
    for (const Command command :
         {Command::kSaveSecSrt, Command::kCreatBlank, Command::kCompareCheck}) {
      enabled_[static_cast<int>(command)] = reference_open_ && idle;
    }
  }

  CommandEnablement enabled_{};
  int recorded_ = 0;
  int applied_ = 0;
  bool reference_open_ = false;
};

}  // namespace app
