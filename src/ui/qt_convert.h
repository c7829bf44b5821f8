// The one place where the core's GBK texts and file paths cross to and from Qt strings.
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "text/result.h"

namespace ui {

// GBK bytes to a QString for the screen; a malformed byte sequence shows as U+FFFD.
QString ToQString(std::string_view gbk);

// A QString typed or chosen by the user to GBK bytes. A character that GBK cannot hold is
// refused, never stored as '?': the Error (code "gbk") names the first such character and its
// code point in a GBK sentence the message port can show.
text::Result<std::string> ToGbk(const QString& text);

// File names as the operating system spells them (local 8-bit encoding, UTF-8 on Linux).
std::filesystem::path PathFromQString(const QString& file_name);
QString PathToQString(const std::filesystem::path& path);

}  // namespace ui
