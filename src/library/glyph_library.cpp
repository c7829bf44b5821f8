// Loading, indexing, teaching and archiving of the glyph library.
#include "library/glyph_library.h"

#include <algorithm>
#include <charconv>
#include <utility>

// How the library never loses or repeats a record across a crash:
// - On disk, the archived records are word.wrd/word.sts and the journal newword.wrd/newword.sts;
//   the records are always "archived, then journal". Teaching rewrites only the journal.
// - Loading appends the journal after the archived records in memory and writes neither list
//   back, so any number of start-ups before the next archiving see each journal record once.
// - Every change of several files (archiving, the editor's save, a merge with the other
//   library's files, the two journal files of a teaching) is one WriteFilesTogether: staged
//   copies, then a commit record, then renames. Before the commit record exists the old files
//   stand; once it exists the next write or load completes the renames. So word.wrd, word.sts
//   and the emptied journal always change together, never one without the others.
// - word.ind is trusted at load only with an empty journal, so an index written while the
//   journal held records (it then lists journal positions too) is rebuilt rather than used.
namespace library {
namespace {

const IndexLine kEmptyLine;

// Files whose staged copies a write cut short before its commit may leave behind.
const std::vector<std::string>& OwnFileNames() {
  static const std::vector<std::string> names = {kTextsFileName, kFeaturesFileName, kIndexFileName,
                                                 kJournalTextsFileName, kJournalFeaturesFileName};
  return names;
}

// How often a loop over `total` units reports: a few hundred times per run at most.
int ProgressStep(int total) {
  return std::max(1, (total + 255) / 256);
}

}  // namespace

std::optional<int> FeatureKeyOf(std::string_view feature_line) {
  int sum = 0;
  size_t pos = 0;
  for (int field = 0; field < kDensityCount; ++field) {
    if (field > 0) {
      if (pos >= feature_line.size() || feature_line[pos] != ',') {
        return std::nullopt;
      }
      ++pos;
    }
    const size_t start = pos;
    int value = 0;
    while (pos < feature_line.size() && feature_line[pos] >= '0' && feature_line[pos] <= '9') {
      // Five digits are plenty for a density; more can only come from a damaged line.
      if (pos - start >= 5) {
        return std::nullopt;
      }
      value = value * 10 + (feature_line[pos] - '0');
      ++pos;
    }
    if (pos == start) {
      return std::nullopt;
    }
    sum += value;
  }
  // The 13th number must end the line or be followed by the size fields.
  if (pos < feature_line.size() && feature_line[pos] != ',') {
    return std::nullopt;
  }
  if (sum > kMaxFeatureKey) {
    return std::nullopt;
  }
  return sum;
}

std::string PictureName(int number) {
  if (number <= kPictureRing) {
    return std::to_string(number);
  }
  const int last = number % 1000;
  std::string name = std::to_string(last);
  return std::string(3 - name.size(), '0') + name;
}

int LoadFailureMessage(const text::Error& error) {
  if (error.code == "missing") {
    return kMessageLibraryMissing;
  }
  if (error.code == "mismatch") {
    return kMessageLibraryMismatch;
  }
  return 0;
}

text::Error Refusal(int message_number, const ports::MessageSource& messages) {
  return text::Error{std::to_string(message_number), messages.Message(message_number)};
}

int RefusalMessage(const text::Error& error) {
  if (error.code.empty() || error.code.size() > 6 ||
      !std::all_of(error.code.begin(), error.code.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  return std::stoi(error.code);
}

GlyphLibrary::GlyphLibrary(std::filesystem::path folder, std::shared_ptr<FileLayer> files)
    : folder_(std::filesystem::absolute(folder).lexically_normal()),
      files_(files ? std::move(files) : std::make_shared<RealFileLayer>()) {
  contents_.index.resize(kIndexLineCount);
}

text::Result<LoadReport> GlyphLibrary::Load(ports::EventPump& pump) {
  return LoadFiles(pump, false);
}

text::Result<LoadReport> GlyphLibrary::LoadReadOnly(ports::EventPump& pump) {
  return LoadFiles(pump, true);
}

namespace {

// word.wrd and word.sts as the main lists: Error "missing" (395) or "mismatch" (401).
text::Result<LibraryContents> ReadMainLists(FileLayer& files, const std::filesystem::path& folder) {
  if (!files.Exists(folder / kTextsFileName) || !files.Exists(folder / kFeaturesFileName)) {
    return text::Error{"missing",
                       "word.wrd or word.sts is missing in " + text::PathForMessage(folder)};
  }
  auto texts = files.ReadLines(folder / kTextsFileName);
  if (!texts.ok()) {
    return texts.error();
  }
  auto features = files.ReadLines(folder / kFeaturesFileName);
  if (!features.ok()) {
    return features.error();
  }
  if (texts.value().size() != features.value().size()) {
    return text::Error{"mismatch", "word.wrd holds " + std::to_string(texts.value().size()) +
                                       " lines but word.sts " +
                                       std::to_string(features.value().size())};
  }
  LibraryContents contents;
  contents.texts = std::move(texts).value();
  contents.features = std::move(features).value();
  return contents;
}

struct Journal {
  std::vector<std::string> texts;
  std::vector<std::string> features;
  int skipped_lines = 0;
};

// newword.wrd and newword.sts as paired lists. Both files are created empty when either is
// missing (unless `read_only`), as a text without its FeatureLine is no record.
text::Result<Journal> ReadJournal(FileLayer& files, const std::filesystem::path& folder,
                                  bool read_only) {
  Journal journal;
  const auto texts_path = folder / kJournalTextsFileName;
  const auto features_path = folder / kJournalFeaturesFileName;
  if (!files.Exists(texts_path) || !files.Exists(features_path)) {
    if (!read_only) {
      auto written = WriteFilesTogether(files, folder, {{texts_path, {}}, {features_path, {}}});
      if (!written.ok()) {
        return written.error();
      }
    }
    return journal;
  }
  auto texts = files.ReadLines(texts_path);
  if (!texts.ok()) {
    return texts.error();
  }
  auto features = files.ReadLines(features_path);
  if (!features.ok()) {
    return features.error();
  }
  journal.texts = std::move(texts).value();
  journal.features = std::move(features).value();
  // Files of different lengths can only come from outside damage (the program writes both in
  // one commit): the surplus lines of the longer one are left out and counted.
  const size_t pairs = std::min(journal.texts.size(), journal.features.size());
  journal.skipped_lines =
      static_cast<int>(journal.texts.size() + journal.features.size() - 2 * pairs);
  journal.texts.resize(pairs);
  journal.features.resize(pairs);
  return journal;
}

}  // namespace

text::Result<LoadReport> GlyphLibrary::LoadFiles(ports::EventPump& pump, bool read_only) {
  LoadReport report;
  if (read_only) {
    if (files_->Exists(PathOf(kCommitRecordName))) {
      return text::Error{"pending",
                         "An interrupted write of the library waits to be completed in " +
                             text::PathForMessage(folder_)};
    }
  } else {
    auto finished = FinishInterruptedWrite(*files_, folder_, OwnFileNames(),
                                           &report.finished_interrupted_write);
    if (!finished.ok()) {
      return finished.error();
    }
  }
  auto main = ReadMainLists(*files_, folder_);
  if (!main.ok()) {
    return main.error();
  }
  LibraryContents loaded = std::move(main).value();
  auto journal = ReadJournal(*files_, folder_, read_only);
  if (!journal.ok()) {
    return journal.error();
  }
  report.skipped_journal_lines = journal.value().skipped_lines;

  // Journal records follow the archived ones in memory only. word.wrd and word.sts stay as they
  // are until the next archiving, which writes the main files and empties the journal in one
  // commit; so every start-up before that appends the same journal exactly once.
  auto& journal_texts = journal.value().texts;
  auto& journal_features = journal.value().features;
  report.journal_records = static_cast<int>(journal_texts.size());
  loaded.texts.insert(loaded.texts.end(), journal_texts.begin(), journal_texts.end());
  loaded.features.insert(loaded.features.end(), journal_features.begin(), journal_features.end());

  // word.ind is trusted only when the journal is empty and it has exactly 13001 lines.
  const int record_count = static_cast<int>(loaded.texts.size());
  bool rebuild = !journal_texts.empty();
  if (!files_->Exists(PathOf(kIndexFileName))) {
    report.messages.push_back(kMessageIndexMissing);
    rebuild = true;
  } else if (!rebuild) {
    auto lines = files_->ReadLines(PathOf(kIndexFileName));
    if (!lines.ok()) {
      return lines.error();
    }
    if (lines.value().size() != static_cast<size_t>(kIndexLineCount)) {
      report.messages.push_back(kMessageIndexWrongLength);
      rebuild = true;
    } else {
      loaded.index = IndexFromLines(lines.value(), record_count, &report.bad_index_entries);
    }
  }

  int damaged = 0;
  if (rebuild) {
    loaded.index = BuildIndex(loaded.features, &damaged, &pump);
    if (!read_only) {
      auto written = WriteFilesTogether(*files_, folder_,
                                        {{PathOf(kIndexFileName), IndexToLines(loaded.index)}});
      if (!written.ok()) {
        return written.error();
      }
    }
    report.index_rebuilt = true;
    report.messages.push_back(kMessageIndexBuilt);
  } else {
    damaged = static_cast<int>(
        std::count_if(loaded.features.begin(), loaded.features.end(),
                      [](const std::string& line) { return !FeatureKeyOf(line).has_value(); }));
  }
  report.damaged_feature_lines = damaged;

  if (!read_only) {
    const auto pictures = folder_ / kPictureFolderName;
    if (!files_->Exists(pictures)) {
      if (auto created = files_->CreateFolder(pictures); !created.ok()) {
        return created.error();
      }
    }
  }

  contents_ = std::move(loaded);
  shapes_.emplace(contents_);
  journal_texts_ = std::move(journal_texts);
  journal_features_ = std::move(journal_features);
  damaged_feature_lines_ = damaged;
  bad_index_entries_ = report.bad_index_entries;
  skipped_journal_lines_ = report.skipped_journal_lines;
  return report;
}

text::Status GlyphLibrary::SetText(int position, std::string text) {
  if (position < 0 || position >= RecordCount()) {
    return text::Success();
  }
  const int in_journal = position - (RecordCount() - JournalCount());
  if (in_journal >= 0) {
    std::string old = std::exchange(journal_texts_[in_journal], text);
    auto written = WriteFilesTogether(*files_, folder_,
                                      {{PathOf(kJournalTextsFileName), journal_texts_},
                                       {PathOf(kJournalFeaturesFileName), journal_features_}});
    if (!written.ok()) {
      journal_texts_[in_journal] = std::move(old);
      return written.error();
    }
  }
  contents_.texts[position] = std::move(text);
  return text::Success();
}

const IndexLine& GlyphLibrary::Candidates(int key) const {
  if (key < 0 || key > kMaxFeatureKey) {
    return kEmptyLine;
  }
  return contents_.index[key];
}

const ShapeTable& GlyphLibrary::Shapes() const {
  if (!shapes_) {
    shapes_.emplace(contents_);
  }
  return *shapes_;
}

text::Result<int> GlyphLibrary::AddGlyph(std::string text, std::string feature_line, int key) {
  std::vector<NewGlyph> one;
  one.push_back({std::move(text), std::move(feature_line), key});
  return AddGlyphs(std::move(one));
}

text::Result<int> GlyphLibrary::AddGlyphs(std::vector<NewGlyph> glyphs) {
  for (const NewGlyph& glyph : glyphs) {
    if (glyph.key < 0 || glyph.key > kMaxFeatureKey) {
      return text::Error{"key",
                         "FeatureKey " + std::to_string(glyph.key) + " lies outside 0 to 13000"};
    }
  }
  const int first_number = RecordCount() + 1;
  if (glyphs.empty()) {
    return first_number;
  }
  const std::size_t journal_before = journal_texts_.size();
  for (const NewGlyph& glyph : glyphs) {
    journal_texts_.push_back(glyph.text);
    journal_features_.push_back(glyph.feature_line);
  }
  // The whole page is one write of the two journal files: its records land together or not.
  auto written = WriteFilesTogether(*files_, folder_,
                                    {{PathOf(kJournalTextsFileName), journal_texts_},
                                     {PathOf(kJournalFeaturesFileName), journal_features_}});
  if (!written.ok()) {
    journal_texts_.resize(journal_before);
    journal_features_.resize(journal_before);
    return written.error();
  }
  for (NewGlyph& glyph : glyphs) {
    contents_.texts.push_back(std::move(glyph.text));
    contents_.features.push_back(std::move(glyph.feature_line));
    const int position = RecordCount() - 1;
    contents_.index[glyph.key].push_back(position);
    if (shapes_) {
      shapes_->Append(glyph.key, position, contents_.features.back());
    }
  }
  return first_number;
}

std::vector<PlannedFile> GlyphLibrary::MainFilesPlan(LibraryContents& contents) const {
  // The main files first, then the emptied journal: the order in which the commit is completed.
  // The lists are moved into the plan (a large library is not copied for writing); TakeBack
  // returns them.
  std::vector<PlannedFile> plan;
  plan.reserve(5);
  plan.push_back({PathOf(kTextsFileName), std::move(contents.texts)});
  plan.push_back({PathOf(kFeaturesFileName), std::move(contents.features)});
  plan.push_back({PathOf(kIndexFileName), IndexToLines(contents.index)});
  plan.push_back({PathOf(kJournalTextsFileName), {}});
  plan.push_back({PathOf(kJournalFeaturesFileName), {}});
  return plan;
}

void GlyphLibrary::TakeBack(std::vector<PlannedFile>& plan, LibraryContents& contents) {
  contents.texts = std::move(plan[0].lines);
  contents.features = std::move(plan[1].lines);
}

text::Status GlyphLibrary::ArchiveJournal() {
  auto plan = MainFilesPlan(contents_);
  auto written = WriteFilesTogether(*files_, folder_, plan);
  TakeBack(plan, contents_);
  if (!written.ok()) {
    return written;
  }
  journal_texts_.clear();
  journal_features_.clear();
  skipped_journal_lines_ = 0;
  return text::Success();
}

text::Status GlyphLibrary::SaveContents(LibraryContents contents,
                                        std::vector<PlannedFile> extra_files) {
  auto plan = MainFilesPlan(contents);
  for (auto& file : extra_files) {
    plan.push_back(std::move(file));
  }
  auto written = WriteFilesTogether(*files_, folder_, plan);
  TakeBack(plan, contents);
  if (!written.ok()) {
    return written;
  }
  contents_ = std::move(contents);
  contents_.index.resize(kIndexLineCount);
  shapes_.emplace(contents_);
  journal_texts_.clear();
  journal_features_.clear();
  skipped_journal_lines_ = 0;
  bad_index_entries_ = 0;
  damaged_feature_lines_ = 0;
  for (const auto& line : contents_.features) {
    if (!FeatureKeyOf(line)) {
      ++damaged_feature_lines_;
    }
  }
  return text::Success();
}

text::Status GlyphLibrary::RebuildIndex(ports::EventPump& pump) {
  int damaged = 0;
  GlyphIndex index = BuildIndex(contents_.features, &damaged, &pump);
  auto written =
      WriteFilesTogether(*files_, folder_, {{PathOf(kIndexFileName), IndexToLines(index)}});
  if (!written.ok()) {
    return written;
  }
  contents_.index = std::move(index);
  shapes_.emplace(contents_);
  damaged_feature_lines_ = damaged;
  bad_index_entries_ = 0;
  return text::Success();
}

GlyphIndex GlyphLibrary::BuildIndex(const std::vector<std::string>& features, int* damaged,
                                    ports::EventPump* pump) {
  GlyphIndex index(kIndexLineCount);
  const int total = static_cast<int>(features.size());
  const int step = ProgressStep(total);
  int bad = 0;
  for (int i = 0; i < total; ++i) {
    if (pump != nullptr && i % step == 0) {
      pump->ReportProgress(i, total);
      pump->LetPendingEventsRun();
    }
    if (const auto key = FeatureKeyOf(features[i])) {
      index[*key].push_back(i);
    } else {
      ++bad;
    }
  }
  if (pump != nullptr && total > 0) {
    pump->ReportProgress(total, total);
  }
  if (damaged != nullptr) {
    *damaged = bad;
  }
  return index;
}

text::Lines GlyphLibrary::IndexToLines(const GlyphIndex& index) {
  text::Lines lines(kIndexLineCount);
  char buffer[16];
  for (size_t k = 0; k < index.size() && k < lines.size(); ++k) {
    std::string& line = lines[k];
    for (size_t j = 0; j < index[k].size(); ++j) {
      if (j > 0) {
        line += ',';
      }
      const auto end = std::to_chars(buffer, buffer + sizeof buffer, index[k][j]).ptr;
      line.append(buffer, end);
    }
  }
  return lines;
}

GlyphIndex GlyphLibrary::IndexFromLines(const text::Lines& lines, int record_count,
                                        int* bad_entries) {
  GlyphIndex index(kIndexLineCount);
  int bad = 0;
  for (size_t k = 0; k < lines.size() && k < index.size(); ++k) {
    const std::string& line = lines[k];
    size_t start = 0;
    while (start < line.size()) {
      size_t end = line.find(',', start);
      if (end == std::string::npos) {
        end = line.size();
      }
      int value = -1;
      const auto parsed = std::from_chars(line.data() + start, line.data() + end, value);
      if (parsed.ec == std::errc() && parsed.ptr == line.data() + end && value >= 0 &&
          value < record_count) {
        index[k].push_back(value);
      } else {
        ++bad;
      }
      start = end + 1;
    }
  }
  if (bad_entries != nullptr) {
    *bad_entries = bad;
  }
  return index;
}

std::filesystem::path GlyphLibrary::PicturePath(int number) const {
  return folder_ / kPictureFolderName / (PictureName(number) + ".bmp");
}

bool GlyphLibrary::HasPictureSlot(int number) const {
  return number >= 1 && number <= RecordCount() && number > RecordCount() - kPictureRing;
}

text::Result<bool> ConfirmAndRebuildIndex(GlyphLibrary& library, ports::MessagePort& port,
                                          const ports::MessageSource& messages,
                                          ports::EventPump& pump) {
  const ports::Question question{messages.Message(kMessageRebuildQuestion),
                                 messages.Message(kMessageCaptionConfirm),
                                 ports::Buttons::kOkCancel};
  if (port.Ask(question) != ports::Answer::kOk) {
    return false;
  }
  if (auto rebuilt = library.RebuildIndex(pump); !rebuilt.ok()) {
    return rebuilt.error();
  }
  return true;
}

}  // namespace library
