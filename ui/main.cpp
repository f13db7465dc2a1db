// kraxmanager: the KRAXManager window.
//
//   kraxmanager [--settings FILE] [FILE.viv]
//
// --settings uses an INI file of the caller's choosing instead of the user's settings.
// Without a game folder (set, or found through the game's installation) the window opens on
// a demo installation in the user's data folder, made on first use; the demo folder is never
// stored as the user's game folder unless they confirm it in the Options dialog.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <algorithm>
#include <exception>

#include "app/settings_store.h"
#include "app/startup.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "platform/file_system.h"
#include "platform/game_discovery.h"
#include "tools/demo_install.h"
#include "ui/document.h"
#include "ui/main_frame.h"
#include "ui/pictures.h"
#include "ui/screenshots.h"
#include "ui/tree_model_logic.h"
#include "ui/widget_prompts.h"

namespace {

using namespace krax;

// The demo's game folder, made on first use; "" (and a note in `problem`) when it cannot be made.
std::string PrepareDemo(QString& problem) {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  if (base.isEmpty()) {
    problem = QStringLiteral("There is no folder for the demo installation.");
    return {};
  }
  const std::string dir = ui::ToGameText(QDir(base).filePath(QStringLiteral("demo")));
  const std::string game = dir + "/game";
  if (!IsFile(dir + "/demo-manifest.txt")) {
    try {
      MakeDemoInstallation(dir);
    } catch (const std::exception& error) {
      problem = QStringLiteral("The demo installation could not be made: %1")
                    .arg(QString::fromLocal8Bit(error.what()));
      return {};
    }
  }
  return game;
}

std::unique_ptr<QSettings> RecentListStore(const SettingsStore& store) {
  if (store.iniFile()) {
    return std::make_unique<QSettings>(QString::fromStdString(*store.iniFile()),
                                       QSettings::IniFormat);
  }
  return std::make_unique<QSettings>(QStringLiteral("Tessaloft"), QStringLiteral("KRAXManager"));
}

QStringList LoadRecentFiles(QSettings& store) {
  QStringList files;
  store.beginGroup(QStringLiteral("Recent File List"));
  for (int i = 1; i <= ui::kRecentFileCount; ++i) {
    const QString file = store.value(QStringLiteral("File%1").arg(i)).toString();
    if (!file.isEmpty()) files << file;
  }
  store.endGroup();
  return files;
}

void SaveRecentFiles(QSettings& store, const QStringList& files) {
  store.beginGroup(QStringLiteral("Recent File List"));
  for (int i = 1; i <= ui::kRecentFileCount; ++i) {
    const QString key = QStringLiteral("File%1").arg(i);
    if (i <= files.size()) {
      store.setValue(key, files[i - 1]);
    } else {
      store.remove(key);
    }
  }
  store.endGroup();
  store.sync();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Tessaloft"));
  QApplication::setApplicationName(QStringLiteral("KRAXManager"));
  QApplication::setApplicationVersion(QStringLiteral("1.0beta"));
  QApplication::setWindowIcon(ui::ProgramIcon());
  QApplication::setDesktopFileName(QStringLiteral("kraxmanager"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("KRAXManager: cars and tracks for KRAX."));
  parser.addHelpOption();
  QCommandLineOption settingsOption(QStringLiteral("settings"),
                                    QStringLiteral("Use this INI file for the settings."),
                                    QStringLiteral("FILE"));
  QCommandLineOption screenshotOption(QStringLiteral("screenshot-mode"),
                                      QStringLiteral("Write pictures of the window into DIR, then quit."),
                                      QStringLiteral("DIR"));
  screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
  QCommandLineOption iconOption(QStringLiteral("write-icon"),
                                QStringLiteral("Write the program icon as a 256-pixel PNG."),
                                QStringLiteral("FILE"));
  iconOption.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOptions({settingsOption, screenshotOption, iconOption});
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A KRAXMa file (*.viv)."),
                               QStringLiteral("[FILE.viv]"));
  parser.process(app);

  if (parser.isSet(iconOption)) {
    return ui::ProgramPixmap(256).save(parser.value(iconOption)) ? 0 : 1;
  }

  // Start-up: random generator, settings, install information, game text.
  const SettingsStore store = parser.isSet(settingsOption)
                                  ? SettingsStore(ui::ToGameText(parser.value(settingsOption)))
                                  : SettingsStore();
  Settings settings = StartUpSettings(store);

  // No game folder: show the demo, held in memory only.
  std::string demoGame;
  QString demoProblem;
  if (settings.KRAXPath.empty()) {
    demoGame = PrepareDemo(demoProblem);
    if (!demoGame.empty()) {
      settings.KRAXPath = demoGame;
      const std::string demoRoot = demoGame.substr(0, demoGame.size() - 5);
      if (settings.CPATH.empty()) settings.CPATH = demoRoot;
      if (settings.KRAXCDPath.empty()) settings.KRAXCDPath = demoRoot + "/cd";
    }
  }

  GameData data;
  StartUpGameData(settings, data);

  ui::CMainFrame* frameRef = nullptr;
  ui::WidgetPrompts prompts(nullptr, [&frameRef](const QString& text) {
    if (frameRef) frameRef->setStatusText(text);
  });
  GameOperations operations(data, settings, prompts);

  ui::OptionsServices services;
  services.findGameFolder = [] { return FindGameFolder(); };
  services.findCdDrive = [] { return FindCdDrive(); };
  services.save = [&store](const Settings& values) { return SaveSettings(store, values); };
  services.loadGameText = [&data] {
    data.kraxText = true;
    data.LoadGameText();
  };

  ui::MainFrameContext context{settings, data, operations, services, &prompts, {}, demoGame};
  ui::CMainFrame frame(context);
  frameRef = &frame;
  prompts.setOwner(&frame);

  std::unique_ptr<QSettings> recentStore = RecentListStore(store);
  frame.document()->setRecentFiles(LoadRecentFiles(*recentStore));
  frame.document()->recentFilesChanged = [&recentStore](const QStringList& files) {
    SaveRecentFiles(*recentStore, files);
  };

  // Room for the tree and the whole form, and for a good many tree rows.
  const QSize wanted = frame.sizeHint();
  frame.resize(std::max(wanted.width(), frame.fontMetrics().averageCharWidth() * 110),
               std::max(wanted.height(), frame.fontMetrics().lineSpacing() * 46));
  frame.initialUpdate();
  const QStringList files = parser.positionalArguments();
  if (!files.isEmpty()) frame.document()->openDocument(files.first());

  if (!demoProblem.isEmpty()) {
    frame.setStatusText(demoProblem);
  } else if (frame.showsDemo()) {
    frame.setStatusText(
        QStringLiteral("Showing the demo game. Choose your own game folder in Options."));
  }

  if (parser.isSet(screenshotOption)) {
    frame.show();
    const QString folder = parser.value(screenshotOption);
    QTimer::singleShot(200, &frame, [&frame, folder] {
      const QStringList written = ui::TakeScreenshots(frame, folder);
      for (const QString& file : written) std::printf("%s\n", qPrintable(file));
      QApplication::exit(written.size() >= 4 ? 0 : 1);
    });
    return QApplication::exec();
  }

  frame.show();
  return QApplication::exec();
}
