// The import: stream to pictures, ink, bitmaps and the SRT in a temporary folder, then the
// folder put in place.
#include "import/disc_import.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
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

// The error of a file step the test hook failed.
std::string StepFailed() {
  return std::make_error_code(std::errc::io_error).message();
}

// "picture 28 (display set 31, 00:01:02,000)"
std::string PictureAt(int number, const SubtitleBitmap& bitmap) {
  return "picture " + std::to_string(number) + " (display set " + std::to_string(bitmap.entry) +
         ", " + SrtTime(bitmap.start) + ")";
}

// Walks the pictures of `options.first` .. `options.last`, handing each to `take` with the ink
// chosen for it. `take` returns false to stop early (the host asked to stop).
// A stream that ends early is an Error, or with options.allow_partial a line in `warnings`.
text::Status ForEachPicture(
    SubtitleStream& stream, const ImportOptions& options, const std::string& name,
    std::vector<std::string>& warnings,
    const std::function<text::Result<bool>(const SubtitleBitmap&, const InkChoice&)>& take) {
  if (options.first < 1 || (options.last != 0 && options.last < options.first)) {
    return text::Error{"range",
                       name + ": the range of pictures " + std::to_string(options.first) + " to " +
                           std::to_string(options.last) + " is empty",
                       0};
  }
  int shown = 0;
  int taken = 0;
  std::string last_read;
  bool at_end = false;
  while (options.last == 0 || shown < options.last) {
    auto next = stream.Next();
    if (!next) {
      return next.error();
    }
    if (!next.value()) {
      at_end = true;
      break;
    }
    ++shown;
    const SubtitleBitmap& bitmap = *next.value();
    last_read = PictureAt(shown, bitmap);
    if (bitmap.end > kLastSrtTime) {
      return text::Error{"format",
                         name + ": display set " + std::to_string(bitmap.entry) + ": shown until " +
                             std::to_string(bitmap.end / 3600000) +
                             " hours, past 99:59:59,999, the last time a subtitle file can hold",
                         bitmap.entry};
    }
    if (shown < options.first) {
      continue;
    }
    ++taken;
    auto go_on = take(bitmap, ChooseInk(bitmap, options.ink));
    if (!go_on) {
      return go_on.error();
    }
    if (!go_on.value()) {
      return text::Success();
    }
  }
  if (at_end && !stream.EarlyEnd().empty()) {
    const std::string where = name + ": " + stream.EarlyEnd() + "; ";
    if (shown == 0) {
      return text::Error{"format", where + "no picture could be read before it", 0};
    }
    if (!options.allow_partial) {
      return text::Error{"partial",
                         where + "the stream ends early; the last picture read is " + last_read, 0};
    }
    warnings.push_back(where + "the stream ends early; imported up to " + last_read);
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
    return IoError(folder, std::string("cannot be opened (") + std::strerror(errno) + ")");
  }
  const bool synced = whole_file_system ? ::syncfs(fd) == 0 : ::fsync(fd) == 0;
  const int reason = errno;
  ::close(fd);
  return synced ? text::Success()
                : IoError(folder, std::string("cannot be written to the disk (") +
                                      std::strerror(reason) + ")");
}

// The hidden folders of imports into the folder named `name`: ".<name>.import-<pid>" (the new
// import being written) and ".<name>.old-<pid>" (the old folder renamed aside).
constexpr char kNewTag[] = ".import-";
constexpr char kOldTag[] = ".old-";

fs::path HiddenFolder(const fs::path& parent, const fs::path& name, const char* tag, long pid) {
  return parent / ("." + name.string() + tag + std::to_string(pid));
}

// The process id of `file_name` when it is a hidden folder of `name` with `tag`, else -1.
long HiddenFolderPid(const std::string& file_name, const std::string& name, const char* tag) {
  const std::string prefix = "." + name + tag;
  if (file_name.size() <= prefix.size() || file_name.compare(0, prefix.size(), prefix) != 0) {
    return -1;
  }
  long pid = -1;
  const char* first = file_name.data() + prefix.size();
  const char* last = file_name.data() + file_name.size();
  const auto [end, failed] = std::from_chars(first, last, pid);
  return failed == std::errc() && end == last && pid > 0 ? pid : -1;
}

// True when the process `pid` is gone, or is this one.
bool ProcessGone(long pid) {
  if (pid == static_cast<long>(::getpid())) {
    return true;
  }
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

text::Status RenameStep(const fs::path& from, const fs::path& to, const char* what) {
  std::error_code error;
  if (!text::PassFileStep(text::FileStep::kRename, to)) {
    return IoError(to, std::string(what) + " (" + StepFailed() + ")");
  }
  fs::rename(from, to, error);
  return error ? IoError(to, std::string(what) + " (" + error.message() + ")") : text::Success();
}

// Removes `folder` and all in it; false when something stays.
bool RemoveStep(const fs::path& folder) {
  if (!text::PassFileStep(text::FileStep::kRemove, folder)) {
    return false;
  }
  std::error_code error;
  fs::remove_all(folder, error);
  return !error;
}

// Gives the new import in `temporary` the files of the old folder `out_dir` that it does not
// replace, hard-linked where the file system allows, else copied.
text::Status CarryOtherFiles(const fs::path& out_dir, const fs::path& temporary) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(out_dir, error)) {
    const fs::path to = temporary / entry.path().filename();
    if (fs::exists(fs::symlink_status(to, error))) {
      continue;
    }
    constexpr auto kAll = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
    fs::copy(entry.path(), to, kAll | fs::copy_options::create_hard_links, error);
    if (error) {
      fs::remove_all(to, error);
      fs::copy(entry.path(), to, kAll, error);
    }
    if (error) {
      return IoError(entry.path(), "cannot be kept in the new import (" + error.message() + ")");
    }
  }
  return error ? IoError(out_dir, "cannot be read (" + error.message() + ")") : text::Success();
}

// Puts the finished temporary folder in place of `out_dir`: a rename over a missing or empty
// folder, else the swap through the old folder renamed aside (see ImportDiscSubtitles).
text::Status PutInPlace(const fs::path& temporary, const fs::path& out_dir,
                        const fs::path& parent) {
  std::error_code error;
  if (!fs::exists(out_dir, error) || IsEmptyFolder(out_dir)) {
    // rename() replaces an empty folder in one step.
    return RenameStep(temporary, out_dir, "cannot be made");
  }
  const fs::path aside = HiddenFolder(parent, out_dir.filename(), kOldTag, ::getpid());
  if (text::Status moved = RenameStep(out_dir, aside, "cannot be renamed aside"); !moved) {
    return moved;
  }
  if (text::Status placed = RenameStep(temporary, out_dir, "cannot be replaced"); !placed) {
    fs::rename(aside, out_dir, error);  // the old import back in place
    return placed;
  }
  // The new import is in place; an old folder that stays is removed by the next import.
  RemoveStep(aside);
  return text::Success();
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

text::Status RecoverInterruptedImports(const fs::path& out_dir) {
  std::error_code error;
  const fs::path target = out_dir.has_filename() ? out_dir : out_dir.parent_path();
  const fs::path parent = fs::absolute(target, error).parent_path();
  const std::string name = target.filename().string();
  std::vector<fs::path> old_folders;
  std::vector<fs::path> new_folders;
  for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
    const std::string file_name = it->path().filename().string();
    if (const long pid = HiddenFolderPid(file_name, name, kOldTag); pid > 0 && ProcessGone(pid)) {
      old_folders.push_back(it->path());
    } else if (const long id = HiddenFolderPid(file_name, name, kNewTag);
               id > 0 && ProcessGone(id)) {
      new_folders.push_back(it->path());
    }
  }
  for (const fs::path& old : old_folders) {
    // Killed between its two renames: the old import goes back.
    if (!fs::exists(fs::symlink_status(parent / name, error))) {
      if (text::Status back = RenameStep(old, parent / name, "cannot be put back"); !back) {
        return back;
      }
      continue;
    }
    RemoveStep(old);
  }
  for (const fs::path& folder : new_folders) {
    RemoveStep(folder);
  }
  return text::Success();
}

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
  // What killed imports into the same place left, first: an old import renamed aside is back
  // before the folder is looked at.
  if (text::Status recovered = RecoverInterruptedImports(target); !recovered) {
    return recovered.error();
  }
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

  const fs::path temporary = HiddenFolder(parent, target.filename(), kNewTag, ::getpid());
  if (!fs::create_directory(temporary, error)) {
    return IoError(temporary, "cannot be made (" + error.message() + ")");
  }
  FolderGuard guard(temporary);

  ImportReport report;
  report.track = stream.Track();
  std::string srt;
  BmpFileWriter bitmaps(options.depth);
  const text::Status walked = ForEachPicture(
      stream, options, name, report.warnings,
      [&](const SubtitleBitmap& picture, const InkChoice& ink) -> text::Result<bool> {
        const int number = report.pictures + 1;
        const bool halve = HalvesPicture(picture, options.scale);
        const fs::path file = temporary / PictureName(number);
        if (!text::PassFileStep(text::FileStep::kWrite, file)) {
          return IoError(file, "cannot be written (" + StepFailed() + ")");
        }
        // A caller taking the pictures too gets the ink picture the bitmap is written from.
        std::optional<InkPicture> rendered;
        if (take) {
          rendered = RenderInkAtScale(picture, ink, options.scale);
        }
        text::Status written = rendered ? bitmaps.Write(*rendered, file)
                               : halve  ? bitmaps.Write(RenderHalfInk(picture, ink), file)
                                        : bitmaps.Write(picture, ink, file);
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
  const std::vector<std::string> read_warnings = stream.Warnings();
  report.warnings.insert(report.warnings.begin(), read_warnings.begin(), read_warnings.end());
  if (report.stopped) {
    return report;  // the guard removes the temporary folder
  }
  const fs::path subtitle = temporary / SubtitleNameFor(input);
  if (text::Status saved = text::WriteFileAtomic(subtitle, srt); !saved) {
    return saved.error();
  }
  if (fs::exists(target, error) && !IsEmptyFolder(target)) {
    if (text::Status kept = CarryOtherFiles(target, temporary); !kept) {
      return kept.error();
    }
  }
  if (text::Status synced = SyncFolder(temporary, true); !synced) {
    return synced.error();
  }
  if (text::Status placed = PutInPlace(temporary, target, parent); !placed) {
    return placed.error();
  }
  guard.Release();
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
      stream, options, text::PathForMessage(input), report.warnings,
      [&](const SubtitleBitmap& picture, const InkChoice& ink) -> text::Result<bool> {
        const int number = report.pictures + 1;
        const bool halve = HalvesPicture(picture, options.scale);
        if (halve) {
          rendered = RenderHalfInk(picture, ink);
        } else {
          RenderInkInto(picture, ink, rendered);
        }
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
  const std::vector<std::string> read_warnings = stream.Warnings();
  report.warnings.insert(report.warnings.begin(), read_warnings.begin(), read_warnings.end());
  if (!report.stopped) {
    pump.ReportProgress(1000, 1000);
  }
  return report;
}

namespace {

// The pictures of `stream` as ImportFromMemory and ImportFromFile give them.
text::Result<std::vector<ImportedPicture>> PicturesOf(SubtitleStream& stream,
                                                      const std::string& name,
                                                      const ImportOptions& options) {
  std::vector<ImportedPicture> pictures;
  std::vector<std::string> warnings;
  const text::Status walked = ForEachPicture(
      stream, options, name, warnings, [&](const SubtitleBitmap& bitmap, const InkChoice& ink) {
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

}  // namespace

text::Result<std::vector<ImportedPicture>> ImportFromMemory(std::string bytes,
                                                            const std::string& name,
                                                            const ImportOptions& options) {
  auto opened = SubtitleStream::OpenMemory(std::move(bytes), name, options.track);
  if (!opened) {
    return opened.error();
  }
  return PicturesOf(*opened.value(), name, options);
}

text::Result<std::vector<ImportedPicture>> ImportFromFile(const fs::path& input,
                                                          const ImportOptions& options) {
  auto opened = SubtitleStream::Open(input, options.track);
  if (!opened) {
    return opened.error();
  }
  return PicturesOf(*opened.value(), text::PathForMessage(input), options);
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
