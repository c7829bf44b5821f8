// The import: stream to pictures, ink, bitmaps and the SRT in a temporary folder, then the
// folder put in place.
#include "import/disc_import.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <system_error>

#include "import/bmp_writer.h"
#include "text/line_file.h"

namespace import {
namespace {

namespace fs = std::filesystem;

text::Error IoError(const fs::path& path, const std::string& what) {
  return text::Error{"io", text::PathForMessage(path) + ": " + what, 0};
}

// Walks the pictures of `options.first` .. `options.last`, handing each to `take` with the ink
// chosen for it. `take` returns false to stop early (the host asked to stop).
text::Status ForEachPicture(
    SubtitleStream& stream, const ImportOptions& options, const std::string& name,
    const std::function<text::Result<bool>(const SubtitleBitmap&, const InkChoice&)>& take) {
  if (options.first < 1 || (options.last != 0 && options.last < options.first)) {
    return text::Error{"range",
                       name + ": the range of pictures " + std::to_string(options.first) + " to " +
                           std::to_string(options.last) + " is empty",
                       0};
  }
  int shown = 0;
  int taken = 0;
  while (options.last == 0 || shown < options.last) {
    auto next = stream.Next();
    if (!next) {
      return next.error();
    }
    if (!next.value()) {
      break;
    }
    ++shown;
    if (shown < options.first) {
      continue;
    }
    const SubtitleBitmap& bitmap = *next.value();
    ++taken;
    auto go_on = take(bitmap, ChooseInk(bitmap, options.ink));
    if (!go_on) {
      return go_on.error();
    }
    if (!go_on.value()) {
      return text::Success();
    }
  }
  if (shown == 0) {
    return text::Error{"format", name + ": the subtitle track holds no pictures", 0};
  }
  if (taken == 0) {
    return text::Error{"range",
                       name + ": there are only " + std::to_string(shown) +
                           " pictures, none from number " + std::to_string(options.first),
                       0};
  }
  return text::Success();
}

bool IsEmptyFolder(const fs::path& folder) {
  std::error_code error;
  return fs::is_empty(folder, error) && !error;
}

// Removes the temporary folder unless released.
class FolderGuard {
 public:
  explicit FolderGuard(fs::path folder) : folder_(std::move(folder)) {}
  ~FolderGuard() {
    if (!folder_.empty()) {
      std::error_code ignored;
      fs::remove_all(folder_, ignored);
    }
  }
  void Release() {
    folder_.clear();
  }

 private:
  fs::path folder_;
};

// Puts what was written into `folder` and the folder itself on the disk. Before the rename this
// makes sure that a crash leaves at worst the temporary folder, never a finished-looking one
// with bitmaps the disk never got; one call for the file system costs far less than a sync per
// bitmap, which would commit the file system's journal once per file.
text::Status SyncFolder(const fs::path& folder, bool whole_file_system) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return IoError(folder, "cannot be opened");
  }
  const bool synced = whole_file_system ? ::syncfs(fd) == 0 : ::fsync(fd) == 0;
  ::close(fd);
  return synced ? text::Success() : IoError(folder, "cannot be written to the disk");
}

// Puts the finished temporary folder in place of `out_dir`.
text::Status PutInPlace(const fs::path& temporary, const fs::path& out_dir) {
  std::error_code error;
  if (fs::exists(out_dir, error) && IsEmptyFolder(out_dir)) {
    fs::remove(out_dir, error);
  }
  if (!fs::exists(out_dir, error)) {
    fs::rename(temporary, out_dir, error);
    if (error) {
      return IoError(out_dir, "cannot be made (" + error.message() + ")");
    }
    return text::Success();
  }
  // --overwrite into a folder that holds files: each file of the import replaces its namesake.
  for (const fs::directory_entry& entry : fs::directory_iterator(temporary, error)) {
    fs::rename(entry.path(), out_dir / entry.path().filename(), error);
    if (error) {
      return IoError(out_dir / entry.path().filename(),
                     "cannot be replaced (" + error.message() + ")");
    }
  }
  return error ? IoError(temporary, "cannot be read (" + error.message() + ")") : text::Success();
}

// Counts picture `number` into `report` and adds its entry to `srt`; `width` is the width of
// the bitmap written for it.
void TallyPicture(int number, const SubtitleBitmap& picture, const InkChoice& ink, bool halved,
                  int width, ImportReport& report, std::string& srt) {
  report.halved += halved ? 1 : 0;
  if (width > kMaxRecognisedWidth) {
    report.too_wide.push_back(number);
  }
  srt += std::to_string(number) + "\r\n" + SrtTime(picture.start) + " --> " + SrtTime(picture.end) +
         "\r\n" + PictureName(number) + "\r\n\r\n";
  if (number == 1) {
    report.first_start = picture.start;
  }
  report.last_end = picture.end;
  if (picture.forced) {
    report.forced.push_back(number);
  }
  ++report.ink_used[static_cast<std::size_t>(ink.used)];
  report.pictures = number;
}

// After each picture: progress, events, and whether the host asked to stop (then noted).
bool GoOn(const SubtitleStream& stream, ports::EventPump& pump, ImportReport& report) {
  pump.ReportProgress(stream.Progress(), 1000);
  pump.LetPendingEventsRun();
  if (pump.StopRequested()) {
    report.stopped = true;
    return false;
  }
  return true;
}

}  // namespace

bool HalvesPicture(const SubtitleBitmap& bitmap, PictureScale scale) {
  switch (scale) {
    case PictureScale::kFull:
      return false;
    case PictureScale::kHalf:
      return true;
    case PictureScale::kAuto:
      break;
  }
  return bitmap.video_width > kAutoHalfAbove;
}

InkPicture RenderInkAtScale(const SubtitleBitmap& bitmap, const InkChoice& choice,
                            PictureScale scale) {
  return HalvesPicture(bitmap, scale) ? RenderHalfInk(bitmap, choice) : RenderInk(bitmap, choice);
}

fs::path SubtitleNameFor(const fs::path& input) {
  return input.filename().replace_extension(".srt");
}

fs::path DefaultOutputFolder(const fs::path& input) {
  return input.parent_path() / input.stem();
}

std::string PictureName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "%04d.bmp", number);
  return name;
}

std::string SrtTime(Milliseconds time) {
  if (time < 0) {
    time = 0;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld",
                static_cast<long long>(time / 3600000), static_cast<long long>(time / 60000 % 60),
                static_cast<long long>(time / 1000 % 60), static_cast<long long>(time % 1000));
  return text;
}

text::Result<ImportReport> ImportDiscSubtitles(const fs::path& input, const fs::path& out_dir,
                                               const ImportOptions& options, ports::EventPump& pump,
                                               const PictureTaker& take) {
  std::error_code error;
  const fs::path target = out_dir.has_filename() ? out_dir : out_dir.parent_path();
  if (fs::exists(target, error)) {
    if (!fs::is_directory(target, error)) {
      return text::Error{"exists", text::PathForMessage(target) + ": is a file, not a folder", 0};
    }
    if (!options.overwrite && !IsEmptyFolder(target)) {
      return text::Error{
          "exists",
          text::PathForMessage(target) + ": the folder is not empty; its files would be replaced",
          0};
    }
  }
  const fs::path parent = fs::absolute(target, error).parent_path();
  if (!fs::is_directory(parent, error)) {
    return IoError(parent, "the folder does not exist");
  }

  auto opened = SubtitleStream::Open(input, options.track);
  if (!opened) {
    return opened.error();
  }
  SubtitleStream& stream = *opened.value();
  const std::string name = text::PathForMessage(input);

  const fs::path temporary =
      parent / ("." + target.filename().string() + ".import-" + std::to_string(::getpid()));
  fs::remove_all(temporary, error);
  if (!fs::create_directory(temporary, error)) {
    return IoError(temporary, "cannot be made (" + error.message() + ")");
  }
  FolderGuard guard(temporary);

  ImportReport report;
  report.track = stream.Track();
  std::string srt;
  BmpFileWriter bitmaps;
  const text::Status walked = ForEachPicture(
      stream, options, name,
      [&](const SubtitleBitmap& picture, const InkChoice& ink) -> text::Result<bool> {
        const int number = report.pictures + 1;
        const bool halve = HalvesPicture(picture, options.scale);
        // A caller taking the pictures too gets the ink picture the bitmap is written from.
        std::optional<InkPicture> rendered;
        if (take) {
          rendered = RenderInkAtScale(picture, ink, options.scale);
        }
        text::Status written =
            rendered ? bitmaps.Write(*rendered, temporary / PictureName(number))
            : halve  ? bitmaps.Write(RenderHalfInk(picture, ink), temporary / PictureName(number))
                     : bitmaps.Write(picture, ink, temporary / PictureName(number));
        if (!written) {
          return written.error();
        }
        TallyPicture(number, picture, ink, halve, bitmaps.LastWidth(), report, srt);
        if (rendered) {
          if (text::Status taken = take(number, picture, *rendered); !taken) {
            return taken.error();
          }
        }
        return GoOn(stream, pump, report);
      });
  if (!walked) {
    return walked.error();
  }
  report.empty_dropped = stream.EmptyCount();
  if (report.stopped) {
    return report;  // the guard removes the temporary folder
  }
  const fs::path subtitle = temporary / SubtitleNameFor(input);
  if (text::Status saved = text::WriteFileAtomic(subtitle, srt); !saved) {
    return saved.error();
  }
  if (text::Status synced = SyncFolder(temporary, true); !synced) {
    return synced.error();
  }
  if (text::Status placed = PutInPlace(temporary, target); !placed) {
    return placed.error();
  }
  // The renames last once the folders holding the new names are on the disk.
  for (const fs::path& folder : {target, parent}) {
    if (text::Status synced = SyncFolder(folder, false); !synced) {
      return synced.error();
    }
  }
  report.subtitle_file = target / SubtitleNameFor(input);
  pump.ReportProgress(1000, 1000);
  return report;
}

text::Result<ImportReport> ReadDiscSubtitles(const fs::path& input, const ImportOptions& options,
                                             ports::EventPump& pump, const PictureTaker& take,
                                             std::string& srt) {
  auto opened = SubtitleStream::Open(input, options.track);
  if (!opened) {
    return opened.error();
  }
  SubtitleStream& stream = *opened.value();
  ImportReport report;
  report.track = stream.Track();
  srt.clear();
  InkPicture rendered;
  const text::Status walked = ForEachPicture(
      stream, options, text::PathForMessage(input),
      [&](const SubtitleBitmap& picture, const InkChoice& ink) -> text::Result<bool> {
        const int number = report.pictures + 1;
        const bool halve = HalvesPicture(picture, options.scale);
        rendered = halve ? RenderHalfInk(picture, ink) : RenderInk(picture, ink);
        TallyPicture(number, picture, ink, halve, rendered.width, report, srt);
        if (text::Status taken = take ? take(number, picture, rendered) : text::Success(); !taken) {
          return taken.error();
        }
        return GoOn(stream, pump, report);
      });
  if (!walked) {
    return walked.error();
  }
  report.empty_dropped = stream.EmptyCount();
  if (!report.stopped) {
    pump.ReportProgress(1000, 1000);
  }
  return report;
}

text::Result<std::vector<ImportedPicture>> ImportFromMemory(std::string bytes,
                                                            const std::string& name,
                                                            const ImportOptions& options) {
  auto opened = SubtitleStream::OpenMemory(std::move(bytes), name, options.track);
  if (!opened) {
    return opened.error();
  }
  std::vector<ImportedPicture> pictures;
  const text::Status walked = ForEachPicture(
      *opened.value(), options, name, [&](const SubtitleBitmap& bitmap, const InkChoice& ink) {
        pictures.push_back(ImportedPicture{bitmap.entry, bitmap.start, bitmap.end, bitmap.forced,
                                           ink.used, HalvesPicture(bitmap, options.scale),
                                           RenderInkAtScale(bitmap, ink, options.scale)});
        return text::Result<bool>(true);
      });
  if (!walked) {
    return walked.error();
  }
  return pictures;
}

text::Result<std::vector<SubtitleBitmap>> ReadFirstPictures(const fs::path& input, int track,
                                                            int count) {
  auto opened = SubtitleStream::Open(input, track);
  if (!opened) {
    return opened.error();
  }
  std::vector<SubtitleBitmap> pictures;
  while (static_cast<int>(pictures.size()) < count) {
    auto next = opened.value()->Next();
    if (!next) {
      return next.error();
    }
    if (!next.value()) {
      break;
    }
    pictures.push_back(std::move(*next.value()));
  }
  if (pictures.empty()) {
    return text::Error{"format",
                       text::PathForMessage(input) + ": the subtitle track holds no pictures", 0};
  }
  return pictures;
}

}  // namespace import
