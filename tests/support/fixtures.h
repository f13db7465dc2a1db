// Where the real files made by other programs live (a folder shared beside the checkout).
// A clone without it skips the tests that need them instead of failing.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace krax::test {

inline std::string FixturePath(const std::string& relative) {
  return std::string(KRAX_FIXTURES_DIR) + "/" + relative;
}

}  // namespace krax::test

#define KRAX_REQUIRE_FIXTURES()                                                         \
  do {                                                                                  \
    if (!std::filesystem::exists(KRAX_FIXTURES_DIR)) {                                  \
      GTEST_SKIP() << "fixtures folder " << KRAX_FIXTURES_DIR << " is not here";        \
    }                                                                                   \
  } while (0)
