// The program's temporary files: `kraxctl cab create` leaves none behind, whether it ends
// normally, is stopped with Ctrl+C or SIGTERM, or is killed (the next operation on the
// folder removes what a killed run left); leftovers are never listed; live ones are kept.
#include <gtest/gtest.h>
#include <fcntl.h>
#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "archive/cab/cab_directory.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temporary_file.h"
#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace krax {
namespace {

using test::RunKraxctl;
using test::ScratchFolder;

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& entry : ListFolder(folder, true)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

// Sets the modification time of `path` a minute back: what a run killed a while ago left.
// Through the platform layer, which shares the file with the handle holding a live one and
// sets a folder's time too (std::filesystem does neither on Windows).
void MakeOld(const std::string& path) {
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::system_clock::now().time_since_epoch());
  ASSERT_TRUE(SetFileDosTime(path, ToDosDateTime(now.count() - 60)).ok()) << path;
}

#ifndef _WIN32
// Starts kraxctl without waiting for it; its output goes nowhere.
pid_t StartKraxctl(const std::vector<std::string>& args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> argv{KRAX_KRAXCTL};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argvC;
  for (std::string& a : argv) argvC.push_back(a.data());
  argvC.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argvC.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

#endif

// Waits until `folder` holds a temporary (the run is at work), at most 30 seconds.
[[maybe_unused]] bool WaitForTemporary(const std::string& folder) {
  for (int i = 0; i < 3000; ++i) {
    for (const std::string& name : NamesIn(folder)) {
      if (IsTemporaryName(name)) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(Temporaries, LeftoversGoAtTheNextOperationLiveAndYoungOnesStayAndNoneIsListed) {
  ScratchFolder scratch;
  const std::string folder = scratch.mkdir("folder");
  TemporaryFile live;
  ASSERT_TRUE(TemporaryFile::CreateIn(folder, live).ok());
  MakeOld(live.path());
  const std::string oldFile = scratch.write("folder/.krax-AbC123", "left by a killed run");
  scratch.mkdir("folder/.krax-XyZ789/sub");
  scratch.write("folder/.krax-XyZ789/sub/part.CAB", "part");
  MakeOld(JoinPath(folder, ".krax-XyZ789"));
  MakeOld(oldFile);
  scratch.write("folder/.krax-young1", "being made right now");
  scratch.write("folder/car.viv", "a file of the player's");

  EXPECT_EQ(ListFolder(folder).size(), 1u);  // only car.viv: temporaries are never listed
  TemporaryFolder next;
  ASSERT_TRUE(TemporaryFolder::CreateIn(folder, next).ok());
  std::vector<std::string> expected = {".krax-young1", BaseName(live.path()), BaseName(next.path()), "car.viv"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(NamesIn(folder), expected);
}

TEST(Temporaries, KraxctlCabCreateLeavesNoneWhenDoneStoppedOrKilled) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX signals";
#else
  ScratchFolder scratch;
  const std::string temp = scratch.mkdir("tmp");
  const std::string out = scratch.mkdir("out");
  std::string noise(6000000, '\0');
  std::uint64_t x = 88172645463325252ull;
  for (char& c : noise) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    c = static_cast<char>(x);
  }
  const std::string big = scratch.write("big.bin", noise);
  const std::string small = scratch.write("small.txt", "small");

  // Done: OUT ending in ".cab" (any case) names the file as given; nothing else stays, in
  // the output folder or the system's temporary folder.
  const std::vector<std::string> env = {"TMPDIR=" + temp};
  for (const char* given : {"a.cab", "B.CaB", "C"}) {
    SCOPED_TRACE(given);
    const test::KraxctlRun run = RunKraxctl({"cab", "create", JoinPath(out, given), small}, env);
    EXPECT_EQ(run.exitCode, 0) << run.err;
  }
  EXPECT_EQ(NamesIn(out), (std::vector<std::string>{"B.CaB", "C.CAB", "a.cab"}));
  EXPECT_TRUE(NamesIn(temp).empty());

  // Stopped: Ctrl+C and SIGTERM end the run with a failure and nothing written.
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const pid_t pid = StartKraxctl({"cab", "create", JoinPath(out, "Big"), big, "--level", "3"});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitForTemporary(out));
    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(NamesIn(out), (std::vector<std::string>{"B.CaB", "C.CAB", "a.cab"}));
  }

  // Killed: its staging folder stays until the next operation in that folder.
  const pid_t pid = StartKraxctl({"cab", "create", JoinPath(out, "Big"), big, "--level", "3"});
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(WaitForTemporary(out));
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  std::string leftover;
  for (const std::string& name : NamesIn(out)) {
    if (IsTemporaryName(name)) leftover = JoinPath(out, name);
  }
  ASSERT_FALSE(leftover.empty());
  MakeOld(leftover);
  EXPECT_EQ(RunKraxctl({"cab", "create", JoinPath(out, "D"), small}, env).exitCode, 0);
  EXPECT_EQ(NamesIn(out), (std::vector<std::string>{"B.CaB", "C.CAB", "D.CAB", "a.cab"}));
  EXPECT_TRUE(NamesIn(temp).empty());
#endif
}

// A name that is not ASCII is stored with the UTF-8 mark and comes back as it was.
TEST(Temporaries, CabCreateMarksUtf8NamesAndExtractsThemBack) {
  ScratchFolder scratch;
  const std::string source = scratch.write("src/D\xC3\xBCst.txt", "dust");
  ASSERT_EQ(RunKraxctl({"cab", "create", scratch / "n.cab", source, "--base", scratch / "src"}).exitCode, 0);
  cab::CabDirectory directory;
  ArchiveStatus code = ArchiveStatus::kOk;
  ASSERT_TRUE(cab::ReadCabinetDirectory(scratch / "n.cab", directory, code));
  ASSERT_EQ(directory.files.size(), 1u);
  EXPECT_EQ(directory.files[0].name, "D\xC3\xBCst.txt");
  EXPECT_NE(directory.files[0].attribs & cab::kAttribNameIsUtf8, 0);
  ASSERT_EQ(RunKraxctl({"cab", "extract", scratch / "n.cab", scratch / "out"}).exitCode, 0);
  EXPECT_EQ(ReadWholeFile(scratch / "out/D\xC3\xBCst.txt"), "dust");
}

}  // namespace
}  // namespace krax
