// zentrope-cli ocr, features, analyse, estimate and crop: the recognition engine from the
// command line, with unknown glyphs answered from a file of actions.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/disc_recognition.h"
#include "app/glyph_guess.h"
#include "app/message_numbers.h"
#include "app/message_table.h"
#include "app/recognition_commands.h"
#include "app/sheet_file.h"
#include "app/subtitle_formats.h"
#include "cli/commands.h"
#include "cli/console_ports.h"
#include "cli/import_options.h"
#include "document/picture_files.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "library/glyph_library.h"
#include "ocr/bitmap_reader.h"
#include "ocr/cropping.h"
#include "ocr/features.h"
#include "ocr/glyph_sheet.h"
#include "ocr/held_pictures.h"
#include "ocr/read_ahead.h"
#include "ocr/recognition_run.h"
#include "ocr/row_analysis.h"
#include "ocr/size_estimate.h"
#include "platform/qt_picture.h"
#include "proof/check_rules.h"
#include "proof/time_overlap.h"
#include "settings/phrase_table.h"
#include "settings/settings_list.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace cli {
namespace {

// Error texts carry file names in the file system's own form and are printed as they stand.
int Fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 1;
}

std::filesystem::path WorkingFolder(const std::string& option) {
  return option.empty() ? std::filesystem::current_path() : std::filesystem::path(option);
}

// The message texts of the working folder's language.sys in the settings' language; English
// stand-ins for the few texts the commands show when the folder has none.
class CommandTexts : public ports::MessageSource {
 public:
  CommandTexts(const std::filesystem::path& folder, int language) {
    auto table = app::MessageTable::LoadFromFile(folder / "language.sys");
    if (table.ok()) {
      table_ = std::move(table.value());
      table_->SetLanguage(language);
    }
  }
  std::string Message(int number) const override {
    if (table_.has_value()) {
      return table_->Message(number);
    }
    static const std::map<int, std::string> kFallback = {
        {ocr::kMessageMissingPicture, "The picture file "},
        {ocr::kMessageMissingPictureQuestion, " is missing. Skip this row and go on?"},
        {ocr::kMessageQuestionCaption, "Question"},
        {app::msg::kOcrGuessUnavailable,
         "The OCR data could not be loaded; teaching goes on without OCR guesses: "}};
    const auto found = kFallback.find(number);
    return found == kFallback.end() ? std::string() : found->second;
  }

 private:
  std::optional<app::MessageTable> table_;
};

// The engine options the settings file gives (track bars and the ignore-size option); the
// window's defaults when the folder has no setup.sys.
ocr::EngineOptions OptionsFromSettings(const std::optional<settings::SettingsList>& settings) {
  ocr::EngineOptions options;
  if (settings.has_value()) {
    options.space_detection = settings->SpaceDetection();
    options.space_width = settings->SpaceWidth();
    options.line_detection = settings->LineHeight();
    options.ignore_size = settings->Flag(settings::kIgnoreGlyphSize);
    app::ApplyAssistance(settings->Assistance(), options);
  }
  return options;
}

std::optional<settings::SettingsList> LoadSettings(const std::filesystem::path& folder) {
  auto loaded = settings::SettingsList::LoadFromFile(folder / settings::kSettingsFileName);
  if (!loaded.ok()) {
    return std::nullopt;
  }
  return std::move(loaded.value());
}

// One answer of the answers file.
struct Answer {
  enum class Kind { kSave, kExpand, kUndo, kSkip, kAbort, kLeft, kRight, kNarrow, kWiden };
  Kind kind;
  std::string text;  // GBK, for kSave
};

// Why an answer's text cannot be taught, or "" when it can: the text is UTF-8 that GBK holds.
std::string UnteachableText(const std::string& utf8) {
  if (!text::IsValidUtf8(utf8)) {
    return "is not valid UTF-8";
  }
  if (utf8.find('\0') != std::string::npos) {
    return "holds a NUL byte";
  }
  if (text::Utf8ToGbk(utf8).replaced > 0) {
    return "holds characters GBK cannot hold";
  }
  return "";
}

text::Result<std::vector<Answer>> ReadAnswers(const std::filesystem::path& file) {
  // A pipe (--answers <(...)) is read to its end like a file.
  auto bytes = text::ReadFileOrPipeBytes(file);
  if (!bytes.ok()) {
    return bytes.error();
  }
  const text::Lines lines = text::SplitLines(bytes.value());
  static const std::map<std::string, Answer::Kind> kKinds = {
      {"expand", Answer::Kind::kExpand},  {"undo", Answer::Kind::kUndo},
      {"skip", Answer::Kind::kSkip},      {"abort", Answer::Kind::kAbort},
      {"move-left", Answer::Kind::kLeft}, {"move-right", Answer::Kind::kRight},
      {"narrow", Answer::Kind::kNarrow},  {"widen", Answer::Kind::kWiden}};
  std::vector<Answer> answers;
  int number = 0;
  for (const std::string& line : lines) {
    ++number;
    if (line.empty()) {
      continue;
    }
    if (line.rfind("save ", 0) == 0) {
      if (const std::string why = UnteachableText(line.substr(5)); !why.empty()) {
        return text::Error{
            "format",
            text::PathForMessage(file) + ":" + std::to_string(number) + ": the text to save " + why,
            number};
      }
      const auto converted = text::Utf8ToGbk(line.substr(5));
      answers.push_back({Answer::Kind::kSave, converted.text});
      continue;
    }
    const auto kind = kKinds.find(line);
    if (kind == kKinds.end()) {
      return text::Error{"format",
                         text::PathForMessage(file) + ":" + std::to_string(number) +
                             ": unknown answer \"" + line + "\"",
                         number};
    }
    answers.push_back({kind->second, ""});
  }
  return answers;
}

// Answers unknown glyphs from the answers file, in order; when they run out, either aborts
// (stop) or skips every further unknown glyph.
class ScriptTeacher : public ocr::Teacher {
 public:
  ScriptTeacher(std::vector<Answer> answers, bool skip_when_done)
      : answers_(std::move(answers)), skip_when_done_(skip_when_done) {}

  void Teach(ocr::TeachingSession& session) override {
    while (session.IsOpen()) {
      if (next_ >= answers_.size()) {
        ++unknown_left_;
        if (skip_when_done_) {
          session.Skip();
        } else {
          session.Abort();
        }
        return;
      }
      const Answer& answer = answers_[next_++];
      switch (answer.kind) {
        case Answer::Kind::kSave: {
          auto saved = session.Save(answer.text);
          if (!saved.ok()) {
            std::fprintf(stderr, "error: %s\n", saved.error().message.c_str());
            if (session.IsOpen()) {
              session.Abort();
            }
          }
          break;
        }
        case Answer::Kind::kExpand:
          session.Expand();
          break;
        case Answer::Kind::kUndo:
          session.Undo();
          break;
        case Answer::Kind::kSkip:
          session.Skip();
          break;
        case Answer::Kind::kAbort:
          session.Abort();
          break;
        case Answer::Kind::kLeft:
          session.MoveBoxLeft();
          break;
        case Answer::Kind::kRight:
          session.MoveBoxRight();
          break;
        case Answer::Kind::kNarrow:
          session.NarrowBox();
          break;
        case Answer::Kind::kWiden:
          session.WidenBox();
          break;
      }
    }
  }

  int UnknownLeft() const {
    return unknown_left_;
  }
  std::size_t AnswersUsed() const {
    return next_;
  }
  std::size_t AnswerCount() const {
    return answers_.size();
  }

 private:
  std::vector<Answer> answers_;
  std::size_t next_ = 0;
  bool skip_when_done_;
  int unknown_left_ = 0;
};

// A JSON string of a UTF-8 text: quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// The teaching protocol for scripts: one JSON object per question on stdout, one answer per line
// on stdin. Answers: the answers-file words, "accept K" (suggestion K, 1-based) and
// "box LEFT WIDTH". The end of stdin aborts the run.
class StdioTeacher : public ocr::Teacher {
 public:
  StdioTeacher(const document::SubtitleDocument& subtitle, ocr::Recogniser& recogniser)
      : subtitle_(subtitle), recogniser_(recogniser) {}

  void Teach(ocr::TeachingSession& session) override {
    while (session.IsOpen()) {
      Ask(session);
      std::string line;
      if (!ReadLine(line)) {
        session.Abort();
        return;
      }
      Answer(session, line);
    }
  }

  int Unreadable() const {
    return unreadable_;
  }
  // Question lines written, the same glyph asked again included.
  int LinesWritten() const {
    return lines_written_;
  }

 private:
  static bool ReadLine(std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
      line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    return c != EOF || !line.empty();
  }

  void Ask(const ocr::TeachingSession& session) const {
    const int row = recogniser_.CurrentRow();
    const ocr::GlyphBox& box = session.Box();
    std::string json =
        "{\"row\":" + std::to_string(row) + ",\"picture\":" +
        JsonString(text::GbkToUtf8(subtitle_.main.Cell(document::kPicture, row)).text) +
        ",\"glyph_width\":" + std::to_string(session.GlyphWidth()) +
        ",\"line\":{\"top\":" + std::to_string(session.LineTop()) +
        ",\"height\":" + std::to_string(session.LineHeight()) +
        "},\"box\":{\"left\":" + std::to_string(box.left) + ",\"top\":" + std::to_string(box.top) +
        ",\"width\":" + std::to_string(box.width) + ",\"height\":" + std::to_string(box.height) +
        "},\"segments\":[";
    const auto& segments = session.Segments();
    for (std::size_t i = 0; i < segments.size(); ++i) {
      json += (i > 0 ? ",[" : "[") + std::to_string(segments[i].left) + "," +
              std::to_string(segments[i].right) + "]";
    }
    // The ink of each segment over the line band, so that a script can tell a stroke from noise.
    json += "],\"ink\":[";
    const ocr::PixelGrid& grid = recogniser_.Grid();
    for (std::size_t i = 0; i < segments.size(); ++i) {
      int ink = 0;
      for (int y = session.LineTop(); y < session.LineTop() + session.LineHeight(); ++y) {
        for (int x = segments[i].left; x < segments[i].right; ++x) {
          ink += grid.Ink(x, y) ? 1 : 0;
        }
      }
      json += (i > 0 ? "," : "") + std::to_string(ink);
    }
    json += "],\"current\":" + std::to_string(session.CurrentSegment()) +
            ",\"start\":" + std::to_string(session.StartSegment()) +
            ",\"text\":" + JsonString(text::GbkToUtf8(session.PictureTextSoFar()).text) +
            ",\"suggestions\":[";
    const auto& suggestions = session.Suggestions();
    for (std::size_t i = 0; i < suggestions.size(); ++i) {
      json += (i > 0 ? ",{\"text\":" : "{\"text\":") +
              JsonString(text::GbkToUtf8(suggestions[i].text).text) + ",\"source\":\"" +
              ocr::SourceName(suggestions[i].source) + "\"";
      if (suggestions[i].source == ocr::SuggestionSource::kLibrary) {
        json += ",\"distance\":" + std::to_string(suggestions[i].distance);
      }
      json += "}";
    }
    // The question's number: the same glyph asked again after a box change keeps it.
    json += "],\"id\":" + std::to_string(recogniser_.Counts().questions) + "}\n";
    ++lines_written_;
    std::fputs(json.c_str(), stdout);
    std::fflush(stdout);
  }

  void Answer(ocr::TeachingSession& session, const std::string& line) {
    if (line.rfind("save ", 0) == 0) {
      // Nothing that would reach the library as '?' or cut a record short is taught.
      if (const std::string why = UnteachableText(line.substr(5)); !why.empty()) {
        ++unreadable_;
        std::fprintf(stderr, "warning: the text to save %s; the question is asked again\n",
                     why.c_str());
        return;
      }
      const auto converted = text::Utf8ToGbk(line.substr(5));
      Report(session.Save(converted.text), session);
      return;
    }
    int first = 0;
    int second = 0;
    if (std::sscanf(line.c_str(), "accept %d", &first) == 1) {
      Report(session.Accept(first - 1), session);
      return;
    }
    if (std::sscanf(line.c_str(), "box %d %d", &first, &second) == 2) {
      session.SetBox(first, second);
      return;
    }
    static const std::map<std::string, void (ocr::TeachingSession::*)()> kActions = {
        {"expand", &ocr::TeachingSession::Expand},
        {"undo", &ocr::TeachingSession::Undo},
        {"skip", &ocr::TeachingSession::Skip},
        {"abort", &ocr::TeachingSession::Abort},
        {"move-left", &ocr::TeachingSession::MoveBoxLeft},
        {"move-right", &ocr::TeachingSession::MoveBoxRight},
        {"narrow", &ocr::TeachingSession::NarrowBox},
        {"widen", &ocr::TeachingSession::WidenBox}};
    const auto action = kActions.find(line);
    if (action == kActions.end()) {
      // The question is asked again; the script sees it did not move on.
      ++unreadable_;
      std::fprintf(stderr, "warning: unknown answer \"%s\"\n", line.c_str());
      return;
    }
    (session.*(action->second))();
  }

  static void Report(const text::Status& status, ocr::TeachingSession& session) {
    if (!status.ok()) {
      std::fprintf(stderr, "error: %s\n", status.error().message.c_str());
      if (session.IsOpen()) {
        session.Abort();
      }
    }
  }

  const document::SubtitleDocument& subtitle_;
  ocr::Recogniser& recogniser_;
  int unreadable_ = 0;
  mutable int lines_written_ = 0;
};

// Reads a picture subtitle as the main subtitle, its pictures in its own folder. Picture names
// that leave the folder are refused, naming their rows, unless `allow_outside`.
text::Status ReadPictureSubtitle(const std::filesystem::path& file,
                                 document::SubtitleDocument& subtitle, bool allow_outside) {
  subtitle.source_extension = document::LowerCaseExtension(file);
  if (subtitle.source_extension != ".srt") {
    return text::Error{"format", file.string() + " is not a picture subtitle (.srt)"};
  }
  auto read = document::ReadSubtitleFile(file, document::Role::kMain, subtitle);
  if (!read.ok()) {
    return read.error();
  }
  if (!subtitle.picture_mode) {
    return text::Error{"format", file.string() +
                                     " is not a picture subtitle: its first entry does not "
                                     "name a picture ending in 1.bmp"};
  }
  subtitle.source_file = std::filesystem::absolute(file);
  subtitle.picture_folder = subtitle.source_file.parent_path();
  subtitle.pictures_outside_allowed = allow_outside;
  if (const auto outside = document::RowsWithPicturesOutside(subtitle); !outside.empty()) {
    return text::Error{"outside",
                       file.string() + ": " + std::to_string(outside.size()) +
                           " rows name pictures outside its folder: " +
                           ForTerminal(document::DescribePictureRows(subtitle, outside)) +
                           " (--allow-outside-pictures reads and writes them)"};
  }
  return text::Success();
}

// Opens the disc subtitle `file` as the picture subtitle its import would give, the pictures
// held in `pictures` (and written to `pictures_dir` when given); the read is summed up on stderr.
text::Status ReadDiscSubtitle(const std::filesystem::path& file, const DiscArguments& disc,
                              const std::string& pictures_dir, document::SubtitleDocument& subtitle,
                              ocr::HeldPictureIo& pictures) {
  ports::NullEventPump quiet;
  import::ImportOptions options = ImportOptionsFrom(disc);
  auto read = app::OpenDiscSubtitle(file, options, pictures_dir, quiet, subtitle, pictures);
  if (!read.ok()) {
    if (read.error().code == "exists") {
      return text::Error{"exists",
                         read.error().message + " (--pictures needs a new or empty folder)"};
    }
    return read.error();
  }
  const import::ImportReport& report = read.value();
  std::fprintf(stderr, "%s: %d pictures from %s to %s (track %d)%s\n", file.c_str(),
               report.pictures, import::SrtTime(report.first_start).c_str(),
               import::SrtTime(report.last_end).c_str(), report.track.number,
               report.halved > 0 ? ", at half size" : "");
  if (!pictures_dir.empty()) {
    std::fprintf(stderr, "written: %s\n", report.subtitle_file.c_str());
  }
  return text::Success();
}

// Reads the text subtitle whose rows teach glyphs into the reference table.
text::Status ReadReferenceSubtitle(const std::filesystem::path& file,
                                   document::SubtitleDocument& subtitle) {
  const std::string extension = document::LowerCaseExtension(file);
  subtitle.format_rules = document::FormatRules::kFull;
  if (!app::IsSubtitleExtension(extension, subtitle.format_rules)) {
    return text::Error{"format",
                       file.string() + " is not a text subtitle (.srt, .ssa, .ass or .vtt)"};
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    return text::Error{"io", file.string() + ": no such subtitle file"};
  }
  auto read = document::ReadSubtitleFile(file, document::Role::kReference, subtitle);
  // The recognised subtitle is written as before: the rules served the reference only.
  subtitle.format_rules = document::FormatRules::kAsBefore;
  subtitle.input_encoding.reset();
  if (!read.ok()) {
    return read.error();
  }
  subtitle.reference_file = std::filesystem::absolute(file);
  return text::Success();
}

// Which post-run options run: the --check and --fix-overlaps switches, or setup.sys's flags
// when a switch is not given (off without a setup.sys).
struct PostOptions {
  bool fix_overlaps = false;
  bool check = false;
};

bool SwitchOr(const std::string& value, bool fallback) {
  return value.empty() ? fallback : value == "on";
}

// The post-run options: time-overlap correction, then check and proofread (its proposals
// applied as a confirmed review), each reported on its own line whether it ran or not.
void RunPostOptions(const PostOptions& post, bool due,
                    const std::optional<settings::SettingsList>& loaded,
                    const std::filesystem::path& folder, const ports::MessageSource& texts,
                    document::SubtitleDocument& subtitle) {
  const char* kNotRun = "not run (the run did not complete)";
  if (!post.fix_overlaps || !due) {
    std::fprintf(stderr, "time-overlap correction: %s\n", post.fix_overlaps ? kNotRun : "off");
  } else {
    const int fixed = proof::FixTimeOverlaps(subtitle.main);
    std::fprintf(stderr, "time-overlap correction: ran, %d overlaps corrected\n", fixed);
  }
  if (!post.check || !due) {
    std::fprintf(stderr, "check and proofread: %s\n", post.check ? kNotRun : "off");
    return;
  }
  const settings::SettingsList settings = loaded.value_or(settings::SettingsList());
  proof::CheckOptions options;
  options.quotes_to_full_width = settings.FullWidthQuotes();
  options.pair_quotes = settings.UnpairedQuotes();
  options.inner_full_stops = settings.InnerFullStop();
  options.drop_final_stop = settings.EndPunctuation();
  options.ellipsis = static_cast<proof::EllipsisForm>(settings.EllipsisForm());
  options.apply_phrases = settings.PhraseReplacementOn();
  options.skip_placeholder = settings.Assistance().skip_placeholder;
  options.forms = proof::PunctuationForms::FromMessages(texts);
  if (options.forms.full_stop.empty()) {
    options.forms = proof::PunctuationForms::SimplifiedChinese();
  }
  auto phrases = settings::PhraseTable::LoadFromFile(folder / "replace.sys");
  if (phrases.ok()) {
    for (const std::string& line : phrases.value().Lines()) {
      const auto pair = settings::SplitPhraseLine(line);
      if (settings::IsStorablePair(pair)) {
        options.phrases.push_back({pair.search, pair.replacement});
      }
    }
  }
  ports::NullEventPump pump;
  const auto review = proof::RunCheck(subtitle, options, pump);
  const auto confirmed = proof::ConfirmReview(review.rows, subtitle);
  std::fprintf(stderr, "check and proofread: ran, %d texts changed\n", confirmed.written);
}

// Answers the missing-picture question with Yes without printing it, and counts: a subtitle
// whose pictures are all missing would otherwise print one question per row. The run's summary
// reports the count, and missing pictures fail the command.
class QuietMissingPictures : public ports::MessagePort {
 public:
  void Inform(ports::Severity severity, const std::string& text) override {
    console_.Inform(severity, text);
  }
  ports::Answer Ask(const ports::Question& /*question*/) override {
    return ports::Answer::kYes;
  }

 private:
  ConsoleMessages console_{ports::Answer::kYes};
};

struct OcrArguments {
  std::string subtitle;
  std::string output;
  std::string working_folder;
  std::string answers;
  std::string unknown = "stop";
  std::string check;                        // "on", "off", or empty for setup.sys's choice
  std::string fix_overlaps;                 // likewise
  std::string reference;                    // text subtitle whose rows teach glyphs, paired by time
  std::string reference_encoding = "auto";  // its encoding, as --input-encoding names it
  bool teach_stdio = false;
  std::string collect;         // the sheet file a collecting run writes
  bool allow_outside = false;  // picture names may leave the subtitle's folder
  int start_row = 1;
  int line_height = -1;
  int glyph_width = -1;
  int jobs = ocr::DefaultJobs();
  std::string reader = "core";
  DiscArguments disc;    // a disc subtitle's track, ink and picture size
  std::string pictures;  // folder for a disc subtitle's import output; empty: none written
};

// Exit status: 0 when every row was recognised, 2 when the run ended early, 1 on an error: a
// picture that could not be read, answers left over in stop mode or a file that could not be
// written (then no output file is written), or missing or unusable pictures (then the rows
// recognised are written and the skipped rows are listed).
int RunOcr(const OcrArguments& arguments) {
  const auto started = std::chrono::steady_clock::now();
  const std::filesystem::path folder = WorkingFolder(arguments.working_folder);
  const auto settings = LoadSettings(folder);
  const CommandTexts texts(folder, settings.has_value() ? settings->Language() : 1);
  QuietMissingPictures messages;
  ConsoleEventPump pump;

  // Bitmaps are read by the core reader; the toolkit's reader stays available for comparison.
  // A disc subtitle's pictures are held in memory in front of them.
  platform::QtPictureIo toolkit_pictures;
  ocr::BitmapFileIo core_pictures(toolkit_pictures);
  ocr::PictureIo& files = arguments.reader == "toolkit"
                              ? static_cast<ocr::PictureIo&>(toolkit_pictures)
                              : static_cast<ocr::PictureIo&>(core_pictures);
  ocr::HeldPictureIo held_pictures(files);
  const bool disc = app::IsDiscSubtitleFile(arguments.subtitle);
  ocr::PictureIo& pictures = disc ? static_cast<ocr::PictureIo&>(held_pictures) : files;

  document::SubtitleDocument subtitle(document::UndoHistory::kNotRecorded);
  auto read_reference = [&]() -> text::Status {
    if (arguments.reference.empty()) {
      return text::Success();
    }
    if (!app::ParseInputEncoding(arguments.reference_encoding, subtitle.input_encoding)) {
      return text::Error{
          "encoding", "--input-encoding " + arguments.reference_encoding + " is not an encoding"};
    }
    return ReadReferenceSubtitle(arguments.reference, subtitle);
  };
  // A disc subtitle is decoded on a thread of its own while the library loads; nothing else
  // touches the document or the held pictures until it is done.
  std::future<text::Status> disc_read;
  if (disc) {
    disc_read = std::async(std::launch::async, [&] {
      return ReadDiscSubtitle(arguments.subtitle, arguments.disc, arguments.pictures, subtitle,
                              held_pictures);
    });
  } else {
    if (!arguments.pictures.empty() || arguments.disc.track != 0 || arguments.disc.ink != "auto" ||
        arguments.disc.threshold.has_value() || arguments.disc.scale != "auto") {
      return Fail(
          "--pictures, --track, --ink, --ink-threshold and --scale are options of a disc "
          "subtitle (.sup, .idx, .mkv, .mks, .ts, .m2ts)");
    }
    if (auto read = ReadPictureSubtitle(arguments.subtitle, subtitle, arguments.allow_outside);
        !read.ok()) {
      return Fail(read.error().message);
    }
    if (auto read = read_reference(); !read.ok()) {
      return Fail(read.error().message);
    }
  }
  std::vector<Answer> answers;
  if (!arguments.answers.empty()) {
    auto read = ReadAnswers(arguments.answers);
    if (!read.ok()) {
      return Fail(read.error().message);
    }
    answers = std::move(read.value());
  }
  library::GlyphLibrary library(folder);
  auto loaded = library.Load(pump);
  if (!loaded.ok()) {
    const int number = library::LoadFailureMessage(loaded.error());
    const std::string text = number > 0 ? ForTerminal(texts.Message(number)) : std::string();
    return Fail(loaded.error().message + (text.empty() ? "" : " (" + text + ")"));
  }
  if (disc) {
    if (auto read = disc_read.get(); !read.ok()) {
      return Fail(read.error().message);
    }
    if (auto read = read_reference(); !read.ok()) {
      return Fail(read.error().message);
    }
  }

  ocr::Recogniser recogniser(library, pictures);
  recogniser.Options() = OptionsFromSettings(settings);
  if (!arguments.reference.empty()) {
    recogniser.SetReferenceTable(&subtitle.reference);
    if (!recogniser.Options().reference_teaching) {
      std::fprintf(stderr,
                   "teaching from the reference: off in setup.sys, the reference is not "
                   "used\n");
    }
  }
  const auto estimate = ocr::EstimateStandardSizes(recogniser, subtitle, ocr::kDefaultSampleLines);
  if (arguments.line_height >= 0) {
    recogniser.Options().line_height = arguments.line_height;
  }
  if (arguments.glyph_width >= 0) {
    recogniser.Options().glyph_width = arguments.glyph_width;
  }
  std::fprintf(stderr, "standard sizes: line height %d, glyph width %d (estimated %d, %d)\n",
               recogniser.Options().line_height, recogniser.Options().glyph_width,
               estimate.line_height, estimate.glyph_width);

  // The OCR guess serves the questions a script reads; an answers file never reads suggestions.
  std::unique_ptr<ocr::GlyphGuesser> guesser;
  const bool collecting = !arguments.collect.empty();
  if (arguments.teach_stdio || collecting) {
    guesser = app::MakeGlyphGuesser(
        settings.has_value() ? settings->Assistance() : settings::TeachingAssistance{},
        settings.has_value() ? settings->Language() : 1,
        [&texts](guess::Script script, const std::string& problem) {
          std::fprintf(stderr, "%s\n",
                       ForTerminal(app::GuessUnavailableText(texts, script, problem)).c_str());
        });
    recogniser.SetGuesser(guesser.get());
  }
  const bool stop_mode = arguments.unknown != "skip";
  ScriptTeacher script_teacher(std::move(answers), !stop_mode);
  StdioTeacher stdio_teacher(subtitle, recogniser);
  ocr::GlyphSheet sheet;
  sheet.SetSubtitle(subtitle.source_file);
  std::optional<ocr::CollectingTeacher> collector;
  if (collecting) {
    collector.emplace(recogniser, subtitle, sheet);
  }
  ocr::Teacher& chosen = collecting              ? static_cast<ocr::Teacher&>(*collector)
                         : arguments.teach_stdio ? static_cast<ocr::Teacher&>(stdio_teacher)
                                                 : static_cast<ocr::Teacher&>(script_teacher);
  const ScriptTeacher& teacher = script_teacher;
  const ocr::RunPorts ports{chosen, pump, messages, texts};
  const auto outcome =
      ocr::RunRecognition(recogniser, subtitle, arguments.start_row, ports, arguments.jobs);
  std::fputc('\n', stderr);
  collector.reset();
  if (collecting) {
    const auto candidates_started = std::chrono::steady_clock::now();
    // The guess's engine reads the lines of the new shapes whole too.
    sheet.FinishCandidates(library, guesser.get(), recogniser.Options().ignore_size,
                           dynamic_cast<ocr::LineReader*>(guesser.get()));
    const double candidate_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - candidates_started)
            .count();
    if (auto written = app::WriteSheetFile(arguments.collect, sheet); !written.ok()) {
      return Fail(written.error().message);
    }
    std::fprintf(stderr, "shapes collected: %zu\noccurrences: %d\ncandidates: %.2f s\n",
                 sheet.Shapes().size(), sheet.OccurrenceCount(), candidate_seconds);
  }
  for (const auto& warning : recogniser.Warnings()) {
    std::fprintf(stderr, "warning: %s\n", warning.message.c_str());
  }
  const PostOptions post{
      SwitchOr(arguments.fix_overlaps, settings.has_value() && settings->AutoTimeFix()),
      SwitchOr(arguments.check, settings.has_value() && settings->Flag(settings::kAutoCheck))};
  RunPostOptions(post, outcome.post_run_due, settings, folder, texts, subtitle);

  int status = outcome.end == ocr::RunEnd::kCompleted ? 0 : 2;
  std::vector<std::string> failures;
  if (outcome.error.has_value()) {
    failures.push_back(outcome.error->message);
  }
  for (const auto& unusable : outcome.unusable_pictures) {
    failures.push_back(unusable.message);
  }
  const int rows = subtitle.main.RowCount() - 1;
  if (outcome.pictures_missing > 0) {
    failures.push_back(std::to_string(outcome.pictures_missing) + " of " + std::to_string(rows) +
                       " pictures are missing or unusable");
    failures.push_back(
        "rows skipped for their pictures: " +
        ForTerminal(document::DescribePictureRows(subtitle, outcome.missing_rows, 20)));
  }
  const std::size_t picture_failures = failures.size();
  const bool answers_given = !arguments.answers.empty();
  if (answers_given && stop_mode && teacher.AnswersUsed() < teacher.AnswerCount()) {
    failures.push_back(std::to_string(teacher.AnswerCount() - teacher.AnswersUsed()) +
                       " answers were left over: the answers file does not fit this run");
  }
  if (library.JournalCount() > 0) {
    if (auto archived = library.ArchiveJournal(); !archived.ok()) {
      failures.push_back(archived.error().message);
    }
  }
  if (!failures.empty()) {
    status = 1;
  }
  const bool nothing = outcome.rows_recognised == 0;
  // Skipped pictures fail the command, but the rows recognised around them are still written.
  const bool only_pictures_failed = failures.size() == picture_failures && !outcome.error;
  bool written = false;
  if (!arguments.output.empty() && (status != 1 || only_pictures_failed) && !nothing) {
    subtitle.save_extension = document::LowerCaseExtension(arguments.output);
    document::WriteOptions options;
    options.working_folder = folder;
    if (auto saved =
            document::WriteSubtitleFile(arguments.output, document::Role::kMain, subtitle, options);
        !saved.ok()) {
      failures.push_back(saved.error().message);
      status = 1;
    } else {
      written = true;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr,
               "rows recognised: %d\nglyphs matched: %d\nglyphs taught: %d\nglyphs skipped: %d\n",
               outcome.rows_recognised, outcome.glyphs.matched, outcome.glyphs.taught,
               outcome.glyphs.skipped - (stop_mode ? 0 : teacher.UnknownLeft()));
  if (!stop_mode) {
    std::fprintf(stderr, "unknown glyphs skipped after the answers ran out: %d\n",
                 teacher.UnknownLeft());
  }
  if (answers_given) {
    std::fprintf(stderr, "answers used %zu of %zu\n", teacher.AnswersUsed(), teacher.AnswerCount());
  }
  if (arguments.teach_stdio && !collecting) {
    std::fprintf(stderr,
                 "questions asked: %d\nglyphs asked about: %d\nanswers typed: %d\n"
                 "suggestions accepted: %d\nautomatic teachings: %d\n",
                 stdio_teacher.LinesWritten(), outcome.glyphs.questions, outcome.glyphs.typed,
                 outcome.glyphs.accepted, outcome.glyphs.automatic);
  }
  if (!arguments.reference.empty() && !arguments.teach_stdio) {
    std::fprintf(stderr, "automatic teachings: %d\n", outcome.glyphs.automatic);
  }
  for (const auto& teaching : recogniser.AutomaticTeachings()) {
    std::fprintf(stderr, "taught from the reference: row %d (%s) %s as record %d\n", teaching.row,
                 ForTerminal(subtitle.main.Cell(document::kPicture, teaching.row)).c_str(),
                 ForTerminal(teaching.text).c_str(), teaching.number);
  }
  std::fprintf(stderr, "pictures missing: %d\ntime: %.2f s\n", outcome.pictures_missing, seconds);
  if (outcome.end != ocr::RunEnd::kCompleted) {
    std::fprintf(stderr, "stopped at row %d with %d rows not recognised\n", outcome.next_start_row,
                 std::max(0, rows - outcome.next_start_row + 1));
  }
  for (const auto& failure : failures) {
    Fail(failure);
  }
  if (!written && !arguments.output.empty()) {
    std::fprintf(stderr, "%s was not written%s\n", arguments.output.c_str(),
                 nothing ? ": no row was recognised" : "");
  } else if (written && status == 1) {
    std::fprintf(stderr, "%s was written with the %d rows recognised\n", arguments.output.c_str(),
                 outcome.rows_recognised);
  }
  return status;
}

// Parses "L,T,W,H".
std::optional<ocr::GlyphBox> ParseBox(const std::string& text) {
  int values[4] = {0, 0, 0, 0};
  std::size_t position = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = text.find(',', position);
    const std::string field =
        text.substr(position, comma == std::string::npos ? std::string::npos : comma - position);
    if (field.empty() || field.find_first_not_of("-0123456789") != std::string::npos) {
      return std::nullopt;
    }
    try {
      values[i] = std::stoi(field);
    } catch (const std::exception&) {
      return std::nullopt;
    }
    if ((comma == std::string::npos) != (i == 3)) {
      return std::nullopt;
    }
    position = comma + 1;
  }
  return ocr::GlyphBox{values[0], values[1], values[2], values[3]};
}

text::Result<std::unique_ptr<ocr::Picture>> LoadPicture(platform::QtPictureIo& pictures,
                                                        const std::string& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    return text::Error{"io", file + ": no such picture file"};
  }
  // A FIFO, a folder or a device is named as what it is, and never opened.
  if (auto regular = text::CheckRegularFile(file); !regular.ok()) {
    return regular.error();
  }
  return pictures.Load(file);
}

int RunFeatures(const std::string& bitmap, const std::string& box_text, bool ignore_size) {
  const auto box = ParseBox(box_text);
  if (!box.has_value()) {
    return Fail("--box takes four integers: left,top,width,height");
  }
  platform::QtPictureIo pictures;
  auto picture = LoadPicture(pictures, bitmap);
  if (!picture.ok()) {
    return Fail(picture.error().message);
  }
  auto grid = std::make_unique<ocr::PixelGrid>();
  if (auto prepared = grid->Prepare(*picture.value()); !prepared.ok()) {
    return Fail(bitmap + ": " + prepared.error().message);
  }
  if (!ocr::BoxInPicture(*grid, *box)) {
    return Fail("--box " + box_text + " does not lie inside the prepared picture (" +
                std::to_string(grid->Width()) + " x " + std::to_string(grid->Height()) +
                "): it needs left, top >= 0, width, height >= 1 and must end inside it");
  }
  std::string line;
  ocr::ComputeFeatures(*grid, *box, ignore_size, line);
  std::printf("%s\n", line.c_str());
  return 0;
}

// Lists every unknown glyph as skipped, so the analysis never waits.
class SkippingTeacher : public ocr::Teacher {
 public:
  void Teach(ocr::TeachingSession& session) override {
    session.Skip();
  }
};

int RunAnalyse(const std::string& bitmap, const std::string& working_folder, int line_height,
               int glyph_width) {
  const std::filesystem::path folder = WorkingFolder(working_folder);
  ConsoleEventPump pump;
  library::GlyphLibrary library(folder);
  auto loaded = library.Load(pump);
  if (!loaded.ok()) {
    std::fprintf(stderr, "warning: no glyph library: %s\n", loaded.error().message.c_str());
  }
  platform::QtPictureIo pictures;
  ocr::Recogniser recogniser(library, pictures);
  recogniser.Options() = OptionsFromSettings(LoadSettings(folder));
  recogniser.Options().line_height = std::max(line_height, 0);
  recogniser.Options().glyph_width = std::max(glyph_width, 0);
  auto picture = LoadPicture(pictures, bitmap);
  if (!picture.ok()) {
    return Fail(picture.error().message);
  }
  if (auto prepared = recogniser.Prepare(*picture.value()); !prepared.ok()) {
    return Fail(bitmap + ": " + prepared.error().message);
  }
  const auto& grid = recogniser.Grid();
  std::printf("grid %d x %d, top offset %d\n", grid.Width(), grid.Height(), grid.TopOffset());
  std::vector<ocr::Segment> segments;
  int number = 0;
  for (const auto& line : recogniser.Lines()) {
    ocr::CutSegments(grid, line.top, line.height, recogniser.Options().glyph_width, segments);
    std::printf("line %d: top %d, height %d, %zu segments:", ++number, line.top, line.height,
                segments.size());
    for (const auto& segment : segments) {
      std::printf(" %d-%d", segment.left, segment.right);
    }
    std::printf("\n");
  }
  if (loaded.ok()) {
    SkippingTeacher teacher;
    const auto analysis = ocr::AnalyseRow(recogniser, teacher, pump);
    for (const auto& glyph : analysis.glyphs) {
      std::printf("%s\t%d\n", glyph.number == 0 ? "?" : ForTerminal(glyph.text).c_str(),
                  glyph.number);
    }
  }
  return 0;
}

int RunEstimate(const std::string& subtitle_file, bool allow_outside) {
  document::SubtitleDocument subtitle(document::UndoHistory::kNotRecorded);
  if (auto read = ReadPictureSubtitle(subtitle_file, subtitle, allow_outside); !read.ok()) {
    return Fail(read.error().message);
  }
  library::GlyphLibrary unused_library(std::filesystem::current_path());
  platform::QtPictureIo pictures;
  ocr::Recogniser recogniser(unused_library, pictures);
  const auto estimate = ocr::EstimateStandardSizes(recogniser, subtitle, ocr::kDefaultSampleLines);
  if (estimate.sampled_lines == 0) {
    return Fail("no text line could be read from the pictures of " + subtitle_file +
                (estimate.unreadable_pictures > 0
                     ? " (" + std::to_string(estimate.unreadable_pictures) + " unreadable)"
                     : std::string()));
  }
  std::printf("S_L %d\nS_G %d\n", estimate.line_height, estimate.glyph_width);
  if (estimate.unreadable_pictures > 0) {
    std::fprintf(stderr, "warning: %d pictures could not be read\n", estimate.unreadable_pictures);
  }
  return 0;
}

// Exit status: 0 when every picture was handled, 2 when stopped, 1 on an error.
int RunCrop(const std::string& subtitle_file, bool dry_run, bool allow_outside) {
  document::SubtitleDocument subtitle(document::UndoHistory::kNotRecorded);
  if (auto read = ReadPictureSubtitle(subtitle_file, subtitle, allow_outside); !read.ok()) {
    return Fail(read.error().message);
  }
  platform::QtPictureIo pictures;
  ConsoleEventPump pump;
  const auto outcome = ocr::CropPictures(
      subtitle, pictures, pump, dry_run,
      [dry_run](const std::string& name, const ocr::CropRectangle& kept) {
        if (dry_run) {
          std::printf("%s\t%d x %d\n", ForTerminal(name).c_str(), kept.width, kept.height);
        }
      });
  if (outcome.error.has_value()) {
    // The pictures before the failing one were rewritten already: say so, and where it stopped.
    Fail(outcome.error->message);
    std::fprintf(stderr, "row %d (%s) stopped the crop: %d pictures %s before it, the rest %s\n",
                 outcome.error_row,
                 ForTerminal(subtitle.main.Cell(document::kPicture, outcome.error_row)).c_str(),
                 outcome.pictures_cropped, dry_run ? "would be cropped" : "were cropped in place",
                 dry_run ? "not measured" : "are unchanged");
    return 1;
  }
  if (outcome.pictures_cropped == 0 && !outcome.stopped) {
    return Fail("no picture of " + subtitle_file +
                " could be cropped: none holds five rows or more (the last row's picture is "
                "left alone)");
  }
  std::fprintf(stderr, "%d pictures %s\n", outcome.pictures_cropped,
               dry_run ? "would be cropped" : "cropped");
  return outcome.stopped ? 2 : 0;
}

// Teaches the filled-in shapes of a sheet as one page. Exit status: 0 when every filled-in
// shape was taught or already known, 1 on an error or when a box no longer matches its picture.
int RunTeach(const std::string& sheet_file, const std::string& working_folder) {
  const std::filesystem::path folder = WorkingFolder(working_folder);
  ConsoleEventPump pump;
  auto sheet = app::ReadSheetFile(sheet_file);
  if (!sheet.ok()) {
    return Fail(sheet.error().message);
  }
  if (sheet.value().Subtitle().empty()) {
    return Fail(sheet_file + ": the sheet does not name its subtitle");
  }
  library::GlyphLibrary library(folder);
  if (auto loaded = library.Load(pump); !loaded.ok()) {
    return Fail(loaded.error().message);
  }
  platform::QtPictureIo toolkit_pictures;
  ocr::BitmapFileIo pictures(toolkit_pictures);
  ocr::Recogniser recogniser(library, pictures);
  recogniser.Options() = OptionsFromSettings(LoadSettings(folder));
  auto taught = app::TeachSheet(recogniser, sheet.value().Subtitle().parent_path(), sheet.value());
  if (!taught.ok()) {
    return Fail(taught.error().message);
  }
  const app::SheetTeaching& outcome = taught.value();
  std::fprintf(stderr,
               "shapes filled in: %d\nglyphs taught: %d\nalready known: %d\n"
               "boxes that no longer match their picture: %d\n",
               outcome.filled, outcome.page.taught, outcome.page.already_known, outcome.mismatched);
  for (const auto& error : outcome.page.picture_errors) {
    std::fprintf(stderr, "warning: %s\n", error.message.c_str());
  }
  return outcome.mismatched > 0 ? 1 : 0;
}

// Runs a command body, turning exceptions and non-zero statuses into CLI11's exit.
template <typename Body>
void RunGuarded(Body body) {
  int status = 1;
  try {
    status = body();
  } catch (const std::exception& error) {
    status = Fail(error.what());
  }
  if (status != 0) {
    throw CLI::RuntimeError(status);
  }
}

}  // namespace

void AddOcrCommand(CLI::App& app) {
  auto ocr_arguments = std::make_shared<OcrArguments>();
  CLI::App* ocr = app.add_subcommand(
      "ocr",
      "Recognise a picture subtitle or a disc subtitle with the glyph library of the working "
      "folder");
  ocr->add_option("SUBTITLE", ocr_arguments->subtitle,
                  "Picture subtitle (.srt), or a disc subtitle (.sup, .idx, .mkv, .mks, .ts, "
                  ".m2ts) recognised as its import would read, its pictures held in memory")
      ->required();
  AddDiscOptions(*ocr, ocr_arguments->disc);
  ocr->add_option("--pictures", ocr_arguments->pictures,
                  "With a disc subtitle: also write the import's output (the picture subtitle "
                  "and its bitmaps) into this new or empty folder");
  ocr->add_option("-o,--output", ocr_arguments->output, "Subtitle to write (.srt or .ssa)");
  ocr->add_option("--workdir", ocr_arguments->working_folder,
                  "Working folder with the library, setup.sys and language.sys (default: .)");
  ocr->add_option("--answers", ocr_arguments->answers,
                  "Answers for unknown glyphs, one per line: save TEXT, expand, undo, skip, "
                  "abort, move-left, move-right, narrow, widen");
  ocr->add_flag("--teach-stdio", ocr_arguments->teach_stdio,
                "Ask each unknown glyph as one JSON line on stdout and read one answer per line "
                "on stdin (the answers-file words, accept K, box LEFT WIDTH)")
      ->excludes("--answers");
  ocr->add_option("--collect", ocr_arguments->collect,
                  "Go through the whole film without asking: write every new glyph shape, "
                  "where it occurs and the readings of every source to this sheet (JSON); "
                  "fill in the texts and give it to the teach command")
      ->excludes("--answers")
      ->excludes("--teach-stdio");
  ocr->add_option(
      "--reference", ocr_arguments->reference,
      "Text subtitle (.srt, .ssa, .ass, .vtt) of the same film: its rows, paired by time, "
      "teach the glyphs they read for certain and are suggested for the others");
  ocr->add_option("--input-encoding", ocr_arguments->reference_encoding,
                  "Encoding of the --reference subtitle: auto (default: detect), as-before, "
                  "utf-8, utf-16, gbk, gb18030, big5, big5-hkscs, cp1250, cp1251, cp1252, ...");
  ocr->add_option("--unknown", ocr_arguments->unknown,
                  "When the answers run out: stop (default) or skip")
      ->check(CLI::IsMember({"stop", "skip"}));
  ocr->add_option(
         "--check", ocr_arguments->check,
         "Check and proofread after a complete run: on or off (default: as setup.sys says)")
      ->check(CLI::IsMember({"on", "off"}));
  ocr->add_option("--fix-overlaps", ocr_arguments->fix_overlaps,
                  "Correct overlapping times after a complete run: on or off (default: as "
                  "setup.sys says)")
      ->check(CLI::IsMember({"on", "off"}));
  ocr->add_flag("--allow-outside-pictures", ocr_arguments->allow_outside,
                "Read pictures whose names leave the subtitle's folder (absolute or ../ names)");
  ocr->add_option("--start-row", ocr_arguments->start_row, "First row to recognise (default 1)")
      ->check(CLI::PositiveNumber);
  ocr->add_option("--sl", ocr_arguments->line_height, "Standard line height (overrides)")
      ->check(CLI::NonNegativeNumber);
  ocr->add_option("--sg", ocr_arguments->glyph_width, "Standard glyph width (overrides)")
      ->check(CLI::NonNegativeNumber);
  ocr->add_option("--jobs", ocr_arguments->jobs,
                  "Threads: 2 reads the next pictures while one is recognised (default: the "
                  "cores available, at most 2)")
      ->check(CLI::Range(1, 2));
  ocr->add_option("--reader", ocr_arguments->reader,
                  "Bitmap reader: core (default) or toolkit (the display's reader)")
      ->check(CLI::IsMember({"core", "toolkit"}));
  ocr->callback([ocr_arguments] { RunGuarded([&] { return RunOcr(*ocr_arguments); }); });

  struct FeatureArguments {
    std::string bitmap;
    std::string box;
    bool ignore_size = false;
  };
  auto feature_arguments = std::make_shared<FeatureArguments>();
  CLI::App* features =
      app.add_subcommand("features", "Print the FeatureLine of a box of a prepared picture");
  features->add_option("BMP", feature_arguments->bitmap, "Subtitle picture")->required();
  features->add_option("--box", feature_arguments->box, "left,top,width,height (grid)")->required();
  features->add_flag("--ignore-size", feature_arguments->ignore_size,
                     "Leave out the width and height fields");
  features->callback([feature_arguments] {
    RunGuarded([&] {
      return RunFeatures(feature_arguments->bitmap, feature_arguments->box,
                         feature_arguments->ignore_size);
    });
  });

  struct AnalyseArguments {
    std::string bitmap;
    std::string working_folder;
    int line_height = 0;
    int glyph_width = 0;
  };
  auto analyse_arguments = std::make_shared<AnalyseArguments>();
  CLI::App* analyse = app.add_subcommand(
      "analyse", "Print a picture's text lines, segments and the library's reading of it");
  analyse->add_option("BMP", analyse_arguments->bitmap, "Subtitle picture")->required();
  analyse->add_option("--workdir", analyse_arguments->working_folder,
                      "Working folder with the library (default: .)");
  analyse->add_option("--sl", analyse_arguments->line_height, "Standard line height")
      ->check(CLI::NonNegativeNumber);
  analyse->add_option("--sg", analyse_arguments->glyph_width, "Standard glyph width")
      ->check(CLI::NonNegativeNumber);
  analyse->callback([analyse_arguments] {
    RunGuarded([&] {
      return RunAnalyse(analyse_arguments->bitmap, analyse_arguments->working_folder,
                        analyse_arguments->line_height, analyse_arguments->glyph_width);
    });
  });

  struct TeachArguments {
    std::string sheet;
    std::string working_folder;
  };
  auto teach_arguments = std::make_shared<TeachArguments>();
  CLI::App* teach = app.add_subcommand(
      "teach", "Teach the shapes of a sheet (ocr --collect) whose text is filled in, at once");
  teach->add_option("SHEET", teach_arguments->sheet, "Sheet file (JSON)")->required();
  teach->add_option("--workdir", teach_arguments->working_folder,
                    "Working folder with the library and setup.sys (default: .)");
  teach->callback([teach_arguments] {
    RunGuarded([&] { return RunTeach(teach_arguments->sheet, teach_arguments->working_folder); });
  });

  struct EstimateArguments {
    std::string subtitle;
    bool allow_outside = false;
  };
  auto estimate_arguments = std::make_shared<EstimateArguments>();
  CLI::App* estimate =
      app.add_subcommand("estimate", "Print the standard line height and glyph width");
  estimate->add_option("SUBTITLE", estimate_arguments->subtitle, "Picture subtitle (.srt)")
      ->required();
  estimate->add_flag("--allow-outside-pictures", estimate_arguments->allow_outside,
                     "Read pictures whose names leave the subtitle's folder");
  estimate->callback([estimate_arguments] {
    RunGuarded([&] {
      return RunEstimate(estimate_arguments->subtitle, estimate_arguments->allow_outside);
    });
  });

  struct CropArguments {
    std::string subtitle;
    bool dry_run = false;
    bool allow_outside = false;
  };
  auto crop_arguments = std::make_shared<CropArguments>();
  CLI::App* crop =
      app.add_subcommand("crop", "Crop every picture of a picture subtitle to its ink, in place");
  crop->add_option("SUBTITLE", crop_arguments->subtitle, "Picture subtitle (.srt)")->required();
  crop->add_flag("--dry-run", crop_arguments->dry_run, "Print the new sizes only");
  crop->add_flag("--allow-outside-pictures", crop_arguments->allow_outside,
                 "Crop pictures whose names leave the subtitle's folder");
  crop->callback([crop_arguments] {
    RunGuarded([&] {
      return RunCrop(crop_arguments->subtitle, crop_arguments->dry_run,
                     crop_arguments->allow_outside);
    });
  });
}

}  // namespace cli
