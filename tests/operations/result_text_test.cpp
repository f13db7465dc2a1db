#include <gtest/gtest.h>

#include "operations/operations.h"

namespace krax {
namespace {

// The text the window and kraxctl show for a result: a failure is never silent.
TEST(ResultText, AFailureAlwaysSaysSomethingAndOtherResultsShowTheirMessage) {
  const struct {
    OperationResult result;
    const char* shown;
  } cases[] = {
      {{OperationStatus::kFailed, "Install Car", ""}, "Install Car failed"},
      {{OperationStatus::kFailed, "Install Car", "The archive is damaged."}, "The archive is damaged."},
      {{OperationStatus::kDone, "Install Car", ""}, ""},
      {{OperationStatus::kDone, "Install Car", "Installed \"Bolt\"."}, "Installed \"Bolt\"."},
      {{OperationStatus::kCancelled, "Install Car", ""}, ""},
      {{OperationStatus::kCancelled, "Install Car", "Nothing installed."}, "Nothing installed."},
  };
  for (const auto& c : cases) EXPECT_EQ(ResultText(c.result), c.shown) << c.result.command << '/' << c.result.message;
}

}  // namespace
}  // namespace krax
