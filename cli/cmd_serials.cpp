// kraxctl gen-serials / write-serial: "Generate S.N." and the details form's "Write".
#include <charconv>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "gamedata/game_data.h"

namespace krax::cli {
namespace {

void LoadCars(GameData& game) {
  game.ClearCarTable();
  game.LoadCarCatalog();
}

int RunGenSerials(Context& context, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("gen-serials: takes no arguments");
  GameData* found = context.requireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  // Names before the reload, which may move cars to other slots.
  std::vector<std::string> names;
  for (std::size_t i = 0; i < game.CarTable.count(); ++i) {
    names.push_back(game.CarTable[i].carId.value_or("") + "\t" + game.CarTable[i].archivePath);
  }
  const std::vector<SerialChange> changes = game.GenerateSerialNumbers([&game] { LoadCars(game); });
  int status = kExitOk;
  for (const SerialChange& change : changes) {
    const std::string& car = names[static_cast<std::size_t>(change.slot)];
    if (change.written) {
      context.out << change.slot << '\t' << car << '\t' << change.oldSerial << " -> " << change.newSerial << '\n';
    } else {
      context.err << "kraxctl: cannot write serial number " << change.newSerial << " into slot "
                  << change.slot << " (" << car << ")\n";
      status = kExitFailure;
    }
  }
  if (changes.empty()) context.out << "No duplicate serial numbers.\n";
  return status;
}

bool ParseNumber(const std::string& text, long long& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

int RunWriteSerial(Context& context, const std::vector<std::string>& args) {
  bool yes = false;
  std::vector<std::string> positional;
  for (const std::string& arg : args) {
    if (arg == "--yes") {
      yes = true;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) throw UsageError("write-serial: expected SLOT VALUE [--yes]");
  long long slot = 0;
  long long value = 0;
  if (!ParseNumber(positional[0], slot)) throw UsageError("write-serial: '" + positional[0] + "' is not a slot");
  // The form's box holds an int.
  if (!ParseNumber(positional[1], value) || value < std::numeric_limits<int>::min() ||
      value > std::numeric_limits<int>::max()) {
    throw UsageError("write-serial: Please enter an integer.");
  }

  GameData* found = context.requireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  if (!game.CarTable.isUsed(slot)) {
    context.err << "kraxctl: no car in slot " << slot << '\n';
    return kExitFailure;
  }
  const auto i = static_cast<std::size_t>(slot);
  if (!game.CarTable[i].hasFedata()) {
    context.err << "kraxctl: the car in slot " << slot << " has no front-end data\n";
    return kExitFailure;
  }
  if (game.FindCarBySerial(value, slot) >= 0 && !yes) {
    if (!context.interactive()) {
      context.err << "kraxctl: Serial Number Exist. Write it? Refused: no terminal to ask (use --yes)\n";
      return kExitFailure;
    }
    context.out << "Serial Number Exist. Write it? [y/N] " << std::flush;
    std::string answer;
    std::getline(context.in, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") {
      context.err << "kraxctl: not written\n";
      return kExitFailure;
    }
  }
  if (!game.WriteCarSerial(i, value)) {
    context.err << "kraxctl: cannot write the serial number into " << game.CarTable[i].archivePath << '\n';
    return kExitFailure;
  }
  game.CarTable[i].setFedataSerial(static_cast<std::uint16_t>(static_cast<unsigned long long>(value) & 0xFFFF));
  context.out << "Wrote serial number " << game.CarTable[i].fedataSerial() << " into "
              << game.CarTable[i].archivePath << '\n';
  return kExitOk;
}

const RegisterCommand kGenSerials({"gen-serials", "give cars with duplicate serial numbers new ones",
                                   "usage: kraxctl gen-serials\n"
                                   "Every car flagged \"Duplicate s.n.\" gets a new serial number that no\n"
                                   "other top-level car holds, written into all its front-end data entries.\n"
                                   "Prints each car whose number changed, old and new.\n",
                                   RunGenSerials});
const RegisterCommand kWriteSerial({"write-serial", "write a car's front-end serial number",
                                    "usage: kraxctl write-serial SLOT VALUE [--yes]\n"
                                    "Writes the low 16 bits of VALUE into every front-end data entry of the\n"
                                    "car in SLOT. When another top-level car holds the number it asks\n"
                                    "\"Serial Number Exist. Write it?\"; without a terminal it refuses unless\n"
                                    "--yes is given.\n",
                                    RunWriteSerial});

}  // namespace
}  // namespace krax::cli
