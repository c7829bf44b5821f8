// SubtitleDocument defaults and base-value commit.
#include "document/subtitle_document.h"

namespace document {

SubtitleDocument::SubtitleDocument() {
  SetDefaultHeadings(*this);
}

void SubtitleDocument::CommitBaseValues(int row) {
  main.SetCell(kBaseStart, row, main.Cell(kStart, row));
  main.SetCell(kBaseEnd, row, main.Cell(kEnd, row));
  main.SetCell(kBaseText, row, main.Cell(kText, row));
}

void SubtitleDocument::CommitBaseValues() {
  for (int row = 1; row < main.RowCount(); ++row)
    CommitBaseValues(row);
}

void SetDefaultHeadings(SubtitleDocument& document) {
  // GBK bytes of the layout's headings.
  static const char* const kMainHeadings[kMainColumnCount] = {
      "\xD0\xF2\xBA\xC5",                  // 序号
      "\xD7\xD6\xC4\xBB",                  // 字幕
      "\xC6\xF0\xCA\xBC\xCA\xB1\xBC\xE4",  // 起始时间
      "\xD6\xD5\xD6\xB9\xCA\xB1\xBC\xE4",  // 终止时间
      "\xCD\xBC\xC6\xAC",                  // 图片
      "TCF",
      "<->",
      "\xD7\xD6\xCC\xE5",                  // 字体
      "\xD7\xF3\xBE\xE0",                  // 左距
      "\xD3\xD2\xBE\xE0",                  // 右距
      "\xB8\xDF\xB6\xC8",                  // 高度
      "\xC6\xF0\xCA\xBC\xCA\xB1\xBC\xE4",  // 起始时间
      "\xD6\xD5\xD6\xB9\xCA\xB1\xBC\xE4",  // 终止时间
      "\xD7\xD6\xC4\xBB",                  // 字幕
  };
  for (int column = 0; column < kMainColumnCount; ++column) {
    document.main.SetHeading(column, kMainHeadings[column]);
  }
  document.reference.SetHeading(0, kMainHeadings[0]);
  document.reference.SetHeading(1, "\xB6\xD4\xD5\xD5\xD7\xD6\xC4\xBB");  // 对照字幕
  document.reference.SetHeading(2, kMainHeadings[2]);
  document.reference.SetHeading(3, kMainHeadings[3]);
}

std::string LowerCaseExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return extension;
}

}  // namespace document
