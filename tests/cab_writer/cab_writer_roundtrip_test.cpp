// Every kind of cabinet the writer makes comes back byte for byte: through the program's
// reader for every method, and through the independent Python reader for none and MSZIP.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_format.h"
#include "archive/lzx/lzx_encoder.h"
#include "cab_writer_harness.h"
#include "support/run_kraxctl.h"

namespace krax::cab_test {
namespace {
namespace fs = std::filesystem;

std::vector<SourceFile> AssortedFiles(std::uint32_t seed) {
  return {{"empty.txt", {}},
          {"one.bin", {0x7F}},
          {"frame.bin", TextBytes(32768, seed)},
          {"noise.bin", RandomBytes(70000, seed + 1)},
          {"sub\\run.bin", Bytes(100000, 0xAA)},
          {"code.exe", X86LikeBytes(90000, seed + 2)},
          {"tail.bin", MeshLikeBytes(5000, seed + 3)}};
}

void ExpectBothReaders(const ScratchFolder& folder, const std::vector<SourceFile>& files, std::uint16_t type,
                       std::string* listing = nullptr) {
  EXPECT_EQ(ExtractWithReader(folder / "test.CAB", folder / "reader"), "");
  EXPECT_TRUE(SameFiles(files, folder / "reader"));
  if (cab::MethodOf(type) == 3 || !PythonAvailable()) return;
  std::string output;
  EXPECT_EQ(RunPythonCheck(folder / "test.CAB", folder / "py", output), 0) << output;
  EXPECT_TRUE(SameFiles(files, folder / "py"));
  if (listing) *listing = output;
}

TEST(CabWriterRoundTrip, EveryMethodWindowAndLevelWithAssortedFiles) {
  struct Case {
    std::uint16_t type;
    int level;
  };
  std::vector<Case> cases = {{0x0000, 1}, {0x0001, 1}};
  for (int bits = 15; bits <= 21; ++bits) {
    for (int level = lzx::kLzxFastLevel; level <= lzx::kLzxMaxLevel; ++level) {
      cases.push_back({static_cast<std::uint16_t>(0x0003 | (bits << 8)), level});
    }
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(cab::DescribeTypeCompress(c.type) + " level " + std::to_string(c.level));
    ScratchFolder folder;
    const auto files = AssortedFiles(c.type);
    WriterSetup setup = WriterFor(folder, c.type);
    setup.lzxLevel = c.level;
    const WriterOutcome out = RunWriter(folder, files, setup);
    ASSERT_TRUE(out.flushed) << out.error.Message();
    EXPECT_TRUE(out.destroyed);
    EXPECT_EQ(TempFilesLeft(folder), 0u);
    ExpectBothReaders(folder, files, c.type);
  }
}

TEST(CabWriterRoundTrip, SeveralMegabytesInLzx21AtEachLevelAndMszip) {
  for (int level : {1, 2, 3, 0}) {
    const std::uint16_t type = level ? 0x1503 : 0x0001;
    SCOPED_TRACE(level);
    ScratchFolder folder;
    const std::vector<SourceFile> files = {{"big.dat", MixedBytes(3 << 20, 77)}, {"small.txt", TextBytes(300, 5)}};
    std::uint64_t uncompressed = 0, compressed = 0;
    WriterSetup setup = WriterFor(folder, type);
    setup.lzxLevel = level ? level : 1;
    setup.progress = [&](cab::CabStatusKind kind, std::uint32_t a, std::uint32_t b) -> long {
      if (kind == cab::CabStatusKind::kFile) {
        compressed += a;
        uncompressed += b;
      }
      return 0;
    };
    ASSERT_TRUE(RunWriter(folder, files, setup).flushed);
    ExpectBothReaders(folder, files, type);
    // CabStatusKind::kFile reports every byte once, uncompressed and compressed.
    EXPECT_EQ(uncompressed, files[0].content.size() + files[1].content.size());
    const auto cabSize = fs::file_size(folder / "test.CAB");
    EXPECT_LT(compressed, cabSize);
    EXPECT_GT(compressed + 2000, cabSize - 8 * ((uncompressed + 32767) / 32768));
    EXPECT_LT(cabSize, uncompressed / 2);  // mixed game-like data compresses
  }
}

// Forces sets with a small maximum size: blocks split between cabinets, files continued.
TEST(CabWriterRoundTrip, CabinetSetsWithSplitBlocksAndContinuedFiles) {
  for (std::uint16_t type : {std::uint16_t{0x0000}, std::uint16_t{0x0001}, std::uint16_t{0x1003}, std::uint16_t{0x1503}}) {
    SCOPED_TRACE(type);
    ScratchFolder folder;
    WriterSetup setup = WriterFor(folder, type);
    setup.lzxLevel = type == 0x1503 ? lzx::kLzxDefaultLevel : 1;
    setup.params.maxCabinetSize = 60000;
    setup.params.folderThreshold = 50000;
    std::vector<std::uint32_t> maxSizesSeen;
    setup.onNextCabinet = [&](cab::CabinetParameters& p) { maxSizesSeen.push_back(p.maxCabinetSize); };
    const std::vector<SourceFile> files = {{"a.bin", RandomBytes(150000, 1)},
                                           {"b.txt", TextBytes(120000, 2)},
                                           {"c.bin", RandomBytes(20000, 3)},
                                           {"d.bin", {}}};
    const WriterOutcome out = RunWriter(folder, files, setup);
    ASSERT_TRUE(out.flushed) << out.error.Message();
    ASSERT_GE(out.cabinets.size(), 3u);
    for (const std::string& name : out.cabinets) {
      EXPECT_LE(fs::file_size(folder / name), 60000u) << name;
    }
    EXPECT_EQ(maxSizesSeen, std::vector<std::uint32_t>(maxSizesSeen.size(), 60000u));
    std::string listing;
    ExpectBothReaders(folder, files, type, &listing);
    if (cab::MethodOf(type) != 3 && PythonAvailable()) {
      EXPECT_NE(listing.find(" 65534\n"), std::string::npos) << listing;  // continued to the next
      EXPECT_NE(listing.find(" 65533\n"), std::string::npos) << listing;  // continued from the previous
      EXPECT_NE(listing.find("split 1"), std::string::npos) << listing;
      EXPECT_NE(listing.find("cabinet 0 flags 2 "), std::string::npos) << listing;
      EXPECT_NE(listing.find("cabinet 1 flags 3 "), std::string::npos) << listing;
    }
  }
}

// Cabinets of a set that hold nothing but a middle part of a data block: a continued
// folder of one block whose uncompressedSize is 0.
std::size_t MiddlePartCabinets(const ScratchFolder& folder, const std::vector<std::string>& cabinets) {
  std::size_t middles = 0;
  for (const std::string& name : cabinets) {
    cab::CabDirectory directory;
    ArchiveStatus code = ArchiveStatus::kOk;
    if (!cab::ReadCabinetDirectory(folder / name, directory, code)) ADD_FAILURE() << name << ": " << ArchiveStatusText(code);
    if (!(directory.header.flags & cab::kFlagPrevCabinet) || directory.folders.size() != 1 ||
        directory.folders[0].blockCount != 1) {
      continue;
    }
    const Bytes bytes = ReadBytes(folder / name);
    const std::size_t at = directory.folders[0].firstBlockOffset;
    if (at + cab::kDataFixedSize <= bytes.size() && cab::LoadLE16(bytes.data() + at + 6) == 0) ++middles;
  }
  return middles;
}

// A maximum below one data block splits a block again in the following cabinet, so its
// parts form a chain over three or more cabinets: the program's reader, `kraxctl cab
// extract` on the first cabinet and the independent reader all join them.
TEST(CabWriterRoundTrip, MaximumBelowOneBlockChainsABlockOverSeveralCabinets) {
  struct Case {
    std::uint16_t type;
    std::uint32_t cb;
    std::vector<SourceFile> files;
  };
  const std::vector<Case> cases = {
      {0x0000, 20000, {{"z.bin", Bytes(74496, 0)}, {"e.bin", {}}}},
      {0x0000, 3000, {{"a.txt", TextBytes(40000, 1)}, {"b.bin", RandomBytes(30000, 2)}}},
      {0x0001, 9000, {{"n.bin", RandomBytes(90000, 3)}, {"t.txt", TextBytes(50000, 4)}, {"e.bin", {}}}},
      {0x1003, 7000, {{"n.bin", RandomBytes(80000, 5)}, {"x.exe", X86LikeBytes(40000, 6)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(cab::DescribeTypeCompress(c.type) + " at most " + std::to_string(c.cb));
    ScratchFolder folder;
    WriterSetup setup = WriterFor(folder, c.type);
    setup.params.maxCabinetSize = c.cb;
    const WriterOutcome out = RunWriter(folder, c.files, setup);
    ASSERT_TRUE(out.flushed) << out.error.Message();
    for (const std::string& name : out.cabinets) EXPECT_LE(fs::file_size(folder / name), c.cb) << name;
    EXPECT_GE(MiddlePartCabinets(folder, out.cabinets), 1u);
    std::string listing;
    ExpectBothReaders(folder, c.files, c.type, &listing);
    if (c.cb == 20000 && PythonAvailable()) {
      EXPECT_EQ(out.cabinets.size(), 4u);
      EXPECT_NE(listing.find("cabinet 1 flags 3 folders 1 files 1 size 20000 split 1"), std::string::npos)
          << listing;
    }
    const auto run = test::RunKraxctl({"cab", "extract", folder / "test.CAB", folder / "cli"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(SameFiles(c.files, folder / "cli"));
  }
}

TEST(CabWriterRoundTrip, StatusCabinetResultLowersTheNextMaximumAndIsOtherwiseKept) {
  ScratchFolder folder;
  WriterSetup setup = WriterFor(folder, 0);
  setup.params.maxCabinetSize = 50000;
  std::vector<std::uint32_t> maxSizesSeen;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> cabinetReports;
  setup.onNextCabinet = [&](cab::CabinetParameters& p) { maxSizesSeen.push_back(p.maxCabinetSize); };
  setup.progress = [&](cab::CabStatusKind kind, std::uint32_t a, std::uint32_t b) -> long {
    if (kind != cab::CabStatusKind::kCabinet) return 0;
    cabinetReports.emplace_back(a, b);
    return 1000;
  };
  const std::vector<SourceFile> files = {{"a.bin", RandomBytes(160000, 1)}};
  const WriterOutcome out = RunWriter(folder, files, setup);
  ASSERT_TRUE(out.flushed);
  ASSERT_GE(maxSizesSeen.size(), 3u);
  EXPECT_EQ(maxSizesSeen[0], 50000u);
  EXPECT_EQ(maxSizesSeen[1], 49000u);
  EXPECT_EQ(maxSizesSeen[2], 48000u);
  ASSERT_EQ(cabinetReports.size(), out.cabinets.size());
  for (std::size_t i = 0; i < out.cabinets.size(); ++i) {
    EXPECT_EQ(cabinetReports[i].second, fs::file_size(folder / out.cabinets[i]));
  }
  ExpectBothReaders(folder, files, 0);
}

TEST(CabWriterRoundTrip, ForcedNextCabinetClosesTheFolderAndStartsASecondCabinet) {
  ScratchFolder folder;
  WriterSetup setup = WriterFor(folder, 1);
  setup.force = true;
  const std::vector<SourceFile> files = {{"a.txt", TextBytes(40000, 1)}};
  const WriterOutcome out = RunWriter(folder, files, setup);
  ASSERT_TRUE(out.flushed);
  ASSERT_EQ(out.cabinets.size(), 2u);
  EXPECT_TRUE(fs::exists(folder / "test.CAB"));
  const Bytes first = ReadBytes(folder / "test.CAB");
  ASSERT_GE(first.size(), 36u);
  EXPECT_EQ(cab::LoadLE16(first.data() + 30), cab::kFlagNextCabinet);
  EXPECT_EQ(cab::LoadLE16(first.data() + 34), 0);  // cabinetIndex
}

}  // namespace
}  // namespace krax::cab_test
