// The check rules A to F, the check run over the main grid and the review confirmation.
#include "proof/check_rules.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "proof/char_search.h"
#include "proof/phrase_matcher.h"

namespace proof {
namespace {

constexpr std::string_view kHalfWidthQuote = "\"";
constexpr std::string_view kThreeDots = "...";

bool EndsWith(std::string_view text, std::string_view ending) {
  return !ending.empty() && text.size() >= ending.size() &&
         text.substr(text.size() - ending.size()) == ending;
}

// Rule A: every half-width quotation mark becomes, alternately, the opening and the closing
// full-width mark. One left-to-right pass gives the same result as replacing the first mark and
// searching again from the start, and it ends even when a language's marks contain the byte
// itself. A trail byte of GBK is never 0x22, so a byte search is safe here.
bool RuleQuotesToFullWidth(std::string& text, const PunctuationForms& forms, std::string& out) {
  if (forms.opening_quote.empty() || forms.closing_quote.empty() ||
      text.find(kHalfWidthQuote) == std::string::npos) {
    return false;
  }
  out.clear();
  out.reserve(text.size() + 8);
  int replaced = 0;
  std::size_t copied = 0;
  for (std::size_t at = text.find(kHalfWidthQuote[0]); at != std::string::npos;
       at = text.find(kHalfWidthQuote[0], at + 1)) {
    out.append(text, copied, at - copied);
    out += (replaced % 2 == 0) ? forms.opening_quote : forms.closing_quote;
    ++replaced;
    copied = at + 1;
  }
  out.append(text, copied, std::string::npos);
  text.swap(out);
  return true;
}

// Rule B: the full-width marks, taken in order of position, must alternate opening, closing;
// a mark of the wrong kind is turned into the expected one and an odd last mark is deleted.
bool RulePairQuotes(std::string& text, const PunctuationForms& forms, std::string& out) {
  const std::string& open = forms.opening_quote;
  const std::string& close = forms.closing_quote;
  if (open.empty() || close.empty()) {
    return false;
  }
  struct Mark {
    std::size_t offset;
    std::size_t length;
  };
  // One walk over the character boundaries: at each, the opening mark is tried before the
  // closing one, and the walk goes on after the mark it finds. That is the earliest of the two
  // searches from the end of the last mark, the opening mark winning a tie.
  std::vector<Mark> marks;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char byte = text[pos];
    if (byte == open[0] && text.compare(pos, open.size(), open) == 0) {
      marks.push_back({pos, open.size()});
      pos += open.size();
    } else if (byte == close[0] && text.compare(pos, close.size(), close) == 0) {
      marks.push_back({pos, close.size()});
      pos += close.size();
    } else {
      pos = NextCharBoundary(text, pos);
    }
  }
  if (marks.empty()) {
    return false;
  }
  const bool odd = marks.size() % 2 == 1;
  out.clear();
  out.reserve(text.size());
  std::size_t copied = 0;
  bool changed = odd;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const Mark& mark = marks[i];
    out.append(text, copied, mark.offset - copied);
    copied = mark.offset + mark.length;
    if (odd && i + 1 == marks.size()) {
      continue;  // the opening mark without its closing mark goes
    }
    const std::string& expected = (i % 2 == 0) ? open : close;
    if (std::string_view(text).substr(mark.offset, mark.length) != expected) {
      changed = true;
    }
    out += expected;
  }
  out.append(text, copied, std::string::npos);
  text.swap(out);
  return changed;
}

// Rule C: every full stop but a final one becomes a comma. Finding any full stop marks the text,
// even a final one that stays. The search goes on after each written comma rather than from the
// start, which is the same for one-character marks and always ends.
bool RuleInnerFullStops(std::string& text, const PunctuationForms& forms, std::string& out) {
  const std::string& stop = forms.full_stop;
  if (stop.empty() || forms.comma.empty()) {
    return false;
  }
  // One walk over the character boundaries; after a replaced stop it goes on after the stop in
  // the text as it was, which is where the search after the written comma resumes.
  bool found = false;
  bool replaced = false;
  std::size_t pos = 0;
  std::size_t copied = 0;
  while (pos < text.size()) {
    if (text[pos] != stop[0] || text.compare(pos, stop.size(), stop) != 0) {
      pos = NextCharBoundary(text, pos);
      continue;
    }
    found = true;
    if (pos + stop.size() == text.size()) {
      break;
    }
    if (!replaced) {
      out.clear();
      out.reserve(text.size() + 8);
      replaced = true;
    }
    out.append(text, copied, pos - copied);
    out += forms.comma;
    pos += stop.size();
    copied = pos;
  }
  if (replaced) {
    out.append(text, copied, std::string::npos);
    text.swap(out);
  }
  return found;
}

// Rule D: at most one final comma or full stop goes, full-width before half-width; the kept
// ending and a final three-dot ellipsis are left alone.
bool RuleDropFinalStop(std::string& text, const PunctuationForms& forms) {
  if (EndsWith(text, forms.kept_ending) || EndsWith(text, kThreeDots)) {
    return false;
  }
  for (const std::string* form : {&forms.full_stop, &forms.comma}) {
    if (EndsWith(text, *form)) {
      text.erase(text.size() - form->size());
      return true;
    }
  }
  if (!text.empty() && (text.back() == ',' || text.back() == '.')) {
    text.pop_back();
    return true;
  }
  return false;
}

// Rule E: every ellipsis is written in the target form. The text is scanned once on character
// boundaries from the left; at each boundary the forms are tried in the order the rule rewrites
// them, a form already in the target form is stepped over whole and another form is rewritten.
// No marker text is involved, so nothing the subtitle itself holds can turn into an ellipsis,
// and a double ellipsis under the double target is never seen as two single ones (the check is
// idempotent).
bool RuleEllipsis(std::string& text, EllipsisForm item, const PunctuationForms& forms,
                  std::string& out) {
  if (item == EllipsisForm::kUnchanged) {
    return false;
  }
  const std::string_view dbl = forms.double_ellipsis;
  const std::string_view single = forms.single_ellipsis;
  std::string_view target;
  std::array<std::string_view, 3> order;  // tried in this order at each boundary
  switch (item) {
    case EllipsisForm::kDouble:
      target = dbl;
      order = {dbl, single, kThreeDots};
      break;
    case EllipsisForm::kSingle:
      target = single;
      order = {dbl, kThreeDots, single};
      break;
    default:
      target = kThreeDots;
      order = {dbl, single, kThreeDots};
      break;
  }
  if (target.empty()) {
    return false;
  }
  // Only a boundary whose byte begins some form is compared; the characters between such
  // boundaries are copied as one run.
  std::array<bool, 256> starts_form{};
  for (const std::string_view form : order) {
    if (!form.empty()) {
      starts_form[static_cast<unsigned char>(form[0])] = true;
    }
  }
  // The text is rebuilt from the first form found on; a text without one stays as it is.
  bool found = false;
  bool changed = false;
  std::size_t pos = 0;
  std::size_t run = 0;  // start of the characters not yet copied
  while (pos < text.size()) {
    if (starts_form[static_cast<unsigned char>(text[pos])]) {
      bool matched = false;
      for (const std::string_view form : order) {
        if (form.empty() || text.compare(pos, form.size(), form) != 0) {
          continue;
        }
        if (!found) {
          out.clear();
          out.reserve(text.size() + 8);
          found = true;
        }
        out.append(text, run, pos - run);
        out += target;
        changed = changed || form != target;
        pos += form.size();
        run = pos;
        matched = true;
        break;
      }
      if (matched) {
        continue;
      }
    }
    pos = std::min(NextCharBoundary(text, pos), text.size());
  }
  if (found) {
    out.append(text, run, std::string::npos);
    text.swap(out);
  }
  return changed;
}

// The phrase pairs that rule F may apply, in table order: a pair with an empty side, equal
// sides or a replacement containing its search text is skipped (it could never end or would
// undo itself). Decided once per check.
std::vector<const PhrasePair*> UsablePhrases(const std::vector<PhrasePair>& phrases) {
  std::vector<const PhrasePair*> usable;
  for (const PhrasePair& pair : phrases) {
    if (!pair.search.empty() && !pair.replacement.empty() && pair.search != pair.replacement &&
        pair.replacement.find(pair.search) == std::string::npos) {
      usable.push_back(&pair);
    }
  }
  return usable;
}

// The usable pairs of one check and the automaton of their search texts.
struct PhraseRule {
  // The pairs of `options` (none when the phrase rule is off); they must outlive the rule.
  explicit PhraseRule(const CheckOptions& options) {
    if (options.apply_phrases) {
      pairs = UsablePhrases(options.phrases);
    }
    std::vector<std::string_view> searches;
    searches.reserve(pairs.size());
    for (const PhrasePair* pair : pairs) {
      searches.push_back(pair->search);
    }
    matcher = PhraseMatcher(searches);
  }
  std::vector<const PhrasePair*> pairs;
  PhraseMatcher matcher;
};

// Rule F: the usable phrase pairs in table order, each occurrence found on character boundaries
// and searched again from the start after every replacement. A pair whose search text does not
// occur in the text as it stands changes nothing, so one pass of the automaton finds the next
// pair in table order that does; after its replacements the text is searched again for the
// pairs after it.
bool RulePhrases(std::string& text, const PhraseRule& rule, bool& bound_hit) {
  bool changed = false;
  int next = 0;
  for (int found = rule.matcher.FirstOccurringFrom(text, next); found >= 0;
       found = rule.matcher.FirstOccurringFrom(text, next)) {
    const PhrasePair& pair = *rule.pairs[static_cast<std::size_t>(found)];
    const ReplaceCount count =
        ReplaceOnCharBoundaries(text, pair.search, pair.replacement, kMaxReplacementsPerText);
    changed = changed || count.replaced > 0;
    bound_hit = bound_hit || count.limit_hit;
    next = found + 1;
  }
  return changed;
}

// `scratch` is where a rule that rewrites the text builds the new one; the two swap, so that
// from row to row the rules reuse their buffers instead of allocating.
CheckedText CheckTextWith(std::string_view text, const CheckOptions& options,
                          const PhraseRule& phrases, std::string& scratch) {
  CheckedText result{std::string(text), false, false};
  std::string& work = result.text;
  const PunctuationForms& forms = options.forms;
  // Each rule runs on the result of the ones before it; `|=` keeps every rule running.
  if (options.quotes_to_full_width) {
    result.changed |= RuleQuotesToFullWidth(work, forms, scratch);
  }
  if (options.pair_quotes) {
    result.changed |= RulePairQuotes(work, forms, scratch);
  }
  if (options.inner_full_stops) {
    result.changed |= RuleInnerFullStops(work, forms, scratch);
  }
  if (options.drop_final_stop) {
    result.changed |= RuleDropFinalStop(work, forms);
  }
  result.changed |= RuleEllipsis(work, options.ellipsis, forms, scratch);
  if (options.apply_phrases && !phrases.pairs.empty()) {
    result.changed |= RulePhrases(work, phrases, result.replacement_bound_hit);
  }
  return result;
}

}  // namespace

PunctuationForms PunctuationForms::SimplifiedChinese() {
  PunctuationForms forms;
  forms.opening_quote = "\xA1\xB0";                // “
  forms.closing_quote = "\xA1\xB1";                // ”
  forms.full_stop = "\xA1\xA3";                    // 。
  forms.comma = "\xA3\xAC";                        // ，
  forms.kept_ending = "\xA1\xA3\xA1\xA3\xA1\xA3";  // 。。。
  forms.double_ellipsis = "\xA1\xAD\xA1\xAD";      // ……
  forms.single_ellipsis = "\xA1\xAD";              // …
  return forms;
}

PunctuationForms PunctuationForms::FromMessages(const ports::MessageSource& messages) {
  PunctuationForms forms;
  forms.opening_quote = messages.Message(569);
  forms.closing_quote = messages.Message(572);
  forms.full_stop = messages.Message(575);
  forms.comma = messages.Message(578);
  forms.kept_ending = messages.Message(581);
  forms.double_ellipsis = messages.Message(278);
  forms.single_ellipsis = messages.Message(281);
  return forms;
}

CheckedText CheckText(std::string_view text, const CheckOptions& options) {
  std::string scratch;
  return CheckTextWith(text, options, PhraseRule(options), scratch);
}

CheckReview RunCheck(const document::SubtitleDocument& document, const CheckOptions& options,
                     ports::EventPump& pump) {
  CheckReview review;
  const document::RowTable& table = document.main;
  const int last = table.DataRowCount();
  const PhraseRule phrases(options);
  std::string scratch;
  // Room for every row at once: growing the list step by step costs more than the check.
  review.rows.reserve(static_cast<std::size_t>(std::max(last, 0)));
  for (int row = 1; row <= last; ++row) {
    pump.LetPendingEventsRun();
    if (pump.StopRequested()) {
      review.stopped = true;
      break;
    }
    pump.ReportProgress(row - 1, last);
    ++review.rows_checked;
    // Read after the events ran and used before they run again: the host may change the table
    // while events run.
    const std::string& text = table.Cell(document::kText, row);
    if (text.empty()) {
      continue;
    }
    CheckedText checked = CheckTextWith(text, options, phrases, scratch);
    if (checked.replacement_bound_hit) {
      review.bounded_numbers.push_back(table.Cell(document::kNumber, row));
    }
    // A skipped glyph's mark is listed whether or not a rule changed the text, so that no glyph
    // is lost silently.
    const bool placeholder = !options.skip_placeholder.empty() &&
                             FindOnCharBoundary(checked.text, options.skip_placeholder) != 0;
    if (placeholder) {
      review.placeholder_numbers.push_back(table.Cell(document::kNumber, row));
    }
    if (checked.changed || placeholder) {
      review.rows.push_back({table.Cell(document::kNumber, row), text, std::move(checked.text)});
    }
  }
  if (!review.stopped) {
    pump.ReportProgress(last, last);
  }
  return review;
}

ConfirmOutcome ConfirmReview(const std::vector<ReviewRow>& review,
                             document::SubtitleDocument& document, bool mark_changes) {
  ConfirmOutcome outcome;
  const document::EditStep step(document, document::EditKind::kCheckConfirmation);
  document::RowTable& table = document.main;
  for (const ReviewRow& row : review) {
    if (row.number.empty()) {
      continue;
    }
    // At most nine digits cannot overflow an int; longer numbers name no row anyway.
    int target = 0;
    if (IsAllDigits(row.number) && row.number.size() <= 9) {
      target = std::stoi(row.number);
    }
    if (!table.IsDataRow(target)) {
      outcome.skipped_numbers.push_back(row.number);
      continue;
    }
    if (mark_changes && table.Cell(document::kText, target) != row.after) {
      std::string marks = table.Cell(document::kChangeMarks, target);
      if (AddChangeMark(marks, kTextMark)) {
        table.SetCell(document::kChangeMarks, target, std::move(marks));
      }
      document.document_saved = false;
    }
    table.SetCell(document::kText, target, row.after);
    ++outcome.written;
  }
  document.proofread_done = true;
  return outcome;
}

}  // namespace proof
