// How long the window's event loop stalls while its job runner does long work: a 10 ms timer
// runs on the interface thread and its largest lateness (the time between two of its ticks
// beyond the 10 ms) is kept while the window packs a 16 MB track into a cabinet, restores the
// demo's tracks from its CD, and installs a track from a 48 MB zip - each from the moment the
// command is given until the job's result is shown (the reload of the tree included). One
// more case selects a car whose archive holds eight textures that declare 4096 x 4096 pixels
// and break at their end, until the form has its picture (none). The baseline, in the same
// run, is the same timer on an idle loop. The goal is a longest stall of at most 50 ms.
//
//   bench_ui_job_stalls [--benchmark_...]    prints each case's longest stall after the table
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/settings.h"
#include "archive/zip/zip_archive.h"
#include "bench/window_bench_main.h"
#include "gamedata/game_data.h"
#include "gamedata/install_info.h"
#include "gamedata/track_catalog.h"
#include "operations/game_operations.h"
#include "operations/install_dialog_state.h"
#include "tools/demo_install.h"
#include "tests/support/broken_textures_car.h"
#include "tools/car_entries.h"
#include "tools/demo_random.h"
#include "tools/viv_writer.h"
#include "ui/item_details_form.h"
#include "ui/job_runner.h"
#include "ui/main_window.h"
#include "ui/picture_loader.h"
#include "ui/tree_model_logic.h"
#include "ui/widget_prompts.h"

namespace {

using namespace krax;
namespace fs = std::filesystem;

constexpr int kTickMs = 10;
constexpr std::size_t kTrackFileBytes = 4u << 20;  // four files: a 16 MB track to pack
constexpr std::size_t kZipFileBytes = 12u << 20;   // four files: a 48 MB zip to install
constexpr int kPackSlot = 1, kZipSlot = 2;

// The window's own prompts (status line, progress boxes, wait cursor), with the questions
// and choosers answered as a player would: yes, this file, OK.
class AnsweringPrompts : public ui::WidgetPrompts {
 public:
  AnsweringPrompts() : WidgetPrompts(nullptr, [this](const QString& text) {
    if (frame) frame->SetStatusText(text);
  }) {}
  ui::MainWindow* frame = nullptr;
  std::string file;  // ChooseFile's answer

  void Message(const std::string&) override {}
  void Report(const std::string&, const std::string&) override {}
  bool Question(QuestionKind, const std::string&, bool) override { return true; }
  Answer QuestionWithCancel(QuestionKind, const std::string&) override { return Answer::kYes; }
  bool ConfirmPlan(const std::string&, const std::string&) override { return true; }
  bool ShowInstallDialog(InstallDialogState& state) override { return Prompts::ShowInstallDialog(state); }
  std::string ChooseFile(const std::string&, const std::string&) override { return file; }
  std::string ChooseFileIn(const std::string&, const std::string&, const std::string&) override { return file; }
  std::string ChooseFolder(const std::string&) override { return {}; }
  std::string ChooseFolderIn(const std::string&, const std::string&) override { return {}; }
};

void WriteRandomFile(const fs::path& path, std::size_t bytes, std::uint64_t seed) {
  DemoRandom random(seed);
  std::string data(bytes, '\0');
  for (std::size_t i = 0; i + 8 <= bytes; i += 8) {
    const std::uint64_t v = random.Next();
    for (int k = 0; k < 8; ++k) data[i + static_cast<std::size_t>(k)] = static_cast<char>(v >> (8 * k));
  }
  std::ofstream(path, std::ios::binary) << data;
}

std::string SlotFolder(const std::string& game, int slot) { return SlotFolderPath(game, slot); }

std::set<std::string> FoldersIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_directory()) names.insert(entry.path().filename().string());
  }
  return names;
}

// The demo installation with a large add-on track in slot 1 and a zip of a large track for
// slot 2, and a shown window on it with the real operations.
struct Window {
  Window() {
    DemoOptions options;
    manifest = MakeDemoInstallation((fs::path(dir.path().toStdString()) / "demo").string(), options);
    const std::string game = manifest.gameDir;
    const fs::path bigTrack = fs::path(SlotFolder(game, kPackSlot)) / "Bigtrack";
    fs::create_directories(bigTrack);
    const char* kinds[] = {".can", ".col", ".frd", ".fsh"};
    for (int k = 0; k < 4; ++k) {
      WriteRandomFile(bigTrack / ("TR01" + std::string(kinds[k])), kTrackFileBytes, 100 + static_cast<std::uint64_t>(k));
    }
    const fs::path zipSource = fs::path(dir.path().toStdString()) / "Longhaul";
    fs::create_directories(zipSource);
    std::vector<std::string> files;
    for (int k = 0; k < 4; ++k) {
      const fs::path file = zipSource / ("TR02" + std::string(kinds[k]));
      WriteRandomFile(file, kZipFileBytes, 200 + static_cast<std::uint64_t>(k));
      files.push_back(file.string());
    }
    zipPath = (fs::path(dir.path().toStdString()) / "Longhaul.zip").string();
    if (!CreateZipArchive(zipPath, files, zipSource.string(), true).ok()) std::fprintf(stderr, "no zip written\n");
    test::WriteBrokenTexturesCar(fs::path(game) / "GameData" / "CarModel" / "BRKN", 8, false);
    archives = (fs::path(dir.path().toStdString()) / "archives").string();
    fs::create_directories(archives);

    settings.gameFolder = game;
    settings.cdPath = manifest.cdDir;
    settings.archiveFolder = archives;
    data.UseGameFolder(game, /*kraxText=*/false);
    ReadInstallInfo(data.gameFolder(), data.installInfo);
    operations = std::make_unique<GameOperations>(data, settings, prompts);
    frame = std::make_unique<ui::MainWindow>(ui::MainWindowContext{
        settings, data, *operations, {}, &prompts, [](QDialog&) { return 0; }, {}});
    prompts.frame = frame.get();
    prompts.SetOwner(frame.get());
    prompts.file = zipPath;
    frame->resize(1000, 700);
    frame->show();
    frame->InitialUpdate();
  }


  // The car test::WriteBrokenTexturesCar wrote, as the tree knows it now.
  ItemRef BrokenTexturesCar() const {
    for (std::size_t i = 0; i < data.cars.size(); ++i) {
      if (data.cars[i].carId == "BRKN") return ItemRef::Car(i);
    }
    return ui::kCarsGroupItem;
  }

  // The add-on track of slot 1 packed above, as the tree knows it now.
  ItemRef BigTrack() const {
    const std::string path = (fs::path(SlotFolder(settings.gameFolder, kPackSlot)) / "Bigtrack").string();
    for (std::size_t n = 0; n < data.trackFolders.size(); ++n) {
      if (fs::path(data.trackFolder(n).path) == fs::path(path)) return ItemRef::TrackFolder(n);
    }
    return ui::kTracksGroupItem;
  }

  QTemporaryDir dir;
  DemoManifest manifest;
  Settings settings;
  GameData data;
  AnsweringPrompts prompts;
  std::unique_ptr<GameOperations> operations;
  std::unique_ptr<ui::MainWindow> frame;
  std::string zipPath, archives;
};

Window& SharedWindow() {
  static Window* window = new Window;
  return *window;
}

// Runs the event loop with a 10 ms timer on it while `start` is given at the loop's first
// turn, until `finished` says so (checked at each tick); the largest lateness of a tick, in
// milliseconds.
double LongestStall(const std::function<void()>& start, const std::function<bool()>& finished) {
  QEventLoop loop;
  QTimer ticks;
  ticks.setTimerType(Qt::PreciseTimer);
  ticks.setInterval(kTickMs);
  QElapsedTimer clock;
  qint64 last = 0;
  double longest = 0;
  QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, static_cast<double>(now - last) / 1e6 - kTickMs);
    last = now;
    if (finished()) loop.quit();
  });
  clock.start();
  ticks.start();
  QTimer::singleShot(0, &loop, start);
  loop.exec();
  return longest;
}

void Report(benchmark::State& state, double longest) {
  state.counters["max_late_ms"] = longest;
}

void BM_IdleLoop(benchmark::State& state) {
  SharedWindow();
  double longest = 0;
  for (auto _ : state) {
    QElapsedTimer run;
    run.start();
    longest = std::max(longest, LongestStall([] {}, [&run] { return run.elapsed() >= 2000; }));
  }
  Report(state, longest);
}

// The job `start` gives, from the command until its result is shown.
double JobStall(const std::function<void()>& start) {
  ui::JobRunner& jobs = SharedWindow().frame->jobs();
  bool begun = false;
  return LongestStall(
      [&] {
        start();
        begun = jobs.busy();
      },
      [&] { return !begun || !jobs.busy(); });
}

void BM_PackTrackToCabinet(benchmark::State& state) {
  Window& w = SharedWindow();
  ui::ItemDetailsForm& form = *w.frame->detailsForm();
  auto* cabinet = form.findChild<QPushButton*>(QStringLiteral("cabinetButton"));
  double longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(fs::path(w.archives) / "Bigtrack.CAB");
    form.ShowItem(w.BigTrack());
    QApplication::processEvents();
    state.ResumeTiming();
    longest = std::max(longest, JobStall([cabinet] { cabinet->click(); }));
  }
  state.counters["written"] = fs::exists(fs::path(w.archives) / "Bigtrack.CAB") ? 1 : 0;
  Report(state, longest);
}

void BM_RestoreTracks(benchmark::State& state) {
  Window& w = SharedWindow();
  double longest = 0;
  for (auto _ : state) {
    longest = std::max(longest, JobStall([&w] { w.frame->RunCommand(ui::CommandId::kRestoreTracks); }));
  }
  Report(state, longest);
}

void BM_InstallLargeZip(benchmark::State& state) {
  Window& w = SharedWindow();
  const std::string slot = SlotFolder(w.settings.gameFolder, kZipSlot);
  double longest = 0;
  int installed = 0;
  std::uintmax_t installedBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::set<std::string> before = FoldersIn(slot);
    state.ResumeTiming();
    longest = std::max(longest, JobStall([&w] { w.frame->RunCommand(ui::CommandId::kInstallTrackFromComp); }));
    state.PauseTiming();
    for (const std::string& name : FoldersIn(slot)) {
      if (!before.count(name)) {
        for (const auto& file : fs::recursive_directory_iterator(fs::path(slot) / name)) {
          if (file.is_regular_file()) installedBytes += file.file_size();
        }
        fs::remove_all(fs::path(slot) / name);  // the next install starts from the same game
        ++installed;
      }
    }
    state.ResumeTiming();
  }
  state.counters["installed"] = installed;
  state.counters["installed_MB"] = installed ? static_cast<double>(installedBytes) / installed / (1 << 20) : 0;
  Report(state, longest);
}

void BM_SelectCarWithBrokenTextures(benchmark::State& state) {
  Window& w = SharedWindow();
  ui::ItemDetailsForm& form = *w.frame->detailsForm();
  const ui::PictureLoader& pictures = form.pictureLoader();
  double longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    form.ShowItem(ui::kCarsGroupItem);
    while (pictures.searchesAlive() > 0) QApplication::processEvents();
    state.ResumeTiming();
    longest = std::max(longest, LongestStall([&] { form.ShowItem(w.BrokenTexturesCar()); },
                                             [&] { return !pictures.loading(); }));
  }
  state.counters["pictures_started"] = pictures.lastWork().picturesStarted;
  Report(state, longest);
}

BENCHMARK(BM_IdleLoop)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PackTrackToCabinet)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RestoreTracks)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_InstallLargeZip)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SelectCarWithBrokenTextures)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  return krax::bench::RunWindowBenchmarks(argc, argv, [](const krax::bench::RatioReporter& reporter) {
    const auto stall = [&reporter](const std::string& name) {
      const auto run = reporter.counters.find(name);
      if (run == reporter.counters.end()) return -1.0;
      const auto value = run->second.find("max_late_ms");
      return value == run->second.end() ? -1.0 : value->second;
    };
    const double idle = stall("BM_IdleLoop");
    if (idle < 0) return;
    std::printf("Longest lateness of a 10 ms timer (goal: at most 50 ms):\n  %-32s %8.1f ms\n", "BM_IdleLoop", idle);
    for (const char* name : {"BM_PackTrackToCabinet", "BM_RestoreTracks", "BM_InstallLargeZip", "BM_SelectCarWithBrokenTextures"}) {
      const double late = stall(name);
      if (late < 0) continue;
      std::printf("  %-32s %8.1f ms", name, late);
      if (idle > 0) std::printf("   %5.1f x the idle loop", late / idle);
      std::printf("\n");
    }
  });
}
