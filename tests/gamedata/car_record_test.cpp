#include "gamedata/car_record.h"

#include <gtest/gtest.h>

#include "gamedata_test_support.h"

namespace krax {
namespace {

TEST(CarpValues, ValueFollowsItsNumberedLabelUpToTheNextCarriageReturn) {
  const std::string carp = test::Carp("42", "1400.75", "55.5", "60");
  EXPECT_EQ(ReadCarpValue(carp, 0), "42");
  EXPECT_EQ(ReadCarpValue(carp, 2), "1400.75");
  EXPECT_EQ(ReadCarpValue(carp, 14), "55.5");
  EXPECT_EQ(ReadCarpValue(carp, 1), "");    // no such value
  EXPECT_EQ(ReadCarpValue(test::Carp("42 "), 0), "42 ");  // blanks are part of the value
  // "(2)" is not found inside "(12)": the key carries its own parentheses.
  EXPECT_EQ(ReadCarpValue("x(12)\r\nA\r\n", 2), "");
}

TEST(CarpValues, DamagedTextsStayInsideTheBuffer) {
  EXPECT_EQ(ReadCarpValue("label(0)\r\n123", 0), "123");  // no CR after the value: rest of text
  EXPECT_EQ(ReadCarpValue("label(0)\r\n", 0), "");
  EXPECT_EQ(ReadCarpValue(std::string("a\0(0)\r\n9\r\n", 10), 0), "");  // text ends at its zero
  const std::string longValue(2000, '7');
  EXPECT_EQ(ReadCarpValue("(0)\r\n" + longValue + "\r\n", 0).size(), kCarpValueMax);
}

TEST(FedataFields, ReadsTheLittleEndianRecord) {
  test::Fedata f;
  f.id = "QRST";
  f.carClass = 2;
  f.police = 1;
  f.serial = 0xBEEF;
  const std::string bytes = test::BuildFedata(f);
  const FedataRecord record(bytes);
  EXPECT_EQ(record.id(), "QRST");
  EXPECT_EQ(record.carClass(), 2);
  EXPECT_EQ(record.police(), 1);
  EXPECT_EQ(record.serial(), 0xBEEF);
  EXPECT_EQ(record.manufacturer(), "Velox");
  EXPECT_EQ(record.model(), "Comet");
  EXPECT_EQ(record.name(), "Velox Comet");
  test::Fedata shortId;
  shortId.id = "AB";
  EXPECT_EQ(FedataRecord(test::BuildFedata(shortId)).id(), "AB");
}

TEST(FedataFields, ShortRecordsAndWildOffsetsReadAsEmpty) {
  std::string bytes = test::BuildFedata(test::Fedata{});
  test::PutLittleEndian(bytes, 47, 0xFFFFFFF0u, 4);   // manufacturer far outside
  test::PutLittleEndian(bytes, 51, static_cast<std::uint32_t>(bytes.size()), 4);  // just past the end
  bytes.pop_back();  // the name loses its terminating zero: it ends with the entry
  const FedataRecord record(bytes);
  EXPECT_EQ(record.manufacturer(), "");
  EXPECT_EQ(record.model(), "");
  EXPECT_EQ(record.name(), "Velox Comet");

  const std::string tiny = bytes.substr(0, 20);  // serial and text offsets missing
  const FedataRecord cut(tiny);
  EXPECT_EQ(cut.serial(), 0);
  EXPECT_EQ(cut.name(), "");
  EXPECT_EQ(cut.carClass(), 1);
  EXPECT_EQ(FedataRecord("").id(), "");
}

TEST(DetailsFigures, MassAndSpeedsAreFormedAsTheFormShowsThem) {
  EXPECT_EQ(FormatMass("1400.75"), "1400 KG");
  EXPECT_EQ(FormatMass("1400"), "1400 KG");
  EXPECT_EQ(FormatMass(""), " KG");
  EXPECT_EQ(FormatSpeed("55.5"), "199 KPH");
  EXPECT_EQ(FormatSpeed("-10"), "-36 KPH");
  EXPECT_EQ(FormatSpeed(" 20 m/s"), "72 KPH");
  EXPECT_EQ(FormatSpeed("fast"), "0 KPH");
  EXPECT_EQ(FormatSpeed(""), "0 KPH");
  // Numbers beyond an int are held at its bounds instead of overflowing.
  EXPECT_EQ(FormatSpeed("1e300"), "2147483647 KPH");
}

}  // namespace
}  // namespace krax
