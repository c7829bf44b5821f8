// Named values in the kept-fields cell: "key\x1Fvalue" pairs separated by 0x1E.
#include "document/kept_fields.h"

namespace document {

void AddKeptField(std::string& cell, std::string_view key, std::string_view value) {
  if (!cell.empty()) {
    cell += '\x1E';
  }
  cell += key;
  cell += '\x1F';
  cell += value;
}

std::string_view KeptField(std::string_view cell, std::string_view key, bool* found) {
  size_t start = 0;
  while (start <= cell.size()) {
    size_t end = cell.find('\x1E', start);
    if (end == std::string_view::npos) {
      end = cell.size();
    }
    const std::string_view pair = cell.substr(start, end - start);
    const size_t mark = pair.find('\x1F');
    if (mark != std::string_view::npos && pair.substr(0, mark) == key) {
      if (found != nullptr) {
        *found = true;
      }
      return pair.substr(mark + 1);
    }
    start = end + 1;
  }
  if (found != nullptr) {
    *found = false;
  }
  return {};
}

}  // namespace document
