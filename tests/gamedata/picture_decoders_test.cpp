// The shape container and TGA decoders on hand-made files: every pixel kind and palette
// placement against the pixels they must give, and damaged or hostile files that must give
// no picture.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gamedata/rgba_image.h"
#include "gamedata/shape_image.h"
#include "gamedata/tga_image.h"

namespace krax {
namespace {

using Pixel = std::array<int, 4>;

void Put16(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
}
std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}
std::string Words(std::initializer_list<unsigned> values) {
  std::string out;
  for (unsigned v : values) Put16(out, v);
  return out;
}

// A record: 16-byte header (kind, next offset, width, height, zeros), then the data.
std::string Record(unsigned kind, int width, int height, const std::string& data, std::uint32_t next = 0) {
  std::string out;
  Put32(out, kind | (next << 8));
  Put16(out, static_cast<unsigned>(width));
  Put16(out, static_cast<unsigned>(height));
  out.append(8, '\0');
  return out + data;
}
// The record followed by more records of the same picture (a palette, attachments).
std::string Chain(const std::vector<std::string>& records) {
  std::string out;
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::string record = records[i];
    if (i + 1 < records.size()) {
      const std::uint32_t next = static_cast<std::uint32_t>(record.size());
      record[1] = static_cast<char>(next & 0xFF);
      record[2] = static_cast<char>((next >> 8) & 0xFF);
      record[3] = static_cast<char>((next >> 16) & 0xFF);
    }
    out += record;
  }
  return out;
}
// A container whose directory names the given (name, records) pictures in order.
std::string Shape(const std::vector<std::pair<std::string, std::string>>& pictures) {
  std::string out = "SHPI";
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(pictures.size()));
  out += "GIMX";
  std::size_t offset = 16 + 8 * pictures.size();
  for (const auto& [name, records] : pictures) {
    out += name;
    Put32(out, static_cast<std::uint32_t>(offset));
    offset += records.size();
  }
  for (const auto& picture : pictures) out += picture.second;
  return out;
}

struct Case {
  const char* what;
  std::string file;
  int width;
  int height;
  std::vector<Pixel> pixels;  // row by row; empty: no picture expected
};

void Check(const Case& c, const std::optional<RgbaImage>& image) {
  SCOPED_TRACE(c.what);
  if (c.pixels.empty()) {
    EXPECT_FALSE(image.has_value());
    return;
  }
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->width, c.width);
  ASSERT_EQ(image->height, c.height);
  ASSERT_EQ(c.pixels.size(), static_cast<std::size_t>(c.width * c.height));
  for (int i = 0; i < c.width * c.height; ++i) {
    const std::uint8_t* p = image->at(i % c.width, i / c.width);
    EXPECT_EQ((Pixel{p[0], p[1], p[2], p[3]}), c.pixels[static_cast<std::size_t>(i)]) << "pixel " << i;
  }
}

const Pixel kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kBlack{0, 0, 0, 255};
const Pixel kClear{0, 0, 0, 0};

TEST(ShapeImageTest, HandMadeFilesGiveTheirPixelsOrNoPicture) {
  const std::string palette3 = Record(0x24, 2, 1, Bytes({0, 0, 255, 255, 0, 0}));  // BGR: red, blue
  const std::vector<Case> cases = {
      {"32-bit BGRA", Shape({{"pic0", Record(0x7D, 2, 1, Bytes({0, 0, 255, 255, 255, 0, 0, 128}))}}), 2, 1,
       {kRed, {0, 0, 255, 128}}},
      {"24-bit BGR", Shape({{"pic0", Record(0x7F, 1, 2, Bytes({0, 255, 0, 255, 0, 0}))}}), 1, 2, {kGreen, kBlue}},
      {"16-bit 5:6:5", Shape({{"pic0", Record(0x78, 3, 1, Words({0xF800, 0x07E0, 0x001F}))}}), 3, 1,
       {kRed, kGreen, kBlue}},
      {"16-bit 1:5:5:5", Shape({{"pic0", Record(0x7E, 2, 1, Words({0xFC00, 0x03E0}))}}), 2, 1,
       {kRed, {0, 255, 0, 0}}},
      {"16-bit 4:4:4:4", Shape({{"pic0", Record(0x6D, 2, 1, Words({0xF0F0, 0x800F}))}}), 2, 1,
       {kGreen, {0, 0, 255, 136}}},
      {"8-bit, own palette after the picture (BGR), index past it black",
       Shape({{"pic0", Chain({Record(0x7B, 3, 1, Bytes({1, 0, 2})), palette3})}}), 3, 1, {kBlue, kRed, kBlack}},
      {"8-bit, own palette after a name attachment (RGB 0-63)",
       Shape({{"pic0", Chain({Record(0x7B, 2, 1, Bytes({0, 1})), Record(0x70, 4, 1, "name"),
                              Record(0x22, 2, 1, Bytes({63, 0, 0, 0, 0, 63}))})}}),
       2, 1, {kRed, kBlue}},
      {"8-bit, global !pal (BGRA) listed first",
       Shape({{"!pal", Record(0x2A, 2, 1, Bytes({0, 255, 0, 255, 0, 0, 255, 64}))},
              {"pic0", Record(0x7B, 2, 1, Bytes({0, 1}))}}),
       2, 1, {kGreen, {255, 0, 0, 64}}},
      {"8-bit, own palette wins over !pal (1:5:5:5 and 5:6:5 palettes)",
       Shape({{"pic0", Chain({Record(0x7B, 1, 1, Bytes({0})), Record(0x2D, 1, 1, Words({0x801F}))})},
              {"!pal", Record(0x29, 1, 1, Words({0xF800}))}}),
       1, 1, {kBlue}},
      {"8-bit, no palette: grey ramp", Shape({{"pic0", Record(0x7B, 2, 1, Bytes({0x80, 0xFF}))}}), 2, 1,
       {{128, 128, 128, 255}, {255, 255, 255, 255}}},
      {"DXT1, four colours, cut to 2 x 2",
       Shape({{"pic0", Record(0x60, 2, 2, Words({0xF800, 0x001F}) + Bytes({0b0100, 0b1110, 0, 0}))}}), 2, 2,
       {kRed, kBlue, {170, 0, 85, 255}, {85, 0, 170, 255}}},
      {"DXT1, three colours and transparent",
       Shape({{"pic0", Record(0x60, 4, 1, Words({0x001F, 0xF800}) + Bytes({0b11100100, 0, 0, 0}))}}), 4, 1,
       {kBlue, kRed, {127, 0, 127, 255}, kClear}},
      {"DXT3, explicit alpha",
       Shape({{"pic0", Record(0x61, 2, 1, Bytes({0x5F, 0, 0, 0, 0, 0, 0, 0}) + Words({0xF800, 0xF800}) +
                                              Bytes({0, 0, 0, 0}))}}),
       2, 1, {kRed, {255, 0, 0, 85}}},
      {"DXT1 5 x 1: two blocks wide",
       Shape({{"pic0", Record(0x60, 5, 1, Words({0xF800, 0, 0, 0, 0x001F, 0, 0, 0}))}}), 5, 1,
       {kRed, kRed, kRed, kRed, kBlue}},
      {"first picture packed: the second one", Shape({{"pic0", Record(0xFD, 1, 1, Bytes({1, 2, 3, 4}))},
                                                     {"pic1", Record(0x7F, 1, 1, Bytes({255, 0, 0}))}}),
       1, 1, {kBlue}},
      {"truncated record", Shape({{"pic0", Record(0x7D, 4, 4, std::string(10, 'x'))}}), 0, 0, {}},
      {"pixels run into the next record",
       Shape({{"pic0", Chain({Record(0x7F, 2, 2, std::string(3, 'x')), Record(0x70, 2, 1, std::string(16, 'y'))})}}),
       0, 0, {}},
      {"absurd size", Shape({{"pic0", Record(0x7B, 65535, 65535, std::string(64, 'x'))}}), 0, 0, {}},
      {"packed with the game's compression", Shape({{"pic0", Record(0xFB, 1, 1, "x")}}), 0, 0, {}},
      {"unknown kind", Shape({{"pic0", Record(0x33, 1, 1, "xxxx")}}), 0, 0, {}},
      {"zero width", Shape({{"pic0", Record(0x7D, 0, 5, "")}}), 0, 0, {}},
      {"not a shape container", "SHPX" + std::string(40, '\0'), 0, 0, {}},
      {"entry count beyond the file", [] {
         std::string f = Shape({{"pic0", Record(0x7F, 1, 1, "abc")}});
         f[8] = f[9] = f[10] = f[11] = '\xFF';
         return f;
       }(), 0, 0, {}},
      {"offset beyond the file", [] {
         std::string f = Shape({{"pic0", Record(0x7F, 1, 1, "abc")}});
         f[20] = f[21] = f[22] = '\x7F';
         return f;
       }(), 0, 0, {}},
      {"only a header", "SHPI", 0, 0, {}},
  };
  for (const Case& c : cases) Check(c, DecodeFirstShapeImage(c.file));
}

TEST(ShapeImageTest, NamesLeaveOutTheGlobalPaletteAndPicturesDecodeByIndex) {
  const std::string file = Shape({{"!pal", Record(0x24, 1, 1, Bytes({255, 0, 0}))},
                                  {"car0", Record(0x7B, 1, 1, Bytes({0}))},
                                  {"bdg0", Record(0x7F, 1, 1, Bytes({0, 0, 255}))}});
  EXPECT_EQ(ShapeImageNames(file), (std::vector<std::string>{"car0", "bdg0"}));
  Check({"car0", file, 1, 1, {kBlue}}, DecodeShapeImage(file, 0));
  Check({"bdg0", file, 1, 1, {kRed}}, DecodeShapeImage(file, 1));
  EXPECT_FALSE(DecodeShapeImage(file, 2).has_value());
  EXPECT_TRUE(MakeRgbaImage(4097, 4096).empty());  // past the cap, nothing allocated
  EXPECT_FALSE(MakeRgbaImage(4096, 4096).empty());
}

// An 18-byte TGA header.
std::string Tga(int type, int width, int height, int bits, int descriptor, const std::string& data,
                int mapLength = 0, int mapBits = 0, const std::string& id = {}) {
  std::string out;
  out.push_back(static_cast<char>(id.size()));
  out.push_back(static_cast<char>(mapLength > 0 ? 1 : 0));
  out.push_back(static_cast<char>(type));
  Put16(out, 0);
  Put16(out, static_cast<unsigned>(mapLength));
  out.push_back(static_cast<char>(mapBits));
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<unsigned>(width));
  Put16(out, static_cast<unsigned>(height));
  out.push_back(static_cast<char>(bits));
  out.push_back(static_cast<char>(descriptor));
  return out + id + data;
}

TEST(TgaImageTest, EveryKindAndOriginGivesItsPixelsAndDamageGivesNone) {
  const std::vector<Case> cases = {
      {"24-bit, bottom-left origin", Tga(2, 2, 2, 24, 0, Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0}), 0, 0, "id"),
       2, 2, {kRed, kBlack, kBlue, kGreen}},
      {"32-bit, top-left origin, alpha", Tga(2, 2, 1, 32, 0x28, Bytes({0, 0, 255, 255, 0, 255, 0, 64})), 2, 1,
       {kRed, {0, 255, 0, 64}}},
      {"32-bit without alpha bits: opaque", Tga(2, 1, 1, 32, 0x20, Bytes({0, 0, 255, 0})), 1, 1, {kRed}},
      {"16-bit with an alpha bit", Tga(2, 2, 1, 16, 0x21, Words({0xFC00, 0x03E0})), 2, 1, {kRed, {0, 255, 0, 0}}},
      {"16-bit without alpha bits: opaque", Tga(2, 1, 1, 16, 0x20, Words({0x001F})), 1, 1, {kBlue}},
      {"right-to-left rows", Tga(2, 2, 1, 24, 0x30, Bytes({255, 0, 0, 0, 0, 255})), 2, 1, {kRed, kBlue}},
      {"8-bit grey", Tga(3, 2, 1, 8, 0x20, Bytes({0, 200})), 2, 1, {kBlack, {200, 200, 200, 255}}},
      {"colour-mapped, 24-bit map", Tga(1, 3, 1, 8, 0x20, Bytes({0, 0, 255, 255, 0, 0, 1, 0, 7}), 2, 24), 3, 1,
       {kBlue, kRed, kBlack}},
      {"run-length 24-bit: a run across rows, then raw pixels",
       Tga(10, 2, 2, 24, 0x20, Bytes({0x82, 0, 255, 0, 0x00, 255, 0, 0})), 2, 2, {kGreen, kGreen, kGreen, kBlue}},
      {"run-length grey", Tga(11, 3, 1, 8, 0x20, Bytes({0x82, 9})), 3, 1,
       {{9, 9, 9, 255}, {9, 9, 9, 255}, {9, 9, 9, 255}}},
      {"run-length colour-mapped, 16-bit map", Tga(9, 2, 1, 8, 0x20, Bytes({0x81, 0}) + Words({0x7C00}), 0, 0), 0, 0,
       {}},  // a colour-mapped picture without its map
      {"truncated pixels", Tga(2, 4, 4, 24, 0, std::string(20, 'x')), 0, 0, {}},
      {"run packet past the picture", Tga(10, 2, 1, 24, 0x20, Bytes({0x83, 1, 2, 3})), 0, 0, {}},
      {"run-length data ends early", Tga(10, 4, 1, 24, 0x20, Bytes({0x01, 1, 2, 3})), 0, 0, {}},
      {"huge size, tiny data", Tga(10, 65535, 65535, 32, 0x20, Bytes({0xFF, 1, 2, 3, 4})), 0, 0, {}},
      {"unknown image type", Tga(4, 1, 1, 24, 0, Bytes({1, 2, 3})), 0, 0, {}},
      {"24-bit grey is no TGA", Tga(3, 1, 1, 24, 0, Bytes({1, 2, 3})), 0, 0, {}},
      {"header cut", std::string(10, '\0'), 0, 0, {}},
  };
  for (const Case& c : cases) Check(c, DecodeTga(c.file));
}

}  // namespace
}  // namespace krax
