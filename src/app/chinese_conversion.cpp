// The Chinese script conversion flow of the window.
#include "app/chinese_conversion.h"

#include <utility>

#include "app/message_numbers.h"

namespace app {

ChineseConversion::ChineseConversion(std::filesystem::path data_folder)
    : converters_(std::move(data_folder)) {
  const text::Status present = chinese::CheckData(converters_.DataFolder());
  if (!present.ok()) {
    missing_file_ = present.error().message;
  }
}

std::string ChineseConversion::MissingDataText(const ports::MessageSource& messages) const {
  if (Available()) {
    return {};
  }
  // The file name is the file system's; it is ASCII in every usual installation.
  return messages.Message(msg::kChineseDataMissingPrefix) + missing_file_ +
         messages.Message(msg::kChineseDataMissingSuffix);
}

text::Result<chinese::ConversionPreview> ChineseConversion::Preview(
    const document::SubtitleDocument& document, const ChineseRequest& request,
    const ports::MessageSource& messages, ports::EventPump& pump) {
  text::Result<const chinese::ScriptConverter*> converter = converters_.Get(request.direction);
  if (!converter.ok()) {
    return text::Error{"opencc-data",
                       messages.Message(msg::kChineseOpenFailed) + converter.error().message, 0};
  }
  const document::RowTable& table = document.Table(request.role);
  const std::vector<int> rows = request.rows.empty() ? chinese::AllRows(table) : request.rows;
  return chinese::PreviewConversion(table, rows, *converter.value(), pump);
}

chinese::ApplyOutcome ApplyChineseConversion(document::SubtitleDocument& document,
                                             document::Role role,
                                             const std::vector<chinese::RowChange>& changes) {
  return chinese::ApplyConversion(document, role, changes);
}

std::string ChineseSummaryText(const chinese::ConversionPreview& preview,
                               const ports::MessageSource& messages) {
  if (preview.changes.empty()) {
    return messages.Message(msg::kChineseNothingToChange);
  }
  return messages.Message(msg::kChineseChangedPrefix) + std::to_string(preview.changes.size()) +
         messages.Message(msg::kChineseChangedSuffix);
}

std::vector<std::string> ChineseReportLines(const chinese::ConversionPreview& preview,
                                            const ports::MessageSource& messages) {
  std::vector<std::string> lines;
  for (const chinese::RowChange& row : preview.reported) {
    const std::string prefix = messages.Message(msg::kChineseRowPrefix) + row.number;
    for (const chinese::KeptCharacter& kept : row.kept) {
      lines.push_back(prefix + messages.Message(msg::kChineseKeptInfix) + kept.original +
                      messages.Message(msg::kChineseKeptConversion) +
                      chinese::CodePoints(kept.converted) +
                      messages.Message(msg::kChineseKeptSuffix));
    }
    if (row.malformed) {
      lines.push_back(prefix + messages.Message(msg::kChineseNotGbk));
    }
  }
  return lines;
}

std::string ChineseSkippedText(const chinese::ApplyOutcome& outcome,
                               const document::SubtitleDocument& document, document::Role role,
                               const ports::MessageSource& messages) {
  if (outcome.skipped_rows.empty()) {
    return {};
  }
  const document::RowTable& table = document.Table(role);
  std::string text = messages.Message(msg::kChineseRowsSkipped);
  for (size_t i = 0; i < outcome.skipped_rows.size(); ++i) {
    const int row = outcome.skipped_rows[i];
    text += i == 0 ? "" : ", ";
    text += table.IsDataRow(row) ? table.Cell(document::kNumber, row) : std::to_string(row);
  }
  return text;
}

}  // namespace app
