// The library check: list lengths, index entries naming no record, records no index line lists.
#pragma once

#include <string>
#include <vector>

#include "library/glyph_library.h"
#include "ports/host_ports.h"

namespace library {

// Message numbers of the check's texts.
inline constexpr int kMessageChecking = 644;
inline constexpr int kMessageCheckHeading = 647;
inline constexpr int kMessageCheckListsDiffer = 650;
inline constexpr int kMessageCheckJournalDiffers = 653;
inline constexpr int kMessageCheckBadEntry = 656;
inline constexpr int kMessageCheckUnlistedBefore = 659;
inline constexpr int kMessageCheckUnlistedAfter = 662;
inline constexpr int kMessageCheckMoreUnlisted = 665;
inline constexpr int kMessageCheckAllWell = 668;

// At most this many unlisted records are named in the report.
inline constexpr int kCheckUnlistedShown = 10;

struct CheckReport {
  bool problem = false;
  bool lists_differ = false;      // texts and FeatureLines differ in number
  bool journal_differs = false;   // the journal files differ in length (lines were left out)
  bool bad_index_entry = false;   // an index entry names no record (the walk stopped there)
  std::vector<int> unlisted;      // 1-based numbers of unlisted records, the first 10 at most
  int unlisted_total = 0;         // all unlisted records
  int damaged_feature_lines = 0;  // records without a valid FeatureKey (never indexed)
  std::string text;               // the report in the current language, lines ending in CR
};

// Checks the library in memory without changing anything. The report text starts with 647 and
// two CRs and adds 650, 653, 656 (which ends the index walk), up to ten 659 n 662 parts (then
// CR and 665), or 668 when nothing was found. Records of a damaged FeatureLine are never in
// the index, so they are reported as unlisted. Pumps and reports progress (line, 13000) a few
// hundred times at most; it cannot be stopped.
CheckReport CheckLibrary(const GlyphLibrary& library, const ports::MessageSource& messages,
                         ports::EventPump& pump);

}  // namespace library
