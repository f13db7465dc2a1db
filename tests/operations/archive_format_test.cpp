// The zip and cabinet formats behind the one interface the installs and packing use: what one
// writes, the same one lists, sizes and extracts, and each names what it could not extract.
#include "operations/archive_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(ArchiveFormat, WhatEachWritesItListsSizesAndExtracts) {
  struct Case {
    ArchiveKind kind;
    const char* extension;
    const char* command;
  };
  for (const Case& c :
       {Case{ArchiveKind::kZip, ".zip", "Create Zip"}, Case{ArchiveKind::kCabinet, ".CAB", "Create Cabinet"}}) {
    SCOPED_TRACE(c.command);
    const ArchiveFormat& format = ArchiveFormatFor(c.kind);
    EXPECT_EQ(format.kind(), c.kind);
    EXPECT_EQ(format.extension(), c.extension);
    EXPECT_EQ(format.packCommand(), c.command);

    test::ScratchFolder scratch;
    const std::string source = scratch.mkdir("Kit");
    const std::vector<std::string> files = {scratch.write("Kit/car.viv", std::string(3000, 'v')),
                                            scratch.write("Kit/readme.txt", "read me")};
    const std::string archive = scratch / (std::string("Kit") + c.extension);
    const ArchiveWriting written = format.Write(archive, files, source, {}, {});
    ASSERT_TRUE(written.ok) << written.message;
    EXPECT_TRUE(written.followingParts.empty());
    EXPECT_EQ(ArchiveKindOf(archive), c.kind);

    ArchiveNameList names;
    ASSERT_TRUE(format.ListEntries(archive, names, 999));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (ArchiveNameList{"car.viv", "readme.txt"}));
    std::vector<ArchiveEntrySize> sizes;
    format.ListEntrySizes(archive, sizes);
    ASSERT_EQ(sizes.size(), 2u);
    for (const ArchiveEntrySize& entry : sizes)
      EXPECT_EQ(entry.size, entry.name == "car.viv" ? 3000u : 7u) << entry.name;
    EXPECT_EQ(format.PartlyReadProblem(archive, names, 999), "");

    // Names are found ignoring case; one the archive lacks is named with a reason.
    const std::string out = scratch.mkdir("out");
    const EntryExtraction extraction = format.ExtractEntries(archive, {"CAR.VIV", "missing.txt"}, out, nullptr);
    EXPECT_EQ(extraction.problem, "");
    ASSERT_EQ(extraction.failed.size(), 1u);
    EXPECT_EQ(extraction.failed[0].first, "missing.txt");
    EXPECT_FALSE(extraction.failed[0].second.empty());
    EXPECT_EQ(test::ReadFileBytes(scratch / "out/car.viv"), std::string(3000, 'v'));
    EXPECT_FALSE(std::filesystem::exists(scratch / "out/readme.txt"));
  }
}

TEST(ArchiveFormat, AFileThatIsNoArchiveExtractsNothing) {
  for (const ArchiveKind kind : {ArchiveKind::kZip, ArchiveKind::kCabinet}) {
    SCOPED_TRACE(kind == ArchiveKind::kZip ? "zip" : "cabinet");
    const ArchiveFormat& format = ArchiveFormatFor(kind);
    test::ScratchFolder scratch;
    const std::string junk = scratch.write("junk.bin", std::string(200, 'x'));
    ArchiveNameList names;
    EXPECT_FALSE(format.ListEntries(junk, names, 999));
    EXPECT_TRUE(names.empty());
    const std::string out = scratch.mkdir("out");
    const EntryExtraction extraction = format.ExtractEntries(junk, {"car.viv"}, out, nullptr);
    EXPECT_FALSE(extraction.ok());
    EXPECT_TRUE(std::filesystem::is_empty(out));
  }
}

}  // namespace
}  // namespace krax
