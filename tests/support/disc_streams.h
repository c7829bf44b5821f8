// Test-only writers of disc subtitle streams with known pictures and times: PGS (.sup and the
// display sets Matroska holds), VobSub (.idx and .sub), Matroska files through libavformat,
// MPEG transport streams (.ts and .m2ts) written here, since libavformat cannot put PGS in one, and
// synthetic subtitle pictures with a light fill, a dark outline and anti-aliasing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A PGS palette entry as the stream stores it: YCrCb (studio range) and alpha.
struct PgsColour {
  std::uint8_t id = 0;
  std::uint8_t y = 16;
  std::uint8_t cr = 128;
  std::uint8_t cb = 128;
  std::uint8_t alpha = 255;
};

// One subtitle picture with its times in milliseconds. `end` < 0: no clearing display set
// follows (the next picture, or the end of the stream, ends it).
struct PgsPicture {
  std::int64_t start = 0;
  std::int64_t end = -1;
  bool forced = false;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // row-major palette ids
  std::vector<PgsColour> palette;
};

// One display set: its segments (type, length, payload each) and its time in 90 kHz ticks.
struct PgsDisplaySet {
  std::int64_t pts = 0;
  std::string segments;
};

// The display sets of `pictures`: per picture an epoch start with one object, then a clearing
// set at its end when it has one. `video_width` x `video_height` is the presentation size.
std::vector<PgsDisplaySet> PgsDisplaySets(const std::vector<PgsPicture>& pictures,
                                          int video_width = 1920, int video_height = 1080);
// A .sup file: every segment of `sets` behind its "PG" header with the set's time.
std::string SupFile(const std::vector<PgsDisplaySet>& sets);
// The PGS run-length coding of a picture's rows (each row ends with 00 00).
std::string PgsRunLengths(const std::vector<std::uint8_t>& pixels, int width, int height);

// A VobSub picture: two-bit pixels (0-3) whose colours are `colours[pixel]` of the 16-colour
// palette with alpha `alphas[pixel]` (0-15). The stop time is coded in steps of 1024/90 ms; a
// `duration` < 0 codes the stop date 0xFFFF, which some writers give for "no duration".
struct VobSubPicture {
  std::int64_t start = 0;
  std::int64_t duration = 0;
  bool forced = false;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::uint8_t colours[4] = {0, 1, 2, 3};
  std::uint8_t alphas[4] = {0, 15, 15, 15};
};
struct VobSubFiles {
  std::string idx;
  std::string sub;
};
// The .idx (with `palette`, 16 colours 0xRRGGBB) and the .sub (MPEG program stream of 2048-byte
// packs) of `pictures`.
VobSubFiles VobSubStream(const std::vector<VobSubPicture>& pictures,
                         const std::vector<std::uint32_t>& palette);
// The end time the decoder gives a picture of `duration` ms: the coded steps of 1024/90 ms.
std::int64_t VobSubCodedDuration(std::int64_t duration);

// A Matroska file holding one PGS track per entry of `tracks` (languages in `languages`), each
// display set one block; made by libavformat's Matroska writer.
std::string MatroskaWithPgs(const std::vector<std::vector<PgsDisplaySet>>& tracks,
                            const std::vector<std::string>& languages);
// The tags of a Matroska track: language, name, and the default and forced flags.
struct MatroskaTrackTags {
  std::string language;
  std::string title;
  bool default_track = false;
  bool forced = false;
};
// The same with the tags of each track.
std::string MatroskaWithTaggedPgs(const std::vector<std::vector<PgsDisplaySet>>& tracks,
                                  const std::vector<MatroskaTrackTags>& tags);
// An MPEG transport stream holding one PGS track per entry of `tracks` (stream type 0x90 under
// the "HDMV" registration, languages as ISO 639 descriptors), each segment one PES packet with
// its display set's time. `m2ts`: the 192-byte packets of Blu-ray discs (a 4-byte arrival time
// before each packet) instead of 188-byte ones.
std::string TransportStreamWithPgs(const std::vector<std::vector<PgsDisplaySet>>& tracks,
                                   const std::vector<std::string>& languages, bool m2ts);
// A Matroska file with one PCM audio track and no subtitles.
std::string MatroskaWithoutSubtitles();

// Synthetic subtitle pictures in the manner of disc subtitles: strokes of a light fill, a band
// of anti-aliasing around them, a dark outline and a faint outer edge. `Kind` names each pixel's
// role; `kPalette` gives the PGS colours of the roles.
enum class PixelRole : std::uint8_t {
  kTransparent = 0,
  kFill = 1,        // Y 235: white
  kLightBlend = 2,  // Y 180, between fill and outline, nearer the fill
  kDarkBlend = 3,   // Y 90, nearer the outline
  kOutline = 4,     // Y 16: black
  kOuterEdge = 5,   // outline colour at alpha 160 (still opaque)
  kHalo = 6,        // outline colour at alpha 60 (transparent)
};
std::vector<PgsColour> SyntheticPalette();
// Luminance 0-255 of a role's colour as shown (studio range Y expanded to full range).
int RoleLuminance(PixelRole role);
bool RoleIsOpaque(PixelRole role);
// A width x height picture of roles (the palette ids are the role values) with text-like strokes
// placed by `seed`.
std::vector<std::uint8_t> SyntheticSubtitle(int width, int height, unsigned seed);

}  // namespace testing_support
