// Result<T>: a value or an Error, the way every expected failure is returned in the core.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace text {

// What went wrong. `code` is a short stable identifier ("io", "format", ...), `message` the
// user-facing sentence (GBK or ASCII), `line` the 1-based line of the input when known, else 0.
struct Error {
  std::string code;
  std::string message;
  int line = 0;
};

// A value of T or an Error. Check `ok()` before `value()`; calling `value()` on an error or
// `error()` on a value is a programming error.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : data_(std::move(value)) {}      // NOLINT: implicit by design
  Result(Error error) : data_(std::move(error)) {}  // NOLINT: implicit by design

  bool ok() const {
    return data_.index() == 0;
  }
  explicit operator bool() const {
    return ok();
  }
  T& value() & {
    return std::get<0>(data_);
  }
  const T& value() const& {
    return std::get<0>(data_);
  }
  T&& value() && {
    return std::get<0>(std::move(data_));
  }
  const Error& error() const {
    return std::get<1>(data_);
  }

 private:
  std::variant<T, Error> data_;
};

// Result of an operation that gives nothing but success or an Error.
struct Ok {};
using Status = Result<Ok>;

inline Status Success() {
  return Ok{};
}

}  // namespace text
