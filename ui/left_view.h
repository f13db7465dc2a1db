// The car and track tree, the left pane of the main window.
#pragma once

#include <QTreeWidget>

namespace krax {
class GameData;
struct Settings;
class Operations;
struct OperationResult;
}  // namespace krax

namespace krax::ui {

class CLeftView : public QTreeWidget {
  Q_OBJECT

 public:
  CLeftView(GameData& data, const Settings& settings, Operations& operations,
            QWidget* parent = nullptr);

  // Loads both catalogs and builds all items; reports the enabled car count.
  void FillTree();
  // Deletes every item, clears the car table, then FillTree.
  void ReloadTree();

  QTreeWidgetItem* carsGroup() const { return carsGroup_; }
  QTreeWidgetItem* tracksGroup() const { return tracksGroup_; }
  // The item carrying `code`, or nullptr.
  QTreeWidgetItem* findItemByCode(int code) const;

  // What the double clicks do, for the item currently selected.
  void leftDoubleClick();
  void rightDoubleClick();

 signals:
  // Sent after every load, reload, enable and disable with the number of enabled top-level cars.
  void carCountReported(int enabledCarCount);
  // Every item was deleted (a reload): item codes read before mean nothing now.
  void itemsDeleted();
  // The item code of the newly selected item.
  void itemSelected(int itemCode);
  // An operation that ran from a double click and has something to say.
  void operationFinished(const krax::OperationResult& result);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 public:
  QSize sizeHint() const override;

 private:
  void onSelectionChanged();
  void fillCars();
  void fillTracks();

  GameData& data_;
  const Settings& settings_;
  Operations& operations_;
  QTreeWidgetItem* carsGroup_ = nullptr;
  QTreeWidgetItem* tracksGroup_ = nullptr;
};

}  // namespace krax::ui
