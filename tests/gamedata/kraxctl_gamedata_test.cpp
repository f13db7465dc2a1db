// kraxctl's game data commands on a fresh demo installation made by `kraxctl make-demo`.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "gamedata_test_support.h"
#include "gamedata/code_page.h"
#include "platform/path.h"
#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"
#include "tools/demo_install.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

struct CtlRun {
  test::ExitStatus exitCode;
  std::string out;  // stdout and stderr together
};

// `args` are written as a shell takes them; they are split the same way and kraxctl is
// started directly, with nothing on its input.
CtlRun Kraxctl(const std::string& args) {
  const test::KraxctlRun ran = test::RunKraxctlLine(args);
  return {ran.exitCode, ran.out + ran.err};
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

class KraxctlGameDataTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::ScratchDir("kraxctl-gamedata");
    const CtlRun made = Kraxctl("make-demo " + Quote(dir_->path() / "demo"));
    ASSERT_EQ(made.exitCode, 0) << made.out;
    // The same demo built in-process gives the manifest of what each car was built to show.
    manifest_ = new DemoManifest(MakeDemoInstallation((dir_->path() / "manifest").string()));
    test::WriteFile(dir_->path() / "text-on.ini", "[OTHER]\r\nKRAXText=1\r\n");
    test::WriteFile(dir_->path() / "text-off.ini", "[OTHER]\r\nKRAXText=0\r\n");
  }
  static void TearDownTestSuite() {
    delete manifest_;
    delete dir_;
  }
  static fs::path Game() { return dir_->path() / "demo" / "game"; }
  static std::string With(const char* settings) {
    return "--settings " + Quote(dir_->path() / settings) + " --game " + Quote(Game()) + " ";
  }

  static test::ScratchDir* dir_;
  static DemoManifest* manifest_;
};

test::ScratchDir* KraxctlGameDataTest::dir_ = nullptr;
DemoManifest* KraxctlGameDataTest::manifest_ = nullptr;

// The text after `key` up to the next `end` (from `from` on), or nullopt; `from` moves past it.
std::optional<std::string> After(const std::string& text, const std::string& key, const std::string& end,
                                 std::size_t& from) {
  const std::size_t at = text.find(key, from);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + key.size();
  const std::size_t stop = text.find(end, start);
  if (stop == std::string::npos) return std::nullopt;
  from = stop;
  return text.substr(start, stop - start);
}

// The value of a "Label: value" line of `car`'s output.
[[maybe_unused]] std::string Line(const std::string& text, const std::string& label) {
  std::size_t from = 0;
  return After(text, "\n" + label + ": ", "\n", from).value_or("<missing>");
}

struct ListedCar {
  std::string folder;  // below GameData/CarModel
  std::uint32_t flags;
};

std::vector<ListedCar> ParseCars(const std::string& json, const fs::path& carFolder, int& enabledCount) {
  std::size_t from = 0;
  enabledCount = std::stoi(After(json, "\"enabledCarCount\": ", ",", from).value_or("-1"));
  std::vector<ListedCar> cars;
  while (const auto flags = After(json, "\"errorFlags\": ", ",", from)) {
    const auto archive = After(json, "\"archivePath\": \"", "\"", from);
    if (!archive) break;
    cars.push_back({fs::relative(fs::path(*archive).parent_path(), carFolder).generic_string(),
                    static_cast<std::uint32_t>(std::stoul(*flags))});
  }
  return cars;
}

TEST_F(KraxctlGameDataTest, CarsJsonShowsExactlyTheFlagsTheDemoWasBuiltToShow) {
  const CtlRun run = Kraxctl(With("text-off.ini") + "cars --json");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  int enabled = 0;
  const std::vector<ListedCar> cars = ParseCars(run.out, Game() / "GameData" / "CarModel", enabled);
  ASSERT_EQ(cars.size(), manifest_->cars.size()) << run.out;
  EXPECT_EQ(enabled, manifest_->EnabledTopLevelCars());
  std::vector<std::string> order;
  for (const ListedCar& car : cars) order.push_back(car.folder);
  const std::vector<std::uint32_t> expected = ExpectedErrorFlags(*manifest_, order);
  std::uint32_t seen = 0;
  for (std::size_t i = 0; i < cars.size(); ++i) {
    EXPECT_EQ(cars[i].flags, expected[i]) << cars[i].folder;
    seen |= cars[i].flags;
  }
  EXPECT_EQ(seen, 31u);  // every flag shows somewhere
  for (const std::string& hidden : manifest_->hiddenCarFolders) {
    EXPECT_EQ(run.out.find(hidden), std::string::npos) << hidden;
  }
}

TEST_F(KraxctlGameDataTest, GameTextInTheGamesCodePageIsShownAsUtf8) {
  test::ScratchDir dir("kraxctl-codepage");
  const fs::path game = dir.path() / "game";
  test::WriteFile(game / "install.win", "english\r\n");
  test::Fedata car;
  car.id = "\xDC" "ber";  // Windows-1252, as the game keeps it
  car.name = "\xDC" "ber \x80";
  const fs::path folder = game / "GameData" / "CarModel" / test::PathOf("\xC3\x9C" "ber");
  test::WriteFile(folder / "car.viv", test::CarArchive(car, "42"));
  const CtlRun run = Kraxctl("--settings " + Quote(dir.path() / "none.ini") + " --game " + Quote(game) + " cars --json");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("\"id\": \"\xC3\x9C" "ber\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"name\": \"\xC3\x9C" "ber \xE2\x82\xAC\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"errorFlags\": 0,"), std::string::npos) << "the folder is the ID under Wine";
  EXPECT_EQ(PathToUtf8(run.out), run.out) << "valid UTF-8";

  // An ID typed in UTF-8 finds the car.
  const CtlRun toggled = Kraxctl("--settings " + Quote(dir.path() / "none.ini") + " --game " + Quote(game) +
                                 " toggle '\xC3\x9C" "ber'");
  EXPECT_EQ(toggled.exitCode, 0) << toggled.out;
  EXPECT_TRUE(fs::exists(folder / "car.viv.dis"));
}

TEST_F(KraxctlGameDataTest, ADamagedTextFileIsSavedOnlyWithForce) {
  test::ScratchDir dir("kraxctl-damaged-text");
  const fs::path game = dir.path() / "game";
  test::WriteFile(game / "install.win", "english\r\n");
  std::string text;  // six strings, the fourth sharing the second's text, the sixth past the end
  for (std::uint32_t offset : {24u, 26u, 28u, 26u, 30u, 5000u}) test::PutLittleEndian(text, text.size(), offset, 4);
  text += std::string("a\0b\0c\0d\0", 8);
  test::WriteFile(game / "FeData" / "Text" / "Text.eng", text);
  test::WriteFile(dir.path() / "on.ini", "[OTHER]\nKRAXText=1\n");
  const std::string with = "--settings " + Quote(dir.path() / "on.ini") + " --game " + Quote(game) + " ";

  const CtlRun refused = Kraxctl(with + "strings set 0 A");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.out.find("--force"), std::string::npos) << refused.out;
  EXPECT_EQ(test::ReadFile(game / "FeData" / "Text" / "Text.eng"), text);

  ASSERT_EQ(Kraxctl(with + "strings set 0 A --force").exitCode, 0);
  EXPECT_EQ(Kraxctl(with + "strings list").out, "0\tA\n1\tb\n2\tc\n3\tb\n4\td\n5\t\n");
}

TEST_F(KraxctlGameDataTest, TracksShowTheActiveAddOn) {
  ASSERT_GE(manifest_->activeSlot, 0);
  const CtlRun run = Kraxctl(With("text-off.ini") + "tracks --json");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  // Each track is {"n": .., "name": "..", "path": "...", "active": ..}.
  bool found = false;
  std::size_t from = 0;
  while (After(run.out, "{\"n\": ", ",", from)) {
    const auto name = After(run.out, "\"name\": \"", "\"", from);
    if (!name) break;
    const auto path = After(run.out, "\"path\": \"", "\"", from);
    if (!path) break;
    const auto active = After(run.out, "\"active\": ", "}", from);
    // The slot's folder and a separator as JSON spells it.
    const std::string slot = "Trk00" + std::to_string(manifest_->activeSlot) + (NativeSeparator() == '/' ? "/" : "\\\\");
    if (active == "true" && path->find(slot) != std::string::npos) {
      EXPECT_EQ(*name, manifest_->activeTrack);
      found = true;
    }
  }
  EXPECT_TRUE(found) << run.out;
  // The folders are numbered 0, 2, 4 ... in listing order, as kraxctl has always shown them.
  int expected = 0;
  from = 0;
  while (const auto n = After(run.out, "{\"n\": ", ",", from)) {
    EXPECT_EQ(*n, std::to_string(expected));
    expected += 2;
  }
  EXPECT_GT(expected, 2);
}

TEST_F(KraxctlGameDataTest, StringsRoundTripByteForByte) {
  const fs::path text = Game() / "FeData" / "Text" / "Text.eng";
  const std::string original = test::ReadFile(text);
  ASSERT_FALSE(original.empty());

  const CtlRun refused = Kraxctl(With("text-off.ini") + "strings list");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "This is disabled in option \"Enable KRAX String editting\"\n");

  const CtlRun before = Kraxctl(With("text-on.ini") + "strings get 102");
  ASSERT_EQ(before.exitCode, 0) << before.out;
  const std::string name = before.out.substr(0, before.out.size() - 1);
  ASSERT_EQ(Kraxctl(With("text-on.ini") + "strings set 102 'Renamed Ridge'").exitCode, 0);
  EXPECT_EQ(Kraxctl(With("text-on.ini") + "strings get 102").out, "Renamed Ridge\n");
  EXPECT_EQ(Kraxctl(With("text-on.ini") + "strings find 'renamed RIDGE'").out, "102\n");
  EXPECT_NE(test::ReadFile(text), original);
  ASSERT_EQ(Kraxctl(With("text-on.ini") + "strings set 102 '" + name + "'").exitCode, 0);
  EXPECT_EQ(test::ReadFile(text), original);

  EXPECT_EQ(Kraxctl(With("text-on.ini") + "strings set 100000 x").exitCode, 1);
  EXPECT_EQ(Kraxctl(With("text-on.ini") + "strings get nine").exitCode, 2);
  EXPECT_EQ(test::ReadFile(text), original);
}

TEST_F(KraxctlGameDataTest, SerialNumbersAreWrittenOnlyWhenSafeOrConfirmed) {
  // Copy the demo's car folder so that the other tests keep the demo as built.
  const fs::path copy = dir_->path() / "serials" / "game";
  fs::create_directories(copy / "GameData");
  fs::copy(Game() / "GameData" / "CarModel", copy / "GameData" / "CarModel", fs::copy_options::recursive);
  fs::copy(Game() / "install.win", copy / "install.win");
  const std::string with = "--settings " + Quote(dir_->path() / "text-off.ini") + " --game " + Quote(copy) + " ";
  int enabled = 0;
  const auto cars = ParseCars(Kraxctl(with + "cars --json").out, copy / "GameData" / "CarModel", enabled);
  ASSERT_GE(cars.size(), 2u);

  // A car takes the number of a top-level car listed before it: refused without a terminal.
  // The two are the first cars with front-end data (the listing's order differs between systems).
  std::vector<std::size_t> withFedata;
  for (std::size_t i = 0; i < cars.size(); ++i) {
    if (!(cars[i].flags & 16u) && (!withFedata.empty() || cars[i].folder.find('/') == std::string::npos)) {
      withFedata.push_back(i);
    }
  }
  ASSERT_GE(withFedata.size(), 2u);
  const std::string first = std::to_string(withFedata[0]), second = std::to_string(withFedata[1]);
  const std::string serial = Line(Kraxctl(with + "car " + first).out, "FeData");
  ASSERT_NE(serial, "<missing>");
  const fs::path archive1 = copy / "GameData" / "CarModel" / cars[withFedata[1]].folder;
  const std::string before = test::ReadFile(archive1 / "car.viv");
  const CtlRun refused = Kraxctl(with + "write-serial " + second + " " + serial);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.out.find("Serial Number Exist. Write it?"), std::string::npos);
  EXPECT_EQ(test::ReadFile(archive1 / "car.viv"), before);
  EXPECT_EQ(Kraxctl(with + "write-serial " + second + " " + serial + " --yes").exitCode, 0);
  EXPECT_NE(Kraxctl(with + "car " + second).out.find("FeData: " + serial + "\n"), std::string::npos);

  // Without --yes only the plan: the cars that would get a new number (refused: exit 1).
  const CtlRun planned = Kraxctl(with + "gen-serials");
  EXPECT_EQ(planned.exitCode, 1) << planned.out;
  EXPECT_NE(planned.out.find("is held by another car"), std::string::npos) << planned.out;
  EXPECT_EQ(planned.out.find(" -> "), std::string::npos) << planned.out;
  EXPECT_EQ(Kraxctl(with + "gen-serials").out, planned.out);  // nothing was written
  // Generating clears every duplicate.
  const CtlRun generated = Kraxctl(with + "gen-serials --yes");
  EXPECT_EQ(generated.exitCode, 0) << generated.out;
  EXPECT_NE(generated.out.find(" -> "), std::string::npos);
  for (const ListedCar& car : ParseCars(Kraxctl(with + "cars --json").out, copy / "GameData" / "CarModel", enabled)) {
    EXPECT_EQ(car.flags & 2u, 0u) << car.folder;
  }
  EXPECT_EQ(Kraxctl(with + "gen-serials").out, "No duplicate serial numbers.\n");
}

TEST_F(KraxctlGameDataTest, CarShowsTheDetailsFormFigures) {
  const CtlRun run = Kraxctl(With("text-off.ini") + "car PELO");  // a stock car, with every figure
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const auto figure = [](const std::string& value, const std::string& unit) {
    const std::size_t space = value.find(' ');
    return space != std::string::npos && space > 0 && value.substr(space) == unit &&
           value.find_first_not_of("-0123456789") == space;
  };
  EXPECT_TRUE(figure(Line(run.out, "Mass"), " KG")) << run.out;
  EXPECT_TRUE(figure(Line(run.out, "Max.Speed"), " KPH")) << run.out;
  EXPECT_TRUE(figure(Line(run.out, "Top Speed"), " KPH")) << run.out;
  EXPECT_EQ(Kraxctl(With("text-off.ini") + "car NOSUCHCAR").exitCode, 1);
  EXPECT_EQ(Kraxctl(With("text-off.ini") + "car").exitCode, 2);
}

}  // namespace
}  // namespace krax
