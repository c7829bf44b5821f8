// The check rules A to F, the check run over the main grid and the review confirmation.
#include "proof/check_rules.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "proof/char_search.h"

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
bool RuleQuotesToFullWidth(std::string& text, const PunctuationForms& forms) {
  if (forms.opening_quote.empty() || forms.closing_quote.empty() ||
      text.find(kHalfWidthQuote) == std::string::npos) {
    return false;
  }
  std::string out;
  out.reserve(text.size() + 8);
  int replaced = 0;
  for (const char c : text) {
    if (c == kHalfWidthQuote[0]) {
      out += (replaced % 2 == 0) ? forms.opening_quote : forms.closing_quote;
      ++replaced;
    } else {
      out.push_back(c);
    }
  }
  text = std::move(out);
  return true;
}

// Rule B: the full-width marks, taken in order of position, must alternate opening, closing;
// a mark of the wrong kind is turned into the expected one and an odd last mark is deleted.
bool RulePairQuotes(std::string& text, const PunctuationForms& forms) {
  const std::string& open = forms.opening_quote;
  const std::string& close = forms.closing_quote;
  if (open.empty() || close.empty()) {
    return false;
  }
  struct Mark {
    std::size_t offset;
    std::size_t length;
  };
  std::vector<Mark> marks;
  std::size_t from = 0;
  for (;;) {
    const std::size_t open_at = FindOnCharBoundary(text, open, from);
    const std::size_t close_at = FindOnCharBoundary(text, close, from);
    if (open_at == 0 && close_at == 0) {
      break;
    }
    const bool is_open = open_at != 0 && (close_at == 0 || open_at <= close_at);
    const Mark mark{(is_open ? open_at : close_at) - 1, is_open ? open.size() : close.size()};
    marks.push_back(mark);
    from = mark.offset + mark.length;
  }
  if (marks.empty()) {
    return false;
  }
  const bool odd = marks.size() % 2 == 1;
  std::string out;
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
  text = std::move(out);
  return changed;
}

// Rule C: every full stop but a final one becomes a comma. Finding any full stop marks the text,
// even a final one that stays. The search goes on after each written comma rather than from the
// start, which is the same for one-character marks and always ends.
bool RuleInnerFullStops(std::string& text, const PunctuationForms& forms) {
  const std::string& stop = forms.full_stop;
  if (stop.empty() || forms.comma.empty()) {
    return false;
  }
  std::size_t found = FindOnCharBoundary(text, stop);
  if (found == 0) {
    return false;
  }
  while (found != 0) {
    const std::size_t offset = found - 1;
    if (offset + stop.size() == text.size()) {
      break;
    }
    text.replace(offset, stop.size(), forms.comma);
    found = FindOnCharBoundary(text, stop, offset + forms.comma.size());
  }
  return true;
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
bool RuleEllipsis(std::string& text, EllipsisForm item, const PunctuationForms& forms) {
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
  bool any = false;
  for (const std::string_view form : order) {
    any = any || (!form.empty() && text.find(form) != std::string::npos);
  }
  if (!any) {
    return false;
  }
  std::string out;
  out.reserve(text.size() + 8);
  bool changed = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    bool matched = false;
    for (const std::string_view form : order) {
      if (form.empty() || text.compare(pos, form.size(), form) != 0) {
        continue;
      }
      out += target;
      changed = changed || form != target;
      pos += form.size();
      matched = true;
      break;
    }
    if (!matched) {
      const std::size_t next = std::min(NextCharBoundary(text, pos), text.size());
      out.append(text, pos, next - pos);
      pos = next;
    }
  }
  text = std::move(out);
  return changed;
}

// Which byte pairs (and single bytes) a text holds, so that the phrase pass can skip at once
// the many pairs whose search text cannot occur in it. Reused from text to text: only the bits
// that were set are cleared again.
class BytePairFilter {
 public:
  BytePairFilter() : pair_bits_(65536 / 64, 0) {}

  void Fill(std::string_view text) {
    for (const std::uint16_t key : set_keys_) {
      pair_bits_[key / 64] &= ~(std::uint64_t{1} << (key % 64));
    }
    set_keys_.clear();
    single_bits_.fill(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      const unsigned char byte = static_cast<unsigned char>(text[i]);
      single_bits_[byte / 64] |= std::uint64_t{1} << (byte % 64);
      if (i + 1 < text.size()) {
        const std::uint16_t key = Key(text[i], text[i + 1]);
        std::uint64_t& word = pair_bits_[key / 64];
        const std::uint64_t bit = std::uint64_t{1} << (key % 64);
        if ((word & bit) == 0) {
          word |= bit;
          set_keys_.push_back(key);
        }
      }
    }
  }

  // False when `needle` cannot occur in the filled text; true when it may.
  bool MayContain(std::string_view needle) const {
    if (needle.size() == 1) {
      const unsigned char byte = static_cast<unsigned char>(needle[0]);
      return (single_bits_[byte / 64] >> (byte % 64)) & 1;
    }
    for (std::size_t i = 0; i + 1 < needle.size(); ++i) {
      const std::uint16_t key = Key(needle[i], needle[i + 1]);
      if (((pair_bits_[key / 64] >> (key % 64)) & 1) == 0) {
        return false;
      }
    }
    return true;
  }

 private:
  static std::uint16_t Key(char first, char second) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(first) << 8 |
                                      static_cast<unsigned char>(second));
  }

  std::vector<std::uint64_t> pair_bits_;
  std::vector<std::uint16_t> set_keys_;
  std::array<std::uint64_t, 4> single_bits_{};
};

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

// Rule F: the usable phrase pairs in table order, each occurrence found on character boundaries
// and searched again from the start after every replacement.
bool RulePhrases(std::string& text, const std::vector<const PhrasePair*>& phrases,
                 BytePairFilter& filter, bool& bound_hit) {
  bool changed = false;
  filter.Fill(text);
  for (const PhrasePair* pair : phrases) {
    if (!filter.MayContain(pair->search)) {
      continue;
    }
    const ReplaceCount count =
        ReplaceOnCharBoundaries(text, pair->search, pair->replacement, kMaxReplacementsPerText);
    if (count.replaced > 0) {
      changed = true;
      filter.Fill(text);
    }
    bound_hit = bound_hit || count.limit_hit;
  }
  return changed;
}

CheckedText CheckTextWith(std::string_view text, const CheckOptions& options,
                          const std::vector<const PhrasePair*>& phrases, BytePairFilter& filter) {
  CheckedText result{std::string(text), false, false};
  std::string& work = result.text;
  const PunctuationForms& forms = options.forms;
  // Each rule runs on the result of the ones before it; `|=` keeps every rule running.
  if (options.quotes_to_full_width) {
    result.changed |= RuleQuotesToFullWidth(work, forms);
  }
  if (options.pair_quotes) {
    result.changed |= RulePairQuotes(work, forms);
  }
  if (options.inner_full_stops) {
    result.changed |= RuleInnerFullStops(work, forms);
  }
  if (options.drop_final_stop) {
    result.changed |= RuleDropFinalStop(work, forms);
  }
  result.changed |= RuleEllipsis(work, options.ellipsis, forms);
  if (options.apply_phrases && !phrases.empty()) {
    result.changed |= RulePhrases(work, phrases, filter, result.replacement_bound_hit);
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
  BytePairFilter filter;
  return CheckTextWith(text, options, UsablePhrases(options.phrases), filter);
}

CheckReview RunCheck(const document::SubtitleDocument& document, const CheckOptions& options,
                     ports::EventPump& pump) {
  CheckReview review;
  const document::RowTable& table = document.main;
  const int last = table.DataRowCount();
  BytePairFilter filter;
  const std::vector<const PhrasePair*> phrases = UsablePhrases(options.phrases);
  for (int row = 1; row <= last; ++row) {
    pump.LetPendingEventsRun();
    if (pump.StopRequested()) {
      review.stopped = true;
      break;
    }
    pump.ReportProgress(row - 1, last);
    ++review.rows_checked;
    // Copies, not references: the host may change the table while events run.
    const std::string text = table.Cell(document::kText, row);
    if (text.empty()) {
      continue;
    }
    CheckedText checked = CheckTextWith(text, options, phrases, filter);
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
