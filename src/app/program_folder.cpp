// Choosing the program folder and seeding it from the shipped defaults.
#include "app/program_folder.h"

#include <system_error>

#include "settings/settings_list.h"
#include "text/line_file.h"

namespace app {
namespace {

text::Error IoError(const std::string& what, const std::filesystem::path& path,
                    const std::error_code& error) {
  return {"io", what + " " + text::PathForMessage(path) + ": " + error.message(), 0};
}

}  // namespace

std::filesystem::path ChooseProgramFolder(const std::optional<std::filesystem::path>& workdir,
                                          const std::filesystem::path& current_folder,
                                          bool current_has_settings,
                                          const std::string& xdg_data_home,
                                          const std::string& home) {
  if (workdir) {
    return *workdir;
  }
  if (current_has_settings) {
    return current_folder;
  }
  // The XDG rules ignore a relative XDG_DATA_HOME.
  const std::filesystem::path xdg(xdg_data_home);
  if (!xdg_data_home.empty() && xdg.is_absolute()) {
    return xdg / "zentrope";
  }
  if (!home.empty()) {
    return std::filesystem::path(home) / ".local" / "share" / "zentrope";
  }
  return current_folder;
}

std::filesystem::path ShippedDataFolder(const std::filesystem::path& executable_folder,
                                        const std::filesystem::path& from_executable,
                                        const std::filesystem::path& source_data) {
  std::error_code error;
  const std::filesystem::path installed = (executable_folder / from_executable).lexically_normal();
  if (std::filesystem::exists(installed / settings::kSettingsFileName, error)) {
    return installed;
  }
  return source_data;
}

std::filesystem::path HelpFileFor(std::span<const std::filesystem::path> folders, int language) {
  // English has no file of its own: help.html is the English guide.
  const char* own = language == 2   ? "help.zh_TW.html"
                    : language == 3 ? "help.html"
                                    : "help.zh_CN.html";
  std::error_code error;
  // The language's own guide anywhere beats help.html: an older working folder may hold only that.
  for (const char* name : {own, "help.html"}) {
    for (const std::filesystem::path& folder : folders) {
      if (std::filesystem::is_regular_file(folder / name, error)) {
        return folder / name;
      }
    }
  }
  return {};
}

text::Status PrepareProgramFolder(const std::filesystem::path& folder,
                                  const std::filesystem::path& defaults, int first_language) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::exists(folder / settings::kSettingsFileName, error)) {
    return text::Success();
  }
  fs::create_directories(folder, error);
  if (error) {
    return IoError("Cannot create the working folder", folder, error);
  }
  // skip_existing keeps whatever the user already put there; recursive brings the empty
  // picture folder of the library along.
  fs::copy(defaults, folder, fs::copy_options::recursive | fs::copy_options::skip_existing, error);
  if (error) {
    return IoError("Cannot copy the default working files into", folder, error);
  }
  if (!fs::exists(folder / settings::kSettingsFileName, error)) {
    return text::Error{"io",
                       "The default working files in " + text::PathForMessage(defaults) +
                           " do not hold " + settings::kSettingsFileName,
                       0};
  }
  if (first_language < 1 || first_language > 3) {
    return text::Success();
  }
  const fs::path settings_file = folder / settings::kSettingsFileName;
  text::Result<settings::SettingsList> shipped =
      settings::SettingsList::LoadFromFile(settings_file);
  if (!shipped.ok()) {
    return shipped.error();
  }
  shipped.value().SetLanguage(first_language);
  return shipped.value().SaveToFile(settings_file);
}

int LanguageForLocale(std::string_view locale_name) {
  // "ll_Ssss_RR.codeset@modifier": the language, then an optional script and region.
  locale_name = locale_name.substr(0, locale_name.find_first_of(".@"));
  if (locale_name.substr(0, 2) != "zh" ||
      (locale_name.size() > 2 && locale_name[2] != '_' && locale_name[2] != '-')) {
    return 3;
  }
  for (std::string_view traditional : {"Hant", "TW", "HK", "MO"}) {
    const std::size_t at = locale_name.find(traditional);
    if (at != std::string_view::npos && at > 2 &&
        (locale_name[at - 1] == '_' || locale_name[at - 1] == '-')) {
      return 2;
    }
  }
  return 1;
}

}  // namespace app
