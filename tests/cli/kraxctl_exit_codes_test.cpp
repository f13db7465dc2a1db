// One exit-code rule for every command: 0 when what was asked was done; 1 when it failed,
// was refused (also for want of a terminal to ask) or was only partly done; 2 for usage.
#include <gtest/gtest.h>

#include <filesystem>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

#ifdef __linux__
// Makes `folder` a folder whose entries cannot be renamed, also for root (immutable where the
// file system has the flag, else without write permission). False when neither works.
bool FreezeFolder(const std::string& folder, bool frozen) {
  bool done = true;
  if (::geteuid() == 0) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = frozen ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
  }
  std::error_code ignored;  // an immutable folder takes no permission change: done above
  fs::permissions(folder, fs::perms::owner_write, frozen ? fs::perm_options::remove : fs::perm_options::add, ignored);
  return done;
}
#endif

TEST(KraxctlExitCodes, DoneIsZeroRefusedFailedOrPartlyDoneIsOneUsageIsTwo) {
  test::ScratchFolder home;
  const std::vector<std::string> env{"HOME=" + home.path(), "XDG_DATA_HOME=" + home / "data",
                                     "WINEPREFIX=" + home / "no-prefix"};
  ASSERT_EQ(test::RunKraxctl({"make-demo", home / "demo"}, env).exitCode, 0);
  const std::string track = home.mkdir("Canyon");
  for (const char* name : {"TR04.frd", "TR04.col"}) home.write(std::string("Canyon/") + name, name);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* said;  // part of stdout + stderr; "" for anything
  };
  // In order: each row runs on the game as the rows before left it. No terminal to ask.
  const std::vector<Case> cases = {
      {{"cars"}, 0, ""},
      {{"switch", "3", "Dustbowl Night"}, 0, "Dustbowl Night"},
      {{"switch", "3", "Nowhere"}, 1, "Nowhere"},
      {{"rename-dirs", "id"}, 1, "No folder was renamed."},
      {{"restore", "cars"}, 1, "Nothing was restored."},
      {{"gen-serials"}, 1, "No serial number was changed."},
      {{"police", "ZEPH", "on"}, 1, "no terminal to ask"},
      {{"remove", "KOVA"}, 1, "no terminal to ask"},
      {{"stock"}, 1, "no terminal to ask"},
      {{"fix", "--all"}, 1, ""},
      {{"install-track", track}, 1, "Nothing installed."},
      {{"profile", "apply", "Nothing"}, 1, ""},
      {{"install-track", track, "--yes"}, 0, ""},
      {{"rename-dirs", "id", "--yes"}, 0, "DIR = ID: "},
      {{"nosuch"}, 2, ""},
      {{"rename-dirs"}, 2, ""},
      {{"remove"}, 2, ""},
      {{"switch", "9", "Original"}, 2, ""},
      {{"remove", "KOVA", "--sometimes"}, 2, ""},
  };
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", home / "krax.ini", "--game", home / "demo/game", "--cd", home / "demo/cd"});
    return test::RunKraxctl(args, env);
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& arg : c.args) line += arg + " ";
    SCOPED_TRACE(line);
    const test::KraxctlRun r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.said), std::string::npos) << r.out << r.err;
  }

#ifdef __linux__
  // Partly done: a rename run whose renames all failed says so for each folder and exits 1.
  const std::string carModel = home / "demo/game/GameData/CarModel";
  ASSERT_EQ(run({"rename-dirs", "name", "--yes"}).exitCode, 0);
  if (!FreezeFolder(carModel, true)) {
    FreezeFolder(carModel, false);
    GTEST_SKIP() << "the car folder cannot be made unchangeable here";
  }
  const test::KraxctlRun r = run({"rename-dirs", "id", "--yes"});
  FreezeFolder(carModel, false);
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("0 folders renamed"), std::string::npos) << r.out;
#endif
}

}  // namespace
}  // namespace krax
