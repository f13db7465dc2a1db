// Verify Against CD on the demo installation against the bare cost of comparing the same file
// pairs: reading both files of each pair whole and comparing them, and sha256sum over all of
// them in one process. Both run in every iteration, so that the ratios compare like with like
// (same cache state). The figures to watch are the counters "ratio_to_read_compare" and
// "ratio_to_sha256sum" of BM_VerifyRatio (goal: <= 1.2).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "operations/prompts.h"
#include "operations/verify_against_cd.h"
#include "tools/demo_install.h"

namespace {

namespace fs = std::filesystem;

class SilentPrompts : public krax::Prompts {
 public:
  void Message(const std::string&) override {}
  bool Question(krax::QuestionKind, const std::string&, bool) override { return true; }
  void Status(const std::string&) override {}
  void Busy(bool) override {}
  std::string ChooseFolder(const std::string&) override { return {}; }
  std::string ChooseFile(const std::string&, const std::string&) override { return {}; }
};

struct Demo {
  fs::path root;
  krax::Settings settings;
  std::vector<std::pair<std::string, std::string>> pairs;  // CD file, game file

  Demo() {
    root = fs::temp_directory_path() / ("krax-bench-verify-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const krax::DemoManifest manifest = krax::MakeDemoInstallation(root.string());
    settings.gameFolder = manifest.gameDir;
    settings.cdPath = manifest.cdDir;
    // As shipped: every stock file in place, so that every pair is read to its end.
    krax::GameData game;
    game.UseGameFolder(manifest.gameDir, /*kraxText=*/false);
    SilentPrompts prompts;
    krax::RestoreVerifyFindings(game, settings, krax::VerifyAgainstCd(settings, krax::kVerifyAll, prompts), prompts);
    for (const auto& entry : fs::recursive_directory_iterator(manifest.cdDir)) {
      if (!entry.is_regular_file()) continue;
      const fs::path copy = fs::path(manifest.gameDir) / fs::relative(entry.path(), manifest.cdDir);
      if (fs::is_regular_file(copy)) pairs.emplace_back(entry.path().string(), copy.string());
    }
  }
  ~Demo() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

const Demo& TheDemo() {
  static const Demo demo;
  return demo;
}

std::string ReadWhole(const std::string& path) {
  std::string bytes(fs::file_size(path), '\0');
  std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

std::size_t ReadAndCompare(const Demo& demo) {
  std::size_t same = 0;
  for (const auto& [cd, game] : demo.pairs) same += ReadWhole(cd) == ReadWhole(game);
  return same;
}

// sha256sum over every file of every pair, in one process.
bool Sha256sum(const Demo& demo) {
  std::string command = "sha256sum";
  for (const auto& [cd, game] : demo.pairs) command += " '" + cd + "' '" + game + "'";
  command += " >/dev/null";
  return std::system(command.c_str()) == 0;
}

std::size_t Verify(const Demo& demo) {
  SilentPrompts prompts;
  return krax::VerifyAgainstCd(demo.settings, krax::kVerifyAll, prompts).findings.size();
}

void BM_Verify(benchmark::State& state) {
  const Demo& demo = TheDemo();
  for (auto _ : state) benchmark::DoNotOptimize(Verify(demo));
  state.counters["file_pairs"] = static_cast<double>(demo.pairs.size());
}
BENCHMARK(BM_Verify)->Unit(benchmark::kMillisecond);

void BM_VerifyRatio(benchmark::State& state) {
  const Demo& demo = TheDemo();
  std::chrono::duration<double> verify{}, compare{}, sha{};
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Verify(demo));
    const auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ReadAndCompare(demo));
    const auto t2 = std::chrono::steady_clock::now();
    if (!Sha256sum(demo)) state.SkipWithError("sha256sum failed");
    const auto t3 = std::chrono::steady_clock::now();
    verify += t1 - t0;
    compare += t2 - t1;
    sha += t3 - t2;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ratio_to_read_compare"] = verify.count() / compare.count();
  state.counters["ratio_to_sha256sum"] = verify.count() / sha.count();
  state.counters["verify_ms"] = 1000 * verify.count() / n;
  state.counters["read_compare_ms"] = 1000 * compare.count() / n;
  state.counters["sha256sum_ms"] = 1000 * sha.count() / n;
}
BENCHMARK(BM_VerifyRatio)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
