// Merge of another user's glyph library (base.wrd/base.sts) into the own one, with stop and
// resume: a run that added records removes every record it processed from the other files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "library/glyph_library.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace library {

// Message numbers of the merge's texts.
inline constexpr int kMessageMergeStatusBefore = 455;  // 455 N, then one of the pairs below
inline constexpr int kMessageMergeOpened = 503;        // 455 N 503 when the panel opens
inline constexpr int kMessageMergeOtherCount = 521;    // 455 N 521 other-count 524
inline constexpr int kMessageMergeStillToDo = 530;     // 455 N 530 still-to-do 524
inline constexpr int kMessageMergeStatusAfter = 524;
inline constexpr int kMessageMergeStop = 506;  // the start button while merging
inline constexpr int kMessageMergeStart = 203;
inline constexpr int kMessageMergeWriting = 551;    // wait text while the files are written
inline constexpr int kMessageExchangeFilter = 497;  // file filter of .sts files
inline constexpr int kMessageMergeNoPath = 509;
inline constexpr int kMessageMergeOwnFiles = 512;
inline constexpr int kMessageMergeMissing = 515;
inline constexpr int kMessageMergeEmpty = 518;
inline constexpr int kMessageMergeQuestion = 527;
inline constexpr int kMessageMergeStoppedNothing = 533;
inline constexpr int kMessageMergeStoppedBefore = 536;
inline constexpr int kMessageMergeStoppedAfter = 539;
inline constexpr int kMessageMergeDoneNothing = 542;
inline constexpr int kMessageMergeDoneBefore = 545;
inline constexpr int kMessageMergeDoneAfter = 548;

// The other library as read: its base path (without ".wrd"/".sts") and its two lists.
struct MergeSource {
  std::filesystem::path base;
  std::vector<std::string> texts;
  std::vector<std::string> features;
};

// Reads the other library named by `path_text` (the .sts file, or its base). Refusals: 509 (no
// path), 512 (the own word or newword files, in any letter case), 515 (base.wrd or base.sts
// missing), 518 (no record). An interrupted export of the pair is finished first
// (FinishExchangePair); Error "io" when it cannot be. Error "mismatch" when its two files
// differ in length (merging would pair texts with the wrong shapes), "io" when a file cannot be
// read.
text::Result<MergeSource> OpenMergeSource(const GlyphLibrary& library, const std::string& path_text,
                                          const ports::MessageSource& messages);

struct MergeResult {
  bool declined = false;  // the user answered No to question 527; nothing was done
  bool stopped = false;   // the pump asked to stop before every record was processed
  int total = 0;          // records of the other library at the start
  int processed = 0;      // other records handled in this run
  int added = 0;          // records appended to the own library
  int damaged = 0;        // other records without a valid FeatureKey: kept in the other files
  int remaining = 0;      // other records left in its files after the run
  std::string report;     // 536 added 539 / 533 when stopped, 545 added 548 / 542 when complete
};

// Merges `source` into `library` after asking question 527 (Yes/No, caption 413) through
// `port`. For each other record in order: a record whose FeatureLine equals, as text, that of
// an own record of the same key is dropped (the own text wins); any other is appended and
// indexed. The pump runs a few hundred times per run at most, and ReportProgress gets
// (processed, total); StopRequested ends the run before the next record. When something was
// added, the own files (with an emptied journal) and then the other files, shrunk to the
// records not processed, are written as one commit, and stale pictures of the new numbers are
// deleted; when nothing was added no file is written. Error "io" leaves both libraries as they
// were. `wait` shows message 551 while the files are written.
text::Result<MergeResult> RunMerge(GlyphLibrary& library, MergeSource& source,
                                   ports::EventPump& pump, ports::MessagePort& port,
                                   const ports::MessageSource& messages,
                                   const ports::WaitPanel& wait = {});

}  // namespace library
