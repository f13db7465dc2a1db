// Paths past the old 260-character limit and names outside ASCII work through every file
// operation (on Windows they cross the system boundary as UTF-16 with the long-path form).
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temporary_file.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(LongPaths, EveryOperationWorksPastTheOldLimitAndWithNamesOutsideAscii) {
  test::ScratchFolder dir;
  std::string folder = dir.path();
  while (folder.size() < 300) folder = JoinPath(folder, "Grüße Ordner 0123456789");
  ASSERT_TRUE(CreateFolder(folder, true).ok());
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_TRUE(IdentifyFolder(folder).has_value());

  const std::string file = JoinPath(folder, "Wagen €.viv");
  ASSERT_TRUE(WriteFileAtomic(file, std::string("KVIV\r\n\x1A\0tail", 12)).ok());
  EXPECT_EQ(ReadWholeFile(file), std::string("KVIV\r\n\x1A\0tail", 12));  // binary: CR LF and Ctrl-Z kept
  EXPECT_EQ(FileSize(file), 12u);
  ASSERT_EQ(ListFolder(folder).size(), 1u);
  EXPECT_EQ(ListFolder(folder)[0].name, "Wagen €.viv");
  EXPECT_EQ(ResolvePath(JoinPath(folder, "WAGEN €.VIV")), file);

  const std::string copy = JoinPath(folder, "Kopie.viv");
  ASSERT_TRUE(CopyFile(file, copy).ok());
  EXPECT_EQ(RenameNoReplace(copy, file).status, FsStatus::kAlreadyExists);
  const std::string moved = JoinPath(folder, "Verschoben.viv");
  ASSERT_TRUE(RenameNoReplace(copy, moved).ok());
  ASSERT_TRUE(SetReadOnly(moved, true).ok());
  EXPECT_TRUE(IsReadOnly(moved));
  ASSERT_TRUE(SetReadOnly(moved, false).ok());

  TemporaryFile temp;
  ASSERT_TRUE(TemporaryFile::CreateIn(folder, temp).ok());
  ASSERT_TRUE(temp.Commit(moved).ok());  // replaces in one step
  EXPECT_EQ(ReadWholeFile(moved), "");

  EXPECT_TRUE(DeleteFile(moved).ok());
  EXPECT_TRUE(DeleteFile(file).ok());
  EXPECT_TRUE(ListFolder(folder).empty());
  EXPECT_TRUE(RemoveEmptyFolder(folder).ok());
  EXPECT_FALSE(IsFolder(folder));
}

}  // namespace
}  // namespace krax
