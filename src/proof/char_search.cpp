// Character-aligned search in GBK text and the ChangeMarks helpers.
#include "proof/char_search.h"

#include <algorithm>
#include <deque>
#include <string>

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
  // The text as it stands is out + pending + input[in..]: `out` is final up to the search
  // cursor's neighbourhood, `pending` holds the bytes a replacement put back for searching again
  // (the few bytes before it and the replacement), `input` is the original text not yet
  // reached. Each byte of the input is copied once, so the whole run is linear in the text plus
  // the bytes replaced, instead of moving the rest of the text at every replacement.
  const std::string input = std::move(text);
  std::string out;
  out.reserve(input.size());
  std::string pending;
  std::size_t in = 0;
  // The latest character boundaries of out + pending + input, as positions from the start of the
  // text; the one a replacement resumes from lies among the last search.size() + 1 of them.
  std::deque<std::size_t> boundaries;
  auto visit = [&](std::size_t position) {
    boundaries.push_back(position);
    if (boundaries.size() > search.size() + 1) {
      boundaries.pop_front();
    }
  };
  // Offsets k below are relative to out.size(), into pending followed by input[in..].
  auto byte_at = [&](std::size_t k) {
    return k < pending.size() ? pending[k] : input[in + (k - pending.size())];
  };
  auto source_size = [&] { return pending.size() + (input.size() - in); };
  auto matches_at = [&](std::size_t k) {
    if (k + search.size() > source_size()) {
      return false;
    }
    for (std::size_t i = 0; i < search.size(); ++i) {
      if (byte_at(k + i) != search[i]) {
        return false;
      }
    }
    return true;
  };
  // Moves the first n bytes of pending + input[in..] to out.
  auto advance = [&](std::size_t n) {
    const std::size_t from_pending = std::min(n, pending.size());
    out.append(pending, 0, from_pending);
    pending.erase(0, from_pending);
    out.append(input, in, n - from_pending);
    in += n - from_pending;
  };
  // Drops the first n bytes of pending + input[in..].
  auto drop = [&](std::size_t n) {
    const std::size_t from_pending = std::min(n, pending.size());
    pending.erase(0, from_pending);
    in += n - from_pending;
  };

  std::size_t k = 0;  // a character boundary
  for (;;) {
    std::size_t found = std::string::npos;
    bool inside_pending = false;
    while (k < pending.size()) {
      visit(out.size() + k);
      if (matches_at(k)) {
        found = k;
        inside_pending = true;
        break;
      }
      k += static_cast<unsigned char>(byte_at(k)) >= 0x80 ? 2 : 1;
    }
    if (found == std::string::npos) {
      // Past pending: the fast byte search finds candidates in the input, and the boundary
      // cursor walks forward to them (as in FindOnCharBoundary).
      const std::size_t shift = pending.size();
      std::size_t boundary = in + (k - shift);
      std::size_t candidate = input.find(search, boundary);
      while (candidate != std::string::npos) {
        while (boundary < candidate) {
          visit(out.size() + shift + (boundary - in));
          boundary += static_cast<unsigned char>(input[boundary]) >= 0x80 ? 2 : 1;
        }
        if (boundary == candidate) {
          found = shift + (candidate - in);
          visit(out.size() + found);
          break;
        }
        candidate = input.find(search, candidate + 1);
      }
    }
    if (found == std::string::npos) {
      break;
    }
    if (count.replaced == limit) {
      count.limit_hit = true;
      break;
    }
    // Only an occurrence that overlaps an earlier replacement is found inside pending.
    count.recreated = count.recreated || inside_pending;
    advance(found);
    drop(search.size());
    ++count.replaced;
    // A new occurrence can only start where it overlaps the replacement: at or after
    // found - (search length - 1). Resume at the last boundary not after that point.
    const std::size_t at = out.size();
    const std::size_t lowest = at >= search.size() - 1 ? at - (search.size() - 1) : 0;
    std::size_t resume = 0;
    for (auto it = boundaries.rbegin(); it != boundaries.rend(); ++it) {
      if (*it <= lowest) {
        resume = *it;
        break;
      }
    }
    while (!boundaries.empty() && boundaries.back() >= resume) {
      boundaries.pop_back();
    }
    pending.insert(0, replacement);
    pending.insert(0, out, resume, std::string::npos);
    out.resize(resume);
    k = 0;
  }
  out += pending;
  out.append(input, in, std::string::npos);
  text = std::move(out);
  return count;
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
