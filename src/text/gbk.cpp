// GBK <-> UTF-8 through iconv, converting one character at a time so that an unrepresentable
// character is counted and replaced instead of ending the conversion.
#include "text/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace text {
namespace {

// Size in bytes of the UTF-8 sequence starting with `lead`, or 0 when `lead` cannot start one.
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    return 2;
  if (lead >= 0xE0 && lead <= 0xEF)
    return 3;
  if (lead >= 0xF0 && lead <= 0xF4)
    return 4;
  return 0;
}

// Length of the valid UTF-8 sequence at the start of `s`, or 0 when it is malformed.
size_t ValidUtf8Prefix(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  const size_t length = Utf8SequenceLength(lead);
  if (length == 0 || length > s.size())
    return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
      return 0;
  }
  const auto second = static_cast<unsigned char>(s.size() > 1 ? s[1] : 0);
  // Overlong forms, surrogates and code points above U+10FFFF.
  if (lead == 0xE0 && second < 0xA0)
    return 0;
  if (lead == 0xED && second > 0x9F)
    return 0;
  if (lead == 0xF0 && second < 0x90)
    return 0;
  if (lead == 0xF4 && second > 0x8F)
    return 0;
  return length;
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Iconv() {
    if (valid())
      iconv_close(handle_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool valid() const {
    return handle_ != reinterpret_cast<iconv_t>(-1);
  }

  // Converts as much of `in` as it can, appending to `out`. Returns the number of bytes
  // consumed; it stops early only at a sequence the converter rejects.
  size_t ConvertRun(std::string_view in, std::string& out) {
    if (!valid())
      return 0;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in.data());
    size_t in_left = in.size();
    char buffer[4096];
    while (in_left > 0) {
      char* out_ptr = buffer;
      size_t out_left = sizeof(buffer);
      const size_t rc = iconv(handle_, &in_ptr, &in_left, &out_ptr, &out_left);
      out.append(buffer, static_cast<size_t>(out_ptr - buffer));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG)
        break;
    }
    return in.size() - in_left;
  }

 private:
  iconv_t handle_;
};

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t length = ValidUtf8Prefix(bytes.substr(i));
    if (length == 0)
      return false;
    i += length;
  }
  return true;
}

bool HasNonAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return true;
  }
  return false;
}

bool IsCharBoundary(std::string_view gbk, size_t index) {
  if (index > gbk.size())
    return false;
  size_t i = 0;
  while (i < index) {
    i += CharLength(gbk, i);
  }
  return i == index;
}

Converted GbkToUtf8(std::string_view gbk) {
  Converted result;
  result.text.reserve(gbk.size() + gbk.size() / 2);
  Iconv converter("UTF-8", "GBK");
  Iconv fallback("UTF-8", "GB18030");  // knows a few code points that glibc's GBK lacks
  size_t i = 0;
  while (i < gbk.size()) {
    i += converter.ConvertRun(gbk.substr(i), result.text);
    if (i >= gbk.size())
      break;
    // A rejected character: always one byte >= 0x80 and, when present, its trail byte. A byte
    // that cannot trail (ASCII below 0x40 such as CR and LF, DEL, 0xFF) is not taken with it.
    const auto can_trail = [](unsigned char byte) {
      return byte >= 0x40 && byte != 0x7F && byte != 0xFF;
    };
    size_t length = i + 1 < gbk.size() && can_trail(static_cast<unsigned char>(gbk[i + 1])) ? 2 : 1;
    if (CharLength(gbk, i) == 4) {
      length = 4;  // a GB18030 four-byte character: every Unicode character GBK lacks
    }
    if (length >= 2 && fallback.ConvertRun(gbk.substr(i, length), result.text) == length) {
      i += length;
      continue;
    }
    result.text += "\xEF\xBF\xBD";  // U+FFFD
    ++result.replaced;
    i += length;
  }
  return result;
}

Converted Utf8ToGbk(std::string_view utf8) {
  Converted result;
  result.text.reserve(utf8.size());
  Iconv converter("GBK", "UTF-8");
  size_t i = 0;
  while (i < utf8.size()) {
    i += converter.ConvertRun(utf8.substr(i), result.text);
    if (i >= utf8.size())
      break;
    const size_t length = ValidUtf8Prefix(utf8.substr(i));
    result.text.push_back('?');
    ++result.replaced;
    i += length == 0 ? 1 : length;
  }
  return result;
}

}  // namespace text
