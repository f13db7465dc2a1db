// Narrowing the car and track tree: items whose name, ID or folder contains the text (ignoring
// case) stay, with the groups and folders above them; "only cars with errors" keeps just the
// flagged cars. Hides items; never removes them, so item references stay as they are.
#pragma once

#include <QString>

class QTreeWidgetItem;

namespace krax {
class GameData;
}

namespace krax::ui {

struct TreeFilter {
  QString text;
  bool errorsOnly = false;
  bool active() const { return !text.isEmpty() || errorsOnly; }
};

// Applies `filter` to the cars group and the tracks group; returns the number of cars shown.
int ApplyTreeFilter(QTreeWidgetItem* carsGroup, QTreeWidgetItem* tracksGroup, const GameData& data,
                    const TreeFilter& filter);

}  // namespace krax::ui
