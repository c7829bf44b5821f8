// Exporting a range of records.
#include "library/library_export.h"

#include <algorithm>

#include "library/library_editor.h"
#include "library/library_text.h"

namespace library {

ExportRange DefaultExportRange(int record_count) {
  // A library of fewer than 5000 records exports from its first record: a negative start would
  // only be refused as not a number when the user presses the button.
  return {std::to_string(std::max(1, record_count - 4999)), std::to_string(record_count)};
}

text::Status FinishExchangePair(FileLayer& files, const std::filesystem::path& base,
                                bool* finished) {
  auto wrd = base;
  wrd += ".wrd";
  auto sts = base;
  sts += ".sts";
  const auto folder = base.parent_path().empty() ? std::filesystem::path(".") : base.parent_path();
  return FinishInterruptedWrite(files, folder, {wrd.filename().string(), sts.filename().string()},
                                finished);
}

text::Result<ExportResult> ExportRecords(const GlyphLibrary& library, const std::string& from_text,
                                         const std::string& to_text, const std::string& path_text,
                                         ports::EventPump& pump, ports::MessagePort& port,
                                         const ports::MessageSource& messages) {
  if (path_text.empty()) {
    return Refusal(kMessageExportNoPath, messages);
  }
  const auto from = ParseDigits(from_text);
  const auto to = ParseDigits(to_text);
  if (!from || !to) {
    return Refusal(kMessageExportNotDigits, messages);
  }
  const auto base = ExchangeBase(path_text);
  if (NamesOwnLibrary(base, library.Folder())) {
    return Refusal(kMessageExportOwnFiles, messages);
  }
  auto wrd = base;
  wrd += ".wrd";
  auto sts = base;
  sts += ".sts";
  ExportResult result;
  RealFileLayer files;
  if (auto finished = FinishExchangePair(files, base); !finished.ok()) {
    return finished.error();
  }
  if (files.Exists(sts)) {
    const ports::Question question{messages.Message(kMessageExportOverwrite),
                                   messages.Message(kMessageCaptionUnsaved),
                                   ports::Buttons::kYesNo};
    if (port.Ask(question) != ports::Answer::kYes) {
      result.declined = true;
      return result;
    }
  }
  const int count = library.RecordCount();
  // Record 0 does not exist: a range typed from 0 starts at the first record.
  const int first = std::max(1, *from);
  const int last = std::min(*to, count);
  text::Lines texts;
  text::Lines features;
  const int total = std::max(0, last - first + 1);
  texts.reserve(total);
  features.reserve(total);
  const int step = std::max(1, (total + 255) / 256);
  for (int n = first; n <= last; ++n) {
    const int done = n - first;
    if (done % step == 0) {
      pump.ReportProgress(done, total);
      pump.LetPendingEventsRun();
    }
    texts.push_back(library.Text(n - 1));
    features.push_back(library.FeatureLine(n - 1));
  }
  pump.ReportProgress(total, total);
  // The commit record lies in the exchange folder, so a crash there is completed by the next
  // export into the same folder; the own library's folder is not involved.
  auto written = WriteFilesTogether(files, base.parent_path().empty() ? "." : base.parent_path(),
                                    {{wrd, texts}, {sts, features}});
  if (!written.ok()) {
    return written.error();
  }
  result.records = static_cast<int>(texts.size());
  return result;
}

}  // namespace library
