// The left pane: a filter box and the "Show only cars with errors" toggle above the tree.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace krax::ui {

class GameTreeView;

class CTreePane : public QWidget {
  Q_OBJECT

 public:
  CTreePane(GameTreeView* tree, QWidget* parent = nullptr);

  GameTreeView* tree() const { return tree_; }
  QLineEdit* filterBox() const { return filterBox_; }
  QCheckBox* errorsOnlyBox() const { return errorsOnly_; }
  // Ctrl+F: the filter box gets the keyboard, its text selected.
  void focusFilter();

 private:
  void applyFilter();

  GameTreeView* tree_;
  QLineEdit* filterBox_ = nullptr;
  QCheckBox* errorsOnly_ = nullptr;
};

}  // namespace krax::ui
