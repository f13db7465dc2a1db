#include "ui/screenshots/screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

#include "app/settings.h"
#include "gamedata/car_catalog.h"
#include "gamedata/car_picture.h"
#include "gamedata/game_data.h"
#include "operations/install_dialog_state.h"
#include "operations/install_plan.h"
#include "operations/operations.h"
#include "operations/prompts.h"
#include "operations/rename_car_dirs.h"
#include "operations/string_editor_text.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "ui/about_dialog.h"
#include "ui/copy_progress_dialog.h"
#include "ui/first_start.h"
#include "ui/game_tree_view.h"
#include "ui/install_dialog.h"
#include "ui/item_details_form.h"
#include "ui/job_runner.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/picture_loader.h"
#include "ui/pictures.h"
#include "ui/profiles_menu.h"
#include "ui/string_editor_dialog.h"
#include "ui/tree_model_logic.h"
#include "ui/tree_pane.h"
#include "ui/widget_prompts.h"

namespace krax::ui {
namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Lets the window work until `done` says so (ten seconds at most): the pictures show what a
// user would see once the work has got that far.
void WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 1000 && !done(); ++i) {
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Settle();
}

bool Save(QWidget& widget, const QString& file) {
  Settle();
  return widget.grab().save(file);
}

// The first item that `accept` takes, in tree order.
QTreeWidgetItem* FindItem(GameTreeView& tree, const std::function<bool(QTreeWidgetItem*)>& accept) {
  for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
    if (accept(*it)) return *it;
  }
  return nullptr;
}

// The install dialog as the install command fills it for `source`. Only the preparation runs
// (it reads the source and the game folder); the dialog is cancelled, so nothing is copied.
bool SaveInstallDialog(MainWindow& frame, InstallMode mode, const std::string& source, const QString& file) {
  if (source.empty()) return false;
  const InstallPlan plan = PrepareInstall(mode, source, frame.context().data.gameFolder());
  InstallDialogState state = plan.DialogState();
  InstallDialog dialog(state, frame.prompts(), &frame);
  dialog.show();
  const bool saved = Save(dialog, file);
  dialog.reject();
  return saved;
}

// The first sub-folder of `folder`, in name order; "" when there is none.
std::string FirstSubfolder(const std::string& folder) {
  if (folder.empty()) return {};
  const QDir dir(FromUtf8(folder));
  const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  return names.isEmpty() ? std::string() : ToUtf8(dir.filePath(names.first()));
}

// The pictures in the order they are taken; each step adds the files it wrote to `written_`.
class Screenshots {
 public:
  Screenshots(MainWindow& frame, const QString& folder) : frame_(frame), folder_(folder), tree_(*frame.gameTree()) {}

  QStringList Take() {
    QDir().mkpath(folder_);
    MainWindowPictures();
    DialogPictures();
    InstallPictures();
    StringEditorPicture();
    CopyProgressPicture();
    PackPictures();
    RenamePictures();
    FirstStartPicture();
    KeepMenu(car_, QStringLiteral("menu-car.png"));
    KeepMenu(track_, QStringLiteral("menu-track.png"));
    FilterAndProfilesPictures();
    PictureSheet();
    ReloadPictures();
    return written_;
  }

 private:
  QString FilePath(const QString& name) const { return QDir(folder_).filePath(name); }

  void Keep(QWidget& widget, const QString& name) {
    // The form's picture comes from its own thread: shown as a player would see it.
    WaitUntil([this] { return !frame_.detailsForm()->pictureLoader().loading(); });
    const QString file = FilePath(name);
    if (Save(widget, file)) written_ << file;
  }

  void Select(QTreeWidgetItem* item) {
    tree_.setCurrentItem(item);
    tree_.scrollToItem(item);
  }

  // The window with a car, a car with a screenshot of its own and a track selected.
  void MainWindowPictures() {
    // A car with an error or two shows the most of the form.
    car_ = FindItem(tree_, [](QTreeWidgetItem* item) {
      return ItemRefOf(item).isCar() && ItemImage(item) == kImageSerialDuplicate;
    });
    if (!car_) car_ = FindItem(tree_, [](QTreeWidgetItem* item) { return ItemRefOf(item).isCar(); });
    if (car_) Select(car_);
    Keep(frame_, QStringLiteral("main-car.png"));

    // A car with a screenshot in its folder: the form shows it instead of the archive's picture.
    const GameData& catalog = frame_.context().data;
    QTreeWidgetItem* pictured = FindItem(tree_, [&catalog](QTreeWidgetItem* item) {
      const ItemRef ref = ItemRefOf(item);
      return ref.isCar() && catalog.HasCar(ref.index) &&
             !FolderPictureFiles(ParentPath(catalog.cars[ref.index].archivePath)).empty();
    });
    if (pictured) {
      Select(pictured);
      Keep(frame_, QStringLiteral("main-car-screenshot.png"));
    }

    track_ = FindItem(tree_, [](QTreeWidgetItem* item) {
      return ItemRefOf(item).isTrackFolder() && ItemImage(item) == kImageTrackActive &&
             item->text(0) != QStringLiteral("Original");
    });
    if (track_) Select(track_);
    Keep(frame_, QStringLiteral("main-track.png"));
  }

  void DialogPictures() {
    {
      Settings copy = frame_.context().settings;
      OptionsDialog options(copy, frame_.prompts(), {}, &frame_);
      options.show();
      options.adjustSize();
      Keep(options, QStringLiteral("options.png"));
      options.hide();
    }
    {
      AboutDialog about(&frame_);
      about.show();
      about.adjustSize();
      Keep(about, QStringLiteral("about.png"));
      about.hide();
    }
  }

  void InstallPictures() {
    const Settings& settings = frame_.context().settings;
    const QString carFile = FilePath(QStringLiteral("install-car.png"));
    if (SaveInstallDialog(frame_, InstallMode::kCarFromFolder, FirstSubfolder(CarModelFolder(settings.cdPath)),
                          carFile)) {
      written_ << carFile;
    }
    const QString trackFile = FilePath(QStringLiteral("install-track.png"));
    if (SaveInstallDialog(frame_, InstallMode::kTrackFromFolder, TrackSlotFolder(settings.cdPath, 1), trackFile)) {
      written_ << trackFile;
    }
    MixedTracksPictures();
  }

  // A folder holding all the files of slot 1 and two of slot 2: the message names both
  // slots with their counts, and the dialog proposes slot 1.
  void MixedTracksPictures() {
    const Settings& settings = frame_.context().settings;
    QTemporaryDir mixed;
    if (!mixed.isValid()) return;
    const std::string into = JoinPath(ToUtf8(QDir::toNativeSeparators(mixed.path())), "Harbour Mix");
    CreateFolder(into);
    for (int slot : {1, 2}) {
      const std::string from = TrackSlotFolder(settings.cdPath, slot);
      int taken = 0;
      for (const DirEntry& entry : ListFolder(from)) {
        if (entry.isFolder || (slot == 2 && taken == 2)) continue;
        if (CopyFile(JoinPath(from, entry.name), JoinPath(into, entry.name), false)) ++taken;
      }
    }
    const InstallPlan plan = PrepareInstall(InstallMode::kTrackFromFolder, into, frame_.context().data.gameFolder());
    if (!plan.messages.empty()) {
      QMessageBox box(QMessageBox::Information, QStringLiteral("KRAXManager"), FromUtf8(plan.messages.front()),
                      QMessageBox::Ok, &frame_);
      box.show();
      Keep(box, QStringLiteral("install-mixed-tracks.png"));
      box.hide();
    }
    const QString mixedFile = FilePath(QStringLiteral("install-mixed-tracks-dialog.png"));
    if (SaveInstallDialog(frame_, InstallMode::kTrackFromFolder, into, mixedFile)) written_ << mixedFile;
  }

  void StringEditorPicture() {
    // The game's strings even while string editing is off in the settings; only read.
    const GameData& data = frame_.context().data;
    GameTextTable table = data.gameText;
    if (table.empty()) {
      if (const std::optional<std::string> image = ReadWholeFile(data.GameTextPath())) table.Load(*image);
    }
    const StringEditorText strings = JoinGameStrings(table);
    StringEditorDialog editor(strings.text, strings.count(), frame_.prompts(), &frame_);
    editor.show();
    Keep(editor, QStringLiteral("string-editor.png"));
    editor.reject();
  }

  void CopyProgressPicture() {
    CopyProgressDialog progress(QStringLiteral("Restore Cars"), &frame_);
    progress.show();
    ProgressState state;
    state.filesTotal = 214;
    state.filesDone = 87;
    state.bytesTotal = 96ull * 1024 * 1024;
    state.bytesDone = 41ull * 1024 * 1024;
    state.currentFile = "/cd/GameData/CarModel/SKRA/fedata.eng";
    progress.Update(state);
    Keep(progress, QStringLiteral("copy-progress.png"));
    progress.hide();
  }

  // Packing as the window shows it: the work on the worker, the window still drawn and its
  // commands waiting, the progress box with its Cancel.
  void PackPictures() {
    Prompts& prompts = frame_.prompts();
    bool finished = false;
    frame_.jobs().Run(
        QStringLiteral("Create Cabinet"),
        [&prompts] {
          prompts.RunWork([&prompts] {
            prompts.Status("File car.viv Compressing:    294912 ->    123128");
            for (int i = 0; i < 500 && !prompts.WorkStopRequested(); ++i) {
              std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
          });
          return OperationResult{OperationStatus::kCancelled, "Create Cabinet", ""};
        },
        [&finished](const OperationResult&) { finished = true; });
    QProgressDialog* box = nullptr;
    WaitUntil([&box] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* found = qobject_cast<QProgressDialog*>(widget);
        if (found && found->isVisible()) box = found;
      }
      return box != nullptr;
    });
    Keep(frame_, QStringLiteral("pack-window.png"));
    if (box) {
      Keep(*box, QStringLiteral("pack-progress.png"));
      for (QAbstractButton* button : box->findChildren<QAbstractButton*>()) button->click();
    }
    WaitUntil([&finished] { return finished; });
  }

  // What "DIR = ID" does on this game folder: its own plan, worked out without renaming.
  void RenamePictures() {
    const GameData& data = frame_.context().data;
    const std::string carModel = CarFolderPath(frame_.context().settings.gameFolder);
    std::ostringstream diagnostics;
    const std::vector<FolderRename> renames =
        RenameCarFolders(data.cars, carModel, FolderNaming::kId, diagnostics, /*dryRun=*/true);
    const std::string details = RenameDetails(renames, carModel);
    std::unique_ptr<QMessageBox> plan = MakePlanBox(&frame_, RenamePlanQuestion("DIR = ID", renames), details);
    const auto showDetails = [](QMessageBox& box) {  // "Show Details..."
      for (QAbstractButton* button : box.buttons()) {
        if (box.buttonRole(button) == QMessageBox::ActionRole) button->click();
      }
    };
    plan->show();
    showDetails(*plan);  // the plan itself
    Keep(*plan, QStringLiteral("rename-plan.png"));
    plan->hide();
    std::unique_ptr<QMessageBox> report = MakeReportBox(&frame_, "DIR = ID: " + RenameSummary(renames), details);
    report->show();
    Keep(*report, QStringLiteral("rename-report.png"));
    showDetails(*report);
    Keep(*report, QStringLiteral("rename-report-details.png"));
    report->hide();
  }

  void FirstStartPicture() {
    QMessageBox question(QMessageBox::Question, QStringLiteral("KRAXManager"),
                         QCoreApplication::translate("krax::ui::FirstStart", kChooseGameQuestion),
                         QMessageBox::Yes | QMessageBox::No, &frame_);
    question.show();
    Keep(question, QStringLiteral("first-start.png"));
    question.hide();
  }

  void KeepMenu(QTreeWidgetItem* item, const QString& name) {
    QMenu* menu = item ? tree_.ItemMenu(item) : nullptr;
    if (!menu) return;
    menu->popup(tree_.viewport()->mapToGlobal(tree_.visualItemRect(item).center()));
    Keep(*menu, name);
    menu->close();
    delete menu;
  }

  // The tree narrowed by the filter box, and the Profiles menu.
  void FilterAndProfilesPictures() {
    frame_.treePane()->filterBox()->setText(QStringLiteral("ra"));
    Keep(frame_, QStringLiteral("main-filter.png"));
    frame_.treePane()->filterBox()->clear();
    ProfilesMenu& profiles = *frame_.profilesMenu();
    profiles.popup(frame_.mapToGlobal(QPoint(frame_.width() / 3, frame_.menuBar()->height())));
    Keep(profiles, QStringLiteral("menu-profiles.png"));
    profiles.close();
    const auto runDialog = profiles.runDialog;
    profiles.runDialog = [&](QDialog& dialog) {
      dialog.show();
      Keep(dialog, QStringLiteral("profiles-manage.png"));
    };
    profiles.Manage();
    profiles.runDialog = runDialog;
  }

  // The tree's pictures and the toolbar's, large enough to judge.
  void PictureSheet() {
    const int cell = 40;
    QPixmap sheet(12 * cell, 2 * cell);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    const QVector<QIcon> images = TreeImageList();
    for (int i = 0; i < images.size(); ++i) {
      p.drawPixmap(QRect(i * cell + 4, 4, 32, 32), images[i].pixmap(32, 32));
    }
    for (int i = 0; i <= static_cast<int>(CommandPicture::kStringEdit); ++i) {
      p.drawPixmap(QRect(i * cell + 4, cell + 4, 32, 32), CommandIcon(static_cast<CommandPicture>(i)).pixmap(32, 32));
    }
    p.end();
    const QString file = FilePath(QStringLiteral("pictures.png"));
    if (sheet.save(file)) written_ << file;
  }

  // Last, as they rebuild the tree's items.
  void ReloadPictures() {
    // F5 keeps the player's place: the same car selected and shown.
    if (car_) Select(car_);
    frame_.RunCommand(CommandId::kReload);
    Keep(frame_, QStringLiteral("main-after-reload.png"));

    // A game folder that is no game says so above both panes.
    Settings& settings = frame_.context().settings;
    const std::string game = settings.gameFolder;
    settings.gameFolder = game + "-missing";
    frame_.RunCommand(CommandId::kReload);
    Keep(frame_, QStringLiteral("main-no-game.png"));
    settings.gameFolder = game;
    frame_.RunCommand(CommandId::kReload);
  }

  MainWindow& frame_;
  const QString folder_;
  GameTreeView& tree_;
  QTreeWidgetItem* car_ = nullptr;    // the car the pictures show, and its menu
  QTreeWidgetItem* track_ = nullptr;  // the active add-on track the pictures show
  QStringList written_;
};

}  // namespace

QStringList TakeScreenshots(MainWindow& frame, const QString& folder) { return Screenshots(frame, folder).Take(); }

}  // namespace krax::ui
