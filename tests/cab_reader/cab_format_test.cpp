// The cabinet records, the CSUM checksum and the smallest real cabinets, byte for byte.
#include <gtest/gtest.h>

#include "archive/cab/cab_format.h"
#include "cab_test_support.h"

namespace krax::test {
namespace {

using namespace krax::cab;

std::uint32_t CsumOf(const std::string& text, std::uint32_t seed = 0) {
  return Csum(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), seed);
}

TEST(CabChecksum, GroupsAreLittleEndianAndLeftoversMostSignificantFirst) {
  EXPECT_EQ(CsumOf("abc"), 0x616263u);
  EXPECT_EQ(CsumOf("abcd"), 0x64636261u);
  EXPECT_EQ(CsumOf("ab"), 0x6162u);
  EXPECT_EQ(CsumOf("a"), 0x61u);
  EXPECT_EQ(CsumOf("abcde"), 0x64636261u ^ 0x65u);
  EXPECT_EQ(CsumOf(""), 0u);
  EXPECT_EQ(CsumOf("", 0x12345678u), 0x12345678u);
  EXPECT_EQ(CsumOf("abcd", 0xFFFFFFFFu), 0x64636261u ^ 0xFFFFFFFFu);
}

// The one-file cabinet: folder at 36, file record at 44, data block at 66, 77 bytes.
const Bytes kATxtCabinet = {
    'M', 'S', 'C', 'F', 0, 0, 0, 0, 77, 0, 0, 0, 0, 0, 0, 0,  // signature, reserved1, cabinetSize, reserved2
    44, 0, 0, 0, 0, 0, 0, 0, 3, 1, 1, 0, 1, 0, 0, 0,          // firstFileOffset, reserved3, version, folderCount, fileCount, flags
    0x39, 0x30, 0, 0,                                           // setID 12345, cabinetIndex 0
    66, 0, 0, 0, 1, 0, 0, 0,                                    // CFFOLDER: firstBlockOffset 66, blockCount 1, type 0
    3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x21, 0x58, 0x00, 0x60, 0x20, 0,  // CFFILE: 3 bytes at 0, folder 0
    'a', '.', 't', 'x', 't', 0,                                 //   name
    0x60, 0x62, 0x62, 0x00, 3, 0, 3, 0, 'a', 'b', 'c'};         // CFDATA: csum 0x626260

TEST(CabFormat, SerialisersProduceTheOneFileCabinetExactly) {
  ASSERT_EQ(kATxtCabinet.size(), 77u);
  CabinetSpec spec;
  spec.folders = {StoredFolder("abc")};
  spec.files = FilesInFolder({{"a.txt", "abc"}});
  EXPECT_EQ(BuildCabinet(spec), kATxtCabinet);

  CFDATA block;
  block.compressedSize = 3;
  block.uncompressedSize = 3;
  EXPECT_EQ(DataBlockChecksum(block, reinterpret_cast<const std::uint8_t*>("abc")), 0x626260u);
}

TEST(CabFormat, ParsersReadTheOneFileCabinet) {
  const CFHEADER header = ParseHeaderFixed(kATxtCabinet.data());
  EXPECT_EQ(header.signature, kSignatureMSCF);
  EXPECT_EQ(header.cabinetSize, 77u);
  EXPECT_EQ(header.firstFileOffset, 44u);
  EXPECT_EQ(header.version(), 0x0103);
  EXPECT_EQ(header.folderCount, 1);
  EXPECT_EQ(header.fileCount, 1);
  EXPECT_EQ(header.setID, 12345);
  const CFFOLDER folder = ParseFolder(kATxtCabinet.data() + 36, 0);
  EXPECT_EQ(folder.firstBlockOffset, 66u);
  EXPECT_EQ(folder.blockCount, 1);
  EXPECT_EQ(folder.typeCompress, 0);
  const CFFILE file = ParseFileFixed(kATxtCabinet.data() + 44);
  EXPECT_EQ(file.fileSize, 3u);
  EXPECT_EQ(file.date, 0x5821);
  EXPECT_EQ(file.time, 0x6000);
  EXPECT_EQ(ParseName(std::span<const std::uint8_t>(kATxtCabinet).subspan(60)), "a.txt");
  const CFDATA block = ParseDataHeader(kATxtCabinet.data() + 66, 0);
  EXPECT_EQ(block.csum, 0x626260u);
  EXPECT_EQ(block.compressedSize, 3);
  EXPECT_EQ(block.uncompressedSize, 3);
}

TEST(CabFormat, EmptyCabinetIsTheBareHeader) {
  CabinetSpec spec;
  const Bytes bytes = BuildCabinet(spec);
  ASSERT_EQ(bytes.size(), 36u);
  const CFHEADER header = ParseHeaderFixed(bytes.data());
  EXPECT_EQ(header.cabinetSize, 36u);
  EXPECT_EQ(header.firstFileOffset, 36u);
  EXPECT_EQ(header.flags, 0);
}

TEST(CabFormat, OptionalHeaderPartsFollowFlagsInOrder) {
  CFHEADER header;
  header.flags = kFlagReservePresent | kFlagPrevCabinet | kFlagNextCabinet;
  header.headerReserveSize = 2;
  header.folderReserveSize = 1;
  header.dataReserveSize = 3;
  header.previousCabinetName = "P.CAB";
  header.previousDiskName = "D1";
  header.nextCabinetName = "N.CAB";
  header.nextDiskName = "D3";
  Bytes bytes;
  AppendHeader(bytes, header);
  ASSERT_EQ(bytes.size(), header.serializedSize());
  const Bytes tail(bytes.begin() + 36, bytes.end());
  const Bytes expected = {2, 0, 1, 3, 0, 0, 'P', '.', 'C', 'A', 'B', 0, 'D', '1', 0,
                          'N', '.', 'C', 'A', 'B', 0, 'D', '3', 0};
  EXPECT_EQ(tail, expected);
}

TEST(CabFormat, NamesMustEndWithin256Bytes) {
  Bytes name(255, 'x');
  name.push_back(0);
  EXPECT_EQ(ParseName(name)->size(), 255u);
  Bytes tooLong(256, 'x');
  tooLong.push_back(0);
  EXPECT_FALSE(ParseName(tooLong).has_value());
  const Bytes unterminated = {'a', 'b'};
  EXPECT_FALSE(ParseName(unterminated).has_value());
}

TEST(CabFormat, TypeWordCarriesMethodAndWindow) {
  EXPECT_EQ(MethodOf(kTypeLzx21), 3);
  EXPECT_EQ(WindowBitsOf(kTypeLzx21), 21);
  EXPECT_EQ(MakeTypeCompress(CompressionMethod::kLzx, 18), 0x1203);
  EXPECT_EQ(DescribeTypeCompress(0x1203), "lzx:18");
  EXPECT_EQ(DescribeTypeCompress(0x0001), "mszip");
  EXPECT_EQ(MaxCompressedBlockSize(0x0001), 32768u + 12);
  EXPECT_EQ(MaxCompressedBlockSize(0x1503), 32768u + 6144);
  EXPECT_FALSE(MaxCompressedBlockSize(0x0004).has_value());
}

}  // namespace
}  // namespace krax::test
