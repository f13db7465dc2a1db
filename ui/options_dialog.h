// The Options dialog: the one place where the user changes the stored settings.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace krax {
class Prompts;
}

namespace krax::ui {

// What the dialog needs from the rest of the program; tests give their own.
struct OptionsServices {
  std::function<std::string()> findGameFolder;  // "Default" of the game folder
  std::function<std::string()> findCdDrive;     // "Default" of the CD path
  std::function<bool(const Settings&)> save;    // SaveSettings
  std::function<void()> loadGameText;           // when string editing is switched on
  // Values that stand in for unset ones (the demo installation's folders), by setting name.
  // OK stores such a value only when the user set its field in the dialog (typed, browsed,
  // "Default") or it holds something other than the stand-in; `saveSome` then writes the other values.
  std::vector<std::pair<std::string, std::string>> standIns;
  std::function<bool(const Settings&, const std::vector<std::string>& names)> saveSome;
};

// The executable filter of the editor choosers.
inline constexpr const char* kExecutableFilter =
    "Executable Files (*.exe, *.com,*.bat)|*.exe;*.com;*.bat||";

// Removes one trailing separator, a backslash or a slash; a root folder keeps its own ("/",
// and on Windows a drive's root such as "C:\\").
std::string WithoutTrailingSeparator(std::string value);

class OptionsDialog : public QDialog {
  Q_OBJECT

 public:
  OptionsDialog(Settings& settings, Prompts& prompts, OptionsServices services,
              QWidget* parent = nullptr);

  // The held values (what the controls show after the last exchange).
  const Settings& held() const { return held_; }

  // Button work, callable without clicking.
  void BrowseGameFolder();
  void BrowseCarEditor();
  void BrowseTrackEditor();
  void BrowseCdPath();
  void BrowseArchiveFolder();
  void DefaultGameFolder();
  void DefaultCarEditor();
  void DefaultTrackEditor();
  void DefaultCdPath();
  void DefaultArchiveFolder();

  void accept() override;

 private:
  void ShowHeld();  // held values -> controls
  void TakeOver();  // controls -> held values
  void BrowseFolder(const char* title, std::string Settings::*field);
  void BrowseExecutable(std::string Settings::*field);
  void SetHeld(std::string Settings::*field, std::string value);
  QLineEdit* EditFor(std::string Settings::*field) const;
  const char* NameOf(std::string Settings::*field) const;
  // The values OK writes: all nine but the stand-ins the user left alone.
  std::vector<std::string> NamesToStore() const;

  Settings& settings_;
  Prompts& prompts_;
  OptionsServices services_;
  Settings held_;
  std::vector<std::string> setByUser_;  // names of the text fields the user set

  QLineEdit* gameFolderEdit_ = nullptr;
  QLineEdit* carEditorEdit_ = nullptr;
  QLineEdit* trackEditorEdit_ = nullptr;
  QLineEdit* cdPathEdit_ = nullptr;
  QLineEdit* archiveFolderEdit_ = nullptr;
  QCheckBox* duplicateCheck_ = nullptr;
  QCheckBox* path4Check_ = nullptr;
  QCheckBox* notEqualCheck_ = nullptr;
  QCheckBox* stringEditCheck_ = nullptr;
};

}  // namespace krax::ui
