#include "ui/tree_pane.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/game_tree_view.h"

namespace krax::ui {

TreePane::TreePane(GameTreeView* tree, QWidget* parent) : QWidget(parent), tree_(tree) {
  setObjectName(QStringLiteral("treePane"));
  filterBox_ = new QLineEdit(this);
  filterBox_->setObjectName(QStringLiteral("filterBox"));
  filterBox_->setPlaceholderText(tr("Filter by name, ID or folder (Ctrl+F)"));
  filterBox_->setClearButtonEnabled(true);
  errorsOnly_ = new QCheckBox(tr("Show only cars with errors"), this);
  errorsOnly_->setObjectName(QStringLiteral("errorsOnlyBox"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(filterBox_);
  layout->addWidget(errorsOnly_);
  tree_->setParent(this);
  layout->addWidget(tree_, 1);
  connect(filterBox_, &QLineEdit::textChanged, this, &TreePane::ApplyFilter);
  connect(errorsOnly_, &QCheckBox::toggled, this, &TreePane::ApplyFilter);
  // Down from the filter box goes into the tree.
  connect(filterBox_, &QLineEdit::returnPressed, tree_, [this] { tree_->setFocus(); });
}

void TreePane::FocusFilter() {
  filterBox_->setFocus(Qt::ShortcutFocusReason);
  filterBox_->selectAll();
}

void TreePane::ApplyFilter() { tree_->SetFilter({filterBox_->text(), errorsOnly_->isChecked()}); }

}  // namespace krax::ui
