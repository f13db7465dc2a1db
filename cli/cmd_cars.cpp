// kraxctl cars / car: the car catalog as the tree and the details form show it.
#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/terminal_text.h"
#include "cli/item_arguments.h"
#include "cli/json_text.h"
#include "cli/whole_number.h"
#include "gamedata/code_page.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"

namespace krax::cli {
namespace {

struct FlagLabel {
  std::uint32_t flag;
  const char* label;
};
constexpr FlagLabel kFlagLabels[] = {
    {kFlagDuplicateSerial, "Duplicate s.n."}, {kFlagSerialsDiffer, "Different s.n."},
    {kFlagFolderNotId, "Diferent Path/ID"},   {kFlagFolderOver4, "Path > 4"},
    {kFlagNoFedata, "No FeData"},
};

// Game text (in the game's code page) as a JSON string, or null.
std::string OptionalJson(const std::optional<std::string>& text) {
  return text ? JsonString(GameTextToUtf8(*text)) : "null";
}

// Game text for the terminal (UTF-8, control characters escaped), or `none`.
std::string Shown(const std::optional<std::string>& text, const char* none) {
  return text ? TerminalSafe(GameTextToUtf8(*text)) : std::string(none);
}

int RunCars(Context& context, const Arguments& args) {
  if (!args.words.empty()) throw UsageError("cars: unexpected argument '" + args.words[0] + "'");
  const bool json = args.Has("--json");
  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  std::ostream& out = context.out;
  const std::size_t count = game.cars.size();
  if (json) {
    out << "{\"enabledCarCount\": " << game.enabledCarCount << ", \"cars\": [";
    for (std::size_t i = 0; i < count; ++i) {
      const CarRecord& car = game.cars[i];
      const bool fe = car.hasFedata();
      const std::string_view letter = ClassLetter(car.carClass());
      out << (i ? ", " : "") << "{\"slot\": " << i << ", \"id\": " << OptionalJson(car.carId)
          << ", \"name\": " << OptionalJson(car.name)
          << ", \"manufacturer\": " << OptionalJson(car.manufacturer)
          << ", \"model\": " << OptionalJson(car.model)
          << ", \"class\": " << (fe && !letter.empty() ? JsonString(letter) : "null")
          << ", \"police\": " << (fe ? std::to_string(car.police()) : "null")
          << ", \"carpSerial\": " << JsonString(GameTextToUtf8(car.carpSerial))
          << ", \"fedataSerial\": " << (fe ? std::to_string(car.fedataSerial()) : "null")
          << ", \"errorFlags\": " << car.errorFlags << ", \"depth\": " << car.depth
          << ", \"enabled\": " << (car.enabled ? "true" : "false")
          << ", \"damagedArchive\": " << (car.directory.damaged ? "true" : "false")
          << ", \"archivePath\": " << JsonString(car.archivePath) << "}";
    }
    out << "]}\n";
    return kExitOk;
  }
  out << "slot\tid\tname\tclass\tcarpSerial\tfedataSerial\terrorFlags\tdepth\tenabled\tarchivePath\n";
  for (std::size_t i = 0; i < count; ++i) {
    const CarRecord& car = game.cars[i];
    const bool fe = car.hasFedata();
    out << i << '\t' << Shown(car.carId, "-") << '\t' << Shown(car.name, "-") << '\t'
        << (fe ? ClassLetter(car.carClass()) : "-") << '\t'
        << (car.carpSerial.empty() ? "-" : TerminalSafe(GameTextToUtf8(car.carpSerial))) << '\t'
        << (fe ? std::to_string(car.fedataSerial()) : "-") << '\t' << car.errorFlags << '\t'
        << car.depth << '\t' << (car.enabled ? "yes" : "no") << '\t' << TerminalSafe(car.archivePath) << '\n';
  }
  for (std::size_t i = 0; i < count; ++i) {
    const CarRecord& car = game.cars[i];
    if (car.directory.damaged) {
      out << "Note: slot " << i << ' ' << TerminalSafe(car.archivePath) << ": damaged archive, not changed by any command\n";
    }
  }
  out << "Enabled cars: " << game.enabledCarCount << '\n';
  return kExitOk;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The slot named by a number, else the first car whose ID matches ignoring case; -1 for none.
long long FindCar(const GameData& game, const std::string& which) {
  const std::size_t count = game.cars.size();
  if (const auto slot = ParseWholeNumber<long long>(which); slot && *slot >= 0 && *slot < static_cast<long long>(count)) {
    return *slot;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const CarRecord& car = game.cars[i];
    // The terminal's UTF-8 in the game's code page.
    if (car.carId && Upper(*car.carId) == Upper(FileNameToGameText(which))) return static_cast<long long>(i);
  }
  return -1;
}

int RunCar(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.size() != 1) throw UsageError("car: expected SLOT or ID");
  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  const long long slot = FindCar(game, args[0]);
  if (slot < 0) {
    context.err << "kraxctl: no car '" << args[0] << "' in the catalog\n";
    return kExitFailure;
  }
  const auto i = static_cast<std::size_t>(slot);
  const CarRecord& car = game.cars[i];
  std::ostream& out = context.out;
  const bool fe = car.hasFedata();
  // The details form's values: without front-end data only the directory is shown.
  out << "Slot: " << i << '\n';
  out << "Directory: " << TerminalSafe(car.archivePath) << '\n';
  out << "Name: " << (fe ? Shown(car.name, "") : "") << '\n';
  out << "Manufactor: " << (fe ? Shown(car.manufacturer, "") : "") << '\n';
  out << "Model: " << (fe ? Shown(car.model, "") : "") << '\n';
  out << "ID: " << (fe ? TerminalSafe(GameTextToUtf8(Upper(car.carId.value_or("")))) : "") << '\n';
  out << "Police Car: " << car.police() << '\n';
  out << "Carp.txt: " << (fe ? TerminalSafe(GameTextToUtf8(car.carpSerial)) : "0") << '\n';
  out << "FeData: " << car.fedataSerial() << '\n';
  out << "Class: " << (fe ? ClassLetter(car.carClass()) : "") << '\n';
  out << "Max.Speed: " << (fe ? FormatSpeed(game.ReadCarpValue(kCarpMaxSpeed, i)) : "") << '\n';
  out << "Top Speed: " << (fe ? FormatSpeed(game.ReadCarpValue(kCarpTopSpeed, i)) : "") << '\n';
  out << "Mass: " << (fe ? FormatMass(game.ReadCarpValue(kCarpMass, i)) : "") << '\n';
  out << "Errors:";
  bool any = false;
  for (const FlagLabel& flag : kFlagLabels) {
    if (car.errorFlags & flag.flag) {
      out << (any ? ", " : " ") << flag.label;
      any = true;
    }
  }
  out << (any ? "" : " none") << '\n';
  if (car.directory.damaged) out << "Note: damaged archive, not changed by any command\n";
  out << "Enabled: " << (car.enabled ? "yes" : "no") << '\n';
  out << "Depth: " << car.depth << '\n';
  out << "Stock car: " << (fe && IsStockCarId(Upper(car.carId.value_or(""))) ? "yes" : "no") << '\n';
  return kExitOk;
}

const RegisterCommand kCars({"cars",
                             "list the cars of the game folder",
                             {{"", {"--json"}}},
                             "One row per car in table order, a note for each car whose archive is damaged\n"
                             "(its directory points into itself or entries overlap), then the number of\n"
                             "enabled cars.\n"
                             "--json writes {\"enabledCarCount\": n, \"cars\": [...]}.\n",
                             {{"--json"}},
                             RunCars});
const RegisterCommand kCar({"car",
                            "show one car as the details form shows it",
                            {{"SLOT|ID"}},
                            "Shows the car in table slot SLOT, or the first car whose ID is ID\n"
                            "(ignoring case), with mass and speeds as the details form forms them.\n",
                            {},
                            RunCar});

}  // namespace
}  // namespace krax::cli
