// Every picture the window shows, drawn in code so that they scale cleanly: the tree's twelve
// images, the toolbar buttons, the program icon and the small picture of the details form.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QVector>

namespace krax::ui {

// Indexes into TreeImageList, in the order the tree uses them.
enum TreeImage {
  kImageCar = 0,
  kImageCarDisabled = 1,
  kImageSubFolder = 2,
  kImageCarsGroup = 3,
  kImageTracksGroup = 4,
  kImageStockSlot = 5,
  kImageTrackInactive = 6,
  kImageTrackActive = 7,
  kImageSerialsDiffer = 8,
  kImageSerialDuplicate = 9,
  kImageFolderTooLong = 10,
  kImageBlank = 11,
  kTreeImageCount = 12,
};

// The twelve 16 x 16 tree images (each icon also carries a 32 x 32 rendering for dense screens).
QVector<QIcon> TreeImageList();

// Toolbar and menu pictures, one per command that has a toolbar button.
enum class CommandPicture {
  kReload,
  kOptions,
  kRunGame,
  kInstallCar,
  kInstallCarFromComp,
  kInstallTrack,
  kInstallTrackFromComp,
  kRestoreTracks,
  kRestoreCars,
  kRestoreStrings,
  kGenerateSerials,
  kStringEdit,
};
QIcon CommandIcon(CommandPicture picture);

// The program's icon at 16, 24, 32, 48, 64, 128 and 256 pixels.
QIcon ProgramIcon();
QPixmap ProgramPixmap(int size);

// The details form's picture (33 x 32 logical pixels).
QPixmap FormPicture(qreal devicePixelRatio = 1.0);

}  // namespace krax::ui
