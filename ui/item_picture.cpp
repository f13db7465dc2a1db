#include "ui/item_picture.h"

#include <QImageReader>
#include <QPainter>
#include <QResizeEvent>
#include <cstring>
#include <optional>
#include <string>

#include "gamedata/car_picture.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "gamedata/rgba_image.h"
#include "platform/path.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {
namespace {

QImage ToQImage(const RgbaImage& image) {
  QImage result(image.width, image.height, QImage::Format_RGBA8888);
  if (result.isNull()) return {};
  const std::size_t row = static_cast<std::size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(result.scanLine(y), image.pixels.data() + row * static_cast<std::size_t>(y), row);
  }
  return result;
}

// JPEG, PNG and BMP through Qt's readers, TGA through the game's own decoder. A file whose
// size is known but that then fails to decode has cost its pixels: the budget is spent.
QImage ReadPictureFile(const std::string& path, PictureBudget& budget) {
  if (IsTgaName(path)) {
    const std::optional<RgbaImage> image = ReadTgaFile(path, budget);
    return image ? ToQImage(*image) : QImage();
  }
  QImageReader reader(FromUtf8(path));
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return {};
  const std::uint64_t pixels = static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height());
  if (pixels > kMaxPicturePixels || !budget.Start(pixels)) return {};
  QImage image = reader.read();
  if (image.isNull()) budget.FailedLate();
  return image;
}

QImage FirstFolderPicture(const std::string& folder, PictureBudget& budget) {
  for (const std::string& path : FolderPictureFiles(folder)) {
    if (budget.spent()) break;
    QImage image = ReadPictureFile(path, budget);
    if (!image.isNull()) return image;
  }
  return {};
}

}  // namespace

PictureSources ItemPictureSources(const GameData& data, ItemRef item) {
  PictureSources sources;
  if (item.isCar()) {
    if (!data.HasCar(item.index)) return sources;
    sources.archive = data.cars[item.index].archivePath;
    sources.folder = ParentPath(sources.archive);
  } else if (item.isTrackFolder()) {
    sources.folder = data.trackFolder(item.index).path;
  } else if (item.isStockTrackSlot() && item.row() < kStockTrackSlotCount) {
    sources.folder = data.SlotFolderPath(item.row());
  }
  return sources;
}

QImage LoadPicture(const PictureSources& sources, PictureBudget& budget) {
  if (!sources.folder.empty()) {
    QImage image = FirstFolderPicture(sources.folder, budget);
    if (!image.isNull()) return image;
  }
  if (!sources.archive.empty()) {
    const std::optional<RgbaImage> inside = ReadArchivePicture(sources.archive, budget);
    if (inside) return ToQImage(*inside);
  }
  return {};
}

QImage ShownPicture(const QImage& picture) {
  if (picture.width() <= kShownPictureSide && picture.height() <= kShownPictureSide) return picture;
  return picture.scaled(kShownPictureSide, kShownPictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

PictureFrame::PictureFrame(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("pictureFrame"));
  setFrameStyle(QFrame::Box | QFrame::Sunken);
  setLineWidth(1);
  setMinimumHeight(48);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  programPicture_ = FormPicture(devicePixelRatioF());
}

void PictureFrame::SetPicture(const QImage& picture) {
  picture_ = picture;
  scaled_ = QPixmap();
  update();
}

void PictureFrame::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  scaled_ = QPixmap();
}

void PictureFrame::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect room = contentsRect().adjusted(2, 2, -2, -2);
  if (picture_.isNull() || room.width() <= 0 || room.height() <= 0) {
    const QSize size = programPicture_.deviceIndependentSize().toSize();
    painter.drawPixmap(QRect(room.center() - QPoint(size.width() / 2, size.height() / 2), size), programPicture_);
    return;
  }
  const qreal ratio = devicePixelRatioF();
  const QSize target = picture_.size().scaled(room.size() * ratio, Qt::KeepAspectRatio);
  if (scaled_.isNull() || scaled_.size() != target) {
    scaled_ = QPixmap::fromImage(picture_.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    scaled_.setDevicePixelRatio(ratio);
  }
  const QSize shown = (QSizeF(scaled_.size()) / ratio).toSize();
  painter.drawPixmap(QRect(room.center() - QPoint(shown.width() / 2, shown.height() / 2), shown), scaled_);
}

}  // namespace krax::ui
