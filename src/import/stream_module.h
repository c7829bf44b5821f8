// The table of functions between SubtitleStream and the module that reads disc subtitles through
// FFmpeg (zentrope-ffmpeg.so). Both sides are of one build (the loader checks), so the table
// passes the project's own C++ types.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "import/subtitle_bitmap.h"
#include "import/subtitle_stream.h"
#include "text/result.h"

namespace import {

// One opened track on the FFmpeg side; SubtitleStream forwards to it (see there for the
// contracts of Next, Track, EmptyCount, Progress, EarlyEnd and Warnings).
class StreamReader {
 public:
  virtual ~StreamReader() = default;
  virtual text::Result<std::optional<SubtitleBitmap>> Next() = 0;
  virtual const TrackInfo& Track() const = 0;
  virtual int EmptyCount() const = 0;
  virtual int Progress() const = 0;
  virtual const std::string& EarlyEnd() const = 0;
  virtual const std::vector<std::string>& Warnings() const = 0;
  // The number of pictures a VobSub index lists for the track; the end of the stream is an
  // error when the .sub file holds fewer. Not called: nothing to compare with.
  virtual void ExpectPictures(int count) = 0;
};

// `name` stands for the input in messages. The caller has checked that a file exists.
struct StreamModule {
  text::Result<std::vector<TrackInfo>> (*list_tracks)(const std::filesystem::path& input,
                                                      const std::string& name);
  text::Result<std::unique_ptr<StreamReader>> (*open_file)(const std::filesystem::path& input,
                                                           const std::string& name, int track);
  text::Result<std::unique_ptr<StreamReader>> (*open_memory)(std::string bytes,
                                                             const std::string& name, int track);
};

// The module's entry point (a loader::ModuleEntry).
inline constexpr char kStreamModuleEntry[] = "zentrope_ffmpeg_module";

}  // namespace import
