// The Undo and Redo commands of the main subtitle: whether they can run, the menu captions that
// name their step in the current language, and the commands themselves.
#pragma once

#include <optional>
#include <string>

#include "app/application.h"
#include "document/edit_history.h"
#include "ports/host_ports.h"

namespace app {

// The message naming a step of `kind` (msg::kStepNames).
int StepNameMessage(document::EditKind kind);

// Message `caption_message` (kUndoCaption or kRedoCaption) with "%1" replaced by the name of a
// step of `kind`, or, without a kind, by nothing (a space next to it goes too).
std::string StepCaption(const ports::MessageSource& messages, int caption_message,
                        std::optional<document::EditKind> kind);

// The Undo and Redo items' captions in the current language, naming the step they would act on.
std::string UndoCaption(const Application& application);
std::string RedoCaption(const Application& application);

// True when the command can run: the history has a step to undo (redo) and no recognition run
// or row analysis is going (its step is still open, and the run holds rows by number).
bool UndoAvailable(const Application& application);
bool RedoAvailable(const Application& application);

// Undoes (redoes) one step of the main subtitle: its cells and rows, the marks, the saved and
// proofread flags and the current row. Returns false, changing nothing, when not available.
bool UndoCommand(Application& application);
bool RedoCommand(Application& application);

}  // namespace app
