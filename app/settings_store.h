// Where the nine settings live between runs: the per-user store of organisation "Tessaloft",
// application "KRAXManager" (the INI file Tessaloft/KRAXManager.conf in the user's config
// folder), or an INI file of the caller's choosing (--settings FILE). Sections "PATH" and
// "OTHER", and the window's "Recent File List". Values are read and written literally
// (app/settings_file.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/settings.h"

namespace krax {

class SettingsStore {
 public:
  // The user's own store.
  SettingsStore() = default;
  // An INI file with the same sections and names; created on the first save.
  explicit SettingsStore(std::string iniFile) : iniFile_(std::move(iniFile)) {}

  const std::optional<std::string>& iniFile() const { return iniFile_; }

 private:
  std::optional<std::string> iniFile_;
};

// The defaults that depend on the machine, found before the settings are read.
struct SettingsDefaults {
  std::string gameFolder;  // FindGameFolder
  std::string cdDrive;     // FindCdDrive
};

// Runs the game and CD discovery.
SettingsDefaults DiscoverSettingsDefaults();

// Reads all nine values. A stored value is used as stored, even when empty; a missing (or,
// for the switches, unreadable) one takes its default; CPATH defaults to KRAXPath as read.
Settings LoadSettings(const SettingsStore& store, const SettingsDefaults& defaults);
Settings LoadSettings(const SettingsStore& store);  // defaults from DiscoverSettingsDefaults

// Writes all nine values in their fixed order. False when the store could not be written (or
// read first: a file that exists but cannot be read is never replaced) or a value holds a
// line end.
bool SaveSettings(const SettingsStore& store, const Settings& settings);
// Writes only the named values (unknown names are ignored); every other stored value stays
// as it is, and a value not stored yet stays missing, so its default still applies.
bool SaveSettings(const SettingsStore& store, const Settings& settings, const std::vector<std::string>& names);

// The settings file of a store.
std::string SettingsFilePath(const SettingsStore& store);

// The window's recent-document list (section "Recent File List", File1 to File`count`).
std::vector<std::string> LoadRecentFiles(const SettingsStore& store, int count);
bool SaveRecentFiles(const SettingsStore& store, const std::vector<std::string>& files, int count);

// The names of the nine values in their fixed order, with their sections.
struct SettingName {
  const char* section;
  const char* name;
  bool isSwitch;  // integer 0 or 1, else a string
};
inline constexpr SettingName kSettingNames[] = {
    {"PATH", "KRAXPath", false},   {"PATH", "KRAXCDPath", false}, {"PATH", "KRAXCarEdit", false},
    {"PATH", "KRAXTrackEdit", false}, {"PATH", "CPATH", false},   {"OTHER", "DUPL_SN", true},
    {"OTHER", "NEQ", true},        {"OTHER", "Path_4", true},     {"OTHER", "KRAXText", true},
};

// The value of a named setting as text ("1" for a switch that is on); nullopt for an unknown name.
std::optional<std::string> SettingText(const Settings& settings, std::string_view name);
// Sets a named setting from text. Switches take "0" or "1" only. False for an unknown name or
// a bad value, leaving `settings` unchanged.
bool SetSettingText(Settings& settings, std::string_view name, std::string_view value);

}  // namespace krax
