// The settings panel's flow over the application: opening, saving and cancelling the panel, the
// input-method list, and the parsing of the desktop's input-method listings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "ports/host_ports.h"
#include "settings/phrase_table.h"
#include "settings/settings_panel.h"
#include "text/result.h"

namespace app {

// The settings panel's flow. The panel's controls change Application::PanelOptions() and
// Application::PhraseGrid() at once, and the tools read them when they act: an option counts for
// the rest of the run whether or not it is saved. "取消" only hides the panel; nothing is written
// and nothing is undone, so the next start reads the saved values again.
class SettingsPanelFlow {
 public:
  explicit SettingsPanelFlow(Application& app) : app_(app) {}

  // "保存": writes the options into the settings list (rebuilding the phrase table from the grid
  // while the phrase option is on), then setup.sys and replace.sys. A failed write has been
  // shown through the message port and is returned; the panel then stays open.
  text::Status Save();

  // The input-method tab was shown with the desktop's `installed` methods (GBK names, in the
  // desktop's order): returns the entry to select, the last one equal to the input method of the
  // teaching text boxes, and makes it the selected method (nullopt: nothing selected).
  std::optional<int> InputMethodsShown(const std::vector<std::string>& installed);
  // The user selected entry `name` of the list (nullopt: the selection was cleared).
  void InputMethodSelected(std::optional<std::string> name);

 private:
  Application& app_;
};

// The engine names of `ibus list-engine --name-only` (one per line) or of the older
// `ibus list-engine` listing ("language: ..." headings, then "  name - long name" lines), in
// their order, without blanks and duplicates.
std::vector<std::string> ParseIbusEngineList(std::string_view output);

// The input method names of an fcitx5 profile file: the Name= values of the [Groups/N/Items/M]
// sections, in file order, without duplicates.
std::vector<std::string> ParseFcitx5Profile(std::string_view profile);

}  // namespace app
