#include "operations/verify_against_cd.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/settings.h"
#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/install_info.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/prompts.h"
#include "operations/restore_from_cd.h"
#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {

// One stock file and the place it belongs in the game folder.
struct FilePair {
  VerifyArea area = kVerifyCars;
  std::string cdFile, gameFile;
  std::uint64_t cdSize = 0;
  int slotRow = -1;
};

std::vector<DirEntry> SortedEntries(const std::string& folder) {
  std::vector<DirEntry> entries = ListFolder(folder);
  std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

// The entries of one game folder (listed once), found by name as the game finds them: the
// name as spelled, else the first entry that matches it ignoring case; a name it does not
// hold stays as spelled. The folder's own path is already as it exists on disk.
class GameFolder {
 public:
  explicit GameFolder(std::string path) : path_(std::move(path)) {
    if (!path_.empty()) entries_ = ListFolder(path_);
  }
  std::string Child(const std::string& name) const {
    const DirEntry* found = nullptr;
    for (const DirEntry& entry : entries_) {
      if (entry.name == name) return JoinPath(path_, name);
      if (found == nullptr && EqualsIgnoreCase(entry.name, name)) found = &entry;
    }
    return JoinPath(path_, found ? found->name : name);
  }
  bool Holds(const std::string& name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&name](const DirEntry& entry) { return EqualsIgnoreCase(entry.name, name); });
  }

 private:
  std::string path_;
  std::vector<DirEntry> entries_;
};

// Every file below `cdFolder`, paired with the same relative path below `gameFolder` (found
// ignoring case, as the game and the restore's copy find it).
void PairFolder(VerifyArea area, const std::string& cdFolder, const std::string& gameFolder,
                std::vector<FilePair>& pairs, int slotRow = -1) {
  const GameFolder inGame(gameFolder);
  for (const DirEntry& entry : SortedEntries(cdFolder)) {
    const std::string cd = JoinPath(cdFolder, entry.name);
    const std::string game = inGame.Child(entry.name);
    if (entry.isFolder) {
      PairFolder(area, cd, game, pairs, slotRow);
      continue;
    }
    FilePair pair{area, cd, game, FileSize(cd).value_or(0), slotRow};
    if (area == kVerifyCars) pair.gameFile = RestoredArchivePath(pair.gameFile);  // a disabled car's own name
    pairs.push_back(std::move(pair));
  }
}

int StockSlotRow(const std::string& folderName) {
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    if (EqualsIgnoreCase(folderName, StockTrackTable[static_cast<std::size_t>(row)].slotFolderName)) return row;
  }
  return -1;
}

// A stock slot's files. With Original active they lie in the slot. With an add-on active,
// each stock file the add-on replaced waits in the slot's "Original" folder; the others stay
// in the slot. Sub-folders are never switched: they stay in the slot.
void PairSlot(int row, const std::string& cdSlot, const std::string& gameSlot, std::vector<FilePair>& pairs) {
  const std::string active = ReadActiveTrack(gameSlot);
  const bool original = EqualsIgnoreCase(active, kOriginalFolder);
  const GameFolder slot(gameSlot);
  const GameFolder addOn(original ? std::string() : slot.Child(active));
  const GameFolder backup(slot.Child(kOriginalFolder));
  for (const DirEntry& entry : SortedEntries(cdSlot)) {
    const std::string cd = JoinPath(cdSlot, entry.name);
    if (entry.isFolder) {
      PairFolder(kVerifyTracks, cd, slot.Child(entry.name), pairs, row);
      continue;
    }
    const bool replaced = !original && addOn.Holds(entry.name);
    pairs.push_back({kVerifyTracks, cd, replaced ? backup.Child(entry.name) : slot.Child(entry.name),
                     FileSize(cd).value_or(0), row});
  }
}

void PairTracks(const std::string& cdTracks, const std::string& gameTracks, std::vector<FilePair>& pairs) {
  const GameFolder inGame(gameTracks);
  for (const DirEntry& entry : SortedEntries(cdTracks)) {
    const std::string cd = JoinPath(cdTracks, entry.name);
    const std::string game = inGame.Child(entry.name);
    const int row = entry.isFolder ? StockSlotRow(entry.name) : -1;
    if (row >= 0) {
      PairSlot(row, cd, game, pairs);
    } else if (entry.isFolder) {
      PairFolder(kVerifyTracks, cd, game, pairs);
    } else {
      pairs.push_back({kVerifyTracks, cd, game, FileSize(cd).value_or(0), -1});
    }
  }
}

class ReadFile {
 public:
  explicit ReadFile(const std::string& path) { fd_ = file_io::Open(path, O_RDONLY, 0, err_); }
  ~ReadFile() {
    int ignored = 0;
    if (fd_ >= 0) file_io::Close(fd_, ignored);
  }
  ReadFile(const ReadFile&) = delete;
  ReadFile& operator=(const ReadFile&) = delete;
  bool ok() const { return fd_ >= 0; }
  // The bytes read into `buffer` (fewer only at the end), or -1.
  long long Read(char* buffer, std::size_t size) { return file_io::Read(fd_, buffer, size, err_); }
  std::string Error() const { return std::strerror(err_ ? err_ : EIO); }

 private:
  int fd_ = -1;
  int err_ = 0;
};

// Compares the two files block by block, stopping at the first difference; nullopt when they
// hold the same bytes.
std::optional<VerifyKind> CompareContents(const std::string& cdFile, const std::string& gameFile, std::string& reason,
                           std::uint64_t& bytesRead) {
  constexpr std::size_t kBlock = 256 * 1024;
  static thread_local std::vector<char> cdBlock(kBlock), gameBlock(kBlock);
  ReadFile cd(cdFile);
  if (!cd.ok()) {
    reason = "the CD's file cannot be read: " + cd.Error();
    return VerifyKind::kUnreadable;
  }
  ReadFile game(gameFile);
  if (!game.ok()) {
    reason = game.Error();
    return VerifyKind::kUnreadable;
  }
  for (;;) {
    const long long a = cd.Read(cdBlock.data(), kBlock);
    if (a < 0) {
      reason = "the CD's file cannot be read: " + cd.Error();
      return VerifyKind::kUnreadable;
    }
    const long long b = game.Read(gameBlock.data(), kBlock);
    if (b < 0) {
      reason = game.Error();
      return VerifyKind::kUnreadable;
    }
    bytesRead += static_cast<std::uint64_t>(a + b);
    if (a != b || std::memcmp(cdBlock.data(), gameBlock.data(), static_cast<std::size_t>(a)) != 0) {
      return VerifyKind::kDiffers;
    }
    if (a == 0) return std::nullopt;
  }
}

std::string Relative(const std::string& path, const std::string& folder) {
  if (!folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
      IsSeparator(path[folder.size()])) {
    return path.substr(folder.size() + 1);
  }
  return path;
}

const char* KindWord(VerifyKind kind) {
  switch (kind) {
    case VerifyKind::kMissing: return "missing";
    case VerifyKind::kDiffers: return "differs";
    case VerifyKind::kUnreadable: return "unreadable";
  }
  return "";
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::size_t VerifyReport::restorableCount() const {
  return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(), [](const VerifyFinding& finding) {
    return finding.kind != VerifyKind::kUnreadable;
  }));
}

VerifyReport VerifyAgainstCd(const Settings& settings, unsigned areas, Prompts& prompts) {
  VerifyReport report;
  const std::string game = ResolvePath(settings.gameFolder);
  if (settings.gameFolder.empty() || !IsFolder(game)) {
    report.problems.push_back("The game folder " + settings.gameFolder + " cannot be found. Choose it in Options.");
    return report;
  }
  std::vector<FilePair> pairs;
  const struct {
    VerifyArea area;
    const char* subPath;
  } kAreas[] = {{kVerifyCars, "\\GameData\\CarModel"}, {kVerifyTracks, "\\GameData\\Tracks"},
                {kVerifyStrings, "\\FeData\\Text"}};
  for (const auto& area : kAreas) {
    if ((areas & area.area) == 0) continue;
    std::string problem;
    const std::string cd = FindCdFolder(settings.cdPath, area.subPath, problem);
    if (cd.empty()) {
      if (std::find(report.problems.begin(), report.problems.end(), problem) == report.problems.end()) {
        report.problems.push_back(problem);
      }
      continue;
    }
    const std::string target = ResolvePath(JoinPath(game, area.subPath));
    if (area.area == kVerifyTracks) {
      PairTracks(cd, target, pairs);
    } else {
      PairFolder(area.area, cd, target, pairs);
    }
  }

  ProgressState progress;
  progress.filesTotal = pairs.size();
  for (const FilePair& pair : pairs) progress.bytesTotal += pair.cdSize;
  prompts.BeginProgress(kVerifyCommand);
  for (const FilePair& pair : pairs) {
    progress.currentFile = pair.gameFile;
    if (!prompts.Progress(progress)) {
      report.cancelled = true;
      break;
    }
    VerifyFinding finding;
    finding.area = pair.area;
    finding.shown = Relative(pair.gameFile, game);
    finding.cdFile = pair.cdFile;
    finding.gameFile = pair.gameFile;
    finding.cdSize = pair.cdSize;
    finding.slotRow = pair.slotRow;
    finding.gameSize = IsFile(pair.gameFile) ? FileSize(pair.gameFile) : std::nullopt;
    std::optional<VerifyKind> kind;
    if (!finding.gameSize) {
      kind = PathExists(pair.gameFile) ? VerifyKind::kDiffers : VerifyKind::kMissing;  // a folder in its place
    } else if (*finding.gameSize != pair.cdSize) {
      kind = VerifyKind::kDiffers;
    } else {
      kind = CompareContents(pair.cdFile, pair.gameFile, finding.reason, report.bytesChecked);
    }
    ++report.filesChecked;
    if (kind) {
      finding.kind = *kind;
      report.findings.push_back(std::move(finding));
    }
    ++progress.filesDone;
    progress.bytesDone += pair.cdSize;
  }
  progress.currentFile.clear();
  if (!report.cancelled) prompts.Progress(progress);
  prompts.EndProgress();
  return report;
}

std::string VerifyReportLines(const VerifyReport& report) {
  std::string text;
  for (const VerifyFinding& finding : report.findings) {
    if (!text.empty()) text += '\n';
    text += std::string(KindWord(finding.kind)) + ": " + finding.shown;
    if (finding.kind == VerifyKind::kDiffers) {
      text += finding.gameSize ? " (game " + ByteCountText(*finding.gameSize) + ", CD " + ByteCountText(finding.cdSize) + ")"
                               : " (a folder is in its place)";
    } else if (finding.kind == VerifyKind::kUnreadable) {
      text += " (" + finding.reason + ")";
    }
  }
  for (const std::string& problem : report.problems) text += (text.empty() ? "" : "\n") + problem;
  return text;
}

std::string VerifyReportSummary(const VerifyReport& report) {
  std::size_t counts[3] = {0, 0, 0};
  for (const VerifyFinding& finding : report.findings) ++counts[static_cast<int>(finding.kind)];
  std::string text = (report.cancelled ? "Stopped after " : "Checked ") +
                     Plural(static_cast<std::size_t>(report.filesChecked), "file", "files") + " against the CD";
  if (!report.problems.empty()) text += " (" + Plural(report.problems.size(), "part", "parts") + " could not be checked)";
  if (report.findings.empty()) {
    return text + (report.problems.empty() && !report.cancelled ? ": all match." : ": no difference found.");
  }
  std::vector<std::string> parts;
  if (counts[1]) parts.push_back(std::to_string(counts[1]) + (counts[1] == 1 ? " differs" : " differ"));
  if (counts[0]) parts.push_back(std::to_string(counts[0]) + " missing");
  if (counts[2]) parts.push_back(std::to_string(counts[2]) + " cannot be read");
  text += ": ";
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? ", " : "") + parts[i];
  return text + ".";
}

OperationResult RestoreVerifyFindings(GameData& data, const Settings& settings, const VerifyReport& report,
                                      Prompts& prompts) {
  std::vector<const VerifyFinding*> chosen;
  std::uint64_t bytes = 0;
  std::string plan;
  for (const VerifyFinding& finding : report.findings) {
    if (finding.kind == VerifyKind::kUnreadable) continue;
    chosen.push_back(&finding);
    bytes += finding.cdSize;
    plan += (plan.empty() ? "" : "\n") + std::string(KindWord(finding.kind)) + ": " + finding.shown;
  }
  if (chosen.empty()) return {OperationStatus::kDone, kVerifyCommand, "Nothing to restore."};
  const bool tracks = std::any_of(chosen.begin(), chosen.end(), [](const VerifyFinding* f) { return f->area == kVerifyTracks; });
  if (tracks) plan += std::string("\ninstall.win: its fourth line becomes ") + std::string(kTracksLine);
  plan += "\nDisabled cars stay disabled; nothing else is changed.";
  const std::string question = std::string(kVerifyCommand) + ": restore " + Plural(chosen.size(), "file", "files") +
                               " (" + ByteCountText(bytes) + ") from the CD?";
  if (!prompts.ConfirmPlan(question, plan)) return {OperationStatus::kCancelled, kVerifyCommand, {}};

  const std::string game = ResolvePath(settings.gameFolder);
  std::string notes;
  if (tracks) {
    // As Restore Tracks: the game loads its tracks from its own folder again.
    InstallInfo current;
    if (!ReadInstallInfo(game, current) || !WriteInstallInfo(game, current)) {
      notes += "install.win could not be rewritten; its tracks line was left as it was.";
    }
  }
  CopyOutcome outcome;
  outcome.filesTotal = chosen.size();
  ProgressState progress{0, chosen.size(), 0, bytes, {}};
  bool strings = false;
  prompts.BeginProgress(kVerifyCommand);
  for (const VerifyFinding* finding : chosen) {
    progress.currentFile = finding->gameFile;
    if (!prompts.Progress(progress)) {
      outcome.cancelled = true;
      break;
    }
    FsResult result = CreateFolder(ParentPath(finding->gameFile), true);
    if (result.ok()) result = CopyFile(finding->cdFile, finding->gameFile, true);
    if (result.ok() && IsReadOnly(finding->gameFile)) result = SetReadOnly(finding->gameFile, false);
    if (result.ok()) {
      ++outcome.filesCopied;
      outcome.bytesCopied += finding->cdSize;
      if (finding->area == kVerifyCars && !EqualsIgnoreCase(BaseName(finding->cdFile), BaseName(finding->gameFile))) {
        outcome.keptDisabled.push_back(finding->gameFile);
      }
      strings = strings || finding->area == kVerifyStrings;
    } else {
      outcome.errors.push_back(finding->shown + ": " + std::strerror(result.systemError ? result.systemError : EIO));
    }
    ++progress.filesDone;
    progress.bytesDone += finding->cdSize;
  }
  progress.currentFile.clear();
  if (!outcome.cancelled) prompts.Progress(progress);
  prompts.EndProgress();
  if (strings && data.kraxText()) data.LoadGameText();

  std::string text = CopyOutcomeText(outcome);
  if (!notes.empty()) text += "\n" + notes;
  if (!outcome.errors.empty() || !notes.empty()) return {OperationStatus::kFailed, kVerifyCommand, text};
  prompts.Status(text);
  return {outcome.cancelled ? OperationStatus::kCancelled : OperationStatus::kDone, kVerifyCommand, text};
}

}  // namespace krax
