// Merging another glyph library into the own one.
#include "library/library_merge.h"

#include <set>
#include <utility>

#include "library/library_editor.h"
#include "library/library_export.h"
#include "library/library_text.h"

namespace library {

text::Result<MergeSource> OpenMergeSource(const GlyphLibrary& library, const std::string& path_text,
                                          const ports::MessageSource& messages) {
  if (path_text.empty()) {
    return Refusal(kMessageMergeNoPath, messages);
  }
  MergeSource source;
  source.base = ExchangeBase(path_text);
  if (NamesOwnLibrary(source.base, library.Folder())) {
    return Refusal(kMessageMergeOwnFiles, messages);
  }
  auto wrd = source.base;
  wrd += ".wrd";
  auto sts = source.base;
  sts += ".sts";
  RealFileLayer files;
  // A pair whose export died between its two renames is finished first; one that cannot be
  // finished is refused, as its files may come from different exports.
  if (auto finished = FinishExchangePair(files, source.base); !finished.ok()) {
    return text::Error{"io", "An interrupted write of " + text::PathForMessage(sts) +
                                 " cannot be completed: " + finished.error().message};
  }
  if (!files.Exists(wrd) || !files.Exists(sts)) {
    return Refusal(kMessageMergeMissing, messages);
  }
  auto texts = files.ReadLines(wrd);
  if (!texts.ok()) {
    return texts.error();
  }
  auto features = files.ReadLines(sts);
  if (!features.ok()) {
    return features.error();
  }
  if (texts.value().empty()) {
    return Refusal(kMessageMergeEmpty, messages);
  }
  if (texts.value().size() != features.value().size()) {
    return text::Error{"mismatch", text::PathForMessage(wrd) + " holds " +
                                       std::to_string(texts.value().size()) + " lines but " +
                                       text::PathForMessage(sts) + " " +
                                       std::to_string(features.value().size())};
  }
  source.texts = std::move(texts).value();
  source.features = std::move(features).value();
  return source;
}

text::Result<MergeResult> RunMerge(GlyphLibrary& library, MergeSource& source,
                                   ports::EventPump& pump, ports::MessagePort& port,
                                   const ports::MessageSource& messages,
                                   const ports::WaitPanel& wait) {
  MergeResult result;
  result.total = static_cast<int>(source.texts.size());
  const ports::Question question{messages.Message(kMessageMergeQuestion),
                                 messages.Message(kMessageCaptionUnsaved), ports::Buttons::kYesNo};
  if (port.Ask(question) != ports::Answer::kYes) {
    result.declined = true;
    result.remaining = result.total;
    return result;
  }

  LibraryContents contents = library.Contents();
  const int own_count = static_cast<int>(contents.texts.size());
  // Damaged other records are kept for the other files so that nothing is lost there.
  std::vector<std::string> kept_texts;
  std::vector<std::string> kept_features;
  const int step = std::max(1, (result.total + 255) / 256);
  int next = 0;
  for (; next < result.total; ++next) {
    if (next % step == 0) {
      pump.LetPendingEventsRun();
      pump.ReportProgress(next, result.total);
    }
    if (pump.StopRequested()) {
      result.stopped = true;
      break;
    }
    const std::string& features = source.features[next];
    const auto key = FeatureKeyOf(features);
    if (!key) {
      ++result.damaged;
      kept_texts.push_back(source.texts[next]);
      kept_features.push_back(features);
      ++result.processed;
      continue;
    }
    IndexLine& line = contents.index[*key];
    bool known = false;
    for (const int position : line) {
      if (contents.features[position] == features) {
        known = true;
        break;
      }
    }
    if (!known) {
      line.push_back(static_cast<int>(contents.texts.size()));
      contents.texts.push_back(source.texts[next]);
      contents.features.push_back(features);
      ++result.added;
    }
    ++result.processed;
  }
  pump.ReportProgress(result.processed, result.total);

  // The other library keeps its damaged records and every record not yet processed.
  for (int i = next; i < result.total; ++i) {
    kept_texts.push_back(source.texts[i]);
    kept_features.push_back(source.features[i]);
  }
  result.remaining = static_cast<int>(kept_texts.size());

  if (result.stopped) {
    result.report = result.added > 0 ? messages.Message(kMessageMergeStoppedBefore) +
                                           std::to_string(result.added) +
                                           messages.Message(kMessageMergeStoppedAfter)
                                     : messages.Message(kMessageMergeStoppedNothing);
  } else {
    result.report = result.added > 0
                        ? messages.Message(kMessageMergeDoneBefore) + std::to_string(result.added) +
                              messages.Message(kMessageMergeDoneAfter)
                        : messages.Message(kMessageMergeDoneNothing);
  }

  if (result.added > 0) {
    auto wrd = source.base;
    wrd += ".wrd";
    auto sts = source.base;
    sts += ".sts";
    // The own files come first in the commit, the other library's shrunk files after them.
    std::vector<PlannedFile> others{{wrd, kept_texts}, {sts, kept_features}};
    if (wait.show) {
      wait.show(messages.Message(kMessageMergeWriting));
    }
    // The source lists are only copied from above, so a failed write leaves them whole.
    auto saved = library.SaveContents(std::move(contents), std::move(others));
    if (wait.hide) {
      wait.hide();
    }
    if (!saved.ok()) {
      return saved.error();
    }
    // A new record must not show a picture left by an older record of the same name; the ring
    // repeats names, so each name is deleted once.
    std::set<std::string> names;
    FileLayer& files = library.Files();
    for (int number = own_count + 1; number <= library.RecordCount(); ++number) {
      if (!names.insert(PictureName(number)).second) {
        continue;
      }
      const auto path = library.PicturePath(number);
      if (files.Exists(path)) {
        (void)files.Remove(path);
      }
    }
  } else {
    // Nothing was written: the other library's files, and so the source, keep every record.
    result.remaining = result.total;
    return result;
  }
  source.texts = std::move(kept_texts);
  source.features = std::move(kept_features);
  return result;
}

}  // namespace library
