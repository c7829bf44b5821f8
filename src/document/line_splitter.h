// LineSplitter: the lines of a file's text one at a time, as views, for the subtitle readers.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace document {

// Same line rules as text::SplitLines (CR LF, LF or lone CR; a last line without an end counts),
// one line at a time as views into `bytes`, which must outlive the splitter. Searches with
// memchr, LF first and then the CRs before it, because this loop is most of a large file's
// reading time.
class LineSplitter {
 public:
  explicit LineSplitter(std::string_view bytes) : bytes_(bytes) {}

  // The next line; false after the last.
  bool Next(std::string_view& line) {
    const size_t n = bytes_.size();
    if (pos_ >= n) {
      return false;
    }
    const char* data = bytes_.data();
    if (!lf_found_ || lf_at_ < pos_) {
      lf_found_ = true;
      const auto* lf = static_cast<const char*>(std::memchr(data + pos_, '\n', n - pos_));
      lf_at_ = lf != nullptr ? static_cast<size_t>(lf - data) : n;
    }
    const auto* cr = static_cast<const char*>(std::memchr(data + pos_, '\r', lf_at_ - pos_));
    if (cr != nullptr) {
      const auto cr_at = static_cast<size_t>(cr - data);
      line = bytes_.substr(pos_, cr_at - pos_);
      pos_ = cr_at + 1;
      if (pos_ == lf_at_) {
        pos_ = lf_at_ + 1;  // CR LF: one line end
      }
      return true;
    }
    line = bytes_.substr(pos_, lf_at_ - pos_);
    pos_ = lf_at_ + 1;
    return true;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  size_t lf_at_ = 0;  // the next LF at or after pos_ (or the end), while pos_ has not passed it
  bool lf_found_ = false;
};

}  // namespace document
