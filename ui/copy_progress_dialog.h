// The progress window of a long copy (the restores from the CD): files and bytes done, the
// file being copied, and Cancel, which stops the copy between two files.
#pragma once

#include <QProgressDialog>

namespace krax {
struct ProgressState;
}

namespace krax::ui {

class CopyProgressDialog : public QProgressDialog {
  Q_OBJECT

 public:
  CopyProgressDialog(const QString& title, QWidget* parent = nullptr);

  // Shows `state`; false once the user pressed Cancel.
  bool Update(const ProgressState& state);
};

}  // namespace krax::ui
