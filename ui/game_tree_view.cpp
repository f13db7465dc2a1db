#include "ui/game_tree_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QTimer>

#include "app/settings.h"
#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/game_folder.h"
#include "operations/game_folder_problem.h"
#include "operations/operations.h"
#include "ui/job_runner.h"
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
  SetJobRunner(new JobRunner(this));
}

void GameTreeView::SetJobRunner(JobRunner* jobs) {
  if (jobs_ && jobs_->parent() == this && jobs != jobs_) jobs_->deleteLater();
  jobs_ = jobs;
  connect(jobs_, &JobRunner::busyChanged, this, [this](bool busy) {
    if (busy || !filterPending_) return;
    filterPending_ = false;
    SetFilter(filter_);
  });
}

QSize GameTreeView::sizeHint() const {
  // Wide enough for a car name and the nesting of a sub-folder or two.
  const int width = fontMetrics().horizontalAdvance(QStringLiteral("M")) * 24 + 60;
  return QSize(width, QTreeWidget::sizeHint().height());
}

void GameTreeView::FillTree() {
  // A folder that is no game shows no cars and no track slots, and says why.
  UseGameFolder(settings_, data_);
  const std::string problem = GameFolderProblem(settings_.gameFolder);
  // Each group is filled before it joins the tree, so the view takes in all its items at once.
  carsGroup_ = MakeItem(ToUtf8(tr("Racing Cars")), kImageCarsGroup, kCarsGroupItem);
  QFont bold = font();
  bold.setBold(true);
  carsGroup_->setFont(0, bold);
  if (problem.empty()) FillCars();
  addTopLevelItem(carsGroup_);
  carsGroup_->setExpanded(true);

  tracksGroup_ = MakeItem(ToUtf8(tr("Tracks")), kImageTracksGroup, kTracksGroupItem);
  if (problem.empty()) {
    FillTracks();
  } else {
    data_.trackFolders.clear();
  }
  addTopLevelItem(tracksGroup_);
  tracksGroup_->setExpanded(true);
  if (filter_.active()) ApplyTreeFilter(carsGroup_, tracksGroup_, data_, filter_);

  emit carCountReported(problem.empty() ? data_.enabledCarCount : 0);  // no game, no cars
  emit gameFolderChecked(FromUtf8(problem));
}

void GameTreeView::FillCars() {
  UseGameFolder(settings_, data_);
  data_.LoadCarCatalog();
  const std::string carFolder = CarFolderPath(data_.gameFolder());
  const std::size_t count = data_.cars.size();
  CarPlacement placement;
  for (std::size_t slot = 0; slot < count; ++slot) {
    const CarRecord& car = data_.cars[slot];
    const int image = CarImage(car.errorFlags, car.enabled, settings_);
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

void GameTreeView::ReloadTree() { Reload(false); }

void GameTreeView::ReloadTreeShowingNew() { Reload(true); }

QString GameTreeView::PlaceKey(QTreeWidgetItem* item) const {
  const ItemRef ref = ItemRefOf(item);
  if (ref.isCar() && data_.HasCar(ref.index)) {
    return QStringLiteral("car:") + FromUtf8(data_.cars[ref.index].archivePath);
  }
  if (ref.isTrackFolder() && data_.HasTrackFolder(ref.index)) {
    return QStringLiteral("track:") + FromUtf8(data_.trackFolder(ref.index).path);
  }
  // Groups, sub-folders and stock slots: the texts from the top of the tree down.
  QString key;
  for (QTreeWidgetItem* at = item; at; at = at->parent()) key.prepend(QLatin1Char('/') + at->text(0));
  return QStringLiteral("place:") + key;
}

QTreeWidgetItem* GameTreeView::FindItem(ItemRef ref) const {
  for (QTreeWidgetItemIterator it(const_cast<GameTreeView*>(this)); *it; ++it) {
    if (ItemRefOf(*it) == ref) return *it;
  }
  return nullptr;
}

void GameTreeView::Reload(bool showNew) {
  // What the player sees, by names that outlive the items.
  QSet<QString> before, selected, expanded;
  QString current;
  for (QTreeWidgetItemIterator it(this); *it; ++it) {
    const QString key = PlaceKey(*it);
    before.insert(key);
    if ((*it)->isSelected()) selected.insert(key);
    if ((*it)->isExpanded()) expanded.insert(key);
    if (*it == currentItem()) current = key;
  }
  const bool hadItems = topLevelItemCount() > 0;
  const int scroll = verticalScrollBar()->value();
  {
    const QSignalBlocker quiet(this);
    clear();
  }
  carsGroup_ = tracksGroup_ = nullptr;
  emit itemsDeleted();
  data_.ClearCarTable();
  FillTree();

  QTreeWidgetItem* added = nullptr;
  QTreeWidgetItem* currentNow = nullptr;
  QList<QTreeWidgetItem*> selectNow;
  for (QTreeWidgetItemIterator it(this); *it; ++it) {
    const QString key = PlaceKey(*it);
    if (hadItems) (*it)->setExpanded(expanded.contains(key));
    if (selected.contains(key)) selectNow.append(*it);
    if (key == current) currentNow = *it;
    const ItemRef ref = ItemRefOf(*it);
    if (!added && showNew && (ref.isCar() || ref.isTrackFolder()) && !before.contains(key)) added = *it;
  }
  doItemsLayout();
  verticalScrollBar()->setValue(scroll);
  if (added) {
    selectNow = {added};
    currentNow = added;
    for (QTreeWidgetItem* up = added->parent(); up; up = up->parent()) up->setExpanded(true);
  }
  // Selecting tells the form: it shows the same item again.
  {
    const QSignalBlocker quiet(this);
    if (currentNow) setCurrentItem(currentNow, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* item : selectNow) item->setSelected(true);
  }
  if (!selectNow.isEmpty()) OnSelectionChanged();
  if (added) scrollToItem(added);
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
    if (!jobs_->RefuseWhileBusy()) RightDoubleClick();
    return;
  }
  if (event->button() == Qt::LeftButton) {
    QTreeWidgetItem* item = selectedItems().value(0, nullptr);
    if (item && (ItemRefOf(item).isCar() || ItemRefOf(item).isTrackFolder())) {
      if (!jobs_->RefuseWhileBusy()) LeftDoubleClick();
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
    jobs_->Run(
        tr("Enable/Disable Car"), [this, ref] { return operations_.ToggleCar(CarSlot{ref.index}); },
        [this, ref](const OperationResult& result) {
          if (result.done()) {
            if (QTreeWidgetItem* now = FindItem(ref)) {
              SetItemImage(now, data_.cars[ref.index].enabled ? kImageCar : kImageCarDisabled);
            }
            emit carCountReported(data_.enabledCarCount);
            emit itemSelected(ref);
          }
          emit operationFinished(result);
        });
  } else if (ref.isTrackFolder()) {
    if (ItemImage(item) == kImageTrackActive) return;
    jobs_->Run(tr("Switch Track"), [this, ref] { return operations_.SwitchTrack(ref); },
               [this, ref](const OperationResult& result) {
                 // The images follow the switch only when it happened: a tree that shows a track
                 // as active while the game still loads the old one would mislead.
                 QTreeWidgetItem* now = FindItem(ref);
                 if (result.done() && now) {
                   QTreeWidgetItem* slotItem = now->parent();
                   for (int i = 0; slotItem && i < slotItem->childCount(); ++i) {
                     SetItemImage(slotItem->child(i), kImageTrackInactive);
                   }
                   SetItemImage(now, kImageTrackActive);
                 }
                 emit operationFinished(result);
               });
  } else {
    item->setExpanded(!item->isExpanded());
  }
}

void GameTreeView::RightDoubleClick() {
  QTreeWidgetItem* item = selectedItems().value(0, nullptr);
  if (!item) return;
  const ItemRef ref = ItemRefOf(item);
  // Only cars and add-on track folders have a file an editor could open.
  if (!ref.isCar() && !ref.isTrackFolder()) return;
  jobs_->Run(tr("Open In Editor"), [this, ref] { return operations_.RunItemEditor(ref); },
             [this](const OperationResult& result) { emit operationFinished(result); });
}

}  // namespace krax::ui
