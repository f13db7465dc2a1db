// The install dialog of the four install commands: the files that will be installed, the
// destination base folder and the ID of the new folder. It only edits the values; the
// operation checks them on OK (through the state's accept) and does the writing afterwards.
#pragma once

#include <QDialog>

#include "operations/install_dialog_state.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace krax {
class Prompts;
}

namespace krax::ui {

inline constexpr const char* kInstallBrowseTitle = "Select KRAX Track Main Folder";

class InstallDialog : public QDialog {
  Q_OBJECT

 public:
  InstallDialog(InstallDialogState& state, Prompts& prompts, QWidget* parent = nullptr);

  // ".." next to the destination base: a folder browser; cancelling changes nothing.
  void BrowseDestination();
  // OK: the edited values go into the state; the dialog closes when the operation accepts them.
  void accept() override;

  QLineEdit* idEdit() const { return idEdit_; }
  QLineEdit* destinationEdit() const { return destinationEdit_; }
  QListWidget* fileList() const { return fileList_; }

 private:
  InstallDialogState& state_;
  Prompts& prompts_;
  QLineEdit* idEdit_ = nullptr;
  QLineEdit* destinationEdit_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QLabel* lengthLine_ = nullptr;
  QCheckBox* activate_ = nullptr;
  QListWidget* fileList_ = nullptr;
};

}  // namespace krax::ui
