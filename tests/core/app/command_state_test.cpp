// Tests of the command-state table: every command in every state, and the recorded state.
#include "app/command_state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace app {
namespace {

constexpr Effect on = Effect::kOn;
constexpr Effect off = Effect::kOff;
constexpr Effect keep = Effect::kUnchanged;

struct ExpectedRow {
  Command command;
  std::array<Effect, kCommandStateCount> effects;  // states 0..7
};

// The table as the window's users know it, row by row.
const std::vector<ExpectedRow> kExpected = {
    {Command::kOpenSrt, {on, on, off, on, on, off, off, on}},
    {Command::kAddWord, {on, on, off, off, on, on, off, on}},
    {Command::kCloseSrt, {off, on, off, on, on, off, off, on}},
    {Command::kSaveSrt, {off, on, on, keep, on, off, keep, on}},
    {Command::kReadMenu, {off, on, keep, keep, keep, keep, keep, off}},
    {Command::kCheckMenu, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kStartRead, {off, on, off, off, on, off, off, off}},
    {Command::kStopRead, {off, off, on, keep, off, off, keep, off}},
    {Command::kCheck1, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kCheckRow, {off, on, off, off, on, on, off, off}},
    {Command::kChkTime, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kFindReplace, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kOpenSecSrt, {on, keep, keep, keep, keep, keep, keep, keep}},
    {Command::kSaveSecSrt, {off, keep, keep, keep, keep, keep, keep, keep}},
    {Command::kCreatBlank, {off, keep, keep, keep, keep, keep, keep, keep}},
    {Command::kCompareCheck, {off, keep, keep, keep, keep, keep, keep, keep}},
    {Command::kEditBmpMenu, {off, on, off, keep, on, on, off, on}},
    {Command::kCreatIndex, {on, on, off, off, on, on, keep, on}},
    {Command::kInsertPRow, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kInsertNRow, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kDeleteRow, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kRestoreTime, {off, on, keep, keep, keep, keep, keep, on}},
    {Command::kRestoreText, {off, on, keep, keep, keep, keep, keep, on}},
};

TEST(CommandStates, EveryStateSetsEveryCommandAsTheTableSays) {
  ASSERT_EQ(kExpected.size(), static_cast<size_t>(kCommandCount));
  for (int state = 0; state < kCommandStateCount; ++state) {
    // Applied over all-enabled and over all-disabled flags, a kept command shows its old value.
    CommandEnablement from_on;
    from_on.fill(true);
    CommandEnablement from_off;
    from_off.fill(false);
    ApplyCommandState(state, from_on);
    ApplyCommandState(state, from_off);
    for (const ExpectedRow& row : kExpected) {
      const auto index = static_cast<size_t>(row.command);
      const Effect effect = row.effects[static_cast<size_t>(state)];
      const std::string where =
          std::string(ControlsOf(row.command).menu) + " in state " + std::to_string(state);
      EXPECT_EQ(from_on[index], effect != off) << where;
      EXPECT_EQ(from_off[index], effect == on) << where;
    }
  }
}

TEST(CommandStates, StatesOutsideTheTableChangeNothing) {
  CommandEnablement enabled;
  enabled.fill(true);
  ApplyCommandState(8, enabled);
  ApplyCommandState(-1, enabled);
  for (bool flag : enabled) {
    EXPECT_TRUE(flag);
  }
  EXPECT_TRUE(CommandChanges(8).empty());
}

TEST(CommandStates, ControlNamesAreUniqueAndPaired) {
  std::set<std::string_view> names;
  for (int i = 0; i < kCommandCount; ++i) {
    const CommandControls controls = ControlsOf(static_cast<Command>(i));
    EXPECT_TRUE(names.insert(controls.menu).second) << controls.menu;
    if (!controls.partner.empty()) {
      EXPECT_TRUE(names.insert(controls.partner).second) << controls.partner;
    }
  }
  EXPECT_EQ(ControlsOf(Command::kOpenSrt).partner, "OpenSrtBut");
  EXPECT_EQ(ControlsOf(Command::kDeleteRow).partner, "DeleteRowPop");
  EXPECT_EQ(ControlsOf(Command::kReadMenu).partner, "");
}

TEST(CommandStates, TemporaryStateReturnsToTheRecordedOne) {
  CommandStates states;
  states.Enter(7);
  states.Apply(5);  // check review
  EXPECT_EQ(states.Recorded(), 7);
  EXPECT_FALSE(states.Enabled(Command::kOpenSrt));
  EXPECT_FALSE(states.Enabled(Command::kCloseSrt));
  EXPECT_FALSE(states.Enabled(Command::kSaveSrt));
  states.RestoreRecorded();
  EXPECT_TRUE(states.Enabled(Command::kOpenSrt));
  EXPECT_TRUE(states.Enabled(Command::kCloseSrt));
  EXPECT_TRUE(states.Enabled(Command::kSaveSrt));
  EXPECT_FALSE(states.Enabled(Command::kStartRead));
  EXPECT_FALSE(states.Enabled(Command::kCheckRow));
  EXPECT_TRUE(states.Enabled(Command::kEditBmpMenu));
}

TEST(CommandStates, ReferenceCommandsFollowTheOpenReferenceThroughLaterStates) {
  const Command reference_commands[] = {Command::kSaveSecSrt, Command::kCreatBlank,
                                        Command::kCompareCheck};
  // (state entered, reference open, the three commands on)
  const std::tuple<int, bool, bool> steps[] = {
      {1, false, false},  // a picture subtitle, no reference
      {1, true, true},    // the reference opened
      {2, true, false},   // a run holds the document
      {4, true, true},    // ... and ended: the reference can be saved and closed
      {5, true, false},   // the check review
      {7, true, true},    // a text subtitle
      {0, true, true},    // the main subtitle closed: the reference stays
      {0, false, false},  // the reference saved and closed
  };
  CommandStates states;
  for (const auto& [state, open, on] : steps) {
    states.SetReferenceOpen(open);
    states.Enter(state);
    for (const Command command : reference_commands) {
      EXPECT_EQ(states.Enabled(command), on) << "state " << state << " open " << open;
    }
  }
  // A temporary state and its end.
  states.SetReferenceOpen(true);
  states.Enter(4);
  states.Apply(6);
  EXPECT_FALSE(states.Enabled(Command::kSaveSecSrt));
  states.RestoreRecorded();
  EXPECT_TRUE(states.Enabled(Command::kSaveSecSrt));
}

}  // namespace
}  // namespace app
