// The window's import of disc subtitles: choosing the input, the preview's pictures, the run
// with its questions and messages, and opening the imported picture subtitle.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "import/disc_import.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace app {

// What the panel shows of a chosen input: its tracks and the first pictures of one.
struct ImportPreview {
  std::vector<import::TrackInfo> tracks;
  std::vector<import::SubtitleBitmap> pictures;  // as decoded; the panel inks them
};

// How an import run ended.
enum class ImportOutcome { kOpened, kFailed, kStopped, kDeclined };

class ImportFlow {
 public:
  // Pictures the preview shows.
  static constexpr int kPreviewPictures = 3;
  // Picture numbers the warning on too wide pictures lists before "...".
  static constexpr std::size_t kTooWideListed = 20;

  // All references must outlive the flow. `pump` is the one the run reports to and stops by.
  ImportFlow(Application& application, ports::MessagePort& messages, ports::FileDialogPort& dialogs,
             ports::EventPump& pump)
      : application_(application), messages_(messages), dialogs_(dialogs), pump_(pump) {}

  // Guards unsaved work as Open does (message 410), then asks for a disc subtitle file in the
  // last open folder. nullopt when the user cancelled or declined.
  std::optional<std::filesystem::path> ChooseInput();

  // The tracks of `input` and the first pictures of `track` (0: the first importable one).
  // A failure is shown (message 1043 and the reason) and returned.
  text::Result<ImportPreview> LoadPreview(const std::filesystem::path& input, int track);

  // Imports `input` into `out_dir`. An occupied folder asks first (message 1046; No declines).
  // A stream that ends early asks whether to import the pictures read before it (message 1505
  // and where it ends; No declines, Yes imports them with options.allow_partial). A failure is
  // shown (message 1043 and the reason), a stop is told (message 1049); after either, nothing is
  // written. On success, the import's warnings are told first (message 1502, then one line
  // each), then pictures written wider than recognition reads (a warning: message 1073 and their
  // numbers, the first kTooWideListed of them), then the picture subtitle is opened as the Open
  // command opens a chosen SRT.
  ImportOutcome Run(const std::filesystem::path& input, const std::filesystem::path& out_dir,
                    import::ImportOptions options);

 private:
  void ShowFailure(const text::Error& error);
  std::string Text(int message) const {
    return application_.Messages().Message(message);
  }

  Application& application_;
  ports::MessagePort& messages_;
  ports::FileDialogPort& dialogs_;
  ports::EventPump& pump_;
};

}  // namespace app
