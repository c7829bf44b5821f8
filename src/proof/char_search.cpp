// Character-aligned search in GBK text and the ChangeMarks helpers.
#include "proof/char_search.h"

#include <algorithm>
#include <vector>

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

ReplaceCount ReplaceOnCharBoundaries(std::string& text, std::string_view search,
                                     std::string_view replacement, int limit) {
  ReplaceCount count;
  if (search.empty()) {
    return count;
  }
  // Every character boundary before `boundary`, in order. They stay valid across a replacement
  // because the text before the replaced occurrence does not change.
  std::vector<std::size_t> passed;
  std::size_t boundary = 0;
  for (;;) {
    std::size_t found = std::string::npos;
    for (std::size_t candidate = text.find(search, boundary); candidate != std::string::npos;
         candidate = text.find(search, candidate + 1)) {
      while (boundary < candidate) {
        passed.push_back(boundary);
        boundary = NextCharBoundary(text, boundary);
      }
      if (boundary == candidate) {
        found = candidate;
        break;
      }
    }
    if (found == std::string::npos) {
      return count;
    }
    if (count.replaced == limit) {
      count.limit_hit = true;
      return count;
    }
    text.replace(found, search.size(), replacement);
    ++count.replaced;
    // A new occurrence can only start where it overlaps the replacement: at or after
    // found - (search length - 1). Resume at the last boundary not after that point.
    passed.push_back(found);
    const std::size_t lowest = found >= search.size() - 1 ? found - (search.size() - 1) : 0;
    const auto after = std::upper_bound(passed.begin(), passed.end(), lowest);
    boundary = after == passed.begin() ? 0 : *(after - 1);
    passed.erase(after == passed.begin() ? passed.begin() : after - 1, passed.end());
  }
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
