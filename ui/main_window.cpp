#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "operations/game_folder.h"
#include "operations/operations.h"
#include "operations/serial_numbers.h"
#include "ui/about_dialog.h"
#include "ui/commands.h"
#include "ui/game_tree_view.h"
#include "ui/item_details_form.h"
#include "ui/job_runner.h"
#include "ui/pictures.h"
#include "ui/profiles_menu.h"
#include "ui/tree_model_logic.h"
#include "ui/tree_pane.h"
#include "ui/verify_dialog.h"
#include "ui/widget_prompts.h"

namespace krax::ui {
namespace {

// The status line: one line, cut with an ellipsis where it does not fit, so that the status
// bar never grows and the window never jumps. The whole text is its tooltip.
class StatusLine : public QLabel {
 public:
  using QLabel::QLabel;
  QSize minimumSizeHint() const override { return {1, fontMetrics().height()}; }
  QSize sizeHint() const override { return minimumSizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text().simplified(), Qt::ElideRight, area.width()));
  }
};

}  // namespace

MainWindow::MainWindow(MainWindowContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowIcon(ProgramIcon());
  jobs_ = new JobRunner(this);
  if (context_.prompts) {
    prompts_ = context_.prompts;
  } else {
    auto own = std::make_unique<WidgetPrompts>(this, [this](const QString& text) { SetStatusText(text); });
    widgetPrompts_ = own.get();
    // The choosers open in the archive folder until the user has chosen one.
    widgetPrompts_->SetDefaultFolder(context_.settings.archiveFolder);
    ownPrompts_ = std::move(own);
    prompts_ = ownPrompts_.get();
  }
  if (!context_.runDialog) context_.runDialog = [](QDialog& dialog) { return dialog.exec(); };

  documentTitle_ = tr("Welcome");

  BuildActions();
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();

  // Client area: tree on the left, details form on the right.
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("splitter"));
  gameTree_ = new GameTreeView(context_.data, context_.settings, context_.operations, splitter_);
  detailsForm_ = new ItemDetailsForm(context_.data, context_.settings, context_.operations, *prompts_,
                            splitter_);
  treePane_ = new TreePane(gameTree_, splitter_);
  splitter_->addWidget(treePane_);
  splitter_->addWidget(detailsForm_);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setChildrenCollapsible(false);
  splitter_->setSizes({gameTree_->sizeHint().width(), detailsForm_->sizeHint().width()});
  // The folder's problem, when it has one, stands above both panes.
  folderProblemBar_ = new QFrame(this);
  folderProblemBar_->setObjectName(QStringLiteral("folderProblemBar"));
  static_cast<QFrame*>(folderProblemBar_)->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  folderProblemText_ = new QLabel(folderProblemBar_);
  folderProblemText_->setObjectName(QStringLiteral("folderProblemText"));
  folderProblemText_->setWordWrap(true);
  folderProblemText_->setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
  auto* optionsButton = new QPushButton(tr("Options..."), folderProblemBar_);
  optionsButton->setObjectName(QStringLiteral("folderProblemOptions"));
  connect(optionsButton, &QPushButton::clicked, this, [this] { RunCommand(CommandId::kOptions); });
  auto* problemRow = new QHBoxLayout(folderProblemBar_);
  problemRow->addWidget(folderProblemText_, 1);
  problemRow->addWidget(optionsButton);
  folderProblemBar_->hide();
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  column->addWidget(folderProblemBar_);
  column->addWidget(splitter_, 1);
  setCentralWidget(central);
  connect(gameTree_, &GameTreeView::gameFolderChecked, this, [this](const QString& problem) {
    folderProblemText_->setText(problem);
    folderProblemBar_->setVisible(!problem.isEmpty());
    if (!problem.isEmpty()) SetStatusText(problem);
  });

  connect(gameTree_, &GameTreeView::carCountReported, this, &MainWindow::ShowCarCount);
  connect(gameTree_, &GameTreeView::itemSelected, detailsForm_, &ItemDetailsForm::ShowItem);
  connect(gameTree_, &GameTreeView::itemsDeleted, detailsForm_, &ItemDetailsForm::ClearItem);
  connect(gameTree_, &GameTreeView::operationFinished, this, &MainWindow::ShowResult);
  connect(detailsForm_, &ItemDetailsForm::operationFinished, this, &MainWindow::ShowResult);
  connect(detailsForm_, &ItemDetailsForm::carFlagsChanged, gameTree_, &GameTreeView::RefreshCarImages);
  connect(detailsForm_, &ItemDetailsForm::reloadRequested, gameTree_, &GameTreeView::ReloadTree);
  gameTree_->SetFormActions([this](QMenu* menu) { detailsForm_->AddItemActions(menu); });
  gameTree_->SetJobRunner(jobs_);
  detailsForm_->SetJobRunner(jobs_);
  connect(jobs_, &JobRunner::busyChanged, this, &MainWindow::OnBusyChanged);
  connect(jobs_, &JobRunner::refused, this, [this](const QString& running) {
    SetStatusText(tr("Please wait: \"%1\" is still running.").arg(running));
  });

  setAcceptDrops(true);
  UpdateCaption();
}

MainWindow::~MainWindow() {
  // The worker goes first: its work may still use the prompts and the widgets.
  delete jobs_;
}

void MainWindow::BuildActions() {
  for (const CommandInfo& info : kCommands) {
    auto* action = new QAction(tr(info.text), this);
    action->setObjectName(QStringLiteral("command%1").arg(static_cast<int>(info.id)));
    action->setStatusTip(tr(info.statusTip));
    action->setToolTip(tr(info.toolTip));
    if (info.hasPicture) action->setIcon(CommandIcon(info.picture));
    const CommandId id = info.id;
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_.insert(id, action);
  }
  QAction* statusBarAction = actions_.value(CommandId::kStatusBar);
  statusBarAction->setCheckable(true);
  statusBarAction->setChecked(true);
  actions_.value(CommandId::kExit)->setShortcut(QKeySequence::Quit);
  actions_.value(CommandId::kReload)->setShortcut(Qt::Key_F5);

  // The standard keys that do something here: new and open restart the document, F6 and
  // Shift+F6 move between the panes.
  auto* newDocument = new QAction(this);
  newDocument->setShortcut(QKeySequence::New);
  connect(newDocument, &QAction::triggered, this, &MainWindow::OnNewDocument);
  auto* openDocument = new QAction(this);
  openDocument->setShortcut(QKeySequence::Open);
  connect(openDocument, &QAction::triggered, this, &MainWindow::OnOpenDocument);
  auto* nextPane = new QAction(this);
  nextPane->setShortcut(Qt::Key_F6);
  connect(nextPane, &QAction::triggered, this, [this] { SwitchPane(1); });
  auto* previousPane = new QAction(this);
  previousPane->setShortcut(Qt::SHIFT | Qt::Key_F6);
  connect(previousPane, &QAction::triggered, this, [this] { SwitchPane(-1); });
  addActions({newDocument, openDocument, nextPane, previousPane});
}

void MainWindow::BuildMenus() {
  struct MenuTitle {
    Menu menu;
    const char* title;
  };
  const MenuTitle titles[] = {{Menu::kFile, QT_TR_NOOP("&File")},
                              {Menu::kView, QT_TR_NOOP("&View")},
                              {Menu::kCommands, QT_TR_NOOP("&Commands")},
                              {Menu::kHelp, QT_TR_NOOP("&Help")}};
  for (const MenuTitle& title : titles) {
    QMenu* menu = menuBar()->addMenu(tr(title.title));
    for (const CommandInfo& info : kCommands) {
      if (info.menu != title.menu) continue;
      // Groups of the File menu: installs, restores, reload, exit.
      if (info.id == CommandId::kRestoreCars || info.id == CommandId::kReload || info.id == CommandId::kExit) {
        menu->addSeparator();
      }
      menu->addAction(actions_.value(info.id));
    }
    if (title.menu == Menu::kView) {
      QAction* filter = menu->addAction(tr("&Filter Cars And Tracks"), this, [this] { treePane_->FocusFilter(); });
      filter->setObjectName(QStringLiteral("filterAction"));
      filter->setShortcut(QKeySequence::Find);
      filter->setStatusTip(tr("Show only the cars and tracks whose name, ID or folder holds a text"));
    }
    if (title.menu == Menu::kCommands) {
      // Restoring changes the game's folders: the tree follows, and no job may run meanwhile.
      verifyAction_ = AddVerifyAction(*menu, context_.data, context_.settings, *prompts_, context_.runDialog,
                                      [this](const OperationResult& result) {
                                        ShowResult(result);
                                        gameTree_->ReloadTree();
                                      });
      // The profiles come after the commands, before Help.
      profilesMenu_ = new ProfilesMenu(context_.operations, *prompts_, this);
      menuBar()->addMenu(profilesMenu_);
      profilesMenu_->SetJobRunner(jobs_);
      connect(profilesMenu_, &ProfilesMenu::operationFinished, this, [this](const OperationResult& result) {
        ShowResult(result);
        // Saving and applying read the catalogs afresh: the tree follows in any case.
        gameTree_->ReloadTree();
      });
    }
  }
}

void MainWindow::BuildToolBar() {
  QToolBar* bar = addToolBar(tr("Toolbar"));
  bar->setObjectName(QStringLiteral("toolBar"));
  bar->setIconSize(QSize(16, 16));
  bar->setMovable(true);  // gripper; dockable at every side
  bar->setFloatable(true);
  bar->setAllowedAreas(Qt::AllToolBarAreas);
  for (const std::optional<CommandId>& id : kToolbarLayout) {
    if (id) {
      bar->addAction(actions_.value(*id));
    } else {
      bar->addSeparator();
    }
  }
}

void MainWindow::BuildStatusBar() {
  promptPane_ = new StatusLine(tr("Ready"), this);
  promptPane_->setObjectName(QStringLiteral("promptPane"));
  promptPane_->setMinimumWidth(1);
  statusBar()->addWidget(promptPane_, 1);
  carCountPane_ = new QLabel(tr("POKUS"), this);
  carCountPane_->setObjectName(QStringLiteral("carCountPane"));
  carCountPane_->setFrameStyle(QFrame::Panel | QFrame::Raised);  // the pop-out pane
  carCountPane_->setMinimumWidth(carCountPane_->fontMetrics().horizontalAdvance(
                                     QStringLiteral("No.Cars:0000")) + 12);
  carCountPane_->setAlignment(Qt::AlignCenter);
  statusBar()->addPermanentWidget(carCountPane_);
  // Caps, Num and Scroll Lock: Qt offers no portable way to read those states.
}

void MainWindow::InitialUpdate() { gameTree_->FillTree(); }

void MainWindow::SetStatusText(const QString& text) {
  statusBar()->clearMessage();
  promptPane_->setText(text);
  promptPane_->setToolTip(text.contains(QLatin1Char('\n')) || text.size() > 60 ? text : QString());
}

void MainWindow::ShowCarCount(int enabledCarCount) {
  carCountPane_->setText(tr("No.Cars:%1").arg(enabledCarCount));
}

void MainWindow::ShowResult(const OperationResult& result) {
  const std::string text = ResultText(result);
  if (text.empty()) return;
  if (result.status == OperationStatus::kFailed) {
    prompts_->Message(text);
  } else if (result.status == OperationStatus::kDone) {
    SetStatusText(FromUtf8(text));
  }
}

void MainWindow::RunOperation(CommandId command, std::function<OperationResult()> work, AfterDone after) {
  QAction* action = actions_.value(command);
  const QString name = action ? action->text().remove(QLatin1Char('&')) : QString();
  jobs_->Run(name, std::move(work), [this, after](const OperationResult& result) {
    ShowResult(result);
    // A command that failed part-way may have changed some folders: the tree shows the disk.
    if (result.status == OperationStatus::kCancelled || after == AfterDone::kNothing) return;
    if (after == AfterDone::kReloadShowingNew) {
      gameTree_->ReloadTreeShowingNew();
    } else {
      gameTree_->ReloadTree();
    }
  });
}

void MainWindow::OnBusyChanged(bool busy) {
  // Reading stays: the view, the filter, About, hiding the status bar.
  for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
    const CommandId id = it.key();
    if (id == CommandId::kAbout || id == CommandId::kStatusBar || id == CommandId::kExit) continue;
    it.value()->setEnabled(!busy);
  }
  if (profilesMenu_) profilesMenu_->setEnabled(!busy);
  if (verifyAction_) verifyAction_->setEnabled(!busy);
  const QString working = tr("%1...").arg(jobs_->command());
  if (busy) {
    workingText_ = working;
    SetStatusText(working);
  } else if (promptPane_->text() == workingText_) {
    SetStatusText(tr("Ready"));  // the command had nothing to say
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The work would be cut off between two files: the window waits for it.
  if (jobs_->RefuseWhileBusy()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void MainWindow::RunCommand(CommandId command) {
  Operations& ops = context_.operations;
  // A command that reaches here by another way than its (disabled) action waits too.
  if (command != CommandId::kAbout && command != CommandId::kStatusBar && jobs_->RefuseWhileBusy()) return;
  // Reads and changes the status line as the command starts: an old text never stays.
  SetStatusText(QString());
  const auto run = [&](auto call, AfterDone after) { RunOperation(command, [&ops, call] { return (ops.*call)(); }, after); };
  switch (command) {
    case CommandId::kInstallCar: run(&Operations::InstallCar, AfterDone::kReloadShowingNew); break;
    case CommandId::kInstallTrack: run(&Operations::InstallTrack, AfterDone::kReloadShowingNew); break;
    case CommandId::kInstallCarFromComp: run(&Operations::InstallCarFromCompressed, AfterDone::kReloadShowingNew); break;
    case CommandId::kInstallTrackFromComp: run(&Operations::InstallTrackFromCompressed, AfterDone::kReloadShowingNew); break;
    // A restore changes the cars' folders and the slots' active tracks: the tree shows them.
    case CommandId::kRestoreCars: run(&Operations::RestoreCars, AfterDone::kReload); break;
    case CommandId::kRestoreTracks: run(&Operations::RestoreTracks, AfterDone::kReload); break;
    case CommandId::kRestoreStrings: run(&Operations::RestoreStrings, AfterDone::kNothing); break;
    case CommandId::kReload: gameTree_->ReloadTree(); break;
    case CommandId::kExit: close(); break;
    case CommandId::kStatusBar: statusBar()->setVisible(actions_.value(CommandId::kStatusBar)->isChecked()); break;
    case CommandId::kDirToName: run(&Operations::RenameDirsToName, AfterDone::kReload); break;
    case CommandId::kDirToId: run(&Operations::RenameDirsToId, AfterDone::kReload); break;
    case CommandId::kGenerateSerials: OnGenerateSerials(); break;
    case CommandId::kFixAllErrors:
      RunOperation(
          command,
          [this] {
            return context_.operations.FixCarErrors(
                {}, [this] { JobRunner::OnInterfaceThread([this] { gameTree_->ReloadTree(); }); });
          },
          AfterDone::kNothing);
      break;
    case CommandId::kStringEdit: OnStringEdit(); break;
    case CommandId::kOptions: OnOptions(); break;
    case CommandId::kAbout: {
      AboutDialog about(this);
      context_.runDialog(about);
      break;
    }
    case CommandId::kRunGame: run(&Operations::RunGame, AfterDone::kNothing); break;
  }
}

void MainWindow::OnGenerateSerials() {
  RunOperation(
      CommandId::kGenerateSerials,
      [this] {
        return context_.operations
            .GenerateSerials([this] { JobRunner::OnInterfaceThread([this] { gameTree_->ReloadTree(); }); })
            .result;
      },
      AfterDone::kNothing);
}

void MainWindow::OnStringEdit() {
  if (!context_.settings.kraxText) {
    prompts_->Message(ToUtf8(tr("This is disabled in option \"Enable KRAX String editting\"")));
    return;
  }
  RunOperation(CommandId::kStringEdit, [this] { return context_.operations.OpenStringEditor(); }, AfterDone::kNothing);
}

void MainWindow::OnOptions() {
  OptionsDialog dialog(context_.settings, *prompts_, context_.options, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  UseGameFolder(context_.settings, context_.data);
  detailsForm_->SetArchiveFolder(FromUtf8(context_.settings.archiveFolder));
  if (widgetPrompts_) widgetPrompts_->SetDefaultFolder(context_.settings.archiveFolder);
  UpdateCaption();
  gameTree_->ReloadTree();
}

void MainWindow::OnNewDocument() {
  if (jobs_->RefuseWhileBusy()) return;
  documentTitle_ = tr("Welcome");
  UpdateCaption();
  gameTree_->ReloadTree();  // a restart rebuilds the tree instead of adding to it
}

void MainWindow::OnOpenDocument() {
  if (jobs_->RefuseWhileBusy()) return;
  const QString path = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                    tr(kDocumentFilter));
  if (!path.isEmpty()) OpenDocumentFile(path);
}

void MainWindow::SetRecentFiles(const QStringList& files) {
  recentFiles_ = files.mid(0, kRecentFileCount);
}

void MainWindow::OpenDocument(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  recentFiles_.removeAll(full);
  recentFiles_.prepend(full);
  while (recentFiles_.size() > kRecentFileCount) recentFiles_.removeLast();
  if (recentFilesChanged) recentFilesChanged(recentFiles_);
  documentTitle_ = QFileInfo(full).fileName();
  UpdateCaption();
}

void MainWindow::OpenDocumentFile(const QString& path) {
  OpenDocument(path);
  gameTree_->ReloadTree();
}

bool MainWindow::ShowsDemo() const {
  return !context_.demoGameFolder.empty() && context_.settings.gameFolder == context_.demoGameFolder;
}

void MainWindow::UpdateCaption() {
  QString caption = documentTitle_ + tr(" - KRAXManager");
  if (ShowsDemo()) caption += tr(" (demo installation)");
  setWindowTitle(caption);
  // The status bar keeps saying it too, whatever the status line shows meanwhile.
  if (demoPane_ == nullptr && ShowsDemo()) {
    demoPane_ = new QLabel(tr("Demo installation"), this);
    demoPane_->setObjectName(QStringLiteral("demoPane"));
    demoPane_->setToolTip(tr("Invented cars and tracks. Choose your own game folder in Options."));
    statusBar()->insertPermanentWidget(0, demoPane_);
  }
  if (demoPane_ != nullptr) demoPane_->setVisible(ShowsDemo());
}

void MainWindow::SwitchPane(int step) {
  QWidget* panes[2] = {gameTree_, detailsForm_};
  const int current = detailsForm_->isAncestorOf(focusWidget()) || focusWidget() == detailsForm_ ? 1 : 0;
  QWidget* next = panes[(current + step + 2) % 2];
  if (next == detailsForm_) {
    detailsForm_->widget()->nextInFocusChain()->setFocus(Qt::TabFocusReason);
  } else {
    next->setFocus();
  }
}

namespace {
QString DroppedDocument(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return {};
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".viv"), Qt::CaseInsensitive)) {
      return url.toLocalFile();
    }
  }
  return {};
}

// A dropped folder, .zip or .cab: something to install.
QString DroppedInstallSource(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return {};
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isDir() || path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive) ||
        path.endsWith(QStringLiteral(".cab"), Qt::CaseInsensitive)) {
      return path;
    }
  }
  return {};
}
}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedDocument(event->mimeData()).isEmpty() || !DroppedInstallSource(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = DroppedDocument(event->mimeData());
  const QString source = path.isEmpty() ? DroppedInstallSource(event->mimeData()) : QString();
  if (path.isEmpty() && source.isEmpty()) return;
  event->acceptProposedAction();
  if (jobs_->RefuseWhileBusy()) return;
  if (!path.isEmpty()) {
    OpenDocumentFile(path);
  } else {
    InstallFromPath(source);
  }
}

void MainWindow::InstallFromPath(const QString& source) {
  RunOperation(
      CommandId::kInstallCar,
      [this, from = ToUtf8(source)] { return context_.operations.InstallFromPath(std::nullopt, from); },
      AfterDone::kReloadShowingNew);
}

}  // namespace krax::ui
