// The writer's output over a few fixed runs, judged by what a reader sees: every file comes
// back byte for byte from the cabinet (set), no cabinet of a set exceeds its size limit, and
// each method stays within a size bound (stored adds only its framing; MSZIP shrinks this mix to
// about 30 % of its size, LZX to about 20 %).
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/cab/cab_format.h"
#include "cab_writer_harness.h"

namespace krax::cab_test {
namespace {

std::vector<SourceFile> MixedFiles() {
  return {{"empty.txt", {}},
          {"car.viv", MixedBytes(150000, 11)},
          {"sub\\readme.txt", TextBytes(40000, 12)},
          {"code.exe", X86LikeBytes(60000, 13)},
          {"zeros.bin", Bytes(70000, 0)}};
}

struct RunCase {
  const char* what;
  std::uint16_t type;
  std::uint32_t cb;         // 0: the test parameters' 300000000
  std::uint32_t threshold;  // 0: the test parameters' 900000
  unsigned reserve;         // header, folder and data reserve sizes, all the same
  double maxRatio;          // bound on all cabinets' bytes over the files' bytes
};

TEST(CabWriterOutput, FixedRunsComeBackWholeWithinTheirSizeBounds) {
  const RunCase cases[] = {
      {"none", 0x0000, 0, 0, 0, 1.01},
      {"mszip", 0x0001, 0, 0, 0, 0.35},
      {"lzx15", 0x0F03, 0, 0, 0, 0.25},
      {"lzx21", 0x1503, 0, 0, 0, 0.25},
      {"mszip, small folders, reserves", 0x0001, 0, 20000, 7, 0.35},
      {"mszip set", 0x0001, 45000, 0, 0, 0.35},
      {"lzx16 set with reserves", 0x1003, 30000, 0, 3, 0.25},
  };
  const std::vector<SourceFile> files = MixedFiles();
  std::uint64_t inputBytes = 0;
  for (const SourceFile& file : files) inputBytes += file.content.size();
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    WriterSetup setup = WriterFor(folder, c.type);
    if (c.cb) setup.params.maxCabinetSize = c.cb;
    if (c.threshold) setup.params.folderThreshold = c.threshold;
    setup.params.headerReserve = setup.params.folderReserve = setup.params.dataReserve = c.reserve;
    const WriterOutcome out = RunWriter(folder, files, setup);
    ASSERT_TRUE(out.flushed) << out.error.Message();
    ASSERT_FALSE(out.cabinets.empty());
    if (c.cb) {
      EXPECT_GT(out.cabinets.size(), 1u);
    }

    std::uint64_t cabinetBytes = 0;
    for (const std::string& name : out.cabinets) {
      const std::uint64_t size = std::filesystem::file_size(folder / name);
      if (c.cb) {
        EXPECT_LE(size, c.cb) << name;
      }
      cabinetBytes += size;
    }
    EXPECT_LE(static_cast<double>(cabinetBytes), c.maxRatio * static_cast<double>(inputBytes))
        << cabinetBytes << " bytes of cabinets for " << inputBytes << " bytes of files";

    EXPECT_EQ(ExtractWithReader(folder / out.cabinets.front(), folder / "out"), "");
    EXPECT_TRUE(SameFiles(files, folder / "out"));
  }
}

}  // namespace
}  // namespace krax::cab_test
