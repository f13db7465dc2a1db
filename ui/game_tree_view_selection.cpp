// The tree's commands on several selected items at once, and its filter.
#include <QMenu>

#include "gamedata/game_data.h"
#include "operations/operations.h"
#include "ui/game_tree_view.h"
#include "ui/job_runner.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {
namespace {

// One result for a command run on several items: done when every item went well, else failed
// with the lines of the items that did not.
OperationResult Combined(const char* command, const std::string& done, const std::string& problems) {
  if (problems.empty()) return {OperationStatus::kDone, command, done};
  return {OperationStatus::kFailed, command, done + "\n\n" + problems};
}

}  // namespace

std::vector<ItemRef> GameTreeView::selectedItemRefs() const {
  std::vector<ItemRef> refs;
  for (QTreeWidgetItem* item : selectedItems()) {
    const ItemRef ref = ItemRefOf(item);
    if ((ref.isCar() && data_.HasCar(ref.index)) || ref.isTrackFolder()) refs.push_back(ref);
  }
  return refs;
}

QMenu* GameTreeView::SelectionMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("selectionMenu"));
  const auto add = [&](const QString& text, const char* name, auto action) {
    QAction* a = menu->addAction(text, this, action);
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  const std::size_t count = selectedItemRefs().size();
  add(tr("Enable Cars"), "enableSelectedAction", [this] { SetSelectedCarsEnabled(true); });
  add(tr("Disable Cars"), "disableSelectedAction", [this] { SetSelectedCarsEnabled(false); });
  QAction* remove = add(tr("Remove %1 Items").arg(count), "removeSelectedAction", [this] { RemoveSelected(); });
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  menu->addSeparator();
  add(tr("Create Zip Of Each"), "zipSelectedAction", [this] { PackSelected(false); });
  add(tr("Create Cabinet Of Each"), "cabinetSelectedAction", [this] { PackSelected(true); });
  return menu;
}

void GameTreeView::SetSelectedCarsEnabled(bool enabled) {
  const std::vector<ItemRef> refs = selectedItemRefs();
  jobs_->Run(
      enabled ? tr("Enable Cars") : tr("Disable Cars"),
      [this, refs, enabled] {
        int changed = 0, cars = 0;
        std::string problems;
        for (const ItemRef ref : refs) {
          if (!ref.isCar()) continue;
          ++cars;
          if ((data_.cars[ref.index].enabled) == enabled) continue;
          const OperationResult result = operations_.ToggleCar(CarSlot{ref.index});
          if (result.done()) {
            ++changed;
          } else {
            const CarRecord& car = data_.cars[ref.index];
            const std::string failed = car.name.value_or(kNoFedataName) + ToUtf8(tr(": failed"));
            problems += (result.message.empty() ? failed : result.message) + "\n";
          }
        }
        const QString done =
            (enabled ? tr("Enabled %1 of %2 selected cars") : tr("Disabled %1 of %2 selected cars"))
                .arg(changed)
                .arg(cars) +
            (changed < cars && problems.empty() ? tr(" (the others were already).") : QStringLiteral("."));
        return Combined(enabled ? "Enable Cars" : "Disable Cars", ToUtf8(done), problems);
      },
      [this](const OperationResult& result) {
        RefreshCarImages();
        emit carCountReported(data_.enabledCarCount);
        emit operationFinished(result);
      });
}

void GameTreeView::RemoveSelected() {
  const std::vector<ItemRef> refs = selectedItemRefs();
  if (refs.empty()) return;
  jobs_->Run(tr("Remove"), [this, refs] { return operations_.RemoveItems(refs); },
             [this](const OperationResult& result) {
               // The folders are gone: the items must go with them.
               if (result.done()) ReloadTree();
               emit operationFinished(result);
             });
}

void GameTreeView::PackSelected(bool cabinet) {
  struct Pack {
    ItemRef ref;
    std::string directory, name;
  };
  std::vector<Pack> packs;
  for (const ItemRef ref : selectedItemRefs()) {
    if (ref.isCar()) {
      const CarRecord& car = data_.cars[ref.index];
      packs.push_back({ref, car.archivePath, car.name.value_or(std::string())});
    } else {
      packs.push_back({ref, data_.trackFolder(ref.index).path, data_.trackFolder(ref.index).name});
    }
  }
  const QString failed = tr("failed");
  const QString made = tr("Created %1 of %2 archives.");
  jobs_->Run(
      cabinet ? tr("Create Cabinet Of Each") : tr("Create Zip Of Each"),
      [this, packs, cabinet, failed, made] {
        int count = 0;
        std::string problems;
        for (const Pack& pack : packs) {
          const OperationResult result = cabinet ? operations_.CreateCabinet(pack.ref, pack.directory, pack.name)
                                                 : operations_.CreateZip(pack.ref, pack.directory, pack.name);
          if (result.done()) {
            ++count;
          } else if (result.status != OperationStatus::kCancelled) {
            problems += pack.name + ": " + (result.message.empty() ? ToUtf8(failed) : result.message) + "\n";
          }
        }
        return Combined(cabinet ? "Create Cabinet" : "Create Zip", ToUtf8(QString(made).arg(count).arg(packs.size())),
                        problems);
      },
      [this](const OperationResult& result) { emit operationFinished(result); });
}

void GameTreeView::SetFilter(const TreeFilter& filter) {
  filter_ = filter;
  // The names it matches may be changing under a running job: it narrows the tree after.
  if (jobs_->busy()) {
    filterPending_ = true;
    return;
  }
  setUpdatesEnabled(false);
  ApplyTreeFilter(carsGroup_, tracksGroup_, data_, filter_);
  setUpdatesEnabled(true);
}

}  // namespace krax::ui
