// Pictures of the window for the documentation and for looking at the layout: the main window
// with a car and with a track selected, the Options dialog, the About box, the install dialog
// (a car and a track), the string editor, a copy half done, a rename report, the first-start
// question and the tree's menu on a car. Nothing in the game folder changes.
#pragma once

#include <QString>
#include <QStringList>

namespace krax::ui {

class MainWindow;

// Writes the pictures (main-car.png, main-track.png, options.png, about.png ...) into
// `folder`; returns the files written.
QStringList TakeScreenshots(MainWindow& frame, const QString& folder);

}  // namespace krax::ui
