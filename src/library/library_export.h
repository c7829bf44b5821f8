// Export of a range of the own glyph library's records to an exchange pair base.wrd/base.sts.
#pragma once

#include <string>

#include "library/glyph_library.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace library {

// Message numbers of the export's texts.
inline constexpr int kMessageExportNoPath = 590;
inline constexpr int kMessageExportNotDigits = 593;
inline constexpr int kMessageExportOwnFiles = 596;
inline constexpr int kMessageExportOverwrite = 599;
inline constexpr int kMessageExportDone = 602;

// The range boxes' texts when the export opens: the latest 5000 records, N - 4999 (at least 1)
// to N.
struct ExportRange {
  std::string from;
  std::string to;
};
ExportRange DefaultExportRange(int record_count);

struct ExportResult {
  bool declined = false;  // the user answered No to question 599; nothing was written
  int records = 0;        // records written
};

// Writes records from..to (1-based, texts of digits; numbers below 1 or above N are passed
// over, from > to writes two empty files) to base.wrd and base.sts, base being `path_text`
// without a final ".sts". Refusals: 590 (no path), 593 (a bound empty or not digits), 596 (the
// own word or newword files). When base.sts exists, asks question 599 (Yes/No, caption 413).
// Both files are written as one commit (so a crash never leaves a pair of different lengths),
// after an earlier interrupted write of the pair was finished (FinishExchangePair).
// ReportProgress gets (done, total) a few hundred times at most. On success the host shows 602.
// Completes or clears an interrupted write of the exchange pair `base`.wrd/`base`.sts in its
// folder before the pair is read or written: a commit record there means an export (or merge)
// had written the new pair and died between its renames, so its renames are finished; staged
// copies without a record and hidden temporary files of the pair are removed. Sets `*finished`
// when a committed write was completed. Error "io" when that fails: the pair must then not be
// read, as its two files may belong to different writes.
text::Status FinishExchangePair(FileLayer& files, const std::filesystem::path& base,
                                bool* finished = nullptr);

text::Result<ExportResult> ExportRecords(const GlyphLibrary& library, const std::string& from,
                                         const std::string& to, const std::string& path_text,
                                         ports::EventPump& pump, ports::MessagePort& port,
                                         const ports::MessageSource& messages);

}  // namespace library
