// kraxctl make-demo: writes the demo installation (game folder and CD) of tools/demo_install.h.
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/whole_number.h"
#include "tools/demo_install.h"

namespace krax::cli {
namespace {

template <typename Number>
Number ParseNumber(const std::string& option, const std::string& text) {
  const std::optional<Number> value = ParseWholeNumber<Number>(text);
  if (!value) throw UsageError("make-demo: " + option + " needs a whole number, not \"" + text + "\"");
  return *value;
}

int RunMakeDemo(Context& context, const std::vector<std::string>& args) {
  std::string dir;
  DemoOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--cars" || arg == "--seed") {
      if (i + 1 >= args.size()) throw UsageError("make-demo: " + arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--cars") {
        options.cars = ParseNumber<int>(arg, value);
        if (options.cars < kDemoMinCars || options.cars > kDemoMaxCars) {
          throw UsageError("make-demo: --cars must be from " + std::to_string(kDemoMinCars) +
                           " to " + std::to_string(kDemoMaxCars));
        }
      } else {
        options.seed = ParseNumber<std::uint64_t>(arg, value);
      }
    } else if (arg == "--compact") {
      options.compactPayloads = true;
    } else if (!arg.empty() && arg[0] == '-') {
      throw UsageError("make-demo: unknown option " + arg);
    } else if (dir.empty()) {
      dir = arg;
    } else {
      throw UsageError("make-demo: only one folder may be given");
    }
  }
  if (dir.empty()) throw UsageError("make-demo: the folder DIR is missing");

  try {
    const DemoManifest manifest = MakeDemoInstallation(dir, options);
    context.out << "Demo game folder: " << manifest.gameDir << " (" << manifest.cars.size()
                << " cars, " << manifest.EnabledTopLevelCars() << " enabled)\n"
                << "Demo CD: " << manifest.cdDir << "\n"
                << "What each car shows: "
                << (std::filesystem::path(dir) / "demo-manifest.txt").string() << "\n"
                << "Try: kraxctl --game " << manifest.gameDir << " --cd " << manifest.cdDir
                << " cars\n";
    return kExitOk;
  } catch (const std::exception& error) {
    context.err << "kraxctl: make-demo: " << error.what() << "\n";
    return kExitFailure;
  }
}

const RegisterCommand kRegister({
    "make-demo",
    "write a demo KRAX installation and its CD into a new folder",
    "usage: kraxctl make-demo DIR [--cars N] [--seed S] [--compact]\n"
    "\n"
    "Writes a complete KRAX installation of invented content into DIR/game and the matching\n"
    "game CD into DIR/cd, and describes in DIR/demo-manifest.txt which car folder shows which\n"
    "error flag. The same seed always gives the same bytes.\n"
    "\n"
    "  --cars N    cars in the car folder, 20 to 999 (default 20)\n"
    "  --seed S    seed of the generated content (default 1)\n"
    "  --compact   small files (a few KB) instead of realistic sizes\n"
    "\n"
    "Nothing is ever replaced: DIR/game and DIR/cd must be missing or empty, and\n"
    "DIR/demo-manifest.txt must not exist. Remove an old demo yourself to write it again.\n",
    &RunMakeDemo,
});

}  // namespace
}  // namespace krax::cli
