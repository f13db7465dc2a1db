// kraxmanager: the KRAXManager window.
//
//   kraxmanager [--settings FILE] [--game DIR] [--cd DIR] [FILE]
//   kraxmanager --version
//
// --settings uses an INI file of the caller's choosing instead of the user's settings;
// --game and --cd replace the game folder and the CD for this run, as in kraxctl. A FILE
// ending in ".viv" names the document; any other file (a downloaded .zip or .cab) or folder
// is installed as a dropped one is: car or track as its contents say.
// Without a game folder (set, or found through the game's installation) the window asks for
// it, or opens on a demo installation in the user's data folder, made on first use; the
// demo's folders are never stored unless the user chooses them in the Options dialog.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/version.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/window_session.h"

using namespace krax;

int main(int argc, char** argv) {
  // The version and the help are answered without a window, so that they work without a
  // display: the version before Qt starts, the help by a core application only.
  bool textOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
      std::printf("kraxmanager %s\n", kProgramVersion);
      return 0;
    }
    textOnly = textOnly || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
               std::strcmp(argv[i], "--help-all") == 0 || std::strcmp(argv[i], "-?") == 0;
  }
  ui::PrepareWindowPlatform();
  std::unique_ptr<QCoreApplication> application =
      textOnly ? std::make_unique<QCoreApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);
  QCoreApplication& app = *application;
  QCoreApplication::setOrganizationName(QStringLiteral("Tessaloft"));
  QCoreApplication::setApplicationName(QStringLiteral("KRAXManager"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion));

  QCommandLineParser parser;
  parser.setApplicationDescription(QCoreApplication::translate("main", "KRAXManager: cars and tracks for KRAX."));
  parser.addHelpOption();
  QCommandLineOption settingsOption(QStringLiteral("settings"),
                                    QCoreApplication::translate("main", "Use this INI file for the settings."),
                                    QStringLiteral("FILE"));
  QCommandLineOption iconOption(QStringLiteral("write-icon"),
                                QCoreApplication::translate("main", "Write the program icon as a 256-pixel PNG."),
                                QStringLiteral("FILE"));
  iconOption.setFlags(QCommandLineOption::HiddenFromHelp);
  QCommandLineOption gameOption(QStringLiteral("game"),
                                QCoreApplication::translate("main", "Use DIR as the game folder for this run."),
                                QStringLiteral("DIR"));
  QCommandLineOption cdOption(QStringLiteral("cd"), QCoreApplication::translate("main", "Use DIR as the game CD for this run."),
                              QStringLiteral("DIR"));
  QCommandLineOption versionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                   QCoreApplication::translate("main", "Show the program's version."));
  QCommandLineOption iconSizeOption(QStringLiteral("icon-size"), QStringLiteral("Size of --write-icon."),
                                    QStringLiteral("PIXELS"), QStringLiteral("256"));
  iconSizeOption.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOptions({settingsOption, gameOption, cdOption, versionOption, iconOption, iconSizeOption});
  parser.addPositionalArgument(
      QStringLiteral("file"),
      QCoreApplication::translate("main", "A .zip or .cab file (or a folder) to install, or a KRAXMa file (*.viv)."),
      QStringLiteral("[FILE]"));
  parser.process(app);  // --help ends here
  QApplication::setWindowIcon(ui::ProgramIcon());
  QApplication::setDesktopFileName(QStringLiteral("kraxmanager"));

  if (parser.isSet(iconOption)) {
    return ui::ProgramPixmap(parser.value(iconSizeOption).toInt()).save(parser.value(iconOption)) ? 0 : 1;
  }

  ui::WindowSessionOptions options;
  if (parser.isSet(settingsOption)) options.settingsFile = parser.value(settingsOption);
  if (parser.isSet(gameOption)) options.gameFolder = parser.value(gameOption);
  if (parser.isSet(cdOption)) options.cdPath = parser.value(cdOption);
  ui::WindowSession session(options);
  ui::MainWindow& frame = session.frame();
  session.Open();
  const QStringList files = parser.positionalArguments();
  QString installSource;
  if (!files.isEmpty()) {
    if (files.first().endsWith(QStringLiteral(".viv"), Qt::CaseInsensitive)) {
      frame.OpenDocument(files.first());
    } else {
      installSource = files.first();
    }
  }

  session.ShowStartStatus();

  frame.show();
  // A file opened from the file manager: its install dialog over the window.
  if (!installSource.isEmpty()) {
    QTimer::singleShot(0, &frame, [&frame, installSource] { frame.InstallFromPath(installSource); });
  }
  return QApplication::exec();
}
