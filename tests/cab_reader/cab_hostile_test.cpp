// Damaged and hostile cabinets end with a clear code: never a crash, a hang or a write
// outside the buffers (the sanitizer build watches the latter).
#include <gtest/gtest.h>

#include <random>

#include "archive/cab/cab_reader.h"
#include "cab_test_support.h"

namespace krax::test {
namespace {

using namespace krax::cab;

std::vector<std::pair<std::string, std::string>> CompressedFiles() {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "car " + std::to_string(i % 250) + " mass " + std::to_string(i % 13) + "\n";
  return {{"one", text.substr(0, 20000)}, {"two", text.substr(20000)}};
}

Bytes CompressedCabinet(int method) {
  const std::vector<std::pair<std::string, std::string>> files = CompressedFiles();
  CabinetSpec spec;
  spec.folders = {method == 1 ? MszipFolder(Joined(files)) : method == 3 ? LzxFolder(Joined(files), 16)
                                                                         : StoredFolder(Joined(files))};
  spec.files = FilesInFolder(files);
  return BuildCabinet(spec);
}

bool WalkBytes(const Bytes& cabinet, ArchiveStatus* code) {
  MemoryFiles files;
  files.files["h.cab"] = cabinet;
  RecordingClient client;
  const bool ok = Walk(files, client, "h.cab", code);
  EXPECT_EQ(files.openCabinetHandles, 0);
  return ok;
}

TEST(CabHostile, EveryTruncationFailsCleanly) {
  for (const int method : {0, 1, 3}) {
    SCOPED_TRACE(method);
    const Bytes whole = CompressedCabinet(method);
    ArchiveStatus code = ArchiveStatus::kOk;
    ASSERT_TRUE(WalkBytes(whole, &code));
    const std::size_t step = whole.size() > 4000 ? 7 : 1;
    for (std::size_t size = 0; size < whole.size(); size += step) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_FALSE(WalkBytes(cut, &code)) << size;
      EXPECT_TRUE(code == ArchiveStatus::kNotACabinet || code == ArchiveStatus::kDamaged) << size << " " << ArchiveStatusText(code);
    }
  }
}

TEST(CabHostile, FlippedBitsAreCaughtByChecksumsOrDecoders) {
  const auto original = CompressedFiles();
  std::mt19937 random(5);
  for (const int method : {1, 3}) {
    SCOPED_TRACE(method);
    const Bytes whole = CompressedCabinet(method);
    // The flips land in the data blocks (block headers and compressed bytes), which the block
    // checksums and the decoders guard; the header and file records carry no checksum.
    const std::size_t dataStart = static_cast<std::size_t>(whole[36]) | static_cast<std::size_t>(whole[37]) << 8 |
                                  static_cast<std::size_t>(whole[38]) << 16 | static_cast<std::size_t>(whole[39]) << 24;
    ASSERT_LT(dataStart, whole.size());
    for (int round = 0; round < 200; ++round) {
      Bytes damaged = whole;
      const std::size_t at = dataStart + random() % (whole.size() - dataStart);
      damaged[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
      MemoryFiles files;
      files.files["h.cab"] = damaged;
      RecordingClient client;
      ArchiveStatus code = ArchiveStatus::kOk;
      if (!Walk(files, client, "h.cab", &code)) {
        EXPECT_TRUE(code == ArchiveStatus::kDamaged || code == ArchiveStatus::kNotACabinet) << at << " " << ArchiveStatusText(code);
        continue;
      }
      // A walk that succeeds gave back exactly what was packed.
      for (const auto& [name, content] : original) {
        const auto found = client.extracted.find(name);
        ASSERT_NE(found, client.extracted.end()) << at << " " << name;
        EXPECT_TRUE(found->second == content) << "byte " << at << " changed " << name << " unnoticed";
      }
    }
  }
}

TEST(CabHostile, OversizedRecordsAreRejected) {
  // A block claiming more compressed bytes than the method allows.
  CabinetSpec spec;
  spec.folders = {StoredFolder(std::string(40000, 'q'), 40000)};
  spec.files = FilesInFolder({{"q", std::string(40000, 'q')}});
  spec.folders[0].blocks[0].uncompressedSize = 40000 & 0xFFFF;
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(WalkBytes(BuildCabinet(spec), &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);

  // A block yielding more than 32768 bytes.
  CabinetSpec big;
  big.folders = {FolderSpec{1, {BlockSpec{ToBytes(std::string("CK\x03\x00", 4)), 40000}}}};
  big.files = FilesInFolder({{"b", "x"}});
  EXPECT_FALSE(WalkBytes(BuildCabinet(big), &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);

  // A file of 4 GB minus one in a folder of 3 bytes.
  CabinetSpec huge;
  huge.folders = {StoredFolder("abc")};
  huge.files = FilesInFolder({{"h", "abc"}});
  huge.files[0].fileSize = 0xFFFFFFFFu;
  huge.files[0].offsetInFolder = 0xFFFFFFF0u;
  EXPECT_FALSE(WalkBytes(BuildCabinet(huge), &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);

  // Folder index beyond the folders; LZX window outside 15..21; Quantum window 9.
  CabinetSpec index;
  index.folders = {StoredFolder("abc")};
  index.files = FilesInFolder({{"i", "abc"}}, 3);
  EXPECT_FALSE(WalkBytes(BuildCabinet(index), &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);
  for (const std::uint16_t type : {std::uint16_t{0x1603}, std::uint16_t{0x0E03}, std::uint16_t{0x0902}}) {
    CabinetSpec window;
    window.folders = {StoredFolder("abc")};
    window.folders[0].typeCompress = type;
    window.files = FilesInFolder({{"w", "abc"}});
    EXPECT_FALSE(WalkBytes(BuildCabinet(window), &code));
    EXPECT_EQ(code, ArchiveStatus::kDecompressFailed) << type;
  }
}

TEST(CabHostile, NamesWithoutEndAndFileListsPastTheEnd) {
  CabinetSpec spec;
  spec.folders = {StoredFolder("abc")};
  spec.files = FilesInFolder({{std::string(300, 'n'), "abc"}});
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(WalkBytes(BuildCabinet(spec), &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);

  CabinetSpec many;
  many.folders = {StoredFolder("abc")};
  many.files = FilesInFolder({{"f", "abc"}});
  Bytes bytes = BuildCabinet(many);
  bytes[28] = 0xFF;  // fileCount 0x00FF records claimed, one present
  EXPECT_FALSE(WalkBytes(bytes, &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);
}

TEST(CabHostile, RandomBytesAfterAValidHeader) {
  std::mt19937 random(9);
  for (int round = 0; round < 300; ++round) {
    Bytes bytes = BuildCabinet(CabinetSpec{});
    bytes[26] = static_cast<std::uint8_t>(random() % 4);  // folderCount
    bytes[28] = static_cast<std::uint8_t>(random() % 4);  // fileCount
    bytes[30] = static_cast<std::uint8_t>(random() % 8);  // flags
    const std::size_t extra = random() % 400;
    for (std::size_t i = 0; i < extra; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
    // A status the reader never reports, so that the walk is seen to set it.
    ArchiveStatus code = ArchiveStatus::kFormatLimit;
    const bool ok = WalkBytes(bytes, &code);
    // Garbage either walks (an empty-looking cabinet) or fails with a status of its own.
    if (ok) {
      EXPECT_EQ(code, ArchiveStatus::kOk) << round;
    } else {
      EXPECT_TRUE(code != ArchiveStatus::kOk && code != ArchiveStatus::kFormatLimit) << round << " " << ArchiveStatusText(code);
    }
  }
}

}  // namespace
}  // namespace krax::test
