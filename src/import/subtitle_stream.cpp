// SubtitleStream: the file checks that come before FFmpeg, and the loading of the FFmpeg module
// that does the reading.
#include "import/subtitle_stream.h"

#include <algorithm>
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

// The file checks that come before FFmpeg sees the input: it exists, and a VobSub index has
// its pictures beside it.
text::Status CheckInputFiles(const fs::path& input) {
  const std::string name = text::PathForMessage(input);
  std::error_code error;
  if (!fs::is_regular_file(input, error)) {
    return text::Error{"io", name + ": no such file", 0};
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
  return std::unique_ptr<SubtitleStream>(new SubtitleStream(std::move(reader).value()));
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
