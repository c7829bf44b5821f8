// Fuzz target: the disc subtitle importer on any stream image held in memory (a .sup or a
// Matroska file as FFmpeg probes it), decoding and inking every picture.
#include <cstddef>
#include <cstdint>
#include <string>

#include "import/disc_import.h"
#include "memory_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte chooses the name the stream is probed under and the ink options; the rest
  // is the stream.
  const char* const kNames[] = {"fuzz.sup", "fuzz.mkv", "fuzz.ts"};
  const std::string name = kNames[data[0] % 3];
  import::ImportOptions options;
  options.first = 1 + (data[0] >> 6);
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  auto imported = import::ImportFromMemory(bytes, name, options);
  if (!imported.ok()) {
    return 0;
  }
  for (const auto& picture : imported.value()) {
    fuzzing::Require(picture.end > picture.start, "a picture ends after it starts");
  }
  return 0;
}
