// The settings panel's flow: open, save and cancel, the input-method choice, and the parsing of
// the desktop's input-method listings.
#include "app/settings_panel_flow.h"

#include <algorithm>
#include <utility>

#include "text/line_file.h"

namespace app {
namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

void AddUnique(std::vector<std::string>& names, std::string_view name) {
  if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
    names.emplace_back(name);
  }
}

}  // namespace

text::Status SettingsPanelFlow::Save() {
  return app_.SaveSettingsPanel(app_.PanelOptions());
}

std::optional<int> SettingsPanelFlow::InputMethodsShown(const std::vector<std::string>& installed) {
  const std::string current = settings::InputMethodsFrom(app_.Settings()).teaching_boxes;
  const std::optional<int> entry = settings::InputMethodToSelect(installed, current);
  InputMethodSelected(entry ? std::optional<std::string>(installed[static_cast<size_t>(*entry)])
                            : std::nullopt);
  return entry;
}

void SettingsPanelFlow::InputMethodSelected(std::optional<std::string> name) {
  app_.PanelOptions().selected_ime = std::move(name);
}

std::vector<std::string> ParseIbusEngineList(std::string_view output) {
  std::vector<std::string> names;
  for (const std::string& raw : text::SplitLines(output)) {
    const std::string_view line = raw;
    const bool indented = !line.empty() && (line.front() == ' ' || line.front() == '\t');
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty()) {
      continue;
    }
    if (indented) {
      // "  name - long name" in the grouped listing.
      const auto dash = trimmed.find(" - ");
      AddUnique(names, Trim(trimmed.substr(0, dash)));
    } else if (trimmed.back() != ':' && trimmed.find(' ') == std::string_view::npos) {
      AddUnique(names, trimmed);  // --name-only: one bare name per line
    }
  }
  return names;
}

std::vector<std::string> ParseFcitx5Profile(std::string_view profile) {
  std::vector<std::string> names;
  bool in_item = false;
  for (const std::string& raw : text::SplitLines(profile)) {
    const std::string_view line = Trim(raw);
    if (!line.empty() && line.front() == '[') {
      in_item = line.find("/Items/") != std::string_view::npos;
      continue;
    }
    if (in_item && line.starts_with("Name=")) {
      AddUnique(names, Trim(line.substr(5)));
    }
  }
  return names;
}

}  // namespace app
