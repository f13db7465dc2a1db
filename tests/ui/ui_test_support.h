// Shared pieces of the window tests: one QApplication on the offscreen platform, a demo
// installation per test, scripted prompts and operations.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "operations/operations.h"
#include "operations/prompts.h"
#include "support/pending_operations.h"
#include "support/scripted_prompts.h"
#include "tools/demo_install.h"
#include "ui/job_runner.h"
#include "ui/picture_loader.h"

namespace krax::uitest {

// Creates the application object once (offscreen unless a platform was chosen).
void EnsureApplication();

// The operations' scripted prompts with the window's choosers: folders and files come from
// their own queues ("" (cancel) when empty), and each chooser's title, filter and start
// folder is remembered.
class ScriptedPrompts : public test::ScriptedPrompts {
 public:
  std::vector<std::string> folderTitles, fileFilters;
  std::vector<std::string> startFolders;  // where each chooser was opened ("" = the usual place)
  std::deque<std::string> folders, files;  // ChooseFolder / ChooseFile

  // The window shows a report as a message: keep it with the messages.
  void Report(const std::string& summary, const std::string& details) override {
    Prompts::Report(summary, details);  // NOLINT(bugprone-parent-virtual-call): the window's way, not the script's
  }
  std::string ChooseFolder(const std::string& title) override {
    folderTitles.push_back(title);
    return Next(folders);
  }
  std::string ChooseFile(const std::string&, const std::string& filter) override {
    fileFilters.push_back(filter);
    return Next(files);
  }
  std::string ChooseFolderIn(const std::string& title, const std::string& startFolder) override {
    startFolders.push_back(startFolder);
    return ChooseFolder(title);
  }
  std::string ChooseFileIn(const std::string& title, const std::string& filter,
                           const std::string& startFolder) override {
    startFolders.push_back(startFolder);
    return ChooseFile(title, filter);
  }

 private:
  static std::string Next(std::deque<std::string>& queue) {
    if (queue.empty()) return {};
    std::string value = queue.front();
    queue.pop_front();
    return value;
  }
};

// Operations that answer "not available", except ToggleCar, which flips the car in memory
// the way the real one does after renaming the archive, and the commands on a car's data
// (Write, Police Car, Fix Errors, Generate S.N.), which change the car archives for real.
class ToggleInMemoryOperations : public test::PendingOperations {
 public:
  ToggleInMemoryOperations(GameData& data, Settings& settings, Prompts& prompts)
      : data_(data), real_(data, settings, prompts) {}
  OperationResult ToggleCar(CarSlot slot) override;
  OperationResult WriteSerialNumber(CarSlot car, long long value) override {
    return real_.WriteSerialNumber(car, value);
  }
  OperationResult SetPoliceFlag(CarSlot car, bool police) override { return real_.SetPoliceFlag(car, police); }
  OperationResult FixCarErrors(const std::vector<CarSlot>& cars, const ReloadCatalog& reload) override {
    return real_.FixCarErrors(cars, reload);
  }
  FixRun RunFixPlan(const FixPlan& plan, const ReloadCatalog& reload) override {
    return real_.RunFixPlan(plan, reload);
  }
  SerialGeneration GenerateSerials(const ReloadCatalog& reload) override { return real_.GenerateSerials(reload); }
  int toggles = 0;

 private:
  GameData& data_;
  GameOperations real_;
};

// A demo installation in a temporary folder with settings pointing at it.
class DemoFixture {
 public:
  explicit DemoFixture(int cars = kDemoMinCars);
  std::string root() const;
  std::string game() const { return manifest.gameDir; }
  DemoManifest manifest;
  Settings settings;
  GameData data;

 private:
  std::unique_ptr<QTemporaryDir> dir_;
};

// Lets the event loop run until `jobs` has no job left and the interface has taken its result;
// false when it was still busy after `timeoutMs`.
[[nodiscard]] bool WaitForJobs(const ui::JobRunner& jobs, int timeoutMs = 60000);

// Lets the event loop run until the picture loader has no search left, the dropped ones
// included, and the interface has taken the last result; false when one still ran after
// `timeoutMs`.
[[nodiscard]] bool WaitForPictures(const ui::PictureLoader& pictures, int timeoutMs = 60000);

// The item of the tree that stands for `ref`, searching below `top` (nullptr when none).
QTreeWidgetItem* FindByRef(QTreeWidgetItem* top, ItemRef ref);
// Every item below `top` (depth first, `top` excluded).
std::vector<QTreeWidgetItem*> Descendants(QTreeWidgetItem* top);

}  // namespace krax::uitest
