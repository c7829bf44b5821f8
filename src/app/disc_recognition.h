// Recognising a disc subtitle stream without writing its pictures: the stream decoded and inked
// as the import does it, opened as the picture subtitle the import would write, its pictures
// held in memory.
#pragma once

#include <filesystem>

#include "document/subtitle_document.h"
#include "import/disc_import.h"
#include "ocr/held_pictures.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace app {

// True for the extensions of the disc subtitle files the import reads (.sup, .idx, .mkv, .mks,
// .ts, .m2ts, in any case).
bool IsDiscSubtitleFile(const std::filesystem::path& file);

// Reads the disc subtitle `input` as the import does with `options` and opens the picture
// subtitle the import would write as the main subtitle of `document`: the same rows (read from
// the same SRT bytes), source_file <folder>/<input name>.srt and picture_folder <folder>, where
// <folder> is `pictures_dir` when given, else the import's default output folder (both made
// absolute). Every picture is held in `pictures` under <folder>/0001.bmp, ... as the import's
// bitmap of it reads. Without `pictures_dir` nothing is written; with it the import's output is
// written there too (ImportDiscSubtitles, with its rules for an occupied folder). Pumps and
// stops as the import; a stopped read returns its report with `stopped` set and leaves
// `document` as it was. Errors: the import's.
text::Result<import::ImportReport> OpenDiscSubtitle(const std::filesystem::path& input,
                                                    const import::ImportOptions& options,
                                                    const std::filesystem::path& pictures_dir,
                                                    ports::EventPump& pump,
                                                    document::SubtitleDocument& document,
                                                    ocr::HeldPictureIo& pictures);

}  // namespace app
