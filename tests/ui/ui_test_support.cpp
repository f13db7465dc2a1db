#include "ui_test_support.h"

#include <QTest>

#include <QByteArray>
#include <cstdlib>

#include "gamedata/install_info.h"
#include "ui/tree_model_logic.h"

// Fontconfig keeps a few small caches for the life of the process, which LeakSanitizer reports
// at exit in every test that lays out text. They are the library's, not ours.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name LeakSanitizer looks for
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace krax::uitest {

void EnsureApplication() {
  if (QApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the process ends
}

bool WaitForJobs(const ui::JobRunner& jobs, int timeoutMs) {
  const bool idle = QTest::qWaitFor([&jobs] { return !jobs.busy(); }, timeoutMs);
  QCoreApplication::processEvents();  // what the end of the job posted
  return idle;
}

bool WaitForPictures(const ui::PictureLoader& pictures, int timeoutMs) {
  const bool idle = QTest::qWaitFor([&pictures] { return pictures.searchesAlive() == 0; }, timeoutMs);
  QCoreApplication::processEvents();  // the results the searches posted
  return idle && !pictures.loading();
}

OperationResult ToggleInMemoryOperations::ToggleCar(CarSlot slot) {
  ++toggles;
  CarRecord& car = data_.cars[slot.index];
  car.enabled = !car.enabled;
  if (car.depth == 0) data_.enabledCarCount += car.enabled ? 1 : -1;
  return {OperationStatus::kDone, "Enable/Disable Car", {}};
}

DemoFixture::DemoFixture(int cars) : dir_(std::make_unique<QTemporaryDir>()) {
  DemoOptions options;
  options.cars = cars;
  options.compactPayloads = true;
  manifest = MakeDemoInstallation(root(), options);
  settings.gameFolder = manifest.gameDir;
  settings.cdPath = manifest.cdDir;
  settings.archiveFolder = root();
  data.UseGameFolder(settings.gameFolder, /*kraxText=*/false);
  ReadInstallInfo(data.gameFolder(), data.installInfo);
}

std::string DemoFixture::root() const { return dir_->path().toStdString(); }

std::vector<QTreeWidgetItem*> Descendants(QTreeWidgetItem* top) {
  std::vector<QTreeWidgetItem*> items;
  for (int i = 0; i < top->childCount(); ++i) {
    items.push_back(top->child(i));
    for (QTreeWidgetItem* below : Descendants(top->child(i))) items.push_back(below);
  }
  return items;
}

QTreeWidgetItem* FindByRef(QTreeWidgetItem* top, ItemRef ref) {
  for (QTreeWidgetItem* item : Descendants(top)) {
    if (ui::ItemRefOf(item) == ref) return item;
  }
  return nullptr;
}

}  // namespace krax::uitest
