// The proofreading flows of the window that go beyond one core call: the check options read
// from the settings at the moment of use, and opening, saving and closing the reference
// subtitle, and the blank subtitle made from it.
#pragma once

#include "app/application.h"
#include "ports/host_ports.h"
#include "proof/check_rules.h"

namespace app {

// The check's options as the settings list, the phrase grid and the current language hold them
// now: rules A to D from their flag lines, the ellipsis item, the phrase switch and the phrase
// grid's filled rows (its entry row is never applied), the marks of the current language.
proof::CheckOptions CurrentCheckOptions(Application& application);

enum class ReferenceOpenEnd {
  kKeptOld,     // the unsaved-reference question was cancelled or its save did not happen
  kCancelled,   // the open dialog was cancelled
  kWrongType,   // not .srt or .ssa: message 416 shown, the reference table unchanged
  kReadFailed,  // the file could not be read: its error shown
  kOpened,      // the reference table holds the file; reference_saved is set
};

// Opens a reference subtitle into the reference table. An unsaved reference is offered for
// saving first (message 677, caption 413; Yes saves with SaveReference). The dialog starts in
// the reference folder with the reference extension; the chosen folder, name and extension
// become the reference and reference-save properties (the shutdown keeps the folder in the
// settings). A file that cannot be read is reported and leaves reference_saved as it was.
ReferenceOpenEnd OpenReference(Application& application, ports::MessagePort& messages,
                               ports::FileDialogPort& dialogs);

// Saves the reference table when it holds unsaved edits: asks for the file (SRT or SSA, at the
// reference save folder with the reference save name), writes it with the reference's rules
// and sets reference_saved. Returns true when nothing is left unsaved (also when there was
// nothing to save); false when the dialog was cancelled, the extension is not .srt or .ssa, or
// the write failed (its error shown).
bool SaveReference(Application& application, ports::MessagePort& messages,
                   ports::FileDialogPort& dialogs);

// The blank main subtitle from the reference's times. An unsaved main subtitle is offered for
// saving first (message 674, caption 413: Yes runs the Save command and goes on only when it
// saved, No drops the edits, Cancel ends). The new table is a text subtitle (picture_mode
// cleared). Returns true when the main table was replaced.
bool CreateBlankSubtitle(Application& application, ports::MessagePort& messages);

}  // namespace app
