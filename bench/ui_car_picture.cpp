// The details form's update (ShowItem, the picture once found, and a repaint) for a car whose
// archive holds a 512 x 512 front-end picture, against the same update for a car without any
// picture, in the same run. The picture is read and decoded on the picture loader's thread;
// the CPU time counts the interface thread only, so the ratio tells how much showing the
// picture still costs there (the scaling when the frame is painted), and the wall time what
// the player waits for it.
//
//   bench_ui_car_picture [--benchmark_...]    prints the ratio after the table
#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/settings.h"
#include "bench/window_bench_main.h"
#include "gamedata/game_data.h"
#include "operations/operations.h"
#include "tests/support/pending_operations.h"
#include "operations/prompts.h"
#include "tools/car_entries.h"
#include "tools/demo_shape_image.h"
#include "tools/viv_writer.h"
#include "ui/item_details_form.h"
#include "ui/picture_loader.h"

namespace {

using namespace krax;

class SilentPrompts : public Prompts {
 public:
  void Message(const std::string&) override {}
  bool Question(QuestionKind, const std::string&, bool) override { return false; }
  void Status(const std::string&) override {}
  void Busy(bool) override {}
  std::string ChooseFolder(const std::string&) override { return {}; }
  std::string ChooseFile(const std::string&, const std::string&) override { return {}; }
};

struct Game {
  QTemporaryDir dir;
  Settings settings;
  GameData data;
  int withPicture = -1, withoutPicture = -1;
};

void WriteCar(const std::filesystem::path& folder, const std::string& id, bool picture) {
  std::filesystem::create_directories(folder);
  FedataFields fields;
  fields.id = id;
  fields.serial = picture ? 1 : 2;
  fields.name = id;
  const std::string fedata = BuildFedataRecord(fields);
  const std::string carp = BuildCarpText(DemoCarpValues({std::to_string(fields.serial), 1200, "60.00", "58.00", 1}));
  const std::string images = MakeDemoShapeImage(0x7D, 512, 512, 3);
  std::vector<VivSourceEntry> entries{{"carp.txt", carp}, {"fedata.eng", fedata}};
  if (picture) entries.push_back({"fedata.fsh", images});
  std::ofstream(folder / "car.viv", std::ios::binary) << BuildVivArchive(entries);
}

Game& SharedGame() {
  static Game* game = [] {
    auto* g = new Game;
    const std::filesystem::path root = g->dir.path().toStdString();
    WriteCar(root / "GameData" / "CarModel" / "PICT", "PICT", true);
    WriteCar(root / "GameData" / "CarModel" / "NONE", "NONE", false);
    g->settings.gameFolder = root.string();
    g->data.UseGameFolder(root.string(), /*kraxText=*/false);
    g->data.LoadCarCatalog();
    for (std::size_t i = 0; i < g->data.cars.size(); ++i) {
      (g->data.cars[i].carId == "PICT" ? g->withPicture : g->withoutPicture) = static_cast<int>(i);
    }
    return g;
  }();
  return *game;
}

void ShowCar(benchmark::State& state, bool picture) {
  Game& game = SharedGame();
  krax::test::PendingOperations operations;
  SilentPrompts prompts;
  ui::ItemDetailsForm form(game.data, game.settings, operations, prompts);
  form.resize(700, 520);
  form.show();
  const int slot = picture ? game.withPicture : game.withoutPicture;
  for (auto _ : state) {
    form.ShowItem(krax::ItemRef::Car(static_cast<std::size_t>(slot)));
    while (form.pictureLoader().loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QPixmap shown = form.grab();  // the repaint, scaling included
    benchmark::DoNotOptimize(shown);
  }
}
void BM_FormUpdateWithoutPicture(benchmark::State& state) { ShowCar(state, false); }
void BM_FormUpdateWith512Picture(benchmark::State& state) { ShowCar(state, true); }
BENCHMARK(BM_FormUpdateWithoutPicture)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FormUpdateWith512Picture)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  return krax::bench::RunWindowBenchmarks(argc, argv, [](const krax::bench::RatioReporter& reporter) {
    const auto without = reporter.cpu.find("BM_FormUpdateWithoutPicture");
    const auto with = reporter.cpu.find("BM_FormUpdateWith512Picture");
    if (without != reporter.cpu.end() && with != reporter.cpu.end() && without->second > 0) {
      std::printf("Form update with a 512x512 picture / without (CPU time): %.2f\n", with->second / without->second);
    }
  });
}
