// The reader's walk over single cabinets: notifications, skipping, errors.
#include "archive/cab/cab_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "cab_test_support.h"

namespace krax::test {
namespace {

using namespace krax::cab;

const std::vector<std::pair<std::string, std::string>> kTwoFiles = {{"a.txt", "alpha"},
                                                                    {"dir\\b.txt", "bravo bravo"}};

Bytes TwoFileCabinet() {
  CabinetSpec spec;
  spec.folders = {StoredFolder(Joined(kTwoFiles))};
  spec.files = FilesInFolder(kTwoFiles);
  return BuildCabinet(spec);
}

TEST(CabReaderWalk, EmptyCabinetGetsOneCabinetInfoAndOneEnumerate) {
  MemoryFiles files;
  files.files["e.cab"] = BuildCabinet(CabinetSpec{});
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "e.cab"));
  EXPECT_EQ(client.events, (std::vector<std::string>{"CabinetInfo 0", "Enumerate"}));
  EXPECT_EQ(files.openCabinetHandles, 0);
}

TEST(CabReaderWalk, NotificationsComeInOrderAndFilesExtract) {
  MemoryFiles files;
  files.files["t.cab"] = TwoFileCabinet();
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "t.cab"));
  EXPECT_EQ(client.events,
            (std::vector<std::string>{"CabinetInfo 0", "Enumerate", "CopyFile a.txt", "CloseFileInfo a.txt",
                                      "CopyFile dir\\b.txt", "CloseFileInfo dir\\b.txt", "Enumerate"}));
  EXPECT_EQ(client.extracted["a.txt"], "alpha");
  EXPECT_EQ(client.extracted["dir\\b.txt"], "bravo bravo");
  EXPECT_EQ(files.openCabinetHandles, 0);
  // CopyFile carries the record's details.
  const CabNotification& copy = client.notes[2];
  EXPECT_EQ(copy.size, 5u);
  EXPECT_EQ(copy.date, 0x5821);
  EXPECT_EQ(copy.time, 0x6000);
  EXPECT_EQ(copy.folderIndex, 0);
}

TEST(CabReaderWalk, OneFileCabinetBuiltByHandExtracts) {
  const Bytes cabinet = {
      'M', 'S', 'C', 'F', 0, 0, 0, 0, 77, 0, 0, 0, 0, 0, 0, 0, 44, 0, 0, 0, 0, 0, 0, 0, 3, 1, 1, 0, 1, 0,
      0, 0, 0x39, 0x30, 0, 0, 66, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x21, 0x58, 0x00,
      0x60, 0x20, 0, 'a', '.', 't', 'x', 't', 0, 0x60, 0x62, 0x62, 0x00, 3, 0, 3, 0, 'a', 'b', 'c'};
  MemoryFiles files;
  files.files["a.cab"] = cabinet;
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "a.cab"));
  EXPECT_EQ(client.extracted["a.txt"], "abc");
}

TEST(CabReaderWalk, IsCabinetRejectsIncompleteAndOtherVersions) {
  MemoryFiles files;
  CabinetSpec incomplete;
  incomplete.signature = kSignatureIncomplete;
  files.files["i.cab"] = BuildCabinet(incomplete);
  CabinetSpec old;
  old.version = 0x0102;
  files.files["v2.cab"] = BuildCabinet(old);
  CabinetSpec newer;
  newer.version = 0x0104;
  files.files["v4.cab"] = BuildCabinet(newer);
  files.files["short.cab"] = Bytes{'M', 'S', 'C', 'F'};
  files.files["ok.cab"] = TwoFileCabinet();

  ArchiveResult error;
  auto reader = CabReaderCreate(files.Functions(), &error);
  auto functions = files.Functions();
  auto test = [&](const std::string& name, CabinetInfo* info = nullptr) {
    int ignored = 0;
    const CabHandle handle = functions.open(name, O_RDONLY, 0, ignored);
    const bool result = CabReaderIsCabinet(*reader, handle, info);
    functions.close(handle, ignored);
    return result;
  };
  EXPECT_FALSE(test("i.cab"));
  EXPECT_EQ(CabReaderLastError(*reader).status, ArchiveStatus::kOk);
  EXPECT_FALSE(test("short.cab"));
  EXPECT_EQ(CabReaderLastError(*reader).status, ArchiveStatus::kOk);
  EXPECT_FALSE(test("v2.cab"));
  EXPECT_EQ(CabReaderLastError(*reader).status, ArchiveStatus::kBadVersion);
  EXPECT_FALSE(test("v4.cab"));
  EXPECT_EQ(CabReaderLastError(*reader).status, ArchiveStatus::kBadVersion);
  CabinetInfo info;
  EXPECT_TRUE(test("ok.cab", &info));
  EXPECT_EQ(info.fileCount, 2);
  EXPECT_EQ(info.folderCount, 1);
  EXPECT_EQ(info.setID, 12345);
  EXPECT_FALSE(info.hasNext);

  RecordingClient client;
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(Walk(files, client, "i.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kNotACabinet);
  EXPECT_FALSE(Walk(files, client, "v4.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kBadVersion);
  EXPECT_FALSE(Walk(files, client, "missing.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kCabinetOpenFailed);
  EXPECT_EQ(files.openCabinetHandles, 0);
}

// Three blocks; the third is damaged (wrong checksum). Whatever does not need it works.
Bytes CabinetWithDamagedLastBlock() {
  const std::string first(100, '1'), second(100, '2'), third(100, '3');
  CabinetSpec spec;
  spec.folders = {StoredFolder(first + second + third, 80)};
  spec.folders[0].blocks.back().csum = BlockSpec::Csum::kWrong;
  spec.files = FilesInFolder({{"one", first}, {"two", second}, {"three", third}});
  return BuildCabinet(spec);
}

TEST(CabReaderWalk, SkippedFilesAreNeverRead) {
  MemoryFiles files;
  files.files["d.cab"] = CabinetWithDamagedLastBlock();
  RecordingClient client;
  client.copyAnswer = 0;
  EXPECT_TRUE(Walk(files, client, "d.cab"));
  EXPECT_TRUE(client.extracted.empty());
}

TEST(CabReaderWalk, SecondFileOfAFolderNeedsOnlyTheBlocksUpToItsEnd) {
  // Blocks of 80 bytes: [0,80) [80,160) [160,240) [240,300); only the last is damaged.
  MemoryFiles files;
  files.files["d.cab"] = CabinetWithDamagedLastBlock();
  RecordingClient two;
  two.wanted = {"two"};  // bytes 100..199
  ASSERT_TRUE(Walk(files, two, "d.cab"));
  EXPECT_EQ(two.extracted["two"], std::string(100, '2'));
  EXPECT_EQ(two.extracted.count("one"), 0u);

  RecordingClient three;
  three.wanted = {"three"};  // bytes 200..299 need the damaged block
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(Walk(files, three, "d.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kDamaged);
}

TEST(CabReaderWalk, ZeroChecksumIsNotChecked) {
  CabinetSpec spec;
  spec.folders = {StoredFolder("payload")};
  spec.folders[0].blocks[0].csum = BlockSpec::Csum::kZero;
  spec.files = FilesInFolder({{"p", "payload"}});
  MemoryFiles files;
  files.files["z.cab"] = BuildCabinet(spec);
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "z.cab"));
  EXPECT_EQ(client.extracted["p"], "payload");
}

TEST(CabReaderWalk, EmptyFileAndRunAfterExtractAttribute) {
  CabinetSpec spec;
  spec.folders = {StoredFolder("xyz")};
  spec.files = FilesInFolder({{"empty", ""}, {"run.exe", "xyz"}});
  spec.files[1].attribs = kAttribReadOnly | kAttribArchive | kAttribRunAfterExtract;
  MemoryFiles files;
  files.files["r.cab"] = BuildCabinet(spec);
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "r.cab"));
  EXPECT_EQ(client.events[2], "CopyFile empty");
  EXPECT_EQ(client.events[3], "CloseFileInfo empty");
  EXPECT_EQ(client.extracted["empty"], "");
  const CabNotification& close = client.notes[5];
  ASSERT_EQ(close.kind, CabNotificationKind::kCloseFileInfo);
  EXPECT_EQ(close.attribs, kAttribReadOnly | kAttribArchive);
  EXPECT_TRUE(close.runAfterExtract);
  EXPECT_FALSE(client.notes[3].runAfterExtract);
}

TEST(CabReaderWalk, ClientAnswersStopOrFailTheWalk) {
  MemoryFiles files;
  files.files["t.cab"] = TwoFileCabinet();
  ArchiveStatus code = ArchiveStatus::kOk;

  RecordingClient stop;
  stop.copyAnswer = -1;
  EXPECT_FALSE(Walk(files, stop, "t.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kStopped);

  RecordingClient refuseClose;
  refuseClose.closeAnswer = 0;
  EXPECT_FALSE(Walk(files, refuseClose, "t.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kTargetFailed);

  RecordingClient shortWrite;
  files.failWritesAfter = 2;
  EXPECT_FALSE(Walk(files, shortWrite, "t.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kTargetFailed);
  // The reader closed the half-written target itself, without CloseFileInfo.
  ASSERT_FALSE(files.written.empty());
  EXPECT_FALSE(files.IsOpen(files.written.rbegin()->first));
  EXPECT_EQ(shortWrite.events.back(), "CopyFile a.txt");
  EXPECT_EQ(files.openCabinetHandles, 0);
}

// The system error numbers the client's files give land in the walk's result.
TEST(CabReaderWalk, TheFilesErrorNumbersReachTheResult) {
  MemoryFiles files;
  files.files["t.cab"] = TwoFileCabinet();
  RecordingClient client;
  client.files = &files;
  auto reader = CabReaderCreate(files.Functions(), nullptr);
  ASSERT_TRUE(reader);

  EXPECT_FALSE(CabReaderCopy(*reader, {"missing.cab", "", client.Function()}));
  EXPECT_EQ(CabReaderLastError(*reader).status, ArchiveStatus::kCabinetOpenFailed);
  EXPECT_EQ(CabReaderLastError(*reader).systemError, ENOENT);

  files.refuseWritesWith = ENOSPC;
  EXPECT_FALSE(CabReaderCopy(*reader, {"t.cab", "", client.Function()}));
  EXPECT_EQ(CabReaderLastError(*reader).status, ArchiveStatus::kTargetFailed);
  EXPECT_EQ(CabReaderLastError(*reader).systemError, ENOSPC);
  EXPECT_EQ(files.openCabinetHandles, 0);
}

TEST(CabReaderWalk, UnknownCompressionTypeIsCode6) {
  CabinetSpec spec;
  spec.folders = {StoredFolder("data")};
  spec.folders[0].typeCompress = 0x0004;
  spec.files = FilesInFolder({{"d", "data"}});
  MemoryFiles files;
  files.files["u.cab"] = BuildCabinet(spec);
  RecordingClient client;
  ArchiveStatus code = ArchiveStatus::kOk;
  EXPECT_FALSE(Walk(files, client, "u.cab", &code));
  EXPECT_EQ(code, ArchiveStatus::kUnknownType);
  // Listing without extracting does not care.
  RecordingClient lister;
  lister.copyAnswer = 0;
  EXPECT_TRUE(Walk(files, lister, "u.cab"));
}

TEST(CabReaderWalk, ReservesAreSkippedAndTheirBytesChecksummed) {
  CabinetSpec spec;
  spec.reserve = true;
  spec.headerReserveSize = 6;
  spec.folderReserveSize = 3;
  spec.dataReserveSize = 5;
  const std::vector<std::pair<std::string, std::string>> content = {{"x", std::string(70000, 'x')}, {"y", "why"}};
  spec.folders = {MszipFolder(Joined(content))};
  spec.files = FilesInFolder(content);
  MemoryFiles files;
  files.files["res.cab"] = BuildCabinet(spec);
  RecordingClient client;
  ASSERT_TRUE(Walk(files, client, "res.cab"));
  EXPECT_EQ(client.extracted["x"], content[0].second);
  EXPECT_EQ(client.extracted["y"], "why");
}

TEST(CabReaderWalk, FoldersOfDifferentMethodsAndRestartsAfterSkips) {
  const std::vector<std::pair<std::string, std::string>> first = {{"f0a", "first folder a"}, {"f0b", "first b"}};
  std::string big;
  for (int i = 0; i < 9000; ++i) big += "lap " + std::to_string(i % 97) + ";";
  const std::vector<std::pair<std::string, std::string>> second = {{"f1a", big}, {"f1b", "tail"}};
  CabinetSpec spec;
  spec.folders = {StoredFolder(Joined(first)), LzxFolder(Joined(second), 16)};
  spec.files = FilesInFolder(first, 0);
  auto more = FilesInFolder(second, 1);
  spec.files.insert(spec.files.end(), more.begin(), more.end());
  MemoryFiles files;
  files.files["m.cab"] = BuildCabinet(spec);

  RecordingClient all;
  ASSERT_TRUE(Walk(files, all, "m.cab"));
  EXPECT_EQ(all.extracted["f0b"], "first b");
  EXPECT_EQ(all.extracted["f1a"], big);
  EXPECT_EQ(all.extracted["f1b"], "tail");

  RecordingClient some;
  some.wanted = {"f0b", "f1b"};
  ASSERT_TRUE(Walk(files, some, "m.cab"));
  EXPECT_EQ(some.extracted.size(), 2u);
  EXPECT_EQ(some.extracted["f1b"], "tail");
}

}  // namespace
}  // namespace krax::test
