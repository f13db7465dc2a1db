// Pictures of the window for the documentation and for looking at the layout: the main window
// with a car and with a track selected, the Options dialog and the About box.
#pragma once

#include <QString>
#include <QStringList>

namespace krax::ui {

class CMainFrame;

// Writes main-car.png, main-track.png, options.png and about.png into `folder`; returns the
// files written.
QStringList TakeScreenshots(CMainFrame& frame, const QString& folder);

}  // namespace krax::ui
