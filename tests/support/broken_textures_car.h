// A car whose archive makes picture search expensive: "Broken Textures" (ID BRKN), with
// `textures` TGA entries that each declare the largest size and break at their end
// (LateBrokenTga), and optionally a small good texture after them.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/tga_bytes.h"
#include "tools/car_entries.h"
#include "tools/viv_writer.h"

namespace krax::test {

inline void WriteBrokenTexturesCar(const std::filesystem::path& folder, int textures, bool goodTextureLast) {
  std::filesystem::create_directories(folder);
  FedataFields fields;
  fields.id = "BRKN";
  fields.serial = 4321;
  fields.name = "Broken Textures";
  const std::string carp = BuildCarpText(DemoCarpValues({"4321", 1200, "60.00", "58.00", 1}));
  const std::string fedata = BuildFedataRecord(fields);
  const std::string broken = LateBrokenTga();
  const std::string good = SolidTga(16, 9, 200, 10, 10);
  std::vector<VivSourceEntry> entries{{"carp.txt", carp}, {"fedata.eng", fedata}};  // views of the above
  for (int k = 0; k < textures; ++k) entries.push_back({"tex" + std::to_string(k) + ".tga", broken});
  if (goodTextureLast) entries.push_back({"good.tga", good});
  std::ofstream(folder / "car.viv", std::ios::binary) << BuildVivArchive(entries);
}

}  // namespace krax::test
