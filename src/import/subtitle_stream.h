// Reading picture subtitles from disc formats through FFmpeg: PGS (.sup), VobSub (.idx with its
// .sub), and the PGS or VobSub tracks of Matroska and MPEG-TS files. FFmpeg is reached through
// the module zentrope-ffmpeg.so, loaded at the first call that needs it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/subtitle_bitmap.h"
#include "text/result.h"

namespace import {

class StreamReader;

enum class SubtitleCodec { kPgs, kVobSub, kOther };

// A subtitle track of an input file.
struct TrackInfo {
  int number = 0;  // 1-based among the file's subtitle tracks: what --track takes
  SubtitleCodec codec = SubtitleCodec::kOther;
  std::string codec_name;      // FFmpeg's name, e.g. "hdmv_pgs_subtitle"
  std::string language;        // as the container tags it ("eng"), "" when untagged
  std::string title;           // the track's name as the container tags it, "" when untagged
  bool default_track = false;  // the container marks it as the one to show by default
  bool forced = false;         // the container marks it as forced (shown with subtitles off)
  bool IsSupported() const {
    return codec == SubtitleCodec::kPgs || codec == SubtitleCodec::kVobSub;
  }
};

// Pictures larger than this in either direction are refused as damaged input.
inline constexpr int kMaxPictureSide = 4096;
// The display time given to a last picture whose end the stream does not say.
inline constexpr Milliseconds kDefaultLastDuration = 3000;

// Lists the subtitle tracks of `input`. Errors (code "format" or "io") name the file: a missing
// file, a file FFmpeg cannot read as a container, a .idx without its .sub, a file with no
// subtitle track. Code "module" when the FFmpeg module cannot be loaded (see
// loader::LoadModule); the same holds for SubtitleStream::Open and OpenMemory.
text::Result<std::vector<TrackInfo>> ListTracks(const std::filesystem::path& input);

// Reads the display sets of one subtitle track in stream order. Each Next() call returns the next
// picture with its times settled (the end is the stream's own end time, else the start of the
// following display set, clearing or not). Display sets with no opaque pixel are skipped and
// counted. Not copyable; owns its FFmpeg contexts (through the module).
class SubtitleStream {
 public:
  ~SubtitleStream();
  SubtitleStream(const SubtitleStream&) = delete;
  SubtitleStream& operator=(const SubtitleStream&) = delete;

  // Opens track `track` (1-based as in ListTracks; 0 = the first PGS or VobSub track). Errors
  // name the file; a track number that does not exist or is not PGS or VobSub is refused.
  static text::Result<std::unique_ptr<SubtitleStream>> Open(const std::filesystem::path& input,
                                                            int track = 0);
  // The same over bytes in memory (a .sup, .mkv, .mks, .ts or .m2ts image; not VobSub, which
  // needs two files). `name` stands for the file in messages. For tests and fuzzing.
  static text::Result<std::unique_ptr<SubtitleStream>> OpenMemory(std::string bytes,
                                                                  const std::string& name,
                                                                  int track = 0);

  // The next picture; nullopt at the end of the stream, or where it ends early (see EarlyEnd).
  // An Error (code "format") names the file and the display set: an undecodable display set, a
  // picture larger than kMaxPictureSide. After an Error the stream gives nothing more.
  text::Result<std::optional<SubtitleBitmap>> Next();
  // Once Next has given nullopt: why the stream ended before its end, "" when it did not. Names
  // the display set: one cut or damaged (also a file shorter than its container's header says,
  // a read error after the first pictures, a VobSub .sub holding fewer pictures than its index
  // lists). The pictures given before it are whole.
  const std::string& EarlyEnd() const;
  // What was read but not as the stream should be, each once, naming the file: a palette index
  // no palette defines (read as transparent), a VobSub .sub read without its .idx.
  std::vector<std::string> Warnings() const;

  const TrackInfo& Track() const;
  // Display sets read so far that showed nothing (clearing sets excluded).
  int EmptyCount() const;
  // How far the input has been read, 0-1000 (per mille of the file), for progress.
  int Progress() const;

  // Over a track the module opened.
  explicit SubtitleStream(std::unique_ptr<StreamReader> reader);

 private:
  std::unique_ptr<StreamReader> reader_;
  std::vector<std::string> warnings_;  // of the files, found before the reader opened
};

}  // namespace import
