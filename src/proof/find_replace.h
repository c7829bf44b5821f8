// Find and replace over the main grid's texts: the four search modes, the search state that the
// start button's caption and ResumePosition carry from click to click, confirmation through
// the question port, and the two histories.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/subtitle_document.h"
#include "ports/host_ports.h"
#include "proof/search_history.h"
#include "text/result.h"

namespace proof {

// Message numbers of find and replace.
inline constexpr int kStartFindCaption = 320;     // the next click begins a new find
inline constexpr int kStartReplaceCaption = 698;  // the next click begins a new replace
inline constexpr int kFindNextCaption = 713;      // the next click continues the last find
inline constexpr int kEmptySearchMessage = 701;
inline constexpr int kSearchDoneMessage = 716;
inline constexpr int kConfirmCaptionMessage = 557;
inline constexpr int kConfirmRowMessage = 704;  // before the row number
inline constexpr int kConfirmRowAfterMessage = 707;
inline constexpr int kConfirmResultMessage = 710;

// How a search text matches, decided by its markers: "^P" at the end anchors it to the end of a
// row text, "^F" at the start to the start, "^^" inside splits it into a prefix and a suffix
// that delimit a span; anything else ("^^" alone included) is searched as it stands.
enum class SearchMode { kPlain, kStart, kEnd, kSpan };

struct SearchPattern {
  SearchMode mode = SearchMode::kPlain;
  std::string text;    // the effective search text; the prefix in span mode
  std::string suffix;  // span mode only
};

// Decides the mode from the typed search text. Markers count only on character boundaries, so
// a two-byte character whose second byte is "^" never starts one.
SearchPattern ParseSearchText(std::string_view search);

// A match in a row text: 0-based byte offset and length.
struct TextMatch {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// The first match in `text` at or after the boundary offset `from`. Plain mode finds every
// occurrence on character boundaries; the start, end and span modes have at most one match per
// text (an empty effective text matches every text, empty ones included; an empty span prefix
// means the start of the text and an empty suffix its end). nullopt when nothing matches.
std::optional<TextMatch> FindMatch(std::string_view text, const SearchPattern& pattern,
                                   std::size_t from = 0);

// Every match that find clicks from row 1 on show one after the other while the texts do not
// change, in that order: in plain mode each occurrence on character boundaries after the end of
// the one before it, in the other modes at most one per row. `visit(row, match)` is called per
// match and ends the listing by returning false. Each row's text is searched once from start to
// end, so the time is linear in the texts (the clicks search each row again from its start).
// An empty search text lists nothing. Returns the number of matches visited.
int ForEachMatch(const document::RowTable& table, std::string_view search,
                 const std::function<bool(int row, const TextMatch& match)>& visit);

// What one click on the start button reads from the panel.
struct SearchRequest {
  std::string search;  // as typed, markers included
  std::string replacement;
  bool replace = false;           // replace mode; find only when false
  bool confirm = true;            // ask before each replacement (replace mode only)
  bool from_current_row = false;  // a new search starts at the current row instead of row 1
};

enum class SearchEnd {
  kEmptySearchText,  // nothing done; show kEmptySearchMessage
  kShowingMatch,     // find only: `row` is current and `match` is the match to select
  kCancelled,        // the user cancelled a confirmation; `row` is current
  kExhausted,        // ran past the last row; show kSearchDoneMessage
};

struct SearchOutcome {
  SearchEnd end = SearchEnd::kExhausted;
  int message = 0;  // message number to show (kEmptySearchMessage, kSearchDoneMessage) or 0
  int row = 0;      // row the search stopped on (made current), 0 when it ran out
  TextMatch match;  // kShowingMatch only
  int replacements = 0;
  // Rows where plain-mode replacing stopped at kMaxReplacementsPerText; the rest of that row
  // was left as it stood.
  std::vector<int> bounded_rows;
  // Those of bounded_rows where a replacement recreated the search text across its own edge
  // (the others simply hold more occurrences than the bound).
  std::vector<int> recreating_rows;
  // Set when a history file could not be written; the search itself still ran.
  std::optional<text::Error> history_error;
};

// The find and replace tool of one window. Holds the search state between clicks and the
// histories; writes to the document only through its text and ChangeMarks cells, current_row
// and document_saved.
class FindReplace {
 public:
  // With a `history_folder`, new entries are saved to replace1.txt and replace2.txt there as
  // they are added; without one they are only kept in memory.
  FindReplace(SearchHistory find_history, SearchHistory replace_history,
              std::optional<std::filesystem::path> history_folder);

  // One click on the start button. A new search (caption kStartFindCaption or
  // kStartReplaceCaption) starts at row 1 or at the current row and records the texts in the
  // histories; a continued one (kFindNextCaption) starts at the current row and passes over the
  // matches at or before ResumePosition() there. Find only stops at the first match
  // (kFindNextCaption). Replace mode asks through `questions` (Yes, No, Cancel; texts from
  // `messages`) when request.confirm is set: Yes replaces and, in plain mode, scans the row
  // again from its start; No goes on after the match; Cancel stops. A pair whose replacement
  // contains the search text (in span mode: the text matched) leaves the row unchanged.
  // Each replaced row gains "C" and clears document_saved. The replacements of one call are one
  // undo step (a replace-all too).
  SearchOutcome Run(const SearchRequest& request, document::SubtitleDocument& document,
                    ports::MessagePort& questions, const ports::MessageSource& messages);

  // The start button's caption as a message number: kStartFindCaption (initially),
  // kStartReplaceCaption or kFindNextCaption.
  int CaptionMessage() const {
    return caption_;
  }
  // 1-based byte position in the row text of the match last shown by a find; 0 when none.
  std::size_t ResumePosition() const {
    return resume_position_;
  }

  const SearchHistory& FindHistory() const {
    return find_history_;
  }
  const SearchHistory& ReplaceHistory() const {
    return replace_history_;
  }

 private:
  // Handles the matches of one row; returns true when the search stops on this row.
  bool HandleRow(int row, const SearchRequest& request, const SearchPattern& pattern,
                 document::SubtitleDocument& document, ports::MessagePort& questions,
                 const ports::MessageSource& messages, SearchOutcome& outcome);
  void RememberTexts(const SearchRequest& request, SearchOutcome& outcome);

  SearchHistory find_history_;
  SearchHistory replace_history_;
  std::optional<std::filesystem::path> history_folder_;
  int caption_ = kStartFindCaption;
  std::size_t resume_position_ = 0;
};

}  // namespace proof
