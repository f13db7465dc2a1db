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

int RunMakeDemo(Context& context, const Arguments& args) {
  DemoOptions options;
  if (const std::optional<std::string> cars = args.Value("--cars")) {
    options.cars = ParseNumber<int>("--cars", *cars);
    if (options.cars < kDemoMinCars || options.cars > kDemoMaxCars) {
      throw UsageError("make-demo: --cars must be from " + std::to_string(kDemoMinCars) + " to " +
                       std::to_string(kDemoMaxCars));
    }
  }
  if (const std::optional<std::string> seed = args.Value("--seed"))
    options.seed = ParseNumber<std::uint64_t>("--seed", *seed);
  options.compactPayloads = args.Has("--compact");
  if (args.words.size() > 1) throw UsageError("make-demo: only one folder may be given");
  if (args.words.empty() || args.words[0].empty()) throw UsageError("make-demo: the folder DIR is missing");
  const std::string& dir = args.words[0];

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
    {{"DIR", {"--cars", "--seed", "--compact"}}},
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
    {{"--cars", "N"}, {"--seed", "S"}, {"--compact"}},
    &RunMakeDemo,
});

}  // namespace
}  // namespace krax::cli
