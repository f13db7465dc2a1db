// Fuzzes the car archive reader with a whole car load: the bytes become a car.viv in a car
// folder, which LoadCar reads (directory, carp.txt, front-end data) and WriteCarSerial rewrites.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "gamedata/game_data.h"

namespace {

const std::filesystem::path& CarFolder() {
  static const std::filesystem::path folder = [] {
    // A memory-backed folder when there is one: every run writes and reads the archive.
    std::error_code error;
    const auto base = std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                                         : std::filesystem::temp_directory_path();
    const auto root = base / ("krax-fuzz-viv-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "GameData" / "CarModel" / "FUZZ");
    return root;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path archive = CarFolder() / "GameData" / "CarModel" / "FUZZ" / "car.viv";
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  krax::ParseVivDirectory(bytes);

  static krax::GameData game;
  game.UseGameFolder(CarFolder().string(), /*kraxText=*/false);
  game.installInfo = {};
  krax::ParseInstallInfo(size % 2 ? "english\r\n" : "other\r\n", game.installInfo);
  game.ClearCarTable();
  game.LoadCarCatalog();
  for (std::size_t i = 0; i < game.cars.size(); ++i) {
    for (int n : {0, 2, 14, 15}) {
      const std::string value = game.ReadCarpValue(n, i);
      krax::FormatSpeed(value);
      krax::FormatMass(value);
    }
    game.WriteCarSerial(i, 1234);
  }
  std::string name;
  krax::ReadCarIdentity(archive.string(), name);
  return 0;
}
