// The command-state table and its application.
#include "app/command_state.h"

namespace app {
namespace {

struct CommandRow {
  CommandControls controls;
  // One character per state 0..7: '1' enables, '0' disables, '-' leaves the command as it is.
  std::string_view effects;
};

// Indexed by Command; the order must follow the enum.
constexpr std::array<CommandRow, kCommandCount> kTable = {{
    {{"OpenSrtMenu", "OpenSrtBut"}, "11011001"},
    {{"AddWordMenu", "AddWordBut"}, "11001101"},
    {{"CloseSrtMenu", ""}, "01011001"},
    {{"SaveSrtMenu", "SaveSrtBut"}, "011-10-1"},
    {{"ReadMenu", ""}, "01-----0"},
    {{"CheckMenu", ""}, "01-----1"},
    {{"StartReadMenu", "StartReadBut"}, "01001000"},
    {{"StopReadMenu", "StopReadBut"}, "001-00-0"},
    {{"Check1Menu", "Check1But"}, "01-----1"},
    {{"CheckRowMenu", "CheckRowBut"}, "01001100"},
    {{"ChkTimeMenu", "ChkTimeBut"}, "01-----1"},
    {{"FindReplaceMenu", "FindReplaceBut"}, "01-----1"},
    // The reference commands are switched off by state 0 only; otherwise the reference
    // subtitle's own commands decide them.
    {{"OpenSecSrtMenu", "OpenSecSrtBut"}, "1-------"},
    {{"SaveSecSrtMenu", "SaveSecSrtBut"}, "0-------"},
    {{"CreatBlankMenu", "CreatBlankBut"}, "0-------"},
    {{"CompareCheckMenu", "CompareCheckBut"}, "0-------"},
    {{"EditBmpMenu", ""}, "010-1101"},
    {{"CreatIndexMenu", ""}, "110011-1"},
    {{"InsertPRowMenu", "InsertPRowPop"}, "01-----1"},
    {{"InsertNRowMenu", "InsertNRowPop"}, "01-----1"},
    {{"DeleteRowMenu", "DeleteRowPop"}, "01-----1"},
    {{"RestoreTimeMenu", "RestoreTimePop"}, "01-----1"},
    {{"RestoreTextMenu", "RestoreTextPop"}, "01-----1"},
}};

constexpr bool EveryRowCoversEveryState() {
  for (const CommandRow& row : kTable) {
    if (row.effects.size() != static_cast<size_t>(kCommandStateCount)) {
      return false;
    }
  }
  return true;
}
static_assert(EveryRowCoversEveryState(), "each command needs one effect per state");

}  // namespace

CommandControls ControlsOf(Command command) {
  return kTable[static_cast<size_t>(command)].controls;
}

Effect EffectOf(int state, Command command) {
  if (state < 0 || state >= kCommandStateCount) {
    return Effect::kUnchanged;
  }
  const std::string_view effects = kTable[static_cast<size_t>(command)].effects;
  if (static_cast<size_t>(state) >= effects.size()) {
    return Effect::kUnchanged;
  }
  switch (effects[static_cast<size_t>(state)]) {
    case '1':
      return Effect::kOn;
    case '0':
      return Effect::kOff;
    default:
      return Effect::kUnchanged;
  }
}

void ApplyCommandState(int state, CommandEnablement& enabled) {
  for (const auto& [command, on] : CommandChanges(state)) {
    enabled[static_cast<size_t>(command)] = on;
  }
}

std::vector<std::pair<Command, bool>> CommandChanges(int state) {
  std::vector<std::pair<Command, bool>> changes;
  for (int i = 0; i < kCommandCount; ++i) {
    const auto command = static_cast<Command>(i);
    const Effect effect = EffectOf(state, command);
    if (effect != Effect::kUnchanged) {
      changes.emplace_back(command, effect == Effect::kOn);
    }
  }
  return changes;
}

}  // namespace app
