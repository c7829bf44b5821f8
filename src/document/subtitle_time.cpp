// SubtitleTime parsing, formatting and file-form conversions.
#include "document/subtitle_time.h"

#include <algorithm>
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

std::optional<Milliseconds> ParseTimeEntry(std::string_view typed) {
  typed = Trim(typed);
  // Field map: up to three colon-separated fields, the last one "ss" with an optional fraction
  // after a full stop or a comma.
  std::string_view fields[3];
  int count = 0;
  size_t start = 0;
  for (size_t pos = 0; pos <= typed.size(); ++pos) {
    if (pos == typed.size() || typed[pos] == ':') {
      if (count == 3) {
        return std::nullopt;
      }
      fields[count++] = typed.substr(start, pos - start);
      start = pos + 1;
    }
  }
  if (count < 2) {
    return std::nullopt;
  }
  std::string_view seconds_field = fields[count - 1];
  std::string_view fraction;
  const size_t separator = seconds_field.find_first_of(".,");
  if (separator != std::string_view::npos) {
    fraction = seconds_field.substr(separator + 1);
    seconds_field = seconds_field.substr(0, separator);
    if (fraction.empty()) {
      return std::nullopt;
    }
  } else if (count == 2) {
    return std::nullopt;  // "mm:ss" without a fraction reads too much like "hh:mm"
  }
  const auto all_digits = [](std::string_view text, size_t min_size, size_t max_size) {
    if (text.size() < min_size || text.size() > max_size) {
      return false;
    }
    for (const char c : text) {
      if (c < '0' || c > '9') {
        return false;
      }
    }
    return true;
  };
  const std::string_view hours_field = count == 3 ? fields[0] : std::string_view("0");
  const std::string_view minutes_field = fields[count - 2];
  if (!all_digits(hours_field, 1, 2) || !all_digits(minutes_field, count == 3 ? 2 : 1, 2) ||
      !all_digits(seconds_field, 2, 2) ||
      (separator != std::string_view::npos && !all_digits(fraction, 1, 3))) {
    return std::nullopt;
  }
  const auto number = [](std::string_view digits) {
    Milliseconds value = 0;
    for (const char c : digits) {
      value = value * 10 + (c - '0');
    }
    return value;
  };
  const Milliseconds minutes = number(minutes_field);
  const Milliseconds seconds = number(seconds_field);
  if (minutes > 59 || seconds > 59) {
    return std::nullopt;
  }
  Milliseconds millis = number(fraction);
  for (size_t digits = fraction.size(); digits < 3; ++digits) {
    millis *= 10;
  }
  return ((number(hours_field) * 60 + minutes) * 60 + seconds) * 1000 + millis;
}

std::optional<Milliseconds> ReadCellTime(std::string_view cell) {
  cell = Trim(cell);
  cell = cell.substr(0, cell.find(' '));
  // Some editors write times before zero as "-00:00:01,000"; they are times all the same.
  const bool negative = !cell.empty() && cell.front() == '-';
  if (negative) {
    cell.remove_prefix(1);
  }
  auto value = ParseSubtitleTime(cell);
  if (!value) {
    value = ParseTimeEntry(cell);
  }
  if (value && negative) {
    *value = -*value;
  }
  return value;
}

std::optional<Milliseconds> ParseTimeAmount(std::string_view typed) {
  typed = Trim(typed);
  bool negative = false;
  if (!typed.empty() && (typed.front() == '-' || typed.front() == '+')) {
    negative = typed.front() == '-';
    typed.remove_prefix(1);
  }
  if (typed.empty() || typed.front() == '-' || typed.find(' ') != std::string_view::npos) {
    return std::nullopt;
  }
  std::optional<Milliseconds> value;
  if (typed.find(':') != std::string_view::npos) {
    value = ReadCellTime(typed);
  } else {
    // Seconds: digits, then up to three digits of fraction after a full stop.
    size_t pos = 0;
    const auto seconds = ReadNumber(typed, pos, 9);
    if (!seconds) {
      return std::nullopt;
    }
    Milliseconds millis = 0;
    if (pos < typed.size()) {
      if (typed[pos] != '.') {
        return std::nullopt;
      }
      const size_t start = ++pos;
      const auto fraction = ReadNumber(typed, pos, 3);
      if (!fraction || pos != typed.size()) {
        return std::nullopt;
      }
      millis = *fraction;
      for (size_t digits = pos - start; digits < 3; ++digits) {
        millis *= 10;
      }
    }
    value = *seconds * 1000 + millis;
  }
  if (value && negative) {
    *value = -*value;
  }
  return value;
}

std::optional<std::string> NormaliseTimeEntry(std::string_view typed) {
  const auto value = ParseTimeEntry(typed);
  if (!value) {
    return std::nullopt;
  }
  return FormatSubtitleTime(*value);
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

std::optional<FileTime> ReadFileTime(std::string_view text, FractionDigits fraction_digits) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  size_t pos = 0;
  const bool negative = pos < text.size() && text[pos] == '-';
  if (negative) {
    ++pos;
  }
  // Field map: up to three colon-separated numbers, then the fraction after '.' or ','.
  Milliseconds fields[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    const size_t start = pos;
    const auto number = ReadNumber(text, pos, count == 0 ? 3 : 2);
    if (!number || (count > 0 && pos - start > 2)) {
      return std::nullopt;
    }
    fields[count++] = *number;
    if (pos >= text.size() || text[pos] != ':') {
      break;
    }
    ++pos;
  }
  if (count < 2 || fields[count - 1] > 59 || fields[count - 2] > 59) {
    return std::nullopt;
  }
  if (count == 2 && fields[0] > 59) {
    return std::nullopt;
  }
  Milliseconds millis = 0;
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    ++pos;
    const size_t start = pos;
    const auto fraction = ReadNumber(text, pos, 3);
    if (!fraction) {
      return std::nullopt;
    }
    millis = *fraction;
    for (size_t digits = pos - start; fraction_digits == FractionDigits::kDecimal && digits < 3;
         ++digits) {
      millis *= 10;
    }
  } else if (count == 2) {
    return std::nullopt;  // "mm:ss" without a fraction reads too much like "hh:mm"
  }
  if (pos < text.size() && text[pos] != ' ' && text[pos] != '\t') {
    return std::nullopt;
  }
  const Milliseconds hours = count == 3 ? fields[0] : 0;
  const Milliseconds minutes = fields[count - 2];
  const Milliseconds seconds = fields[count - 1];
  FileTime time;
  time.value = ((hours * 60 + minutes) * 60 + seconds) * 1000 + millis;
  if (negative) {
    time.value = -time.value;
  }
  size_t tail = pos;
  while (tail < text.size() && (text[tail] == ' ' || text[tail] == '\t')) {
    ++tail;
  }
  if (tail < text.size()) {
    time.tail = text.substr(pos);
  }
  return time;
}

namespace {

std::string FormatFileTime(Milliseconds value, const char* format, Milliseconds fraction_unit) {
  value = std::max<Milliseconds>(value, 0);
  const auto total_seconds = value / 1000;
  char buffer[48];
  std::snprintf(buffer, sizeof(buffer), format, static_cast<long long>(total_seconds / 3600),
                static_cast<long long>(total_seconds / 60 % 60),
                static_cast<long long>(total_seconds % 60),
                static_cast<long long>(value % 1000 / fraction_unit));
  return buffer;
}

}  // namespace

std::string FormatSrtTime(Milliseconds value) {
  return FormatFileTime(value, "%02lld:%02lld:%02lld,%03lld", 1);
}

std::string FormatSsaTime(Milliseconds value) {
  return FormatFileTime(value, "%lld:%02lld:%02lld.%02lld", 10);
}

std::string FormatVttTime(Milliseconds value) {
  return FormatFileTime(value, "%02lld:%02lld:%02lld.%03lld", 1);
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
