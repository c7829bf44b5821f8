// ImportFlow: the import use case behind the window's panel.
#include "app/import_flow.h"

#include <system_error>

#include "app/status_texts.h"
#include "ocr/pixel_grid.h"

namespace app {

namespace fs = std::filesystem;

// The import warns of what recognition will refuse.
static_assert(import::kMaxRecognisedWidth == ocr::PixelGrid::kColumns - 1);

std::optional<fs::path> ImportFlow::ChooseInput() {
  if (!application_.GuardUnsavedMainSubtitle(msg::kOpenUnsavedQuestion)) {
    return std::nullopt;
  }
  // The dialog shows the patterns after the description.
  ports::FileFilter filter{{{Text(msg::kImportFilter), "*.sup;*.idx;*.mkv;*.mks;*.m2ts;*.ts"}},
                           application_.Document().last_open_folder,
                           ".sup"};
  auto chosen = dialogs_.ChooseFileToOpen(filter);
  if (chosen) {
    application_.Document().last_open_folder = chosen->parent_path();
  }
  return chosen;
}

text::Result<ImportPreview> ImportFlow::LoadPreview(const fs::path& input, int track) {
  auto tracks = import::ListTracks(input);
  if (!tracks) {
    ShowFailure(tracks.error());
    return tracks.error();
  }
  auto pictures = import::ReadFirstPictures(input, track, kPreviewPictures);
  if (!pictures) {
    ShowFailure(pictures.error());
    return pictures.error();
  }
  return ImportPreview{std::move(tracks).value(), std::move(pictures).value()};
}

ImportOutcome ImportFlow::Run(const fs::path& input, const fs::path& out_dir,
                              import::ImportOptions options) {
  std::error_code error;
  if (!options.overwrite && fs::is_directory(out_dir, error) && !fs::is_empty(out_dir, error)) {
    const ports::Answer answer = messages_.Ask(
        {Text(msg::kImportReplaceQuestion), Text(msg::kImportTitle), ports::Buttons::kYesNo});
    if (answer != ports::Answer::kYes) {
      return ImportOutcome::kDeclined;
    }
    options.overwrite = true;
  }
  auto report = import::ImportDiscSubtitles(input, out_dir, options, pump_);
  if (!report && report.error().code == "partial" && !options.allow_partial) {
    const ports::Answer answer =
        messages_.Ask({Text(msg::kImportPartialQuestion) + "\n" + report.error().message,
                       Text(msg::kImportTitle), ports::Buttons::kYesNo});
    if (answer != ports::Answer::kYes) {
      return ImportOutcome::kDeclined;
    }
    options.allow_partial = true;
    report = import::ImportDiscSubtitles(input, out_dir, options, pump_);
  }
  if (!report) {
    ShowFailure(report.error());
    return ImportOutcome::kFailed;
  }
  if (report.value().stopped) {
    messages_.Inform(ports::Severity::kInformation, Text(msg::kImportStopped));
    return ImportOutcome::kStopped;
  }
  if (const std::vector<std::string>& warnings = report.value().warnings; !warnings.empty()) {
    std::string lines;
    for (const std::string& warning : warnings) {
      lines += "\n" + warning;
    }
    messages_.Inform(ports::Severity::kWarning, Text(msg::kImportWarnings) + lines);
  }
  if (const std::vector<int>& too_wide = report.value().too_wide; !too_wide.empty()) {
    messages_.Inform(ports::Severity::kWarning,
                     Text(msg::kImportTooWide) + NumberList(too_wide, kTooWideListed));
  }
  return application_.OpenSubtitleFile(report.value().subtitle_file) ? ImportOutcome::kOpened
                                                                     : ImportOutcome::kFailed;
}

void ImportFlow::ShowFailure(const text::Error& error) {
  messages_.Inform(ports::Severity::kError, Text(msg::kImportFailed) + error.message);
}

}  // namespace app
