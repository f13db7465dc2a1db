// Everything the window lives on for one run, made in the order start-up needs: the settings
// (from the user's store or an INI file), the game folder or the demo standing in for it, the
// game data, the operations and the window itself. Shared by kraxmanager and the program that
// takes the screenshots.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "app/settings.h"
#include "app/settings_store.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "ui/first_start.h"
#include "ui/main_window.h"
#include "ui/widget_prompts.h"

namespace krax::ui {

// Before the application object is made: under Wine, Qt's GDI font engine leaves the text of
// line edits undrawn, so FreeType draws it. On Windows itself the system's own engine stays.
void PrepareWindowPlatform();

struct WindowSessionOptions {
  std::optional<QString> settingsFile;  // an INI file instead of the user's settings
  std::optional<QString> gameFolder;    // replaces KRAXPath for this run
  std::optional<QString> cdPath;        // replaces KRAXCDPath for this run
  bool askForGame = true;               // false: without a game folder the demo opens unasked
};

class WindowSession {
 public:
  explicit WindowSession(const WindowSessionOptions& options);
  ~WindowSession();
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  MainWindow& frame() { return *frame_; }

  // Sizes the window for the tree and the whole form and fills the tree.
  void Open();
  // The status line at start: why the demo could not be shown, or that it is shown.
  void ShowStartStatus();

 private:
  SettingsStore store_;
  Settings settings_;
  MainWindow* frameRef_ = nullptr;  // for the status texts, once the window exists
  WidgetPrompts prompts_;
  StartGame start_;
  GameData data_;
  std::unique_ptr<GameOperations> operations_;
  std::unique_ptr<MainWindow> frame_;
};

}  // namespace krax::ui
