// Cabinets written by other programs extract byte for byte.
#include "support/fixtures.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "archive/archive_name_list.h"
#include "archive/cab/cab_entries.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/scratch_folder.h"
#include "sha256.h"

namespace krax::test {
namespace {

struct ExpectedFile {
  std::string name;
  std::uint64_t size = 0;
  std::string sha256;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// expected.json: { "<cabinet>": { "files": [ { "name": ..., "size": ..., "sha256": ... } ] } }
// A small scanner over its strings and numbers is all this layout needs.
std::map<std::string, std::vector<ExpectedFile>> LoadExpected() {
  const std::string json = ReadText(test::FixturePath("cab/expected.json"));
  std::map<std::string, std::vector<ExpectedFile>> result;
  std::size_t pos = 0;
  auto nextString = [&]() -> std::optional<std::string> {
    pos = json.find('"', pos);
    if (pos == std::string::npos) return std::nullopt;
    std::string text;
    for (++pos; pos < json.size() && json[pos] != '"'; ++pos) {
      if (json[pos] == '\\' && pos + 1 < json.size()) ++pos;
      text.push_back(json[pos]);
    }
    ++pos;
    return text;
  };
  std::vector<ExpectedFile>* files = nullptr;
  while (auto key = nextString()) {
    if (key->size() > 4 && key->substr(key->size() - 4) == ".cab") {
      files = &result[*key];
    } else if (*key == "name" && files) {
      files->push_back({nextString().value_or(""), 0, ""});
    } else if (*key == "size" && files && !files->empty()) {
      pos = json.find_first_of("0123456789", pos);
      files->back().size = std::stoull(json.substr(pos));
    } else if (*key == "sha256" && files && !files->empty()) {
      files->back().sha256 = nextString().value_or("");
    }
  }
  return result;
}

using TempFolder = ScratchFolder;

TEST(CabFixtures, EveryFixtureExtractsByteForByte) {
  KRAX_REQUIRE_FIXTURES("cab");
  const auto expected = LoadExpected();
  ASSERT_EQ(expected.size(), 5u) << "expected.json not understood";
  for (const auto& [cabinet, files] : expected) {
    SCOPED_TRACE(cabinet);
    const std::string path = test::FixturePath("cab/" + cabinet);

    ArchiveNameList listed;
    ASSERT_TRUE(ListCabinetEntries(path, listed, 999));
    ASSERT_EQ(listed.size(), files.size());
    ArchiveNameList wanted;
    for (std::size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(listed[i], files[i].name);
      wanted.push_back(files[i].name);
    }

    TempFolder dest;
    ASSERT_TRUE(ExtractCabinetEntries(path, wanted, dest.path()));
    for (const auto& file : files) {
      const std::string written = JoinPath(dest.path(), file.name);
      const auto content = ReadWholeFile(written);
      ASSERT_TRUE(content.has_value()) << file.name;
      EXPECT_EQ(content->size(), file.size) << file.name;
      EXPECT_EQ(Sha256Hex(*content), file.sha256) << file.name;
    }
  }
}

TEST(CabFixtures, Sha256KnownAnswers) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(std::string(1000, 'a')).substr(0, 16), "41edece42d63e8d9");
}

}  // namespace
}  // namespace krax::test
