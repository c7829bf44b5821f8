// Every message number the program shows, by name, and the full list that language.sys must cover.
#pragma once

#include <vector>

namespace app::msg {

// Message numbers are -1, 2, 5, 8, ...: message N of language L is line N + L of language.sys.
inline constexpr int kStep = 3;
inline constexpr int kLowest = -1;
inline constexpr int kHighest = 770;  // the last of the base table; feature blocks lie above it

// A run of consecutive message numbers, first to last inclusive, in steps of kStep.
struct MessageRange {
  int first;
  int last;
};

// The runs that the language switch assigns to controls in a fixed order (see language_layout.h).
inline constexpr MessageRange kMenuCaptions{-1, 101};        // menus, hints and pop-up items
inline constexpr MessageRange kPanelCaptions{104, 275};      // picture strip and panels
inline constexpr MessageRange kEllipsisAndPhrase{278, 293};  // ellipsis items, phrase option
inline constexpr MessageRange kLowerCaptions{296, 335};      // settings buttons to wait panel
inline constexpr MessageRange kGridHeadings{338, 392};       // words of the grid heading rows

// Captions inside those runs that other code also shows.
inline constexpr int kRecordNumberLabel = 170;  // "编号：", followed by a 1-based record number
inline constexpr int kCloseCaption = 197;       // library editor's and about panel's close button
inline constexpr int kStartMerge = 203;         // merge button while no merge runs
inline constexpr int kDoubleEllipsis = 278;     // "……", ellipsis item 0
inline constexpr int kSingleEllipsis = 281;     // "…", ellipsis item 1
inline constexpr int kKeepEllipsis = 284;       // ellipsis item 3, "no change"
inline constexpr int kPhraseOption = 287;       // option switching the phrase table on
inline constexpr int kPhraseNoteFirst = 290;    // phrase table note, first line
inline constexpr int kPhraseNoteSecond = 293;   // phrase table note, third line
inline constexpr int kStartSearch = 320;        // find button before a find-only search
inline constexpr int kNumberHeading = 338;
inline constexpr int kSubtitleHeading = 341;
inline constexpr int kStartHeading = 344;
inline constexpr int kEndHeading = 347;

// Start-up and the glyph library files.
inline constexpr int kLibraryFilesMissing = 395;  // word.wrd or word.sts missing; program ends
inline constexpr int kLoadingLibrary = 398;       // start-up panel while the library loads
inline constexpr int kLibraryFilesDiffer = 401;   // word.wrd and word.sts differ; program ends
inline constexpr int kIndexMissing = 404;         // word.ind missing, rebuilt
inline constexpr int kIndexDamaged = 407;         // word.ind not 13001 lines, rebuilt

// Open, close and the unsaved-work questions.
inline constexpr int kOpenUnsavedQuestion = 410;    // Yes/No/Cancel before Open
inline constexpr int kUnsavedCaption = 413;         // caption of every unsaved-work question
inline constexpr int kNotSubtitleExtension = 416;   // chosen file is neither .srt nor .ssa
inline constexpr int kRowsReadPrefix = 419;         // status: prefix + row count + suffix
inline constexpr int kPictureRowsReadSuffix = 422;  // ... of a picture subtitle
inline constexpr int kTextRowsReadSuffix = 425;     // ... of a text subtitle
inline constexpr int kCloseUnsavedQuestion = 635;   // Yes/No/Cancel before Close

// Exit command and window close: running recognition, the two questions, the archiving text.
inline constexpr int kExitWhileRecognising = 428;
inline constexpr int kExitMainUnsaved = 431;
inline constexpr int kExitReferenceUnsaved = 434;
inline constexpr int kExitArchiving = 437;
inline constexpr int kCloseWhileRecognising = 671;
inline constexpr int kCloseMainUnsaved = 674;       // also asked before a blank subtitle is made
inline constexpr int kCloseReferenceUnsaved = 677;  // also asked before another reference opens
inline constexpr int kCloseArchiving = 680;

// Recognition and teaching.
inline constexpr int kLibraryEmptyLabel = 440;     // teaching panel when the library is empty
inline constexpr int kMissingPicturePrefix = 443;  // prefix + picture name + suffix, Yes/No
inline constexpr int kMissingPictureSuffix = 446;
inline constexpr int kPictureNotFound = 485;  // followed directly by the picture name
inline constexpr int kRecognitionStopped = 566;
inline constexpr int kEstimatingSizes = 605;   // wait panel of the standard size estimate
inline constexpr int kRowDetailsPrefix = 629;  // prefix + row number + suffix
inline constexpr int kRowDetailsSuffix = 632;

// Library editor: title, statistics, marks, searches, saving and archiving.
inline constexpr int kEditorTitlePrefix = 449;  // prefix + record count + suffix
inline constexpr int kEditorTitleSuffix = 452;
inline constexpr int kLibraryCountPrefix = 455;  // prefix + N, then 458/503/521/524/530
inline constexpr int kArchivedCountInfix = 458;  // ... + (N - J) + 461 + J + 464
inline constexpr int kJournalCountInfix = 461;
inline constexpr int kStatisticsSuffix = 464;
inline constexpr int kEditorSaveQuestion = 467;  // OK/Cancel
inline constexpr int kEditorNothingToSave = 470;
inline constexpr int kEditorSaving = 473;
inline constexpr int kEditorSaved = 476;
inline constexpr int kChangeMark = 479;
inline constexpr int kDeleteMark = 482;
inline constexpr int kFoundPrefix = 608;  // prefix + number found + kCountSuffix
inline constexpr int kEditorBadRange = 611;
inline constexpr int kEditorRangeBeyondLibrary = 614;
inline constexpr int kEditorRangeReversed = 617;
inline constexpr int kEditorLargeRangeQuestion = 620;  // Yes/No
inline constexpr int kArchiving = 623;
inline constexpr int kArchived = 626;
inline constexpr int kDeleteListed = 770;  // button marking every listed record for deletion

// Save command.
inline constexpr int kCheckBeforeSaveQuestion = 488;  // Yes/No
inline constexpr int kCheckBeforeSaveCaption = 491;

// Caption of the picture strip's space-width track bar (a group no other text uses).
inline constexpr int kSpaceWidthLabel = 494;

// Library merge.
inline constexpr int kLibraryFileFilter = 497;    // dialog filter for .sts files (merge, export)
inline constexpr int kMergeSubtitleFilter = 500;  // open dialog filter given back after browsing
inline constexpr int kMergeOpenedSuffix = 503;
inline constexpr int kStopMerge = 506;
inline constexpr int kMergeNoFile = 509;
inline constexpr int kMergeIntoItself = 512;
inline constexpr int kMergeFilesMissing = 515;
inline constexpr int kMergeOtherEmpty = 518;
inline constexpr int kOtherCountInfix = 521;
inline constexpr int kCountSuffix = 524;
inline constexpr int kMergeQuestion = 527;  // Yes/No
inline constexpr int kRemainingInfix = 530;
inline constexpr int kMergeStoppedNothingAdded = 533;
inline constexpr int kMergeStoppedPrefix = 536;  // prefix + added + suffix
inline constexpr int kMergeStoppedSuffix = 539;
inline constexpr int kMergeDoneNothingAdded = 542;
inline constexpr int kMergeDonePrefix = 545;  // prefix + added + suffix
inline constexpr int kMergeDoneSuffix = 548;
inline constexpr int kMergeSaving = 551;

// Automatic cropping and confirmations.
inline constexpr int kCropQuestion = 554;    // OK/Cancel
inline constexpr int kConfirmCaption = 557;  // caption of every OK/Cancel confirmation
inline constexpr int kCropProgress = 560;    // followed by a percentage and "%"
inline constexpr int kCropDone = 563;
inline constexpr int kCropStopped = 638;

// Punctuation of the check rules, in GBK for every language.
inline constexpr int kOpeningQuote = 569;     // one two-byte character
inline constexpr int kClosingQuote = 572;     // one two-byte character
inline constexpr int kFullStop = 575;         // one two-byte character
inline constexpr int kComma = 578;            // one two-byte character
inline constexpr int kProtectedEnding = 581;  // six bytes that the final-stop rule never cuts
inline constexpr int kCheckFinished = 584;

// Dialog filters of the subtitle dialogs.
inline constexpr int kSaveFilter = 587;
inline constexpr int kOpenFilter = 767;

// Library export.
inline constexpr int kExportNoPath = 590;
inline constexpr int kExportBadRange = 593;
inline constexpr int kExportOwnLibrary = 596;
inline constexpr int kExportOverwriteQuestion = 599;  // Yes/No
inline constexpr int kExportDone = 602;

// Index rebuild and library check.
inline constexpr int kRebuildIndexQuestion = 641;  // OK/Cancel
inline constexpr int kRebuildingIndex = 683;       // followed by a percentage and "%"
inline constexpr int kIndexRebuilt = 686;
inline constexpr int kCheckingLibrary = 644;  // followed by a percentage and "%"
inline constexpr int kCheckReportHeading = 647;
inline constexpr int kCheckTextsFeaturesDiffer = 650;
inline constexpr int kCheckJournalDiffers = 653;
inline constexpr int kCheckIndexBeyondEnd = 656;
inline constexpr int kCheckUnlistedPrefix = 659;  // prefix + record number + suffix
inline constexpr int kCheckUnlistedSuffix = 662;
inline constexpr int kCheckMoreUnlisted = 665;
inline constexpr int kCheckNoProblem = 668;

// Time-overlap correction.
inline constexpr int kOverlapsFixedPrefix = 689;  // prefix + count + suffix, no spaces added
inline constexpr int kOverlapsFixedSuffix = 692;
inline constexpr int kNoOverlaps = 695;

// Find and replace.
inline constexpr int kStartReplace = 698;
inline constexpr int kEmptySearchText = 701;
inline constexpr int kReplaceQuestionPrefix = 704;  // prefix + row number + infix, then texts
inline constexpr int kReplaceQuestionInfix = 707;
inline constexpr int kReplaceQuestionAfter = 710;
inline constexpr int kFindNext = 713;
inline constexpr int kSearchFinished = 716;

// Row editing.
inline constexpr int kDeleteRowQuestion = 719;    // OK/Cancel
inline constexpr int kRestoreTimeQuestion = 722;  // OK/Cancel
inline constexpr int kTimeUnchanged = 725;
inline constexpr int kRestoreTextQuestion = 728;  // OK/Cancel
inline constexpr int kTextUnchanged = 731;

// Options shown on the settings panel's check page.
inline constexpr int kAutoOverlapOption = 734;
inline constexpr int kAutoCheckOption = 737;

// Help and the about panel.
inline constexpr int kHelpMissing = 740;
inline constexpr int kAboutLines[] = {743, 746, 749, 752, 755, 758, 761};  // memo, in pairs
inline constexpr int kAboutCredit = 764;

// Feature blocks above kHighest (language.tsv names the same blocks).
// Disc subtitle import: 1001-1097.
inline constexpr int kImportMenu = 1001;    // file menu and tool button: the import command
inline constexpr int kImportHint = 1004;    // the tool button's hint
inline constexpr int kImportFilter = 1007;  // description of the open dialog's filter
inline constexpr int kImportTitle = 1010;   // the panel's title and the caption of its question
inline constexpr int kImportInputCaption = 1013;
inline constexpr int kImportTrackCaption = 1016;
inline constexpr int kImportInkCaption = 1019;
inline constexpr int kImportInkFill = 1022;     // ink: the fill inside the outline
inline constexpr int kImportInkOutline = 1025;  // ink: the darker colours
inline constexpr int kImportInkAll = 1028;      // ink: every opaque colour
inline constexpr int kImportThreshold = 1031;   // ink by luminance, with the slider
inline constexpr int kImportPreviewCaption = 1034;
inline constexpr int kImportOutputCaption = 1037;
inline constexpr int kImportRun = 1040;
inline constexpr int kImportStop = 1043;
inline constexpr int kImportFailed = 1046;           // followed by the reason
inline constexpr int kImportReplaceQuestion = 1049;  // Yes/No: the output folder holds files
inline constexpr int kImportStopped = 1052;          // nothing was written
inline constexpr int kImportScaleCaption = 1061;
inline constexpr int kImportScaleAuto = 1064;  // size: half for video wider than 1920 pixels
inline constexpr int kImportScaleFull = 1067;
inline constexpr int kImportScaleHalf = 1070;
inline constexpr int kImportTooWide = 1073;     // warning, followed by the picture numbers
inline constexpr int kImportFullColour = 1580;  // write 24-bit pictures instead of 1-bit ones

// Teaching assistance: 1100-1199.
inline constexpr int kAssistanceGroup = 1100;          // settings: the group's title
inline constexpr int kFittedBoxOption = 1103;          // settings: fit the question box
inline constexpr int kSuggestionsOption = 1106;        // settings: offer suggestions
inline constexpr int kReferenceTeachingOption = 1109;  // settings: teach from the reference
inline constexpr int kChineseSpacesOption = 1112;      // settings: the Chinese spaces rule
inline constexpr int kSkipPlaceholderLabel = 1115;     // settings: label of the skip mark box
inline constexpr int kSuggestionsLabel = 1118;         // teaching panel: before the suggestions
inline constexpr int kSourceLibrary = 1121;            // teaching panel: a suggestion's source
inline constexpr int kSourceReference = 1124;
inline constexpr int kSourceOcr = 1127;
// The review of glyphs taught from the reference (after a run that taught some).
inline constexpr int kTeachingsTitle = 1172;
inline constexpr int kTeachingsRowHeading = 1175;
inline constexpr int kTeachingsTextHeading = 1178;
inline constexpr int kTeachingsNumberHeading = 1181;
inline constexpr int kTeachingsGlyphHeading = 1184;
inline constexpr int kTeachingsUndo = 1187;     // button: undo the selected teachings
inline constexpr int kTeachingsClose = 1190;    // button
inline constexpr int kTeachingsRemoved = 1193;  // followed by the count
inline constexpr int kTeachingsChanged = 1196;  // followed by a record number
// The OCR guess: 1150-1199.
inline constexpr int kOcrGuessOption = 1151;       // settings: offer the OCR guess
inline constexpr int kOcrGuessScriptLabel = 1154;  // settings: before the script choice
inline constexpr int kOcrGuessByLanguage = 1157;   // settings: script items, in GuessScript order
inline constexpr int kOcrGuessSimplified = 1160;
inline constexpr int kOcrGuessTraditional = 1163;
inline constexpr int kOcrGuessUnavailable = 1166;  // status: followed by the data's name

// Undo and redo: 1202-1250.
inline constexpr int kEditMenu = 1202;     // the Edit menu's caption
inline constexpr int kUndoCaption = 1205;  // Undo item: "%1" stands for the step's name or nothing
inline constexpr int kRedoCaption = 1208;  // Redo item, the same way
// The steps' names, in the order of document::EditKind (change, cell edit, insert row, delete
// row, restore times, restore text, shift of end times, kept row edit, check confirmation,
// replace, overlap correction, recognition, script conversion, then the times and rows commands:
// time change, delete rows, merge rows, split rows).
inline constexpr int kStepNames[] = {1211, 1214, 1217, 1220, 1223, 1226, 1229, 1232, 1235,
                                     1238, 1241, 1244, 1247, 1760, 1763, 1766, 1769};

// Save encoding, checked times, status texts and shortcuts: 1253-1298. "%1".."%4" in a text are
// filled in by FillIn (app/status_texts.h).
inline constexpr int kSaveEncodingCaption = 1253;  // label of the save dialog's encoding list
inline constexpr int kSaveEncodingItems = 1256;    // the three encodings, separated by "|"
inline constexpr int kTimeRefused = 1259;          // %1: the text typed into a time cell
inline constexpr int kSaveUnreadableTimes = 1262;  // followed by row numbers
inline constexpr int kSaveEndBeforeStart = 1265;   // followed by row numbers
inline constexpr int kSaveUnencodable = 1268;      // followed by row numbers
inline constexpr int kSaveAnywayQuestion = 1271;   // Yes saves, No goes to the first row
inline constexpr int kRunProgressStatus = 1274;    // %1 row, %2 rows, %3 glyphs taught
inline constexpr int kRunDoneStatus = 1277;        // %1 rows, %2 taught, %3 skipped
inline constexpr int kRunStoppedStatus = 1280;     // %1 row, %2 rows, %3 taught, %4 skipped
inline constexpr int kSavedStatus = 1283;          // %1 file name, %2 encoding
inline constexpr int kCheckedStatus = 1286;        // %1 rows changed
inline constexpr int kReplacedStatus = 1289;       // %1 replacements
inline constexpr int kNextProblemRow = 1292;       // check menu: next row of the check review
inline constexpr int kPreviousProblemRow = 1295;   // check menu: previous row of the review
inline constexpr int kRowAnalysisStatus = 1298;    // %1 row being analysed

// Desktop integration: 1301-1397.
inline constexpr int kOcrSettingsTab = 1301;
inline constexpr int kIgnoreGlyphSizeOption = 1304;
inline constexpr int kRecentFilesMenu = 1307;
inline constexpr int kClearRecentFiles = 1310;
inline constexpr int kStartHint = 1313;
inline constexpr int kStartOpenButton = 1316;
inline constexpr int kStartDemoButton = 1319;
// Subtitle formats and encodings: 1640-1697.
inline constexpr int kReopenEncodingMenu = 1640;  // file menu: reopen in another encoding
inline constexpr int kReopenEncodingAuto = 1643;  // its first item: detect the encoding
// Its other items, the encodings' names, in the order of text::EncodingNames' first names.
inline constexpr int kReopenEncodingNames[] = {1646, 1649, 1652, 1655, 1658, 1661,
                                               1664, 1667, 1670, 1673, 1676};
inline constexpr int kHelpWindowTitle = 1322;
inline constexpr int kYesButton = 1325;
inline constexpr int kNoButton = 1328;
inline constexpr int kOkButton = 1331;
inline constexpr int kCancelButton = 1334;
inline constexpr int kDemoMissing = 1337;     // + the path
inline constexpr int kRecentFileGone = 1340;  // + the path
inline constexpr int kHelpCloseButton = 1343;
// The end of a row analysis (beside kRowAnalysisStatus): %1 row, %2 glyphs.
inline constexpr int kRowAnalysedStatus = 1346;

// Chinese script conversion: 1400-1499.
inline constexpr int kChineseMenu = 1400;            // "Convert Chinese script..."
inline constexpr int kChineseTitle = 1403;           // title of the conversion panel
inline constexpr int kChineseDirectionLabel = 1406;  // label of the direction list
// The direction list's items, in the order of chinese::kAllDirections (s2t, t2s, s2tw, s2twp,
// tw2s, tw2sp, s2hk, hk2s).
inline constexpr int kChineseDirections[] = {1409, 1412, 1415, 1418, 1421, 1424, 1427, 1430};
inline constexpr int kChineseAllRows = 1433;
inline constexpr int kChineseSelectedRows = 1436;
inline constexpr int kChineseMainTable = 1439;
inline constexpr int kChineseReferenceTable = 1442;
inline constexpr int kChineseBeforeHeading = 1445;  // preview grid: text before
inline constexpr int kChineseAfterHeading = 1448;   // preview grid: text after
inline constexpr int kChineseOk = 1451;
inline constexpr int kChineseCancel = 1454;
inline constexpr int kChineseChangedPrefix = 1457;  // prefix + changed row count + suffix
inline constexpr int kChineseChangedSuffix = 1460;
inline constexpr int kChineseRowPrefix = 1463;       // report line: prefix + row number + ...
inline constexpr int kChineseKeptInfix = 1466;       // ... + kept character + ...
inline constexpr int kChineseKeptConversion = 1469;  // ... + its code points + ...
inline constexpr int kChineseKeptSuffix = 1472;
inline constexpr int kChineseNotGbk = 1475;             // row left unconverted: bytes not GBK
inline constexpr int kChineseDataMissingPrefix = 1478;  // prefix + missing file + suffix
inline constexpr int kChineseDataMissingSuffix = 1481;  // names the package to install
inline constexpr int kChineseOpenFailed = 1484;         // followed by OpenCC's reason
inline constexpr int kChineseRowsGroup = 1487;          // title of the rows choice
inline constexpr int kChineseTableGroup = 1490;         // title of the subtitle choice
inline constexpr int kChineseRowsSkipped = 1493;        // followed by the row numbers
inline constexpr int kChineseNothingToChange = 1496;

// Command-line hardening: 1502-1598.
inline constexpr int kImportWarnings = 1502;         // warning, followed by the import's warnings
inline constexpr int kImportPartialQuestion = 1505;  // Yes/No, followed by where the stream ends
inline constexpr int kPicturesOutsideRows = 1541;    // followed by the rows and their names
inline constexpr int kCropErrorCountBefore = 1544;   // error + this + pictures cropped + 1547
inline constexpr int kCropErrorCountAfter = 1547;

// Recognition speed: 1601-1697.

// Times, several rows at once, and the save and review mends: 1760-1847 (1760-1769 are step
// names in kStepNames).
// %1 rows without text: keep them (Yes) or leave them out (No).
inline constexpr int kRowsWithoutTextQuestion = 1772;
inline constexpr int kRowsWithoutTextLeftOut = 1775;  // after a save: %1 rows left out
inline constexpr int kEndBeforeStartEntered = 1778;   // %1 row, %2 end, %3 start
inline constexpr int kTimesMenu = 1781;               // the Times menu
inline constexpr int kShiftTimesItem = 1784;          // Times menu and panel: shift by an amount
inline constexpr int kSyncTimesItem = 1787;   // Times menu and panel: synchronise by two points
inline constexpr int kFrameRateItem = 1790;   // Times menu and panel: change the frame rate
inline constexpr int kDeleteRowsItem = 1793;  // Times menu: delete the selected rows
inline constexpr int kMergeRowsItem = 1796;   // Times menu: merge the selected rows
inline constexpr int kSplitRowsItem = 1799;   // Times menu: one row a line
inline constexpr int kTimesPanelTitle = 1802;
inline constexpr int kShiftAmountLabel = 1805;  // label of the amount
inline constexpr int kSyncPointsLabel = 1808;   // label of the two points, old time -> new time
inline constexpr int kSaveInPlaceItem = 1811;   // File menu: Save
inline constexpr int kFrameRateLabel = 1814;    // label of the frame rates, from -> to
inline constexpr int kMarkTimesOption = 1817;   // settings: mark bad times and overlaps in the grid
inline constexpr int kTimesAllRows = 1820;      // scope: every row
inline constexpr int kTimesSelectedRows = 1823;    // scope: the selected rows
inline constexpr int kTimesFromCurrentRow = 1826;  // scope: the current row and the rows below
inline constexpr int kTimesApply = 1829;           // button
inline constexpr int kTimesClose = 1832;           // button
inline constexpr int kTimesChangedStatus = 1835;   // %1 rows changed, %2 times set to zero
inline constexpr int kTimesUnreadable = 1838;      // %1: what cannot be read
inline constexpr int kDeleteRowsQuestion = 1841;   // %1 rows
inline constexpr int kCheckChangedNothing = 1844;  // the check review: no row changed
inline constexpr int kExportOverLibrary = 1847;    // the export target is the live glyph library
// The picture strip, the teaching panel's box keys and record number, Qt's file dialog words and
// the input-method tab: 1700-1757.
inline constexpr int kBoxAtLeftEnd = 1700;         // status: Ctrl+Left could not move the box
inline constexpr int kBoxAtRightEnd = 1703;        // status: Ctrl+Right could not move the box
inline constexpr int kBoxAtNarrowest = 1706;       // status: Shift+Left could not narrow it
inline constexpr int kBoxAtWidest = 1709;          // status: Shift+Right could not widen it
inline constexpr int kBoxKeysHint = 1712;          // tool tip of the entry box and glyph frame
inline constexpr int kPictureZoomHint = 1715;      // tool tip of the strip's 1:1 button
inline constexpr int kRecordNumberHint = 1718;     // tool tip of the record number box
inline constexpr int kRecordMissingPrefix = 1721;  // prefix + record count + suffix
inline constexpr int kRecordMissingSuffix = 1733;
inline constexpr int kFileDialogFolder = 1724;  // Qt's file dialogs: the type of a folder
inline constexpr int kFileDialogDrive = 1727;   // ... and of a drive
inline constexpr int kFileDialogBytes = 1742;   // ... and the unit of a size under 1 KiB
inline constexpr int kNoInputMethodFramework = 1730;
inline constexpr int kConvertedRowsPrefix = 1736;  // status: prefix + rows converted + suffix
inline constexpr int kConvertedRowsSuffix = 1739;

// Every message number the program uses, ascending and without repeats: the four runs above
// expanded, then each named message. language.sys must hold a text for each in every language.
std::vector<int> UsedMessageNumbers();

// Messages that hold GBK punctuation in every language, English included (they are spliced
// into GBK subtitle texts): the two ellipsis forms, the quotation marks, full stop, comma and the
// six-byte ending.
inline constexpr int kPunctuationMessages[] = {kDoubleEllipsis, kSingleEllipsis, kOpeningQuote,
                                               kClosingQuote,   kFullStop,       kComma,
                                               kProtectedEnding};

}  // namespace app::msg
