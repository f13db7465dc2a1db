// Where each catalog entry goes in the car and track tree: its item reference, its image, its
// parent and its position among its siblings. Works on QTreeWidgetItem without any view, so
// that it can be checked without a screen.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "operations/item_ref.h"

class QTreeWidgetItem;

namespace krax {
struct Settings;
}

namespace krax::ui {

// The tree's group nodes; every other item is a car, a stock track slot or a track folder.
inline constexpr ItemRef kCarsGroupItem = ItemRef::Group(0);
inline constexpr ItemRef kTracksGroupItem = ItemRef::Group(1);
inline constexpr ItemRef kSubFolderItem = ItemRef::Group(2);

// Data kept with each item (column 0). The item reference passed to the details form and the
// operations is kept as its two parts.
inline constexpr int kItemKindRole = 0x0100;   // Qt::UserRole: ItemRef::Kind
inline constexpr int kLabelBytesRole = 0x0101; // the label as the game spells it (8-bit bytes)
inline constexpr int kImageRole = 0x0102;      // index into TreeImageList
inline constexpr int kItemIndexRole = 0x0103;  // ItemRef::index

// The program's own 8-bit texts (paths, messages) are UTF-8; one that is not valid UTF-8 (a
// path from an older system) is shown as Latin-1.
QString FromUtf8(std::string_view bytes);
// Text kept by the game itself (car names and IDs, front-end strings), which is in the game's
// code page (gamedata/code_page.h).
QString FromCodePage(std::string_view gameText);
// Text typed by the user (paths, commands) as the UTF-8 string the rest of the program uses.
std::string ToUtf8(const QString& text);

ItemRef ItemRefOf(const QTreeWidgetItem* item);
int ItemImage(const QTreeWidgetItem* item);
QByteArray ItemLabelBytes(const QTreeWidgetItem* item);

// A new item with label, image and reference; the caller inserts it.
QTreeWidgetItem* MakeItem(std::string_view label, int image, ItemRef ref);
// Changes an item's image (icon and the kept index).
void SetItemImage(QTreeWidgetItem* item, int image);

// The image of a car: 0, or 10 for flag 8 with Path_4 on, then 8 for flag 1 with NEQ on,
// then 9 for flag 2 with DUPL_SN on (a later rule wins); 1 for a disabled car in any case.
int CarImage(std::uint32_t errorFlags, bool enabled, const Settings& settings);

// The chain of sub-folders between the car folder and the folder that holds the car:
// `archivePath` minus the car folder's components, minus the archive file name and the car's
// own folder. Empty for a car directly in the car folder (or a path outside it).
std::vector<std::string> CarSubFolderChain(std::string_view carFolder, std::string_view archivePath);

// The child of `parent` labelled `chain[0]` (the first such), then its child labelled
// `chain[1]`, and so on; missing items are appended as sub-folders (image 2, kSubFolderItem).
// Returns the last one, or `parent` for an empty chain.
QTreeWidgetItem* FindOrAddSubFolder(QTreeWidgetItem* parent, const std::vector<std::string>& chain);

// Where a car labelled `name` goes among `parent`'s children: before the first child whose
// label is not less than `name` in byte order (bytes unsigned), else at the end.
int CarInsertPosition(const QTreeWidgetItem* parent, const QByteArray& name);
// The same walk over the children's labels in child order.
int CarInsertPosition(const std::vector<std::string>& childLabels, std::string_view name);

// The tree fill places hundreds of cars: it keeps each parent's child labels as plain bytes
// beside the items, so that the walks above compare bytes instead of item data. Places items
// exactly as FindOrAddSubFolder and CarInsertPosition do.
class CarPlacement {
 public:
  // The parent for a car in `chain`, adding the sub-folder items that are missing.
  QTreeWidgetItem* FindOrAddSubFolder(QTreeWidgetItem* parent, const std::vector<std::string>& chain);
  // Inserts `car` (labelled `name`) among `parent`'s children at its place.
  void InsertCar(QTreeWidgetItem* parent, QTreeWidgetItem* car, const std::string& name);

 private:
  std::vector<std::string>& LabelsOf(QTreeWidgetItem* parent);
  std::unordered_map<QTreeWidgetItem*, std::vector<std::string>> labels_;
};

}  // namespace krax::ui
