// The zip helpers against Python's zipfile: zips we write open there, zips it writes (with the
// quirks of other tools) open here, and hostile zips never write outside their destination.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/zip/zip_archive.h"
#include "platform/file_system.h"
#include "support/python_module.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

using test::ScratchFolder;

bool PythonAvailable() { return test::PythonHasModule("zipfile"); }

// Runs tests/zip/zip_tool.py; its standard output goes to `output` when given.
int ZipTool(const std::string& arguments, const std::string& output = "/dev/null") {
  const std::string command =
      "python3 '" KRAX_SOURCE_DIR "/tests/zip/zip_tool.py' " + arguments + " > '" + output + "' 2>&1";
  return std::system(command.c_str());
}

#define REQUIRE_PYTHON() \
  if (!PythonAvailable()) GTEST_SKIP() << "python3 with zipfile is not here"

std::string Read(const std::string& path) { return ReadWholeFile(path).value_or("<missing>"); }

TEST(ZipArchive, WrittenZipOpensInPythonWithNamesContentsAndDates) {
  REQUIRE_PYTHON();
  ScratchFolder folder;
  std::string random(100000, '\0');
  unsigned state = 7;
  for (char& c : random) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  const std::vector<std::string> files = {folder.write("car/car.viv", random),
                                          folder.write("car/carp.txt", std::string(40000, 'c')),
                                          folder.write("car/Gr\xc3\xbc\xc3\x9f" "e.txt", "umlaut"),
                                          folder.write("car/empty.bnk", "")};
  // An old archive of the name is replaced.
  const std::string zip = folder.write("out/Beta.zip", "an old archive");
  std::vector<std::string> statuses;
  ArchiveCallbacks callbacks;
  callbacks.status = [&](const std::string& text) { statuses.push_back(text); };
  const ZipCreateResult created = CreateZipArchive(zip, files, folder / "car", true, callbacks);
  ASSERT_TRUE(created.ok()) << created.message;
  EXPECT_TRUE(std::find(statuses.begin(), statuses.end(), "File car.viv - Compressing:100000") != statuses.end());

  ASSERT_EQ(ZipTool("check '" + zip + "' '" + folder / "py" + "'", folder / "names.txt"), 0) << Read(folder / "names.txt");
  EXPECT_EQ(Read(folder / "names.txt"), "car.viv\ncarp.txt\nGr\xc3\xbc\xc3\x9f" "e.txt\nempty.bnk\n");
  EXPECT_EQ(Read(folder / "py/car.viv"), random);
  EXPECT_EQ(Read(folder / "py/Gr\xc3\xbc\xc3\x9f" "e.txt"), "umlaut");

  // Our own reader: the empty entry is not listed; the files come back with their dates.
  ArchiveNameList names;
  ASSERT_TRUE(ListZipEntries(zip, names, 999));
  EXPECT_EQ(names, (ArchiveNameList{"car.viv", "carp.txt", "Gr\xc3\xbc\xc3\x9f" "e.txt"}));
  const ZipExtractResult extracted = ExtractZipEntries(zip, {"CAR.VIV"}, folder / "back", true, true);
  ASSERT_TRUE(extracted.ok()) << extracted.message;
  EXPECT_EQ(Read(folder / "back/car.viv"), random);
  EXPECT_EQ(FileDosTime(folder / "back/car.viv")->date, FileDosTime(files[0])->date);
  EXPECT_EQ(FileDosTime(folder / "back/car.viv")->time, FileDosTime(files[0])->time);
}

TEST(ZipArchive, FailedZipKeepsTheOldArchiveAndReportsWhy) {
  ScratchFolder folder;
  const std::string zip = folder.write("Beta.zip", "the old archive");
  const ZipCreateResult created =
      CreateZipArchive(zip, {folder.write("a.txt", "a"), folder / "missing.txt"}, folder.path(), true);
  EXPECT_FALSE(created.ok());
  EXPECT_NE(created.message.find("missing.txt"), std::string::npos);
  EXPECT_EQ(Read(zip), "the old archive");
  EXPECT_EQ(ListFolder(folder.path()).size(), 2u);  // no temporary file left

  // Answering No to the overwrite question keeps it too.
  ArchiveCallbacks callbacks;
  std::vector<std::string> questions;
  callbacks.askYesNo = [&](const std::string& q) { questions.push_back(q); return false; };
  EXPECT_FALSE(CreateZipArchive(zip, {folder / "a.txt"}, folder.path(), false, callbacks).ok());
  EXPECT_EQ(questions, std::vector<std::string>{"File " + zip + " exist. Overwrite ?"});
  EXPECT_EQ(Read(zip), "the old archive");

  // Asked to stop after the first of several small files: nothing more is packed.
  ArchiveCallbacks stopping;
  std::vector<std::string> statuses;
  stopping.status = [&](const std::string& text) { statuses.push_back(text); };
  stopping.stopRequested = [&] { return !statuses.empty(); };
  const ZipCreateResult stopped =
      CreateZipArchive(zip, {folder / "a.txt", folder.write("b.txt", "b")}, folder.path(), true, stopping);
  EXPECT_FALSE(stopped.ok());
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(statuses, std::vector<std::string>{"File a.txt - Compressing:1"});
  EXPECT_EQ(Read(zip), "the old archive");
  EXPECT_EQ(ListFolder(folder.path()).size(), 3u);  // no temporary file left
}

TEST(ZipArchive, ReadsZipsOfOtherTools) {
  REQUIRE_PYTHON();
  ScratchFolder folder;
  const std::string zip = folder / "foreign.zip";
  ASSERT_EQ(ZipTool("foreign '" + zip + "'"), 0);
  ArchiveNameList names;
  ASSERT_TRUE(ListZipEntries(zip, names, 999));
  const std::string cafe = "MyCar/caf\xc3\xa9.txt";  // from code page 437
  const std::string gruesse = "MyCar/Gr\xc3\xbc\xc3\x9f" "e.txt";  // flagged UTF-8
  const std::string unix = "MyCar/unix\xc3\xbc.txt";  // UTF-8 from a Unix tool, not flagged
  EXPECT_EQ(names, (ArchiveNameList{"MyCar/car.viv", "MyCar/carp.txt", gruesse, cafe, unix, "Speedway\\TR04.frd",
                                    "MyCar/fedata.eng"}));

  // With folders: stored folders (either separator) are made below the destination.
  ArchiveNameList all;
  ASSERT_TRUE(ListZipEntries(zip, all, 999, nullptr, true));
  const ZipExtractResult full = ExtractZipEntries(zip, all, folder / "full", true, false);
  ASSERT_TRUE(full.ok()) << (full.failed.empty() ? full.message : full.failed[0].second);
  EXPECT_EQ(Read(folder / "full/MyCar/car.viv"), [] {
    std::string s;
    for (int i = 0; i < 50; ++i) s += "stored car archive ";
    return s;
  }());
  EXPECT_EQ(Read(folder / "full/" + cafe), "dos name");
  EXPECT_EQ(Read(folder / "full/" + gruesse), "utf-8 name");
  EXPECT_EQ(Read(folder / "full/" + unix), "unix name");
  EXPECT_EQ(FileSize(folder / "full/Speedway/TR04.frd"), 320u);
  EXPECT_EQ(FileSize(folder / "full/MyCar/fedata.eng"), 1200u);  // the zip64 entry
  EXPECT_EQ(FileSize(folder / "full/MyCar/empty.txt"), 0u);
  EXPECT_EQ(FileDosTime(folder / "full/MyCar/car.viv")->date, (21 << 9) | (2 << 5) | 3);

  // Without folders everything lands flat in the destination.
  const ZipExtractResult flat = ExtractZipEntries(zip, {"mycar/CARP.TXT", "Speedway\\TR04.frd"}, folder / "flat", true, true);
  ASSERT_TRUE(flat.ok());
  EXPECT_TRUE(IsFile(folder / "flat/carp.txt"));
  EXPECT_TRUE(IsFile(folder / "flat/TR04.frd"));
  EXPECT_EQ(ListFolder(folder / "flat").size(), 2u);
}

TEST(ZipArchive, HostileNamesAndLinksNeverLeaveTheDestination) {
  REQUIRE_PYTHON();
  ScratchFolder folder;
  const std::string zip = folder / "hostile.zip";
  ASSERT_EQ(ZipTool("hostile '" + zip + "'"), 0);
  ::unlink("/tmp/krax-zip-test-evil3.txt");
  ArchiveNameList names;
  ASSERT_TRUE(ListZipEntries(zip, names, 999));
  ASSERT_EQ(names.size(), 9u);
  for (const bool withoutFolders : {false, true}) {
    SCOPED_TRACE(withoutFolders);
    const std::string root = folder / (withoutFolders ? "flat" : "full");
    const std::string dest = root + "/dest";
    folder.mkdir((withoutFolders ? "flat" : "full") + std::string("/outside"));
    std::filesystem::create_directories(dest);
    std::filesystem::create_directory_symlink(root + "/outside", dest + "/link");
    const ZipExtractResult result = ExtractZipEntries(zip, names, dest, true, withoutFolders);
    ASSERT_TRUE(result.opened);
    // Only good/fine.txt is written (and link/evil8.txt flat, as evil8.txt in the destination).
    const std::size_t written = withoutFolders ? 2 : 1;
    EXPECT_EQ(result.written.size(), written);
    EXPECT_EQ(result.failed.size(), names.size() - written);
    EXPECT_TRUE(ListFolder(root + "/outside").empty());
    EXPECT_EQ(ListFolder(root).size(), 2u);  // dest and outside, nothing else
    EXPECT_FALSE(IsFile("/tmp/krax-zip-test-evil3.txt"));
    EXPECT_EQ(Read(dest + (withoutFolders ? "/fine.txt" : "/good/fine.txt")), "content of good/fine.txt");
  }

  // A destination that cannot be created writes nothing anywhere.
  folder.write("file", "x");
  const ZipExtractResult blocked = ExtractZipEntries(zip, {"good/fine.txt"}, folder / "file/dest", true, true);
  EXPECT_FALSE(blocked.opened);
  EXPECT_FALSE(blocked.message.empty());
}

TEST(ZipArchive, EntryLargerThanDeclaredIsNotWritten) {
  REQUIRE_PYTHON();
  ScratchFolder folder;
  const std::string zip = folder / "bomb.zip";
  ASSERT_EQ(ZipTool("bomb '" + zip + "'"), 0);
  const ZipExtractResult result = ExtractZipEntries(zip, {"bomb.bin"}, folder / "dest", true, true);
  ASSERT_TRUE(result.opened);
  ASSERT_EQ(result.failed.size(), 1u);
  EXPECT_NE(result.failed[0].second.find("damaged"), std::string::npos) << result.failed[0].second;
  EXPECT_TRUE(ListFolder(folder / "dest").empty());
}

}  // namespace
}  // namespace krax
