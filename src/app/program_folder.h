// Choosing and preparing the program folder, where every working file of the program lies.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/result.h"

namespace app {

// Where the working files are looked for, in this order:
// 1. `workdir` when given (the --workdir option);
// 2. `current_folder` when it holds setup.sys (`current_has_settings`);
// 3. the per-user folder: `xdg_data_home`/zentrope when that variable is set to an absolute
//    path, else `home`/.local/share/zentrope.
// `home` empty falls back to `current_folder` for case 3, so a value is always returned.
std::filesystem::path ChooseProgramFolder(const std::optional<std::filesystem::path>& workdir,
                                          const std::filesystem::path& current_folder,
                                          bool current_has_settings,
                                          const std::string& xdg_data_home,
                                          const std::string& home);

// The shipped working files that seed a new working folder: `executable_folder` /
// `from_executable` (share/zentrope beside bin/) when it holds setup.sys, that is when the program
// runs installed; else `source_data`, the data folder of the source tree it was built from.
std::filesystem::path ShippedDataFolder(const std::filesystem::path& executable_folder,
                                        const std::filesystem::path& from_executable,
                                        const std::filesystem::path& source_data);

// The user guide for `language` (1 Simplified Chinese, 2 Traditional Chinese, 3 English; any
// other number counts as 1): help.zh_CN.html, help.zh_TW.html or help.html. The language's own
// file is looked for in each of `folders` in turn, then help.html likewise. Empty when no folder
// holds either.
std::filesystem::path HelpFileFor(std::span<const std::filesystem::path> folders, int language);

// Makes `folder` a ready working folder on first start: when it does not yet hold setup.sys, it
// is created if needed and every file and folder of `defaults` (the shipped data folder) that it
// lacks is copied in; files already there are never overwritten. A folder that holds setup.sys
// is left alone. Error code "io" names the folder or file that could not be made.
// `first_language` (1 to 3), when given, becomes the interface language of a folder made here,
// in place of the shipped one; 0 keeps the shipped setting.
text::Status PrepareProgramFolder(const std::filesystem::path& folder,
                                  const std::filesystem::path& defaults, int first_language = 0);

// The interface language for a locale name as the system gives it ("zh_CN", "zh_TW.UTF-8",
// "zh_Hant_HK", "en_GB"): 2 Traditional Chinese for the Taiwan, Hong Kong and Macau regions and
// the Hant script, 1 Simplified Chinese for every other Chinese locale, 3 English for the rest
// (the C and POSIX locales and an empty name included).
int LanguageForLocale(std::string_view locale_name);

}  // namespace app
