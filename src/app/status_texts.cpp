// Status and question texts from the message table, and the save encodings' names.
#include "app/status_texts.h"

#include "app/message_numbers.h"

namespace app {

std::string FillIn(std::string_view pattern, std::initializer_list<std::string> values) {
  std::string out;
  out.reserve(pattern.size() + 16);
  const std::string* given = values.begin();
  const size_t count = values.size();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      const size_t index = static_cast<size_t>(pattern[i + 1] - '1');
      if (index < count) {
        out += given[index];
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

document::OutputEncoding SaveEncodingAt(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kSaveEncodings))) {
    return document::OutputEncoding::kGbk;
  }
  return kSaveEncodings[index];
}

std::vector<std::string> SaveEncodingNames(const ports::MessageSource& texts) {
  std::vector<std::string> names;
  const std::string items = texts.Message(msg::kSaveEncodingItems);
  size_t start = 0;
  while (!items.empty() && names.size() < std::size(kSaveEncodings)) {
    const size_t bar = items.find('|', start);
    names.push_back(items.substr(start, bar == std::string::npos ? bar : bar - start));
    if (bar == std::string::npos) {
      break;
    }
    start = bar + 1;
  }
  const char* const plain[] = {"GBK", "UTF-8", "UTF-8 BOM"};
  while (names.size() < std::size(kSaveEncodings)) {
    names.push_back(plain[names.size()]);
  }
  return names;
}

std::string NumberList(const std::vector<int>& numbers, std::size_t listed) {
  std::string list;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i == listed) {
      list += ", ...";
      break;
    }
    list += (i == 0 ? "" : ", ") + std::to_string(numbers[i]);
  }
  return list;
}

std::string SaveProblemsQuestion(const document::SaveProblems& problems,
                                 const ports::MessageSource& texts, int max_rows) {
  std::string question;
  const std::pair<int, const std::vector<int>*> kinds[] = {
      {msg::kSaveUnreadableTimes, &problems.unreadable_times},
      {msg::kSaveEndBeforeStart, &problems.end_before_start},
      {msg::kSaveUnencodable, &problems.unencodable}};
  for (const auto& [message, rows] : kinds) {
    if (!rows->empty()) {
      question +=
          texts.Message(message) +
          NumberList(*rows, max_rows < 0 ? rows->size() : static_cast<std::size_t>(max_rows)) +
          "\n";
    }
  }
  return question + "\n" + texts.Message(msg::kSaveAnywayQuestion);
}

std::string RunProgressStatus(const ports::MessageSource& texts, int row, int rows, int taught) {
  return FillIn(texts.Message(msg::kRunProgressStatus),
                {std::to_string(row), std::to_string(rows), std::to_string(taught)});
}

std::string RunEndStatus(const ports::MessageSource& texts, const ocr::RunOutcome& outcome) {
  const std::string rows = std::to_string(outcome.rows_recognised);
  const std::string taught = std::to_string(outcome.glyphs.taught);
  const std::string skipped = std::to_string(outcome.glyphs.skipped);
  if (outcome.end == ocr::RunEnd::kCompleted) {
    return FillIn(texts.Message(msg::kRunDoneStatus), {rows, taught, skipped});
  }
  return FillIn(texts.Message(msg::kRunStoppedStatus),
                {std::to_string(outcome.next_start_row), rows, taught, skipped});
}

std::string RowAnalysisStatus(const ports::MessageSource& texts, int row) {
  return FillIn(texts.Message(msg::kRowAnalysisStatus), {std::to_string(row)});
}

std::string RowAnalysedStatus(const ports::MessageSource& texts, int row, int glyphs) {
  return FillIn(texts.Message(msg::kRowAnalysedStatus),
                {std::to_string(row), std::to_string(glyphs)});
}

std::string SavedStatus(const ports::MessageSource& texts, const std::string& file_name,
                        document::OutputEncoding encoding) {
  const std::vector<std::string> names = SaveEncodingNames(texts);
  size_t index = 0;
  while (index + 1 < std::size(kSaveEncodings) && kSaveEncodings[index] != encoding) {
    ++index;
  }
  return FillIn(texts.Message(msg::kSavedStatus), {file_name, names[index]});
}

std::string CheckedStatus(const ports::MessageSource& texts, int rows_changed) {
  return FillIn(texts.Message(msg::kCheckedStatus), {std::to_string(rows_changed)});
}

std::string ReplacedStatus(const ports::MessageSource& texts, int replacements) {
  return FillIn(texts.Message(msg::kReplacedStatus), {std::to_string(replacements)});
}

}  // namespace app
