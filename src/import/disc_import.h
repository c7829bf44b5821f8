// Importing a disc subtitle track as a picture subtitle: an SRT naming 0001.bmp, 0002.bmp, ...
// and those 24-bit bitmaps, ink black on white, in one output folder.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "import/bmp_writer.h"
#include "import/ink.h"
#include "import/subtitle_stream.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace import {

// The size the pictures are written at.
//   kAuto: half size when the stream's video is wider than kAutoHalfAbove pixels (UHD discs,
//          whose glyphs are twice the size of a 1080p disc's), else full size.
//   kFull: every picture as the stream gives it.
//   kHalf: every picture halved (see RenderHalfInk).
enum class PictureScale { kAuto, kFull, kHalf };

// Video width above which kAuto halves the pictures: wider than a 1080p frame.
inline constexpr int kAutoHalfAbove = 1920;

// Width in pixels of the widest picture that recognition reads; a wider one it asks about as a
// damaged picture.
inline constexpr int kMaxRecognisedWidth = 1999;

// True when `scale` halves `bitmap`: kHalf, or kAuto and the picture's video (SubtitleBitmap's
// video_width) wider than kAutoHalfAbove. A stream that does not give its video size is kept.
bool HalvesPicture(const SubtitleBitmap& bitmap, PictureScale scale);
// The ink picture of `bitmap` at the size `scale` gives it: RenderHalfInk when HalvesPicture,
// RenderInk otherwise.
InkPicture RenderInkAtScale(const SubtitleBitmap& bitmap, const InkChoice& choice,
                            PictureScale scale);

struct ImportOptions {
  int track = 0;  // 1-based subtitle track; 0 = the first PGS or VobSub track
  InkOptions ink;
  PictureScale scale = PictureScale::kAuto;
  // The pictures to import, 1-based in stream order, counting only pictures that show
  // something; last 0 = to the end. The output is numbered from 1 whatever `first` is.
  int first = 1;
  int last = 0;
  // An output folder that exists and holds files is refused unless this is set; then files of
  // the same names are replaced and other files are left alone.
  bool overwrite = false;
  // A stream that ends early (SubtitleStream::EarlyEnd) is an Error (code "partial") unless this
  // is set; then the pictures read before it are imported and a warning tells where it ended.
  bool allow_partial = false;
  // Bits a pixel of the pictures written: 1 (a black and white palette) unless 24 is asked for,
  // as imports wrote before; recognition reads either to the same ink.
  BmpDepth depth = BmpDepth::k1;
};

// The last time a subtitle file can hold: 99:59:59,999. A picture shown later is refused.
inline constexpr Milliseconds kLastSrtTime = 100LL * 3600000 - 1;

// One imported picture in memory.
struct ImportedPicture {
  int entry = 0;  // display set number in the stream
  Milliseconds start = 0;
  Milliseconds end = 0;
  bool forced = false;
  InkUsed ink_used = InkUsed::kAllOpaque;
  bool halved = false;  // `picture` is at half size
  InkPicture picture;
};

struct ImportReport {
  std::filesystem::path subtitle_file;  // the SRT written
  TrackInfo track;
  int pictures = 0;         // pictures written
  int empty_dropped = 0;    // display sets that showed nothing
  std::vector<int> forced;  // SRT entry numbers of the pictures the stream marks as forced
  Milliseconds first_start = 0;
  Milliseconds last_end = 0;
  std::array<int, 4> ink_used{};  // pictures per InkUsed, indexed by its value
  int halved = 0;                 // pictures written at half size
  // SRT entry numbers of the pictures written wider than kMaxRecognisedWidth, which recognition
  // will ask about as damaged pictures.
  std::vector<int> too_wide;
  // What was imported but not as the stream should be, one line each naming the input: a stream
  // ending early under allow_partial, those of SubtitleStream::Warnings.
  std::vector<std::string> warnings;
  bool stopped = false;  // the host asked to stop: nothing was written
};

// The SRT's name for an input: its name with the extension replaced by ".srt".
std::filesystem::path SubtitleNameFor(const std::filesystem::path& input);
// The output folder proposed for an input: beside it, named after it without its extension.
std::filesystem::path DefaultOutputFolder(const std::filesystem::path& input);
// "0001.bmp" for 1: at least four digits.
std::string PictureName(int number);
// "hh:mm:ss,mmm", as SRT writes times.
std::string SrtTime(Milliseconds time);

// One picture as an import takes it, handed to a caller that wants the pictures too: its number
// in the SRT (from 1), the decoded picture and its ink at the import's size. An Error ends the
// import with that error.
using PictureTaker =
    std::function<text::Status(int number, const SubtitleBitmap& bitmap, const InkPicture& ink)>;

// Reads `input` (see SubtitleStream) and writes `out_dir`/<input name>.srt with one entry per
// picture and its bitmaps. Everything is written into a hidden folder beside `out_dir`,
// ".<name>.import-<process id>", that replaces it at the end, so on any Error (the first one
// met, naming the file and, where it applies, the display set) and on a stop nothing is left in
// `out_dir`. Over a folder that holds files (options.overwrite) the new folder gets the old
// folder's other files too (hard links where the file system allows), then the old folder is
// renamed aside to ".<name>.old-<process id>", the new one into its place, and the old one
// removed: `out_dir` is the old or the new import as a whole at every moment but between the
// two renames, when it is missing and RecoverInterruptedImports puts the old one back. Every
// bitmap write, rename and removal passes text::PassFileStep. Calls
// pump.LetPendingEventsRun() and ReportProgress(per mille of the input read, 1000) once per
// picture and stops when StopRequested(). Errors: those of SubtitleStream, code "range" for a
// --first/--last outside the pictures, "exists" for an occupied out_dir, "partial" for a stream
// ending early after some pictures (see ImportOptions::allow_partial; "format" when it ends
// before the first), "format" for a time past kLastSrtTime, "io" for writes (with the system's
// reason).
// With `take`, each picture is also handed to it after its bitmap is written (the same bytes).
text::Result<ImportReport> ImportDiscSubtitles(const std::filesystem::path& input,
                                               const std::filesystem::path& out_dir,
                                               const ImportOptions& options, ports::EventPump& pump,
                                               const PictureTaker& take = {});

// The import without files: reads `input` as ImportDiscSubtitles does and hands every picture
// it would write to `take`, in order; `srt` receives the bytes of the SRT it would write. The
// report is the one it would give, `subtitle_file` empty. Pumps, reports progress and stops as
// ImportDiscSubtitles. Errors: those of SubtitleStream, "range", and any of `take`.
text::Result<ImportReport> ReadDiscSubtitles(const std::filesystem::path& input,
                                             const ImportOptions& options, ports::EventPump& pump,
                                             const PictureTaker& take, std::string& srt);

// Clears beside `out_dir` what imports into it left when they ended before finishing (killed,
// or a removal that failed): the hidden folders of ImportDiscSubtitles whose process is gone
// (or is this one). An old folder renamed aside while `out_dir` is missing goes back in place;
// every other such folder is removed. ImportDiscSubtitles calls it first. Errors (code "io")
// only when the old folder cannot be put back.
text::Status RecoverInterruptedImports(const std::filesystem::path& out_dir);

// The same import without files: the pictures of a stream image held in memory (see
// SubtitleStream::OpenMemory), for tests and fuzzing. Never writes anything.
text::Result<std::vector<ImportedPicture>> ImportFromMemory(std::string bytes,
                                                            const std::string& name,
                                                            const ImportOptions& options);

// The same over a file, any input ImportDiscSubtitles takes (VobSub included); writes nothing.
text::Result<std::vector<ImportedPicture>> ImportFromFile(const std::filesystem::path& input,
                                                          const ImportOptions& options);

// The first `count` pictures of a track as decoded, for a preview that inks them again as the
// options change. Errors as SubtitleStream's.
text::Result<std::vector<SubtitleBitmap>> ReadFirstPictures(const std::filesystem::path& input,
                                                            int track, int count);

}  // namespace import
