// The format's limits kept, failures with their reasons, and cabinet sets through the
// library helpers: the faults a new user met with many files, long names, sets and
// damaged cabinets.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_entries.h"
#include "archive/cab/cab_format.h"
#include "archive/cabinet_create.h"
#include "archive/cabinet_create_detail.h"
#include "cab_writer_harness.h"
#include "support/run_kraxctl.h"

namespace krax::cab_test {
namespace {
namespace fs = std::filesystem;

std::vector<std::string> PlaceSources(const ScratchFolder& folder, const std::vector<SourceFile>& files) {
  std::vector<std::string> paths;
  for (const SourceFile& f : files) {
    const fs::path p = folder.path() / "src" / f.name;
    fs::create_directories(p.parent_path());
    WriteBytes(p.string(), f.content);
    paths.push_back(p.string());
  }
  return paths;
}

std::vector<std::string> CabinetsOf(const ScratchFolder& folder, const std::string& stem) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(stem, 0) == 0 && entry.path().extension() == ".CAB") found.push_back(name);
  }
  return found;
}

// A failure's message names what failed and the system's reason; without a detail the
// status text says it.
TEST(ArchiveStatusMessages, DetailAndSystemErrorMakeTheMessage) {
  const ArchiveResult denied{ArchiveStatus::kCabinetWriteFailed, EACCES, "cannot create /x/A.CAB"};
  EXPECT_EQ(denied.Message(), "cannot create /x/A.CAB: permission denied");
  EXPECT_EQ((ArchiveResult{ArchiveStatus::kDamaged, 0, ""}.Message()), "the cabinet is damaged");
}

// With at most 5 file records a cabinet, 12 files continue into following cabinets
// (none of them stores a wrapped count); a folder with more blocks in one cabinet than
// the limit fails with the reason, and a failed run leaves no cabinet behind.
TEST(CabWriterLimits, FullCabinetsContinueAndTooManyBlocksFailCleanly) {
  ScratchFolder folder;
  std::vector<SourceFile> files;
  for (int i = 0; i < 12; ++i) files.push_back({"f" + std::to_string(i) + ".txt", TextBytes(3000 + 997 * i, i)});
  const auto paths = PlaceSources(folder, files);

  for (std::uint16_t type : {std::uint16_t{0x0001}, std::uint16_t{0x0F03}}) {
    SCOPED_TRACE(type);
    CabinetCreateOptions options;
    options.typeCompress = type;
    options.folderThreshold = 8000;  // several folders, so a cabinet fills with a folder closed, too
    cab::CabWriterLimits limits;
    limits.filesPerCabinet = 5;
    ArchiveResult result;
    const std::string stem = "Many" + std::to_string(type);
    ASSERT_TRUE(
        CreateCabinetArchiveWithLimits({folder / stem, paths, folder / "src", true, options, limits}, {}, result))
        << result.Message();
    const auto cabinets = CabinetsOf(folder, stem);
    EXPECT_EQ(cabinets.size(), 3u);
    for (const std::string& name : cabinets) {
      cab::CabDirectory directory;
      ArchiveStatus code = ArchiveStatus::kOk;
      ASSERT_TRUE(cab::ReadCabinetDirectory(folder / name, directory, code)) << name;
      EXPECT_LE(directory.header.fileCount, 5) << name;
    }
    const std::string dest = folder / ("x" + stem);
    EXPECT_EQ(ExtractWithReader(folder / (stem + ".CAB"), dest), "");
    EXPECT_TRUE(SameFiles(files, dest));
  }

  CabinetCreateOptions options;
  options.typeCompress = 0;
  cab::CabWriterLimits limits;
  limits.blocksPerFolder = 3;
  ArchiveResult result;
  const auto big = PlaceSources(folder, {{"big.bin", RandomBytes(5 * 32768, 9)}});
  EXPECT_FALSE(
      CreateCabinetArchiveWithLimits({folder / "Blocks", big, std::nullopt, true, options, limits}, {}, result));
  EXPECT_EQ(result.status, ArchiveStatus::kFormatLimit);
  EXPECT_NE(result.Message().find("more than 3 data blocks"), std::string::npos) << result.Message();
  EXPECT_TRUE(CabinetsOf(folder, "Blocks").empty());

  // A maximum size too small for any data block: the first cabinet was complete, yet
  // nothing of the failed set stays.
  options = {};
  options.typeCompress = 0;
  options.maxCabinetSize = 100;
  const auto zeros = PlaceSources(folder, {{"z.bin", Bytes(74496, 0)}});
  EXPECT_FALSE(CreateCabinetArchive(folder / "Tiny", zeros, std::nullopt, true, {}, options, result));
  EXPECT_NE(result.Message().find("too small"), std::string::npos) << result.Message();
  EXPECT_TRUE(CabinetsOf(folder, "Tiny").empty());
}

TEST(CabinetEntryName, ResolvesDotsAndRefusesNamesLeavingTheBase) {
  const std::string base = "bb";
  EXPECT_EQ(CabinetEntryName("bb/./inner/../inner/q.txt", base), "inner\\q.txt");
  EXPECT_EQ(CabinetEntryName("bb/inner/./q.txt", std::string("bb/.")), "inner\\q.txt");
  EXPECT_EQ(CabinetEntryName("bb/inner/../../etc/passwd", base), "");  // spelled inside, lands outside
  EXPECT_EQ(CabinetEntryName("other/../x/q.txt", base), "q.txt");     // plainly outside: the bare name
  EXPECT_EQ(CabinetEntryName("bb/..", std::nullopt), "");

  ScratchFolder folder;
  const auto paths = PlaceSources(folder, {{"bb/inner/q.txt", TextBytes(100, 1)}});
  const std::string root = (folder.path() / "src").string();
  ArchiveResult result;
  ASSERT_TRUE(CreateCabinetArchive(folder / "Dots", {root + "/bb/./inner/../inner/q.txt"}, root + "/bb", true, {}, {},
                                   result))
      << result.Message();
  ArchiveNameList names;
  ASSERT_TRUE(ListCabinetEntries(folder / "Dots.CAB", names, 10));
  EXPECT_EQ(names, ArchiveNameList{"inner\\q.txt"});

  EXPECT_FALSE(CreateCabinetArchive(folder / "Out", {root + "/bb/inner/q.txt", root + "/bb/inner/../q.txt"},
                                    root + "/bb/inner", true, {}, {}, result));
  EXPECT_EQ(result.status, ArchiveStatus::kNameRefused);
  EXPECT_FALSE(fs::exists(folder / "Out.CAB"));
}

// A set where files begin in the second and third cabinets, listed and extracted from the
// first through the library helpers; started at the second cabinet, the extraction says
// that the set starts elsewhere.
TEST(CabinetSetHelpers, ListAndExtractWalkTheWholeSet) {
  ScratchFolder folder;
  const std::vector<SourceFile> files = {{"a.bin", RandomBytes(70000, 1)},
                                         {"b.bin", RandomBytes(40000, 2)},
                                         {"c.txt", TextBytes(2000, 3)}};
  const auto paths = PlaceSources(folder, files);
  CabinetCreateOptions options;
  options.typeCompress = 1;
  options.maxCabinetSize = 45000;
  ASSERT_TRUE(CreateCabinetArchive(folder / "Set", paths, folder / "src", true, {}, options));
  ASSERT_TRUE(fs::exists(folder / "Set2.CAB"));

  ArchiveNameList names;
  ASSERT_TRUE(ListCabinetEntries(folder / "Set.CAB", names, 999));
  EXPECT_EQ(names, (ArchiveNameList{"a.bin", "b.bin", "c.txt"}));
  fs::create_directories(folder.path() / "x");
  ASSERT_TRUE(ExtractCabinetEntries(folder / "Set.CAB", {"A.BIN", "b.bin", "c.txt"}, folder / "x"));
  EXPECT_TRUE(SameFiles(files, folder / "x"));

  ArchiveResult result;
  fs::create_directories(folder.path() / "y");
  EXPECT_FALSE(ExtractCabinetEntries(folder / "Set1.CAB", {"a.bin", "b.bin", "c.txt"}, folder / "y", nullptr, result));
  EXPECT_EQ(result.status, ArchiveStatus::kNotFirstCabinet);
  EXPECT_NE(result.Message().find("the set begins with Set.CAB"), std::string::npos) << result.Message();
}

// A last name component of 255 bytes is valid in the format and comes back out.
TEST(CabinetExtraction, LongestNamesAreExtracted) {
  ScratchFolder folder;
  const std::vector<SourceFile> files = {{std::string(255, 'n'), TextBytes(5000, 1)},
                                         {"d\\" + std::string(250, 'm'), TextBytes(10, 2)}};
  const WriterOutcome out = RunWriter(folder, files, WriterFor(folder, 0x0001));
  ASSERT_TRUE(out.flushed) << out.error.Message();
  EXPECT_EQ(ExtractWithReader(folder / "test.CAB", folder / "x"), "");
  EXPECT_TRUE(SameFiles(files, folder / "x"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path() / "x"), fs::directory_iterator()), 2);
}

// kraxctl says why: the file it could not create, the block that is damaged; names from
// the cabinet are echoed with their control characters escaped.
TEST(KraxctlCabReasons, CreateAndExtractSayWhyAndNamesAreEscaped) {
#ifdef _WIN32
  GTEST_SKIP() << "file names with control characters cannot exist on Windows";
#else
  ScratchFolder folder;
  const std::vector<SourceFile> files = {{"plain.txt", TextBytes(40000, 1)}, {"bad\x1b[2J\r.txt", TextBytes(10, 2)}};
  const auto paths = PlaceSources(folder, {files[0]});
  auto run = test::RunKraxctl({"cab", "create", folder / "no/Out", paths[0]});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("cannot create " + (folder / "no/Out.CAB") + ": no such file or directory"),
            std::string::npos)
      << run.err;

  const WriterOutcome out = RunWriter(folder, files, WriterFor(folder, 0x0000));
  ASSERT_TRUE(out.flushed);
  run = test::RunKraxctl({"cab", "list", folder / "test.CAB"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("bad\\x1b[2J\\x0d.txt"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos);

  // Damage the second data block: the extraction names it.
  Bytes cab = ReadBytes(folder / "test.CAB");
  cab::CabDirectory directory;
  ArchiveStatus code = ArchiveStatus::kOk;
  ASSERT_TRUE(cab::ReadCabinetDirectory(folder / "test.CAB", directory, code));
  const std::size_t secondBlockData = directory.folders[0].firstBlockOffset + 8 + 32768 + 8;
  cab[secondBlockData + 5] ^= 0x40;
  WriteBytes(folder / "test.CAB", cab);
  run = test::RunKraxctl({"cab", "extract", folder / "test.CAB", folder / "x"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("checksum mismatch in block 1 of folder 0"), std::string::npos) << run.err;
#endif
}

}  // namespace
}  // namespace krax::cab_test
