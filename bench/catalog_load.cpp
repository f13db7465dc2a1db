// The full catalog load (999 demo cars and the nine track slots) against the bare cost of
// opening the same car archives and reading their headers and directories, in one run.
// The figure to watch is the counter "ratio_to_bare" of BM_CatalogLoadRatio (goal: <= 2).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>

#include "gamedata/game_data.h"
#include "tools/demo_install.h"

namespace {

namespace fs = std::filesystem;

struct Demo {
  fs::path root;
  std::string gameFolder;
  std::vector<std::string> archives;  // every car archive the catalog loads
  krax::InstallInfo installInfo;

  Demo() {
    root = fs::temp_directory_path() / ("krax-bench-catalog-" + std::to_string(::getpid()));
    fs::remove_all(root);
    krax::DemoOptions options;
    options.cars = krax::kDemoMaxCars;
    const krax::DemoManifest manifest = krax::MakeDemoInstallation(root.string(), options);
    gameFolder = manifest.gameDir;
    krax::ReadInstallInfo(gameFolder, installInfo);
    krax::GameData game;
    Configure(game);
    game.LoadCarCatalog();
    for (std::size_t i = 0; i < game.cars.size(); ++i) archives.push_back(game.cars[i].archivePath);
  }
  ~Demo() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  void Configure(krax::GameData& game) const {
    game.UseGameFolder(gameFolder, /*kraxText=*/false);
    game.installInfo = installInfo;
  }
};

const Demo& TheDemo() {
  static const Demo demo;
  return demo;
}

// Open, read the 16-byte header and the directory it announces, close: nothing else.
std::size_t ReadHeadersAndDirectories(const std::vector<std::string>& archives) {
  std::size_t bytes = 0;
  std::vector<unsigned char> buffer;
  for (const std::string& path : archives) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) continue;
    unsigned char header[16];
    if (std::fread(header, 1, 16, file) == 16) {
      const std::size_t end = (std::size_t{header[12]} << 24) | (std::size_t{header[13]} << 16) |
                              (std::size_t{header[14]} << 8) | header[15];
      buffer.resize(end > 16 ? end - 16 : 0);
      bytes += std::fread(buffer.data(), 1, buffer.size(), file);
    }
    std::fclose(file);
  }
  return bytes;
}

void LoadCatalog(krax::GameData& game) {
  game.ClearCarTable();
  game.LoadCarCatalog();
  game.LoadTrackCatalog(nullptr);
}

// Heap bytes the loaded table holds (records, directories, entry buffers, texts).
std::size_t TableBytes(const krax::GameData& game) {
  std::size_t bytes = sizeof(krax::CarRecord) * game.cars.capacity();
  for (std::size_t i = 0; i < game.cars.size(); ++i) {
    const krax::CarRecord& car = game.cars[i];
    bytes += car.directory.entries.capacity() * sizeof(krax::VivEntry) + car.archivePath.capacity();
    for (const auto& entry : car.directory.entries) bytes += entry.name.capacity();
    if (car.carpText) bytes += car.carpText->capacity();
    if (car.fedata) bytes += car.fedata->capacity();
    for (const auto* text : {&car.carId, &car.manufacturer, &car.model, &car.name}) {
      if (*text) bytes += (*text)->capacity();
    }
  }
  return bytes;
}

void BM_BareArchiveReads(benchmark::State& state) {
  const Demo& demo = TheDemo();
  for (auto _ : state) benchmark::DoNotOptimize(ReadHeadersAndDirectories(demo.archives));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(demo.archives.size()));
}
BENCHMARK(BM_BareArchiveReads)->Unit(benchmark::kMillisecond);

void BM_CatalogLoad(benchmark::State& state) {
  const Demo& demo = TheDemo();
  krax::GameData game;
  demo.Configure(game);
  const std::size_t heapBefore = mallinfo2().uordblks;
  for (auto _ : state) LoadCatalog(game);
  const std::size_t heapAfter = mallinfo2().uordblks;
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(game.cars.size()));
  state.counters["cars"] = static_cast<double>(game.cars.size());
  state.counters["per_car"] = benchmark::Counter(static_cast<double>(state.iterations() * game.cars.size()),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["table_bytes"] = static_cast<double>(TableBytes(game));
  state.counters["heap_held_bytes"] =
      static_cast<double>(heapAfter > heapBefore ? heapAfter - heapBefore : 0);
}
BENCHMARK(BM_CatalogLoad)->Unit(benchmark::kMillisecond);

// Both in every iteration, so that the ratio compares like with like (same cache state).
void BM_CatalogLoadRatio(benchmark::State& state) {
  const Demo& demo = TheDemo();
  krax::GameData game;
  demo.Configure(game);
  std::chrono::duration<double> bare{}, catalog{};
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ReadHeadersAndDirectories(demo.archives));
    const auto t1 = std::chrono::steady_clock::now();
    LoadCatalog(game);
    const auto t2 = std::chrono::steady_clock::now();
    bare += t1 - t0;
    catalog += t2 - t1;
  }
  state.counters["ratio_to_bare"] = catalog.count() / bare.count();
  state.counters["bare_ms"] = 1000 * bare.count() / static_cast<double>(state.iterations());
  state.counters["catalog_ms"] = 1000 * catalog.count() / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CatalogLoadRatio)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
