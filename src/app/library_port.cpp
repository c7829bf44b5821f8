// The glyph library's load at activation, with the library's messages shown to the user.
#include "app/library_port.h"

namespace app {

text::Status LibraryPort::Load(ports::MessagePort& messages, const ports::MessageSource& texts,
                               ports::EventPump& pump) {
  auto loaded = library_.Load(pump);
  if (!loaded) {
    const int number = library::LoadFailureMessage(loaded.error());
    // A file-system error has no message number; its own text names the file.
    messages.Inform(ports::Severity::kError,
                    number != 0 ? texts.Message(number) : loaded.error().message);
    return loaded.error();
  }
  for (const int number : loaded.value().messages) {
    messages.Inform(ports::Severity::kInformation, texts.Message(number));
  }
  return text::Success();
}

}  // namespace app
