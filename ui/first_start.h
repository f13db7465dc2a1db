// A start without a game folder: the window asks whether to choose the KRAX folder or to
// look at the demo installation instead of deciding on its own.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "app/settings_store.h"

namespace krax {
class Prompts;
}

namespace krax::ui {

struct StartGame {
  std::string demoGameFolder;  // the demo's game folder while the window shows the demo
  QString problem;             // why the demo could not be shown, else empty
  // The demo's folders standing in for unset settings (name, value): held in memory only and
  // stored only when the user chooses them in the Options dialog.
  std::vector<std::pair<std::string, std::string>> standIns;
};

inline constexpr const char* kChooseGameQuestion =
    "No KRAX folder is set and no installed game was found.\n\n"
    "Choose the KRAX folder now? (No shows a demo installation with invented cars and tracks.)";

// With a game folder in `settings`, nothing happens. Without one: when `ask`, asks
// kChooseGameQuestion; a folder chosen then becomes the game folder for this run and is
// stored (that value alone). Otherwise, or when the chooser is cancelled, the demo made by
// `prepareDemo` (its game folder, "" with `problem` set when it cannot be made) stands in for
// the game, CD and archive folders that are unset, in memory only.
StartGame ChooseStartGame(Settings& settings, const SettingsStore& store, Prompts& prompts, bool ask,
                          const std::function<std::string(QString& problem)>& prepareDemo);

// The demo installation in the user's data folder, made on first use; "" and `problem` set
// when it cannot be made.
std::string PrepareDemoInstallation(QString& problem);

}  // namespace krax::ui
