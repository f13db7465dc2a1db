#include "platform/file_name_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

// Pairs Windows lists in this order, and pairs it takes for one name.
TEST(FileNameOrder, ComparesUpperCaseUtf16CodeUnits) {
  struct Case {
    const char* first;
    const char* second;
    int order;  // CompareFileNames(first, second) < 0, == 0 or > 0
  };
  const std::vector<Case> cases = {
      {"BRAK", "KOVA", -1},
      {"apex", "Beta", -1},             // bytes would put "Beta" first
      {"zbbb", "z_aa", -1},             // '_' comes after the capitals, not before the small letters
      {"Z_AA", "z_aa", 0},
      {"car", "car.viv", -1},           // a name before its longer continuations
      {"Dustbowl", "dUSTBOWL", 0},
      {"\xc3\xa9" "a", "\xc3\x89" "b", -1},   // éa before Éb: É and é are one letter
      {"\xc3\xbf", "\xc5\xb8", 0},            // ÿ and Ÿ
      {"\xc5\xa1" "x", "\xc5\xa0" "X", 0},    // šx and ŠX
      {"Zeta", "\xc3\x89" "clair", -1},       // É (U+00C9) after Z
      {"\xd0\xb4", "\xd0\x94", 0},            // Cyrillic д and Д
      {"\xf0\x9f\x8f\x81", "\xef\xbc\xa1", -1},  // U+1F3C1 is a surrogate pair, before U+FF21
      {"\xe9" "a", "\xc3\x89" "b", -1},       // a byte outside UTF-8 reads as Windows-1252 é
      {"\x8a", "\xc5\xa0", 0},                // Windows-1252 Š as a lone byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " / " + c.second);
    const int order = CompareFileNames(c.first, c.second);
    EXPECT_EQ((order > 0) - (order < 0), c.order);
    const int reverse = CompareFileNames(c.second, c.first);
    EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order);
    // Names Windows takes for one still get one order, bytes first.
    if (c.order == 0) {
      EXPECT_NE(FileNameLess(c.first, c.second), FileNameLess(c.second, c.first));
    }
  }
}

std::string RandomName(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"a", "B", "z", "Z", "_", ".", "0", "9", " ", "-",
                                                  "\xc3\xa9", "\xc3\x89", "\xc3\xbf", "\xc5\xb8", "\xe9",
                                                  "\xd0\xb4", "\xf0\x9f\x8f\x81", "\xef\xbc\xa1"};
  std::string name;
  const int length = 1 + static_cast<int>(random() % 5);
  for (int i = 0; i < length; ++i) name += pieces[random() % pieces.size()];
  return name;
}

// The case twin Windows sees as the same name: ASCII letters flipped.
std::string FlipAsciiCase(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 32);
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 32);
    }
  }
  return name;
}

TEST(FileNameOrder, IsATotalOrderThatIgnoresCase) {
  std::mt19937 random(20261208);
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back(RandomName(random));
  for (const std::string& a : names) {
    EXPECT_EQ(CompareFileNames(a, FlipAsciiCase(a)), 0) << a;
    EXPECT_FALSE(FileNameLess(a, a)) << a;
  }
  for (std::size_t i = 0; i + 2 < names.size(); i += 3) {
    const std::string& a = names[i];
    const std::string& b = names[i + 1];
    const std::string& c = names[i + 2];
    // Exactly one of a < b, b < a, a == b; and transitivity over every arrangement.
    EXPECT_EQ(FileNameLess(a, b) + FileNameLess(b, a) + (a == b), 1) << a << " / " << b;
    const std::string* abc[] = {&a, &b, &c};
    std::sort(std::begin(abc), std::end(abc));
    do {
      if (FileNameLess(*abc[0], *abc[1]) && FileNameLess(*abc[1], *abc[2])) {
        EXPECT_TRUE(FileNameLess(*abc[0], *abc[2])) << *abc[0] << " / " << *abc[1] << " / " << *abc[2];
      }
    } while (std::next_permutation(std::begin(abc), std::end(abc)));
    // The case-insensitive part decides wherever it differs.
    const int order = CompareFileNames(a, b);
    if (order != 0) {
      EXPECT_EQ(FileNameLess(a, b), order < 0);
    }
    EXPECT_EQ(CompareFileNames(FlipAsciiCase(a), b), order);
  }
}

// Whatever order the files were made in, the listing comes in one order.
TEST(FileNameOrder, ListFolderReturnsThatOrder) {
  std::mt19937 random(7);
  test::ScratchFolder dir;
  std::set<std::string> made;
  for (int i = 0; i < 60; ++i) {
    std::string name = RandomName(random);
    if (name.find_first_of(". ") != std::string::npos || name.find('\xe9') != std::string::npos) continue;
#ifdef _WIN32
    // One name per letter case on Windows.
    if (std::any_of(made.begin(), made.end(), [&](const std::string& m) { return CompareFileNames(m, name) == 0; })) {
      continue;
    }
#endif
    if (!made.insert(name).second) continue;
    if (i % 2) {
      dir.write(name, "x");
    } else {
      dir.mkdir(name);
    }
  }
  std::vector<std::string> listed;
  for (const DirEntry& entry : ListFolder(dir.path())) listed.push_back(entry.name);
  std::vector<std::string> expected(made.begin(), made.end());
  std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) { return FileNameLess(a, b); });
  EXPECT_EQ(listed, expected);
}

}  // namespace
}  // namespace krax
