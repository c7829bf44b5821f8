// Find and replace over the main grid's texts.
#include "proof/find_replace.h"

#include <algorithm>
#include <utility>

#include "proof/char_search.h"
#include "text/gbk.h"

namespace proof {
namespace {

constexpr std::string_view kEndMarker = "^P";
constexpr std::string_view kStartMarker = "^F";
constexpr std::string_view kSpanMarker = "^^";

// Writes a replaced row text: the row gains "C" and the document is unsaved.
void StoreReplacedText(document::SubtitleDocument& document, int row, std::string text) {
  document::RowTable& table = document.main;
  table.SetCell(document::kText, row, std::move(text));
  std::string marks = table.Cell(document::kChangeMarks, row);
  if (AddChangeMark(marks, kTextMark)) {
    table.SetCell(document::kChangeMarks, row, std::move(marks));
  }
  document.document_saved = false;
}

}  // namespace

SearchPattern ParseSearchText(std::string_view search) {
  SearchPattern pattern;
  const std::size_t size = search.size();
  if (size >= 2 && search.substr(size - 2) == kEndMarker &&
      text::IsCharBoundary(search, size - 2)) {
    pattern.mode = SearchMode::kEnd;
    pattern.text = search.substr(0, size - 2);
    return pattern;
  }
  if (search.substr(0, 2) == kStartMarker) {
    pattern.mode = SearchMode::kStart;
    pattern.text = search.substr(2);
    return pattern;
  }
  const std::size_t span_at = FindOnCharBoundary(search, kSpanMarker);
  if (span_at != 0 && search != kSpanMarker) {
    pattern.mode = SearchMode::kSpan;
    pattern.text = search.substr(0, span_at - 1);
    pattern.suffix = search.substr(span_at + 1);
    return pattern;
  }
  pattern.text = search;
  return pattern;
}

std::optional<TextMatch> FindMatch(std::string_view text, const SearchPattern& pattern,
                                   std::size_t from) {
  const std::string_view needle = pattern.text;
  switch (pattern.mode) {
    case SearchMode::kPlain: {
      const std::size_t at = FindOnCharBoundary(text, needle, from);
      if (at == 0 || needle.empty()) {
        return std::nullopt;
      }
      return TextMatch{at - 1, needle.size()};
    }
    case SearchMode::kStart:
      if (from == 0 && text.substr(0, needle.size()) == needle) {
        return TextMatch{0, needle.size()};
      }
      return std::nullopt;
    case SearchMode::kEnd: {
      if (text.size() < needle.size()) {
        return std::nullopt;
      }
      const std::size_t offset = text.size() - needle.size();
      if (offset >= from && text.substr(offset) == needle && text::IsCharBoundary(text, offset)) {
        return TextMatch{offset, needle.size()};
      }
      return std::nullopt;
    }
    case SearchMode::kSpan: {
      std::size_t begin = 0;
      if (!needle.empty()) {
        const std::size_t at = FindOnCharBoundary(text, needle, 0);
        if (at == 0) {
          return std::nullopt;
        }
        begin = at - 1;
      }
      if (begin < from) {
        return std::nullopt;
      }
      std::size_t end = text.size();
      if (!pattern.suffix.empty()) {
        const std::size_t after = FindOnCharBoundary(text, pattern.suffix, begin + needle.size());
        if (after == 0) {
          return std::nullopt;
        }
        end = after - 1 + pattern.suffix.size();
      }
      return TextMatch{begin, end - begin};
    }
  }
  return std::nullopt;
}

int ForEachMatch(const document::RowTable& table, std::string_view search,
                 const std::function<bool(int row, const TextMatch& match)>& visit) {
  if (search.empty()) {
    return 0;
  }
  const SearchPattern pattern = ParseSearchText(search);
  int visited = 0;
  const int last = table.DataRowCount();
  for (int row = 1; row <= last; ++row) {
    const std::string& text = table.Cell(document::kText, row);
    // A click passes over the matches it showed by searching again from the row's start and
    // skipping to the last one; here the search goes on after it, which meets the same matches.
    std::size_t from = 0;
    while (const std::optional<TextMatch> match = FindMatch(text, pattern, from)) {
      ++visited;
      if (!visit(row, *match)) {
        return visited;
      }
      if (pattern.mode != SearchMode::kPlain) {
        break;
      }
      from = match->offset + match->length;
    }
  }
  return visited;
}

FindReplace::FindReplace(SearchHistory find_history, SearchHistory replace_history,
                         std::optional<std::filesystem::path> history_folder)
    : find_history_(std::move(find_history)),
      replace_history_(std::move(replace_history)),
      history_folder_(std::move(history_folder)) {}

void FindReplace::RememberTexts(const SearchRequest& request, SearchOutcome& outcome) {
  const auto remember = [&](SearchHistory& history, const std::string& entry,
                            std::string_view file) {
    if (!history.Add(entry) || !history_folder_) {
      return;
    }
    text::Status saved = history.Save(*history_folder_ / file);
    if (!saved.ok() && !outcome.history_error) {
      outcome.history_error = saved.error();
    }
  };
  remember(find_history_, request.search, kFindHistoryFile);
  if (request.replace) {
    remember(replace_history_, request.replacement, kReplaceHistoryFile);
  }
}

SearchOutcome FindReplace::Run(const SearchRequest& request, document::SubtitleDocument& document,
                               ports::MessagePort& questions,
                               const ports::MessageSource& messages) {
  SearchOutcome outcome;
  // An empty search text would match between every two characters; it is refused whether the
  // search is new or continued.
  if (request.search.empty()) {
    outcome.end = SearchEnd::kEmptySearchText;
    outcome.message = kEmptySearchMessage;
    return outcome;
  }
  const int last = document.main.DataRowCount();
  const int current = std::clamp(document.current_row, 1, last);
  int start_row = current;
  if (caption_ != kFindNextCaption) {
    start_row = request.from_current_row ? current : 1;
    resume_position_ = 0;
    RememberTexts(request, outcome);
  }
  const SearchPattern pattern = ParseSearchText(request.search);
  // Every replacement of one click, asked one by one or not, is one undo step.
  std::optional<document::EditStep> step;
  if (request.replace) {
    step.emplace(document, document::EditKind::kReplace);
  }
  for (int row = start_row; row <= last; ++row) {
    if (row > start_row) {
      resume_position_ = 0;
    }
    if (HandleRow(row, request, pattern, document, questions, messages, outcome)) {
      outcome.row = row;
      document.current_row = row;
      return outcome;
    }
  }
  outcome.end = SearchEnd::kExhausted;
  outcome.message = kSearchDoneMessage;
  resume_position_ = 0;
  caption_ = request.replace ? kStartReplaceCaption : kStartFindCaption;
  return outcome;
}

bool FindReplace::HandleRow(int row, const SearchRequest& request, const SearchPattern& pattern,
                            document::SubtitleDocument& document, ports::MessagePort& questions,
                            const ports::MessageSource& messages, SearchOutcome& outcome) {
  using document::kText;
  document::RowTable& table = document.main;
  std::string text = table.Cell(kText, row);
  const bool plain = pattern.mode == SearchMode::kPlain;
  if (plain && request.replace && !request.confirm && resume_position_ == 0) {
    // Nothing to ask and nothing to pass over: replace every occurrence, searching again from
    // the start after each one, at once.
    if (request.replacement.find(request.search) != std::string::npos) {
      return false;
    }
    const ReplaceCount count =
        ReplaceOnCharBoundaries(text, pattern.text, request.replacement, kMaxReplacementsPerText);
    if (count.limit_hit) {
      outcome.bounded_rows.push_back(row);
      if (count.recreated) {
        outcome.recreating_rows.push_back(row);
      }
    }
    if (count.replaced > 0) {
      StoreReplacedText(document, row, std::move(text));
      outcome.replacements += count.replaced;
    }
    return false;
  }
  int replaced_here = 0;
  std::size_t from = 0;
  while (std::optional<TextMatch> match = FindMatch(text, pattern, from)) {
    const std::size_t position = match->offset + 1;
    if (position <= resume_position_) {
      // Already shown by the find that this click continues.
      if (!plain) {
        return false;
      }
      from = match->offset + match->length;
      continue;
    }
    if (!request.replace) {
      caption_ = kFindNextCaption;
      resume_position_ = position;
      outcome.end = SearchEnd::kShowingMatch;
      outcome.match = *match;
      return true;
    }
    const std::string_view matched = std::string_view(text).substr(match->offset, match->length);
    const std::string_view searched =
        pattern.mode == SearchMode::kSpan ? matched : std::string_view(request.search);
    if (request.replacement.find(searched) != std::string::npos) {
      return false;
    }
    std::string replaced = text.substr(0, match->offset) + request.replacement +
                           text.substr(match->offset + match->length);
    if (request.confirm) {
      document.current_row = row;
      ports::Question question;
      question.caption = messages.Message(kConfirmCaptionMessage);
      question.buttons = ports::Buttons::kYesNoCancel;
      question.text = messages.Message(kConfirmRowMessage) + table.Cell(document::kNumber, row) +
                      messages.Message(kConfirmRowAfterMessage) + "\n\n" + text + "\n\n" +
                      messages.Message(kConfirmResultMessage) + "\n\n" + replaced + "\n";
      const ports::Answer answer = questions.Ask(question);
      if (answer == ports::Answer::kCancel) {
        outcome.end = SearchEnd::kCancelled;
        return true;
      }
      if (answer != ports::Answer::kYes) {
        if (!plain) {
          return false;
        }
        from = match->offset + match->length;
        continue;
      }
    }
    text = std::move(replaced);
    StoreReplacedText(document, row, text);
    ++outcome.replacements;
    if (!plain) {
      return false;
    }
    if (++replaced_here == kMaxReplacementsPerText) {
      outcome.bounded_rows.push_back(row);
      return false;
    }
    // A refused match earlier in the row is offered again after a replacement.
    from = 0;
  }
  return false;
}

}  // namespace proof
