// kraxctl settings: show the nine settings, or store one.
#include <ostream>

#include "app/settings_store.h"
#include "cli/command.h"
#include "cli/context.h"
#include "platform/output_file.h"

namespace krax::cli {
namespace {

int PrintSettings(Context& context) {
  const Settings& settings = context.settings();
  for (const SettingName& name : kSettingNames) {
    context.out << name.name << '=' << SettingText(settings, name.name).value_or("") << '\n';
  }
  return kExitOk;
}

int SetSetting(Context& context, const std::string& name, const std::string& value) {
  Settings given;
  if (!SettingText(given, name)) throw UsageError("unknown setting \"" + name + "\" (see kraxctl settings --help)");
  if (!SetSettingText(given, name, value)) throw UsageError(name + " takes 0 or 1, not \"" + value + "\"");
  if (value.find_first_of("\r\n") != std::string::npos) {
    context.err << "kraxctl: a setting is one line; the value holds a line end and was not stored\n";
    return kExitFailure;
  }
  // Only this value is stored, as given: the others keep their stored values or stay unset,
  // so their defaults (the game found through its installation) still apply; --game and --cd
  // are never stored.
  const SettingsStore store =
      context.options.settingsFile ? SettingsStore(*context.options.settingsFile) : SettingsStore();
  if (!SaveSettings(store, given, {name})) {
    const OutputCheck output = CheckOutput(SettingsFilePath(store));
    context.err << "kraxctl: cannot write the settings to \"" << SettingsFilePath(store) << "\""
                << (output.problem.empty() ? "" : ": " + output.problem) << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

int Run(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.empty()) return PrintSettings(context);
  if (args[0] == "set") {
    if (args.size() != 3) throw UsageError("usage: kraxctl settings set NAME VALUE");
    return SetSetting(context, args[1], args[2]);
  }
  throw UsageError("unknown settings action \"" + args[0] + "\" (see kraxctl settings --help)");
}

const RegisterCommand kRegister({
    "settings",
    "show the settings, or store one",
    {{""}, {"set NAME VALUE"}},
    "\n"
    "Without arguments, prints the nine settings as NAME=VALUE, one a line, with this run's\n"
    "--game and --cd applied. With \"set\", stores that one value exactly as given (bytes\n"
    "included); the others are left as stored. The switches DUPL_SN, NEQ, Path_4 and\n"
    "KRAXText take 0 or 1. --game and --cd are never stored.\n"
    "\n"
    "Names: KRAXPath KRAXCDPath KRAXCarEdit KRAXTrackEdit CPATH DUPL_SN NEQ Path_4 KRAXText\n",
    {},
    Run,
});

}  // namespace
}  // namespace krax::cli
