// What kraxctl shows of damaged car archives and of profiles whose names or lines hold
// control or bidirectional characters.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "operations_test_support.h"
#include "support/run_kraxctl.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(KraxctlDamageShown, DamagedArchivesAreNotedAndNeverWritten) {
  test::DemoGame game;
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", game.dir / "settings.ini", "--game", game.manifest.gameDir});
    return test::RunKraxctl(args);
  };
  // ZEPH's archive with its first entry's data moved onto the header.
  const std::string path = game.manifest.gameDir + "/GameData/CarModel/ZEPH/car.viv";
  std::string archive = test::ReadFileBytes(path);
  archive.replace(16, 4, std::string(4, '\0'));
  Write(path, archive);

  // Paths are printed with the system's separator.
  const std::string zephArchive = (fs::path("ZEPH") / "car.viv").string();
  test::KraxctlRun r = run({"cars"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(zephArchive + ": damaged archive"), std::string::npos) << r.out;
  r = run({"cars", "--json"});
  EXPECT_NE(r.out.find("\"damagedArchive\": true"), std::string::npos);

  // The slot of ZEPH in the listing: the first column of its row.
  r = run({"cars"});
  std::string slot;
  for (std::size_t start = 0; start < r.out.size();) {
    const std::size_t end = r.out.find('\n', start);
    const std::string line = r.out.substr(start, end - start);
    if (line.find(zephArchive) != std::string::npos && line.rfind("Note", 0) != 0) slot = line.substr(0, line.find('\t'));
    start = end == std::string::npos ? r.out.size() : end + 1;
  }
  ASSERT_FALSE(slot.empty()) << r.out;
  for (const std::vector<std::string>& command : {std::vector<std::string>{"write-serial", slot, "1234", "--yes"},
                                                  std::vector<std::string>{"police", slot, "on", "--yes"},
                                                  std::vector<std::string>{"fix", slot, "--yes"}}) {
    SCOPED_TRACE(command[0]);
    r = run(command);
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find("damaged"), std::string::npos) << r.out << r.err;
    EXPECT_EQ(test::ReadFileBytes(path), archive);
  }
}

TEST(KraxctlDamageShown, ProfileNamesAndDamagedLinesArePrintedEscaped) {
  test::DemoGame game;
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", game.dir / "portable.ini", "--game", game.manifest.gameDir});
    return test::RunKraxctl(args);
  };
  const std::string folder = game.dir / "portable.profiles";
  ASSERT_EQ(run({"profile", "save", "Plain"}).exitCode, 0);
  const std::string good = test::ReadFileBytes(folder + "/Plain.profile");
#ifndef _WIN32
  // A right-to-left override in a name (a file a player was sent), and an escape sequence and
  // a carriage return in a line.
  Write(folder + "/evil\xE2\x80\xAEtxt.profile", good);
#endif
  Write(folder + "/Bad.profile", good + "car on X\x1B[2J\r\x07Y\n");
  Write(folder + "/Notepad.profile", "\xEF\xBB\xBF" + good);

  test::KraxctlRun r = run({"profile", "list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.find('\xE2'), std::string::npos) << r.out;
#ifndef _WIN32
  EXPECT_NE(r.out.find("evil\\xe2\\x80\\xaetxt\n"), std::string::npos) << r.out;
#endif
  r = run({"profile", "apply", "Bad", "--yes"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("X\\x1b[2J\\x0d\\x07Y"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\x1B'), std::string::npos);

  r = run({"profile", "apply", "Notepad", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace
}  // namespace krax
