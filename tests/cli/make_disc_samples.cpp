// make_disc_samples OUTDIR: the disc subtitle streams of the import command's end-to-end test,
// with the files the import must produce from them, made from the pictures' known roles.
//   sample.sup, sample.idx + sample.sub, sample.mkv, sample.ts and sample.m2ts (two PGS tracks
//   each), named.mkv (the same two tracks, named, one default and one forced), and under
//   expected/:
//   <kind>-<ink>/sample.srt and the bitmaps, for kind sup, vobsub, mkv and ink auto, t128;
//   sup-half/sample.srt, sample.sup with every picture halved (auto ink);
//   uhd.sup, three pictures on 3840x2160 video, the second 2100 pixels wide, and
//   uhd-half/uhd.srt (halved, as auto imports it) and uhd-full/uhd.srt (full size), auto ink.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/import/import_test_support.h"
#include "import/bmp_writer.h"
#include "import/disc_import.h"

namespace {

namespace fs = std::filesystem;
using import_tests::PixelRole;

void Save(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

struct Expected {
  std::int64_t start;
  std::int64_t end;
  std::vector<std::uint8_t> roles;
  int width;
  int height;
  int x = 0;  // on the video frame, for the halved pictures
  int y = 0;
};

bool IsFill(PixelRole role) {
  return role == PixelRole::kFill || role == PixelRole::kLightBlend;
}

// Writes expected/<name>/<srt_name> and the bitmaps of `pictures` in the auto ink (the fill),
// halved or at full size.
void SaveFillExpected(const fs::path& out, const std::string& name, const std::string& srt_name,
                      const std::vector<Expected>& pictures, bool halved) {
  const fs::path folder = out / "expected" / name;
  std::string srt;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Expected& p = pictures[i];
    import::InkPicture ink;
    if (halved) {
      import::SubtitleBitmap bitmap = import_tests::BitmapOfRoles(p.roles, p.width, p.height);
      bitmap.x = p.x;
      bitmap.y = p.y;
      import::InkChoice choice;
      for (int role = 0; role < 7; ++role) {
        choice.is_ink[static_cast<std::size_t>(role)] = IsFill(static_cast<PixelRole>(role));
      }
      ink = import::RenderHalfInk(bitmap, choice);
    } else {
      ink = import_tests::ExpectedInk(p.roles, p.width, p.height, IsFill);
    }
    const std::string picture = import::PictureName(static_cast<int>(i) + 1);
    Save(folder / picture, import::EncodeBmp(ink, import::BmpDepth::k1));
    srt += std::to_string(i + 1) + "\r\n" + import::SrtTime(p.start) + " --> " +
           import::SrtTime(p.end) + "\r\n" + picture + "\r\n\r\n";
  }
  Save(folder / srt_name, srt);
}

// Writes what the import gives for `pictures` with both inks into expected/<kind>-auto and
// expected/<kind>-t128 (1-bit pictures), and with the auto ink and 24-bit pictures into
// expected/<kind>-auto-24.
void SaveExpected(const fs::path& out, const std::string& kind,
                  const std::vector<Expected>& pictures) {
  struct Ink {
    std::string name;
    std::function<bool(PixelRole)> is_ink;
    import::BmpDepth depth;
  };
  const Ink inks[] = {{"auto", IsFill, import::BmpDepth::k1},
                      {"t128",
                       [](PixelRole role) {
                         return testing_support::RoleIsOpaque(role) &&
                                testing_support::RoleLuminance(role) >= 128;
                       },
                       import::BmpDepth::k1},
                      {"auto-24", IsFill, import::BmpDepth::k24}};
  for (const auto& [name, is_ink, depth] : inks) {
    const fs::path folder = out / "expected" / (kind + "-" + name);
    std::string srt;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      const Expected& p = pictures[i];
      const std::string picture = import::PictureName(static_cast<int>(i) + 1);
      Save(folder / picture,
           import::EncodeBmp(import_tests::ExpectedInk(p.roles, p.width, p.height, is_ink), depth));
      srt += std::to_string(i + 1) + "\r\n" + import::SrtTime(p.start) + " --> " +
             import::SrtTime(p.end) + "\r\n" + picture + "\r\n\r\n";
    }
    Save(folder / "sample.srt", srt);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_disc_samples OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  // PGS: three pictures of 1920x1080 video; the second is forced and ended by the third.
  std::vector<testing_support::PgsPicture> pgs;
  std::vector<Expected> pgs_expected;
  const std::int64_t times[][2] = {{1000, 2500}, {61000, -1}, {62500, 65432}};
  for (int i = 0; i < 3; ++i) {
    testing_support::PgsPicture p;
    p.start = times[i][0];
    p.end = times[i][1];
    p.forced = i == 1;
    p.x = 400;
    p.y = 950;
    p.width = 600 + 40 * i;
    p.height = 70;
    p.palette = testing_support::SyntheticPalette();
    p.pixels = testing_support::SyntheticSubtitle(p.width, p.height, 200 + i);
    pgs_expected.push_back(
        {p.start, i == 1 ? times[2][0] : p.end, p.pixels, p.width, p.height, p.x, p.y});
    pgs.push_back(std::move(p));
  }
  const auto sets = testing_support::PgsDisplaySets(pgs);
  Save(out / "sample.sup", testing_support::SupFile(sets));
  Save(out / "sample.mkv",
       testing_support::MatroskaWithPgs({{sets.front()}, sets}, {"fre", "eng"}));
  // Named tracks with flags, as --list-tracks shows them.
  Save(out / "named.mkv",
       testing_support::MatroskaWithTaggedPgs(
           {sets, sets}, {{"chi", "简体中文", true, false}, {"chi", "繁體中文", false, true}}));
  Save(out / "sample.ts",
       testing_support::TransportStreamWithPgs({{sets.front()}, sets}, {"fre", "eng"}, false));
  Save(out / "sample.m2ts",
       testing_support::TransportStreamWithPgs({{sets.front()}, sets}, {"fre", "eng"}, true));
  SaveExpected(out, "sup", pgs_expected);
  SaveFillExpected(out, "sup-half", "sample.srt", pgs_expected, true);

  // UHD: glyphs twice the size, and a line too wide for recognition unless halved.
  std::vector<testing_support::PgsPicture> uhd;
  std::vector<Expected> uhd_expected;
  for (int i = 0; i < 3; ++i) {
    testing_support::PgsPicture p;
    p.start = 2000 * (i + 1);
    p.end = p.start + 1500;
    p.x = 1001 - 400 * i;  // odd and even columns
    p.y = 1880 + i;
    p.width = i == 1 ? 2100 : 1200 + 60 * i;
    p.height = 140;
    p.palette = testing_support::SyntheticPalette();
    p.pixels = testing_support::SyntheticSubtitle(p.width, p.height, 400 + i);
    uhd_expected.push_back({p.start, p.end, p.pixels, p.width, p.height, p.x, p.y});
    uhd.push_back(std::move(p));
  }
  Save(out / "uhd.sup", testing_support::SupFile(testing_support::PgsDisplaySets(uhd, 3840, 2160)));
  SaveFillExpected(out, "uhd-half", "uhd.srt", uhd_expected, true);
  SaveFillExpected(out, "uhd-full", "uhd.srt", uhd_expected, false);

  // VobSub: 0 transparent, 1 fill, 2 outline, 3 light blend (ink under both inks above).
  std::vector<testing_support::VobSubPicture> vobsub;
  std::vector<Expected> vobsub_expected;
  for (int i = 0; i < 2; ++i) {
    testing_support::VobSubPicture p;
    p.start = 5000 + 7001 * i;
    p.duration = 1800;
    p.x = 60;
    p.y = 480;
    p.width = 300;
    p.height = 50;
    p.colours[1] = 1;
    p.colours[2] = 2;
    p.colours[3] = 3;
    auto roles = testing_support::SyntheticSubtitle(p.width, p.height, 300 + i);
    for (std::uint8_t& role : roles) {
      const auto r = static_cast<PixelRole>(role);
      const std::uint8_t pixel = r == PixelRole::kFill              ? 1
                                 : r == PixelRole::kLightBlend      ? 3
                                 : testing_support::RoleIsOpaque(r) ? 2
                                                                    : 0;
      p.pixels.push_back(pixel);
      // The roles as this stream shows them: the outline shades are all outline here.
      role = static_cast<std::uint8_t>(pixel == 1   ? PixelRole::kFill
                                       : pixel == 3 ? PixelRole::kLightBlend
                                       : pixel == 2 ? PixelRole::kOutline
                                                    : PixelRole::kTransparent);
    }
    vobsub_expected.push_back({p.start, p.start + testing_support::VobSubCodedDuration(p.duration),
                               roles, p.width, p.height});
    vobsub.push_back(std::move(p));
  }
  const auto files =
      testing_support::VobSubStream(vobsub, {0x000000, 0xFFFFFF, 0x000000, 0xC0C0C0});
  Save(out / "sample.idx", files.idx);
  Save(out / "sample.sub", files.sub);
  SaveExpected(out, "vobsub", vobsub_expected);
  return 0;
}
