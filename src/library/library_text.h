// Small text helpers shared by the library's operations: record numbers typed by the user and
// the base path of an exchange library.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace library {

// The number in a text of decimal digits only (non-empty); nullopt for anything else. Values
// beyond 999999999 are clamped there, which is beyond any library.
std::optional<int> ParseDigits(std::string_view text);

// The base of an exchange library: `path_text` without a final ".sts".
std::filesystem::path ExchangeBase(const std::string& path_text);

// True when `base` names the own word or newword files of `folder`, compared without regard to
// letter case (so a typed "WORD.sts" is caught too).
bool NamesOwnLibrary(const std::filesystem::path& base, const std::filesystem::path& folder);

}  // namespace library
