// Opening a disc subtitle stream as a picture subtitle whose pictures are held in memory.
#include "app/disc_recognition.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "document/subtitle_reader.h"
#include "text/line_file.h"

namespace app {

namespace fs = std::filesystem;

bool IsDiscSubtitleFile(const fs::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* known : {".sup", ".idx", ".mkv", ".mks", ".ts", ".m2ts"}) {
    if (extension == known) {
      return true;
    }
  }
  return false;
}

text::Result<import::ImportReport> OpenDiscSubtitle(
    const fs::path& input, const import::ImportOptions& options, const fs::path& pictures_dir,
    ports::EventPump& pump, document::SubtitleDocument& document, ocr::HeldPictureIo& pictures) {
  std::error_code error;
  const fs::path folder =
      fs::absolute(pictures_dir.empty() ? import::DefaultOutputFolder(input) : pictures_dir, error);
  // Each picture as the import's bitmap of it reads: its ink, a bit a pixel.
  const import::PictureTaker hold = [&](int number, const import::SubtitleBitmap&,
                                        const import::InkPicture& ink) {
    ocr::InkBitsPicture held;
    held.Assign(ink.width, ink.height, ink.ink.data());
    pictures.Hold(folder / import::PictureName(number), std::move(held));
    return text::Success();
  };
  std::string srt;
  text::Result<import::ImportReport> read =
      pictures_dir.empty() ? import::ReadDiscSubtitles(input, options, pump, hold, srt)
                           : import::ImportDiscSubtitles(input, pictures_dir, options, pump, hold);
  if (!read || read.value().stopped) {
    return read;
  }
  if (!pictures_dir.empty()) {
    // The SRT the import wrote is read back, as opening it would.
    auto bytes = text::ReadFileBytes(read.value().subtitle_file);
    if (!bytes) {
      return bytes.error();
    }
    srt = std::move(bytes).value();
  }
  document.source_extension = ".srt";
  document::ReadSubtitleBytes(srt, document::Role::kMain, document);
  document.source_file = folder / import::SubtitleNameFor(input);
  document.picture_folder = folder;
  return read;
}

}  // namespace app
