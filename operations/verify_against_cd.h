// Verify Against CD: every stock file the CD holds is compared, by content, with the file of
// the game folder that a restore from the CD would write, and the ones that are missing,
// differ or cannot be read are listed. Add-ons are never looked at: only the CD's files are
// walked. The files that differ or are missing can then be restored, one by one, through the
// restore's own rules: a disabled car stays disabled and install.win's tracks line names the
// game's own tracks. A slot's stock file goes where the slot keeps it: in the slot while
// Original is active (Atrack.ini keeps saying so), in "Original" while an add-on stands in
// the slot, so that the active add-on is never overwritten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "operations/operations.h"

namespace krax {

struct Settings;
class GameData;
class Prompts;

inline constexpr const char* kVerifyCommand = "Verify Against CD";

// What to verify: any mix of these.
enum VerifyArea : unsigned {
  kVerifyCars = 1,     // GameData\CarModel
  kVerifyTracks = 2,   // GameData\Tracks
  kVerifyStrings = 4,  // FeData\Text
  kVerifyAll = 7,
};

enum class VerifyKind {
  kMissing,     // the game folder lacks the file
  kDiffers,     // its content is not the CD's
  kUnreadable,  // the CD's file or the game's could not be read
};

struct VerifyFinding {
  VerifyKind kind = VerifyKind::kDiffers;
  VerifyArea area = kVerifyCars;
  std::string shown;     // the game file relative to the game folder, as the user reads it
  std::string cdFile;    // the CD's file
  std::string gameFile;  // where the stock file belongs in the game folder (a restore writes it)
  std::uint64_t cdSize = 0;
  std::optional<std::uint64_t> gameSize;  // the size of what is in its place
  std::string reason;                     // why it could not be read
  int slotRow = -1;                       // a track slot's stock file: its slot
};

struct VerifyReport {
  std::vector<VerifyFinding> findings;  // in the CD's order: cars, tracks, strings
  std::uint64_t filesChecked = 0, bytesChecked = 0;
  std::vector<std::string> problems;  // an area that could not be verified at all, and why
  bool cancelled = false;

  bool allMatch() const { return findings.empty() && problems.empty() && !cancelled; }
  // The findings a restore can mend: missing and differing files.
  std::size_t restorableCount() const;
};

// Compares the chosen areas; a progress display runs through Prompts (Progress returning
// false stops it between two files). Each file is read at most once; files of different
// sizes are not read at all.
VerifyReport VerifyAgainstCd(const Settings& settings, unsigned areas, Prompts& prompts);

// The report for the user: one line per finding ("differs: GameData/CarModel/BRAK/car.viv
// (game 20.1 KB, CD 20.3 KB)"), then the problems.
std::string VerifyReportLines(const VerifyReport& report);
// One line: "Checked 120 files (2.1 MB) against the CD: all match." or how many differ.
std::string VerifyReportSummary(const VerifyReport& report);

// Shows the plan (the files that differ or are missing), asks, and copies exactly those from
// the CD. Done when every one was restored; Failed with the files that could not be.
OperationResult RestoreVerifyFindings(GameData& data, const Settings& settings, const VerifyReport& report,
                                      Prompts& prompts);

}  // namespace krax
