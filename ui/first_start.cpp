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
  const std::string dir = ToGameText(QDir::toNativeSeparators(QDir(base).filePath(QStringLiteral("demo"))));
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
  if (!settings.KRAXPath.empty()) return start;
  if (ask && prompts.Question(QuestionKind::kChooseGameFolder, ToGameText(Tr(kChooseGameQuestion)))) {
    const std::string folder = WithoutTrailingSeparator(prompts.ChooseFolder(ToGameText(Tr("Select KRAX folder"))));
    if (!folder.empty()) {
      settings.KRAXPath = folder;
      if (settings.ArchiveFolder.empty()) settings.ArchiveFolder = folder;  // its default, the game folder
      if (!SaveSettings(store, settings, {"KRAXPath"})) {
        prompts.Message(ToGameText(Tr("The game folder could not be saved; it applies until KRAXManager ends.")));
      }
      return start;
    }
  }
  start.demoGameFolder = prepareDemo(start.problem);
  if (start.demoGameFolder.empty()) return start;
  const std::string demoRoot = ParentPath(start.demoGameFolder);
  settings.KRAXPath = start.demoGameFolder;
  start.standIns.emplace_back("KRAXPath", settings.KRAXPath);
  if (settings.ArchiveFolder.empty()) {
    settings.ArchiveFolder = demoRoot;
    start.standIns.emplace_back("CPATH", settings.ArchiveFolder);
  }
  if (settings.KRAXCDPath.empty()) {
    settings.KRAXCDPath = JoinPath(demoRoot, "cd");
    start.standIns.emplace_back("KRAXCDPath", settings.KRAXCDPath);
  }
  return start;
}

}  // namespace krax::ui
