// The loader thread and its ring of pictures.
#include "ocr/read_ahead.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "document/picture_files.h"
#include "text/gbk.h"

namespace ocr {
namespace {

// How long the run asks again for a picture the loader is reading before it sleeps.
constexpr auto kBriefWait = std::chrono::microseconds(100);
// A hint to the processor that this thread is waiting in a loop.
void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

int DefaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores >= 2 ? 2 : 1;
}

PictureReadAhead::PictureReadAhead(PictureIo& pictures, int jobs, int depth)
    : pictures_(pictures), slots_(static_cast<std::size_t>(std::max(depth, 1))) {
  if (jobs > 1 && pictures.ConcurrentLoads()) {
    loader_ = std::thread([this] { Load(); });
  }
}

PictureReadAhead::~PictureReadAhead() {
  if (!loader_.joinable()) {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  loader_.join();
}

int PictureReadAhead::NextRow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == 0) {
    return -1;
  }
  const auto last =
      static_cast<std::size_t>((head_ + count_ - 1) % static_cast<int>(slots_.size()));
  return slots_[last].row + 1;
}

bool PictureReadAhead::HasRoom() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_ < static_cast<int>(slots_.size());
}

void PictureReadAhead::Request(int row, const std::filesystem::path& folder,
                               const std::string& name) {
  // A Chinese name is looked up on the disk (UTF-8 or its raw bytes) before the lock is taken;
  // an ASCII name is put together in the slot's own path, which allocates nothing once warm.
  std::filesystem::path located;
  if (text::HasNonAscii(name)) {
    located = document::LocatePicture(folder, name).path;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot& slot =
        slots_[static_cast<std::size_t>((head_ + count_) % static_cast<int>(slots_.size()))];
    // The slot is free: only this thread queues, and the loader takes queued slots only.
    slot.row = row;
    slot.name = name;
    if (located.empty()) {
      slot.path = folder;
      slot.path /= name;
    } else {
      slot.path = std::move(located);
    }
    slot.read = false;
    slot.state = State::kQueued;
    ++count_;
  }
  changed_.notify_all();
}

bool PictureReadAhead::Take(int row, const std::string& name, std::unique_ptr<Picture>& picture) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (count_ == 0) {
    return false;
  }
  Slot& slot = slots_[static_cast<std::size_t>(head_)];
  if (slot.row != row) {
    ResetLocked(lock);
    return false;
  }
  // A picture the loader is reading is usually only microseconds away. Asking again for a short
  // while, instead of going to sleep at once, spares the wake-up of a sleeping thread (and of
  // its idle core), which can take longer than reading a small picture. The run does not give
  // its core away meanwhile: on a busy machine it might not get it back for a long while. A
  // picture not yet begun is not waited for this way.
  const auto give_up = std::chrono::steady_clock::now() + kBriefWait;
  while (slot.state == State::kLoading && std::chrono::steady_clock::now() < give_up) {
    lock.unlock();
    for (int i = 0; i < 16; ++i) {
      CpuRelax();
    }
    lock.lock();
  }
  changed_.wait(lock, [&slot] { return slot.state == State::kDone; });
  const bool taken = slot.read && slot.name == name;
  if (taken) {
    std::swap(slot.picture, picture);
  }
  slot.state = State::kFree;
  head_ = (head_ + 1) % static_cast<int>(slots_.size());
  --count_;
  return taken;
}

void PictureReadAhead::Reset() {
  std::unique_lock<std::mutex> lock(mutex_);
  ResetLocked(lock);
}

void PictureReadAhead::ResetLocked(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] {
    return std::none_of(slots_.begin(), slots_.end(),
                        [](const Slot& slot) { return slot.state == State::kLoading; });
  });
  for (Slot& slot : slots_) {
    slot.state = State::kFree;
  }
  head_ = 0;
  count_ = 0;
  next_load_ = 0;
}

void PictureReadAhead::Load() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return quit_ || slots_[static_cast<std::size_t>(next_load_)].state == State::kQueued;
    });
    if (quit_) {
      return;
    }
    Slot& slot = slots_[static_cast<std::size_t>(next_load_)];
    slot.state = State::kLoading;
    // The picture's own decoding can be done here too, or by the run when it reads the
    // picture. Done here while the loader is well ahead (half the ring waits for the run), by the
    // run otherwise: the two threads then share the work and neither waits long for the other.
    const auto waiting = std::count_if(slots_.begin(), slots_.end(), [](const Slot& other) {
      return other.state == State::kDone;
    });
    const bool ahead = 2 * static_cast<std::size_t>(waiting) >= slots_.size();
    lock.unlock();
    // The slot is the loader's alone until it is marked done.
    bool read = false;
    try {
      read = (ahead ? pictures_.LoadAheadInto(slot.path, slot.picture)
                    : pictures_.LoadInto(slot.path, slot.picture))
                 .ok();
    } catch (const std::exception&) {
      read = false;  // the run loads the row itself and meets the failure there
    }
    lock.lock();
    slot.read = read;
    slot.state = State::kDone;
    next_load_ = (next_load_ + 1) % static_cast<int>(slots_.size());
    changed_.notify_all();
  }
}

LoaderChoice::LoaderChoice(bool loader, Clock clock)
    : clock_(std::move(clock)), available_(loader), use_loader_(loader), start_(clock_()) {}

void LoaderChoice::RowDone(bool asked) {
  if (!available_) {
    return;
  }
  asked_ = asked_ || asked;
  if (++rows_ < kStretchRows) {
    return;
  }
  const auto now = clock_();
  const auto took = now - start_;
  const bool timed = !asked_;
  rows_ = 0;
  asked_ = false;
  start_ = now;
  switch (phase_) {
    case Phase::kWarmingUp:
      phase_ = Phase::kComparing;
      loader_ = {};
      own_ = {};
      break;
    case Phase::kComparing: {
      if (timed) {
        Tally& tally = use_loader_ ? loader_ : own_;
        tally.time += took;
        ++tally.stretches;
      }
      if (loader_.stretches < kComparedStretches || own_.stretches < kComparedStretches) {
        use_loader_ = !use_loader_;
        break;
      }
      // The loader is kept when faster a stretch by more than a sixteenth: it costs a core. The
      // same way chosen again is kept twice as long as before (up to kLongestKeep), so that a
      // steady machine spends less and less time on the slower way.
      const bool loader = 16 * loader_.time * own_.stretches < 15 * own_.time * loader_.stretches;
      keep_for_ = last_choice_ == loader
                      ? std::min<std::chrono::steady_clock::duration>(2 * keep_for_, kLongestKeep)
                      : std::chrono::steady_clock::duration{kKeepTime};
      last_choice_ = loader;
      use_loader_ = loader;
      phase_ = Phase::kKeeping;
      kept_ = 0;
      keeping_since_ = now;
      break;
    }
    case Phase::kKeeping:
      if (++kept_ >= kKeptStretches && now - keeping_since_ >= keep_for_) {
        // The loader starts again with an empty ring: warm it up before it is timed.
        phase_ = Phase::kWarmingUp;
        use_loader_ = true;
      }
      break;
  }
}

}  // namespace ocr
