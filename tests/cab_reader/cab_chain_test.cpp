// Data blocks cut into parts across three or more cabinets: every middle part has
// uncompressedSize 0 and the parts are joined until one carries the block's size.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/cab/cab_reader.h"
#include "cab_test_support.h"

namespace krax::test {
namespace {

using namespace krax::cab;

std::string CabName(std::size_t index) { return "c" + std::to_string(index) + ".cab"; }

// Cabinets c0.cab, c1.cab, ... holding one folder whose block `cut` is cut into pieces of
// `pieceSizes` (one per cabinet; the last cabinet gets the rest of the block and every block
// after it). One file "whole" of `fileSize` bytes spans the folder.
std::vector<CabinetSpec> ChainSet(const FolderSpec& folder, std::size_t cut,
                                  const std::vector<std::size_t>& pieceSizes, std::uint32_t fileSize) {
  const std::size_t count = pieceSizes.size() + 1;
  std::vector<CabinetSpec> cabinets(count);
  const BlockSpec& block = folder.blocks[cut];
  std::size_t from = 0;
  for (std::size_t k = 0; k < count; ++k) {
    CabinetSpec& cab = cabinets[k];
    cab.cabinetIndex = static_cast<std::uint16_t>(k);
    if (k > 0) cab.prevCabinet = CabName(k - 1);
    if (k + 1 < count) cab.nextCabinet = CabName(k + 1);
    FolderSpec part{folder.typeCompress, {}};
    if (k == 0) part.blocks.assign(folder.blocks.begin(), folder.blocks.begin() + static_cast<std::ptrdiff_t>(cut));
    if (k + 1 < count) {
      part.blocks.push_back(BlockPart(block.data, from, pieceSizes[k], 0));
      from += pieceSizes[k];
    } else {
      part.blocks.push_back(BlockPart(block.data, from, block.data.size() - from, block.uncompressedSize));
      part.blocks.insert(part.blocks.end(), folder.blocks.begin() + static_cast<std::ptrdiff_t>(cut) + 1,
                         folder.blocks.end());
    }
    cab.folders = {part};
    const std::uint16_t folderIndex = k == 0 ? kFolderContinuedToNext
                                  : k + 1 < count ? kFolderContinuedPrevAndNext
                                                  : kFolderContinuedFromPrev;
    cab.files = {ListedFile("whole", fileSize, 0, folderIndex)};
  }
  return cabinets;
}

void Install(MemoryFiles& files, const std::vector<CabinetSpec>& cabinets) {
  for (std::size_t k = 0; k < cabinets.size(); ++k) files.files[CabName(k)] = BuildCabinet(cabinets[k]);
}

std::string Text(std::size_t lines) {
  std::string text;
  for (std::size_t i = 0; i < lines; ++i) text += "lap " + std::to_string(i * 13 % 997) + " split\n";
  return text;
}

TEST(CabReaderChain, BlockCutOverThreeAndFiveCabinetsIsJoinedForEveryMethod) {
  const std::string content = Text(6000);
  const std::vector<std::pair<const char*, FolderSpec>> methods = {
      {"stored", StoredFolder(content)}, {"mszip", MszipFolder(content)}, {"lzx", LzxFolder(content, 17)}};
  for (const auto& [method, folder] : methods) {
    ASSERT_GE(folder.blocks.size(), 3u) << method;
    const std::size_t size = folder.blocks[1].data.size();
    for (const std::vector<std::size_t>& pieces :
         {std::vector<std::size_t>{size / 3, size / 3}, std::vector<std::size_t>{1, size / 4, size / 4, 1}}) {
      SCOPED_TRACE(std::string(method) + " over " + std::to_string(pieces.size() + 1) + " cabinets");
      MemoryFiles files;
      Install(files, ChainSet(folder, 1, pieces, static_cast<std::uint32_t>(content.size())));
      RecordingClient client;
      ASSERT_TRUE(Walk(files, client, "c0.cab"));
      EXPECT_EQ(client.extracted["whole"], content);
      // Every cabinet of the chain is asked for and announced, in order.
      std::vector<std::string> expected = {"CabinetInfo 0", "Enumerate", "CopyFile whole"};
      for (std::size_t k = 1; k <= pieces.size(); ++k) {
        expected.push_back("NextCabinet " + CabName(k));
        expected.push_back("CabinetInfo " + std::to_string(k));
      }
      expected.insert(expected.end(), {"CloseFileInfo whole", "Enumerate"});
      EXPECT_EQ(client.events, expected);
      EXPECT_EQ(files.openCabinetHandles, 0);
    }
  }
}

// One stored folder P [0,40) Q [40,150) R [150,280) S [280,300): block 0 [0,64) whole in
// c0, block 1 [64,264) cut 30 / 100 / 70 over c0, c1, c2, block 2 [264,300) in c2, which
// adds folder 1 with T. The files are listed as the writer lists them: every file not yet
// finished is carried into the next cabinet.
struct MiddleCabinetSet {
  std::string all;
  MiddleCabinetSet() {
    for (int i = 0; i < 300; ++i) all.push_back(static_cast<char>('a' + i % 23));
  }
  std::string Slice(std::size_t from, std::size_t count) const { return all.substr(from, count); }

  void Install(MemoryFiles& files) const {
    const Bytes bytes = ToBytes(all);
    auto carried = [](std::uint16_t folderIndex) {
      return std::vector<FileSpec>{ListedFile("Q", 110, 40, folderIndex), ListedFile("R", 130, 150, folderIndex),
                                   ListedFile("S", 20, 280, folderIndex)};
    };
    std::vector<CabinetSpec> cabs(3);
    for (std::uint16_t k = 0; k < 3; ++k) {
      cabs[k].cabinetIndex = k;
      if (k > 0) cabs[k].prevCabinet = CabName(k - 1);
      if (k < 2) cabs[k].nextCabinet = CabName(k + 1);
    }
    cabs[0].folders = {FolderSpec{0, {BlockPart(bytes, 0, 64, 64), BlockPart(bytes, 64, 30, 0)}}};
    cabs[0].files = carried(kFolderContinuedToNext);
    cabs[0].files.insert(cabs[0].files.begin(), ListedFile("P", 40, 0, 0));
    cabs[1].folders = {FolderSpec{0, {BlockPart(bytes, 94, 100, 0)}}};
    cabs[1].files = carried(kFolderContinuedPrevAndNext);
    cabs[2].folders = {FolderSpec{0, {BlockPart(bytes, 194, 70, 200), BlockPart(bytes, 264, 36, 36)}}, StoredFolder("tee")};
    cabs[2].files = carried(kFolderContinuedFromPrev);
    cabs[2].files.push_back(ListedFile("T", 3, 0, 1));
    for (std::size_t k = 0; k < 3; ++k) files.files[CabName(k)] = BuildCabinet(cabs[k]);
  }
};

TEST(CabReaderChain, ContinuedFilesAreFollowedThroughAMiddleCabinet) {
  MiddleCabinetSet set;
  MemoryFiles files;
  set.Install(files);
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "c0.cab"));
  EXPECT_EQ(client.events,
            (std::vector<std::string>{"CabinetInfo 0", "Enumerate", "CopyFile P", "CloseFileInfo P", "CopyFile Q",
                                      "NextCabinet c1.cab", "CabinetInfo 1", "NextCabinet c2.cab",
                                      "CabinetInfo 2", "CloseFileInfo Q", "CopyFile R", "CloseFileInfo R",
                                      "CopyFile S", "CloseFileInfo S", "Enumerate"}));
  EXPECT_EQ(client.extracted["P"], set.Slice(0, 40));
  EXPECT_EQ(client.extracted["Q"], set.Slice(40, 110));
  EXPECT_EQ(client.extracted["R"], set.Slice(150, 130));
  EXPECT_EQ(client.extracted["S"], set.Slice(280, 20));

  // Skipped files are passed over in the middle cabinet's list as well as the last one's.
  for (const std::vector<std::string>& wanted : {std::vector<std::string>{"P", "R", "S"}, {"S"}}) {
    RecordingClient some;
    some.wanted = wanted;
    ASSERT_TRUE(Walk(files, some, "c0.cab"));
    EXPECT_EQ(some.extracted.size(), wanted.size());
    EXPECT_EQ(some.extracted["S"], set.Slice(280, 20));
  }
}

TEST(CabReaderChain, WalksOfTheMiddleAndLastCabinetsSeeOnlyWhatBeginsThere) {
  MiddleCabinetSet set;
  MemoryFiles files;
  set.Install(files);
  RecordingClient middle;
  ASSERT_TRUE(Walk(files, middle, "c1.cab"));
  EXPECT_EQ(middle.events, (std::vector<std::string>{"CabinetInfo 1", "Enumerate", "PartialFile Q", "PartialFile R",
                                                     "PartialFile S", "Enumerate"}));
  RecordingClient last;
  ASSERT_TRUE(Walk(files, last, "c2.cab"));
  EXPECT_EQ(last.extracted.size(), 1u);
  EXPECT_EQ(last.extracted["T"], "tee");
}

TEST(CabReaderChain, JoinedPartsMustFitTheMethodsInputBuffer) {
  // Stored data joins up to 32768 bytes, LZX up to 32768 + 6144: one byte more is damage.
  struct Case {
    std::uint16_t typeCompress;
    std::size_t limit;
  };
  for (const Case& c : {Case{0, 32768}, Case{MakeTypeCompress(CompressionMethod::kLzx, 17), 32768 + 6144}}) {
    for (const std::size_t joined : {c.limit, c.limit + 1}) {
      SCOPED_TRACE(std::to_string(c.typeCompress) + " joined " + std::to_string(joined));
      const std::string content(32768, 'z');
      FolderSpec folder{c.typeCompress, {BlockSpec{ToBytes(std::string(joined, 'z')), 32768}}};
      MemoryFiles files;
      Install(files, ChainSet(folder, 0, {joined / 3, joined / 3}, 32768));
      RecordingClient client;
      ArchiveStatus code = ArchiveStatus::kOk;
      const bool ok = Walk(files, client, "c0.cab", &code);
      if (joined > c.limit) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(code, ArchiveStatus::kDamaged);
      } else if (c.typeCompress == 0) {
        ASSERT_TRUE(ok);
        EXPECT_EQ(client.extracted["whole"], content);
      } else {
        // Not a valid LZX stream, but it reaches the decompressor.
        EXPECT_NE(code, ArchiveStatus::kDamaged);
      }
    }
  }
}

TEST(CabReaderChain, EveryPartsChecksumIsChecked) {
  const std::string content = Text(6000);
  const FolderSpec folder = MszipFolder(content);
  ASSERT_GE(folder.blocks.size(), 2u);
  const std::size_t third = folder.blocks[1].data.size() / 3;
  for (std::size_t broken = 0; broken < 3; ++broken) {
    for (const auto csum : {BlockSpec::Csum::kWrong, BlockSpec::Csum::kZero}) {
      SCOPED_TRACE("part " + std::to_string(broken) + (csum == BlockSpec::Csum::kZero ? " unchecked" : " wrong"));
      std::vector<CabinetSpec> cabs = ChainSet(folder, 1, {third, third}, static_cast<std::uint32_t>(content.size()));
      // The cut block is the last block of c0 and the first of c1 and c2.
      BlockSpec& part = broken == 0 ? cabs[0].folders[0].blocks.back() : cabs[broken].folders[0].blocks.front();
      part.csum = csum;
      MemoryFiles files;
      Install(files, cabs);
      RecordingClient client;
      ArchiveStatus code = ArchiveStatus::kOk;
      if (csum == BlockSpec::Csum::kZero) {
        ASSERT_TRUE(Walk(files, client, "c0.cab", &code));
        EXPECT_EQ(client.extracted["whole"], content);
      } else {
        EXPECT_FALSE(Walk(files, client, "c0.cab", &code));
        EXPECT_EQ(code, ArchiveStatus::kDamaged);
      }
    }
  }
}

TEST(CabReaderChain, BrokenChainsAreRejected) {
  const std::string content = Text(6000);
  const FolderSpec folder = StoredFolder(content);
  ASSERT_GE(folder.blocks.size(), 3u);
  const auto size = static_cast<std::uint32_t>(content.size());
  auto run = [](const std::vector<CabinetSpec>& cabs, ArchiveStatus* code) {
    MemoryFiles files;
    Install(files, cabs);
    RecordingClient client;
    const bool ok = Walk(files, client, "c0.cab", code);
    EXPECT_EQ(files.openCabinetHandles, 0);
    return ok;
  };
  ArchiveStatus code = ArchiveStatus::kOk;

  // The middle cabinet belongs to another set.
  std::vector<CabinetSpec> cabs = ChainSet(folder, 1, {100, 200}, size);
  cabs[1].setID ^= 1;
  EXPECT_FALSE(run(cabs, &code));
  EXPECT_EQ(code, ArchiveStatus::kWrongCabinet);

  // The last cabinet is numbered as if one were missing.
  cabs = ChainSet(folder, 1, {100, 200}, size);
  cabs[2].cabinetIndex = 3;
  EXPECT_FALSE(run(cabs, &code));
  EXPECT_EQ(code, ArchiveStatus::kWrongCabinet);

  // The chain's last part still has uncompressedSize 0 and no cabinet follows.
  cabs = ChainSet(folder, 1, {100, 200}, size);
  cabs[2].folders[0].blocks.front().uncompressedSize = 0;
  cabs[2].folders[0].blocks.resize(1);
  EXPECT_FALSE(run(cabs, &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);

  // A cut part that is not the last block of its cabinet.
  cabs = ChainSet(folder, 1, {100, 200}, size);
  cabs[1].folders[0].blocks.push_back(folder.blocks[2]);
  EXPECT_FALSE(run(cabs, &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);

  // The middle cabinet holds no block at all.
  cabs = ChainSet(folder, 1, {100, 200}, size);
  cabs[1].folders[0].blocks.clear();
  EXPECT_FALSE(run(cabs, &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);
}

}  // namespace
}  // namespace krax::test
