#include "platform/file_system.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/file_system_detail.h"
#include "platform/path.h"
#include "platform/temporary_file.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

using test::ReadFileBytes;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& e : ListFolder(folder)) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

// The no-replace rename, through renameat2 and through the fallback for file systems
// without it: both must refuse an existing target, even an empty folder.
class NoReplaceRename : public ::testing::TestWithParam<bool> {
 protected:
  FsResult Rename(const std::string& from, const std::string& to, bool isFolder) {
    return GetParam() ? detail::RenameNoReplaceFallback(from, to, isFolder) : RenameNoReplace(from, to);
  }
  test::ScratchFolder dir;
};

TEST_P(NoReplaceRename, FileOntoExistingFileIsRefusedAndBothStay) {
  std::string from = dir.write("car.viv", "new");
  std::string to = dir.write("car.viv.dis", "old");
  FsResult r = Rename(from, to, false);
  EXPECT_EQ(r.status, FsStatus::kAlreadyExists);
  EXPECT_EQ(ReadFileBytes(from), "new");
  EXPECT_EQ(ReadFileBytes(to), "old");
}

TEST_P(NoReplaceRename, OntoAnEmptyFolderIsRefused) {
  std::string file = dir.write("car.viv", "x");
  std::string folder = dir.mkdir("0001");
  std::string target = dir.mkdir("ABCD");
  EXPECT_EQ(Rename(file, target, false).status, FsStatus::kAlreadyExists);
  EXPECT_EQ(Rename(folder, target, true).status, FsStatus::kAlreadyExists);
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_TRUE(IsFile(file));
  EXPECT_TRUE(ListFolder(target).empty());
}

TEST_P(NoReplaceRename, ToAFreeNameMoves) {
  std::string from = dir.write("0001/car.viv", "car");
  ASSERT_TRUE(Rename(dir / "0001", dir / "ABCD", true).ok());
  EXPECT_FALSE(IsFolder(dir / "0001"));
  EXPECT_EQ(ReadFileBytes(dir / "ABCD/car.viv"), "car");
  ASSERT_TRUE(Rename(dir / "ABCD/car.viv", dir / "ABCD/car.viv.dis", false).ok());
  EXPECT_EQ(Names(dir / "ABCD"), std::vector<std::string>{"car.viv.dis"});
}

INSTANTIATE_TEST_SUITE_P(Renameat2AndFallback, NoReplaceRename, ::testing::Bool());

TEST(RenameNoReplace, MissingSourceIsNotFound) {
  test::ScratchFolder dir;
  EXPECT_EQ(RenameNoReplace(dir / "none", dir / "other").status, FsStatus::kNotFound);
}

// A rename that changes only the capitals of a folder's or a file's name takes the new
// spelling, also where lookups ignore case (Windows, Wine), and leaves nothing beside it.
TEST(RenameNoReplace, ChangingOnlyTheCapitalsTakesTheNewSpelling) {
  test::ScratchFolder dir;
  dir.write("nixo/car.viv", "car");
  ASSERT_TRUE(RenameNoReplace(dir / "nixo", dir / "NIXO").ok());
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"NIXO"});
  ASSERT_TRUE(RenameNoReplace(dir / "NIXO/car.viv", dir / "NIXO/CAR.VIV").ok());
  EXPECT_EQ(Names(dir / "NIXO"), std::vector<std::string>{"CAR.VIV"});
  EXPECT_EQ(ReadFileBytes(dir / "NIXO/CAR.VIV"), "car");
}

TEST(RenameNoReplace, AcrossFileSystemsCopiesThenDeletes) {
#ifdef _WIN32
  GTEST_SKIP() << "a second file system at /dev/shm is a Linux matter";
#else
  test::ScratchFolder local;
  const std::string otherRoot = "/dev/shm";
  struct stat a, b;
  if (::stat(otherRoot.c_str(), &b) != 0 || ::stat(local.path().c_str(), &a) != 0 || a.st_dev == b.st_dev) {
    GTEST_SKIP() << "no second file system at " << otherRoot;
  }
  std::string pattern = otherRoot + "/krax-move-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::string other = pattern;

  local.write("Track1/Atrack.ini", "[Tracks]\r\n");
  local.write("Track1/Sub/t.bin", std::string(100000, 'x'));
  ASSERT_TRUE(RenameNoReplace(local / "Track1", other + "/Track1").ok());
  EXPECT_FALSE(IsFolder(local / "Track1"));
  EXPECT_EQ(ReadFileBytes(other + "/Track1/Sub/t.bin"), std::string(100000, 'x'));

  std::string file = local.write("car.viv", "car");
  std::ofstream(other + "/car.viv") << "theirs";
  EXPECT_EQ(RenameNoReplace(file, other + "/car.viv").status, FsStatus::kAlreadyExists);
  EXPECT_EQ(ReadFileBytes(file), "car");
  ASSERT_TRUE(RenameNoReplace(file, other + "/car2.viv").ok());
  EXPECT_FALSE(IsFile(file));
  EXPECT_EQ(ReadFileBytes(other + "/car2.viv"), "car");
  std::filesystem::remove_all(other);
#endif
}

TEST(CopyFile, ReplacesOnlyWhenAskedAndNeverAReadOnlyFile) {
  test::ScratchFolder dir;
  std::string from = dir.write("new.viv", "new content");
  std::string to = dir.write("car.viv", "old");
  EXPECT_EQ(CopyFile(from, to, false).status, FsStatus::kAlreadyExists);
  EXPECT_EQ(ReadFileBytes(to), "old");
  ASSERT_TRUE(CopyFile(from, to).ok());
  EXPECT_EQ(ReadFileBytes(to), "new content");

  std::string locked = dir.write("locked.viv", "keep");
  ASSERT_TRUE(SetReadOnly(locked, true).ok());
  EXPECT_FALSE(CopyFile(from, locked).ok());
  EXPECT_EQ(ReadFileBytes(locked), "keep");

  EXPECT_EQ(CopyFile(dir / "missing", to).status, FsStatus::kNotFound);
  EXPECT_EQ(ReadFileBytes(to), "new content");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"car.viv", "locked.viv", "new.viv"}));  // no temporaries
}

TEST(CopyFile, KeepsTheModificationTime) {
  test::ScratchFolder dir;
  std::string from = dir.write("a", "x");
  DosDateTime when{static_cast<std::uint16_t>((20 << 9) | (6 << 5) | 15), static_cast<std::uint16_t>((10 << 11) | (30 << 5))};
  ASSERT_TRUE(SetFileDosTime(from, when).ok());
  ASSERT_TRUE(CopyFile(from, dir / "b").ok());
  auto copied = FileDosTime(dir / "b");
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->date, when.date);
  EXPECT_EQ(copied->time, when.time);
}

TEST(DeleteFile, NeverDeletesAFolder) {
  test::ScratchFolder dir;
  std::string folder = dir.mkdir("Trk003");
  EXPECT_FALSE(DeleteFile(folder).ok());
  EXPECT_TRUE(IsFolder(folder));
  std::string file = dir.write("x.txt", "");
  EXPECT_TRUE(DeleteFile(file).ok());
  EXPECT_FALSE(IsFile(file));
  EXPECT_EQ(DeleteFile(file).status, FsStatus::kNotFound);
}

TEST(CreateFolder, OneLevelOrWithParents) {
  test::ScratchFolder dir;
  EXPECT_EQ(CreateFolder(dir / "a/b").status, FsStatus::kNotFound);
  EXPECT_TRUE(CreateFolder(dir / "a/b", true).ok());
  EXPECT_TRUE(CreateFolder(dir / "a/b", true).ok());
  EXPECT_EQ(CreateFolder(dir / "a/b").status, FsStatus::kAlreadyExists);
  dir.write("file", "");
  EXPECT_FALSE(CreateFolder(dir / "file/sub", true).ok());
  EXPECT_EQ(RemoveEmptyFolder(dir / "a").status, FsStatus::kAlreadyExists);  // not empty
  EXPECT_TRUE(RemoveEmptyFolder(dir / "a/b").ok());
}

TEST(ListFolder, NamesAndKindsWithoutDotEntries) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links to folders are a Linux matter";
#else
  test::ScratchFolder dir;
  dir.write("car.viv", "");
  dir.mkdir("Original");
  std::filesystem::create_directory_symlink(dir / "Original", dir / "link");
  std::vector<DirEntry> entries = ListFolder(dir.path());
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Original");
  EXPECT_TRUE(entries[0].isFolder);
  EXPECT_EQ(entries[1].name, "car.viv");
  EXPECT_FALSE(entries[1].isFolder);
  EXPECT_TRUE(entries[2].isFolder);  // a link to a folder is a folder
  EXPECT_TRUE(ListFolder(dir / "missing").empty());
  EXPECT_FALSE(ReadWholeFile(dir / "Original"));
  EXPECT_EQ(FileSize(dir / "car.viv"), 0u);
  EXPECT_FALSE(FileSize(dir / "Original"));
#endif
}

// A staging folder is gone with its files once dropped, and making a second one in the same
// object first drops the first.
TEST(TemporaryFolder, IsRemovedWithItsFilesAndReplacedWhenMadeAgain) {
  test::ScratchFolder dir;
  {
    TemporaryFolder staging;
    ASSERT_TRUE(TemporaryFolder::CreateIn(dir.path(), staging).ok());
    const std::string first = staging.path();
    ASSERT_TRUE(WriteFileAtomic(JoinPath(first, "PART.CAB"), "part").ok());
    ASSERT_TRUE(TemporaryFolder::CreateIn(dir.path(), staging).ok());
    EXPECT_NE(staging.path(), first);
    EXPECT_FALSE(PathExists(first));
    ASSERT_TRUE(WriteFileAtomic(JoinPath(staging.path(), "PART1.CAB"), "part").ok());
    EXPECT_EQ(ListFolder(dir.path(), true).size(), 1u);
  }
  EXPECT_TRUE(ListFolder(dir.path(), true).empty());
}

// Every temporary the program makes is named by one rule and made under a name nobody
// holds: a taken name is passed over, any other refusal ends the attempt with its reason.
TEST(TemporaryName, FollowsOneRuleAndPassesOverTakenNames) {
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = NewTemporaryName();
    EXPECT_TRUE(IsTemporaryName(name)) << name;
    ASSERT_EQ(name.size(), kTemporaryPrefix.size() + 8) << name;
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789", kTemporaryPrefix.size()),
              std::string::npos)
        << name;
    seen.insert(name);
  }
  EXPECT_EQ(seen.size(), 1000u);

  struct Case {
    const char* what;
    std::vector<int> refusals;  // the errors of the first tries, then success
    bool made;
    int error;
    std::size_t tries;
  };
  const std::vector<Case> cases = {
      {"free at once", {}, true, 0, 1},
      {"two names taken", {EEXIST, EEXIST}, true, 0, 3},
      {"no permission", {EACCES}, false, EACCES, 1},
      {"taken, then no space", {EEXIST, ENOSPC}, false, ENOSPC, 2},
      {"a refusal without a reason", {0}, false, EIO, 1},
      {"every name taken", std::vector<int>(200, EEXIST), false, EEXIST, 100},
  };
  for (const Case& c : cases) {
    std::vector<std::string> tried;
    int error = -1;
    const std::string name = CreateUnderTemporaryName(
        [&](const std::string& candidate, int& failure) {
          tried.push_back(candidate);
          if (tried.size() > c.refusals.size()) return true;
          failure = c.refusals[tried.size() - 1];
          return false;
        },
        error);
    EXPECT_EQ(!name.empty(), c.made) << c.what;
    EXPECT_EQ(tried.size(), c.tries) << c.what;
    if (c.made) {
      EXPECT_EQ(name, tried.back()) << c.what;
    } else {
      EXPECT_EQ(error, c.error) << c.what;
    }
    EXPECT_EQ(std::set<std::string>(tried.begin(), tried.end()).size(), tried.size()) << c.what;
  }
}

// The temporaries of every kind land in the chosen folder under that rule.
TEST(TemporaryName, FilesAndFoldersAreMadeUnderIt) {
  test::ScratchFolder dir;
  TemporaryFile file;
  ASSERT_TRUE(TemporaryFile::CreateIn(dir.path(), file).ok());
  TemporaryFolder folder;
  ASSERT_TRUE(TemporaryFolder::CreateIn(dir.path(), folder).ok());
  for (const std::string& path : {file.path(), folder.path()}) {
    EXPECT_EQ(ParentPath(path), dir.path());
    EXPECT_TRUE(IsTemporaryName(BaseName(path))) << path;
    EXPECT_EQ(BaseName(path).size(), kTemporaryPrefix.size() + 8) << path;
  }
  EXPECT_TRUE(IsFile(file.path()));
  EXPECT_TRUE(IsFolder(folder.path()));
}

class WriteFileAtomicTest : public ::testing::Test {
 protected:
  test::ScratchFolder dir;
};

TEST_F(WriteFileAtomicTest, CreatesAndReplacesKeepingPermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "permission bits are a Linux matter";
#else
  std::string path = dir / "install.win";
  ASSERT_TRUE(WriteFileAtomic(path, "first").ok());
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomic(path, "second").ok());
  EXPECT_EQ(ReadFileBytes(path), "second");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"install.win"});
#endif
}

TEST_F(WriteFileAtomicTest, FailuresLeaveTheOldFileAndNoTemporary) {
  std::string locked = dir.write("locked.txt", "old");
  ASSERT_TRUE(SetReadOnly(locked, true).ok());
  EXPECT_FALSE(WriteFileAtomic(locked, "new").ok());
  EXPECT_EQ(ReadFileBytes(locked), "old");

  dir.mkdir("folder");
  EXPECT_FALSE(WriteFileAtomic(dir / "folder", "new").ok());
  EXPECT_TRUE(IsFolder(dir / "folder"));
  EXPECT_FALSE(WriteFileAtomic(dir / "missing/file", "new").ok());
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"folder", "locked.txt"}));
}

TEST_F(WriteFileAtomicTest, AWriteThatFailsHalfWayLeavesTheOldFile) {
#ifdef _WIN32
  GTEST_SKIP() << "file size limits (RLIMIT_FSIZE) are a Linux matter";
#else
  // A file size limit makes the write fail part-way, as a full disk would (even for root).
  std::string path = dir.write("big.txt", "old content");
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  FsResult r = WriteFileAtomic(path, std::string(100000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(ReadFileBytes(path), "old content");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"big.txt"});
#endif
}

TEST_F(WriteFileAtomicTest, RefusesASymbolicLinkAndWritesTheFileItNames) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a Linux matter";
#else
  std::string target = dir.write("real.txt", "old");
  std::filesystem::create_symlink(target, dir / "link.txt");
  EXPECT_FALSE(WriteFileAtomic(dir / "link.txt", "new").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadFileBytes(target), "old");
  ASSERT_TRUE(WriteFileAtomic(target, "new").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadFileBytes(target), "new");
#endif
}

TEST(ReadOnly, IsTheOwnersWritePermission) {
  test::ScratchFolder dir;
  std::string file = dir.write("a", "");
  EXPECT_FALSE(IsReadOnly(file));
  ASSERT_TRUE(SetReadOnly(file, true).ok());
  EXPECT_TRUE(IsReadOnly(file));
  ASSERT_TRUE(SetReadOnly(file, false).ok());
  EXPECT_FALSE(IsReadOnly(file));
}

TEST(DosDateTime, LocalTimeRoundTripAndLimits) {
  std::tm local{};
  local.tm_year = 2003 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 14;
  local.tm_hour = 17;
  local.tm_min = 45;
  local.tm_sec = 31;
  local.tm_isdst = -1;
  std::int64_t seconds = std::mktime(&local);
  DosDateTime dos = ToDosDateTime(seconds);
  EXPECT_EQ(dos.date, ((2003 - 1980) << 9) | (3 << 5) | 14);
  EXPECT_EQ(dos.time, (17 << 11) | (45 << 5) | 15);  // two-second steps
  EXPECT_EQ(FromDosDateTime(dos), seconds - 1);

  DosDateTime early = ToDosDateTime(0);  // 1970 is before DOS time begins
  EXPECT_EQ(early.date, (1 << 5) | 1);
  EXPECT_EQ(early.time, 0);
}

TEST(FileDosTime, SetThenRead) {
  test::ScratchFolder dir;
  std::string file = dir.write("a", "");
  DosDateTime when{static_cast<std::uint16_t>((25 << 9) | (12 << 5) | 31), static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29)};
  ASSERT_TRUE(SetFileDosTime(file, when).ok());
  auto read = FileDosTime(file);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->date, when.date);
  EXPECT_EQ(read->time, when.time);
  EXPECT_FALSE(FileDosTime(dir / "missing"));
}

class CopyTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cd.write("GameData/CarModel/ABCD/car.viv", "viv!");
    cd.write("GameData/CarModel/ABCD/carp.txt", "(0)\r\n1\r\n");
    cd.write("GameData/CarModel/readme.txt", "hello");
    SetReadOnly(cd / "GameData/CarModel/ABCD/car.viv", true);
  }
  test::ScratchFolder cd, game;
};

TEST_F(CopyTreeTest, PatternCopiesTheContentsReplacingFilesAndLeavingThemWritable) {
  std::string dest = game.write("GameData/CarModel/ABCD/car.viv", "damaged");
  SetReadOnly(dest, true);
  std::vector<CopyProgress> seen;
  CopyTreeCallbacks callbacks;
  callbacks.progress = [&seen](const CopyProgress& p) {
    seen.push_back(p);
    return true;
  };
  ASSERT_TRUE(CopyTree(cd / "GameData/CarModel/*.*", game / "GameData/CarModel", callbacks).ok());
  EXPECT_EQ(ReadFileBytes(dest), "viv!");
  EXPECT_FALSE(IsReadOnly(dest));
  EXPECT_EQ(ReadFileBytes(game / "GameData/CarModel/readme.txt"), "hello");
  EXPECT_EQ(ReadFileBytes(game / "GameData/CarModel/ABCD/carp.txt"), "(0)\r\n1\r\n");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().filesDone, 3u);
  EXPECT_EQ(seen.back().filesTotal, 3u);
  EXPECT_EQ(seen.back().bytesDone, seen.back().bytesTotal);
  EXPECT_EQ(seen.back().bytesTotal, 4u + 8u + 5u);
}

TEST_F(CopyTreeTest, AFolderIsCopiedIntoTheDestinationAndMissingFoldersAreCreated) {
  ASSERT_TRUE(CopyTree(cd / "GameData/CarModel/ABCD", game / "New/Cars").ok());
  EXPECT_EQ(ReadFileBytes(game / "New/Cars/ABCD/car.viv"), "viv!");
}

TEST_F(CopyTreeTest, ErrorsAreReportedAndTheRestIsStillCopied) {
  game.mkdir("GameData/CarModel/readme.txt");  // a folder where a file must go
  std::vector<std::string> errors;
  CopyTreeCallbacks callbacks;
  callbacks.error = [&errors](const std::string& path, const FsResult&) {
    errors.push_back(path);
    return true;
  };
  FsResult r = CopyTree(cd / "GameData/CarModel/*.*", game / "GameData/CarModel", callbacks);
  EXPECT_FALSE(r.ok());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("readme.txt"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(game / "GameData/CarModel/ABCD/car.viv"), "viv!");
}

TEST_F(CopyTreeTest, AMissingSourceCopiesNothing) {
  EXPECT_EQ(CopyTree(cd / "FeData/Text/*.*", game / "FeData/Text").status, FsStatus::kNotFound);
  EXPECT_FALSE(IsFolder(game / "FeData"));
}

TEST_F(CopyTreeTest, ProgressCanStopTheCopy) {
  CopyTreeCallbacks callbacks;
  callbacks.progress = [](const CopyProgress&) { return false; };
  EXPECT_FALSE(CopyTree(cd / "GameData/*.*", game.path(), callbacks).ok());
  EXPECT_FALSE(IsFile(game / "GameData/CarModel/readme.txt"));
}

}  // namespace
}  // namespace krax
