#include "ui/tree_filter.h"

#include <QTreeWidgetItem>

#include "gamedata/game_data.h"
#include "platform/path.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {
namespace {

class Matcher {
 public:
  Matcher(const GameData& data, const TreeFilter& filter) : data_(data), filter_(filter) {}

  // Shows or hides `item` and its children; true when it stays visible. `shown`: an item
  // above matched the text, so everything below it does too.
  bool apply(QTreeWidgetItem* item, bool shown) {
    const ItemRef ref = ItemRefOf(item);
    bool visible = false;
    if (ref.isCar()) {
      visible = (shown || carMatches(item, ref.index)) && (!filter_.errorsOnly || flagged(ref.index));
      if (visible) ++cars;
    } else {
      const bool matched = shown || textMatches(item->text(0));
      bool childShown = false;
      for (int i = 0; i < item->childCount(); ++i) childShown |= apply(item->child(i), matched);
      // Matches inside a closed folder or slot come into view.
      if (childShown && !filter_.text.isEmpty() && !item->isExpanded()) item->setExpanded(true);
      visible = childShown;
      visible |= matched && !filter_.errorsOnly;
    }
    if (item->isHidden() == visible) item->setHidden(!visible);
    return visible;
  }
  int cars = 0;

 private:
  bool textMatches(const QString& text) const { return text.contains(filter_.text, Qt::CaseInsensitive); }
  bool carMatches(QTreeWidgetItem* item, std::size_t slot) {
    if (filter_.text.isEmpty() || textMatches(item->text(0))) return true;
    if (!data_.HasCar(slot)) return false;
    const CarRecord& car = data_.cars[slot];
    return (car.carId && textMatches(FromCodePage(*car.carId))) ||
           textMatches(FromUtf8(BaseName(ParentPath(car.archivePath))));
  }
  bool flagged(std::size_t slot) const { return data_.HasCar(slot) && data_.cars[slot].errorFlags != 0; }

  const GameData& data_;
  const TreeFilter& filter_;
};

}  // namespace

int ApplyTreeFilter(QTreeWidgetItem* carsGroup, QTreeWidgetItem* tracksGroup, const GameData& data,
                    const TreeFilter& filter) {
  Matcher matcher(data, filter);
  // The groups always stay; their own labels match nothing.
  if (carsGroup) {
    for (int i = 0; i < carsGroup->childCount(); ++i) matcher.apply(carsGroup->child(i), !filter.active());
  }
  if (tracksGroup) {
    // Tracks carry no error flags: the errors-only view shows none.
    for (int i = 0; i < tracksGroup->childCount(); ++i) {
      QTreeWidgetItem* slot = tracksGroup->child(i);
      if (filter.errorsOnly) {
        slot->setHidden(true);
      } else {
        matcher.apply(slot, filter.text.isEmpty());
      }
    }
  }
  return matcher.cars;
}

}  // namespace krax::ui
