// The picture the details form shows for an item: for a car a picture file in its folder,
// else the first picture inside its archive; for a track a picture file in its folder. A
// source that cannot be decoded falls back to the next one; with none, the form shows the
// program's picture. The search reads and decodes files, so the form runs it away from the
// interface thread (ui/picture_loader.h), within a PictureBudget.
#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <string>

#include "gamedata/picture_budget.h"
#include "operations/item_ref.h"

namespace krax {
class GameData;
}

namespace krax::ui {

// Where an item's picture is looked for, taken from the catalogs on the interface thread so
// that the search itself needs nothing but these paths.
struct PictureSources {
  std::string folder;   // picture files of this folder first; empty: none
  std::string archive;  // then the pictures inside this car archive; empty: none
  bool empty() const { return folder.empty() && archive.empty(); }
  bool operator==(const PictureSources&) const = default;
};
PictureSources ItemPictureSources(const GameData& data, ItemRef item);

// The first picture of `sources` that decodes within `budget`, or a null image. Safe on any
// thread.
QImage LoadPicture(const PictureSources& sources, PictureBudget& budget);

// The longest side of a picture as the form keeps it: larger pictures are scaled down where
// they are decoded, so that painting the frame never scales a huge picture.
inline constexpr int kShownPictureSide = 1024;
// `picture` scaled smoothly to at most kShownPictureSide on each side, at its aspect ratio.
QImage ShownPicture(const QImage& picture);

// A sunken, bordered frame that shows a picture scaled smoothly to fit, at its aspect ratio,
// or the program's picture unscaled in its centre.
class PictureFrame : public QFrame {
  Q_OBJECT

 public:
  explicit PictureFrame(QWidget* parent);

  // A null image shows the program's picture.
  void SetPicture(const QImage& picture);
  bool showsItemPicture() const { return !picture_.isNull(); }
  const QImage& picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage picture_;
  QPixmap scaled_;  // picture_ scaled to the frame, made again on resize
  QPixmap programPicture_;
};

}  // namespace krax::ui
