// Script conversion of GBK texts, table rows and whole subtitle files.
#include "chinese/script_conversion.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "document/subtitle_reader.h"
#include "text/gbk.h"

namespace chinese {
namespace {

constexpr auto kPumpInterval = std::chrono::milliseconds(40);

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray continuation byte, which
// valid input never holds).
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) {
    return 4;
  }
  if (lead >= 0xE0) {
    return 3;
  }
  if (lead >= 0xC0) {
    return 2;
  }
  return 1;
}

std::vector<std::string_view> SplitCodePoints(std::string_view utf8) {
  std::vector<std::string_view> points;
  for (size_t i = 0; i < utf8.size();) {
    const size_t length =
        std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    points.push_back(utf8.substr(i, length));
    i += length;
  }
  return points;
}

// Byte length of the GBK character at `index`: a byte of 0x80 or above begins two bytes.
size_t GbkLength(std::string_view gbk, size_t index) {
  return static_cast<unsigned char>(gbk[index]) >= 0x80 ? std::min<size_t>(2, gbk.size() - index)
                                                        : 1;
}

// Converts one stretch between override blocks and appends it to `result`.
//
// GBK to UTF-8 maps character to character, so the n code points of a piece's source are the
// next n GBK characters of the stretch: that cursor gives back the exact original bytes of a
// piece whose conversion GBK cannot hold.
void ConvertStretch(const ScriptConverter& converter, std::string_view gbk, ConvertedText& result) {
  if (!text::HasNonAscii(gbk)) {
    result.text.append(gbk);
    return;
  }
  const text::Converted utf8 = text::GbkToUtf8(gbk);
  if (utf8.replaced > 0) {
    result.text.append(gbk);
    result.malformed = true;
    return;
  }
  const std::vector<Piece> pieces = converter.ConvertPieces(utf8.text);
  std::string joined;
  joined.reserve(utf8.text.size());
  for (const Piece& piece : pieces) {
    joined += piece.converted;
  }
  if (joined == utf8.text) {
    result.text.append(gbk);  // nothing to convert: the bytes stay exactly as they were
    return;
  }
  text::Converted back = text::Utf8ToGbk(joined);
  if (back.replaced == 0) {
    result.text += back.text;
    return;
  }
  // Some converted character has no GBK form: go piece by piece, character by character.
  size_t cursor = 0;
  for (const Piece& piece : pieces) {
    const std::vector<std::string_view> source = SplitCodePoints(piece.source);
    std::vector<std::string_view> originals;
    for (size_t k = 0; k < source.size() && cursor < gbk.size(); ++k) {
      const size_t length = GbkLength(gbk, cursor);
      originals.push_back(gbk.substr(cursor, length));
      cursor += length;
    }
    if (piece.converted == piece.source) {
      for (const std::string_view original : originals) {
        result.text.append(original);
      }
      continue;
    }
    const text::Converted whole = text::Utf8ToGbk(piece.converted);
    if (whole.replaced == 0) {
      result.text += whole.text;
      continue;
    }
    const std::vector<std::string_view> converted = SplitCodePoints(piece.converted);
    if (converted.size() == originals.size()) {
      for (size_t k = 0; k < converted.size(); ++k) {
        const text::Converted one = text::Utf8ToGbk(converted[k]);
        if (one.replaced == 0) {
          result.text += one.text;
        } else {
          result.text.append(originals[k]);
          result.kept.push_back({std::string(originals[k]), std::string(converted[k])});
        }
      }
      continue;
    }
    // A phrase that changed length has no character-for-character match: it stays whole.
    std::string original;
    for (const std::string_view part : originals) {
      original.append(part);
    }
    result.text += original;
    result.kept.push_back({original, piece.converted});
  }
}

// The lines of a file with their ends: `text` without, `end` the CR LF, LF or CR (or nothing).
struct FileLine {
  std::string_view text;
  std::string_view end;
};

std::vector<FileLine> SplitKeepingEnds(std::string_view bytes) {
  std::vector<FileLine> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t stop = bytes.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.push_back({bytes.substr(start), {}});
      break;
    }
    const size_t end_length =
        bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n' ? 2 : 1;
    lines.push_back({bytes.substr(start, stop - start), bytes.substr(stop, end_length)});
    start = stop + end_length;
  }
  return lines;
}

bool StartsSrtEntry(const std::vector<FileLine>& lines, size_t index) {
  return index + 1 < lines.size() && document::IsAllDigits(lines[index].text) &&
         lines[index + 1].text.find(" --> ") != std::string_view::npos &&
         lines[index + 1].text.find(',') != std::string_view::npos;
}

// Offset of the SSA text field: just after the ninth comma; npos when the line has fewer.
size_t SsaTextOffset(std::string_view line) {
  size_t offset = 0;
  for (int comma = 0; comma < 9; ++comma) {
    const size_t found = line.find(',', offset);
    if (found == std::string_view::npos) {
      return std::string_view::npos;
    }
    offset = found + 1;
  }
  return offset;
}

}  // namespace

std::string CodePoints(std::string_view utf8) {
  std::string result;
  for (const std::string_view point : SplitCodePoints(utf8)) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(point.data());
    unsigned int value = point.size() == 1 ? bytes[0] : bytes[0] & (0x7F >> point.size());
    for (size_t i = 1; i < point.size(); ++i) {
      value = (value << 6) | (bytes[i] & 0x3F);
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", value);
    if (!result.empty()) {
      result += ' ';
    }
    result += buffer;
  }
  return result;
}

ConvertedText ConvertGbkText(const ScriptConverter& converter, std::string_view gbk) {
  ConvertedText result;
  if (!text::HasNonAscii(gbk)) {
    result.text.assign(gbk);
    return result;
  }
  result.text.reserve(gbk.size());
  // Scan on character boundaries: "{", "\" and "}" can also be the second byte of a GBK
  // character, and such a byte never opens or closes a block.
  size_t plain_start = 0;
  size_t i = 0;
  while (i < gbk.size()) {
    if (static_cast<unsigned char>(gbk[i]) >= 0x80) {
      i += GbkLength(gbk, i);
      continue;
    }
    if (gbk[i] == '{' && i + 1 < gbk.size() && gbk[i + 1] == '\\') {
      size_t j = i + 2;
      while (j < gbk.size() && gbk[j] != '}') {
        j += GbkLength(gbk, j);
      }
      if (j >= gbk.size()) {
        break;  // an unterminated block is text
      }
      ConvertStretch(converter, gbk.substr(plain_start, i - plain_start), result);
      result.text.append(gbk.substr(i, j + 1 - i));
      i = j + 1;
      plain_start = i;
      continue;
    }
    ++i;
  }
  ConvertStretch(converter, gbk.substr(plain_start), result);
  return result;
}

std::vector<int> AllRows(const document::RowTable& table) {
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(table.DataRowCount()));
  for (int row = 1; row < table.RowCount(); ++row) {
    rows.push_back(row);
  }
  return rows;
}

ConversionPreview PreviewConversion(const document::RowTable& table, const std::vector<int>& rows,
                                    const ScriptConverter& converter, ports::EventPump& pump) {
  ConversionPreview preview;
  auto last_pump = std::chrono::steady_clock::now();
  const int total = static_cast<int>(rows.size());
  for (int index = 0; index < total; ++index) {
    if (pump.StopRequested()) {
      preview.stopped = true;
      break;
    }
    const int row = rows[static_cast<size_t>(index)];
    if (table.IsDataRow(row)) {
      ++preview.rows_looked_at;
      const std::string& before = table.Cell(document::kText, row);
      if (!before.empty()) {
        ConvertedText converted = ConvertGbkText(converter, before);
        if (converted.text != before || !converted.kept.empty() || converted.malformed) {
          RowChange change{row,
                           table.Cell(document::kNumber, row),
                           before,
                           std::move(converted.text),
                           std::move(converted.kept),
                           converted.malformed};
          if (!change.kept.empty() || change.malformed) {
            preview.reported.push_back(change);
          }
          if (change.after != change.before) {
            preview.changes.push_back(std::move(change));
          }
        }
      }
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_pump >= kPumpInterval) {
      last_pump = now;
      pump.ReportProgress(index + 1, total);
      pump.LetPendingEventsRun();
    }
  }
  return preview;
}

ApplyOutcome ApplyConversion(document::SubtitleDocument& document, document::Role role,
                             const std::vector<RowChange>& changes) {
  ApplyOutcome outcome;
  document::RowTable& table = document.Table(role);
  // On the main subtitle the whole conversion is one undo step.
  std::optional<document::EditStep> step;
  if (role == document::Role::kMain) {
    step.emplace(document, document::EditKind::kScriptConversion);
  }
  for (const RowChange& change : changes) {
    if (!table.IsDataRow(change.row) || table.Cell(document::kText, change.row) != change.before) {
      outcome.skipped_rows.push_back(change.row);
      continue;
    }
    if (change.after == change.before) {
      continue;
    }
    table.SetCell(document::kText, change.row, change.after);
    if (role == document::Role::kMain) {
      // The same mark as typing into the text cell leaves.
      std::string marks = table.Cell(document::kChangeMarks, change.row);
      if (marks.find('C') == std::string::npos) {
        table.SetCell(document::kChangeMarks, change.row, marks + 'C');
      }
    }
    ++outcome.written;
  }
  if (outcome.written > 0) {
    if (role == document::Role::kMain) {
      document.document_saved = false;
    } else {
      document.reference_saved = false;
    }
  }
  return outcome;
}

FileConversion ConvertSubtitleFile(std::string_view gbk, FileLayout layout,
                                   const ScriptConverter& converter) {
  FileConversion result;
  result.gbk.reserve(gbk.size() + gbk.size() / 8);
  const std::vector<FileLine> lines = SplitKeepingEnds(gbk);
  int entry = 0;
  size_t text_from = lines.size();  // SRT: index of the first text line of the current entry
  for (size_t index = 0; index < lines.size(); ++index) {
    const FileLine& line = lines[index];
    size_t offset = std::string_view::npos;  // where the text to convert starts in this line
    if (layout == FileLayout::kSrt) {
      if (StartsSrtEntry(lines, index)) {
        ++entry;
        text_from = index + 2;
      } else if (index >= text_from) {
        offset = 0;
      }
    } else if (line.text.substr(0, 9) == "Dialogue:") {
      ++entry;
      offset = SsaTextOffset(line.text);
    }
    if (offset == std::string_view::npos) {
      result.gbk.append(line.text);
      result.gbk.append(line.end);
      continue;
    }
    const std::string_view original = line.text.substr(offset);
    ConvertedText converted = ConvertGbkText(converter, original);
    if (converted.text != original) {
      ++result.texts_changed;
    }
    if (!converted.kept.empty() || converted.malformed) {
      result.reports.push_back(
          {static_cast<int>(index) + 1, entry, std::move(converted.kept), converted.malformed});
    }
    result.gbk.append(line.text.substr(0, offset));
    result.gbk += converted.text;
    result.gbk.append(line.end);
  }
  return result;
}

}  // namespace chinese
