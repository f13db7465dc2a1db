#include "tools/viv_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tools/car_entries.h"
#include "tools/viv_parse.h"

namespace krax {
namespace {

using test::BigEndian32;

TEST(VivWriterTest, HeaderDirectoryAndDataFollowTheLayout) {
  const std::string carp = "carp text";
  const std::string big(70000, 'x');
  const std::string archive =
      BuildVivArchive({{"carp.txt", carp}, {"FEDATA.ENG", big}, {"empty", ""}});

  const std::size_t directoryEnd = 16 + (8 + 9) + (8 + 11) + (8 + 6);
  ASSERT_EQ(archive.size(), directoryEnd + carp.size() + big.size());
  EXPECT_EQ(archive.substr(0, 4), "KVIV");
  EXPECT_EQ(BigEndian32(archive, 4), archive.size());
  EXPECT_EQ(BigEndian32(archive, 8), 3u);
  EXPECT_EQ(BigEndian32(archive, 12), directoryEnd);

  // First entry, byte by byte: offset, size, name and its zero.
  EXPECT_EQ(BigEndian32(archive, 16), directoryEnd);
  EXPECT_EQ(BigEndian32(archive, 20), carp.size());
  EXPECT_EQ(archive.substr(24, 9), std::string("carp.txt\0", 9));

  const auto entries = test::ParseViv(archive);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_EQ((*entries)[0].data, carp);
  EXPECT_EQ((*entries)[1].name, "FEDATA.ENG");  // case kept
  EXPECT_EQ((*entries)[1].offset, directoryEnd + carp.size());
  EXPECT_EQ((*entries)[1].data, big);
  EXPECT_EQ((*entries)[2].size, 0u);
  EXPECT_EQ((*entries)[2].offset, archive.size());
}

TEST(VivWriterTest, OffsetsAreBigEndian) {
  // Names chosen so that the second entry's data starts at file offset 300 (00 00 01 2C).
  const std::string first(300 - (16 + 10 + 10), 'a');
  const std::string archive = BuildVivArchive({{"a", first}, {"b", "data"}});
  EXPECT_EQ(archive.substr(16 + 10, 4), std::string("\x00\x00\x01\x2C", 4));
  EXPECT_EQ(archive.substr(300, 4), "data");
}

TEST(VivWriterTest, EmptyArchiveIsJustTheHeader) {
  const std::string archive = BuildVivArchive({});
  ASSERT_EQ(archive.size(), 16u);
  EXPECT_EQ(BigEndian32(archive, 12), 16u);
  EXPECT_EQ(BigEndian32(archive, 8), 0u);
}

TEST(VivWriterTest, MoreThanNinetyNineEntriesAreWrittenForReaderTests) {
  std::vector<VivSourceEntry> many;
  for (int i = 0; i < 150; ++i) many.push_back({"e" + std::to_string(i), "x"});
  const auto entries = test::ParseViv(BuildVivArchive(many));
  ASSERT_TRUE(entries.has_value());
  EXPECT_EQ(entries->size(), 150u);
}

TEST(VivWriterTest, RefusesNamesHoldingAZeroByte) {
  EXPECT_THROW(BuildVivArchive({{std::string("a\0b", 3), "x"}}), std::invalid_argument);
}

TEST(VivWriterTest, AppendKeepsWhatTheBufferHeld) {
  std::string buffer = "prefix";
  AppendVivArchive(buffer, {{"n", "v"}});
  EXPECT_EQ(buffer.substr(0, 6), "prefix");
  EXPECT_EQ(buffer.substr(6), BuildVivArchive({{"n", "v"}}));
}

TEST(CarpTextTest, NumberedValuesAreFoundByTheirKey) {
  const std::string carp = BuildCarpText(DemoCarpValues({"42 ", 1375, "71.50", "69.25", 7}));
  EXPECT_EQ(carp.substr(0, 20), "Serial number(0)\r\n42");
  EXPECT_EQ(test::CarpValue(carp, 0), "42 ");  // the blank is kept
  EXPECT_EQ(test::CarpValue(carp, 2), "1375");
  EXPECT_EQ(test::CarpValue(carp, 14), "71.50");
  EXPECT_EQ(test::CarpValue(carp, 15), "69.25");
  // Every line ends in CR LF, and every value is labelled exactly once.
  for (int n = 0; n <= 47; ++n) {
    const std::string key = "(" + std::to_string(n) + ")\r\n";
    const std::size_t first = carp.find(key);
    ASSERT_NE(first, std::string::npos) << n;
    EXPECT_EQ(carp.find(key, first + 1), std::string::npos) << n;
  }
  for (std::size_t at = carp.find('\n'); at != std::string::npos; at = carp.find('\n', at + 1)) {
    ASSERT_GT(at, 0u);
    EXPECT_EQ(carp[at - 1], '\r');
  }
  EXPECT_EQ(carp.substr(carp.size() - 2), "\r\n");
}

TEST(CarpTextTest, LabelsAndValuesAsGiven) {
  EXPECT_EQ(BuildCarpText({{0, "Serial", "7"}, {12, "X", ""}}), "Serial(0)\r\n7\r\nX(12)\r\n\r\n");
}

TEST(FedataRecordTest, FieldsStandAtTheirOffsets) {
  FedataFields fields;
  fields.id = "ZX9";
  fields.carClass = 2;
  fields.police = 1;
  fields.serial = 65000;
  fields.manufacturer = "Maker";
  fields.model = "Model";
  fields.name = "Full Name";
  fields.extraTexts = {"Engine: 8 cyl.", ""};
  const std::string record = BuildFedataRecord(fields);

  EXPECT_EQ(record.substr(0, 4), std::string("ZX9\0", 4));
  EXPECT_EQ(test::LittleEndian16(record, 10), 2);
  EXPECT_EQ(test::LittleEndian16(record, 16), 1);
  EXPECT_EQ(test::LittleEndian16(record, 24), 65000);
  EXPECT_EQ(test::TextAt(record, test::LittleEndian32(record, 47)), "Maker");
  EXPECT_EQ(test::TextAt(record, test::LittleEndian32(record, 51)), "Model");
  EXPECT_EQ(test::TextAt(record, test::LittleEndian32(record, 55)), "Full Name");
  EXPECT_EQ(test::TextAt(record, test::LittleEndian32(record, 59)), "Engine: 8 cyl.");
  // Texts follow the header and are all zero-terminated inside the record.
  EXPECT_GE(test::LittleEndian32(record, 47), 59u + 4 * 2);
  EXPECT_EQ(record.back(), '\0');
  EXPECT_LT(test::LittleEndian32(record, 63), record.size());
}

TEST(FedataRecordTest, RefusesAnIdLongerThanFourCharacters) {
  FedataFields fields;
  fields.id = "ABCDE";
  EXPECT_THROW(BuildFedataRecord(fields), std::invalid_argument);
}

}  // namespace
}  // namespace krax
