// Every command that changes the main subtitle is one undo step: undo puts back the rows, the
// marks, the flags and the current row; redo does the command's work again.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/edit_history.h"
#include "proof/check_rules.h"
#include "proof/find_replace.h"
#include "proof/reference_editing.h"
#include "proof/row_editing.h"
#include "proof/time_overlap.h"
#include "proof_test_util.h"
#include "support/fake_ports.h"

namespace proof {
namespace {

using document::EditKind;
using document::SubtitleDocument;
using ports::Answer;
using proof_test::G;
using proof_test::NumberedMessages;

// Everything undo must put back.
struct Seen {
  std::vector<std::vector<std::string>> rows;
  bool saved = false;
  bool proofread = false;
  int current_row = 0;

  bool operator==(const Seen&) const = default;
};

Seen Look(const SubtitleDocument& document) {
  Seen seen{{}, document.document_saved, document.proofread_done, document.current_row};
  for (int row = 1; row < document.main.RowCount(); ++row) {
    seen.rows.push_back(document.main.RowCells(row));
  }
  return seen;
}

// Four rows as opened: saved and proofread, the cursor on row 2, row 2 marked "C", row 3's
// text and end edited away from their base values, rows 2 and 3 overlapping in time.
SubtitleDocument OpenedDocument() {
  SubtitleDocument document = proof_test::MakeDocument({
      {G("第一行"), "00:00:01.000", "00:00:02.000"},
      {G("你好,世界."), "00:00:03.000", "00:00:05.500"},
      {"abc", "00:00:05.000", "00:00:06.000"},
      {"abc abc", "00:00:06.200", "00:00:08.000"},
  });
  document.main.SetCell(document::kChangeMarks, 2, "C");
  document.main.SetCell(document::kText, 3, "abc edited");
  document.main.SetCell(document::kEnd, 3, "00:00:06.500");
  document.main.SetCell(document::kChangeMarks, 3, "TC");
  document.current_row = 2;
  document.main.History().Clear();  // the set-up above is how the file was read
  return document;
}

struct Command {
  const char* name;
  EditKind kind;
  std::function<void(SubtitleDocument&, testing_support::FakeMessages&)> run;
};

TEST(UndoCommands, EachCommandIsOneStepThatUndoAndRedoReplay) {
  const std::vector<Command> commands = {
      {"typed text", EditKind::kCellEdit,
       [](SubtitleDocument& d, auto&) { ASSERT_TRUE(StoreTypedCell(d, document::kText, 1, "x")); }},
      {"typed time", EditKind::kCellEdit,
       [](SubtitleDocument& d, auto&) {
         ASSERT_TRUE(StoreTypedCell(d, document::kStart, 4, "00:00:06.900"));
       }},
      {"typed margin", EditKind::kCellEdit,
       [](SubtitleDocument& d, auto&) { ASSERT_TRUE(StoreTypedCell(d, 9, 2, "0010")); }},
      {"insert before", EditKind::kInsertRow,
       [](SubtitleDocument& d, auto&) { InsertRowBefore(d); }},
      {"insert after the last row", EditKind::kInsertRow,
       [](SubtitleDocument& d, auto&) {
         d.current_row = 4;
         InsertRowAfter(d);
       }},
      {"insert after a middle row", EditKind::kInsertRow,
       [](SubtitleDocument& d, auto&) { InsertRowAfter(d); }},
      {"delete", EditKind::kDeleteRow,
       [](SubtitleDocument& d, auto& q) {
         q.answers = {Answer::kOk};
         ASSERT_TRUE(DeleteCurrentRow(d, q, NumberedMessages()));
       }},
      {"delete the last row", EditKind::kDeleteRow,
       [](SubtitleDocument& d, auto& q) {
         d.current_row = 4;
         q.answers = {Answer::kOk};
         ASSERT_TRUE(DeleteCurrentRow(d, q, NumberedMessages()));
       }},
      {"restore time", EditKind::kRestoreTime,
       [](SubtitleDocument& d, auto& q) {
         d.current_row = 3;
         q.answers = {Answer::kOk};
         ASSERT_EQ(RestoreTime(d, q, NumberedMessages()), RestoreEnd::kRestored);
       }},
      {"restore text", EditKind::kRestoreText,
       [](SubtitleDocument& d, auto& q) {
         d.current_row = 3;
         q.answers = {Answer::kOk};
         ASSERT_EQ(RestoreText(d, q, NumberedMessages()), RestoreEnd::kRestored);
       }},
      {"open a shift range", EditKind::kShiftRange,
       [](SubtitleDocument& d, auto&) {
         ASSERT_EQ(ToggleShiftMark(d, 3).value(), ShiftChange::kOpened);
       }},
      {"store the row editor", EditKind::kStoreRowEdit,
       [](SubtitleDocument& d, auto&) {
         ASSERT_TRUE(
             StoreEditAndNext(d, RowEditor{{"one", "two"}, "00:00:03.100", "00:00:05.400"}));
       }},
      {"confirm the check", EditKind::kCheckConfirmation,
       [](SubtitleDocument& d, auto&) {
         d.proofread_done = false;  // as a recognition run leaves it
         d.main.History().Clear();
         const ConfirmOutcome outcome =
             ConfirmReview({{"2", "", "x."}, {"3", "", "y"}, {"4", "", "z"}}, d);
         ASSERT_EQ(outcome.written, 3);
       }},
      {"replace all", EditKind::kReplace,
       [](SubtitleDocument& d, auto& q) {
         FindReplace finder({}, {}, std::nullopt);
         const SearchOutcome outcome =
             finder.Run({"abc", "ABCD", true, false, false}, d, q, NumberedMessages());
         ASSERT_EQ(outcome.replacements, 3);
       }},
      {"replace with questions", EditKind::kReplace,
       [](SubtitleDocument& d, auto& q) {
         q.answers = {Answer::kYes, Answer::kNo, Answer::kYes, Answer::kCancel};
         FindReplace finder({}, {}, std::nullopt);
         const SearchOutcome outcome =
             finder.Run({"abc", "ABCD", true, true, false}, d, q, NumberedMessages());
         ASSERT_EQ(outcome.replacements, 2);
       }},
      {"overlap correction", EditKind::kOverlapCorrection,
       [](SubtitleDocument& d, auto&) { ASSERT_EQ(FixTimeOverlaps(d), 2); }},
  };
  for (const Command& command : commands) {
    SCOPED_TRACE(command.name);
    SubtitleDocument document = OpenedDocument();
    testing_support::FakeMessages questions;
    command.run(document, questions);
    const document::EditHistory& history = document.main.History();
    ASSERT_EQ(history.UndoCount(), 1u);
    EXPECT_EQ(history.UndoKind(), command.kind);
    const Seen after = Look(document);
    ASSERT_TRUE(document.Undo());
    const Seen before = Look(document);
    EXPECT_NE(before.rows, after.rows);
    ASSERT_TRUE(document.Redo());
    EXPECT_EQ(Look(document), after);
    ASSERT_TRUE(document.Undo());
    EXPECT_EQ(Look(document), before);
  }
}

TEST(UndoCommands, UndoRestoresTheOpenedStateMarksAndFlagsIncluded) {
  const NumberedMessages texts;
  SubtitleDocument document = OpenedDocument();
  const Seen opened = Look(document);
  testing_support::FakeMessages questions;
  ASSERT_TRUE(StoreTypedCell(document, document::kText, 1, "typed"));
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 1), "C");
  EXPECT_FALSE(document.document_saved);
  InsertRowAfter(document);
  ASSERT_TRUE(ToggleShiftMark(document, 4).ok());  // row 3 before the insert
  questions.answers = {Answer::kOk};
  ASSERT_TRUE(DeleteCurrentRow(document, questions, texts));
  EXPECT_EQ(document.main.History().UndoCount(), 4u);
  while (document.Undo()) {
  }
  EXPECT_EQ(Look(document), opened);
  EXPECT_TRUE(document.document_saved);
}

TEST(UndoCommands, AReplaceAllOverManyRowsAndACheckConfirmationUndoInOneStep) {
  std::vector<std::string> texts(50, "abc");
  SubtitleDocument document = proof_test::MakeTextDocument(texts);
  document.proofread_done = false;
  const Seen opened = Look(document);
  testing_support::FakeMessages questions;
  FindReplace finder({}, {}, std::nullopt);
  ASSERT_EQ(finder.Run({"b", "BB", true, false, false}, document, questions, NumberedMessages())
                .replacements,
            50);
  std::vector<ReviewRow> review;
  for (int row = 1; row <= 50; row += 2) {
    review.push_back({std::to_string(row), "aBBc", "aBBc."});
  }
  ASSERT_EQ(ConfirmReview(review, document).written, 25);
  EXPECT_TRUE(document.proofread_done);
  EXPECT_EQ(document.main.Cell(document::kText, 49), "aBBc.");

  ASSERT_TRUE(document.Undo());
  EXPECT_FALSE(document.proofread_done);
  EXPECT_EQ(proof_test::Column(document.main, document::kText),
            std::vector<std::string>(50, "aBBc"));
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Look(document), opened);
  EXPECT_FALSE(document.Undo());
}

TEST(UndoCommands, RefusedOrCancelledCommandsLeaveNoStep) {
  const NumberedMessages texts;
  SubtitleDocument document = OpenedDocument();
  testing_support::FakeMessages questions;
  questions.answers = {Answer::kCancel, Answer::kCancel, Answer::kCancel};
  EXPECT_FALSE(DeleteCurrentRow(document, questions, texts));
  document.current_row = 3;
  EXPECT_EQ(RestoreText(document, questions, texts), RestoreEnd::kCancelled);
  EXPECT_EQ(RestoreTime(document, questions, texts), RestoreEnd::kCancelled);
  document.current_row = 2;
  EXPECT_EQ(RestoreText(document, questions, texts), RestoreEnd::kAlreadyBase);
  EXPECT_FALSE(StoreTypedCell(document, document::kPicture, 1, "x.bmp"));
  EXPECT_TRUE(StoreTypedCell(document, document::kText, 2, document.main.Cell(document::kText, 2)));
  document.main.SetCell(document::kEnd, 4, "bad");
  document.main.History().Clear();
  EXPECT_FALSE(ToggleShiftMark(document, 3).ok());  // an unreadable end below
  FindReplace finder({}, {}, std::nullopt);
  finder.Run({"abc", "", false, false, false}, document, questions, texts);  // find only
  EXPECT_FALSE(document.main.History().CanUndo());
  EXPECT_TRUE(document.document_saved);
}

}  // namespace
}  // namespace proof
