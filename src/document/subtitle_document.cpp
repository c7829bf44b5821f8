// SubtitleDocument defaults, base-value commit, undo and redo.
#include "document/subtitle_document.h"

#include <algorithm>

namespace document {
namespace {

void ApplyState(const EditHistory::Applied& applied, SubtitleDocument& document) {
  if (!applied.restore_state) {
    return;
  }
  document.document_saved = applied.state.document_saved;
  document.proofread_done = applied.state.proofread_done;
  document.current_row = std::clamp(applied.state.current_row, 1, document.main.DataRowCount());
}

}  // namespace

SubtitleDocument::SubtitleDocument() : SubtitleDocument(UndoHistory::kRecorded) {}

SubtitleDocument::SubtitleDocument(UndoHistory history) {
  SetDefaultHeadings(*this);
  if (history == UndoHistory::kRecorded) {
    main.EnableHistory();
  }
}

void SubtitleDocument::CommitBaseValues(int row) {
  main.History().Pause();
  main.SetCell(kBaseStart, row, main.Cell(kStart, row));
  main.SetCell(kBaseEnd, row, main.Cell(kEnd, row));
  main.SetCell(kBaseText, row, main.Cell(kText, row));
  main.History().Resume();
}

void SubtitleDocument::CommitBaseValues() {
  for (int row = 1; row < main.RowCount(); ++row)
    CommitBaseValues(row);
}

bool SubtitleDocument::Undo() {
  const EditHistory::Applied applied = main.History().Undo(main);
  ApplyState(applied, *this);
  return applied.done;
}

bool SubtitleDocument::Redo() {
  const EditHistory::Applied applied = main.History().Redo(main);
  ApplyState(applied, *this);
  return applied.done;
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
      "",                                  // kept file fields, never shown
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
