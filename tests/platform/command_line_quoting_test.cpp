#include "platform/command_line_quoting.h"

#include <gtest/gtest.h>

#include "platform/path.h"
#include "platform/process.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(QuoteWindowsArgument, QuotesOnlyWhatTheStartUpCodeWouldSplitOrStrip) {
  const struct {
    const char* word;
    const char* quoted;
  } cases[] = {
      {"krax.exe", "krax.exe"},
      {"C:\\Games\\Kraxrun\\", "C:\\Games\\Kraxrun\\"},  // no blank: backslashes stay as they are
      {"", "\"\""},
      {"two words", "\"two words\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"C:\\My Games\\", "\"C:\\My Games\\\\\""},   // a backslash before the closing quote doubles
      {"a\\\"b", "\"a\\\\\\\"b\""},                  // backslash then quote: both escaped
      {"tab\there", "\"tab\there\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteWindowsArgument(c.word), c.quoted) << c.word;
  EXPECT_EQ(WindowsCommandLine({"krax.exe", "-nomovie", "a b"}), "krax.exe -nomovie \"a b\"");
}

// Whatever the words, the started program receives them unchanged: kraxctl stores each one
// literally as a setting, so the settings file shows what arrived.
TEST(StartProgram, EveryWordArrivesUnchanged) {
  test::ScratchFolder dir;
  const std::string settings = dir / "my settings.ini";
  const std::string values[] = {"carstudio \"%1\" --fast", "C:\\My Games\\", "a\\\"b", "tail\\\\", "x  y", "é ü"};
  for (const std::string& value : values) {
    StartOptions options;
    options.wait = true;
    const ProcessResult r = StartProgram({KRAX_KRAXCTL, "--settings", settings, "settings", "set", "KRAXCarEdit", value},
                                         options);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.exitCode, 0) << value;
    EXPECT_NE(test::ReadFileBytes(settings).find("KRAXCarEdit=" + value + "\n"), std::string::npos) << value;
  }
}

}  // namespace
}  // namespace krax
