// Everything the program knows about one KRAX installation: install information, the car
// table, the track folder list and the game text. The application owns one GameData for the
// whole run; the window and kraxctl read and change it only through these members.
//
// Identities: a car is its slot index in `cars`; an add-on track folder is its position n
// in `trackFolders`; a stock slot is its row k.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gamedata/car_catalog.h"
#include "gamedata/car_record.h"
#include "gamedata/game_text.h"
#include "gamedata/install_info.h"
#include "gamedata/track_catalog.h"
#include "gamedata/viv_rewrite.h"
#include "platform/file_system.h"

namespace krax {

class GameData {
 public:
  GameData();

  // --- The game folder and the text switch (the settings live outside gamedata) ---
  const std::string& gameFolder() const { return gameFolder_; }  // KRAXPath
  bool kraxText() const { return kraxText_; }                    // KRAXText: the game text functions are enabled
  // The one way to change them. The first time, and for another folder than before, the game
  // text is cleared, install.win is read again (a failure leaves the install information
  // empty) and the game text is loaded when the switch is on: the old game's strings are never
  // kept for a new game. For the same folder the switch is taken over, and the strings are
  // loaded when it is on and none are. Catalogs are the caller's to reload.
  void UseGameFolder(std::string folder, bool kraxText);

  RandomSource random;  // 0 .. 32767; seeded from std::random_device by default

  // --- State ---
  krax::InstallInfo installInfo;
  std::vector<krax::CarRecord> cars;            // at most kMaxCars
  int enabledCarCount = 0;                      // loaded cars with depth 0 that are enabled
  std::vector<krax::TrackFolder> trackFolders;  // at most kMaxTrackFolders
  krax::GameTextTable gameText;

  // Language suffix of installInfo (".eng" ...; "" for an unknown language).
  std::string languageSuffix() const { return LanguageSuffix(installInfo); }

  // --- Car records ---
  // True when `slot` names a loaded car: an index into `cars`.
  template <std::integral Index>
  bool HasCar(Index slot) const {
    return std::cmp_greater_equal(slot, 0) && std::cmp_less(slot, cars.size());
  }
  // Loads the archive named by archivePath of `slot` into it (the caller has set archivePath
  // of a fresh record). False when there is no such slot or the archive cannot be opened.
  bool LoadCar(std::size_t slot);
  // Value n of the car's carp.txt ("" without carp.txt or value).
  std::string ReadCarpValue(int n, std::size_t slot) const;
  // The first car other than `excluded` with depth 0, front-end data and this fedata serial
  // number; none when there is no such car.
  std::optional<std::size_t> FindCarBySerial(long long value, std::optional<std::size_t> excluded = std::nullopt) const;
  void ClearCarTable() { cars.clear(); }

  // --- Car catalog ---
  // ClearCarTable is the caller's (a reload is clear, then load): enabledCarCount = 0, then
  // the scan of game folder + "\GameData\CarModel".
  void LoadCarCatalog();
  // Appends the cars found in and below `folder` to `cars`, while it holds fewer than kMaxCars.
  void ScanCarFolder(const std::string& folder, int depth);
  // Writes the low 16 bits of `value` at byte 24 of every front-end data entry of the car's
  // archive, as a complete new archive (EditVivArchive). Fails when the slot is unused, the car
  // has no front-end data, its archive is damaged or read-only, or the write fails. The record
  // in memory is not changed.
  VivWriteResult WriteCarSerial(std::size_t slot, long long value);
  // Gives every car flagged as a duplicate a new number that no other top-level car held at
  // the last load and no car got earlier in this run, and writes it; then, when any car was
  // given one, calls `reload`.
  std::vector<SerialChange> GenerateSerialNumbers(const std::function<void()>& reload);

  // --- Track catalog ---
  // Empties trackFolders and loads the nine slots in table order, reporting each listed
  // track folder with its slot row.
  void LoadTrackCatalog(const std::function<void(int row, const std::string& name, bool active, int n)>& report);
  // One slot (trackFolders is not emptied).
  void LoadTrackSlot(int row, const TrackReport& report);
  std::string SlotFolderPath(int row) const { return krax::SlotFolderPath(gameFolder_, row); }
  // True when `n` names a listed track folder: an index into `trackFolders`.
  bool HasTrackFolder(std::size_t n) const { return n < trackFolders.size(); }
  // The listed track folder at position `n`; one with no path and no name past the list.
  const TrackFolder& trackFolder(std::size_t n) const;

  // --- Game text (every call fails and does nothing while kraxText() is off) ---
  std::string GameTextPath() const { return krax::GameTextPath(gameFolder_, languageSuffix()); }
  // Loads the file into gameText; false (table unchanged) when it cannot be read.
  bool LoadGameText();
  // Replaces string `index`; false, and nothing changed, past the loaded strings.
  bool SetGameText(std::size_t index, std::string_view text);
  // Writes the table back, replacing the file only by a complete one. Refused (false) when no
  // strings are loaded, so the game's file is never replaced by an empty one, and for a
  // damaged table unless `evenIfDamaged` (the user agreed to kSaveDamagedGameTextQuestion).
  bool SaveGameText(bool evenIfDamaged = false);

 private:
  std::string gameFolder_;
  bool kraxText_ = false;
  bool folderChosen_ = false;  // UseGameFolder was called
  void ScanCarFolderAt(const std::string& folder, int depth);
  // During LoadCarCatalog: for each serial number the first top-level car with front-end
  // data loaded so far, or -1. Lets LoadCar find earlier duplicates without walking the table.
  std::vector<int> serialOwner_;
  std::string scanFedataName_;  // "fedata" + suffix during LoadCarCatalog
  // The folders met by the scan in progress: a folder reached again (a link back up the
  // tree, or a second link to it) is not scanned twice.
  std::set<FolderIdentity> scannedFolders_;
};

}  // namespace krax
