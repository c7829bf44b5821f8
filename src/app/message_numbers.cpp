// The list of every message number the program uses.
#include "app/message_numbers.h"

#include <algorithm>

namespace app::msg {

namespace {

// Each named message outside the runs that the language switch assigns in order.
constexpr int kNamedMessages[] = {
    kLibraryFilesMissing,
    kLoadingLibrary,
    kLibraryFilesDiffer,
    kIndexMissing,
    kIndexDamaged,
    kOpenUnsavedQuestion,
    kUnsavedCaption,
    kNotSubtitleExtension,
    kRowsReadPrefix,
    kPictureRowsReadSuffix,
    kTextRowsReadSuffix,
    kCloseUnsavedQuestion,
    kExitWhileRecognising,
    kExitMainUnsaved,
    kExitReferenceUnsaved,
    kExitArchiving,
    kCloseWhileRecognising,
    kCloseMainUnsaved,
    kCloseReferenceUnsaved,
    kCloseArchiving,
    kLibraryEmptyLabel,
    kMissingPicturePrefix,
    kMissingPictureSuffix,
    kPictureNotFound,
    kRecognitionStopped,
    kEstimatingSizes,
    kRowDetailsPrefix,
    kRowDetailsSuffix,
    kEditorTitlePrefix,
    kEditorTitleSuffix,
    kLibraryCountPrefix,
    kArchivedCountInfix,
    kJournalCountInfix,
    kStatisticsSuffix,
    kEditorSaveQuestion,
    kEditorNothingToSave,
    kEditorSaving,
    kEditorSaved,
    kChangeMark,
    kDeleteMark,
    kFoundPrefix,
    kEditorBadRange,
    kEditorRangeBeyondLibrary,
    kEditorRangeReversed,
    kEditorLargeRangeQuestion,
    kArchiving,
    kArchived,
    kDeleteListed,
    kCheckBeforeSaveQuestion,
    kCheckBeforeSaveCaption,
    kSpaceWidthLabel,
    kLibraryFileFilter,
    kMergeSubtitleFilter,
    kMergeOpenedSuffix,
    kStopMerge,
    kMergeNoFile,
    kMergeIntoItself,
    kMergeFilesMissing,
    kMergeOtherEmpty,
    kOtherCountInfix,
    kCountSuffix,
    kMergeQuestion,
    kRemainingInfix,
    kMergeStoppedNothingAdded,
    kMergeStoppedPrefix,
    kMergeStoppedSuffix,
    kMergeDoneNothingAdded,
    kMergeDonePrefix,
    kMergeDoneSuffix,
    kMergeSaving,
    kCropQuestion,
    kConfirmCaption,
    kCropProgress,
    kCropDone,
    kCropStopped,
    kOpeningQuote,
    kClosingQuote,
    kFullStop,
    kComma,
    kProtectedEnding,
    kCheckFinished,
    kSaveFilter,
    kOpenFilter,
    kExportNoPath,
    kExportBadRange,
    kExportOwnLibrary,
    kExportOverwriteQuestion,
    kExportDone,
    kRebuildIndexQuestion,
    kRebuildingIndex,
    kIndexRebuilt,
    kCheckingLibrary,
    kCheckReportHeading,
    kCheckTextsFeaturesDiffer,
    kCheckJournalDiffers,
    kCheckIndexBeyondEnd,
    kCheckUnlistedPrefix,
    kCheckUnlistedSuffix,
    kCheckMoreUnlisted,
    kCheckNoProblem,
    kOverlapsFixedPrefix,
    kOverlapsFixedSuffix,
    kNoOverlaps,
    kStartReplace,
    kEmptySearchText,
    kReplaceQuestionPrefix,
    kReplaceQuestionInfix,
    kReplaceQuestionAfter,
    kFindNext,
    kSearchFinished,
    kDeleteRowQuestion,
    kRestoreTimeQuestion,
    kTimeUnchanged,
    kRestoreTextQuestion,
    kTextUnchanged,
    kAutoOverlapOption,
    kAutoCheckOption,
    kHelpMissing,
    kAboutCredit,
};

constexpr MessageRange kOrderedRuns[] = {kMenuCaptions, kPanelCaptions, kEllipsisAndPhrase,
                                         kLowerCaptions, kGridHeadings};

}  // namespace

std::vector<int> UsedMessageNumbers() {
  std::vector<int> numbers;
  for (const MessageRange& run : kOrderedRuns) {
    for (int number = run.first; number <= run.last; number += kStep) {
      numbers.push_back(number);
    }
  }
  numbers.insert(numbers.end(), std::begin(kNamedMessages), std::end(kNamedMessages));
  numbers.insert(numbers.end(), std::begin(kAboutLines), std::end(kAboutLines));
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

}  // namespace app::msg
