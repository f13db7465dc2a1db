// Which picture the details form and kraxctl take for a car, and the PNG kraxctl writes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <string>
#include <vector>

#include "archive/png_encode.h"
#include "gamedata/car_picture.h"
#include "gamedata_test_support.h"
#include "platform/path.h"
#include "support/tga_bytes.h"

namespace krax {
namespace {

// A one-picture shape container of 1 x 1 24-bit pixels (blue, green, red), or packed with
// the game's own compression when `packed`.
std::string OnePixelShape(int b, int g, int r, bool packed = false) {
  std::string file = "SHPI";
  file.append(4, '\0');
  file += std::string("\x01\0\0\0", 4) + "GIMX" + "pic0" + std::string("\x18\0\0\0", 4);
  file += std::string(1, static_cast<char>(packed ? 0xFF : 0x7F)) + std::string(3, '\0');
  file += std::string("\x01\0\x01\0", 4) + std::string(8, '\0');
  file += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
  return file;
}

std::string OnePixelTga(int b, int g, int r) {
  std::string file(18, '\0');
  file[2] = 2;
  file[12] = 1;
  file[14] = 1;
  file[16] = 24;
  return file + std::string{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
}

std::vector<int> FirstPixel(const std::optional<RgbaImage>& image) {
  if (!image) return {};
  const std::uint8_t* p = image->at(0, 0);
  return {p[0], p[1], p[2], p[3]};
}

TEST(CarPictureTest, FolderPicturesComeShotsFirstThenByName) {
  test::ScratchDir dir("picture");
  for (const char* name : {"b.png", "a.JPG", "Zscreen.bmp", "my_SHOT.tga", "notes.txt", "car.viv", "c.jpeg"}) {
    test::WriteFile(dir.path() / name, "x");
  }
  std::filesystem::create_directories(dir.path() / "folder.png");
  std::vector<std::string> names;
  for (const std::string& path : FolderPictureFiles(dir.str())) names.push_back(BaseName(path));
  EXPECT_EQ(names, (std::vector<std::string>{"Zscreen.bmp", "my_SHOT.tga", "a.JPG", "b.png", "c.jpeg"}));
  EXPECT_TRUE(FolderPictureFiles((dir.path() / "missing").string()).empty());
}

TEST(CarPictureTest, ArchivePictureIsFedataFshElseATgaEntryAndDamageFallsThrough) {
  test::ScratchDir dir("picture");
  const std::string path = (dir.path() / "car.viv").string();
  struct Case {
    const char* what;
    std::vector<test::TestEntry> entries;
    std::vector<int> pixel;  // empty: no picture
  };
  const std::vector<Case> cases = {
      {"fedata.fsh first", {{"skin.tga", OnePixelTga(0, 255, 0)}, {"fedata.fsh", OnePixelShape(255, 0, 0)}},
       {0, 0, 255, 255}},
      {"name in capitals", {{"FEDATA.FSH", OnePixelShape(0, 0, 255)}}, {255, 0, 0, 255}},
      {"packed fedata.fsh: the texture",
       {{"fedata.fsh", OnePixelShape(255, 0, 0, true)}, {"dash.TGA", OnePixelTga(0, 255, 0)}}, {0, 255, 0, 255}},
      {"damaged texture: the next one",
       {{"fedata.fsh", "SHPI"}, {"a.tga", "broken"}, {"b.tga", OnePixelTga(255, 255, 255)}}, {255, 255, 255, 255}},
      {"nothing that decodes", {{"fedata.fsh", "junk"}, {"carp.txt", "x"}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFile(path, test::BuildViv(c.entries));
    EXPECT_EQ(FirstPixel(ReadArchivePicture(path)), c.pixel);
  }
  EXPECT_FALSE(ReadArchivePicture((dir.path() / "none.viv").string()).has_value());
  test::WriteFile(dir.path() / "shot.tga", OnePixelTga(0, 0, 0));
  EXPECT_EQ(FirstPixel(ReadTgaFile((dir.path() / "shot.tga").string())), (std::vector<int>{0, 0, 0, 255}));
}

TEST(CarPictureTest, ArchivePictureSearchIsCappedByItsBudget) {
  test::ScratchDir dir("picture");
  const std::string path = (dir.path() / "car.viv").string();
  constexpr std::uint64_t kHuge = static_cast<std::uint64_t>(test::kLateBrokenTgaSide) * test::kLateBrokenTgaSide;
  // A header that declares the largest size with almost no data: refused before any work.
  std::string hugeHeaderOnly = test::LateBrokenTga().substr(0, 18) + std::string(10, '\xFF');
  struct Case {
    const char* what;
    std::vector<test::TestEntry> entries;
    std::uint64_t budgetPixels;
    bool cancelled;
    std::vector<int> pixel;  // empty: no picture
    PictureWork work;        // what the search did
  };
  const std::vector<Case> cases = {
      {"textures broken late: the first one ends the search",
       {{"a.tga", test::LateBrokenTga()}, {"b.tga", test::LateBrokenTga()}, {"c.tga", test::LateBrokenTga()},
        {"good.tga", OnePixelTga(0, 255, 0)}},
       kPictureSearchPixels, false, {}, {1, kHuge, true}},
      {"sizes refused from the header cost nothing",
       {{"a.tga", hugeHeaderOnly}, {"b.tga", hugeHeaderOnly}, {"good.tga", OnePixelTga(0, 255, 0)}},
       kPictureSearchPixels, false, {0, 255, 0, 255}, {1, 1, false}},
      {"a picture beyond what is left is passed over",
       {{"big.tga", test::SolidTga(8, 8, 1, 2, 3)}, {"small.tga", test::SolidTga(2, 2, 9, 8, 7)}},
       10, false, {9, 8, 7, 255}, {1, 4, false}},
      {"the front-end images count too",
       {{"fedata.fsh", OnePixelShape(0, 0, 255)}, {"good.tga", OnePixelTga(0, 255, 0)}},
       0, false, {}, {0, 0, false}},
      {"a search nobody waits for starts nothing",
       {{"good.tga", OnePixelTga(0, 255, 0)}}, kPictureSearchPixels, true, {}, {0, 0, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFile(path, test::BuildViv(c.entries));
    const std::atomic<bool> cancel{c.cancelled};
    PictureBudget budget(c.budgetPixels, &cancel);
    EXPECT_EQ(FirstPixel(ReadArchivePicture(path, budget)), c.pixel);
    EXPECT_EQ(budget.work().picturesStarted, c.work.picturesStarted);
    EXPECT_EQ(budget.work().pixelsStarted, c.work.pixelsStarted);
    EXPECT_EQ(budget.work().stoppedLate, c.work.stoppedLate);
    EXPECT_LE(budget.work().pixelsStarted, c.budgetPixels);
  }
  // kraxctl's search has the same cap: no picture, and the good one after the damage unread.
  test::WriteFile(path, test::BuildViv({{"a.tga", test::LateBrokenTga()}, {"b.tga", OnePixelTga(0, 255, 0)}}));
  EXPECT_FALSE(ReadArchivePicture(path).has_value());
}

TEST(CarPictureTest, PngHoldsThePixels) {
  const std::vector<std::uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 9, 9, 9, 9};
  const std::string png = EncodePng(2, 2, rgba.data());
  ASSERT_GT(png.size(), 57u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x02\0\0\0\x02", 8));
  const std::size_t idat = png.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  const auto length = static_cast<std::size_t>(static_cast<unsigned char>(png[idat - 2]) << 8 |
                                               static_cast<unsigned char>(png[idat - 1]));
  std::vector<Bytef> raw(2 * 9);
  uLongf rawSize = static_cast<uLongf>(raw.size());
  ASSERT_EQ(uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(png.data() + idat + 4), length), Z_OK);
  const std::vector<Bytef> expected = {0, 255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 0, 255, 0, 9, 9, 9, 9};
  EXPECT_EQ(raw, expected);
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
  EXPECT_TRUE(EncodePng(0, 5, rgba.data()).empty());
}

}  // namespace
}  // namespace krax
