// The About box.
#pragma once

#include <QDialog>
#include <QString>

namespace krax::ui {

// The text of the About box's large field, line by line, credits last.
QString AboutText();

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace krax::ui
