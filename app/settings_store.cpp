#include "app/settings_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "platform/game_discovery.h"

namespace krax {

namespace {

constexpr const char* kOrganisation = "Tessaloft";
constexpr const char* kApplication = "KRAXManager";

std::unique_ptr<QSettings> OpenStore(const SettingsStore& store) {
  if (store.iniFile()) {
    return std::make_unique<QSettings>(QString::fromStdString(*store.iniFile()), QSettings::IniFormat);
  }
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
}

QString Key(const SettingName& name) { return QString::fromLatin1(name.section) + '/' + QString::fromLatin1(name.name); }

std::string ReadString(const QSettings& qs, const SettingName& name, const std::string& fallback) {
  QVariant value = qs.value(Key(name));
  if (!value.isValid()) return fallback;
  // An INI text with an unquoted comma reads back as a list; it was one text.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(", ").toStdString();
  return value.toString().toStdString();
}

int ReadSwitch(const QSettings& qs, const SettingName& name, int fallback) {
  QVariant value = qs.value(Key(name));
  if (!value.isValid()) return fallback;
  bool ok = false;
  int number = value.toInt(&ok);
  return ok ? number : fallback;
}

// Settings or const Settings: a pointer to the named field, nullptr for another name.
template <class S>
auto StringField(S& s, std::string_view name) -> decltype(&s.KRAXPath) {
  if (name == "KRAXPath") return &s.KRAXPath;
  if (name == "KRAXCDPath") return &s.KRAXCDPath;
  if (name == "KRAXCarEdit") return &s.KRAXCarEdit;
  if (name == "KRAXTrackEdit") return &s.KRAXTrackEdit;
  if (name == "CPATH") return &s.CPATH;
  return nullptr;
}

template <class S>
auto SwitchField(S& s, std::string_view name) -> decltype(&s.NEQ) {
  if (name == "DUPL_SN") return &s.DUPL_SN;
  if (name == "NEQ") return &s.NEQ;
  if (name == "Path_4") return &s.Path_4;
  if (name == "KRAXText") return &s.KRAXText;
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
  std::unique_ptr<QSettings> qs = OpenStore(store);
  Settings s;
  for (const SettingName& name : kSettingNames) {
    std::string_view n = name.name;
    if (name.isSwitch) {
      int* field = SwitchField(s, n);
      *field = ReadSwitch(*qs, name, *field);
      continue;
    }
    std::string* field = StringField(s, n);
    std::string fallback = *field;
    if (n == "KRAXPath") fallback = defaults.gameFolder;
    if (n == "KRAXCDPath") fallback = defaults.cdDrive;
    if (n == "CPATH") fallback = s.KRAXPath;  // the game folder as just read
    *field = ReadString(*qs, name, fallback);
  }
  return s;
}

Settings LoadSettings(const SettingsStore& store) { return LoadSettings(store, DiscoverSettingsDefaults()); }

bool SaveSettings(const SettingsStore& store, const Settings& settings) {
  std::unique_ptr<QSettings> qs = OpenStore(store);
  for (const SettingName& name : kSettingNames) {
    if (name.isSwitch) {
      qs->setValue(Key(name), *SwitchField(settings, name.name));
    } else {
      qs->setValue(Key(name), QString::fromStdString(*StringField(settings, name.name)));
    }
  }
  qs->sync();
  return qs->status() == QSettings::NoError;
}

std::optional<std::string> SettingText(const Settings& settings, std::string_view name) {
  if (const std::string* text = StringField(settings, name)) return *text;
  if (const int* value = SwitchField(settings, name)) return std::to_string(*value);
  return std::nullopt;
}

bool SetSettingText(Settings& settings, std::string_view name, std::string_view value) {
  if (std::string* text = StringField(settings, name)) {
    *text = std::string(value);
    return true;
  }
  if (int* number = SwitchField(settings, name)) {
    if (value != "0" && value != "1") return false;
    *number = value == "1" ? 1 : 0;
    return true;
  }
  return false;
}

}  // namespace krax
