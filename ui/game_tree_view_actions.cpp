// The tree's item actions beyond the double clicks: a context menu and the Enter key.
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "ui/game_tree_view.h"
#include "ui/job_runner.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

QMenu* GameTreeView::ItemMenu(QTreeWidgetItem* item) {
  if (!item) return nullptr;
  const ItemRef ref = ItemRefOf(item);
  const bool isCar = ref.isCar() && data_.HasCar(ref.index);
  if (!isCar && !ref.isTrackFolder() && !ref.isStockTrackSlot()) return nullptr;
  if (item->isSelected() && selectedItemRefs().size() > 1) return SelectionMenu();
  // The actions work on the selection, as the double clicks and the form's buttons do.
  setCurrentItem(item);
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("itemMenu"));
  auto select = [this, item] { setCurrentItem(item); };
  if (ref.isStockTrackSlot()) {
    // A stock slot has nothing to switch or edit; the form restores it from the CD.
    if (formActions_) formActions_(menu);
    return menu;
  }
  QAction* primary = nullptr;
  if (isCar) {
    const bool enabled = data_.cars[ref.index].enabled;
    primary = menu->addAction(enabled ? tr("Disable Car") : tr("Enable Car"));
  } else {
    primary = menu->addAction(tr("Switch Slot To This Track"));
    primary->setEnabled(ItemImage(item) != kImageTrackActive);
  }
  primary->setObjectName(QStringLiteral("primaryAction"));
  connect(primary, &QAction::triggered, this, [this, select] {
    select();
    LeftDoubleClick();
  });
  QAction* edit = menu->addAction(isCar ? tr("Open In Car Editor") : tr("Open In Track Editor"));
  edit->setObjectName(QStringLiteral("editAction"));
  connect(edit, &QAction::triggered, this, [this, select] {
    select();
    RightDoubleClick();
  });
  QAction* remove = menu->addAction(tr("Remove"));
  remove->setObjectName(QStringLiteral("removeAction"));
  remove->setShortcut(QKeySequence::Delete);  // shown in the menu; the tree takes the key itself
  remove->setShortcutContext(Qt::WidgetShortcut);
  remove->setEnabled(isCar || item->text(0).compare(QStringLiteral("Original"), Qt::CaseInsensitive) != 0);
  connect(remove, &QAction::triggered, this, [this, select] {
    select();
    RemoveSelected();
  });
  if (formActions_) {
    menu->addSeparator();
    formActions_(menu);
  }
  return menu;
}

void GameTreeView::RefreshCarImages() {
  for (QTreeWidgetItemIterator it(this); *it; ++it) {
    const ItemRef ref = ItemRefOf(*it);
    if (!ref.isCar() || !data_.HasCar(ref.index)) continue;
    const CarRecord& car = data_.cars[ref.index];
    SetItemImage(*it, CarImage(car.errorFlags, car.enabled, settings_));
  }
}

void GameTreeView::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  if (event->button() != Qt::RightButton) return;
  // The right double click opens the editor, so the menu waits for the double-click time.
  if (!menuTimer_) {
    menuTimer_ = new QTimer(this);
    menuTimer_->setSingleShot(true);
    connect(menuTimer_, &QTimer::timeout, this, [this] {
      if (jobs_->RefuseWhileBusy()) return;  // its entries would read what the job changes
      QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(menuPosition_));
      if (QMenu* menu = ItemMenu(item)) {
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(menuPosition_);
      }
    });
  }
  menuPosition_ = event->globalPosition().toPoint();
  menuTimer_->start(QApplication::doubleClickInterval());
}

void GameTreeView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (event->reason() != QContextMenuEvent::Keyboard) return;  // the mouse's menu waits (above)
  if (jobs_->RefuseWhileBusy()) return;
  QTreeWidgetItem* item = currentItem();
  if (QMenu* menu = ItemMenu(item)) {
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(visualItemRect(item).bottomLeft()));
  }
}

void GameTreeView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !selectedItems().isEmpty()) {
    if (!jobs_->RefuseWhileBusy()) LeftDoubleClick();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Delete) && !jobs_->busy() && !selectedItemRefs().empty()) {
    RemoveSelected();
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace krax::ui
