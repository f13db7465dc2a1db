// kraxctl's answers to the operations' questions where there is no terminal: --yes answers
// them all except whether to delete for good, which only --delete-for-good answers.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/context.h"
#include "cli/terminal_prompts.h"

namespace krax::cli {
namespace {

TEST(TerminalPrompts, YesNeverDeletesForGood) {
  struct Case {
    QuestionKind kind;
    bool yes, deleteForGood;
    bool answer;
    const char* said;  // what stderr says after the question
  };
  const Case cases[] = {
      {QuestionKind::kGoOn, false, false, false, "Refused: no terminal to ask (use --yes)"},
      {QuestionKind::kGoOn, true, false, true, "[yes: --yes]"},
      {QuestionKind::kGoOn, false, true, false, "Refused: no terminal to ask (use --yes)"},
      {QuestionKind::kDeleteForGood, false, false, false, "Refused: no terminal to ask (use --delete-for-good)"},
      {QuestionKind::kDeleteForGood, true, false, false, "Refused: --yes never deletes for good (use --delete-for-good)"},
      {QuestionKind::kDeleteForGood, false, true, true, "[yes: --delete-for-good]"},
      {QuestionKind::kDeleteForGood, true, true, true, "[yes: --delete-for-good]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.kind)) + (c.yes ? " --yes" : "") +
                 (c.deleteForGood ? " --delete-for-good" : ""));
    std::ostringstream out, err;
    std::istringstream in("y\n");  // never read: there is no terminal
    Context context(out, err, in, {});
    if (context.interactive()) GTEST_SKIP() << "standard input is a terminal";
    TerminalPrompts prompts(context, c.yes);
    prompts.AllowDeleteForGood(c.deleteForGood);
    EXPECT_EQ(prompts.Question(c.kind, "Delete X for good? This cannot be undone."), c.answer);
    EXPECT_NE(err.str().find(std::string("This cannot be undone. ") + c.said), std::string::npos) << err.str();
  }
}

// A question that can be cancelled (whether to keep the state before the stock game): --yes
// says yes; without a terminal it is refused as a plain question is, which goes on without.
TEST(TerminalPrompts, QuestionWithCancelWithoutATerminal) {
  struct Case {
    bool yes;
    Answer answer;
    const char* said;
  };
  const Case cases[] = {
      {false, Answer::kNo, "Keep it? Refused: no terminal to ask (use --yes)"},
      {true, Answer::kYes, "Keep it? [yes: --yes]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.yes);
    std::ostringstream out, err;
    std::istringstream in("\n");  // never read: there is no terminal
    Context context(out, err, in, {});
    if (context.interactive()) GTEST_SKIP() << "standard input is a terminal";
    TerminalPrompts prompts(context, c.yes);
    EXPECT_EQ(prompts.QuestionWithCancel(QuestionKind::kSaveStateBeforeStockGame, "Keep it?"), c.answer);
    EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
  }
}

}  // namespace
}  // namespace krax::cli
