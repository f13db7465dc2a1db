// The main window: toolbar, menus, status bar and the splitter with the tree on the left and
// the details form on the right. Routes every command to its operation.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>

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

class CLeftView;
class CDataView;
class CKRAXManagerDoc;
class CProfilesMenu;
class CTreePane;

// What the window works on; everything outlives the window.
struct MainFrameContext {
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

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(MainFrameContext context, QWidget* parent = nullptr);
  ~CMainFrame() override;

  const MainFrameContext& context() const { return context_; }
  CLeftView* leftView() const { return leftView_; }
  CDataView* dataView() const { return dataView_; }
  CTreePane* treePane() const { return treePane_; }
  CProfilesMenu* profilesMenu() const { return profilesMenu_; }
  CKRAXManagerDoc* document() const { return document_; }
  Prompts& prompts() const { return *prompts_; }
  QAction* action(int commandId) const { return actions_.value(commandId); }
  QLabel* promptPane() const { return promptPane_; }
  QLabel* carCountPane() const { return carCountPane_; }

  // The tree's first update: fills the catalogs and the tree.
  void initialUpdate();
  // Runs a command as its menu item or toolbar button does.
  void runCommand(int commandId);
  // The status line: short results and progress texts, kept until the next one.
  void setStatusText(const QString& text);
  // Opens a ".viv" file as a document (caption and recent list only).
  void openDocumentFile(const QString& path);
  // The caption: document title, a dash and the program's name (and whether it is the demo).
  void updateCaption();
  bool showsDemo() const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildActions();
  void buildMenus();
  void buildToolBar();
  void buildStatusBar();
  void showCarCount(int enabledCarCount);
  void showResult(const OperationResult& result);
  // Runs an operation and reloads the tree when it finished and `reloadWhenDone` says so.
  void runOperation(OperationResult result, bool reloadWhenDone);
  void onOptions();
  void onGenerateSerials();
  void onStringEdit();
  void onNewDocument();
  void onOpenDocument();
  void switchPane(int step);

  MainFrameContext context_;
  std::unique_ptr<Prompts> ownPrompts_;
  Prompts* prompts_ = nullptr;
  CKRAXManagerDoc* document_ = nullptr;
  QSplitter* splitter_ = nullptr;
  CLeftView* leftView_ = nullptr;
  CDataView* dataView_ = nullptr;
  QLabel* promptPane_ = nullptr;
  QLabel* carCountPane_ = nullptr;
  QHash<int, QAction*> actions_;
  QLabel* demoPane_ = nullptr;  // "Demo installation" while the demo is shown
  CTreePane* treePane_ = nullptr;         // the filter above the tree
  CProfilesMenu* profilesMenu_ = nullptr;
};

}  // namespace krax::ui
