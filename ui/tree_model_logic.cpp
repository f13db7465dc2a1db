#include "ui/tree_model_logic.h"

#include <QStringDecoder>
#include <QTreeWidgetItem>
#include <algorithm>

#include "app/settings.h"
#include "gamedata/car_record.h"
#include "gamedata/code_page.h"
#include "platform/path.h"
#include "ui/pictures.h"

namespace krax::ui {

QString FromUtf8(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString FromCodePage(std::string_view gameText) { return QString::fromStdString(GameTextToUtf8(gameText)); }

std::string ToUtf8(const QString& text) { return text.toStdString(); }

ItemRef ItemRefOf(const QTreeWidgetItem* item) {
  return {static_cast<ItemRef::Kind>(item->data(0, kItemKindRole).toInt()),
          static_cast<std::size_t>(item->data(0, kItemIndexRole).toULongLong())};
}
int ItemImage(const QTreeWidgetItem* item) { return item->data(0, kImageRole).toInt(); }
QByteArray ItemLabelBytes(const QTreeWidgetItem* item) {
  return item->data(0, kLabelBytesRole).toByteArray();
}

namespace {
const QVector<QIcon>& Images() {
  static const QVector<QIcon> images = TreeImageList();
  return images;
}
}  // namespace

void SetItemImage(QTreeWidgetItem* item, int image) {
  item->setData(0, kImageRole, image);
  if (image >= 0 && image < Images().size()) item->setIcon(0, Images()[image]);
}

QTreeWidgetItem* MakeItem(std::string_view label, int image, ItemRef ref) {
  auto* item = new QTreeWidgetItem();
  item->setText(0, FromUtf8(label));
  item->setData(0, kLabelBytesRole,
                QByteArray(label.data(), static_cast<qsizetype>(label.size())));
  item->setData(0, kItemKindRole, static_cast<int>(ref.kind));
  item->setData(0, kItemIndexRole, static_cast<qulonglong>(ref.index));
  SetItemImage(item, image);
  return item;
}

int CarImage(std::uint32_t errorFlags, bool enabled, const Settings& settings) {
  int image = kImageCar;
  if (errorFlags != 0) {
    if ((errorFlags & kFlagFolderOver4) && settings.flagLongFolderNames) image = kImageFolderTooLong;
    if ((errorFlags & kFlagSerialsDiffer) && settings.flagDifferingSerials) image = kImageSerialsDiffer;
    if ((errorFlags & kFlagDuplicateSerial) && settings.flagDuplicateSerials) image = kImageSerialDuplicate;
  }
  if (!enabled) image = kImageCarDisabled;
  return image;
}

std::vector<std::string> CarSubFolderChain(std::string_view carFolder,
                                           std::string_view archivePath) {
  const std::vector<std::string> base = PathComponents(carFolder);
  std::vector<std::string> parts = PathComponents(archivePath);
  // The archive lies in (sub-folders...)/car folder/archive below the car folder.
  if (parts.size() < base.size() + 2 || !std::equal(base.begin(), base.end(), parts.begin())) {
    return {};
  }
  return std::vector<std::string>(parts.begin() + static_cast<std::ptrdiff_t>(base.size()),
                                  parts.end() - 2);
}

QTreeWidgetItem* FindOrAddSubFolder(QTreeWidgetItem* parent,
                                    const std::vector<std::string>& chain) {
  QTreeWidgetItem* current = parent;
  std::size_t next = 0;
  // Follow the existing items as far as they go...
  while (next < chain.size()) {
    const QByteArray head(chain[next].data(), static_cast<qsizetype>(chain[next].size()));
    QTreeWidgetItem* found = nullptr;
    for (int i = 0; i < current->childCount(); ++i) {
      QTreeWidgetItem* child = current->child(i);
      if (ItemLabelBytes(child) == head) {
        found = child;
        break;
      }
    }
    if (!found) break;
    current = found;
    ++next;
  }
  // ...then append the rest, each inside the one before.
  for (; next < chain.size(); ++next) {
    QTreeWidgetItem* item = MakeItem(chain[next], kImageSubFolder, kSubFolderItem);
    current->addChild(item);
    current = item;
  }
  return current;
}

int CarInsertPosition(const std::vector<std::string>& childLabels, std::string_view name) {
  // std::char_traits<char> compares bytes as unsigned char: byte order.
  for (std::size_t i = 0; i < childLabels.size(); ++i) {
    if (std::string_view(childLabels[i]).compare(name) >= 0) return static_cast<int>(i);
  }
  return static_cast<int>(childLabels.size());
}

int CarInsertPosition(const QTreeWidgetItem* parent, const QByteArray& name) {
  std::vector<std::string> labels;
  labels.reserve(static_cast<std::size_t>(parent->childCount()));
  for (int i = 0; i < parent->childCount(); ++i) {
    labels.push_back(ItemLabelBytes(parent->child(i)).toStdString());
  }
  return CarInsertPosition(labels, std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
}

std::vector<std::string>& CarPlacement::LabelsOf(QTreeWidgetItem* parent) {
  auto [it, added] = labels_.try_emplace(parent);
  if (added) {
    for (int i = 0; i < parent->childCount(); ++i) {
      it->second.push_back(ItemLabelBytes(parent->child(i)).toStdString());
    }
  }
  return it->second;
}

QTreeWidgetItem* CarPlacement::FindOrAddSubFolder(QTreeWidgetItem* parent,
                                                  const std::vector<std::string>& chain) {
  QTreeWidgetItem* current = parent;
  for (const std::string& head : chain) {
    std::vector<std::string>& labels = LabelsOf(current);
    const auto found = std::find(labels.begin(), labels.end(), head);
    if (found != labels.end()) {
      current = current->child(static_cast<int>(found - labels.begin()));
    } else {
      QTreeWidgetItem* item = MakeItem(head, kImageSubFolder, kSubFolderItem);
      current->addChild(item);
      labels.push_back(head);
      current = item;
    }
  }
  return current;
}

void CarPlacement::InsertCar(QTreeWidgetItem* parent, QTreeWidgetItem* car, const std::string& name) {
  std::vector<std::string>& labels = LabelsOf(parent);
  const int at = CarInsertPosition(labels, name);
  parent->insertChild(at, car);
  labels.insert(labels.begin() + at, name);
}

}  // namespace krax::ui
