// The window's way of talking to the user for the operations: message boxes, the status
// line, the wait cursor and Qt's folder and file choosers.
#pragma once

#include <QString>
#include <functional>

#include "operations/prompts.h"

class QWidget;

namespace krax::ui {

// "Description|*.a;*.b||" (pairs ended by an empty pair) as a Qt name filter list.
QString QtFileFilter(const std::string& filter);

class WidgetPrompts : public Prompts {
 public:
  // `owner` parents the dialogs; `status` shows a text in the status line.
  WidgetPrompts(QWidget* owner, std::function<void(const QString&)> status);

  void setOwner(QWidget* owner) { owner_ = owner; }

  void Message(const std::string& text) override;
  bool Question(const std::string& text, bool okCancel = false) override;
  void Status(const std::string& text) override;
  void Busy(bool busy) override;
  std::string ChooseFolder(const std::string& title) override;
  std::string ChooseFile(const std::string& title, const std::string& filter) override;
  std::string ChooseFolderIn(const std::string& title, const std::string& startFolder) override;
  std::string ChooseFileIn(const std::string& title, const std::string& filter,
                           const std::string& startFolder) override;

 private:
  QWidget* owner_;
  std::function<void(const QString&)> status_;
};

}  // namespace krax::ui
