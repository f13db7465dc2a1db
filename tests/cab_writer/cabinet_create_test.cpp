// CreateCabinetArchive and `kraxctl cab create`: names in the cabinet, the overwrite
// question, progress texts, sets, and the cabinets coming back through the reader.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/cab/cab_format.h"
#include "archive/cabinet_create.h"
#include "cab_writer_harness.h"
#include "support/run_kraxctl.h"

namespace krax::cab_test {
namespace {
namespace fs = std::filesystem;

TEST(CabinetEntryName, IsThePathBelowTheBaseFolderOrTheBareName) {
  EXPECT_EQ(CabinetEntryName("C:\\Cars\\Beta\\car.viv", std::string("C:\\Cars\\Beta")), "car.viv");
  EXPECT_EQ(CabinetEntryName("C:\\Cars\\Beta\\sub\\a.bin", std::string("C:\\Cars\\Beta")), "sub\\a.bin");
  EXPECT_EQ(CabinetEntryName("/cars/Beta/sub/a.bin", std::string("/cars/Beta/")), "sub\\a.bin");
  EXPECT_EQ(CabinetEntryName("/cars/Beta/sub\\a.bin", std::string("/cars\\Beta")), "sub\\a.bin");
  EXPECT_EQ(CabinetEntryName("C:\\Cars\\Beta\\car.viv", std::nullopt), "car.viv");
  EXPECT_EQ(CabinetEntryName("/cars/Beta/car.viv", std::nullopt), "car.viv");
  EXPECT_EQ(CabinetEntryName("car.viv", std::nullopt), "car.viv");
  // Components, not characters: "Beta2" does not lie inside "Beta".
  EXPECT_EQ(CabinetEntryName("/cars/Beta2/car.viv", std::string("/cars/Beta")), "car.viv");
}

struct Recorded {
  std::vector<std::string> status, questions;
  int busyOn = 0, busyOff = 0;
  bool answer = true;
  ArchiveCallbacks callbacks() {
    ArchiveCallbacks c;
    c.status = [this](const std::string& t) { status.push_back(t); };
    c.askYesNo = [this](const std::string& q) {
      questions.push_back(q);
      return answer;
    };
    c.busy = [this](bool b) { (b ? busyOn : busyOff)++; };
    return c;
  }
};

std::vector<SourceFile> CarFiles() {
  return {{"car.viv", MixedBytes(200000, 1)}, {"sub\\readme.txt", TextBytes(3000, 2)}, {"empty.dat", {}}};
}

std::vector<std::string> PlaceFiles(const ScratchFolder& folder, const std::vector<SourceFile>& files) {
  std::vector<std::string> paths;
  for (const SourceFile& f : files) {
    std::string rel = f.name;
    for (char& c : rel) {
      if (c == '\\') c = '/';
    }
    const fs::path p = folder.path() / "Beta" / rel;
    fs::create_directories(p.parent_path());
    WriteBytes(p.string(), f.content);
    paths.push_back(p.string());
  }
  return paths;
}

TEST(CreateCabinetArchive, WritesLzxCabinetWithNamesBelowTheBase) {
  ScratchFolder folder;
  const auto files = CarFiles();
  const auto paths = PlaceFiles(folder, files);
  Recorded rec;
  ASSERT_TRUE(CreateCabinetArchive(folder / "Out", paths, folder / "Beta", true, rec.callbacks()));
  const Bytes cab = ReadBytes(folder / "Out.CAB");
  ASSERT_GE(cab.size(), 44u);
  EXPECT_EQ(cab::LoadLE16(cab.data() + 30), 0);       // flags: a single cabinet
  EXPECT_EQ(cab::LoadLE16(cab.data() + 32), 12345);   // setID
  EXPECT_EQ(cab::LoadLE16(cab.data() + 36 + 6), 0x1503);
  EXPECT_EQ(ExtractWithReader(folder / "Out.CAB", folder / "x"), "");
  EXPECT_TRUE(SameFiles(files, folder / "x"));
  ASSERT_FALSE(rec.status.empty());
  // Totals over the whole run: the last text counts every byte of the three files.
  EXPECT_EQ(rec.status.back().rfind("File empty.dat Compressing:    203000 -> ", 0), 0u) << rec.status.back();
  EXPECT_NE(rec.status.front().find("File car.viv Compressing:     "), std::string::npos) << rec.status.front();
  EXPECT_TRUE(rec.questions.empty());
  EXPECT_GE(rec.busyOn, 1);
  EXPECT_EQ(rec.busyOn, rec.busyOff);
}

TEST(CreateCabinetArchive, AsksBeforeReplacingAndKeepsTheFileOnNo) {
  ScratchFolder folder;
  const auto paths = PlaceFiles(folder, CarFiles());
  WriteBytes(folder / "Out.CAB", {1, 2, 3});
  Recorded rec;
  rec.answer = false;
  EXPECT_FALSE(CreateCabinetArchive(folder / "Out", paths, std::nullopt, false, rec.callbacks()));
  ASSERT_EQ(rec.questions.size(), 1u);
  EXPECT_EQ(rec.questions[0], "File " + (folder / "Out.CAB") + " exist. Overwrite ?");
  EXPECT_EQ(ReadBytes(folder / "Out.CAB"), (Bytes{1, 2, 3}));
  rec.answer = true;
  EXPECT_TRUE(CreateCabinetArchive(folder / "Out", paths, std::nullopt, false, rec.callbacks()));
  EXPECT_EQ(rec.questions.size(), 2u);
  EXPECT_EQ(ExtractWithReader(folder / "Out.CAB", folder / "x"), "");
  // Without a base folder the names are the bare file names.
  EXPECT_TRUE(fs::exists(folder.path() / "x" / "readme.txt"));
}

TEST(CreateCabinetArchive, SetsAreNamedWithTheCabinetNumber) {
  ScratchFolder folder;
  const std::vector<SourceFile> files = {{"a.bin", RandomBytes(100000, 4)}, {"b.bin", RandomBytes(30000, 5)}};
  const auto paths = PlaceFiles(folder, files);
  CabinetCreateOptions options;
  options.typeCompress = 1;
  options.maxCabinetSize = 50000;
  Recorded rec;
  ASSERT_TRUE(CreateCabinetArchive(folder / "Set", paths, folder / "Beta", true, rec.callbacks(), options));
  EXPECT_TRUE(fs::exists(folder / "Set.CAB"));
  EXPECT_TRUE(fs::exists(folder / "Set1.CAB"));
  EXPECT_TRUE(fs::exists(folder / "Set2.CAB"));
  EXPECT_EQ(ExtractWithReader(folder / "Set.CAB", folder / "x"), "");
  EXPECT_TRUE(SameFiles(files, folder / "x"));
}

TEST(CreateCabinetArchive, AMaximumTooSmallForAnyDataFailsInsteadOfWritingCabinetsForEver) {
  ScratchFolder folder;
  const std::vector<SourceFile> files = {{"z.bin", Bytes(74496, 0)}, {"e.bin", Bytes{}}};
  const auto paths = PlaceFiles(folder, files);
  for (std::uint32_t maximum : {1u, 50u, 100u}) {
    CabinetCreateOptions options;
    options.typeCompress = 0;
    options.maxCabinetSize = maximum;
    Recorded rec;
    EXPECT_FALSE(CreateCabinetArchive(folder / "Tiny", paths, std::nullopt, true, rec.callbacks(), options))
        << maximum;
    EXPECT_FALSE(fs::exists(folder / "Tiny3.CAB")) << maximum;
  }
}

TEST(CreateCabinetArchive, FailsForAMissingSourceOrAnUnwritableFolder) {
  ScratchFolder folder;
  Recorded rec;
  EXPECT_FALSE(CreateCabinetArchive(folder / "Out", {folder / "missing.bin"}, std::nullopt, true, rec.callbacks()));
  const auto paths = PlaceFiles(folder, CarFiles());
  EXPECT_FALSE(CreateCabinetArchive(folder / "no/Out", paths, std::nullopt, true, rec.callbacks()));
  EXPECT_FALSE(fs::exists(folder / "no"));
  // The empty list gives the 36-byte cabinet.
  EXPECT_TRUE(CreateCabinetArchive(folder / "Empty", {}, std::nullopt, true, rec.callbacks()));
  EXPECT_EQ(fs::file_size(folder / "Empty.CAB"), 36u);
}

TEST(KraxctlCabCreate, PacksRelativeToBaseWithTheChosenMethodAndLevel) {
  ScratchFolder folder;
  const auto files = CarFiles();
  const auto paths = PlaceFiles(folder, files);
  for (const char* method : {"none", "mszip", "lzx", "lzx1"}) {
    SCOPED_TRACE(method);
    const bool lzx = std::string(method).rfind("lzx", 0) == 0;
    std::vector<std::string> args = {"cab", "create", folder / (std::string("Out_") + method)};
    args.insert(args.end(), paths.begin(), paths.end());
    args.insert(args.end(), {"--base", folder / "Beta", "--method", lzx ? "lzx" : method});
    if (lzx) args.insert(args.end(), {"--window", "16", "--verbose"});
    if (std::string(method) == "lzx1") args.insert(args.end(), {"--level", "1"});
    const auto run = test::RunKraxctl(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // Not a terminal: status lines only when asked for.
    EXPECT_EQ(run.err.find("Compressing:") != std::string::npos, lzx) << run.err;
    const std::string cab = folder / (std::string("Out_") + method + ".CAB");
    const Bytes bytes = ReadBytes(cab);
    ASSERT_GE(bytes.size(), 44u);
    const std::uint16_t expected = std::string(method) == "none" ? 0 : std::string(method) == "mszip" ? 1 : 0x1003;
    EXPECT_EQ(cab::LoadLE16(bytes.data() + 42), expected);
    EXPECT_EQ(ExtractWithReader(cab, folder / (std::string("x_") + method)), "");
    EXPECT_TRUE(SameFiles(files, folder / (std::string("x_") + method)));
  }
}

TEST(KraxctlCabCreate, MaxSizeMakesASetAndBadArgumentsAreUsageErrors) {
  ScratchFolder folder;
  const auto paths = PlaceFiles(folder, {{"a.bin", RandomBytes(80000, 3)}});
  auto run = test::RunKraxctl({"cab", "create", folder / "S", paths[0], "--max-size", "40000"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder / "S1.CAB"));
  EXPECT_EQ(test::RunKraxctl({"cab", "create", folder / "S", paths[0], "--window", "22"}).exitCode, 2);
  EXPECT_EQ(test::RunKraxctl({"cab", "create", folder / "S", paths[0], "--method", "quantum"}).exitCode, 2);
  EXPECT_EQ(test::RunKraxctl({"cab", "create", folder / "S", paths[0], "--level", "4"}).exitCode, 2);
  EXPECT_EQ(test::RunKraxctl({"cab", "create", folder / "S", paths[0], "--level", "0"}).exitCode, 2);
  EXPECT_EQ(test::RunKraxctl({"cab", "create", folder / "S", paths[0], "--method", "mszip", "--level", "2"}).exitCode,
            2);
  EXPECT_EQ(test::RunKraxctl({"cab", "create", folder / "S"}).exitCode, 2);
  EXPECT_EQ(test::RunKraxctl({"cab", "create", folder / "S", folder / "nothing"}).exitCode, 1);
}

}  // namespace
}  // namespace krax::cab_test
