#include "gamedata/install_info.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include "platform/file_system.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

const std::string kTracks = ".\\GameData\\Tracks\\\r\n";

class InstallInfoFile : public ::testing::Test {
 protected:
  // Reads `bytes` as install.win and returns what the rewrite leaves on disk.
  std::string Rewrite(const std::string& bytes) {
    dir.write("install.win", bytes);
    InstallInfo info;
    EXPECT_TRUE(ReadInstallInfo(dir.path(), info));
    EXPECT_TRUE(WriteInstallInfo(dir.path(), info));
    return test::ReadFileBytes(dir / "install.win");
  }
  test::ScratchFolder dir;
};

TEST_F(InstallInfoFile, ThreeLinesGetTheTracksLineAndNoEmptyLine) {
  EXPECT_EQ(Rewrite("english\r\nA\r\nB\r\n"), "english\r\nA\r\nB\r\n" + kTracks + "\x1A");
}

TEST_F(InstallInfoFile, TenLinesAreKeptAsTheyAre) {
  std::string lines = "german\r\n1\r\n2\r\n" + kTracks + "4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n";
  EXPECT_EQ(Rewrite(lines), lines + "\x1A");
}

TEST_F(InstallInfoFile, TheFourthLineIsReplaced) {
  EXPECT_EQ(Rewrite("french\r\n1\r\n2\r\nD:\\KRAX\\Tracks\\\r\n4\r\n"),
            "french\r\n1\r\n2\r\n" + kTracks + "4\r\n\x1A");
}

TEST_F(InstallInfoFile, CtrlZEndsTheFileAndARewriteReadsBackTheSame) {
  std::string first = Rewrite("english\r\nA\r\nB\r\nC\r\n\x1Agarbage after the end\r\nmore\r\n");
  EXPECT_EQ(first, "english\r\nA\r\nB\r\n" + kTracks + "\x1A");
  // The rewritten file, read again, gives the same file (its Ctrl-Z is not data).
  EXPECT_EQ(Rewrite(first), first);
}

TEST_F(InstallInfoFile, ShortFilesGetEmptyLinesUpToTheTracksLine) {
  // The tracks line is always the fourth, where the game looks for it.
  EXPECT_EQ(Rewrite("english\r\nA\r\n"), "english\r\nA\r\n\r\n" + kTracks + "\x1A");
  EXPECT_EQ(Rewrite("english\r\n"), "english\r\n\r\n\r\n" + kTracks + "\x1A");
  EXPECT_EQ(Rewrite(""), "\r\n\r\n\r\n" + kTracks + "\x1A");
}

TEST_F(InstallInfoFile, ALastLineWithoutLineEndIsKept) {
  EXPECT_EQ(Rewrite("english\r\nA\r\nB\r\nC\r\nlast"), "english\r\nA\r\nB\r\n" + kTracks + "last\r\n\x1A");
}

TEST_F(InstallInfoFile, EveryLineIsKeptHoweverMany) {
  for (int count : {26, 27, 28, 30, 200}) {
    std::string lines, expected;
    for (int i = 0; i < count; ++i) {
      lines += "line" + std::to_string(i) + "\r\n";
      expected += i == 3 ? kTracks : "line" + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(Rewrite(lines), expected + "\x1A") << count << " lines";
  }
}

TEST_F(InstallInfoFile, EntriesHoldTheLinesWithOneNewline) {
  dir.write("INSTALL.WIN", "English\r\nx\ny\r\n");  // found whatever its case
  InstallInfo info;
  ASSERT_TRUE(ReadInstallInfo(dir.path(), info));
  EXPECT_EQ(info.lines[0], "English\n");
  EXPECT_EQ(info.lines[1], "x\n");
  EXPECT_EQ(info.lines[2], "y\n");
  EXPECT_EQ(info.lines[3], "\n");
  EXPECT_EQ(info.lines[4], "");
  EXPECT_EQ(info.LanguageLine(), "English");
}

TEST_F(InstallInfoFile, UnreadableFileFailsAndKeepsTheEntries) {
  InstallInfo info;
  info.lines[0] = "swedish\n";
  EXPECT_FALSE(ReadInstallInfo(dir.path(), info));
  EXPECT_FALSE(ReadInstallInfo("", info));
  // The game opens it for writing too: a read-only file cannot be read.
  std::string path = dir.write("install.win", "german\r\n");
  SetReadOnly(path, true);
  EXPECT_FALSE(ReadInstallInfo(dir.path(), info));
  EXPECT_EQ(info.lines[0], "swedish\n");
}

TEST_F(InstallInfoFile, AFailedRewriteLeavesTheOldFile) {
#ifdef _WIN32
  GTEST_SKIP() << "file size limits (RLIMIT_FSIZE) are a Linux matter";
#else
  const std::string old = "english\r\nA\r\nB\r\nC\r\n";
  std::string path = dir.write("install.win", old);
  InstallInfo info;
  ASSERT_TRUE(ReadInstallInfo(dir.path(), info));
  info.fileLines.assign(27, std::string(200, 'x'));  // a file larger than allowed below

  struct rlimit limit;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = limit;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written = WriteInstallInfo(dir.path(), info);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(test::ReadFileBytes(path), old);

  SetReadOnly(path, true);
  EXPECT_FALSE(WriteInstallInfo(dir.path(), info));
  EXPECT_EQ(test::ReadFileBytes(path), old);
  EXPECT_EQ(ListFolder(dir.path()).size(), 1u);  // no temporary left behind
#endif
}

TEST(LanguageSuffix, FromTheFirstLineInAnyCase) {
  InstallInfo info;
  EXPECT_EQ(LanguageSuffix(info), "");
  const std::pair<const char*, const char*> table[] = {
      {"english\n", ".eng"}, {"GERMAN\n", ".ger"},  {"Spanish\n", ".spa"}, {"italian\n", ".ita"},
      {"swedish\n", ".swe"}, {"French\n", ".fre"},  {"british\n", ".bri"}, {"klingon\n", ""},
      {"english \n", ""},    {"englis\n", ""},
  };
  for (const auto& [line, suffix] : table) {
    info.lines[0] = line;
    EXPECT_EQ(LanguageSuffix(info), suffix) << line;
  }
}

}  // namespace
}  // namespace krax
