// Fuzz target: the SRT/SSA reader on any bytes, then a write-back round trip: once written, a
// subtitle must read back and write out to the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "memory_files.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace {

// Reads `bytes` as the main subtitle with the given extension and writes it as SRT (the format
// that needs no header file). Empty when the writer refuses.
std::string ReadAndWrite(std::string_view bytes, const char* extension, int* entries) {
  document::SubtitleDocument subtitle;
  subtitle.source_extension = extension;
  subtitle.save_extension = ".srt";
  const auto report = document::ReadSubtitleBytes(bytes, document::Role::kMain, subtitle);
  *entries = report.entries;
  document::WriteOptions options;
  auto written = document::BuildSubtitleText(document::Role::kMain, subtitle, options);
  return written.ok() ? written.value() : std::string();
}

// True when every time line of a written SRT reads "hh:mm:ss,zzz --> hh:mm:ss,zzz". The reader
// keeps a malformed time line as the entry's times and the writer writes it back as it stands,
// which a second reading may take apart differently; the fixed point is only required of
// subtitles whose times are all well formed.
// Likewise a time line must follow an entry number: a row whose number cell is empty is written
// without one, and the SRT rules then read its time line as text of the entry before.
bool TimesWellFormed(const std::string& srt) {
  const std::string pattern = "dd:dd:dd,ddd --> dd:dd:dd,ddd";
  const std::vector<std::string> lines = text::SplitLines(srt);
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string& line = lines[index];
    if (line.empty() && index + 1 < lines.size() &&
        (lines[index + 1].empty() ||
         lines[index + 1].find_first_not_of("0123456789") != std::string::npos)) {
      return false;  // a blank line inside an entry's text ends the entry when read again
    }
    if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos &&
        (index + 1 == lines.size() || lines[index + 1].find("->") == std::string::npos)) {
      return false;  // a text line of digits alone reads again as an entry number
    }
    if (line.find("->") == std::string::npos) {
      continue;
    }
    if (index == 0 || lines[index - 1].empty() ||
        lines[index - 1].find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    if (line.size() != pattern.size()) {
      return false;
    }
    if (index + 2 < lines.size() && !lines[index + 1].empty() &&
        lines[index + 1].find_first_not_of("0123456789") == std::string::npos &&
        lines[index + 2].find("->") != std::string::npos) {
      return false;  // a text that starts with an entry's number and time line reads again as
                     // that entry, leaving this one without text
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
      const bool digit = line[i] >= '0' && line[i] <= '9';
      if (pattern[i] == 'd' ? !digit : line[i] != pattern[i]) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte chooses the reader's rules; the rest is the file.
  const char* extension = (data[0] & 1) != 0 ? ".ssa" : ".srt";
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  int entries = 0;
  const std::string first = ReadAndWrite(bytes, extension, &entries);
#ifdef ZENTROPE_FUZZ_BROKEN_READER
  // Test-only switch: a reader that breaks on any subtitle with three entries, to show that
  // the fuzz smoke catches a broken reader.
  fuzzing::Require(entries != 3, "deliberately broken reader");
#endif
  if (first.empty()) {
    return 0;
  }
  // The first write renumbers and drops empty entries; from then on reading and writing must
  // change nothing: the written file is a fixed point.
  int again_entries = 0;
  const std::string second = ReadAndWrite(first, ".srt", &again_entries);
  // A zero byte in a text is kept by one reading and ends the line in the next: no fixed point.
  // A GBK text whose bytes also form UTF-8 reads back as UTF-8 (the reader takes a file with
  // non-ASCII bytes that is valid UTF-8 as UTF-8): no fixed point either.
  const auto read_as_utf8 = [](const std::string& file) {
    const bool non_ascii = std::any_of(
        file.begin(), file.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return non_ascii && text::IsValidUtf8(file);
  };
  if (!TimesWellFormed(first) || !TimesWellFormed(second) ||
      first.find('\0') != std::string::npos || read_as_utf8(first) || read_as_utf8(second)) {
    return 0;
  }
  int third_entries = 0;
  const std::string third = ReadAndWrite(second, ".srt", &third_entries);
  if (third != second) {
    std::fprintf(stderr, "written once:\n%s\nwritten again:\n%s\n", second.c_str(), third.c_str());
  }
  fuzzing::Require(third == second, "a written subtitle reads back and writes out the same");
  return 0;
}
