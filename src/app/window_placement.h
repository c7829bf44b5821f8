// The main window's size between runs, kept in a working file of its own.
#pragma once

#include <filesystem>

#include "text/result.h"

namespace app {

inline constexpr const char* kWindowFileName = "window.sys";

// How the window opens. The first start (no file yet) opens it maximised.
struct WindowPlacement {
  bool maximised = true;
  int width = 1024;  // the normal size, used when not maximised; pixels
  int height = 700;

  static constexpr int kMinWidth = 640;
  static constexpr int kMinHeight = 480;
  static constexpr int kMaxSize = 20000;  // larger numbers are damage, not a screen
};

// Reads `file`: line 0 "1" (maximised) or "0", line 1 the width, line 2 the height, in decimal.
// A missing or unreadable file, or a line that is not a number in range, gives the first-start
// placement for what is missing; sizes below the minimum are raised to it. Never fails.
WindowPlacement LoadWindowPlacement(const std::filesystem::path& file);

// Writes the three lines atomically with CR LF. Error "io".
[[nodiscard]] text::Status SaveWindowPlacement(const std::filesystem::path& file,
                                               const WindowPlacement& placement);

}  // namespace app
