// Fuzz target: loading a glyph library from mutated files (word.wrd, word.sts, word.ind, the
// journal, a commit record with a staged copy), looking keys up, checking it, and archiving:
// archiving and loading again must give exactly the records loaded before.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "library/glyph_library.h"
#include "library/library_check.h"
#include "memory_files.h"
#include "ports/host_ports.h"

namespace {

class NumberedMessages : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    return "<" + std::to_string(number) + ">";
  }
};

const char* const kFiles[] = {"word.wrd",    "word.sts",       "word.ind",    "newword.wrd",
                              "newword.sts", "library.commit", "word.sts.new"};
constexpr std::size_t kFileCount = sizeof kFiles / sizeof kFiles[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // Parts, cut at 0xFF: the seven files (an absent part is an absent file), then lookup keys.
  const auto parts = fuzzing::SplitInput(input, kFileCount + 1);
  auto files = std::make_shared<fuzzing::MemoryFileLayer>();
  const std::filesystem::path folder = "/fuzz";
  for (std::size_t i = 0; i < kFileCount; ++i) {
    if (parts[i].present) {
      files->files[(folder / kFiles[i]).string()] = parts[i].bytes;
    }
  }
  ports::NullEventPump pump;
  library::GlyphLibrary library(folder, files);
  if (!library.Load(pump).ok()) {
    return 0;
  }
  const int records = library.RecordCount();
  fuzzing::Require(static_cast<int>(library.Contents().features.size()) == records,
                   "as many FeatureLines as texts");
  const std::string& keys = parts[kFileCount].bytes;
  for (std::size_t i = 0; i + 1 < keys.size(); i += 2) {
    const int key =
        (static_cast<unsigned char>(keys[i]) << 8 | static_cast<unsigned char>(keys[i + 1])) %
            13002 -
        1;
    for (const int position : library.Candidates(key)) {
      fuzzing::Require(position >= 0 && position < records, "candidates name records");
      (void)library.FeatureLine(position);
    }
  }
  const NumberedMessages messages;
  (void)library::CheckLibrary(library, messages, pump);
  const auto before = library.Contents();
  if (!library.ArchiveJournal().ok()) {
    return 0;
  }
  library::GlyphLibrary reloaded(folder, files);
  fuzzing::Require(reloaded.Load(pump).ok(), "an archived library loads");
  fuzzing::Require(reloaded.Contents().texts == before.texts, "archiving keeps every text");
  fuzzing::Require(reloaded.Contents().features == before.features,
                   "archiving keeps every FeatureLine");
  fuzzing::Require(reloaded.JournalCount() == 0, "archiving empties the journal");
  return 0;
}
