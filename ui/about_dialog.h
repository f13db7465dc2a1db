// The About box.
#pragma once

#include <QDialog>
#include <QString>

namespace krax::ui {

// The text of the About box's large field, line by line, credits last.
QString AboutText();

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace krax::ui
