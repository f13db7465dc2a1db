#include "gamedata/viv_archive.h"
#include "gamedata/viv_rewrite.h"

#include <gtest/gtest.h>

#include "gamedata_test_support.h"

namespace krax {
namespace {

using test::BuildViv;
using test::PutBigEndian32;
using test::ScratchDir;
using test::WriteFile;

// Opens `bytes` as an archive file and returns its directory.
VivDirectory ReadImage(const ScratchDir& dir, const std::string& bytes) {
  const auto path = dir.path() / "car.viv";
  WriteFile(path, bytes);
  VivDirectory directory;
  VivFile file = ReadVivDirectory(path.string(), directory);
  EXPECT_TRUE(file.isOpen());
  return directory;
}

TEST(VivDirectoryReading, ReadsWellFormedArchivesAsStored) {
  ScratchDir dir;
  // Empty directory: D = 16.
  VivDirectory empty = ReadImage(dir, BuildViv({}));
  EXPECT_EQ(empty.count(), 0u);
  EXPECT_FALSE(empty.damaged);

  // Names keep their case; lookups are exact; up to three padding bytes are ignored;
  // bytes 0-11 may hold anything.
  std::string bytes = BuildViv({{"FEDATA.ENG", "abc"}, {"carp.txt", "xyz"}}, std::string_view("\0\0\0", 3));
  bytes.replace(0, 4, "\xFF\x00\x13\x37", 4);
  VivDirectory directory = ReadImage(dir, bytes);
  ASSERT_EQ(directory.count(), 2u);
  EXPECT_FALSE(directory.damaged);
  EXPECT_EQ(directory.entries[0].name, "FEDATA.ENG");
  EXPECT_EQ(directory.find("fedata.eng"), nullptr);
  ASSERT_NE(directory.find("carp.txt"), nullptr);
  EXPECT_EQ(directory.length, 2u * 9 + 10 + 8 + 3);
}

TEST(VivDirectoryReading, NumbersAreBigEndianAndEntriesReadWithTheirData) {
  ScratchDir dir;
  std::string bytes(12, '\0');
  PutBigEndian32(bytes, 16 + 9 + 1);  // one entry named "a"
  PutBigEndian32(bytes, 300);         // 00 00 01 2C
  PutBigEndian32(bytes, 4);
  bytes += "a";
  bytes.push_back('\0');
  bytes.resize(300, '.');
  bytes += "DATA";
  const auto path = dir.path() / "car.viv";
  WriteFile(path, bytes);
  VivDirectory directory;
  VivFile file = ReadVivDirectory(path.string(), directory);
  ASSERT_EQ(directory.count(), 1u);
  EXPECT_EQ(directory.entries[0].offset, 300);
  const std::optional<std::string> data = ReadVivEntry(file, directory.entries[0]);
  ASSERT_TRUE(data);
  EXPECT_EQ(*data, "DATA");
  EXPECT_EQ(data->c_str()[4], '\0');
}

TEST(VivDirectoryReading, DamagedArchivesAreReadUpToTheLastSoundEntry) {
  ScratchDir dir;
  const std::string good = BuildViv({{"one", "1111"}, {"two", "2222"}});

  // A file shorter than the header, and a directory end below 16: empty, but opened.
  EXPECT_EQ(ReadImage(dir, "short").count(), 0u);
  std::string lowEnd = good;
  lowEnd.replace(12, 4, std::string("\0\0\0\x0F", 4));
  VivDirectory low = ReadImage(dir, lowEnd);
  EXPECT_EQ(low.count(), 0u);
  EXPECT_TRUE(low.damaged);

  // Directory end far past the end of the file: the entries the file holds are read.
  std::string farEnd = good;
  farEnd.replace(12, 4, std::string("\x7F\0\0\0", 4));
  VivDirectory far = ReadImage(dir, farEnd);
  EXPECT_TRUE(far.damaged);
  EXPECT_LE(far.count(), 2u);

  // The second entry's data runs past the end of the file: listed, but it cannot be read.
  const auto path = dir.path() / "cut.viv";
  WriteFile(path, good.substr(0, good.size() - 2));
  VivDirectory outside;
  VivFile file = ReadVivDirectory(path.string(), outside);
  ASSERT_EQ(outside.count(), 2u);
  EXPECT_EQ(ReadVivEntry(file, outside.entries[0]), "1111");
  EXPECT_EQ(ReadVivEntry(file, outside.entries[1]), std::nullopt);
  const VivEntry beyond{"beyond", 0x7FFFFFF0, 0x7FFFFFF0};
  EXPECT_EQ(ReadVivEntry(file, beyond), std::nullopt);

  // A name without its zero byte inside the directory.
  std::string noZero = good;
  const std::size_t zeroOfTwo = 16 + 9 + 3 + 8 + 3;
  ASSERT_EQ(noZero[zeroOfTwo], '\0');
  noZero[zeroOfTwo] = 'X';
  VivDirectory unterminated = ReadImage(dir, noZero);
  ASSERT_EQ(unterminated.count(), 1u);
  EXPECT_TRUE(unterminated.damaged);
}

TEST(VivDirectoryReading, LongDirectoriesAndEntriesBeyondTheFirstReadAreRead) {
  ScratchDir dir;
  std::vector<test::TestEntry> entries;
  for (int i = 0; i < 90; ++i) entries.push_back({std::string(60, 'n') + std::to_string(i), "small"});
  entries.push_back({"big", std::string(100000, 'b') + "end"});
  const auto path = dir.path() / "long.viv";
  WriteFile(path, BuildViv(entries));
  VivDirectory directory;
  VivFile file = ReadVivDirectory(path.string(), directory);
  ASSERT_EQ(directory.count(), 91u);  // the directory alone is larger than the first read
  EXPECT_FALSE(directory.damaged);
  EXPECT_EQ(ReadVivEntry(file, directory.entries[89]), "small");
  const auto big = ReadVivEntry(file, directory.entries[90]);
  ASSERT_TRUE(big);
  EXPECT_EQ(big->substr(big->size() - 3), "end");
}

TEST(VivDirectoryReading, KeepsAtMost99Entries) {
  ScratchDir dir;
  std::vector<test::TestEntry> entries;
  for (int i = 0; i < 120; ++i) entries.push_back({"e" + std::to_string(i), "x"});
  VivDirectory directory = ReadImage(dir, BuildViv(entries));
  EXPECT_EQ(directory.count(), kVivMaxEntries);
  EXPECT_EQ(directory.entries.back().name, "e98");
  EXPECT_TRUE(directory.damaged);
}

TEST(VivDirectoryReading, ParsingArbitraryBytesStaysInsideTheImage) {
  // Entry fields cut short just before the directory end.
  std::string bytes(12, '\0');
  PutBigEndian32(bytes, 16 + 6);
  bytes += std::string("\0\0\0\x10\0\0", 6);
  const VivDirectory directory = ParseVivDirectory(bytes);
  EXPECT_EQ(directory.count(), 0u);
  EXPECT_TRUE(directory.damaged);
}

// Data that shares bytes with the header, the directory or another entry is damage: such
// entries are marked and never read as data, the others read as usual.
TEST(VivDirectoryReading, EntriesOverlappingTheHeaderTheDirectoryOrEachOtherAreDamage) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::size_t, std::uint32_t>> offsets;  // entry index -> new data offset
    std::vector<bool> overlaps;                                   // per entry: one, two, three
  };
  const std::string sound = BuildViv({{"one", "1111"}, {"two", "2222"}, {"three", "3333"}});
  const auto dataStart = static_cast<std::uint32_t>(ParseVivDirectory(sound).entries[0].offset);
  const Case cases[] = {
      {"sound", {}, {false, false, false}},
      {"into the header", {{1, 0}}, {false, true, false}},
      {"into the header's last byte", {{1, 15}}, {false, true, false}},
      {"into the directory", {{1, 20}}, {false, true, false}},
      {"into the directory's last byte", {{1, dataStart - 1}}, {true, true, false}},
      {"across two other entries", {{2, dataStart + 2}}, {true, true, true}},
      {"the same data as another entry", {{2, dataStart}}, {true, false, true}},
      {"the data in another order", {{1, dataStart + 8}, {2, dataStart + 4}}, {false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = sound;
    for (const auto& [index, offset] : c.offsets) {
      std::size_t at = 16;
      for (std::size_t i = 0; i < index; ++i) at += 9 + (i == 2 ? 5 : 3);
      std::string field;
      PutBigEndian32(field, offset);
      bytes.replace(at, 4, field);
    }
    ScratchDir dir;
    WriteFile(dir.path() / "car.viv", bytes);
    VivDirectory directory;
    VivFile file = ReadVivDirectory((dir.path() / "car.viv").string(), directory);
    ASSERT_EQ(directory.count(), 3u);  // all stay listed
    bool any = false;
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(directory.entries[i].overlaps, c.overlaps[i]) << i;
      any = any || c.overlaps[i];
      if (c.overlaps[i]) {
        EXPECT_EQ(ReadVivEntry(file, directory.entries[i]), std::nullopt) << i;
      }
    }
    EXPECT_EQ(directory.damaged, any);
    // A damaged archive is never rewritten. (Closed first: Windows replaces no open file.)
    file.Close();
    VivEdit edit;
    edit.fields.push_back(VivFieldWrite{[](std::string_view) { return true; }, 0, "Z"});
    EXPECT_EQ(EditVivArchive((dir.path() / "car.viv").string(), edit).ok(), !any);
  }
}

TEST(VivDirectoryReading, MissingFilesAndFoldersDoNotOpen) {
  ScratchDir dir;
  VivDirectory directory;
  EXPECT_FALSE(ReadVivDirectory((dir.path() / "none.viv").string(), directory).isOpen());
  std::filesystem::create_directories(dir.path() / "car.viv");
  EXPECT_FALSE(ReadVivDirectory((dir.path() / "car.viv").string(), directory).isOpen());
}

VivEdit Fields(std::function<bool(std::string_view)> select, std::uint32_t position, std::string bytes) {
  VivEdit edit;
  edit.fields.push_back(VivFieldWrite{std::move(select), position, std::move(bytes)});
  return edit;
}

TEST(VivPatching, WritesOnlyTheSelectedBytesAndKeepsTheSize) {
  ScratchDir dir;
  const auto path = dir.path() / "car.viv";
  const std::string before = BuildViv({{"fedata.eng", std::string(30, 'a')},
                                       {"fedata.fsh", std::string(30, 'b')},
                                       {"fedata.ger", std::string(30, 'c')}});
  WriteFile(path, before);
  VivDirectory directory;
  ReadVivDirectory(path.string(), directory);
  ASSERT_TRUE(EditVivArchive(path.string(), Fields([](std::string_view name) { return name != "fedata.fsh"; }, 24,
                                                   "\x01\x02")));
  const std::string after = test::ReadFile(path);
  ASSERT_EQ(after.size(), before.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < after.size(); ++i) differing += after[i] != before[i];
  EXPECT_EQ(differing, 4u);
  EXPECT_EQ(after.substr(static_cast<std::size_t>(directory.entries[0].offset) + 24, 2), "\x01\x02");
  EXPECT_EQ(after.substr(static_cast<std::size_t>(directory.entries[2].offset) + 24, 2), "\x01\x02");
  VivDirectory again;
  ReadVivDirectory(path.string(), again);
  EXPECT_EQ(again.count(), 3u);
}

TEST(VivPatching, RefusesTargetsOutsideTheirEntryAndMissingFiles) {
  ScratchDir dir;
  const auto path = dir.path() / "car.viv";
  // The second entry is too short for the two bytes at 24: writing would hit the next entry.
  const std::string before = BuildViv({{"fedata.eng", std::string(30, 'a')},
                                       {"fedata.ger", std::string(10, 'c')},
                                       {"after", std::string(30, 'z')}});
  WriteFile(path, before);
  VivDirectory directory;
  ReadVivDirectory(path.string(), directory);
  const auto fedata = [](std::string_view name) { return name.find("fedata") != std::string_view::npos; };
  EXPECT_EQ(EditVivArchive(path.string(), Fields(fedata, 24, "\x01\x02")).status, VivWriteStatus::kNoEntry);
  EXPECT_EQ(test::ReadFile(path), before);

  // A file cut short since the last load: its directory now points past its end.
  WriteFile(path, before.substr(0, 40));
  EXPECT_EQ(EditVivArchive(path.string(), Fields([](std::string_view) { return true; }, 0, "Q")).status,
            VivWriteStatus::kDamaged);
  EXPECT_EQ(test::ReadFile(path), before.substr(0, 40));

  const auto missing = dir.path() / "gone.viv";
  EXPECT_EQ(EditVivArchive(missing.string(), Fields(fedata, 24, "\x01\x02")).status, VivWriteStatus::kUnreadable);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace krax
