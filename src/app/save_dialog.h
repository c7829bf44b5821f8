// The save dialog's folder change: the subtitle name proposed from a video file in the folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// The name to put on the clipboard for the names of the files in a folder: among the names that
// end in ".avi" in any letter case, the first whose extension is "avi" or "AVI", else the last
// such name; that name without its last four characters followed by ".chinese", or ".chinese"
// alone when no name ends in ".avi". Names are taken in the given order.
std::string ProposedSubtitleName(const std::vector<std::string>& names_in_folder);

// The names of the regular files in `folder`, sorted so that the proposal does not depend on the
// file system's order; empty when the folder cannot be listed.
std::vector<std::string> FileNamesIn(const std::filesystem::path& folder);

}  // namespace app
