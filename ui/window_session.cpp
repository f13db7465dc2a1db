#include "ui/window_session.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

#include "app/profile_folder.h"
#include "app/startup.h"
#include "platform/game_discovery.h"
#include "platform/system_kind.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {
namespace {

// The recent-document list lives in the settings file, kept literally like the settings.
QStringList LoadRecentFileList(const SettingsStore& store) {
  QStringList files;
  for (const std::string& file : LoadRecentFiles(store, kRecentFileCount)) files << QString::fromStdString(file);
  return files;
}

void SaveRecentFileList(const SettingsStore& store, const QStringList& files) {
  std::vector<std::string> list;
  for (const QString& file : files) list.push_back(file.toStdString());
  SaveRecentFiles(store, list, kRecentFileCount);
}

SettingsStore StoreFor(const WindowSessionOptions& options) {
  return options.settingsFile ? SettingsStore(ToUtf8(*options.settingsFile)) : SettingsStore();
}

SettingsOverrides OverridesFor(const WindowSessionOptions& options) {
  SettingsOverrides overrides;
  if (options.gameFolder) overrides.gameFolder = ToUtf8(*options.gameFolder);
  if (options.cdPath) overrides.cdPath = ToUtf8(*options.cdPath);
  return overrides;
}

}  // namespace

void PrepareWindowPlatform() {
#ifdef _WIN32
  if (RunningUnderWine() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
  }
#endif
}

WindowSession::WindowSession(const WindowSessionOptions& options)
    // Start-up: random generator, settings, install information, game text.
    : store_(StoreFor(options)),
      settings_(StartUpSettings(store_, OverridesFor(options))),
      prompts_(nullptr,
               [this](const QString& text) {
                 if (frameRef_) frameRef_->SetStatusText(text);
               }),
      // No game folder: ask for it, or show the demo (held in memory only).
      start_(ChooseStartGame(settings_, store_, prompts_, options.askForGame, PrepareDemoInstallation)) {
  StartUpGameData(settings_, data_);
  operations_ = std::make_unique<GameOperations>(data_, settings_, prompts_);
  operations_->SetProfileFolder(ProfileFolderPath(store_));

  OptionsServices services;
  services.findGameFolder = [] { return FindGameFolder(); };
  services.findCdDrive = [] { return FindCdDrive(); };
  services.save = [this](const Settings& values) { return SaveSettings(store_, values); };
  services.standIns = start_.standIns;
  services.saveSome = [this](const Settings& values, const std::vector<std::string>& names) {
    return SaveSettings(store_, values, names);
  };
  services.loadGameText = [this] {
    const bool kept = !data_.gameText.empty();  // strings of an earlier switch-on are read again
    data_.UseGameFolder(data_.gameFolder(), /*kraxText=*/true);
    if (kept) data_.LoadGameText();
  };

  MainWindowContext context{settings_, data_, *operations_, services, &prompts_, {}, start_.demoGameFolder};
  frame_ = std::make_unique<MainWindow>(context);
  frameRef_ = frame_.get();
  prompts_.SetOwner(frame_.get());

  frame_->SetRecentFiles(LoadRecentFileList(store_));
  frame_->recentFilesChanged = [this](const QStringList& files) { SaveRecentFileList(store_, files); };
}

WindowSession::~WindowSession() {
  // The window goes first: its jobs and dialogs use everything else.
  frameRef_ = nullptr;
  frame_.reset();
}

void WindowSession::Open() {
  MainWindow& frame = *frame_;
  // Room for the tree and the whole form, and for a good many tree rows.
  const QSize wanted = frame.sizeHint();
  frame.resize(std::max(wanted.width(), frame.fontMetrics().averageCharWidth() * 110),
               std::max(wanted.height(), frame.fontMetrics().lineSpacing() * 46));
  frame.InitialUpdate();
}

void WindowSession::ShowStartStatus() {
  if (!start_.problem.isEmpty()) {
    frame_->SetStatusText(start_.problem);
  } else if (frame_->ShowsDemo()) {
    frame_->SetStatusText(
        QCoreApplication::translate("main", "Showing the demo game. Choose your own game folder in Options."));
  }
}

}  // namespace krax::ui
