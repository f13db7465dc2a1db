// A demo game folder with its GameData, settings and scripted prompts, and small readers of
// folder contents for the operation tests.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "app/settings.h"
#include "app/startup.h"
#include "gamedata/game_data.h"
#include "operations/item_ref.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompts.h"
#include "tools/demo_install.h"

namespace krax::test {

struct DemoGame {
  explicit DemoGame(bool gameText = false) {
    DemoOptions options;
    options.compactPayloads = true;
    manifest = MakeDemoInstallation(dir.path(), options);
    settings.gameFolder = manifest.gameDir;
    settings.kraxText = gameText;
    StartUpGameData(settings, data);
  }
  std::string slot(int row) const { return data.SlotFolderPath(row); }
  // Track folder `name` of slot `row`, after a catalog load; a group (nothing) when missing.
  ItemRef trackFolder(int row, const std::string& name) {
    ItemRef folder;
    data.LoadTrackCatalog([&](int r, const std::string& n, bool, int position) {
      if (r == row && n == name) folder = ItemRef::TrackFolder(static_cast<std::size_t>(position));
    });
    return folder;
  }

  ScratchFolder dir;
  DemoManifest manifest;
  Settings settings;
  GameData data;
  ScriptedPrompts prompts;
};

// The plain files directly in `folder`: name -> content.
inline std::map<std::string, std::string> FilesIn(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(PathOf(folder), ec)) {
    if (entry.is_regular_file()) files[Utf8Of(entry.path().filename())] = ReadFileBytes(Utf8Of(entry.path()));
  }
  return files;
}

// The file manager's "Restore" for an item the program moved to the trash. Linux: the item
// comes back from the freedesktop.org trash in `dataHome` (the test's XDG_DATA_HOME).
// Windows: the Recycle Bin has no path a test could take an item back from, so a copy that
// KeepForRestore took before the removal is put back instead.
inline void KeepForRestore([[maybe_unused]] const std::string& item, [[maybe_unused]] const std::string& keep) {
#ifdef _WIN32
  std::filesystem::copy(PathOf(item), PathOf(keep), std::filesystem::copy_options::recursive);
#endif
}
inline void RestoreFromTrash([[maybe_unused]] const std::string& dataHome, const std::string& item,
                             [[maybe_unused]] const std::string& keep) {
#ifdef _WIN32
  std::filesystem::rename(PathOf(keep), PathOf(item));
#else
  std::filesystem::rename(dataHome + "/Trash/files/" + PathOf(item).filename().string(), item);
#endif
}

}  // namespace krax::test
