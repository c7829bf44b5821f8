// The track, ink and picture-size options of disc subtitles.
#include "cli/import_options.h"

#include <utility>

namespace cli {

void AddDiscOptions(CLI::App& command, DiscArguments& arguments) {
  command
      .add_option("--track", arguments.track,
                  "Subtitle track, 1-based as --list-tracks numbers them (default: the first "
                  "PGS or VobSub track)")
      ->check(CLI::NonNegativeNumber);
  command
      .add_option("--ink", arguments.ink,
                  "Ink of the bitmaps: auto (the fill inside the outline), fill (the lighter "
                  "colours), outline (the darker ones), all (every opaque colour)")
      ->check(CLI::IsMember({"auto", "fill", "outline", "all"}));
  command
      .add_option("--ink-threshold", arguments.threshold,
                  "Ink is every opaque pixel of this luminance (0-255) or more; replaces --ink")
      ->check(CLI::Range(0, 255));
  command
      .add_option("--scale", arguments.scale,
                  "Picture size: 2 halves every picture (2x2 pixels become one), 1 keeps it, "
                  "auto halves the pictures of video wider than 1920 pixels (UHD discs)")
      ->check(CLI::IsMember({"auto", "1", "2"}));
}

import::ImportOptions ImportOptionsFrom(const DiscArguments& arguments){
    import::ImportOptions options;
options.track = arguments.track;
options.ink.threshold = arguments.threshold;
const std::pair<const char*, import::InkMode> modes[] = {{"auto", import::InkMode::kAuto},
                                                         {"fill", import::InkMode::kFill},
                                                         {"outline", import::InkMode::kOutline},
                                                         {"all", import::InkMode::kAll}};
for (const auto& [name, mode] : modes) {
  if (arguments.ink == name) {
    options.ink.mode = mode;
  }
}
options.scale = arguments.scale == "1"   ? import::PictureScale::kFull
                : arguments.scale == "2" ? import::PictureScale::kHalf
                                         : import::PictureScale::kAuto;
return options;
}  // namespace cli

}  // namespace cli
