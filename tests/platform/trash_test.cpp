// The desktop's trash: an item lands in Trash/files with a matching .trashinfo, and a name the
// trash holds already gets a numbered one.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/trash.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

// "[Trash Info]", a Path line, then a DeletionDate line of the form YYYY-MM-DDThh:mm:ss.
bool LooksLikeTrashInfo(const std::string& info) {
  const std::string head = "[Trash Info]\nPath=";
  const std::size_t date = info.find("\nDeletionDate=");
  if (info.rfind(head, 0) != 0 || date == std::string::npos) return false;
  const std::string value = info.substr(date + 14);
  const std::string shape = "dddd-dd-ddTdd:dd:dd\n";
  if (value.size() != shape.size() || info.find('\n', head.size()) != date) return false;
  for (std::size_t k = 0; k < shape.size(); ++k) {
    const bool digit = value[k] >= '0' && value[k] <= '9';
    if (shape[k] == 'd' ? !digit : value[k] != shape[k]) return false;
  }
  return true;
}

TEST(Trash, ItemsLandInTheUsersTrashWithTheirInfoAndNamesNeverClash) {
#ifdef _WIN32
  GTEST_SKIP() << "the freedesktop.org trash is Linux's";
#endif
  test::ScratchFolder scratch;
  const test::ScopedEnv dataHome("XDG_DATA_HOME", scratch / "data");
  const std::string trash = scratch / "data/Trash";
  struct Case {
    std::string item;      // relative to the scratch folder
    bool folder;
    std::string expected;  // its name in the trash
  };
  const Case cases[] = {
      {"game/Trk003/Dust bowl", true, "Dust bowl"},
      {"game/a.txt", false, "a.txt"},
      {"other/a.txt", false, "a.txt.2"},  // the first a.txt is there already
      {"third/a.txt", false, "a.txt.3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    const std::string path = c.folder ? scratch.mkdir(c.item) : scratch.write(c.item, "bytes of " + c.item);
    if (c.folder) scratch.write(c.item + "/TR03.frd", "track");
    const TrashResult result = MoveToTrash(path);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(result.trashedAs, trash + "/files/" + c.expected);
    EXPECT_EQ(result.infoFile, trash + "/info/" + c.expected + ".trashinfo");
    if (c.folder) {
      EXPECT_EQ(test::ReadFileBytes(result.trashedAs + "/TR03.frd"), "track");
    } else {
      EXPECT_EQ(test::ReadFileBytes(result.trashedAs), "bytes of " + c.item);
    }
    // The info names the item's absolute path, escaped as a URI path, and the time.
    std::string escaped = fs::canonical(scratch.path()).string() + "/" + c.item;
    for (std::size_t at; (at = escaped.find(' ')) != std::string::npos;) escaped.replace(at, 1, "%20");
    const std::string info = test::ReadFileBytes(result.infoFile);
    EXPECT_TRUE(LooksLikeTrashInfo(info)) << info;
    EXPECT_NE(info.find("Path=" + escaped + "\n"), std::string::npos) << info;
  }

  // What cannot be found is reported and nothing is written.
  const TrashResult missing = MoveToTrash(scratch / "game/nothing");
  EXPECT_EQ(missing.status, TrashStatus::kFailed);
  EXPECT_FALSE(missing.message.empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(trash + "/info"), fs::directory_iterator()), 4);

  // Deleting for good takes a whole tree.
  scratch.write("gone/deep/er/file", "x");
  EXPECT_TRUE(DeleteForGood(scratch / "gone").ok());
  EXPECT_FALSE(fs::exists(scratch / "gone"));
}

}  // namespace
}  // namespace krax
