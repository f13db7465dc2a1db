#include "ui/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTreeWidgetItemIterator>

#include "gamedata/game_data.h"
#include "ui/about_dialog.h"
#include "ui/left_view.h"
#include "ui/main_frame.h"
#include "ui/options_dialog.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {
namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool Save(QWidget& widget, const QString& file) {
  Settle();
  return widget.grab().save(file);
}

// The first item that `accept` takes, in tree order.
QTreeWidgetItem* FindItem(CLeftView& tree, const std::function<bool(QTreeWidgetItem*)>& accept) {
  for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
    if (accept(*it)) return *it;
  }
  return nullptr;
}

}  // namespace

QStringList TakeScreenshots(CMainFrame& frame, const QString& folder) {
  QDir().mkpath(folder);
  QStringList written;
  auto keep = [&](QWidget& widget, const QString& name) {
    const QString file = QDir(folder).filePath(name);
    if (Save(widget, file)) written << file;
  };
  CLeftView& tree = *frame.leftView();

  // A car with an error or two shows the most of the form.
  QTreeWidgetItem* car = FindItem(tree, [](QTreeWidgetItem* item) {
    return ItemCode(item) >= 0 && ItemImage(item) == kImageSerialDuplicate;
  });
  if (!car) car = FindItem(tree, [](QTreeWidgetItem* item) { return ItemCode(item) >= 0; });
  if (car) {
    tree.setCurrentItem(car);
    tree.scrollToItem(car);
  }
  keep(frame, QStringLiteral("main-car.png"));

  QTreeWidgetItem* track = FindItem(tree, [](QTreeWidgetItem* item) {
    return IsTrackFolderCode(ItemCode(item)) && ItemImage(item) == kImageTrackActive &&
           item->text(0) != QStringLiteral("Original");
  });
  if (track) {
    tree.setCurrentItem(track);
    tree.scrollToItem(track);
  }
  keep(frame, QStringLiteral("main-track.png"));

  {
    Settings copy = frame.context().settings;
    COptionsDlg options(copy, frame.prompts(), {}, &frame);
    options.show();
    options.adjustSize();
    keep(options, QStringLiteral("options.png"));
    options.hide();
  }
  {
    CAboutDlg about(&frame);
    about.show();
    about.adjustSize();
    keep(about, QStringLiteral("about.png"));
    about.hide();
  }
  {
    // The tree's pictures and the toolbar's, large enough to judge.
    const int cell = 40;
    QPixmap sheet(12 * cell, 2 * cell);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    const QVector<QIcon> images = TreeImageList();
    for (int i = 0; i < images.size(); ++i) {
      p.drawPixmap(QRect(i * cell + 4, 4, 32, 32), images[i].pixmap(32, 32));
    }
    for (int i = 0; i <= static_cast<int>(CommandPicture::kStringEdit); ++i) {
      p.drawPixmap(QRect(i * cell + 4, cell + 4, 32, 32),
                   CommandIcon(static_cast<CommandPicture>(i)).pixmap(32, 32));
    }
    p.end();
    const QString file = QDir(folder).filePath(QStringLiteral("pictures.png"));
    if (sheet.save(file)) written << file;
  }
  return written;
}

}  // namespace krax::ui
