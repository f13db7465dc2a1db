// The writer's cabinets byte for byte where the format fixes them, and its failures.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <filesystem>

#include "archive/cab/cab_format.h"
#include "archive/cab/cab_writer.h"
#include "archive/cab/cab_writer_client.h"
#include "cab_writer_harness.h"
#include "platform/file_io.h"

namespace krax::cab_test {
namespace {
namespace fs = std::filesystem;

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

TEST(CabWriterLayout, EmptyCabinetIsTheBare36ByteHeader) {
  ScratchFolder folder;
  const WriterOutcome out = RunWriter(folder, {}, WriterFor(folder, 0x1503));
  ASSERT_TRUE(out.flushed && out.destroyed);
  Bytes expected = {'M', 'S', 'C', 'F'};
  for (std::uint32_t v : {0u, 36u, 0u, 36u, 0u}) Put32(expected, v);
  expected.push_back(3);
  expected.push_back(1);
  for (unsigned v : {0u, 0u, 0u, 12345u, 0u}) Put16(expected, v);
  EXPECT_EQ(ReadBytes(folder / "test.CAB"), expected);
  EXPECT_EQ(TempFilesLeft(folder), 0u);
}

TEST(CabWriterLayout, OneStoredFileMatchesTheFormatExample) {
  ScratchFolder folder;
  const WriterOutcome out = RunWriter(folder, {{"a.txt", {'a', 'b', 'c'}}}, WriterFor(folder, 0));
  ASSERT_TRUE(out.flushed && out.destroyed);
  Bytes expected = {'M', 'S', 'C', 'F'};
  for (std::uint32_t v : {0u, 77u, 0u, 44u, 0u}) Put32(expected, v);
  expected.push_back(3);
  expected.push_back(1);
  for (unsigned v : {1u, 1u, 0u, 12345u, 0u}) Put16(expected, v);
  Put32(expected, 66);  // CFFOLDER: firstBlockOffset
  Put16(expected, 1);   // blockCount
  Put16(expected, 0);   // typeCompress
  Put32(expected, 3);   // CFFILE: fileSize
  Put32(expected, 0);   // offsetInFolder
  for (unsigned v : {0u, 0x5A21u, 0x6000u, 0x20u}) Put16(expected, v);
  for (char c : std::string("a.txt")) expected.push_back(static_cast<std::uint8_t>(c));
  expected.push_back(0);
  Put32(expected, 0x626260);  // CFDATA: csum
  Put16(expected, 3);
  Put16(expected, 3);
  for (char c : std::string("abc")) expected.push_back(static_cast<std::uint8_t>(c));
  ASSERT_EQ(expected.size(), 77u);
  EXPECT_EQ(ReadBytes(folder / "test.CAB"), expected);
}

TEST(CabWriterLayout, ReserveAreasAreWrittenAsZerosAndCounted) {
  ScratchFolder folder;
  WriterSetup setup = WriterFor(folder, 1);
  setup.params.headerReserve = 300;
  setup.params.folderReserve = 5;
  setup.params.dataReserve = 7;
  const std::vector<SourceFile> files = {{"x.bin", TextBytes(70000, 1)}};
  ASSERT_TRUE(RunWriter(folder, files, setup).flushed);
  const Bytes cab = ReadBytes(folder / "test.CAB");
  ASSERT_GT(cab.size(), 340u);
  EXPECT_EQ(cab::LoadLE16(cab.data() + 30), cab::kFlagReservePresent);
  EXPECT_EQ(cab::LoadLE16(cab.data() + 36), 300);
  EXPECT_EQ(cab[38], 5);
  EXPECT_EQ(cab[39], 7);
  EXPECT_EQ(cab::LoadLE32(cab.data() + 16), 36u + 4 + 300 + 8 + 5);  // firstFileOffset
  std::string listing;
  if (!PythonAvailable()) GTEST_SKIP() << "the layout is read back by the Python cabinet checker (Linux only)";
  ASSERT_EQ(RunPythonCheck(folder / "test.CAB", folder / "py", listing), 0);
  EXPECT_TRUE(SameFiles(files, folder / "py"));
}

TEST(CabWriterLayout, SameNameTwiceIsStoredTwiceInOrder) {
  ScratchFolder folder;
  const std::vector<SourceFile> files = {{"car.viv", {1, 2, 3}}, {"car.viv", {4, 5}}};
  ASSERT_TRUE(RunWriter(folder, files, WriterFor(folder, 1)).flushed);
  std::string listing;
  if (!PythonAvailable()) GTEST_SKIP() << "the layout is read back by the Python cabinet checker (Linux only)";
  ASSERT_EQ(RunPythonCheck(folder / "test.CAB", folder / "py", listing), 0) << listing;
  EXPECT_NE(listing.find("file 0 car.viv 3 0\nfile 0 car.viv 2 0\n"), std::string::npos) << listing;
}

TEST(CabWriterLayout, NameOf255CharactersIsFineAndLongerFailsWhenTheFolderCloses) {
  ScratchFolder folder;
  const std::string ok(255, 'n');
  ASSERT_TRUE(RunWriter(folder, {{ok, {1}}}, WriterFor(folder, 0)).flushed);
  ScratchFolder folder2;
  const WriterOutcome out = RunWriter(folder2, {{std::string(256, 'n'), {1}}}, WriterFor(folder2, 0));
  EXPECT_TRUE(out.added);  // accepted by the add-file call
  EXPECT_FALSE(out.flushed);
  EXPECT_EQ(out.error.status, ArchiveStatus::kTempFileFailed);
  EXPECT_TRUE(!out.error.ok());
  EXPECT_FALSE(fs::exists(folder2 / "test.CAB"));
  EXPECT_EQ(TempFilesLeft(folder2), 0u);
}

TEST(CabWriterLayout, FolderClosesAtTheFirstFileBoundaryPastTheThreshold) {
  ScratchFolder folder;
  WriterSetup setup = WriterFor(folder, 0);
  setup.params.folderThreshold = 50000;
  // 40000 bytes stay below, 80000 pass it: the third file starts a second folder.
  const std::vector<SourceFile> files = {
      {"a", RandomBytes(40000, 1)}, {"b", RandomBytes(40000, 2)}, {"c", RandomBytes(10, 3)}};
  ASSERT_TRUE(RunWriter(folder, files, setup).flushed);
  std::string listing;
  if (!PythonAvailable()) GTEST_SKIP() << "the layout is read back by the Python cabinet checker (Linux only)";
  ASSERT_EQ(RunPythonCheck(folder / "test.CAB", folder / "py", listing), 0) << listing;
  EXPECT_NE(listing.find("file 0 a 40000 0\nfile 0 b 40000 0\nfile 0 c 10 1\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("cabinet 0 flags 0 folders 2 files 3"), std::string::npos) << listing;
  EXPECT_TRUE(SameFiles(files, folder / "py"));
}

TEST(CabWriterLayout, LzxFolderThresholdCountsWhatTheEncoderStillHolds) {
  ScratchFolder folder;
  WriterSetup setup = WriterFor(folder, 0x1003);
  setup.params.folderThreshold = 30000;
  // After 20000 bytes nothing has reached the encoder; after 40000 it holds one frame of
  // noise, not yet written out, which already passes the threshold.
  const std::vector<SourceFile> files = {
      {"a", RandomBytes(20000, 1)}, {"b", RandomBytes(20000, 2)}, {"c", RandomBytes(10, 3)}};
  ASSERT_TRUE(RunWriter(folder, files, setup).flushed);
  const Bytes cab = ReadBytes(folder / "test.CAB");
  ASSERT_GE(cab.size(), 60u);
  EXPECT_EQ(cab::LoadLE16(cab.data() + 26), 2);  // folderCount
  std::string listing;
  if (!PythonAvailable()) GTEST_SKIP() << "the layout is read back by the Python cabinet checker (Linux only)";
  RunPythonCheck(folder / "test.CAB", folder / "py", listing);  // lists, cannot decode LZX
  EXPECT_NE(listing.find("file 0 a 20000 0\nfile 0 b 20000 0\nfile 0 c 10 1\n"), std::string::npos) << listing;
  EXPECT_EQ(ExtractWithReader(folder / "test.CAB", folder / "x"), "");
  EXPECT_TRUE(SameFiles(files, folder / "x"));
}

TEST(CabWriterLayout, ChangingTheCompressionStartsANewFolder) {
  ScratchFolder folder;
  const std::vector<SourceFile> files = {{"a", TextBytes(5000, 1)}, {"b", TextBytes(5000, 2)}};
  fs::create_directories(folder.path() / "src");
  WriterSetup setup = WriterFor(folder, 0);
  // Same writer, two types: run by hand.
  ArchiveResult error;
  cab::CabWriterClient client = cab::MakeStandardCabWriterClient();
  cab::CabWriterOptions options = OptionsFor(setup.params);
  options.openSource = [](const std::string& name, std::uint16_t&, std::uint16_t&, std::uint16_t&,
                          int& err) -> cab::CabHandle { return file_io::Open(name, O_RDONLY, 0, err); };
  auto writer = cab::CabWriterCreate(error, client, options);
  ASSERT_TRUE(writer);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string path = folder / ("src/" + files[i].name);
    WriteBytes(path, files[i].content);
    ASSERT_TRUE(cab::CabWriterAddFile(*writer, {path, files[i].name, static_cast<std::uint16_t>(i == 0 ? 0 : 1), i == 1}));
  }
  ASSERT_TRUE(cab::CabWriterFlushCabinet(*writer));
  ASSERT_TRUE(cab::CabWriterDestroy(std::move(writer)));
  const Bytes cab = ReadBytes(folder / "test.CAB");
  ASSERT_GE(cab.size(), 52u);
  EXPECT_EQ(cab::LoadLE16(cab.data() + 26), 2);   // folderCount
  EXPECT_EQ(cab::LoadLE16(cab.data() + 36 + 6), 0);
  EXPECT_EQ(cab::LoadLE16(cab.data() + 44 + 6), 1);
  std::string listing;
  if (!PythonAvailable()) GTEST_SKIP() << "the layout is read back by the Python cabinet checker (Linux only)";
  ASSERT_EQ(RunPythonCheck(folder / "test.CAB", folder / "py", listing), 0) << listing;
  EXPECT_TRUE(SameFiles(files, folder / "py"));
  // The run-after-extraction flag adds 0x40 to the second file's attributes.
  const std::size_t second = 36 + 16 + 16 + 2;
  EXPECT_EQ(cab::LoadLE16(cab.data() + second + 14), 0x40);
}

TEST(CabWriterErrors, EachFailureHasItsCodeAndLeavesNoFiles) {
  struct Case {
    const char* what;
    std::uint16_t type;
    std::function<void(WriterSetup&, std::vector<SourceFile>&)> change;
    ArchiveStatus code;
  };
  const std::vector<Case> cases = {
      {"Quantum is not written", 0x1202, nullptr, ArchiveStatus::kUnknownType},
      {"unknown method", 0x0007, nullptr, ArchiveStatus::kUnknownType},
      {"LZX window below 2^15", 0x0E03, nullptr, ArchiveStatus::kCompressorFailed},
      {"progress stops at CabStatusKind::kFile", 1,
       [](WriterSetup& s, std::vector<SourceFile>&) {
         s.progress = [](cab::CabStatusKind k, std::uint32_t, std::uint32_t) {
           return k == cab::CabStatusKind::kFile ? -1L : 0L;
         };
       },
       ArchiveStatus::kStopped},
      {"progress stops at CabStatusKind::kCabinet", 0x1503,
       [](WriterSetup& s, std::vector<SourceFile>&) {
         s.progress = [](cab::CabStatusKind k, std::uint32_t, std::uint32_t) {
           return k == cab::CabStatusKind::kCabinet ? -1L : 0L;
         };
       },
       ArchiveStatus::kStopped},
      {"cabinet folder missing", 0,
       [](WriterSetup& s, std::vector<SourceFile>&) { s.params.cabinetFolder += "missing/"; },
       ArchiveStatus::kCabinetWriteFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    WriterSetup setup = WriterFor(folder, c.type);
    std::vector<SourceFile> files = {{"a.bin", TextBytes(70000, 1)}};
    if (c.change) c.change(setup, files);
    const WriterOutcome out = RunWriter(folder, files, setup);
    EXPECT_FALSE(out.added && out.flushed);
    EXPECT_EQ(out.error.status, c.code);
    EXPECT_TRUE(!out.error.ok());
    EXPECT_TRUE(out.destroyed);
    EXPECT_EQ(TempFilesLeft(folder), 0u);
    if (c.code != ArchiveStatus::kStopped) {
      EXPECT_FALSE(fs::exists(folder / "test.CAB"));
    }
  }
}

TEST(CabWriterLayout, CabinetSaysMSCFOnlyWhenCompleteAndAnAbortedOneIsDeleted) {
  for (bool abort : {false, true}) {
    SCOPED_TRACE(abort);
    ScratchFolder folder;
    WriterSetup setup = WriterFor(folder, 1);
    std::vector<std::string> seen;
    const std::string path = folder / "test.CAB";
    setup.progress = [&](cab::CabStatusKind kind, std::uint32_t, std::uint32_t) -> long {
      if (kind != cab::CabStatusKind::kFolder || !fs::exists(path)) return 0;
      const Bytes head = ReadBytes(path);
      seen.emplace_back(head.begin(), head.begin() + std::min<std::size_t>(4, head.size()));
      return abort ? -1 : 0;
    };
    const WriterOutcome out = RunWriter(folder, {{"a", TextBytes(100000, 1)}}, setup);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "!CAB");
    if (abort) {
      EXPECT_EQ(out.error.status, ArchiveStatus::kStopped);
      EXPECT_FALSE(fs::exists(path));
    } else {
      EXPECT_TRUE(out.flushed);
      const Bytes done = ReadBytes(path);
      ASSERT_GE(done.size(), 4u);
      EXPECT_EQ(std::string(done.begin(), done.begin() + 4), "MSCF");
    }
  }
}

TEST(CabWriterLayout, FolderOfEmptyFilesHasNoDataBlocks) {
  for (std::uint16_t type : {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{0x1503}}) {
    ScratchFolder folder;
    const std::vector<SourceFile> files = {{"e1", {}}, {"e2", {}}};
    ASSERT_TRUE(RunWriter(folder, files, WriterFor(folder, type)).flushed);
    const Bytes cab = ReadBytes(folder / "test.CAB");
    ASSERT_GE(cab.size(), 44u);
    EXPECT_EQ(cab::LoadLE16(cab.data() + 36 + 4), 0);  // blockCount
    EXPECT_EQ(cab::LoadLE32(cab.data() + 8), cab.size());
    EXPECT_EQ(ExtractWithReader(folder / "test.CAB", folder / "x"), "");
    EXPECT_TRUE(SameFiles(files, folder / "x"));
  }
}

TEST(CabWriterErrors, MissingSourceIsCode1WithTheSystemError) {
  ScratchFolder folder;
  ArchiveResult error;
  cab::CabWriterOptions options = OptionsFor(TestParameters(folder));
  options.openSource = [](const std::string& name, std::uint16_t&, std::uint16_t&, std::uint16_t&,
                          int& err) -> cab::CabHandle { return file_io::Open(name, O_RDONLY, 0, err); };
  auto writer = cab::CabWriterCreate(error, cab::MakeStandardCabWriterClient(), options);
  ASSERT_TRUE(writer);
  EXPECT_FALSE(cab::CabWriterAddFile(*writer, {folder / "nothing", "n", 0}));
  EXPECT_EQ(error.status, ArchiveStatus::kSourceOpenFailed);
  EXPECT_EQ(error.systemError, ENOENT);
  EXPECT_TRUE(cab::CabWriterDestroy(std::move(writer)));
}

TEST(CabWriterErrors, TemporaryFilesNeedANameWithinElevenAttempts) {
  ScratchFolder folder;
  for (int refusals : {10, 11}) {
    SCOPED_TRACE(refusals);
    cab::CabWriterClient client = cab::MakeStandardCabWriterClient();
    int calls = 0;
    const std::string tmp = folder / "t";
    // Refuses the first `refusals` requests, then names fresh files.
    client.tempName = [&calls, refusals, tmp](char* buffer, std::size_t size) {
      if (calls++ < refusals) return false;
      std::snprintf(buffer, size, "%s%d", tmp.c_str(), calls);
      return true;
    };
    ArchiveResult error;
    auto writer = cab::CabWriterCreate(error, client, OptionsFor(TestParameters(folder)));
    EXPECT_EQ(writer != nullptr, refusals < 11);
    if (!writer) {
      EXPECT_EQ(error.status, ArchiveStatus::kTempFileFailed);
    }
    cab::CabWriterDestroy(std::move(writer));
  }
  // Nothing left behind either way.
  std::size_t left = 0;
  for (auto& e : fs::directory_iterator(folder.path())) left += e.path().filename().string()[0] == 't';
  EXPECT_EQ(left, 0u);
}

TEST(CabWriterErrors, FailedAllocationIsCode3) {
  ScratchFolder folder;
  cab::CabWriterClient client = cab::MakeStandardCabWriterClient();
  client.allocate = [](std::size_t) -> void* { return nullptr; };
  ArchiveResult error;
  EXPECT_FALSE(cab::CabWriterCreate(error, client, OptionsFor(TestParameters(folder))));
  EXPECT_EQ(error.status, ArchiveStatus::kNoMemory);
}

}  // namespace
}  // namespace krax::cab_test
