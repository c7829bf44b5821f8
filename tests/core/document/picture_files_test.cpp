// Picture names resolved against the subtitle's folder: inside or outside, GBK or UTF-8 names.
#include "document/picture_files.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace document {
namespace {

TEST(LocatePicture, TellsNamesThatLeaveTheFolder) {
  struct Case {
    std::string name;
    bool inside;
  };
  const Case cases[] = {
      {"0001.bmp", true},
      {"sub/0001.bmp", true},
      {"./0001.bmp", true},
      {"sub/../0001.bmp", true},
      {"../outside/o1.bmp", false},
      {"sub/../../o1.bmp", false},
      {"/tmp/o1.bmp", false},
      {"..", false},
      {"a//b/./../c.bmp", true},
      {"a/..", true},
      {"a/../..", false},
      // GBK and UTF-8 names: no byte of a Chinese character is a '/' or a '.'.
      {"\xCD\xBC/../\xC6\xAC.bmp", true},
      {"../\xCD\xBC.bmp", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LocatePicture("/films/a", c.name).inside, c.inside) << c.name;
    EXPECT_EQ(NameStaysInside(c.name), c.inside) << c.name;
  }
  EXPECT_EQ(LocatePicture("/films/a", "sub/0001.bmp").path, "/films/a/sub/0001.bmp");
  EXPECT_TRUE(LocatePicture("/films/a", "").path.empty());
}

TEST(LocatePicture, FindsGbkNamesUnderTheirUtf8NameAndFallsBackToRawBytes) {
  testing_support::TempDir folder;
  const std::string gbk_name =
      "\xCD\xBC\xC6\xAC"
      "1.bmp";  // 图片1.bmp in GBK
  const std::string utf8_name =
      "\xE5\x9B\xBE\xE7\x89\x87"
      "1.bmp";
  // Missing either way: the UTF-8 name is the one reported and written.
  EXPECT_EQ(LocatePicture(folder.path(), gbk_name).path, folder / utf8_name);
  folder.Write(gbk_name, "raw");
  EXPECT_EQ(LocatePicture(folder.path(), gbk_name).path, folder / gbk_name);
  folder.Write(utf8_name, "utf8");
  EXPECT_EQ(LocatePicture(folder.path(), gbk_name).path, folder / utf8_name);
}

TEST(PictureFile, RefusesPicturesOutsideUnlessAllowed) {
  SubtitleDocument document(UndoHistory::kNotRecorded);
  document.picture_folder = "/films/a";
  int row = 1;
  for (const char* name : {"0001.bmp", "../b/0002.bmp", "/tmp/0003.bmp", "ok/0004.bmp"}) {
    document.main.SetCell(kPicture, row, name);
    row = document.main.AppendRow();
  }
  EXPECT_EQ(RowsWithPicturesOutside(document), (std::vector<int>{2, 3}));
  EXPECT_EQ(DescribePictureRows(document, {2, 3}), "2 (../b/0002.bmp), 3 (/tmp/0003.bmp)");
  EXPECT_EQ(DescribePictureRows(document, {1, 2, 3}, 1), "1 (0001.bmp), ...");
  auto refused = PictureFile(document, "../b/0002.bmp");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().code, "outside");
  EXPECT_NE(refused.error().message.find("../b/0002.bmp"), std::string::npos);
  ASSERT_TRUE(PictureFile(document, "0001.bmp").ok());
  EXPECT_EQ(PictureFile(document, "0001.bmp").value(), "/films/a/0001.bmp");

  document.pictures_outside_allowed = true;
  EXPECT_TRUE(RowsWithPicturesOutside(document).empty());
  ASSERT_TRUE(PictureFile(document, "/tmp/0003.bmp").ok());
  EXPECT_EQ(PictureFile(document, "/tmp/0003.bmp").value(), "/tmp/0003.bmp");
}

}  // namespace
}  // namespace document
