// Helpers for the proof tests: GBK from readable UTF-8 literals, small documents, and a message
// source that names each message by its number.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/subtitle_document.h"
#include "ports/host_ports.h"
#include "text/gbk.h"

namespace proof_test {

// The GBK bytes of a UTF-8 literal, so that tests read as the texts they hold.
inline std::string G(std::string_view utf8) {
  return text::Utf8ToGbk(utf8).text;
}

// One main row: text, start, end; base values equal the given ones.
struct RowSpec {
  std::string text;
  std::string start;
  std::string end;
};

inline document::SubtitleDocument MakeDocument(const std::vector<RowSpec>& rows) {
  document::SubtitleDocument document;
  std::vector<std::vector<std::string>> cells;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::vector<std::string> row(document::kMainColumnCount);
    row[document::kNumber] = std::to_string(i + 1);
    row[document::kText] = rows[i].text;
    row[document::kStart] = rows[i].start;
    row[document::kEnd] = rows[i].end;
    row[document::kBaseStart] = rows[i].start;
    row[document::kBaseEnd] = rows[i].end;
    row[document::kBaseText] = rows[i].text;
    cells.push_back(std::move(row));
  }
  document.main.ReplaceRows(std::move(cells));
  return document;
}

inline document::SubtitleDocument MakeTextDocument(const std::vector<std::string>& texts) {
  std::vector<RowSpec> rows;
  for (const std::string& text : texts) {
    rows.push_back({text, "", ""});
  }
  return MakeDocument(rows);
}

// Message N is "<N>".
class NumberedMessages : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    return "<" + std::to_string(number) + ">";
  }
};

inline std::vector<std::string> Column(const document::RowTable& table, int column) {
  std::vector<std::string> cells;
  for (int row = 1; row <= table.DataRowCount(); ++row) {
    cells.push_back(table.Cell(column, row));
  }
  return cells;
}

}  // namespace proof_test
