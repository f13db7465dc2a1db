// The main window: toolbar, menus, status bar and the splitter with the tree on the left and
// the details form on the right. Routes every command to its operation.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "ui/commands.h"
#include "ui/options_dialog.h"

class QAction;
class QLabel;
class QSplitter;

namespace krax {
class GameData;
struct Settings;
class Operations;
struct OperationResult;
class Prompts;
}  // namespace krax

namespace krax::ui {

class GameTreeView;
class JobRunner;
class WidgetPrompts;
class ItemDetailsForm;
class ProfilesMenu;
class TreePane;

// Opening a ".viv" file only names it in the caption and the recent-file list; no game data
// comes from it.
inline constexpr const char* kDocumentFilter = QT_TRANSLATE_NOOP("krax::ui::MainWindow", "KRAXMa Files (*.viv)");
inline constexpr int kRecentFileCount = 4;

// What the window works on; everything outlives the window.
struct MainWindowContext {
  Settings& settings;
  GameData& data;
  Operations& operations;
  OptionsServices options;
  // Dialog and message boxes; nullptr = the window's own (Qt message boxes and choosers).
  Prompts* prompts = nullptr;
  // Shows the Options dialog; nullptr = modal exec(). Tests answer it themselves.
  std::function<int(QDialog&)> runDialog;
  // The demo installation's game folder when the window shows the demo, else empty.
  std::string demoGameFolder;
};

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(MainWindowContext context, QWidget* parent = nullptr);
  ~MainWindow() override;

  const MainWindowContext& context() const { return context_; }
  GameTreeView* gameTree() const { return gameTree_; }
  ItemDetailsForm* detailsForm() const { return detailsForm_; }
  TreePane* treePane() const { return treePane_; }
  ProfilesMenu* profilesMenu() const { return profilesMenu_; }
  // The opened files, newest first ("Recent File List", four entries).
  const QStringList& recentFiles() const { return recentFiles_; }
  void SetRecentFiles(const QStringList& files);
  // Called whenever the recent list changes, so that it can be stored.
  std::function<void(const QStringList&)> recentFilesChanged;
  Prompts& prompts() const { return *prompts_; }
  QAction* action(CommandId command) const { return actions_.value(command); }
  QLabel* promptPane() const { return promptPane_; }
  QLabel* carCountPane() const { return carCountPane_; }
  // Above the tree and the form while the game folder cannot be used: what is wrong, and a
  // button to the Options.
  QWidget* folderProblemBar() const { return folderProblemBar_; }
  // Where every command that changes the game folder runs, one at a time.
  JobRunner& jobs() const { return *jobs_; }

  // The tree's first update: fills the catalogs and the tree.
  void InitialUpdate();
  // Runs a command as its menu item or toolbar button does.
  void RunCommand(CommandId command);
  // The status line: short results and progress texts, kept until the next one.
  void SetStatusText(const QString& text);
  // Opens a ".viv" file as a document: it names the caption and heads the recent list.
  void OpenDocument(const QString& path);
  // Installs a folder, .zip or .cab as a dropped one: car or track as its contents say, with
  // the install dialog; a file that holds neither says so.
  void InstallFromPath(const QString& source);
  // As OpenDocument, then reloads the tree as a restart does.
  void OpenDocumentFile(const QString& path);
  // The caption: document title, a dash and the program's name (and whether it is the demo).
  void UpdateCaption();
  bool ShowsDemo() const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void ShowCarCount(int enabledCarCount);
  void ShowResult(const OperationResult& result);
  // What the tree does after a command that finished.
  enum class AfterDone { kNothing, kReload, kReloadShowingNew };
  // Runs an operation on the worker; when it finished, shows its result and reloads the tree
  // as `after` says.
  void RunOperation(CommandId command, std::function<OperationResult()> work, AfterDone after);
  // Commands that change the game folder wait while a job runs.
  void OnBusyChanged(bool busy);
  void OnOptions();
  void OnGenerateSerials();
  void OnStringEdit();
  void OnNewDocument();
  void OnOpenDocument();
  void SwitchPane(int step);

  MainWindowContext context_;
  JobRunner* jobs_ = nullptr;
  QString workingText_;  // the status line while a job runs
  std::unique_ptr<Prompts> ownPrompts_;
  WidgetPrompts* widgetPrompts_ = nullptr;  // the own prompts, when the window has them
  Prompts* prompts_ = nullptr;
  QString documentTitle_;
  QStringList recentFiles_;
  QSplitter* splitter_ = nullptr;
  GameTreeView* gameTree_ = nullptr;
  ItemDetailsForm* detailsForm_ = nullptr;
  QLabel* promptPane_ = nullptr;
  QLabel* carCountPane_ = nullptr;
  QHash<CommandId, QAction*> actions_;
  QWidget* folderProblemBar_ = nullptr;
  QLabel* folderProblemText_ = nullptr;
  QLabel* demoPane_ = nullptr;  // "Demo installation" while the demo is shown
  TreePane* treePane_ = nullptr;         // the filter above the tree
  ProfilesMenu* profilesMenu_ = nullptr;
  QAction* verifyAction_ = nullptr;
};

}  // namespace krax::ui
