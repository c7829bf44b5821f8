// The glyph library as the application shell uses it: loading at activation with its messages
// shown, and archiving of the journal at shutdown.
#pragma once

#include "app/shell_hooks.h"
#include "library/glyph_library.h"
#include "ports/host_ports.h"

namespace app {

// Adapts a library::GlyphLibrary (owned by the caller, outliving the adapter) to the shell.
class LibraryPort : public GlyphLibraryPort {
 public:
  explicit LibraryPort(library::GlyphLibrary& library) : library_(library) {}

  // Loads the library. Shows every message the load reports (index missing or damaged, index
  // rebuilt) as information. On failure shows message 395 or 401, or the file error itself,
  // and returns the Error: the program must end.
  text::Status Load(ports::MessagePort& messages, const ports::MessageSource& texts,
                    ports::EventPump& pump) override;
  int JournalCount() const override {
    return library_.JournalCount();
  }
  text::Status ArchiveJournal() override {
    return library_.ArchiveJournal();
  }

 private:
  library::GlyphLibrary& library_;
};

}  // namespace app
