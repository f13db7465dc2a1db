// kraxctl pack: the details form's "Create Zip" and "Create Cabinet" for a car or a track.
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
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/archive_kind.h"
#include "operations/game_operations.h"
#include "operations/pack_item.h"

namespace krax::cli {
namespace {

constexpr const char* kHelp =
    "Packs the files of a car's folder (by car ID, or by slot number as `kraxctl cars` lists\n"
    "it) or of a track folder (ROW/TRACK: the track folder TRACK of slot ROW 0..8; ROW/ alone\n"
    "is the slot's own folder) into NAME.zip or NAME.CAB, named after the car or track, in\n"
    "the folder for compressed files (CPATH) or DIR. An archive of that name is replaced\n"
    "once the new one is complete; Ctrl+C stops the packing and keeps the older one.\n";

// Progress lines only where one line is rewritten in place.
class PackPrompts : public TerminalPrompts {
 public:
  using TerminalPrompts::TerminalPrompts;
  void Status(const std::string& text) override {
    if (OnTerminal()) TerminalPrompts::Status(text);
  }
};

struct Item {
  ItemRef ref;
  std::string directory, name;
};

// The car (SLOT or ID) or track folder (ROW/TRACK; ROW/ is the slot's own folder) named by
// `what`; nullopt, with the reason on stderr, when there is none.
std::optional<Item> FindItem(Context& context, GameData& game, Prompts& prompts, const std::string& what) {
  const std::size_t slash = what.find('/');
  if (slash == std::string::npos) {
    LoadCars(game);
    const std::optional<std::size_t> slot = FindCarArgument(context, game, what);
    if (!slot) return std::nullopt;
    const CarRecord& car = game.cars[*slot];
    return Item{ItemRef::Car(*slot), car.archivePath, CarArchiveName(car)};
  }
  const std::string rowText = what.substr(0, slash), track = what.substr(slash + 1);
  if (track.empty()) {
    const int row = TrackRowArgument(rowText);
    return Item{ItemRef::StockTrackSlot(row), game.SlotFolderPath(row),
                std::string(StockTrackTable[static_cast<std::size_t>(row)].displayName)};
  }
  const std::optional<ItemRef> folder = FindTrackArgument(context, game, prompts, rowText, track);
  if (!folder) return std::nullopt;
  return Item{*folder, game.trackFolder(folder->index).path, game.trackFolder(folder->index).name};
}

int RunPack(Context& context, const Arguments& args) {
  const int kinds = args.Count("--zip") + args.Count("--cab");
  if (kinds > 1) throw UsageError("pack takes one of --zip and --cab");
  const ArchiveKind kind = args.Has("--zip") ? ArchiveKind::kZip : ArchiveKind::kCabinet;
  const std::string out = args.Value("--out").value_or("");
  if (args.words.size() > 1) throw UsageError("pack: unexpected argument '" + args.words[1] + "'");
  const std::string what = args.words.empty() ? std::string() : args.words[0];
  if (what.empty() || kinds == 0) throw UsageError("pack needs SLOT|ID|ROW/TRACK and --zip or --cab");
  GameData* loaded = context.RequireGame();
  if (loaded == nullptr) return kExitFailure;
  GameData& game = *loaded;
  PackPrompts prompts(context, false);
  const std::optional<Item> item = FindItem(context, game, prompts, what);
  if (!item) return kExitFailure;
  if (!out.empty()) context.settings().archiveFolder = out;  // this run only
  GameOperations operations(game, context.settings(), prompts);
  const OperationResult result = kind == ArchiveKind::kZip
                                     ? operations.CreateZip(item->ref, item->directory, item->name)
                                     : operations.CreateCabinet(item->ref, item->directory, item->name);
  if (!result.done()) {
    context.err << "kraxctl: pack: " << TerminalSafeLines(ResultText(result)) << '\n';
    return kExitFailure;
  }
  context.out << "wrote " << TerminalSafeLines(result.message) << '\n';
  return kExitOk;
}

const RegisterCommand kPack({"pack",
                             "pack a car or a track into a zip or cabinet file",
                             {{"SLOT|ID|ROW/TRACK --zip|--cab", {"--out"}}},
                             kHelp,
                             {{"--zip"}, {"--cab"}, {"--out", "DIR"}},
                             RunPack});

}  // namespace
}  // namespace krax::cli
