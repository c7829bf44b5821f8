// SubtitleStream: the file checks that come before FFmpeg, and the loading of the FFmpeg module
// that does the reading.
#include "import/subtitle_stream.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <system_error>

#include "import/stream_module.h"
#include "loader/module_loader.h"
#include "text/line_file.h"

// The module's entry point, when a program links the module's code in (the fuzz target, which
// wants FFmpeg's side instrumented with it); null in the programs, which load the module.
extern "C" __attribute__((weak)) const void* zentrope_ffmpeg_module(const char* build);

namespace import {
namespace {

namespace fs = std::filesystem;

// The module's table; an Error naming the input `name` and the module when it cannot be loaded.
text::Result<const StreamModule*> Module(const std::string& name) {
  auto table =
      loader::LoadModule(loader::kFfmpegModule, kStreamModuleEntry, &zentrope_ffmpeg_module);
  if (!table) {
    return text::Error{table.error().code, name + ": " + table.error().message, 0};
  }
  return static_cast<const StreamModule*>(table.value());
}

bool HasExtension(const fs::path& path, const char* lower) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == lower;
}

// "is a folder", "is a named pipe (FIFO)", ... for what `input` is when not a regular file;
// the system's reason when it cannot be looked at.
std::string NotAFile(const fs::path& input) {
  struct stat info {};
  if (::stat(input.c_str(), &info) != 0) {
    return errno == ENOENT ? std::string("no such file") : std::strerror(errno);
  }
  if (S_ISDIR(info.st_mode)) {
    return "is a folder, not a file";
  }
  if (S_ISFIFO(info.st_mode)) {
    return "is a named pipe (FIFO), not a file; the import reads files only";
  }
  if (S_ISSOCK(info.st_mode)) {
    return "is a socket, not a file";
  }
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
    return "is a device, not a file";
  }
  return "is not a regular file";
}

// The file checks that come before FFmpeg sees the input: it exists, and a VobSub index has
// its pictures beside it.
text::Status CheckInputFiles(const fs::path& input) {
  const std::string name = text::PathForMessage(input);
  std::error_code error;
  if (!fs::is_regular_file(input, error)) {
    return text::Error{"io", name + ": " + NotAFile(input), 0};
  }
  if (HasExtension(input, ".idx")) {
    fs::path pictures = input;
    for (const char* extension : {".sub", ".SUB"}) {
      pictures.replace_extension(extension);
      if (fs::is_regular_file(pictures, error)) {
        return text::Success();
      }
    }
    pictures.replace_extension(".sub");
    return text::Error{"io",
                       name + ": the VobSub pictures " + text::PathForMessage(pictures) +
                           " that this index needs are missing",
                       0};
  }
  return text::Success();
}

// How many pictures a VobSub index lists for each of its tracks ("id:" lines, in order, each
// followed by its "timestamp:" lines). The demuxer skips entries whose pictures the .sub lacks;
// this count lets the import notice that.
std::vector<int> IndexedPictureCounts(const fs::path& index) {
  std::vector<int> counts;
  auto lines = text::ReadLines(index);
  if (!lines) {
    return counts;
  }
  for (const std::string& line : lines.value()) {
    if (line.rfind("id:", 0) == 0) {
      counts.push_back(0);
    } else if (line.rfind("timestamp:", 0) == 0 && !counts.empty()) {
      ++counts.back();
    }
  }
  return counts;
}

// One "timestamp: hh:mm:ss:mmm, filepos: hex" line of a VobSub index.
struct IndexEntry {
  int track = 0;   // 1-based, by its "id:" line
  int number = 0;  // 1-based within its track
  std::string time;
  bool time_valid = false;
  std::int64_t filepos = -1;
  bool filepos_valid = false;
};

std::vector<IndexEntry> IndexEntries(const std::vector<std::string>& lines) {
  std::vector<IndexEntry> entries;
  int track = 0;
  int number = 0;
  for (const std::string& line : lines) {
    if (line.rfind("id:", 0) == 0) {
      ++track;
      number = 0;
      continue;
    }
    if (line.rfind("timestamp:", 0) != 0 || track == 0) {
      continue;
    }
    IndexEntry entry;
    entry.track = track;
    entry.number = ++number;
    const std::size_t comma = line.find(',');
    std::string time = line.substr(10, comma == std::string::npos ? std::string::npos : comma - 10);
    time.erase(0, time.find_first_not_of(' '));
    time.erase(time.find_last_not_of(' ') + 1);
    entry.time = time;
    int h = -1;
    int m = -1;
    int sec = -1;
    int ms = -1;
    char end = 0;
    entry.time_valid = std::sscanf(time.c_str(), "%d:%d:%d:%d%c", &h, &m, &sec, &ms, &end) == 4 &&
                       h >= 0 && h <= 99 && m >= 0 && m <= 59 && sec >= 0 && sec <= 59 && ms >= 0 &&
                       ms <= 999;
    const std::size_t filepos = line.find("filepos:");
    if (filepos != std::string::npos) {
      std::string value = line.substr(filepos + 8);
      value.erase(0, value.find_first_not_of(' '));
      value.erase(value.find_last_not_of(" \r") + 1);
      std::int64_t position = 0;
      const auto [last, failed] =
          std::from_chars(value.data(), value.data() + value.size(), position, 16);
      entry.filepos_valid = failed == std::errc() && last == value.data() + value.size() &&
                            !value.empty() && position >= 0;
      entry.filepos = position;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

// The checks of a VobSub index against its .sub that FFmpeg does not make: every time is a time
// of day a subtitle file can hold, and every filepos is where a picture's pack starts in the
// .sub (an MPEG pack header, 00 00 01 BA). A filepos off by a byte would give a picture another
// entry's time.
text::Status CheckIndexPositions(const fs::path& index) {
  auto lines = text::ReadLines(index);
  if (!lines) {
    return lines.error();
  }
  fs::path pictures = index;
  std::error_code error;
  for (const char* extension : {".sub", ".SUB"}) {
    pictures.replace_extension(extension);
    if (fs::is_regular_file(pictures, error)) {
      break;
    }
  }
  std::ifstream sub(pictures, std::ios::binary);
  const auto sub_size = static_cast<std::int64_t>(fs::file_size(pictures, error));
  const std::string name = text::PathForMessage(index);
  for (const IndexEntry& entry : IndexEntries(lines.value())) {
    const std::string where = name + ": track " + std::to_string(entry.track) + ", entry " +
                              std::to_string(entry.number) + " (timestamp " + entry.time + "): ";
    if (!entry.time_valid) {
      return text::Error{"format", where + "not a time from 00:00:00:000 to 99:59:59:999", 0};
    }
    // Past the end of the .sub: a cut .sub, which the reader tells as a stream ending early.
    if (entry.filepos_valid && !error && entry.filepos >= sub_size) {
      continue;
    }
    char head[4] = {};
    bool pack = false;
    if (entry.filepos_valid) {
      sub.clear();
      sub.seekg(entry.filepos);
      pack = static_cast<bool>(sub.read(head, 4)) && std::memcmp(head, "\0\0\1\xBA", 4) == 0;
    }
    if (!pack) {
      return text::Error{"format",
                         where + "its filepos does not point at the start of a picture in " +
                             text::PathForMessage(pictures) +
                             "; the index does not belong to it or is damaged",
                         0};
    }
  }
  return text::Success();
}

}  // namespace

SubtitleStream::SubtitleStream(std::unique_ptr<StreamReader> reader) : reader_(std::move(reader)) {}
SubtitleStream::~SubtitleStream() = default;

text::Result<std::vector<TrackInfo>> ListTracks(const fs::path& input) {
  if (text::Status checked = CheckInputFiles(input); !checked) {
    return checked.error();
  }
  const std::string name = text::PathForMessage(input);
  auto module = Module(name);
  if (!module) {
    return module.error();
  }
  return module.value()->list_tracks(input, name);
}

text::Result<std::unique_ptr<SubtitleStream>> SubtitleStream::Open(const fs::path& input,
                                                                   int track) {
  if (text::Status checked = CheckInputFiles(input); !checked) {
    return checked.error();
  }
  if (HasExtension(input, ".idx")) {
    if (text::Status checked = CheckIndexPositions(input); !checked) {
      return checked.error();
    }
  }
  const std::string name = text::PathForMessage(input);
  auto module = Module(name);
  if (!module) {
    return module.error();
  }
  auto reader = module.value()->open_file(input, name, track);
  if (!reader) {
    return reader.error();
  }
  StreamReader& opened = *reader.value();
  if (opened.Track().codec == SubtitleCodec::kVobSub && HasExtension(input, ".idx")) {
    const std::vector<int> counts = IndexedPictureCounts(input);
    const auto number = static_cast<std::size_t>(opened.Track().number);
    if (number >= 1 && number <= counts.size()) {
      opened.ExpectPictures(counts[number - 1]);
    }
  }
  auto stream = std::unique_ptr<SubtitleStream>(new SubtitleStream(std::move(reader).value()));
  if (opened.Track().codec == SubtitleCodec::kVobSub && HasExtension(input, ".sub")) {
    fs::path index = input;
    index.replace_extension(".idx");
    std::error_code error;
    stream->warnings_.push_back(
        name +
        ": VobSub pictures read without their index (.idx): their colours are guessed and "
        "their times are the .sub's own" +
        (fs::is_regular_file(index, error)
             ? "; import " + text::PathForMessage(index) + " for its palette and times"
             : ""));
  }
  return stream;
}

text::Result<std::unique_ptr<SubtitleStream>> SubtitleStream::OpenMemory(std::string bytes,
                                                                         const std::string& name,
                                                                         int track) {
  auto module = Module(name);
  if (!module) {
    return module.error();
  }
  auto reader = module.value()->open_memory(std::move(bytes), name, track);
  if (!reader) {
    return reader.error();
  }
  return std::unique_ptr<SubtitleStream>(new SubtitleStream(std::move(reader).value()));
}

text::Result<std::optional<SubtitleBitmap>> SubtitleStream::Next() {
  return reader_->Next();
}

const std::string& SubtitleStream::EarlyEnd() const {
  return reader_->EarlyEnd();
}

std::vector<std::string> SubtitleStream::Warnings() const {
  std::vector<std::string> all = warnings_;
  all.insert(all.end(), reader_->Warnings().begin(), reader_->Warnings().end());
  return all;
}

const TrackInfo& SubtitleStream::Track() const {
  return reader_->Track();
}

int SubtitleStream::EmptyCount() const {
  return reader_->EmptyCount();
}

int SubtitleStream::Progress() const {
  return reader_->Progress();
}

}  // namespace import
