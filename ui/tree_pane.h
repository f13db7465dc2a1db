// The left pane: a filter box and the "Show only cars with errors" toggle above the tree.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace krax::ui {

class GameTreeView;

class TreePane : public QWidget {
  Q_OBJECT

 public:
  TreePane(GameTreeView* tree, QWidget* parent = nullptr);

  GameTreeView* tree() const { return tree_; }
  QLineEdit* filterBox() const { return filterBox_; }
  QCheckBox* errorsOnlyBox() const { return errorsOnly_; }
  // Ctrl+F: the filter box gets the keyboard, its text selected.
  void FocusFilter();

 private:
  void ApplyFilter();

  GameTreeView* tree_;
  QLineEdit* filterBox_ = nullptr;
  QCheckBox* errorsOnly_ = nullptr;
};

}  // namespace krax::ui
