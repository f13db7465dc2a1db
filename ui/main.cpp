// kraxmanager: the KRAXManager window.
//
//   kraxmanager [--settings FILE] [FILE.viv]
//
// --settings uses an INI file of the caller's choosing instead of the user's settings.
// Without a game folder (set, or found through the game's installation) the window asks for
// it, or opens on a demo installation in the user's data folder, made on first use; the
// demo's folders are never stored unless the user chooses them in the Options dialog.
#include <QApplication>
#include <string_view>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <algorithm>

#include "app/profile_folder.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "platform/game_discovery.h"
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

// The program's names, for the window system, the settings and --version.
void NameProgram() {
  QCoreApplication::setOrganizationName(QStringLiteral("Tessaloft"));
  QCoreApplication::setApplicationName(QStringLiteral("KRAXManager"));
  QCoreApplication::setApplicationVersion(QStringLiteral("1.0beta"));
}

struct CommandLine {
  QCommandLineParser parser;
  QCommandLineOption settings{QStringLiteral("settings"),
                              QCoreApplication::translate("main", "Use this INI file for the settings."),
                              QStringLiteral("FILE")};
  QCommandLineOption screenshot{QStringLiteral("screenshot-mode"),
                                QCoreApplication::translate("main", "Write pictures of the window into DIR, then quit."),
                                QStringLiteral("DIR")};
  QCommandLineOption icon{QStringLiteral("write-icon"),
                          QCoreApplication::translate("main", "Write the program icon as a 256-pixel PNG."),
                          QStringLiteral("FILE")};

  CommandLine() {
    parser.setApplicationDescription(QCoreApplication::translate("main", "KRAXManager: cars and tracks for KRAX."));
    parser.addHelpOption();
    parser.addVersionOption();
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    icon.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({settings, screenshot, icon});
    parser.addPositionalArgument(QStringLiteral("file"), QCoreApplication::translate("main", "A KRAXMa file (*.viv)."),
                                 QStringLiteral("[FILE.viv]"));
  }
};

// --help and --version are answered without a display.
bool AsksOnlyForInformation(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") return false;
    if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version") {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksOnlyForInformation(argc, argv)) {
    QCoreApplication core(argc, argv);
    NameProgram();
    CommandLine line;
    line.parser.process(core);  // prints the answer and ends the program
    return 0;
  }
  QApplication app(argc, argv);
  NameProgram();
  QApplication::setWindowIcon(ui::ProgramIcon());
  QApplication::setDesktopFileName(QStringLiteral("kraxmanager"));

  CommandLine line;
  QCommandLineParser& parser = line.parser;
  const QCommandLineOption& settingsOption = line.settings;
  const QCommandLineOption& screenshotOption = line.screenshot;
  const QCommandLineOption& iconOption = line.icon;
  parser.process(app);

  if (parser.isSet(iconOption)) {
    return ui::ProgramPixmap(256).save(parser.value(iconOption)) ? 0 : 1;
  }

  // Start-up: random generator, settings, install information, game text.
  const SettingsStore store = parser.isSet(settingsOption)
                                  ? SettingsStore(ui::ToGameText(parser.value(settingsOption)))
                                  : SettingsStore();
  Settings settings = StartUpSettings(store);

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
    data.kraxText = true;
    data.LoadGameText();
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
  if (!files.isEmpty()) frame.OpenDocument(files.first());

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
  return QApplication::exec();
}
