// kraxctl where: what the game discovery finds, and the game folder in use.
#include <ostream>

#include "app/settings.h"
#include "cli/command.h"
#include "cli/context.h"
#include "gamedata/install_info.h"
#include "platform/game_discovery.h"
#include "platform/game_installations.h"

namespace krax::cli {
namespace {

std::string OrNone(const std::string& text) { return text.empty() ? "(none)" : text; }

int Run(Context& context, const Arguments& args) {
  if (!args.words.empty()) throw UsageError("where takes no arguments");
#ifdef _WIN32
  // The game runs natively: its installer's key in the registry, the drives' own types.
  context.out << "Registry key: HKEY_LOCAL_MACHINE\\" << kGameRegistryKey << " (32-bit view)\n";
  context.out << "Recorded game folder: " << OrNone(FindGameFolder()) << '\n';
  context.out << "CD drive: " << OrNone(FindCdDrive()) << '\n';
#else
  const std::string prefix = DefaultWinePrefix();
  context.out << "Wine prefix: " << OrNone(prefix) << '\n';
  context.out << "Recorded game folder: " << OrNone(FindGameFolder(prefix)) << '\n';
  const std::vector<GameInstallation> installations = FindGameInstallations();
  context.out << "Installations found: " << (installations.empty() ? "(none)" : std::to_string(installations.size())) << '\n';
  for (const GameInstallation& found : installations) {
    context.out << "  " << found.gameFolder << " (" << found.launcher << ", prefix " << found.winePrefix << ")\n";
  }
  context.out << "CD drive: " << OrNone(FindCdDrive("/proc/self/mounts", prefix)) << '\n';
#endif

  const Settings& settings = context.settings();
  context.out << "Game folder in use (KRAXPath): " << OrNone(settings.gameFolder) << '\n';
  context.out << "CD path in use (KRAXCDPath): " << OrNone(settings.cdPath) << '\n';

  InstallInfo info;
  if (ReadInstallInfo(settings.gameFolder, info)) {
    const std::string suffix = LanguageSuffix(info);
    context.out << "install.win language: " << info.LanguageLine() << " (suffix "
                << (suffix.empty() ? "none" : suffix) << ")\n";
  } else {
    context.out << "install.win language: (install.win not readable)\n";
  }
  return kExitOk;
}

const RegisterCommand kRegister({
    "where",
    "show where the game and its CD were found",
    {{""}},
    "\n"
    "Prints the Wine prefix looked in ($WINEPREFIX, else ~/.wine), the game folder recorded by\n"
    "the game's installer there, every installation found there and in the launchers' prefixes\n"
    "(Lutris ~/Games, Bottles, PlayOnLinux, Steam Proton compatdata/*/pfx; the first is the\n"
    "default game folder), the first mounted game CD (on Windows: the registry key, the game\n"
    "folder recorded in it and the first CD-ROM drive), the game folder and CD path in use\n"
    "(the settings with --game and --cd applied) and the language named by the first line of\n"
    "the game's install.win with its file suffix.\n",
    {},
    Run,
});

}  // namespace
}  // namespace krax::cli
