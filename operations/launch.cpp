#include "operations/launch.h"

#include <cctype>

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/process.h"

namespace krax {

namespace {
constexpr const char* kRunGameCommand = "Run KRAX";
constexpr const char* kEditCommand = "Run Editor";
constexpr const char* kCannotFindGame = "Cannot find KRAX file";
}  // namespace

OperationResult RunGameIn(const std::string& gameFolder) {
  // wine itself always starts, so a missing game is found out here.
  const std::string exe = gameFolder.empty() ? std::string() : ResolvePath(JoinPath(gameFolder, "krax.exe"));
  if (exe.empty() || !IsFile(exe)) return {OperationStatus::kFailed, kRunGameCommand, kCannotFindGame};
  StartOptions options;
  options.workingFolder = gameFolder;
  const ProcessResult started = StartProgram({exe, "-nomovie"}, options);
  if (!started) {
    return {OperationStatus::kFailed, kRunGameCommand, std::string(kCannotFindGame) + "\n" + started.message};
  }
  return {OperationStatus::kDone, kRunGameCommand, "Started " + exe + " -nomovie"};
}

OperationResult OpenInEditor(const std::string& editorSetting, const std::string& file) {
  ProcessResult started;
  std::string program;
  if (editorSetting == kDefaultShellAction) {
    program = "its associated program";
    started = OpenWithAssociatedProgram(file);
  } else {
    std::optional<std::vector<std::string>> words = SplitCommandLine(editorSetting);
    if (!words || words->empty()) {
      return {OperationStatus::kFailed, kEditCommand,
              "The editor setting \"" + editorSetting + "\" names no program to start."};
    }
    program = words->front();
    words->push_back(file);
    started = StartProgram(*words);
  }
  if (!started) {
    return {OperationStatus::kFailed, kEditCommand, "Cannot open " + file + " with " + program + ": " + started.message};
  }
  return {OperationStatus::kDone, kEditCommand, "Opened " + file + " with " + program};
}

EditorTarget ItemEditorTarget(const GameData& data, const Settings& settings, ItemRef item) {
  EditorTarget target;
  if (item.isCar()) {
    if (!data.HasCar(item.index)) return target;
    target.file = data.cars[item.index].archivePath;
    target.setting = settings.carEditor;
  } else if (item.isTrackFolder()) {
    if (!IsListedTrackFolder(data.trackFolders, item)) return target;
    const std::string folder = data.trackFolder(item.index).path;
    // The slot that holds the add-on gives the track number ("Trk003" is track 3).
    const std::string slot = BaseName(ParentPath(folder));
    if (slot.empty() || !std::isdigit(static_cast<unsigned char>(slot.back()))) {
      target.problem = folder + " is not in a track slot folder.";
      return target;
    }
    target.file = ResolvePath(JoinPath(folder, std::string("Tr0") + slot.back() + ".frd"));
    target.setting = settings.trackEditor;
  } else {
    return target;
  }
  if (!IsFile(target.file)) {
    target.problem = target.file + " does not exist.";
    target.file.clear();
  }
  return target;
}

}  // namespace krax
