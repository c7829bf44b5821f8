// Undo and Redo: availability, captions and the commands.
#include "app/edit_commands.h"

#include <iterator>
#include <string_view>

#include "app/message_numbers.h"

namespace app {
namespace {

constexpr std::string_view kPlaceholder = "%1";

}  // namespace

std::string StepCaption(const ports::MessageSource& messages, int caption_message,
                        std::optional<document::EditKind> kind) {
  std::string caption = messages.Message(caption_message);
  // "%1" is ASCII, and a GBK trail byte is never '%', so a byte search cannot split a character.
  const std::string::size_type at = caption.find(kPlaceholder);
  if (at == std::string::npos) {
    return caption;
  }
  std::string::size_type first = at;
  std::string::size_type last = at + kPlaceholder.size();
  std::string name;
  if (kind) {
    name = messages.Message(StepNameMessage(*kind));
  } else if (first > 0 && caption[first - 1] == ' ') {
    --first;  // "&Undo %1" becomes "&Undo", "撤销%1(&U)" becomes "撤销(&U)"
  } else if (last < caption.size() && caption[last] == ' ') {
    ++last;
  }
  return caption.replace(first, last - first, name);
}

int StepNameMessage(document::EditKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < std::size(msg::kStepNames) ? msg::kStepNames[index] : msg::kStepNames[0];
}

std::string UndoCaption(const Application& application) {
  const document::EditHistory& history = application.Document().main.History();
  return StepCaption(application.Messages(), msg::kUndoCaption,
                     history.CanUndo() ? std::optional(history.UndoKind()) : std::nullopt);
}

std::string RedoCaption(const Application& application) {
  const document::EditHistory& history = application.Document().main.History();
  return StepCaption(application.Messages(), msg::kRedoCaption,
                     history.CanRedo() ? std::optional(history.RedoKind()) : std::nullopt);
}

bool UndoAvailable(const Application& application) {
  return application.RecognitionStopped() && application.Document().main.History().CanUndo();
}

bool RedoAvailable(const Application& application) {
  return application.RecognitionStopped() && application.Document().main.History().CanRedo();
}

bool UndoCommand(Application& application) {
  return UndoAvailable(application) && application.Document().Undo();
}

bool RedoCommand(Application& application) {
  return RedoAvailable(application) && application.Document().Redo();
}

}  // namespace app
