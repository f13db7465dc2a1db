// Where the real files made by other programs live (a folder shared beside the checkout).
// A clone without it skips the tests that need them instead of failing; every such test
// starts with KRAX_REQUIRE_FIXTURES, which names the missing folder in the skip message
// (ctest lists the test as skipped, not as passed).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace krax::test {

inline std::string FixturePath(const std::string& relative) {
  return std::string(KRAX_FIXTURES_DIR) + "/" + relative;
}

// The skip message when the fixture folder `folder` (relative to the fixtures) is missing;
// empty when it is there.
inline std::string MissingFixtureFolder(const std::string& folder) {
  const std::string path = FixturePath(folder);
  if (std::filesystem::is_directory(path)) return {};
  return "FIXTURES MISSING: the fixture folder " + path +
         " is not here (the shared fixtures beside the checkout); this test did not run";
}

}  // namespace krax::test

// Skips the test, saying which folder is missing, unless the fixture folder `folder`
// (for example "cab") is there.
#define KRAX_REQUIRE_FIXTURES(folder)                                                   \
  do {                                                                                  \
    const std::string kraxMissingFixtures = ::krax::test::MissingFixtureFolder(folder); \
    if (!kraxMissingFixtures.empty()) GTEST_SKIP() << kraxMissingFixtures;              \
  } while (0)
