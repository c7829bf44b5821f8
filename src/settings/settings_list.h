// SettingsList: the lines of setup.sys held for the whole run, with a typed accessor per line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "text/result.h"

namespace settings {

// Line numbers (0-based) of setup.sys. Flags are "1" (on) or anything else (off); numbers are
// decimal integers; the rest is free text used as it stands.
enum SettingsLine : int {
  kUnusedLine = 0,          // kept and written back as read
  kAuthorEntryOn = 1,       // flag: write the author entry in front of a picture subtitle
  kAuthorTime = 2,          // text: author entry time line, "start --> end" as typed
  kAuthorText = 3,          // text: author entry text, lines separated by "\N"
  kImeForNewGlyph = 4,      // flag: input method on in the teaching text boxes
  kImeForLibraryEdit = 5,   // flag: input method on in the library editor's search box
  kImeName = 6,             // text: name of the chosen input method
  kFullWidthQuotes = 7,     // flag: check rule, half-width quotes to full-width pairs
  kUnpairedQuotes = 8,      // flag: check rule, delete unpaired double quotes
  kInnerFullStop = 9,       // flag: check rule, full stop inside a sentence to a comma
  kEndPunctuation = 10,     // flag: check rule, delete a comma or full stop at the end
  kEllipsisForm = 11,       // number 0..3: the ellipsis form item
  kPhraseReplacement = 12,  // flag: apply the phrase table
  kLanguage = 13,           // number 1..3: 1 Simplified Chinese, 2 Traditional, 3 English
  kOpenFolder = 14,         // text: folder of the last opened main subtitle
  kReferenceFolder = 15,    // text: folder of the last opened reference subtitle
  kSaveFolder = 16,         // text: folder of the last saved subtitle
  kAutoTimeFix = 17,        // flag: correct overlapping times after a recognition run
  kAutoCheck = 18,          // flag: run the check after a recognition run
  kSpaceDetection = 19,     // number 0..10: TrackBar3 position
  kSpaceWidth = 20,         // number 0..10: TrackBar4 position
  kLineHeight = 21,         // number 0..10: TrackBar1 position
  kIgnoreGlyphSize = 22,    // flag: ignore the glyph's height and width when matching
  // Lines beyond the 23 every setup.sys has; a file without them reads their fallbacks.
  kSaveEncoding = 23,  // number 0..2: the save dialog's encoding, 0 GBK, 1 UTF-8, 2 UTF-8 + BOM
  // Teaching assistance, after the lines every release has written. A file without these lines
  // gets the assistance on: a missing flag line counts as on, a missing placeholder line as
  // kDefaultSkipPlaceholder.
  kFittedBox = 24,          // flag: open the teaching question with a box fitted to one glyph
  kSuggestions = 25,        // flag: offer suggestions in the teaching question
  kReferenceTeaching = 26,  // flag: teach from the reference subtitle where it is certain
  kChineseSpaces = 27,      // flag: no spaces beside full-width punctuation or inside words
  kSkipPlaceholder = 28,    // text: what a skipped glyph leaves in the text; "" leaves nothing
  kOcrGuess = 29,           // flag: offer the OCR engine's guess in the teaching question
  kOcrGuessScript = 30,     // number 0..2: the guess's script, 0 by the interface language,
                            // 1 Simplified, 2 Traditional Chinese
  kSubtitleFormats = 31,    // flag: ASS and WebVTT besides SRT and SSA, lenient times, kept
                            // fields, strict times written; off reads and writes as before.
                            // A file without this line has it on.
  kInputEncoding = 32,      // text: how subtitle files are decoded: "auto" (or a missing line)
                            // detects, an encoding name (text/encoding.h) forces one, and
                            // "as-before" keeps the older detection (UTF-16 mark, UTF-8, GBK)
  kMarkTimes = 43,          // flag: tint bad times and overlaps in the main grid; only "0" is off,
                            // so a file without the line has the marking on
  kMarkCheckedRows = 44,    // flag: rows the check review changed gain "C"; only "0" is off
};

inline constexpr int kSettingsLineCount = 23;

// The window's own defaults for the number lines, used when a line does not hold a usable number.
inline constexpr int kDefaultEllipsisForm = 0;
inline constexpr int kDefaultLanguage = 1;
inline constexpr int kDefaultSpaceDetection = 4;
inline constexpr int kDefaultSpaceWidth = 8;
inline constexpr int kDefaultLineHeight = 2;
inline constexpr int kTrackBarMax = 10;

// "□" in GBK: the mark a skipped glyph leaves by default.
inline constexpr const char* kDefaultSkipPlaceholder = "\xA1\xF5";

// The script of the OCR guess's data: the interface language's (Traditional Chinese data for the
// Traditional Chinese interface, Simplified otherwise), or one chosen.
enum class GuessScript { kByLanguage = 0, kSimplified = 1, kTraditional = 2 };

// The teaching assistance as the settings give it. Every part on gives the assistance; every part
// off (and an empty placeholder) gives recognition and library files exactly as before it existed.
struct TeachingAssistance {
  bool fitted_box = true;
  bool suggestions = true;
  bool reference_teaching = true;
  bool chinese_spaces = true;
  std::string skip_placeholder = kDefaultSkipPlaceholder;  // GBK
  bool ocr_guess = true;
  GuessScript ocr_guess_script = GuessScript::kByLanguage;
  // Everything off, the placeholder empty.
  static TeachingAssistance Off() {
    return {false, false, false, false, "", false, GuessScript::kByLanguage};
  }
  bool operator==(const TeachingAssistance&) const = default;
};

// The file name of the settings in the program folder.
inline constexpr const char* kSettingsFileName = "setup.sys";

// Always holds at least kSettingsLineCount lines: a shorter list is padded with "1" lines (so an
// empty file starts with every flag on), a longer one keeps its extra lines, which are written
// back unchanged.
class SettingsList {
 public:
  SettingsList() : SettingsList(std::vector<std::string>{}) {}
  explicit SettingsList(std::vector<std::string> lines);

  // Reads setup.sys (CR LF, LF or CR line ends). Error code "io" names the file when it is
  // missing or unreadable; any content is accepted.
  static text::Result<SettingsList> LoadFromFile(const std::filesystem::path& path);
  // Writes every line followed by CR LF, atomically; Error code "io" names the file.
  text::Status SaveToFile(const std::filesystem::path& path) const;

  int LineCount() const {
    return static_cast<int>(lines_.size());
  }
  const std::vector<std::string>& Lines() const {
    return lines_;
  }

  // Line `line` as it stands; "" for a line number outside the list.
  const std::string& Line(int line) const;
  // Replaces line `line`; a number at or beyond LineCount() appends "1" lines up to it first.
  // A negative number is ignored.
  void SetLine(int line, std::string value);

  // True exactly when the line is "1".
  bool Flag(int line) const {
    return Line(line) == "1";
  }
  void SetFlag(int line, bool on) {
    SetLine(line, on ? "1" : "0");
  }

  // The line as a decimal integer in [minimum, maximum]; `fallback` when it is not a decimal
  // integer (optionally signed) or lies outside the range, so a damaged file never stops the
  // start-up.
  int Number(int line, int minimum, int maximum, int fallback) const;
  void SetNumber(int line, int value) {
    SetLine(line, std::to_string(value));
  }

  // Line kSubtitleFormats: true when on or missing.
  bool AllSubtitleFormats() const {
    return kSubtitleFormats >= LineCount() || Flag(kSubtitleFormats);
  }

  // Line kInputEncoding as it stands, "auto" when missing or empty.
  std::string InputEncoding() const {
    return kInputEncoding >= LineCount() || Line(kInputEncoding).empty() ? "auto"
                                                                         : Line(kInputEncoding);
  }

  // Typed views of the number lines, with the window's defaults as fallbacks.
  int EllipsisForm() const {
    return Number(kEllipsisForm, 0, 3, kDefaultEllipsisForm);
  }
  int Language() const {
    return Number(kLanguage, 1, 3, kDefaultLanguage);
  }
  int SpaceDetection() const {
    return Number(kSpaceDetection, 0, kTrackBarMax, kDefaultSpaceDetection);
  }
  int SpaceWidth() const {
    return Number(kSpaceWidth, 0, kTrackBarMax, kDefaultSpaceWidth);
  }
  int LineHeight() const {
    return Number(kLineHeight, 0, kTrackBarMax, kDefaultLineHeight);
  }
  // 0 (GBK, also for a file that has no such line), 1 (UTF-8) or 2 (UTF-8 with its mark).
  int SaveEncoding() const {
    return Number(kSaveEncoding, 0, 2, 0);
  }

  // Typed views of the flag lines.
  bool AuthorEntryOn() const {
    return Flag(kAuthorEntryOn);
  }
  bool ImeForNewGlyph() const {
    return Flag(kImeForNewGlyph);
  }
  bool ImeForLibraryEdit() const {
    return Flag(kImeForLibraryEdit);
  }
  bool FullWidthQuotes() const {
    return Flag(kFullWidthQuotes);
  }
  bool UnpairedQuotes() const {
    return Flag(kUnpairedQuotes);
  }
  bool InnerFullStop() const {
    return Flag(kInnerFullStop);
  }
  bool EndPunctuation() const {
    return Flag(kEndPunctuation);
  }
  bool PhraseReplacementOn() const {
    return Flag(kPhraseReplacement);
  }
  bool AutoTimeFix() const {
    return Flag(kAutoTimeFix);
  }
  bool AutoCheck() const {
    return Flag(kAutoCheck);
  }
  bool IgnoreGlyphSize() const {
    return Flag(kIgnoreGlyphSize);
  }

  // Typed views of the free-text lines (GBK, as they stand, an appended "1" included).
  const std::string& AuthorTime() const {
    return Line(kAuthorTime);
  }
  const std::string& AuthorText() const {
    return Line(kAuthorText);
  }
  const std::string& ImeName() const {
    return Line(kImeName);
  }
  const std::string& OpenFolder() const {
    return Line(kOpenFolder);
  }
  const std::string& ReferenceFolder() const {
    return Line(kReferenceFolder);
  }
  const std::string& SaveFolder() const {
    return Line(kSaveFolder);
  }

  // Lines 24 .. 28; a line the file does not hold gives the default (on, the "□" mark).
  TeachingAssistance Assistance() const;
  // Writes lines 24 .. 28 (appending them, in order, to a shorter list; a missing line before
  // them is added empty, so that it reads its own fallback).
  void SetAssistance(const TeachingAssistance& assistance);

  // Line 13 := the language number (the language switch writes it at once, in memory).
  void SetLanguage(int language) {
    SetNumber(kLanguage, language);
  }
  // Lines 14, 15, 16 := the three remembered folders, as written at shutdown.
  void SetFolders(const std::string& open_folder, const std::string& reference_folder,
                  const std::string& save_folder);

 private:
  std::vector<std::string> lines_;
};

}  // namespace settings
