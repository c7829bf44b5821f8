// The glyph library's load at activation, with the library's messages shown to the user.
#include "app/library_port.h"

namespace app {

text::Status LibraryPort::Load(MessagePort& messages, const MessageSource& texts, EventPump& pump) {
  auto loaded = library_.Load(pump);
  if (!loaded) {
    const int number = library::LoadFailureMessage(loaded.error());
    // A file-system error has no message number; its own text names the file.
    messages.Inform(Severity::kError, number != 0 ? texts.Message(number) : loaded.error().message);
    return loaded.error();
  }
  for (const int number : loaded.value().messages) {
    messages.Inform(Severity::kInformation, texts.Message(number));
  }
  return text::Success();
}

}  // namespace app
