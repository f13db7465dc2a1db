// How a kraxctl command reads its command line with its table of options, and the usage
// lines its help takes from the same table.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"

namespace krax::cli {
namespace {

int RunNothing(Context&, const Arguments&) { return kExitOk; }

const Command kDemo{"demo",
                    "a command to read with",
                    {{"SRC", {"--id", "--yes"}}, {"list"}},
                    "Text after the usage lines.\n",
                    {{"--id", "ID"}, {"--yes", {}, "-y"}, {"--json"}},
                    RunNothing};

TEST(CommandOptions, ReadsWordsAndOptionsAsTheTableDeclaresThem) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> words;
    int yes, json;
    std::optional<std::string> id;
  };
  const Case cases[] = {
      {{"a", "--yes", "b"}, {"a", "b"}, 1, 0, std::nullopt},
      {{"-y", "a"}, {"a"}, 1, 0, std::nullopt},
      {{"--json", "--json"}, {}, 0, 2, std::nullopt},
      {{"--id", "X", "a"}, {"a"}, 0, 0, "X"},
      {{"--id=X=Y"}, {}, 0, 0, "X=Y"},
      {{"--id="}, {}, 0, 0, ""},
      {{"--id", "--yes"}, {}, 0, 0, "--yes"},  // a value is taken as it stands
      {{"--id", "A", "--id", "B"}, {}, 0, 0, "B"},
      // "--" ends the options; a dash without a letter after it is a word.
      {{"--", "--yes", "-y"}, {"--yes", "-y"}, 0, 0, std::nullopt},
      {{"-", "-5", "-- Race --", "--"}, {"-", "-5", "-- Race --"}, 0, 0, std::nullopt},
      {{}, {}, 0, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& arg : c.args) line += "'" + arg + "' ";
    SCOPED_TRACE(line);
    const Arguments read = ReadArguments(kDemo, c.args);
    EXPECT_EQ(read.words, c.words);
    EXPECT_EQ(read.Count("--yes"), c.yes);
    EXPECT_EQ(read.Has("--yes"), c.yes > 0);
    EXPECT_EQ(read.Count("--json"), c.json);
    EXPECT_EQ(read.Value("--id"), c.id);
    EXPECT_EQ(read.anyOption(), c.yes + c.json > 0 || c.id.has_value());
  }
}

TEST(CommandOptions, AnOptionOutsideTheTableOrWithoutItsValueIsAUsageError) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"a", "--bogus"}, "demo: unknown option \"--bogus\" (see kraxctl demo --help)"},
      {{"--bogus=1"}, "demo: unknown option \"--bogus\" (see kraxctl demo --help)"},
      {{"-q"}, "demo: unknown option \"-q\" (see kraxctl demo --help)"},
      {{"--Yes"}, "demo: unknown option \"--Yes\" (see kraxctl demo --help)"},
      {{"--ye"}, "demo: unknown option \"--ye\" (see kraxctl demo --help)"},
      {{"a", "--id"}, "demo: --id needs a value"},
      {{"--yes=1"}, "demo: --yes takes no value"},
      {{"-y=1"}, "demo: --yes takes no value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    try {
      ReadArguments(kDemo, c.args);
      ADD_FAILURE() << "read without a usage error";
    } catch (const UsageError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
}

TEST(CommandOptions, HelpTakesItsUsageLinesFromTheTable) {
  EXPECT_EQ(HelpText(kDemo),
            "Usage: kraxctl demo SRC [--id ID] [--yes]\n"
            "       kraxctl demo list\n"
            "Text after the usage lines.\n");
  const Command bare{"bare", "", {{""}}, "", {}, RunNothing};
  EXPECT_EQ(HelpText(bare), "Usage: kraxctl bare\n");
}

}  // namespace
}  // namespace krax::cli
