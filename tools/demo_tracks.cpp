#include "tools/demo_tracks.h"

#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "gamedata/stock_tables.h"
#include "tools/demo_payloads.h"
#include "tools/demo_random.h"

namespace krax {
namespace fs = std::filesystem;

void WriteDemoFile(const fs::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

namespace {

using TrackFiles = std::map<std::string, std::string>;  // file name -> content, name order

// The files of a track for slot k. Their names carry the track number as the installer's
// rule reads it: "TR0" + digit, or "3TR" / "TUT" + one character + digit.
TrackFiles MakeTrackFiles(int slot, std::uint64_t seed, bool compact) {
  DemoRandom random(seed);
  const std::string k = std::to_string(slot);
  const std::string stem = "TR0" + k;
  TrackFiles files;
  files[stem + ".frd"] = MakeTrackGeometry(random, compact ? 3 : 120);
  files[stem + ".col"] = MakeCollisionNodes(random, compact ? 12 : 1500);
  files[stem + ".fsh"] = MakeImageBank(random, compact ? 2 : 8, compact ? 8 : 64, compact ? 8 : 64);
  files[stem + "0.qfs"] = MakeTexture(random, compact ? 8 : 128, compact ? 8 : 64);
  files[stem + ".can"] = MakeCameraPath(random, compact ? 6 : 120);
  files["3TR_" + k + ".dat"] = MakeCollisionNodes(random, compact ? 6 : 300);
  files["skydome.tga"] = MakeTexture(random, compact ? 8 : 64, compact ? 8 : 64);
  files[stem + ".hrz"] = "[horizon]\r\nsky=skydome.tga\r\nsun=" + std::to_string(random.Range(10, 80)) +
                         "\r\nfog=" + std::to_string(random.Range(200, 900)) + "\r\n";
  return files;
}

struct AddOnSpec {
  int slot;
  const char* name;
  std::vector<std::string> overridden;  // stock file names the add-on brings its own of
  bool active;
};

void WriteFiles(const fs::path& folder, const TrackFiles& files) {
  fs::create_directories(folder);
  for (const auto& [name, bytes] : files) WriteDemoFile(folder / name, bytes);
}

}  // namespace

DemoTracksResult WriteDemoTracks(const fs::path& gameTracks, const fs::path& cdTracks,
                                 std::uint64_t seed, bool compact) {
  const std::vector<AddOnSpec> addOns = {
      {1, "Emberline", {"TR01.frd", "TR01.col", "TR01.fsh", "TR01.can"}, false},
      {3, "Dustbowl", {"TR03.frd", "TR03.col", "TR03.fsh", "TR030.qfs"}, true},
      {3, "Dustbowl Night", {"TR03.frd", "TR03.fsh", "TR030.qfs"}, false},
      {6, "Fjordline", {"TR06.frd", "TR06.col", "TR06.can", "TR06.fsh"}, false},
  };

  DemoTracksResult result;
  for (int slot = 0; slot < kStockTrackSlotCount; ++slot) {
    const std::string folderName(StockTrackTable[slot].slotFolderName);
    const TrackFiles stock = MakeTrackFiles(slot, DeriveSeed(seed, 0x2000 + slot), compact);
    WriteFiles(cdTracks / folderName, stock);

    const fs::path slotFolder = gameTracks / folderName;
    TrackFiles inSlot = stock;
    TrackFiles original;  // empty unless an add-on is active
    for (std::size_t a = 0; a < addOns.size(); ++a) {
      const AddOnSpec& spec = addOns[a];
      if (spec.slot != slot) continue;
      // The add-on's own versions of some stock files, and a readme as players ship them.
      const TrackFiles variant = MakeTrackFiles(slot, DeriveSeed(seed, 0x3000 + a), compact);
      TrackFiles files;
      for (const std::string& name : spec.overridden) files[name] = variant.at(name);
      files["readme.txt"] = std::string(spec.name) + " for slot " + folderName +
                            "\r\nCopy into the slot folder and switch to it.\r\n";
      WriteFiles(slotFolder / spec.name, files);

      DemoTrackFolder track{slot, spec.name, spec.active, {}};
      for (const auto& entry : files) track.files.push_back(entry.first);
      result.addOnTracks.push_back(track);

      if (spec.active) {
        // As after a switch: the add-on's files stand in the slot folder and the stock
        // files they replaced wait in "Original".
        for (const auto& [name, bytes] : files) {
          if (auto it = inSlot.find(name); it != inSlot.end()) original[name] = it->second;
          inSlot[name] = bytes;
        }
        WriteDemoFile(slotFolder / "Atrack.ini",
                      "[Tracks]\r\nActiveTrack=" + std::string(spec.name) + "\r\n");
        result.activeSlot = slot;
        result.activeTrack = spec.name;
      }
    }
    WriteFiles(slotFolder, inSlot);
    WriteFiles(slotFolder / "Original", original);
  }
  return result;
}

}  // namespace krax
