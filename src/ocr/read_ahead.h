// Reading the run's subtitle pictures ahead on a second thread, in row order, into a small ring.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ocr/picture.h"
#include "text/result.h"

namespace ocr {

// How many pictures the loader may hold ahead of the run.
inline constexpr int kReadAheadDepth = 8;
// Runs over fewer rows than this read their pictures on their own thread, whatever the jobs:
// starting a loader costs more than it saves on a few pictures.
inline constexpr int kRowsWorthReadingAhead = 64;

// The number of threads a run uses unless told otherwise: the cores available, at most 2 (the
// run's own and one loader).
int DefaultJobs();

// The loader. The run thread asks for the pictures of the rows it will recognise next, in
// order, and takes them one by one; the loader thread only reads files into pictures
// (PictureIo::LoadInto) and never touches the document or the engine. Everything but a read
// that succeeded is left to the run, which loads that row itself as it always has, so missing
// pictures, damaged files and their questions happen in the run's order and on its thread.
class PictureReadAhead {
 public:
  // Starts a loader thread when `jobs` > 1 and `pictures` allows concurrent loads; otherwise
  // Enabled() is false and nothing else may be called.
  PictureReadAhead(PictureIo& pictures, int jobs, int depth = kReadAheadDepth);
  ~PictureReadAhead();  // stops and joins the loader
  PictureReadAhead(const PictureReadAhead&) = delete;
  PictureReadAhead& operator=(const PictureReadAhead&) = delete;

  bool Enabled() const {
    return loader_.joinable();
  }
  // The row after the last one asked for, or -1 when nothing is asked for.
  int NextRow() const;
  // True when another row may be asked for.
  bool HasRoom() const;
  // Asks for the picture `name` of `folder` (as document::LocatePicture resolves it) as the
  // picture of `row`. Needs HasRoom().
  void Request(int row, const std::filesystem::path& folder, const std::string& name);
  // Waits for the oldest row asked for and, when it is `row` named `name` and its read
  // succeeded, swaps its picture with `picture` and returns true (`picture` then holds the
  // loaded picture; hand back the one to reuse the same way). Returns false otherwise, when the
  // caller loads the row itself. Either way the row is no longer held. When the oldest row is
  // not `row`, every row asked for is dropped first.
  bool Take(int row, const std::string& name, std::unique_ptr<Picture>& picture);
  // Drops every row asked for (waiting for a read in progress to end).
  void Reset();

 private:
  enum class State { kFree, kQueued, kLoading, kDone };
  struct Slot {
    State state = State::kFree;
    int row = 0;
    std::string name;
    std::filesystem::path path;
    std::unique_ptr<Picture> picture;
    bool read = false;  // the read succeeded
  };

  void Load();
  void ResetLocked(std::unique_lock<std::mutex>& lock);

  PictureIo& pictures_;
  std::vector<Slot> slots_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int head_ = 0;       // oldest slot in use
  int count_ = 0;      // slots in use
  int next_load_ = 0;  // the slot the loader reads next
  bool quit_ = false;
  std::thread loader_;
};

// Chooses, stretch by stretch, whether the run takes its pictures from the loader thread or
// loads them on its own thread, by how long a row took each way: where other programs keep the
// cores busy, the loader can cost more than it saves. After a first stretch that warms the
// loader up, the two ways take turns for kComparedStretches stretches each, so that both meet
// the same share of the machine however the system's scheduler hands it out over time, and
// the faster way in all is kept (the loader only when clearly faster) for at least
// kKeptStretches stretches and kKeepTime, twice that each time the same way wins again (up to
// kLongestKeep); then the two are compared again. A stretch in which the user was asked
// anything is not counted.
class LoaderChoice {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr int kStretchRows = 64;
  static constexpr int kComparedStretches = 4;
  static constexpr int kKeptStretches = 32;
  static constexpr std::chrono::milliseconds kKeepTime{500};
  static constexpr std::chrono::milliseconds kLongestKeep{8000};

  // Without `loader`, the run always loads its own pictures.
  explicit LoaderChoice(bool loader, Clock clock = &std::chrono::steady_clock::now);
  bool UseLoader() const {
    return use_loader_;
  }
  // One more row done; `asked` when it asked the user anything.
  void RowDone(bool asked);

 private:
  enum class Phase { kWarmingUp, kComparing, kKeeping };
  struct Tally {
    std::chrono::steady_clock::duration time{};
    int stretches = 0;
  };
  Clock clock_;
  bool available_;
  bool use_loader_;
  Phase phase_ = Phase::kWarmingUp;
  int rows_ = 0;
  bool asked_ = false;
  int kept_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point keeping_since_;
  std::chrono::steady_clock::duration keep_for_{kKeepTime};
  std::optional<bool> last_choice_;  // whether the last comparison chose the loader
  Tally loader_;  // the compared stretches that took their pictures from the loader
  Tally own_;     // and those that loaded their own
};

}  // namespace ocr
