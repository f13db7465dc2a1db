// Every command that writes a file where the user says, against what may already be at that
// name: a character device is written in place and stays a device; a symbolic link, a folder,
// a FIFO and a read-only file are refused with a message and stay exactly as they were; the
// file a link points to, named itself, is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
enum class Special { kDevice, kLink, kLinkTarget, kFolder, kFifo, kReadOnly };

const char* Name(Special special) {
  switch (special) {
    case Special::kDevice: return "device";
    case Special::kLink: return "link";
    case Special::kLinkTarget: return "link's target";
    case Special::kFolder: return "folder";
    case Special::kFifo: return "FIFO";
    case Special::kReadOnly: return "read-only file";
  }
  return "?";
}

// What is at `path` now, as a user would describe it.
std::string Describe(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return "nothing";
  if (S_ISLNK(st.st_mode)) return "link to " + fs::read_symlink(path).string();
  if (S_ISCHR(st.st_mode)) return "character device";
  if (S_ISDIR(st.st_mode)) return "folder";
  if (S_ISFIFO(st.st_mode)) return "FIFO";
  return std::string(st.st_mode & S_IWUSR ? "file: " : "read-only file: ") + test::ReadFileBytes(path);
}
#endif

TEST(KraxctlOutputs, DevicesAreWrittenInPlaceLinksFoldersAndTheLikeAreRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "devices, FIFOs and symbolic links as POSIX has them";
#else
  test::ScratchFolder home;
  const std::vector<std::string> env{"HOME=" + home.path(), "XDG_DATA_HOME=" + home / "data",
                                     "WINEPREFIX=" + home / "no-prefix"};
  ASSERT_EQ(test::RunKraxctl({"make-demo", home / "demo"}, env).exitCode, 0);
  const std::string settings = home.write("krax.ini", "");
  const std::string source = home.write("source.txt", "to be packed");
  const auto run = [&](std::vector<std::string> args, const std::string& settingsFile) {
    args.insert(args.begin(), {"--settings", settingsFile, "--game", home / "demo/game"});
    return test::RunKraxctl(args, env);
  };
  // Each command with the path it writes: `out` is where the special thing is put.
  struct Command {
    const char* what;
    std::string out;
    std::function<test::KraxctlRun(const std::string& out)> run;
  };
  const std::string packed = home.mkdir("packed");
  const std::vector<Command> commands = {
      {"picture", home / "car.png", [&](const std::string& out) { return run({"picture", "KOVA", out}, settings); }},
      {"settings set", home / "other.ini",
       [&](const std::string& out) { return run({"settings", "set", "NEQ", "1"}, out); }},
      {"pack --zip", packed + "/Dustbowl Night.zip",
       [&](const std::string&) { return run({"pack", "3/Dustbowl Night", "--zip", "--out", packed}, settings); }},
      {"pack --cab", packed + "/Dustbowl Night.CAB",
       [&](const std::string&) { return run({"pack", "3/Dustbowl Night", "--cab", "--out", packed}, settings); }},
      {"cab create", home / "made.cab",
       [&](const std::string& out) { return run({"cab", "create", out, source, "--base", home.path()}, settings); }},
  };
  // As root a device node of our own (the same device as /dev/null) keeps /dev untouched
  // whatever happens; otherwise /dev/null, which only root could replace.
  const bool root = ::geteuid() == 0;
  for (const Command& command : commands) {
    for (const Special special : {Special::kDevice, Special::kLink, Special::kLinkTarget, Special::kFolder,
                                  Special::kFifo, Special::kReadOnly}) {
      SCOPED_TRACE(std::string(command.what) + " into a " + Name(special));
      const bool isPack = std::string(command.what).rfind("pack", 0) == 0;
      const bool isSettings = std::string(command.what) == "settings set";
      if (special == Special::kLinkTarget && isPack) continue;  // pack chooses the name itself
      if (special == Special::kFifo && isSettings) continue;    // the settings are read first
      std::string out = command.out;
      fs::remove_all(out);
      const std::string target = home / ("elsewhere" + fs::path(command.out).extension().string());
      fs::remove(target);
      switch (special) {
        case Special::kDevice:
          if (root) {
            ASSERT_EQ(::mknod(out.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
          } else if (!isPack && std::string(command.what) != "cab create") {
            out = "/dev/null";
          } else {
            continue;  // the name cannot be chosen, and only root can make a device
          }
          break;
        case Special::kLink:
        case Special::kLinkTarget:
          home.write(fs::path(target).filename().string(), "kept elsewhere");
          fs::create_symlink(target, out);
          if (special == Special::kLinkTarget) out = target;
          break;
        case Special::kFolder:
          fs::create_directory(out);
          break;
        case Special::kFifo:
          ASSERT_EQ(::mkfifo(out.c_str(), 0666), 0);
          break;
        case Special::kReadOnly:
          home.write(fs::relative(out, home.path()).string(), "kept");
          fs::permissions(out, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                          fs::perm_options::remove);
          break;
      }
      const std::string before = Describe(out);
      const std::string targetBefore = Describe(target);
      const bool namesTarget = special == Special::kLinkTarget;
      const test::KraxctlRun r = command.run(out);
      const bool written = special == Special::kDevice || namesTarget;
      EXPECT_EQ(r.exitCode, written ? 0 : 1) << r.out << r.err;
      if (special == Special::kDevice) {
        EXPECT_EQ(Describe(out), "character device");
      } else if (namesTarget) {
        EXPECT_NE(Describe(target), targetBefore);  // the file itself was written
        EXPECT_EQ(Describe(command.out), "link to " + target);
      } else {
        EXPECT_EQ(Describe(out), before);
        EXPECT_EQ(Describe(target), targetBefore);
        EXPECT_FALSE(r.err.empty());
      }
      fs::remove_all(out);
      fs::remove_all(command.out);
      fs::remove(target);
    }
  }
#endif
}

}  // namespace
}  // namespace krax
