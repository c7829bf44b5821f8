// GlyphLibrary: the taught glyphs (text and FeatureLine per record), their index by FeatureKey,
// the journal of glyphs taught since the last archiving, and the names of the glyph pictures.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/file_layer.h"
#include "library/shape_table.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace library {

// The FeatureKey is the sum of a FeatureLine's first 13 numbers (each 0..1000), so 0..13000;
// the index has one line per key.
inline constexpr int kDensityCount = 13;
inline constexpr int kMaxFeatureKey = 13000;
inline constexpr int kIndexLineCount = kMaxFeatureKey + 1;
// Records above this many from the end share a ring of picture names.
inline constexpr int kPictureRing = 1000;

// File names in the working folder.
inline constexpr char kTextsFileName[] = "word.wrd";
inline constexpr char kFeaturesFileName[] = "word.sts";
inline constexpr char kIndexFileName[] = "word.ind";
inline constexpr char kJournalTextsFileName[] = "newword.wrd";
inline constexpr char kJournalFeaturesFileName[] = "newword.sts";
inline constexpr char kPictureFolderName[] = "wordbmp";

// Message numbers of the loading and indexing texts (shown by the host through MessageSource).
inline constexpr int kMessageLibraryMissing = 395;
inline constexpr int kMessageLibraryMismatch = 401;
inline constexpr int kMessageIndexMissing = 404;
inline constexpr int kMessageIndexWrongLength = 407;
inline constexpr int kMessageIndexing = 683;
inline constexpr int kMessageIndexBuilt = 686;
inline constexpr int kMessageRebuildQuestion = 641;
inline constexpr int kMessageCaptionConfirm = 557;
// Progress texts of the archiving at the exit command and at the window's close.
inline constexpr int kMessageArchivingAtExit = 437;
inline constexpr int kMessageArchivingAtClose = 680;

// The FeatureKey of a FeatureLine: the sum of its first 13 comma-separated decimal fields
// (further fields, the size numbers, are ignored). nullopt when the line does not start with 13
// decimal numbers or the sum lies outside 0..13000.
std::optional<int> FeatureKeyOf(std::string_view feature_line);

// The picture name of the record with 1-based number n (n >= 1): n itself up to 1000, else the
// last three digits of n with leading zeros ("001" for 1001, "000" for 2000).
std::string PictureName(int number);

// Positions (0-based) of the records of one FeatureKey, ascending after a rebuild.
using IndexLine = std::vector<int>;
using GlyphIndex = std::vector<IndexLine>;  // kIndexLineCount lines

// The main lists and the index together, as written to word.wrd, word.sts and word.ind.
struct LibraryContents {
  std::vector<std::string> texts;     // GBK, one line each
  std::vector<std::string> features;  // FeatureLines, parallel to texts
  GlyphIndex index;
};

// What a successful load found and did.
struct LoadReport {
  std::vector<int> messages;                // message numbers to show, in order (404, 407, 686)
  bool index_rebuilt = false;               // word.ind was rebuilt and written
  int journal_records = 0;                  // journal records appended after the archived ones
  int skipped_journal_lines = 0;            // surplus lines of the longer journal file, left out
  int damaged_feature_lines = 0;            // records without a valid FeatureKey: kept, not indexed
  int bad_index_entries = 0;                // word.ind entries naming no record: left out
  bool finished_interrupted_write = false;  // a write cut short by a crash was completed
};

// The failure message of a load Error: 395 (code "missing"), 401 (code "mismatch"), or 0 for
// an error of the file system (code "io"), whose message names the file.
int LoadFailureMessage(const text::Error& error);

// An Error that refuses a request with the text of message N: code is N in decimal, message the
// text of N (GBK) from `messages`. The host shows the message; the core never does.
text::Error Refusal(int message_number, const ports::MessageSource& messages);
// N of an Error made by Refusal, 0 for any other Error.
int RefusalMessage(const text::Error& error);

class GlyphLibrary;

// The command that rebuilds the index on request: asks question 641 (OK/Cancel, caption 557)
// through `port`; OK runs RebuildIndex. Returns false when the user cancelled (nothing
// changes), true when the index was rebuilt and written (the host then shows 686).
text::Result<bool> ConfirmAndRebuildIndex(GlyphLibrary& library, ports::MessagePort& port,
                                          const ports::MessageSource& messages,
                                          ports::EventPump& pump);

// The glyph library of one working folder. Not thread-safe; loops pump through the EventPump
// they receive. Positions are 0-based (0..RecordCount()-1), numbers 1-based.
class GlyphLibrary {
 public:
  // `folder` holds the library files; `files` is the layer every file operation goes through
  // (the real file system when null). The library starts empty until Load.
  explicit GlyphLibrary(std::filesystem::path folder, std::shared_ptr<FileLayer> files = nullptr);

  // Loads word.wrd/word.sts, appends the journal (newword.wrd/newword.sts) after them in memory,
  // and reads word.ind or rebuilds it (missing, not 13001 lines, or journal not empty).
  // Creates missing journal files (both empty) and the wordbmp folder. The main files are never
  // written here, so every start-up before archiving appends the same journal exactly once.
  // Errors: "missing" (395) when word.wrd or word.sts is missing, "mismatch" (401) when their
  // line counts differ, "io" when a file cannot be read or written. Pumps during a rebuild.
  text::Result<LoadReport> Load(ports::EventPump& pump);
  // The same without touching any file (for inspection): missing journal files count as empty,
  // a rebuilt index stays in memory, wordbmp is not created. Error "pending" when a write cut
  // short by a crash waits to be completed (a writing Load completes it).
  text::Result<LoadReport> LoadReadOnly(ports::EventPump& pump);

  const std::filesystem::path& Folder() const {
    return folder_;
  }
  FileLayer& Files() {
    return *files_;
  }

  int RecordCount() const {
    return static_cast<int>(contents_.texts.size());
  }
  // Text and FeatureLine of the record at `position` (0 <= position < RecordCount()).
  const std::string& Text(int position) const {
    return contents_.texts[position];
  }
  const std::string& FeatureLine(int position) const {
    return contents_.features[position];
  }
  // Replaces the text of one record, as the correction of a glyph taught a moment ago does. A
  // record of the journal is corrected in the journal files too (written as one write, as
  // AddGlyph does), so that a later start reads the corrected text; an archived record changes in
  // memory until the library is next written. Ignored for a position out of range. Error "io"
  // when the journal cannot be written (the record keeps its old text).
  text::Status SetText(int position, std::string text);

  // The positions listed in the index line of `key`, in line order (first match wins); empty
  // for an empty line or a key outside 0..13000. Valid until the library next changes.
  const IndexLine& Candidates(int key) const;
  // The index lines' FeatureLines as numbers (ShapeTable), built whenever the records or the
  // index are replaced (load, rebuild, saved contents), so that the first question costs what
  // the others do, and kept up to date by AddGlyph. Valid until the library next changes.
  const ShapeTable& Shapes() const;

  // Appends a taught glyph to the records and the journal, writes both journal files (as one
  // write that a crash cannot split) and adds its position to index line `key` (the key the
  // lookup computed; word.ind is not written). Returns the new record's 1-based number n; the
  // caller saves the glyph's picture to PicturePath(n). Error "key" for a key outside
  // 0..13000, "io" when the journal cannot be written (the library is then unchanged).
  text::Result<int> AddGlyph(std::string text, std::string feature_line, int key);
  // One glyph of a page taught at once.
  struct NewGlyph {
    std::string text;          // GBK
    std::string feature_line;  // the box's FeatureLine, stored as given
    int key = 0;               // its FeatureKey, 0..13000
  };
  // Appends a page of taught glyphs in the given order as AddGlyph would one by one, with one
  // write of the journal files (one commit) for the whole page: after a crash the library holds
  // either none or all of them, and the files are byte for byte those of AddGlyph called for
  // each glyph in turn. Returns the 1-based number of the first new record (RecordCount() + 1
  // before the call; nothing is written for an empty page). Error "key" when any key lies
  // outside 0..13000 and "io" when the journal cannot be written; the library is then unchanged.
  text::Result<int> AddGlyphs(std::vector<NewGlyph> glyphs);

  // Writes texts, features and index to word.wrd, word.sts and word.ind and empties the journal
  // and its files, all as one write that a crash cannot split. Error "io" leaves memory as it
  // was unless the write had already committed (then the next load completes it).
  text::Status ArchiveJournal();

  // Rebuilds the index from the FeatureLines (records without a valid key are left out and
  // counted in DamagedFeatureLines) and writes word.ind. Reports progress (done, total =
  // RecordCount()) a few hundred times at most, and lets events run as often.
  text::Status RebuildIndex(ports::EventPump& pump);

  // Path of the picture of record number n: <folder>/wordbmp/PictureName(n).bmp.
  std::filesystem::path PicturePath(int number) const;
  // True when record n is among the latest 1000 (n > RecordCount() - 1000, n >= 1), so the file
  // at PicturePath(n) belongs to it.
  bool HasPictureSlot(int number) const;

  int JournalCount() const {
    return static_cast<int>(journal_texts_.size());
  }
  const std::vector<std::string>& JournalTexts() const {
    return journal_texts_;
  }
  const std::vector<std::string>& JournalFeatures() const {
    return journal_features_;
  }

  const LibraryContents& Contents() const {
    return contents_;
  }
  const GlyphIndex& Index() const {
    return contents_.index;
  }
  // Records whose FeatureLine has no valid FeatureKey (counted at the last rebuild).
  int DamagedFeatureLines() const {
    return damaged_feature_lines_;
  }
  // word.ind entries of the last load that named no record (0 after a rebuild).
  int BadIndexEntries() const {
    return bad_index_entries_;
  }
  // Journal lines left out at load because the two journal files differ in length.
  int SkippedJournalLines() const {
    return skipped_journal_lines_;
  }

  // Replaces all records and the index, empties the journal, and writes the main files, the
  // empty journal files and then `extra_files` (e.g. a merged library's shrunk files) as one
  // write that a crash cannot split. Memory changes only once the write has committed.
  text::Status SaveContents(LibraryContents contents, std::vector<PlannedFile> extra_files = {});

  // The index built from `features` (records without a valid key left out, counted in
  // `*damaged` when given). Pumps like RebuildIndex when `pump` is given.
  static GlyphIndex BuildIndex(const std::vector<std::string>& features, int* damaged,
                               ports::EventPump* pump);

  // word.ind's lines for an index, and an index parsed from them (entries that are not
  // positions below `record_count` are left out and counted in `*bad_entries`).
  static text::Lines IndexToLines(const GlyphIndex& index);
  static GlyphIndex IndexFromLines(const text::Lines& lines, int record_count, int* bad_entries);

 private:
  std::filesystem::path PathOf(const char* name) const {
    return folder_ / name;
  }
  std::vector<PlannedFile> MainFilesPlan(LibraryContents& contents) const;
  static void TakeBack(std::vector<PlannedFile>& plan, LibraryContents& contents);
  text::Result<LoadReport> LoadFiles(ports::EventPump& pump, bool read_only);

  std::filesystem::path folder_;
  std::shared_ptr<FileLayer> files_;
  LibraryContents contents_;
  std::vector<std::string> journal_texts_;
  std::vector<std::string> journal_features_;
  int damaged_feature_lines_ = 0;
  int bad_index_entries_ = 0;
  int skipped_journal_lines_ = 0;
  // Built with the contents; Shapes() builds it for a library that was never loaded.
  mutable std::optional<ShapeTable> shapes_;
};

}  // namespace library
