// The check run: punctuation rules A to F over every subtitle text, the review rows it produces,
// and the confirmation that writes a review into the document.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/subtitle_document.h"
#include "ports/host_ports.h"
#include "proof/char_search.h"

namespace proof {

// The marks of the current language, as the message table gives them (GBK). The rules expect
// the quotation marks, full stop and comma to be one two-byte character each and the kept
// ending to be six bytes, but stay safe with any text: an empty form switches its part of a
// rule off.
struct PunctuationForms {
  std::string opening_quote;    // message 569
  std::string closing_quote;    // message 572
  std::string full_stop;        // message 575
  std::string comma;            // message 578
  std::string kept_ending;      // message 581: a final ending rule D never cuts
  std::string double_ellipsis;  // message 278
  std::string single_ellipsis;  // message 281

  // The Simplified Chinese marks, for hosts without a message table.
  static PunctuationForms SimplifiedChinese();
  // The marks of the message source's current language.
  static PunctuationForms FromMessages(const ports::MessageSource& messages);
};

// Message numbers the check leaves to its caller.
inline constexpr int kCheckFinishedMessage = 584;

// Ellipsis target, the items of the ellipsis option in their stored order (settings value).
enum class EllipsisForm { kDouble = 0, kSingle = 1, kThreeDots = 2, kUnchanged = 3 };

struct PhrasePair {
  std::string search;
  std::string replacement;
};

// What a check reads: the rule switches, the marks and the phrase pairs in table order (the
// caller passes the pairs of the phrase grid without its entry row).
struct CheckOptions {
  bool quotes_to_full_width = false;                 // rule A
  bool pair_quotes = false;                          // rule B
  bool inner_full_stops = false;                     // rule C
  bool drop_final_stop = false;                      // rule D
  EllipsisForm ellipsis = EllipsisForm::kUnchanged;  // rule E
  bool apply_phrases = false;                        // rule F
  PunctuationForms forms = PunctuationForms::SimplifiedChinese();
  std::vector<PhrasePair> phrases;
  // The mark a skipped glyph leaves in recognised text (GBK); rows holding it are listed for
  // review even when no rule changes them. "" lists nothing.
  std::string skip_placeholder;
};

// One text through the rules.
struct CheckedText {
  std::string text;      // the text after all rules that are on
  bool changed = false;  // a rule marked the text (rule C marks a final full stop too)
  bool replacement_bound_hit = false;  // a phrase pair hit kMaxReplacementsPerText
};

// Applies rules A to F in order to `text`. Pure function of its arguments.
CheckedText CheckText(std::string_view text, const CheckOptions& options);

// A row of the review: the row's number as the main grid shows it, its text before the check
// and the proposed text (which the user may edit before confirming).
struct ReviewRow {
  std::string number;
  std::string before;
  std::string after;
};

struct CheckReview {
  std::vector<ReviewRow> rows;               // only rows the rules marked, in grid order
  int rows_checked = 0;                      // main rows looked at (all of them unless stopped)
  bool stopped = false;                      // the host asked to stop; the rows so far are kept
  std::vector<std::string> bounded_numbers;  // rows where a phrase pair hit its bound
  // Rows whose text (after the rules) still holds the skip placeholder: a glyph was skipped
  // there. They are among `rows` too.
  std::vector<std::string> placeholder_numbers;
};

// Runs the check over every main row with a non-empty text; the document is not changed. Rows
// the rules mark, and rows holding options.skip_placeholder, are listed in the review. Calls
// pump.LetPendingEventsRun() and ReportProgress once per row and honours StopRequested(). The
// caller shows kCheckFinishedMessage afterwards.
CheckReview RunCheck(const document::SubtitleDocument& document, const CheckOptions& options,
                     ports::EventPump& pump);

struct ConfirmOutcome {
  int written = 0;                           // text cells written
  std::vector<std::string> skipped_numbers;  // review numbers that name no main-grid row
};

// Writes each review row's proposal into the text cell of the main row its number names and
// sets proofread_done. Rows with an empty number are ignored; a number that is not a data row
// of the main grid (not all digits, 0, past the end) is skipped and returned, never written
// elsewhere. Base text, ChangeMarks and document_saved are not touched, so restoring the text
// still brings back the text as read or last saved. Cancelling a review needs no call: it
// changes nothing. The confirmation is one undo step, proofread_done included.
// With `mark_changes`, a row whose text the confirmation changed gains the "C" mark and the
// document is no longer saved, as for any other edit of a text; without it, as described above.
ConfirmOutcome ConfirmReview(const std::vector<ReviewRow>& review,
                             document::SubtitleDocument& document, bool mark_changes = false);

}  // namespace proof
