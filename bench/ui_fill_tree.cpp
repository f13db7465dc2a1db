// Filling the car and track tree with 999 demo cars, against loading the same catalogs alone
// in the same run. The tree adds its items to the catalog load; the goal is at most 1.5 times
// the load alone. Also the filter box on 2,000 cars, one keystroke against the tree fill.
//
//   bench_ui_fill_tree [--benchmark_...]    prints the ratio after the table
#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidgetItemIterator>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

#include "app/settings.h"
#include "bench/window_bench_main.h"
#include "gamedata/game_data.h"
#include "gamedata/install_info.h"
#include "operations/operations.h"
#include "tests/support/pending_operations.h"
#include "tools/demo_install.h"
#include "ui/game_tree_view.h"
#include "ui/tree_model_logic.h"

namespace {

using namespace krax;

struct Demo {
  QTemporaryDir dir;
  DemoManifest manifest;
  Settings settings;
};

Demo& SharedDemo() {
  static Demo* demo = [] {
    auto* d = new Demo;
    DemoOptions options;
    options.cars = kDemoMaxCars;
    options.compactPayloads = true;
    d->manifest = MakeDemoInstallation(d->dir.path().toStdString(), options);
    d->settings.gameFolder = d->manifest.gameDir;
    d->settings.flagDuplicateSerials = d->settings.flagDifferingSerials = d->settings.flagLongFolderNames = true;
    return d;
  }();
  return *demo;
}

void PrepareData(GameData& data, const Demo& demo) {
  data.UseGameFolder(demo.settings.gameFolder, /*kraxText=*/false);
  ReadInstallInfo(data.gameFolder(), data.installInfo);
}

// The baseline: what a reload does to the catalogs, without any tree.
void BM_CatalogLoad(benchmark::State& state) {
  Demo& demo = SharedDemo();
  GameData data;
  PrepareData(data, demo);
  for (auto _ : state) {
    data.ClearCarTable();
    data.LoadCarCatalog();
    data.LoadTrackCatalog([](int, const std::string&, bool, int) {});
    benchmark::DoNotOptimize(data.enabledCarCount);
  }
  state.counters["cars"] = static_cast<double>(data.cars.size());
}
BENCHMARK(BM_CatalogLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The same reload through the tree: clear, load, and build every item.
// A shown tree on the demo's catalogs.
struct ShownTree {
  ShownTree() : tree(data, SharedDemo().settings, operations) {
    PrepareData(data, SharedDemo());
    tree.show();
  }
  GameData data;
  krax::test::PendingOperations operations;
  ui::GameTreeView tree;
};

void BM_FillTree(benchmark::State& state) {
  ShownTree shown;
  ui::GameTreeView& tree = shown.tree;
  const GameData& data = shown.data;
  for (auto _ : state) {
    tree.ReloadTree();
    benchmark::DoNotOptimize(tree.topLevelItemCount());
  }
  state.counters["cars"] = static_cast<double>(data.cars.size());
}
BENCHMARK(BM_FillTree)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The filter box typed letter by letter on a tree of 2,000 cars: the 999 the car table holds
// and 1,001 more items made from them (the table's limit is 999 cars). One iteration is
// kFilterKeystrokes filter runs: "ravelin" letter by letter, then the box cleared.
constexpr const char* kTyped = "ravelin";
constexpr int kFilterKeystrokes = 8;
void BM_FilterTyped(benchmark::State& state) {
  ShownTree shownTree;
  ui::GameTreeView& tree = shownTree.tree;
  tree.ReloadTree();
  std::vector<QTreeWidgetItem*> cars;
  for (QTreeWidgetItemIterator it(tree.carsGroup()); *it; ++it) {
    if (ui::ItemRefOf(*it).isCar()) cars.push_back(*it);
  }
  const std::size_t loaded = cars.size();
  for (std::size_t i = 0; loaded + i < 2000; ++i) {
    cars.push_back(cars[i % loaded]->clone());
    tree.carsGroup()->addChild(cars.back());
  }
  int shown = 0;
  for (auto _ : state) {
    QString text;
    for (const char* c = kTyped; *c; ++c) {
      text += QLatin1Char(*c);
      tree.SetFilter({text, false});
    }
    tree.SetFilter({});
    benchmark::DoNotOptimize(shown += tree.carsGroup()->childCount());
  }
  state.counters["cars"] = static_cast<double>(cars.size());
}
BENCHMARK(BM_FilterTyped)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  return krax::bench::RunWindowBenchmarks(argc, argv, [](const krax::bench::RatioReporter& reporter) {
    // Wall time counts waiting for the disk and for other processes; CPU time does not.
    for (const auto* kind : {&reporter.real, &reporter.cpu}) {
      const auto load = kind->find("BM_CatalogLoad");
      const auto fill = kind->find("BM_FillTree");
      if (load != kind->end() && fill != kind->end() && load->second > 0) {
        std::printf("FillTree / catalog load alone (%s time): %.2f (goal: at most 1.50)\n",
                    kind == &reporter.real ? "wall" : "CPU", fill->second / load->second);
      }
      const auto filter = kind->find("BM_FilterTyped");
      if (filter != kind->end() && fill != kind->end() && fill->second > 0) {
        std::printf("One filter keystroke on 2,000 cars / FillTree of 999 cars (%s time): %.3f\n",
                    kind == &reporter.real ? "wall" : "CPU", filter->second / kFilterKeystrokes / fill->second);
      }
    }
  });
}
