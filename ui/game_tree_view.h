// The car and track tree, the left pane of the main window.
#pragma once

#include <functional>
#include <vector>

#include <QTreeWidget>

#include "operations/item_ref.h"
#include "ui/tree_filter.h"

class QMenu;
class QTimer;

namespace krax {
class GameData;
struct Settings;
class Operations;
struct OperationResult;
}  // namespace krax

namespace krax::ui {

class JobRunner;

class GameTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  GameTreeView(GameData& data, const Settings& settings, Operations& operations,
            QWidget* parent = nullptr);

  // Loads both catalogs and builds all items; reports the enabled car count.
  void FillTree();
  // Deletes every item, clears the car table, then FillTree. The player's place stays: the
  // items selected before (by their folders), the open groups and the scroll position.
  void ReloadTree();
  // As ReloadTree, then selects the first car or track that was not there before (an install)
  // and scrolls to it.
  void ReloadTreeShowingNew();
  // Where the commands that change the game folder run (one job at a time); the tree has one of
  // its own until the window shares its runner.
  void SetJobRunner(JobRunner* jobs);
  JobRunner& jobs() const { return *jobs_; }

  QTreeWidgetItem* carsGroup() const { return carsGroup_; }
  QTreeWidgetItem* tracksGroup() const { return tracksGroup_; }

  // What the double clicks do, for the item currently selected.
  void LeftDoubleClick();
  void RightDoubleClick();
  // The actions of an item, as its context menu offers them (game_tree_view_actions.cpp).
  QMenu* ItemMenu(QTreeWidgetItem* item);
  // Every car's image from its flags and state in the car table (after a serial number write).
  void RefreshCarImages();
  // Several items at once (game_tree_view_selection.cpp): the selected cars and add-on tracks;
  // enable or disable every selected car; remove them (asking once); pack each into a zip or
  // cabinet. Each ends with one result for all.
  std::vector<ItemRef> selectedItemRefs() const;
  void SetSelectedCarsEnabled(bool enabled);
  void RemoveSelected();
  void PackSelected(bool cabinet);
  // Narrows the tree to the items the filter keeps; kept over reloads.
  void SetFilter(const TreeFilter& filter);
  const TreeFilter& filter() const { return filter_; }
  // Adds the details form's actions (pack, restore) for the selected item to a context menu.
  void SetFormActions(std::function<void(QMenu*)> addActions) { formActions_ = std::move(addActions); }

 signals:
  // Sent after every load, reload, enable and disable with the number of enabled top-level cars.
  void carCountReported(int enabledCarCount);
  // Every item was deleted (a reload): item references read before mean nothing now.
  void itemsDeleted();
  // The newly selected item.
  void itemSelected(krax::ItemRef item);
  // After every fill: what is wrong with the game folder ("" when nothing is).
  void gameFolderChecked(const QString& problem);
  // An operation that ran from a double click and has something to say.
  void operationFinished(const krax::OperationResult& result);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 public:
  QSize sizeHint() const override;

 private:
  void OnSelectionChanged();
  void FillCars();
  void FillTracks();
  // The menu for several selected items.
  QMenu* SelectionMenu();
  // What names an item across reloads: a car or track by its folder, the others by their place.
  QString PlaceKey(QTreeWidgetItem* item) const;
  void Reload(bool showNew);
  // The item that stands for `ref` now (nullptr when it is gone).
  QTreeWidgetItem* FindItem(ItemRef ref) const;

  GameData& data_;
  const Settings& settings_;
  Operations& operations_;
  QTreeWidgetItem* carsGroup_ = nullptr;
  QTreeWidgetItem* tracksGroup_ = nullptr;
  QTimer* menuTimer_ = nullptr;  // a right click's menu waits to see whether a double click follows
  QPoint menuPosition_;
  std::function<void(QMenu*)> formActions_;
  TreeFilter filter_;
  JobRunner* jobs_ = nullptr;
  bool filterPending_ = false;  // typed while a job ran: applied when it ends
};

}  // namespace krax::ui
