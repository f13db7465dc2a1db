// kraxctl profile / stock / remove: saved sets of enabled cars and active tracks, the way
// back to the stock game, and removing an add-on to the trash.
#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/profile_folder.h"
#include "app/settings_store.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/item_arguments.h"
#include "cli/terminal_prompts.h"
#include "cli/terminal_text.h"
#include "gamedata/game_data.h"
#include "operations/game_folder_problem.h"
#include "operations/game_operations.h"

namespace krax::cli {
namespace {

// A result whose message may quote a profile's own lines or names: shown escaped.
int ReportSafely(Context& context, OperationResult result) {
  result.message = TerminalSafeLines(result.message);
  return ReportResult(context, result);
}

std::string ProfileFolder(const Context& context) {
  return ProfileFolderPath(context.options.settingsFile ? SettingsStore(*context.options.settingsFile) : SettingsStore());
}

// --yes, which these commands also take as -y.
const Option kYesOption{"--yes", {}, "-y"};

int RunProfile(Context& context, const Arguments& args) {
  const bool yes = args.Has("--yes");
  const std::vector<std::string>& words = args.words;
  if (words.empty()) throw UsageError("profile: expected save, apply, list, show or delete");
  const std::string& verb = words[0];
  const bool takesName = verb == "save" || verb == "apply" || verb == "show" || verb == "delete";
  if (verb == "list" ? words.size() != 1 : !takesName || words.size() != 2) {
    throw UsageError(takesName ? "profile " + verb + ": expected NAME" : "profile: unknown action \"" + verb + "\"");
  }
  TerminalPrompts prompts(context, yes);
  if (verb == "list" || verb == "show" || verb == "delete") {
    // These need no game folder; show names the cars of the game when there is one.
    GameData none;
    GameData* game = &none;
    if (verb == "show" && GameFolderProblem(context.settings().gameFolder).empty()) {
      game = &context.game();
      game->ClearCarTable();
      game->LoadCarCatalog();
    }
    GameOperations operations(*game, context.settings(), prompts);
    operations.SetProfileFolder(ProfileFolder(context));
    if (verb == "list") {
      for (const std::string& name : operations.ProfileNames()) context.out << TerminalSafe(name) << '\n';
      return kExitOk;
    }
    OperationResult result = verb == "show" ? operations.ShowProfile(words[1]) : operations.DeleteProfile(words[1]);
    if (verb == "show" && result.done() && !result.message.empty() && result.message.back() == '\n') {
      result.message.pop_back();
    }
    return ReportSafely(context, result);
  }
  GameData* game = context.RequireGame();
  if (game == nullptr) return kExitFailure;
  GameOperations operations(*game, context.settings(), prompts);
  operations.SetProfileFolder(ProfileFolder(context));
  return ReportSafely(context, verb == "save" ? operations.SaveProfile(words[1]) : operations.ApplyProfile(words[1]));
}

int RunStock(Context& context, const Arguments& args) {
  const bool yes = args.Has("--yes");
  if (!args.words.empty()) throw UsageError("stock takes only --yes");
  GameData* game = context.RequireGame();
  if (game == nullptr) return kExitFailure;
  TerminalPrompts prompts(context, yes);
  GameOperations operations(*game, context.settings(), prompts);
  operations.SetProfileFolder(ProfileFolder(context));
  return ReportSafely(context, operations.ApplyStockGame());
}

int RunRemove(Context& context, const Arguments& args) {
  const bool yes = args.Has("--yes");
  const bool deleteForGood = args.Has(kDeleteForGoodOption);
  const std::vector<std::string>& words = args.words;
  if (words.size() != 1) throw UsageError("remove: expected SLOT, ID or ROW/TRACK");
  return ActOnItem(
      context, yes,
      [&](GameData& game, Prompts& prompts) { return FindCarOrTrackArgument(context, game, prompts, words[0]); },
      [](GameOperations& operations, ItemRef item) { return operations.RemoveItems({item}); }, deleteForGood);
}

const RegisterCommand kProfile(
    {"profile",
     "save, apply, list, show or delete a profile (a set of cars and tracks)",
     {{"save NAME", {"--yes"}}, {"apply NAME", {"--yes"}}, {"list"}, {"show NAME"}, {"delete NAME"}},
     "A profile keeps which cars are enabled and which track is active in each\n"
     "slot. save stores the game's state now (--yes replaces a profile of that\n"
     "name); apply shows the changes and, when confirmed (--yes), enables,\n"
     "disables and switches as the tree does. Cars and tracks the game no\n"
     "longer has are skipped; cars the profile does not know keep their state.\n"
     "Profiles are text files in the folder beside the settings file\n"
     "(KRAXManager.conf keeps them in KRAXManager.profiles).\n",
     {kYesOption},
     RunProfile});
const RegisterCommand kStock({"stock",
                              "go back to the stock game: the game's own cars, every slot on Original",
                              {{"", {"--yes"}}},
                              "Enables the game's own cars, disables every other car and switches every\n"
                              "track slot to \"Original\". First offers to save the state as it is as a\n"
                              "profile (\"Before stock game DATE\") to come back to with profile apply:\n"
                              "y saves it, n goes on without, anything else cancels and changes nothing.\n"
                              "--yes answers both questions with yes.\n",
                              {kYesOption},
                              RunStock});
const RegisterCommand kRemove({"remove",
                               "move an add-on car or track to the trash",
                               {{"SLOT|ID|ROW/TRACK", {"--yes", kDeleteForGoodOption}}},
                               "Moves the folder of an add-on car (by slot or ID) or of an add-on track\n"
                               "(TRACK of slot ROW 0..8) to the desktop's trash, from where a file manager\n"
                               "brings it back. An active track is first switched back to \"Original\".\n"
                               "The game's own cars and the slots' \"Original\" folders are never removed.\n"
                               "Where no trash can take the folder, asks before deleting it for good;\n"
                               "--yes never answers that question: only --delete-for-good does.\n",
                               {kYesOption, {kDeleteForGoodOption}},
                               RunRemove});

}  // namespace
}  // namespace krax::cli
