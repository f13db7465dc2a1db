#include "app/settings_store.h"

#include <algorithm>
#include <exception>
#include <string>

#include "app/settings_file.h"
#include "platform/file_system.h"
#include "platform/game_discovery.h"
#include "platform/path.h"
#include "platform/user_folders.h"

namespace krax {

namespace {

constexpr const char* kRecentSection = "Recent File List";

// The file's content; an empty file when there is none yet; nullopt when it exists but
// cannot be read.
std::optional<SettingsFile> ReadStore(const SettingsStore& store) {
  const std::string path = SettingsFilePath(store);
  if (const std::optional<std::string> bytes = ReadWholeFile(path)) return SettingsFile::Parse(*bytes);
  if (!IsFile(path) && !IsFolder(path)) return SettingsFile::Parse("");  // none yet
  return std::nullopt;
}

bool WriteStore(const SettingsStore& store, const SettingsFile& file) {
  const std::string path = SettingsFilePath(store);
  const std::string folder = ParentPath(path);
  if (!folder.empty() && !IsFolder(folder) && !CreateFolder(folder, true)) return false;
  return WriteFileAtomic(path, file.Serialize()).ok();
}

std::optional<std::string> ReadValue(const SettingsFile& file, const SettingName& name) {
  return file.Get(name.section, name.name);
}

int ReadSwitch(const SettingsFile& file, const SettingName& name, int fallback) {
  const std::optional<std::string> value = ReadValue(file, name);
  if (!value) return fallback;
  try {
    std::size_t used = 0;
    const int number = std::stoi(*value, &used);
    return used == value->size() ? number : fallback;
  } catch (const std::exception&) {
    return fallback;
  }
}

// Settings or const Settings: a pointer to the named field, nullptr for another name.
template <class S>
auto StringField(S& s, std::string_view name) -> decltype(&s.gameFolder) {
  if (name == "KRAXPath") return &s.gameFolder;
  if (name == "KRAXCDPath") return &s.cdPath;
  if (name == "KRAXCarEdit") return &s.carEditor;
  if (name == "KRAXTrackEdit") return &s.trackEditor;
  if (name == "CPATH") return &s.archiveFolder;
  return nullptr;
}

template <class S>
auto SwitchField(S& s, std::string_view name) -> decltype(&s.flagDifferingSerials) {
  if (name == "DUPL_SN") return &s.flagDuplicateSerials;
  if (name == "NEQ") return &s.flagDifferingSerials;
  if (name == "Path_4") return &s.flagLongFolderNames;
  if (name == "KRAXText") return &s.kraxText;
  return nullptr;
}

}  // namespace

SettingsDefaults DiscoverSettingsDefaults() {
  SettingsDefaults defaults;
  defaults.gameFolder = FindGameFolder();
  defaults.cdDrive = FindCdDrive();
  return defaults;
}

Settings LoadSettings(const SettingsStore& store, const SettingsDefaults& defaults) {
  const SettingsFile file = ReadStore(store).value_or(SettingsFile::Parse(""));
  Settings s;
  for (const SettingName& name : kSettingNames) {
    std::string_view n = name.name;
    if (name.isSwitch) {
      bool* field = SwitchField(s, n);
      *field = ReadSwitch(file, name, *field ? 1 : 0) != 0;
      continue;
    }
    std::string* field = StringField(s, n);
    std::string fallback = *field;
    if (n == "KRAXPath") fallback = defaults.gameFolder;
    if (n == "KRAXCDPath") fallback = defaults.cdDrive;
    if (n == "CPATH") fallback = s.gameFolder;  // the game folder as just read
    *field = ReadValue(file, name).value_or(fallback);
  }
  return s;
}

Settings LoadSettings(const SettingsStore& store) { return LoadSettings(store, DiscoverSettingsDefaults()); }

bool SaveSettings(const SettingsStore& store, const Settings& settings) {
  std::vector<std::string> all;
  for (const SettingName& name : kSettingNames) all.emplace_back(name.name);
  return SaveSettings(store, settings, all);
}

bool SaveSettings(const SettingsStore& store, const Settings& settings, const std::vector<std::string>& names) {
  std::optional<SettingsFile> file = ReadStore(store);
  if (!file) return false;
  for (const SettingName& name : kSettingNames) {
    if (std::find(names.begin(), names.end(), name.name) == names.end()) continue;
    if (!file->Set(name.section, name.name, *SettingText(settings, name.name))) return false;
  }
  return WriteStore(store, *file);
}

std::string SettingsFilePath(const SettingsStore& store) {
  if (store.iniFile()) return *store.iniFile();
  // The path QSettings used for this store on Linux, so that files QSettings wrote are read;
  // the application-data folder on Windows.
  return JoinPath(UserSettingsFolder(), "Tessaloft/KRAXManager.conf");
}

std::vector<std::string> LoadRecentFiles(const SettingsStore& store, int count) {
  std::vector<std::string> files;
  const std::optional<SettingsFile> file = ReadStore(store);
  if (!file) return files;
  for (int i = 1; i <= count; ++i) {
    std::optional<std::string> path = file->Get(kRecentSection, "File" + std::to_string(i));
    if (path && !path->empty()) files.push_back(std::move(*path));
  }
  return files;
}

bool SaveRecentFiles(const SettingsStore& store, const std::vector<std::string>& files, int count) {
  std::optional<SettingsFile> file = ReadStore(store);
  if (!file) return false;
  for (int i = 1; i <= count; ++i) {
    const std::string key = "File" + std::to_string(i);
    if (static_cast<std::size_t>(i) <= files.size()) {
      if (!file->Set(kRecentSection, key, files[static_cast<std::size_t>(i) - 1])) return false;
    } else {
      file->Remove(kRecentSection, key);
    }
  }
  return WriteStore(store, *file);
}

std::optional<std::string> SettingText(const Settings& settings, std::string_view name) {
  if (const std::string* text = StringField(settings, name)) return *text;
  if (const bool* value = SwitchField(settings, name)) return std::string(*value ? "1" : "0");
  return std::nullopt;
}

bool SetSettingText(Settings& settings, std::string_view name, std::string_view value) {
  if (std::string* text = StringField(settings, name)) {
    *text = std::string(value);
    return true;
  }
  if (bool* flag = SwitchField(settings, name)) {
    if (value != "0" && value != "1") return false;
    *flag = value == "1";
    return true;
  }
  return false;
}

}  // namespace krax
