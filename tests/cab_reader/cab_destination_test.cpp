// Cabinet extraction into a destination that holds links, and the code page of stored
// names: what lands where, and that nothing outside the destination changes.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "archive/cab/cab_entries.h"
#include "cab_test_support.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/scratch_folder.h"

namespace krax::test {
namespace {

struct Entry {
  std::string storedName;  // the bytes of name
  std::uint16_t attribs = cab::kAttribArchive;
  std::string content;
};

struct DestinationCase {
  const char* what;
  std::vector<Entry> entries;
  bool withoutFolders = false;
  bool extracts = true;
  // Files expected below the destination afterwards (path -> content); links not listed.
  std::map<std::string, std::string> written;
  const char* problem = "";  // part of the failure message
};

#ifndef _WIN32
// The plain files below `folder`, by their path relative to it; links are not followed.
std::map<std::string, std::string> PlainFilesBelow(const std::string& folder, const std::string& prefix = "") {
  std::map<std::string, std::string> files;
  for (const DirEntry& entry : ListFolder(folder, true)) {
    const std::string path = JoinPath(folder, entry.name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      for (auto& [name, content] : PlainFilesBelow(path, prefix + entry.name + "/")) files[name] = content;
    } else if (S_ISREG(st.st_mode)) {
      files[prefix + entry.name] = ReadWholeFile(path).value_or("");
    }
  }
  return files;
}

#endif

TEST(CabinetDestination, NeverWritesThroughALinkAndNamesArriveInUtf8) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links and POSIX permission bits";
#else
  const DestinationCase cases[] = {
      {"a folder link inside the destination is refused", {{"dir1\\file1", cab::kAttribArchive, "sent"}}, false,
       false, {}, "refused to write through"},
      {"a file link is replaced, its target kept", {{"car.viv", cab::kAttribArchive, "new car"}}, false, true,
       {{"car.viv", "new car"}}},
      {"flat extraction passes no folder", {{"dir1\\car.bnk", cab::kAttribArchive, "flat"}}, true, true,
       {{"car.bnk", "flat"}}},
      {"a Windows-1252 name", {{"D\xFCst.txt", cab::kAttribArchive, "1252"}}, false, true,
       {{"D\xC3\xBCst.txt", "1252"}}},
      {"a name marked UTF-8", {{"D\xC3\xBCst.txt", cab::kAttribArchive | cab::kAttribNameIsUtf8, "utf"}}, false,
       true, {{"D\xC3\xBCst.txt", "utf"}}},
      {"UTF-8 bytes without the mark are code-page text",
       {{"D\xC3\xBCst.txt", cab::kAttribArchive, "raw"}}, false, true, {{"D\xC3\x83\xC2\xBCst.txt", "raw"}}},
      {"a mark on bytes that are no UTF-8", {{"\xE9t\xE9.txt", cab::kAttribNameIsUtf8, "bad"}}, false, true,
       {{"\xC3\xA9t\xC3\xA9.txt", "bad"}}},
      {"read-only and nested", {{"sub\\deep\\ro.txt", cab::kAttribReadOnly, "ro"}}, false, true,
       {{"sub/deep/ro.txt", "ro"}}},
  };
  for (const DestinationCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder scratch;
    const std::string dest = scratch.mkdir("dest");
    const std::string outside = scratch.mkdir("outside");
    scratch.write("outside/secret", "private");
    ASSERT_EQ(::symlink("../outside", (scratch / "dest/dir1").c_str()), 0);
    ASSERT_EQ(::symlink("../outside/secret", (scratch / "dest/car.viv").c_str()), 0);

    std::string contents;
    std::vector<std::pair<std::string, std::string>> files;
    for (const Entry& entry : c.entries) files.emplace_back(entry.storedName, entry.content);
    CabinetSpec spec;
    spec.files = FilesInFolder(files);
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
      spec.files[i].attribs = c.entries[i].attribs;
      contents += c.entries[i].content;
    }
    spec.folders = {StoredFolder(contents)};
    const Bytes bytes = BuildCabinet(spec);
    std::ofstream(scratch / "hostile.cab", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    cab::CabExtractRequest request;
    request.cabPath = scratch / "hostile.cab";
    request.destFolder = dest;
    request.withoutFolders = c.withoutFolders;
    const ArchiveResult result = cab::ExtractCabinet(request);
    const std::string message = result.ok() ? "" : result.Message();
    EXPECT_EQ(result.ok(), c.extracts) << message;
    EXPECT_NE(message.find(c.problem), std::string::npos) << message;
    EXPECT_EQ(PlainFilesBelow(dest), c.written);
    EXPECT_EQ(PlainFilesBelow(outside), (std::map<std::string, std::string>{{"secret", "private"}}));
    for (const auto& [name, content] : c.written) {
      struct stat st {};
      ASSERT_EQ(::lstat(JoinPath(dest, name).c_str(), &st), 0);
      const bool readOnly = (c.entries.front().attribs & cab::kAttribReadOnly) != 0;
      EXPECT_EQ((st.st_mode & 0222) == 0, readOnly) << name;
    }
  }
#endif
}

}  // namespace
}  // namespace krax::test
