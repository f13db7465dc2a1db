#include "ui/game_tree_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>

#include "app/settings.h"
#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/operations.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

GameTreeView::GameTreeView(GameData& data, const Settings& settings, Operations& operations,
                     QWidget* parent)
    : QTreeWidget(parent), data_(data), settings_(settings), operations_(operations) {
  setObjectName(QStringLiteral("CarTrackTree"));
  setColumnCount(1);
  header()->hide();
  setRootIsDecorated(true);  // expand buttons and lines at the root
  setIconSize(QSize(16, 16));
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);  // Ctrl and Shift click pick several
  connect(this, &QTreeWidget::itemSelectionChanged, this, &GameTreeView::OnSelectionChanged);
}

QSize GameTreeView::sizeHint() const {
  // Wide enough for a car name and the nesting of a sub-folder or two.
  const int width = fontMetrics().horizontalAdvance(QStringLiteral("M")) * 24 + 60;
  return QSize(width, QTreeWidget::sizeHint().height());
}

void GameTreeView::FillTree() {
  // Each group is filled before it joins the tree, so the view takes in all its items at once.
  carsGroup_ = MakeItem(ToGameText(tr("Racing Cars")), kImageCarsGroup, kCarsGroupItem);
  QFont bold = font();
  bold.setBold(true);
  carsGroup_->setFont(0, bold);
  FillCars();
  addTopLevelItem(carsGroup_);
  carsGroup_->setExpanded(true);

  tracksGroup_ = MakeItem(ToGameText(tr("Tracks")), kImageTracksGroup, kTracksGroupItem);
  FillTracks();
  addTopLevelItem(tracksGroup_);
  tracksGroup_->setExpanded(true);
  if (filter_.active()) ApplyTreeFilter(carsGroup_, tracksGroup_, data_, filter_);

  emit carCountReported(data_.enabledCarCount);
}

void GameTreeView::FillCars() {
  data_.gameFolder = settings_.KRAXPath;
  data_.LoadCarCatalog();
  const std::string carFolder = CarFolderPath(data_.gameFolder);
  const std::size_t count = data_.cars.count();
  CarPlacement placement;
  for (std::size_t slot = 0; slot < count; ++slot) {
    const CarRecord& car = data_.cars[slot];
    const int image = CarImage(car.errorFlags, car.enabled != 0, settings_);
    QTreeWidgetItem* parent =
        placement.FindOrAddSubFolder(carsGroup_, CarSubFolderChain(carFolder, car.archivePath));
    const std::string& name = car.name ? *car.name : std::string(kNoFedataName);
    QTreeWidgetItem* item = MakeItem(name, image, ItemRef::Car(slot));
    item->setText(0, FromCodePage(name));  // a car's name is game text
    placement.InsertCar(parent, item, name);
  }
}

void GameTreeView::FillTracks() {
  operations_.ResumeInterruptedSwitches();
  data_.trackFolders.clear();
  for (int row = 0; !StockTrackTable[static_cast<std::size_t>(row)].displayName.empty(); ++row) {
    QTreeWidgetItem* slotItem = MakeItem(StockTrackTable[static_cast<std::size_t>(row)].displayName,
                                         kImageStockSlot, ItemRef::StockTrackSlot(row));
    tracksGroup_->addChild(slotItem);
    data_.LoadTrackSlot(row, [slotItem](const std::string& name, bool active, int n) {
      slotItem->addChild(MakeItem(name, active ? kImageTrackActive : kImageTrackInactive,
                                  ItemRef::TrackFolder(static_cast<std::size_t>(n))));
    });
  }
}

void GameTreeView::ReloadTree() {
  // The selection goes with the items; the form keeps what it shows until the next selection.
  {
    const QSignalBlocker quiet(this);
    clear();
  }
  carsGroup_ = tracksGroup_ = nullptr;
  emit itemsDeleted();
  data_.ClearCarTable();
  FillTree();
}

void GameTreeView::OnSelectionChanged() {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return;  // never pass a reference that was not read from an item
  // The form shows the item clicked last, when several are selected.
  QTreeWidgetItem* shown = currentItem() && currentItem()->isSelected() ? currentItem() : selected.first();
  emit itemSelected(ItemRefOf(shown));
}

void GameTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click acts on the selection, which the first click has set (or, on an empty
  // part of the tree, on whatever was selected before).
  if (event->button() == Qt::RightButton) {
    if (menuTimer_) menuTimer_->stop();
    RightDoubleClick();
    return;
  }
  if (event->button() == Qt::LeftButton) {
    QTreeWidgetItem* item = selectedItems().value(0, nullptr);
    if (item && (ItemRefOf(item).isCar() || ItemRefOf(item).isTrackFolder())) {
      LeftDoubleClick();
      return;
    }
  }
  QTreeWidget::mouseDoubleClickEvent(event);
}

void GameTreeView::LeftDoubleClick() {
  QTreeWidgetItem* item = selectedItems().value(0, nullptr);
  if (!item) return;
  const ItemRef ref = ItemRefOf(item);
  if (ref.isCar()) {
    const OperationResult result = operations_.ToggleCar(static_cast<int>(ref.index));
    if (result.done()) {
      const bool enabled = data_.cars[ref.index].enabled != 0;
      SetItemImage(item, enabled ? kImageCar : kImageCarDisabled);
      emit carCountReported(data_.enabledCarCount);
      emit itemSelected(ref);
    }
    emit operationFinished(result);
  } else if (ref.isTrackFolder()) {
    if (ItemImage(item) == kImageTrackActive) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const OperationResult result = operations_.SwitchTrack(ref);
    // The images follow the switch only when it happened: a tree that shows a track as active
    // while the game still loads the old one would mislead.
    if (result.done()) {
      QTreeWidgetItem* slotItem = item->parent();
      for (int i = 0; slotItem && i < slotItem->childCount(); ++i) {
        SetItemImage(slotItem->child(i), kImageTrackInactive);
      }
      SetItemImage(item, kImageTrackActive);
    }
    QApplication::restoreOverrideCursor();
    emit operationFinished(result);
  } else {
    item->setExpanded(!item->isExpanded());
  }
}

void GameTreeView::RightDoubleClick() {
  QTreeWidgetItem* item = selectedItems().value(0, nullptr);
  if (!item) return;
  const ItemRef ref = ItemRefOf(item);
  // Only cars and add-on track folders have a file an editor could open.
  if (ref.isCar() || ref.isTrackFolder()) emit operationFinished(operations_.RunItemEditor(ref));
}

}  // namespace krax::ui
