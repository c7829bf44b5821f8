// SubtitleTime parsing, formatting and file-form conversions.
#include "document/subtitle_time.h"

#include <cstdio>

namespace document {
namespace {

// Reads 1 to `max_digits` decimal digits from `text` at `pos`; nullopt when there are none.
std::optional<Milliseconds> ReadNumber(std::string_view text, size_t& pos, size_t max_digits) {
  const size_t start = pos;
  Milliseconds value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < max_digits) {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start)
    return std::nullopt;
  return value;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<Milliseconds> ParseSubtitleTime(std::string_view text) {
  text = Trim(text);
  size_t pos = 0;
  const auto hours = ReadNumber(text, pos, 6);
  if (!hours || pos >= text.size() || text[pos] != ':')
    return std::nullopt;
  ++pos;
  const auto minutes = ReadNumber(text, pos, 2);
  if (!minutes || pos >= text.size() || text[pos] != ':')
    return std::nullopt;
  ++pos;
  const auto seconds = ReadNumber(text, pos, 2);
  if (!seconds || *minutes > 59 || *seconds > 59)
    return std::nullopt;
  Milliseconds millis = 0;
  if (pos < text.size()) {
    if (text[pos] != '.')
      return std::nullopt;
    ++pos;
    const size_t start = pos;
    const auto fraction = ReadNumber(text, pos, 3);
    if (!fraction)
      return std::nullopt;
    // "5" after the stop is 500 ms, "25" is 250 ms.
    millis = *fraction;
    for (size_t digits = pos - start; digits < 3; ++digits)
      millis *= 10;
    if (pos != text.size())
      return std::nullopt;
  }
  return ((*hours * 60 + *minutes) * 60 + *seconds) * 1000 + millis;
}

std::string FormatSubtitleTime(Milliseconds value) {
  if (value < 0)
    value = 0;
  const auto millis = value % 1000;
  const auto total_seconds = value / 1000;
  char buffer[40];
  std::snprintf(buffer, sizeof(buffer), "%02lld:%02lld:%02lld.%03lld",
                static_cast<long long>(total_seconds / 3600),
                static_cast<long long>(total_seconds / 60 % 60),
                static_cast<long long>(total_seconds % 60), static_cast<long long>(millis));
  return buffer;
}

std::string TableTimeToSrt(std::string_view table_time) {
  std::string result(table_time);
  const auto stop = result.find('.');
  if (stop != std::string::npos)
    result[stop] = ',';
  return result;
}

std::string SsaTimeToTable(std::string_view ssa_time) {
  std::string result;
  result.reserve(ssa_time.size() + 2);
  result += '0';
  result += ssa_time;
  result += '0';
  return result;
}

std::string TableTimeToSsa(std::string_view table_time) {
  std::string result(table_time);
  const auto comma = result.find(',');
  if (comma != std::string::npos)
    result[comma] = '.';
  if (result.size() == 12)
    result = result.substr(1, 10);
  return result;
}

}  // namespace document
