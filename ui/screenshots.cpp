#include "ui/screenshots.h"

#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItemIterator>

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
#include "ui/install_dialog.h"
#include "ui/item_details_form.h"
#include "ui/job_runner.h"
#include "ui/game_tree_view.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/picture_loader.h"
#include "ui/pictures.h"
#include "ui/profiles_menu.h"
#include "ui/string_editor_dialog.h"
#include "ui/tree_pane.h"
#include "ui/tree_model_logic.h"
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
  InstallDialogState state;
  state.mode = static_cast<int>(mode);
  state.title = plan.DialogTitle();
  for (const InstallFile& listed : plan.files) state.files.push_back(listed.displayName);
  state.lengthLine = plan.LengthLine();
  state.destinationBase = plan.destinationBase;
  state.id = plan.id;
  InstallDialog dialog(state, frame.prompts(), &frame);
  dialog.show();
  const bool saved = Save(dialog, file);
  dialog.reject();
  return saved;
}

// The first sub-folder of `folder`, in name order; "" when there is none.
std::string FirstSubfolder(const std::string& folder) {
  if (folder.empty()) return {};
  const QDir dir(FromGameText(folder));
  const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  return names.isEmpty() ? std::string() : ToGameText(dir.filePath(names.first()));
}

}  // namespace

QStringList TakeScreenshots(MainWindow& frame, const QString& folder) {
  QDir().mkpath(folder);
  QStringList written;
  auto keep = [&](QWidget& widget, const QString& name) {
    // The form's picture comes from its own thread: shown as a player would see it.
    WaitUntil([&frame] { return !frame.detailsForm()->pictureLoader().loading(); });
    const QString file = QDir(folder).filePath(name);
    if (Save(widget, file)) written << file;
  };
  GameTreeView& tree = *frame.gameTree();

  // A car with an error or two shows the most of the form.
  QTreeWidgetItem* car = FindItem(tree, [](QTreeWidgetItem* item) {
    return ItemRefOf(item).isCar() && ItemImage(item) == kImageSerialDuplicate;
  });
  if (!car) car = FindItem(tree, [](QTreeWidgetItem* item) { return ItemRefOf(item).isCar(); });
  if (car) {
    tree.setCurrentItem(car);
    tree.scrollToItem(car);
  }
  keep(frame, QStringLiteral("main-car.png"));

  // A car with a screenshot in its folder: the form shows it instead of the archive's picture.
  const GameData& catalog = frame.context().data;
  QTreeWidgetItem* pictured = FindItem(tree, [&catalog](QTreeWidgetItem* item) {
    const ItemRef ref = ItemRefOf(item);
    return ref.isCar() && catalog.HasCar(ref.index) &&
           !FolderPictureFiles(ParentPath(catalog.cars[ref.index].archivePath)).empty();
  });
  if (pictured) {
    tree.setCurrentItem(pictured);
    tree.scrollToItem(pictured);
    keep(frame, QStringLiteral("main-car-screenshot.png"));
  }

  QTreeWidgetItem* track = FindItem(tree, [](QTreeWidgetItem* item) {
    return ItemRefOf(item).isTrackFolder() && ItemImage(item) == kImageTrackActive &&
           item->text(0) != QStringLiteral("Original");
  });
  if (track) {
    tree.setCurrentItem(track);
    tree.scrollToItem(track);
  }
  keep(frame, QStringLiteral("main-track.png"));

  {
    Settings copy = frame.context().settings;
    OptionsDialog options(copy, frame.prompts(), {}, &frame);
    options.show();
    options.adjustSize();
    keep(options, QStringLiteral("options.png"));
    options.hide();
  }
  {
    AboutDialog about(&frame);
    about.show();
    about.adjustSize();
    keep(about, QStringLiteral("about.png"));
    about.hide();
  }
  {
    const Settings& settings = frame.context().settings;
    const QString carFile = QDir(folder).filePath(QStringLiteral("install-car.png"));
    if (SaveInstallDialog(frame, InstallMode::kCarFromFolder,
                          FirstSubfolder(CarModelFolder(settings.KRAXCDPath)), carFile)) {
      written << carFile;
    }
    const QString trackFile = QDir(folder).filePath(QStringLiteral("install-track.png"));
    if (SaveInstallDialog(frame, InstallMode::kTrackFromFolder, TrackSlotFolder(settings.KRAXCDPath, 1), trackFile)) {
      written << trackFile;
    }
    // A folder holding all the files of slot 1 and two of slot 2: the message names both
    // slots with their counts, and the dialog proposes slot 1.
    QTemporaryDir mixed;
    if (mixed.isValid()) {
      const std::string into = JoinPath(ToGameText(QDir::toNativeSeparators(mixed.path())), "Harbour Mix");
      CreateFolder(into);
      for (int slot : {1, 2}) {
        const std::string from = TrackSlotFolder(settings.KRAXCDPath, slot);
        int taken = 0;
        for (const DirEntry& entry : ListFolder(from)) {
          if (entry.isFolder || (slot == 2 && taken == 2)) continue;
          if (CopyFile(JoinPath(from, entry.name), JoinPath(into, entry.name), false)) ++taken;
        }
      }
      const InstallPlan plan = PrepareInstall(InstallMode::kTrackFromFolder, into, frame.context().data.gameFolder());
      if (!plan.messages.empty()) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("KRAXManager"), FromGameText(plan.messages.front()),
                        QMessageBox::Ok, &frame);
        box.show();
        keep(box, QStringLiteral("install-mixed-tracks.png"));
        box.hide();
      }
      const QString mixedFile = QDir(folder).filePath(QStringLiteral("install-mixed-tracks-dialog.png"));
      if (SaveInstallDialog(frame, InstallMode::kTrackFromFolder, into, mixedFile)) written << mixedFile;
    }
  }
  {
    // The game's strings even while string editing is off in the settings; only read.
    const GameData& data = frame.context().data;
    GameTextTable table = data.gameText;
    if (table.empty()) {
      if (const std::optional<std::string> image = ReadWholeFile(data.GameTextPath())) table.Load(*image);
    }
    const StringEditorText strings = JoinGameStrings(table);
    StringEditorDialog editor(strings.text, strings.count(), frame.prompts(), &frame);
    editor.show();
    keep(editor, QStringLiteral("string-editor.png"));
    editor.reject();
  }
  {
    CopyProgressDialog progress(QStringLiteral("Restore Cars"), &frame);
    progress.show();
    ProgressState state;
    state.filesTotal = 214;
    state.filesDone = 87;
    state.bytesTotal = 96ull * 1024 * 1024;
    state.bytesDone = 41ull * 1024 * 1024;
    state.currentFile = "/cd/GameData/CarModel/SKRA/fedata.eng";
    progress.Update(state);
    keep(progress, QStringLiteral("copy-progress.png"));
    progress.hide();
  }
  {
    // Packing as the window shows it: the work on the worker, the window still drawn and its
    // commands waiting, the progress box with its Cancel.
    Prompts& prompts = frame.prompts();
    bool finished = false;
    frame.jobs().Run(
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
    keep(frame, QStringLiteral("pack-window.png"));
    if (box) {
      keep(*box, QStringLiteral("pack-progress.png"));
      for (QAbstractButton* button : box->findChildren<QAbstractButton*>()) button->click();
    }
    WaitUntil([&finished] { return finished; });
  }
  {
    // What "DIR = ID" does on this game folder: its own plan, worked out without renaming.
    const GameData& data = frame.context().data;
    const std::string carModel = CarFolderPath(frame.context().settings.KRAXPath);
    std::ostringstream diagnostics;
    const std::vector<FolderRename> renames =
        RenameCarFolders(data.cars, carModel, FolderNaming::kId, diagnostics, /*dryRun=*/true);
    const std::string details = RenameDetails(renames, carModel);
    std::unique_ptr<QMessageBox> plan = MakePlanBox(&frame, RenamePlanQuestion("DIR = ID", renames), details);
    const auto showDetails = [](QMessageBox& box) {  // "Show Details..."
      for (QAbstractButton* button : box.buttons()) {
        if (box.buttonRole(button) == QMessageBox::ActionRole) button->click();
      }
    };
    plan->show();
    showDetails(*plan);  // the plan itself
    keep(*plan, QStringLiteral("rename-plan.png"));
    plan->hide();
    std::unique_ptr<QMessageBox> report =
        MakeReportBox(&frame, "DIR = ID: " + RenameSummary(renames), details);
    report->show();
    keep(*report, QStringLiteral("rename-report.png"));
    showDetails(*report);
    keep(*report, QStringLiteral("rename-report-details.png"));
    report->hide();
  }
  {
    QMessageBox question(QMessageBox::Question, QStringLiteral("KRAXManager"),
                         QCoreApplication::translate("krax::ui::FirstStart", kChooseGameQuestion),
                         QMessageBox::Yes | QMessageBox::No, &frame);
    question.show();
    keep(question, QStringLiteral("first-start.png"));
    question.hide();
  }
  auto keepMenu = [&](QTreeWidgetItem* item, const QString& name) {
    QMenu* menu = item ? tree.ItemMenu(item) : nullptr;
    if (!menu) return;
    menu->popup(tree.viewport()->mapToGlobal(tree.visualItemRect(item).center()));
    keep(*menu, name);
    menu->close();
    delete menu;
  };
  keepMenu(car, QStringLiteral("menu-car.png"));
  keepMenu(track, QStringLiteral("menu-track.png"));
  {
    // The tree narrowed by the filter box, and the Profiles menu.
    frame.treePane()->filterBox()->setText(QStringLiteral("ra"));
    keep(frame, QStringLiteral("main-filter.png"));
    frame.treePane()->filterBox()->clear();
    ProfilesMenu& profiles = *frame.profilesMenu();
    profiles.popup(frame.mapToGlobal(QPoint(frame.width() / 3, frame.menuBar()->height())));
    keep(profiles, QStringLiteral("menu-profiles.png"));
    profiles.close();
    const auto runDialog = profiles.runDialog;
    profiles.runDialog = [&](QDialog& dialog) {
      dialog.show();
      keep(dialog, QStringLiteral("profiles-manage.png"));
    };
    profiles.Manage();
    profiles.runDialog = runDialog;
  }
  {
    // The tree's pictures and the toolbar's, large enough to judge.
    const int cell = 40;
    QPixmap sheet(12 * cell, 2 * cell);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    const QVector<QIcon> images = TreeImageList();
    for (int i = 0; i < images.size(); ++i) {
      p.drawPixmap(QRect(i * cell + 4, 4, 32, 32), images[i].pixmap(32, 32));
    }
    for (int i = 0; i <= static_cast<int>(CommandPicture::kStringEdit); ++i) {
      p.drawPixmap(QRect(i * cell + 4, cell + 4, 32, 32),
                   CommandIcon(static_cast<CommandPicture>(i)).pixmap(32, 32));
    }
    p.end();
    const QString file = QDir(folder).filePath(QStringLiteral("pictures.png"));
    if (sheet.save(file)) written << file;
  }
  {
    // Last, as they rebuild the tree's items. F5 keeps the player's place: the same car
    // selected and shown.
    if (car) {
      tree.setCurrentItem(car);
      tree.scrollToItem(car);
    }
    frame.RunCommand(CommandId::kReload);
    keep(frame, QStringLiteral("main-after-reload.png"));
  }
  {
    // A game folder that is no game says so above both panes.
    Settings& settings = frame.context().settings;
    const std::string game = settings.KRAXPath;
    settings.KRAXPath = game + "-missing";
    frame.RunCommand(CommandId::kReload);
    keep(frame, QStringLiteral("main-no-game.png"));
    settings.KRAXPath = game;
    frame.RunCommand(CommandId::kReload);
  }
  return written;
}

}  // namespace krax::ui
