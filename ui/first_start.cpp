#include "ui/first_start.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <exception>

#include "operations/prompts.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "tools/demo_install.h"
#include "ui/options_dialog.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {
namespace {

// The first start's own texts, translated.
QString Tr(const char* text) { return QCoreApplication::translate("krax::ui::FirstStart", text); }

}  // namespace

std::string PrepareDemoInstallation(QString& problem) {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  if (base.isEmpty()) {
    problem = Tr("There is no folder for the demo installation.");
    return {};
  }
  const std::string dir = ToUtf8(QDir::toNativeSeparators(QDir(base).filePath(QStringLiteral("demo"))));
  if (!IsFile(JoinPath(dir, "demo-manifest.txt"))) {
    try {
      MakeDemoInstallation(dir);
    } catch (const std::exception& error) {
      problem = Tr("The demo installation could not be made: %1").arg(QString::fromLocal8Bit(error.what()));
      return {};
    }
  }
  return JoinPath(dir, "game");
}

StartGame ChooseStartGame(Settings& settings, const SettingsStore& store, Prompts& prompts, bool ask,
                          const std::function<std::string(QString& problem)>& prepareDemo) {
  StartGame start;
  if (!settings.gameFolder.empty()) return start;
  if (ask && prompts.Question(QuestionKind::kChooseGameFolder, ToUtf8(Tr(kChooseGameQuestion)))) {
    const std::string folder = WithoutTrailingSeparator(prompts.ChooseFolder(ToUtf8(Tr("Select KRAX folder"))));
    if (!folder.empty()) {
      settings.gameFolder = folder;
      if (settings.archiveFolder.empty()) settings.archiveFolder = folder;  // its default, the game folder
      if (!SaveSettings(store, settings, {"KRAXPath"})) {
        prompts.Message(ToUtf8(Tr("The game folder could not be saved; it applies until KRAXManager ends.")));
      }
      return start;
    }
  }
  start.demoGameFolder = prepareDemo(start.problem);
  if (start.demoGameFolder.empty()) return start;
  const std::string demoRoot = ParentPath(start.demoGameFolder);
  settings.gameFolder = start.demoGameFolder;
  start.standIns.emplace_back("KRAXPath", settings.gameFolder);
  if (settings.archiveFolder.empty()) {
    settings.archiveFolder = demoRoot;
    start.standIns.emplace_back("CPATH", settings.archiveFolder);
  }
  if (settings.cdPath.empty()) {
    settings.cdPath = JoinPath(demoRoot, "cd");
    start.standIns.emplace_back("KRAXCDPath", settings.cdPath);
  }
  return start;
}

}  // namespace krax::ui
