// kraxmanager-screenshots: pictures of the KRAXManager window for the documentation and for
// looking at the layout (scripts/screenshots). Built beside the window; never installed.
//
//   kraxmanager-screenshots [--settings FILE] DIR
//
// Opens the window as kraxmanager does (without a game folder on the demo, unasked), writes
// the pictures into DIR, prints the files written and quits: 0 when at least four were.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/screenshots/screenshots.h"
#include "ui/window_session.h"

using namespace krax;

int main(int argc, char** argv) {
  ui::PrepareWindowPlatform();
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Tessaloft"));
  QCoreApplication::setApplicationName(QStringLiteral("KRAXManager"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Pictures of the KRAXManager window."));
  parser.addHelpOption();
  QCommandLineOption settingsOption(QStringLiteral("settings"), QStringLiteral("Use this INI file for the settings."),
                                    QStringLiteral("FILE"));
  parser.addOption(settingsOption);
  parser.addPositionalArgument(QStringLiteral("dir"), QStringLiteral("The folder the pictures are written into."),
                               QStringLiteral("DIR"));
  parser.process(app);
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    std::fprintf(stderr, "usage: kraxmanager-screenshots [--settings FILE] DIR\n");
    return 2;
  }
  QApplication::setWindowIcon(ui::ProgramIcon());
  QApplication::setDesktopFileName(QStringLiteral("kraxmanager"));

  ui::WindowSessionOptions options;
  if (parser.isSet(settingsOption)) options.settingsFile = parser.value(settingsOption);
  options.askForGame = false;
  ui::WindowSession session(options);
  ui::MainWindow& frame = session.frame();
  session.Open();
  session.ShowStartStatus();

  frame.show();
  const QString& folder = positional.first();
  QTimer::singleShot(200, &frame, [&frame, folder] {
    const QStringList written = ui::TakeScreenshots(frame, folder);
    for (const QString& file : written) std::printf("%s\n", qPrintable(file));
    QApplication::exit(written.size() >= 4 ? 0 : 1);
  });
  return QApplication::exec();
}
