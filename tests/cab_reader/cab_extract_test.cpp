// ListCabinetEntries, ExtractCabinetEntries and `kraxctl cab` on real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "archive/archive_name_list.h"
#include "archive/cab/cab_entries.h"
#include "archive/safe_entry_name.h"
#include "cab_test_support.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

namespace krax::test {
namespace {

class TempFolder {
 public:
  const std::string& path() const { return scratch_.path(); }
  std::string operator/(const std::string& name) const { return JoinPath(path(), name); }

 private:
  ScratchFolder scratch_;
};

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string Slurp(const std::string& path) { return ReadWholeFile(path).value_or("<missing>"); }

Bytes SampleCabinet() {
  CabinetSpec spec;
  const std::vector<std::pair<std::string, std::string>> files = {
      {"car.viv", "viv data"}, {"Data\\carp.txt", "serial 1234"}, {"empty.txt", ""}, {"ro.bin", "locked"}};
  spec.folders = {MszipFolder(Joined(files))};
  spec.files = FilesInFolder(files);
  spec.files[0].date = (44 << 9) | (3 << 5) | 17;  // 2024-03-17
  spec.files[0].time = (13 << 11) | (45 << 5) | 10;  // 13:45:20
  spec.files[3].attribs = cab::kAttribReadOnly | cab::kAttribHidden;
  return BuildCabinet(spec);
}

TEST(CabEntries, ListGivesEveryNameUpToTheCapacity) {
  TempFolder temp;
  WriteBytes(temp / "s.cab", SampleCabinet());
  ArchiveNameList names = {"stale"};
  ASSERT_TRUE(ListCabinetEntries(temp / "s.cab", names, 999));
  EXPECT_EQ(names, (ArchiveNameList{"car.viv", "Data\\carp.txt", "empty.txt", "ro.bin"}));
  ASSERT_TRUE(ListCabinetEntries(temp / "s.cab", names, 2));
  EXPECT_EQ(names, (ArchiveNameList{"car.viv", "Data\\carp.txt"}));

  WriteBytes(temp / "bad.cab", ToBytes("!CAB and nothing else, not a cabinet at all"));
  EXPECT_FALSE(ListCabinetEntries(temp / "bad.cab", names, 999));
  EXPECT_FALSE(ListCabinetEntries(temp / "none.cab", names, 999));
}

TEST(CabEntries, ExtractMatchesNamesIgnoringCaseAndKeepsDatesAndReadOnly) {
  TempFolder temp;
  WriteBytes(temp / "s.cab", SampleCabinet());
  const std::string dest = temp / "out";
  ASSERT_TRUE(CreateFolder(dest).ok());
  int busyCalls = 0;
  ArchiveCallbacks callbacks;
  callbacks.busy = [&](bool) { ++busyCalls; };
  ASSERT_TRUE(ExtractCabinetEntries(temp / "s.cab", {"CAR.VIV", "data\\CARP.TXT", "empty.txt", "ro.bin"}, dest,
                                    &callbacks));
  EXPECT_EQ(busyCalls, 2);
  EXPECT_EQ(Slurp(JoinPath(dest, "car.viv")), "viv data");
  EXPECT_EQ(Slurp(JoinPath(dest, "Data/carp.txt")), "serial 1234");
  EXPECT_EQ(Slurp(JoinPath(dest, "empty.txt")), "");
  const auto when = FileDosTime(JoinPath(dest, "car.viv"));
  ASSERT_TRUE(when.has_value());
  EXPECT_EQ(when->date, (44 << 9) | (3 << 5) | 17);
  EXPECT_EQ(when->time, (13 << 11) | (45 << 5) | 10);
  EXPECT_TRUE(IsReadOnly(JoinPath(dest, "ro.bin")));
  EXPECT_FALSE(IsReadOnly(JoinPath(dest, "car.viv")));
  // Only the chosen entries, and no temporary files left behind.
  ASSERT_TRUE(ExtractCabinetEntries(temp / "s.cab", {"car.viv"}, temp / "out"));
  EXPECT_EQ(ListFolder(dest).size(), 4u);
}

TEST(CabEntries, MissingDestinationFailsAndCreatesNothing) {
  TempFolder temp;
  WriteBytes(temp / "s.cab", SampleCabinet());
  EXPECT_FALSE(ExtractCabinetEntries(temp / "s.cab", {"car.viv"}, temp / "nowhere"));
  EXPECT_FALSE(IsFolder(temp / "nowhere"));
  // Nothing chosen: nothing to create, the walk succeeds.
  EXPECT_TRUE(ExtractCabinetEntries(temp / "s.cab", {"other"}, temp / "nowhere"));
}

TEST(CabEntries, FailedExtractionKeepsTheExistingFile) {
  TempFolder temp;
  CabinetSpec spec;
  spec.folders = {StoredFolder(std::string(100, 'n'), 50)};
  spec.folders[0].blocks[1].csum = BlockSpec::Csum::kWrong;
  spec.files = FilesInFolder({{"car.viv", std::string(100, 'n')}});
  WriteBytes(temp / "d.cab", BuildCabinet(spec));
  WriteBytes(temp / "car.viv", ToBytes("the old car"));
  EXPECT_FALSE(ExtractCabinetEntries(temp / "d.cab", {"car.viv"}, temp.path()));
  EXPECT_EQ(Slurp(temp / "car.viv"), "the old car");
  EXPECT_EQ(ListFolder(temp.path()).size(), 2u);  // d.cab and car.viv, no leftovers
}

TEST(CabEntries, UnsafeNamesAreNeverWrittenOutside) {
  EXPECT_FALSE(SafeRelativeComponents("..\\evil").has_value());
  EXPECT_FALSE(SafeRelativeComponents("a\\..\\..\\evil").has_value());
  EXPECT_FALSE(SafeRelativeComponents("\\abs").has_value());
  EXPECT_FALSE(SafeRelativeComponents("/abs").has_value());
  EXPECT_FALSE(SafeRelativeComponents("C:evil").has_value());
  EXPECT_FALSE(SafeRelativeComponents("").has_value());
  EXPECT_EQ(*SafeRelativeComponents("a\\.\\b..c\\d"), (std::vector<std::string>{"a", "b..c", "d"}));

  TempFolder temp;
  CabinetSpec spec;
  spec.folders = {StoredFolder("badgood")};
  spec.files = FilesInFolder({{"..\\evil", "bad"}, {"good.txt", "good"}});
  WriteBytes(temp / "e.cab", BuildCabinet(spec));
  ASSERT_TRUE(CreateFolder(temp / "out").ok());
  EXPECT_FALSE(ExtractCabinetEntries(temp / "e.cab", {"..\\evil", "good.txt"}, temp / "out"));
  EXPECT_FALSE(IsFile(temp / "evil"));
}

// --- kraxctl ---------------------------------------------------------------------------------

struct RunResult {
  test::ExitStatus exitCode;
  std::string out, err;
};

// `arguments` are written as a shell takes them; they are split the same way and kraxctl
// is started directly.
RunResult RunKraxctl(const std::string& arguments, const TempFolder&) {
  const test::KraxctlRun run = test::RunKraxctlLine(arguments);
  return {run.exitCode, run.out, run.err};
}

TEST(KraxctlCab, ExtractRefusesClimbingNamesAndWritesTheRest) {
  TempFolder temp;
  CabinetSpec spec;
  spec.folders = {StoredFolder("badgoodsub")};
  spec.files = FilesInFolder({{"..\\evil", "bad"}, {"good.txt", "good"}, {"dir\\sub.txt", "sub"}});
  WriteBytes(temp / "e.cab", BuildCabinet(spec));
  const RunResult result = RunKraxctl("cab extract '" + (temp / "e.cab") + "' '" + (temp / "out") + "'", temp);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("..\\evil"), std::string::npos) << result.err;
  EXPECT_FALSE(IsFile(temp / "evil"));
  EXPECT_EQ(Slurp(temp / "out/good.txt"), "good");
  EXPECT_EQ(Slurp(temp / "out/dir/sub.txt"), "sub");
}

TEST(KraxctlCab, ListShowsOneLinePerFile) {
  TempFolder temp;
  WriteBytes(temp / "s.cab", SampleCabinet());
  const RunResult result = RunKraxctl("cab list '" + (temp / "s.cab") + "'", temp);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::istringstream lines(result.out);
  std::vector<std::string> all;
  for (std::string line; std::getline(lines, line);) all.push_back(line);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0], "         8 2024-03-17 13:45:20 ---a- 0 mszip car.viv");
  EXPECT_EQ(all[3], "         6 2024-01-01 12:00:00 rh--- 0 mszip ro.bin");

  const RunResult bad = RunKraxctl("cab list '" + (temp / "missing.cab") + "'", temp);
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("error 1"), std::string::npos) << bad.err;
}

TEST(KraxctlCab, ExtractWalksAWholeSetAndReportsAMissingCabinet) {
  TempFolder temp;
  // Two cabinets: "long" crosses from the first into the second, "late" begins there.
  const std::string longFile(90, 'L');
  const Bytes all = ToBytes(longFile);
  CabinetSpec first;
  first.nextCabinet = "kit2.cab";
  first.folders = {FolderSpec{0, {BlockSpec{Bytes(all.begin(), all.begin() + 64), 64},
                                  BlockSpec{Bytes(all.begin() + 64, all.begin() + 70), 0}}}};
  first.files = FilesInFolder({{"long", longFile}});
  first.files[0].folderIndex = cab::kFolderContinuedToNext;
  CabinetSpec second;
  second.cabinetIndex = 1;
  second.prevCabinet = "kit1.cab";
  second.folders = {FolderSpec{0, {BlockSpec{Bytes(all.begin() + 70, all.end()), 26}}}, StoredFolder("late!")};
  second.files = FilesInFolder({{"long", longFile}});
  second.files[0].folderIndex = cab::kFolderContinuedFromPrev;
  auto late = FilesInFolder({{"late.txt", "late!"}}, 1);
  second.files.push_back(late[0]);
  WriteBytes(temp / "kit1.cab", BuildCabinet(first));
  WriteBytes(temp / "kit2.cab", BuildCabinet(second));

  const RunResult result = RunKraxctl("cab extract '" + (temp / "kit1.cab") + "' '" + (temp / "out") + "'", temp);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Slurp(temp / "out/long"), longFile);
  EXPECT_EQ(Slurp(temp / "out/late.txt"), "late!");

  std::remove((temp / "kit2.cab").c_str());
  const RunResult missing = RunKraxctl("cab extract '" + (temp / "kit1.cab") + "' '" + (temp / "out2") + "'", temp);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("kit2.cab"), std::string::npos) << missing.err;
}

TEST(KraxctlCab, CabinetNamingItselfAsNextEndsWithAnError) {
  TempFolder temp;
  CabinetSpec loop;
  loop.nextCabinet = "loop.cab";
  loop.folders = {StoredFolder("once")};
  loop.files = FilesInFolder({{"once.txt", "once"}});
  WriteBytes(temp / "loop.cab", BuildCabinet(loop));
  const RunResult result = RunKraxctl("cab extract '" + (temp / "loop.cab") + "' '" + (temp / "out") + "'", temp);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("does not belong to the set"), std::string::npos) << result.err;
  EXPECT_EQ(Slurp(temp / "out/once.txt"), "once");
}

TEST(KraxctlCab, NamedExtractionAndUsage) {
  TempFolder temp;
  WriteBytes(temp / "s.cab", SampleCabinet());
  const RunResult named = RunKraxctl("cab extract '" + (temp / "s.cab") + "' '" + (temp / "o") + "' CAR.VIV", temp);
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(ListFolder(temp / "o").size(), 1u);
  EXPECT_EQ(RunKraxctl("cab frobnicate", temp).exitCode, 2);
  EXPECT_EQ(RunKraxctl("cab list", temp).exitCode, 2);
}

}  // namespace
}  // namespace krax::test
