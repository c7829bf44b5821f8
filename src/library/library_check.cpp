// Consistency check of the glyph library.
#include "library/library_check.h"

namespace library {

CheckReport CheckLibrary(const GlyphLibrary& library, const ports::MessageSource& messages,
                         ports::EventPump& pump) {
  CheckReport report;
  const std::string cr = "\r";
  std::string& out = report.text;
  out = messages.Message(kMessageCheckHeading) + cr + cr;
  const auto& contents = library.Contents();
  const int count = static_cast<int>(contents.texts.size());
  if (contents.texts.size() != contents.features.size()) {
    report.lists_differ = true;
    out += messages.Message(kMessageCheckListsDiffer) + cr;
  }
  // The journal lists are always paired in memory; lines left out at load show the files
  // differed.
  if (library.JournalTexts().size() != library.JournalFeatures().size() ||
      library.SkippedJournalLines() > 0) {
    report.journal_differs = true;
    out += messages.Message(kMessageCheckJournalDiffers) + cr;
  }

  // Entries of word.ind that named no record were left out at load; they count as found here.
  bool bad_entry = library.BadIndexEntries() > 0;
  std::vector<char> seen(count, 0);
  const auto& index = library.Index();
  constexpr int kStep = 64;
  for (int k = 0; k < static_cast<int>(index.size()) && !bad_entry; ++k) {
    if (k % kStep == 0) {
      pump.ReportProgress(k, kMaxFeatureKey);
      pump.LetPendingEventsRun();
    }
    for (const int position : index[k]) {
      if (position < 0 || position >= count) {
        bad_entry = true;
        break;
      }
      seen[position] = 1;
    }
  }
  pump.ReportProgress(kMaxFeatureKey, kMaxFeatureKey);
  if (bad_entry) {
    report.bad_index_entry = true;
    out += messages.Message(kMessageCheckBadEntry) + cr + cr;
  } else {
    for (int position = 0; position < count; ++position) {
      if (seen[position] != 0) {
        continue;
      }
      ++report.unlisted_total;
      if (static_cast<int>(report.unlisted.size()) < kCheckUnlistedShown) {
        report.unlisted.push_back(position + 1);
        out += messages.Message(kMessageCheckUnlistedBefore) + std::to_string(position + 1) +
               messages.Message(kMessageCheckUnlistedAfter) + cr + cr;
        if (static_cast<int>(report.unlisted.size()) == kCheckUnlistedShown) {
          out += cr + messages.Message(kMessageCheckMoreUnlisted);
        }
      }
    }
  }
  for (const auto& line : contents.features) {
    if (!FeatureKeyOf(line)) {
      ++report.damaged_feature_lines;
    }
  }
  report.problem = report.lists_differ || report.journal_differs || report.bad_index_entry ||
                   report.unlisted_total > 0;
  if (!report.problem) {
    out += messages.Message(kMessageCheckAllWell);
  }
  return report;
}

}  // namespace library
