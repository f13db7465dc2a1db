// Cabinet sets: files continued across cabinets, blocks split between them, and the checks
// on following cabinets.
#include <gtest/gtest.h>

#include "archive/cab/cab_reader.h"
#include "cab_test_support.h"

namespace krax::test {
namespace {

using namespace krax::cab;

// One folder of files A [0,50) B [50,170) C [170,200) in stored blocks of 64 bytes,
// spread over three cabinets the way the writer spreads them: block 2 split between
// cabinets 0 and 1, block 3 between cabinets 1 and 2. Cabinet 2 adds folder 1 with D.
struct ThreeCabinetSet {
  std::string a = std::string(50, 'a'), b, c = std::string(30, 'c'), d = "dee";
  ThreeCabinetSet() {
    for (int i = 0; i < 120; ++i) b.push_back(static_cast<char>('A' + i % 26));
  }

  void Install(MemoryFiles& files, const std::string& prefix = "") const {
    const Bytes all = ToBytes(a + b + c);
    const std::uint16_t type0 = 0;

    CabinetSpec cab0;
    cab0.nextCabinet = "set1.cab";
    cab0.nextDisk = "disk 2";
    cab0.folders = {FolderSpec{type0, {BlockPart(all, 0, 64, 64), BlockPart(all, 64, 20, 0)}}};
    cab0.files = {ListedFile("A", 50, 0, 0), ListedFile("B", 120, 50, kFolderContinuedToNext),
                  ListedFile("C", 30, 170, kFolderContinuedToNext)};

    CabinetSpec cab1;
    cab1.cabinetIndex = 1;
    cab1.prevCabinet = "set0.cab";
    cab1.prevDisk = "disk 1";
    cab1.nextCabinet = "set2.cab";
    cab1.nextDisk = "disk 3";
    cab1.folders = {FolderSpec{type0, {BlockPart(all, 84, 44, 64), BlockPart(all, 128, 30, 0)}}};
    cab1.files = {ListedFile("B", 120, 50, kFolderContinuedPrevAndNext),
                  ListedFile("C", 30, 170, kFolderContinuedPrevAndNext)};

    CabinetSpec cab2;
    cab2.cabinetIndex = 2;
    cab2.prevCabinet = "set1.cab";
    cab2.prevDisk = "disk 2";
    cab2.folders = {FolderSpec{type0, {BlockPart(all, 158, 34, 64), BlockPart(all, 192, 8, 8)}}, StoredFolder(d)};
    cab2.files = {ListedFile("B", 120, 50, kFolderContinuedFromPrev),
                  ListedFile("C", 30, 170, kFolderContinuedFromPrev), ListedFile("D", 3, 0, 1)};

    files.files[prefix + "set0.cab"] = BuildCabinet(cab0);
    files.files[prefix + "set1.cab"] = BuildCabinet(cab1);
    files.files[prefix + "set2.cab"] = BuildCabinet(cab2);
  }
};

TEST(CabReaderSet, WalkOfTheFirstCabinetFollowsContinuedFiles) {
  ThreeCabinetSet set;
  MemoryFiles files;
  set.Install(files);
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "set0.cab"));
  EXPECT_EQ(client.events,
            (std::vector<std::string>{"CabinetInfo 0", "Enumerate", "CopyFile A", "CloseFileInfo A", "CopyFile B",
                                      "NextCabinet set1.cab", "CabinetInfo 1", "NextCabinet set2.cab",
                                      "CabinetInfo 2", "CloseFileInfo B", "CopyFile C", "CloseFileInfo C",
                                      "Enumerate"}));
  EXPECT_EQ(client.extracted["A"], set.a);
  EXPECT_EQ(client.extracted["B"], set.b);
  EXPECT_EQ(client.extracted["C"], set.c);
  EXPECT_EQ(client.extracted.count("D"), 0u);  // D begins in the last cabinet: its own walk
  EXPECT_EQ(files.openCabinetHandles, 0);
}

TEST(CabReaderSet, SkippedContinuingFilesAreCountedWhenCrossing) {
  ThreeCabinetSet set;
  MemoryFiles files;
  set.Install(files);
  RecordingClient client;
  client.wanted = {"A", "C"};
  ASSERT_TRUE(Walk(files, client, "set0.cab"));
  EXPECT_EQ(client.extracted.size(), 2u);
  EXPECT_EQ(client.extracted["C"], set.c);
}

TEST(CabReaderSet, FollowingCabinetsWalkTheFilesThatBeginThere) {
  ThreeCabinetSet set;
  MemoryFiles files;
  set.Install(files);
  RecordingClient middle;
  ASSERT_TRUE(Walk(files, middle, "set1.cab"));
  EXPECT_EQ(middle.events,
            (std::vector<std::string>{"CabinetInfo 1", "Enumerate", "PartialFile B", "PartialFile C", "Enumerate"}));
  EXPECT_EQ(middle.notes[2].prevCabinet, "set0.cab");
  EXPECT_EQ(middle.notes[2].prevDisk, "disk 1");

  RecordingClient last;
  ASSERT_TRUE(Walk(files, last, "set2.cab"));
  EXPECT_EQ(last.extracted.size(), 1u);
  EXPECT_EQ(last.extracted["D"], set.d);
}

TEST(CabReaderSet, MissingCabinetFailsAfterOneRepeatedQuestion) {
  ThreeCabinetSet set;
  MemoryFiles files;
  set.Install(files);
  files.files.erase("set1.cab");
  RecordingClient client;
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(Walk(files, client, "set0.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kCabinetOpenFailed);
  std::vector<std::string> asked;
  for (const auto& event : client.events) {
    if (event.rfind("NextCabinet", 0) == 0) asked.push_back(event);
  }
  EXPECT_EQ(asked, (std::vector<std::string>{"NextCabinet set1.cab",
                                              "NextCabinet set1.cab (the cabinet file could not be opened)"}));
  EXPECT_EQ(files.openCabinetHandles, 0);
  for (const auto& [handle, content] : files.written) EXPECT_FALSE(files.IsOpen(handle));
}

TEST(CabReaderSet, ClientMayPointToAnotherFolder) {
  ThreeCabinetSet set;
  MemoryFiles files;
  set.Install(files, "disk/");
  RecordingClient client;
  client.nextCabinetPath = "disk/";
  files.files["set0.cab"] = files.files["disk/set0.cab"];
  ASSERT_TRUE(Walk(files, client, "set0.cab"));
  EXPECT_EQ(client.extracted["C"], set.c);
}

TEST(CabReaderSet, FollowingCabinetMustBelongToTheSet) {
  ThreeCabinetSet set;
  MemoryFiles files;
  set.Install(files);
  Bytes& second = files.files["set1.cab"];
  second[32] ^= 1;  // setID
  RecordingClient client;
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(Walk(files, client, "set0.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kWrongCabinet);

  set.Install(files);
  files.files["set1.cab"][34] = 5;  // cabinetIndex
  RecordingClient again;
  EXPECT_FALSE(Walk(files, again, "set0.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kWrongCabinet);
}

TEST(CabReaderSet, FollowingCabinetMustKeepTheReserveSizes) {
  const std::string content(100, 'r');
  const Bytes all = ToBytes(content);
  CabinetSpec cab0;
  cab0.nextCabinet = "r1.cab";
  cab0.folders = {FolderSpec{0, {BlockPart(all, 0, 60, 60)}}};
  cab0.files = {ListedFile("R", 100, 0, kFolderContinuedToNext)};
  CabinetSpec cab1;
  cab1.cabinetIndex = 1;
  cab1.prevCabinet = "r0.cab";
  cab1.reserve = true;
  cab1.dataReserveSize = 4;
  cab1.folders = {FolderSpec{0, {BlockPart(all, 60, 40, 40)}}};
  cab1.files = {ListedFile("R", 100, 0, kFolderContinuedFromPrev)};
  MemoryFiles files;
  files.files["r0.cab"] = BuildCabinet(cab0);
  files.files["r1.cab"] = BuildCabinet(cab1);
  RecordingClient client;
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(Walk(files, client, "r0.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kReserveMismatch);

  cab1.reserve = false;
  cab1.dataReserveSize = 0;
  files.files["r1.cab"] = BuildCabinet(cab1);
  RecordingClient fine;
  ASSERT_TRUE(Walk(files, fine, "r0.cab"));
  EXPECT_EQ(fine.extracted["R"], content);
}

TEST(CabReaderSet, CompressedBlockSplitBetweenCabinetsIsJoined) {
  std::string content;
  for (int i = 0; i < 6000; ++i) content += "track " + std::to_string(i * 7 % 1000) + " sector\n";
  for (const bool lzx : {false, true}) {
    SCOPED_TRACE(lzx ? "lzx" : "mszip");
    const FolderSpec folder = lzx ? LzxFolder(content, 17) : MszipFolder(content);
    ASSERT_GE(folder.blocks.size(), 3u);
    const BlockSpec& cut = folder.blocks[1];
    const std::size_t firstPart = cut.data.size() / 3;
    CabinetSpec cab0;
    cab0.nextCabinet = "z1.cab";
    cab0.folders = {FolderSpec{folder.typeCompress, {folder.blocks[0], BlockPart(cut.data, 0, firstPart, 0)}}};
    cab0.files = {ListedFile("whole", static_cast<std::uint32_t>(content.size()), 0, kFolderContinuedToNext)};
    CabinetSpec cab1;
    cab1.cabinetIndex = 1;
    cab1.prevCabinet = "z0.cab";
    FolderSpec rest{folder.typeCompress, {BlockPart(cut.data, firstPart, cut.data.size() - firstPart, cut.uncompressedSize)}};
    rest.blocks.insert(rest.blocks.end(), folder.blocks.begin() + 2, folder.blocks.end());
    cab1.folders = {rest};
    cab1.files = {ListedFile("whole", static_cast<std::uint32_t>(content.size()), 0, kFolderContinuedFromPrev)};
    MemoryFiles files;
    files.files["z0.cab"] = BuildCabinet(cab0);
    files.files["z1.cab"] = BuildCabinet(cab1);
    RecordingClient client;
    ASSERT_TRUE(Walk(files, client, "z0.cab"));
    EXPECT_EQ(client.extracted["whole"], content);
  }
}

TEST(CabReaderSet, DataRunningPastTheLastCabinetIsDamage) {
  // A file claims more bytes than the folder holds and no following cabinet exists.
  CabinetSpec spec;
  spec.folders = {StoredFolder("short")};
  spec.files = FilesInFolder({{"long", std::string(4000000, 'x')}});
  MemoryFiles files;
  files.files["s.cab"] = BuildCabinet(spec);
  RecordingClient client;
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(Walk(files, client, "s.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);
  for (const auto& event : client.events) EXPECT_EQ(event.rfind("NextCabinet", 0), std::string::npos);
}

}  // namespace
}  // namespace krax::test
