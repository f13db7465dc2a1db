// kraxctl strings: the game's front-end strings, available while "KRAXText" is on.
#include <algorithm>
#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/item_arguments.h"
#include "cli/terminal_prompts.h"
#include "cli/terminal_text.h"
#include "cli/whole_number.h"
#include "gamedata/code_page.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"

namespace krax::cli {
namespace {

constexpr const char* kDisabledText = "This is disabled in option \"Enable KRAX String editting\"";

std::size_t ParseIndex(const std::string& text) {
  const std::optional<std::size_t> index = ParseWholeNumber<std::size_t>(text);
  if (!index) throw UsageError("strings: '" + text + "' is not a string index");
  return *index;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

int RunStrings(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  // --force: save a damaged text file even so (its unreadable strings are saved empty).
  const bool force = arguments.Has("--force");
  if (args.empty()) throw UsageError("strings: expected list, get I, set I TEXT or find TEXT");
  const std::string& action = args[0];
  const std::size_t expected = action == "list" ? 1 : action == "get" || action == "find" ? 2 : action == "set" ? 3 : 0;
  if (expected == 0) throw UsageError("strings: unknown action '" + action + "'");
  if (args.size() != expected) throw UsageError("strings " + action + ": wrong number of arguments");

  if (!context.settings().kraxText) {
    context.err << kDisabledText << '\n';
    return kExitFailure;
  }
  GameData& game = context.game();
  game.UseGameFolder(game.gameFolder(), /*kraxText=*/true);
  if (game.gameText.empty() && !game.LoadGameText()) {
    context.err << "kraxctl: cannot read the game text file " << game.GameTextPath() << '\n';
    return kExitFailure;
  }
  const GameTextTable& table = game.gameText;
  std::ostream& out = context.out;

  if (action == "list") {
    for (std::size_t i = 0; i < table.count(); ++i) out << i << '\t' << TerminalSafe(GameTextToUtf8(table.text(i))) << '\n';
    return kExitOk;
  }
  if (action == "find") {
    for (std::size_t i = 0; i < table.count(); ++i) {
      if (ContainsIgnoringCase(GameTextToUtf8(table.text(i)), args[1])) out << i << '\n';
    }
    return kExitOk;
  }
  const std::size_t index = ParseIndex(args[1]);
  if (index >= table.count()) {
    context.err << "kraxctl: no string " << index << " (the game text holds " << table.count()
                << " strings)\n";
    return kExitFailure;
  }
  if (action == "get") {
    out << GameTextToUtf8(table.text(index)) << '\n';
    return kExitOk;
  }
  // The terminal speaks UTF-8, the game its own code page.
  const std::optional<std::string> text = Utf8ToGameText(args[2]);
  if (!text) {
    context.err << "kraxctl: the text is not UTF-8 or holds characters the game cannot show\n";
    return kExitFailure;
  }
  if (table.damaged() && !force) {
    context.err << "kraxctl: the game text file " << game.GameTextPath()
                << " is damaged: some strings point outside the file and would be saved empty."
                   " Nothing was written; use --force to save it anyway\n";
    return kExitFailure;
  }
  TerminalPrompts prompts(context, /*assumeYes=*/false);
  GameOperations operations(game, context.settings(), prompts);
  return ReportResult(context, operations.ReplaceGameString(index, *text, force));
}

const RegisterCommand kStrings({"strings",
                                "show, find and replace the game's front-end strings",
                                {{"list"}, {"get I"}, {"set I TEXT", {"--force"}}, {"find TEXT"}},
                                "Works while the setting KRAXText is on. list prints index and string\n"
                                "a line; set replaces string I and saves the file at once; find prints\n"
                                "the indexes of the strings that contain TEXT, ignoring case.\n"
                                "Texts are shown and taken in UTF-8 and kept in the game's code page\n"
                                "(Windows-1252). set refuses a damaged file (strings pointing outside\n"
                                "it, which would be saved empty) unless --force is given.\n",
                                {{"--force"}},
                                RunStrings});

}  // namespace
}  // namespace krax::cli
