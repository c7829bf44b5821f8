// Character-aligned search in GBK text and the ChangeMarks helpers.
#include "proof/char_search.h"

namespace proof {

std::size_t FindOnCharBoundary(std::string_view text, std::string_view pattern, std::size_t from) {
  if (from >= text.size()) {
    return 0;
  }
  if (pattern.empty()) {
    return from + 1;
  }
  // Candidates come from the fast byte search; the boundary cursor only moves forward, so the
  // whole search stays linear however many byte-level candidates fall inside characters.
  std::size_t boundary = from;
  std::size_t candidate = text.find(pattern, from);
  while (candidate != std::string_view::npos) {
    while (boundary < candidate) {
      boundary = NextCharBoundary(text, boundary);
    }
    if (boundary == candidate) {
      return candidate + 1;
    }
    candidate = text.find(pattern, candidate + 1);
  }
  return 0;
}

bool IsAllDigits(std::string_view text) {
  if (text.empty()) {
    return false;
  }
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

bool AddChangeMark(std::string& marks, char letter) {
  if (marks.find(letter) != std::string::npos) {
    return false;
  }
  if (letter == kTimeMark) {
    marks.insert(marks.begin(), letter);
  } else {
    marks.push_back(letter);
  }
  return true;
}

bool RemoveChangeMark(std::string& marks, char letter) {
  const std::size_t at = marks.find(letter);
  if (at == std::string::npos) {
    return false;
  }
  marks.erase(at, 1);
  return true;
}

}  // namespace proof
