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
#include <algorithm>
#include <memory>

#include "app/profile_folder.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "app/version.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "platform/game_discovery.h"
#include "platform/system_kind.h"
#include "ui/first_start.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/screenshots.h"
#include "ui/tree_model_logic.h"
#include "ui/widget_prompts.h"

namespace {

using namespace krax;

// The recent-document list lives in the settings file, kept literally like the settings.
QStringList LoadRecentFileList(const SettingsStore& store) {
  QStringList files;
  for (const std::string& file : LoadRecentFiles(store, ui::kRecentFileCount)) files << QString::fromStdString(file);
  return files;
}

void SaveRecentFileList(const SettingsStore& store, const QStringList& files) {
  std::vector<std::string> list;
  for (const QString& file : files) list.push_back(file.toStdString());
  SaveRecentFiles(store, list, ui::kRecentFileCount);
}

}  // namespace

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
#ifdef _WIN32
  // Under Wine, Qt's GDI font engine leaves the text of line edits undrawn; FreeType draws it.
  // On Windows itself the system's own engine stays.
  if (RunningUnderWine() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
  }
#endif
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
  QCommandLineOption screenshotOption(QStringLiteral("screenshot-mode"),
                                      QCoreApplication::translate("main", "Write pictures of the window into DIR, then quit."),
                                      QStringLiteral("DIR"));
  screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
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
  parser.addOptions({settingsOption, gameOption, cdOption, versionOption, screenshotOption, iconOption, iconSizeOption});
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

  // Start-up: random generator, settings, install information, game text.
  const SettingsStore store = parser.isSet(settingsOption)
                                  ? SettingsStore(ui::ToGameText(parser.value(settingsOption)))
                                  : SettingsStore();
  SettingsOverrides overrides;
  if (parser.isSet(gameOption)) overrides.gameFolder = ui::ToGameText(parser.value(gameOption));
  if (parser.isSet(cdOption)) overrides.cdPath = ui::ToGameText(parser.value(cdOption));
  Settings settings = StartUpSettings(store, overrides);

  ui::MainWindow* frameRef = nullptr;
  ui::WidgetPrompts prompts(nullptr, [&frameRef](const QString& text) {
    if (frameRef) frameRef->SetStatusText(text);
  });

  // No game folder: ask for it, or show the demo (held in memory only).
  const ui::StartGame start = ui::ChooseStartGame(settings, store, prompts, !parser.isSet(screenshotOption),
                                                  ui::PrepareDemoInstallation);
  const std::string& demoGame = start.demoGameFolder;
  const QString& demoProblem = start.problem;

  GameData data;
  StartUpGameData(settings, data);
  GameOperations operations(data, settings, prompts);
  operations.SetProfileFolder(ProfileFolderPath(store));

  ui::OptionsServices services;
  services.findGameFolder = [] { return FindGameFolder(); };
  services.findCdDrive = [] { return FindCdDrive(); };
  services.save = [&store](const Settings& values) { return SaveSettings(store, values); };
  services.standIns = start.standIns;
  services.saveSome = [&store](const Settings& values, const std::vector<std::string>& names) {
    return SaveSettings(store, values, names);
  };
  services.loadGameText = [&data] {
    const bool kept = !data.gameText.empty();  // strings of an earlier switch-on are read again
    data.UseGameFolder(data.gameFolder(), /*kraxText=*/true);
    if (kept) data.LoadGameText();
  };

  ui::MainWindowContext context{settings, data, operations, services, &prompts, {}, demoGame};
  ui::MainWindow frame(context);
  frameRef = &frame;
  prompts.SetOwner(&frame);

  frame.SetRecentFiles(LoadRecentFileList(store));
  frame.recentFilesChanged = [&store](const QStringList& files) { SaveRecentFileList(store, files); };

  // Room for the tree and the whole form, and for a good many tree rows.
  const QSize wanted = frame.sizeHint();
  frame.resize(std::max(wanted.width(), frame.fontMetrics().averageCharWidth() * 110),
               std::max(wanted.height(), frame.fontMetrics().lineSpacing() * 46));
  frame.InitialUpdate();
  const QStringList files = parser.positionalArguments();
  QString installSource;
  if (!files.isEmpty()) {
    if (files.first().endsWith(QStringLiteral(".viv"), Qt::CaseInsensitive)) {
      frame.OpenDocument(files.first());
    } else {
      installSource = files.first();
    }
  }

  if (!demoProblem.isEmpty()) {
    frame.SetStatusText(demoProblem);
  } else if (frame.ShowsDemo()) {
    frame.SetStatusText(
        QCoreApplication::translate("main", "Showing the demo game. Choose your own game folder in Options."));
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
  // A file opened from the file manager: its install dialog over the window.
  if (!installSource.isEmpty()) {
    QTimer::singleShot(0, &frame, [&frame, installSource] { frame.InstallFromPath(installSource); });
  }
  return QApplication::exec();
}
