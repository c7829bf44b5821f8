// Fuzz target: the disc subtitle importer on any stream image held in memory (a .sup or a
// Matroska file as FFmpeg probes it), or on a VobSub .idx/.sub pair written to a scratch folder
// (VobSub needs two files), decoding and inking every picture.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "import/disc_import.h"
#include "memory_files.h"

namespace {

// A scratch folder of this process, made at the first VobSub input and removed at its exit.
std::filesystem::path scratch;
void RemoveScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
}
const std::filesystem::path& ScratchFolder() {
  if (scratch.empty()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "fuzz-disc-import-XXXXXX").string();
    fuzzing::Require(::mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
    scratch = pattern;
    std::atexit(RemoveScratch);
  }
  return scratch;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  fuzzing::Require(file != nullptr, "a scratch file can be written");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte chooses the name the stream is probed under (low two bits) and the first
  // picture (high two bits); the rest is the stream. For VobSub (3), two bytes (big-endian) give
  // the length of the .idx that follows them, and the .sub is what remains.
  const char* const kNames[] = {"fuzz.sup", "fuzz.mkv", "fuzz.ts"};
  import::ImportOptions options;
  options.first = 1 + (data[0] >> 6);
  options.allow_partial = (data[0] & 0x20) != 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  text::Result<std::vector<import::ImportedPicture>> imported = text::Error{};
  if ((data[0] & 3) == 3) {
    if (bytes.size() < 2) {
      return 0;
    }
    const std::size_t idx_size = static_cast<std::size_t>(
        static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]));
    const std::string idx = bytes.substr(2, idx_size);
    const std::string sub = bytes.size() > 2 + idx_size ? bytes.substr(2 + idx_size) : "";
    WriteFile(ScratchFolder() / "fuzz.idx", idx);
    WriteFile(ScratchFolder() / "fuzz.sub", sub);
    imported = import::ImportFromFile(ScratchFolder() / "fuzz.idx", options);
  } else {
    imported = import::ImportFromMemory(bytes, kNames[data[0] & 3], options);
  }
  if (!imported.ok()) {
    return 0;
  }
  for (const auto& picture : imported.value()) {
    fuzzing::Require(picture.end > picture.start, "a picture ends after it starts");
    fuzzing::Require(picture.end <= import::kLastSrtTime,
                     "every time is one a subtitle file can hold");
  }
  return 0;
}
