// The picture the details form shows for an item: for a car a picture file in its folder,
// else the first picture inside its archive; for a track a picture file in its folder. A
// source that cannot be decoded falls back to the next one; with none, the form shows the
// program's picture.
#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>

#include "operations/item_ref.h"

namespace krax {
class GameData;
}

namespace krax::ui {

// The item's picture, or a null image when it has none that decodes.
QImage LoadItemPicture(const GameData& data, ItemRef item);

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
