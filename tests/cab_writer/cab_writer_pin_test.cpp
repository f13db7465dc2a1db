// The writer's output, pinned: a hash over the cabinets of a few fixed runs. A change to
// the container code must leave every byte of these cabinets as it was. The LZX rows also
// follow the encoder's own choices: a deliberate encoder change re-records them (the test
// prints the new value).
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "archive/cab/cab_format.h"
#include "cab_writer_harness.h"

namespace krax::cab_test {
namespace {

std::uint64_t Fnv1a64(const Bytes& bytes, std::uint64_t hash) {
  for (std::uint8_t b : bytes) {
    hash ^= b;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::vector<SourceFile> PinFiles() {
  return {{"empty.txt", {}},
          {"car.viv", MixedBytes(150000, 11)},
          {"sub\\readme.txt", TextBytes(40000, 12)},
          {"code.exe", X86LikeBytes(60000, 13)},
          {"zeros.bin", Bytes(70000, 0)}};
}

struct PinCase {
  const char* what;
  std::uint16_t type;
  std::uint32_t cb;           // 0: the test parameters' 300000000
  std::uint32_t threshold;    // 0: the test parameters' 900000
  unsigned reserve;           // header, folder and data reserve sizes, all the same
  std::uint64_t expected;
};

TEST(CabWriterPin, OutputIsByteForByteAsRecorded) {
  const PinCase cases[] = {
      {"none", 0x0000, 0, 0, 0, 0xb7cedcdd7731c66dull},
      {"mszip", 0x0001, 0, 0, 0, 0x28bc3128a4af1e03ull},
      {"lzx15", 0x0F03, 0, 0, 0, 0xdcd756f9091fa7adull},
      {"lzx21", 0x1503, 0, 0, 0, 0xd824f9e06d69945aull},
      {"mszip, small folders, reserves", 0x0001, 0, 20000, 7, 0x4281439c05b44852ull},
      {"mszip set", 0x0001, 45000, 0, 0, 0xb78ecc949512a4eeull},
      {"lzx16 set with reserves", 0x1003, 30000, 0, 3, 0x5f86dbff4ffaa640ull},
  };
  for (const PinCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    WriterSetup setup = WriterFor(folder, c.type);
    if (c.cb) setup.params.cb = c.cb;
    if (c.threshold) setup.params.cbFolderThresh = c.threshold;
    setup.params.cbReserveCFHeader = setup.params.cbReserveCFFolder = setup.params.cbReserveCFData = c.reserve;
    const WriterOutcome out = RunWriter(folder, PinFiles(), setup);
    ASSERT_TRUE(out.flushed) << out.error.code;
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const std::string& name : out.cabinets) {
      hash = Fnv1a64(Bytes(name.begin(), name.end()), hash);
      hash = Fnv1a64(ReadBytes(folder / name), hash);
    }
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, hash);
    EXPECT_EQ(hash, c.expected) << "recorded: " << text << " over " << out.cabinets.size() << " cabinet(s)";
  }
}

}  // namespace
}  // namespace krax::cab_test
