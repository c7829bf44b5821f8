// What the application shell asks of the window beyond messages and dialogs (panels, status
// texts, commands owned by other parts of the program), and of the glyph library at start and end.
#pragma once

#include <string>

#include "app/command_state.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace app {

// Window-side effects of the shell's flows. Every hook has a do-nothing default so that a host
// (the command line, a test) overrides only what it shows; the window overrides them all.
class ShellHooks {
 public:
  virtual ~ShellHooks() = default;

  // The enabled flags changed (a command state was applied); the window sets its controls.
  virtual void CommandsChanged(const CommandEnablement& /*enabled*/) {}
  // New window title (GBK).
  virtual void TitleChanged(const std::string& /*title*/) {}
  // New text of status panel 0 (GBK).
  virtual void StatusTextChanged(const std::string& /*text*/) {}
  // Show or hide the start-up panel with the library loading text (GBK).
  virtual void ShowLoadingText(const std::string& /*text*/) {}
  virtual void HideLoadingText() {}
  // Show or hide the wait panel with a text (GBK) while the library is archived.
  virtual void ShowWaitText(const std::string& /*text*/) {}
  virtual void HideWaitText() {}

  // Select row 1, column 1 of the main grid and give it the focus.
  virtual void FocusFirstCell() {}
  // Select data row `row`, column `column` of the main grid, scroll it into sight and give the
  // grid the focus (the save's "go to the first such row").
  virtual void GoToCell(int /*row*/, int /*column*/) {}
  // After a picture subtitle was read: empty the list of taught rows, estimate the standard
  // line height and glyph width from the first pictures, and show the picture panels.
  virtual void ResetTaughtRows() {}
  virtual void EstimateStandardSizes() {}
  virtual void ShowPicturePanels() {}
  // After a text subtitle was read: show the edit panels with the current row's text.
  virtual void ShowEditPanels() {}
  // After Close cleared the main table: paint the picture view white.
  virtual void MainSubtitleClosed() {}

  // The check command, run instead of saving when the user wants the texts checked first.
  virtual void RunCheckCommand() {}
  // The reference subtitle's save command; it sets the document's reference_saved flag when it
  // saved.
  virtual void SaveReferenceSubtitle() {}
};

// The glyph library as the shell uses it at activation and shutdown.
class GlyphLibraryPort {
 public:
  virtual ~GlyphLibraryPort() = default;
  // Loads the library files and the index, showing the library's own messages through
  // `messages` with the texts of `texts`. An Error means the program cannot go on and must end
  // (its text already shown).
  virtual text::Status Load(ports::MessagePort& messages, const ports::MessageSource& texts,
                            ports::EventPump& pump) = 0;
  // Glyphs taught since the last archiving.
  virtual int JournalCount() const = 0;
  // Writes the main library files from memory and empties the journal. Error "io" names the file
  // that could not be written; the journal then still holds its glyphs.
  virtual text::Status ArchiveJournal() = 0;
};

}  // namespace app
