#include "operations/restore_from_cd.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "gamedata/car_catalog.h"
#include "operations/prompts.h"
#include "platform/file_system.h"
#include "platform/game_discovery.h"
#include "platform/path.h"

namespace krax {

namespace {

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

std::string ByteCountText(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}

std::string ProgressText(const ProgressState& state) {
  std::string text = "File " + std::to_string(state.filesDone + (state.currentFile.empty() ? 0 : 1)) + " of " +
                     std::to_string(state.filesTotal) + ", " + ByteCountText(state.bytesDone) + " of " +
                     ByteCountText(state.bytesTotal);
  if (!state.currentFile.empty()) text += ": " + BaseName(state.currentFile);
  return text;
}

std::string CdFolderOnHost(std::string_view cdPath) {
  if (cdPath.empty()) return {};
  if (std::string folder = ResolvePath(cdPath); IsFolder(folder)) return folder;
  if (HasDriveLetter(cdPath)) {
    const std::string prefix = DefaultWinePrefix();
    if (!prefix.empty()) {
      const std::string mapped = MapWindowsPath(prefix, cdPath);
      const std::string folder = mapped.empty() ? std::string() : ResolvePath(mapped);
      if (IsFolder(folder)) return folder;
    }
  }
  return {};
}

std::string FindCdFolder(std::string_view cdPath, std::string_view subPath, std::string& problem) {
  if (cdPath.empty()) {
    problem = "No CD path is set. Choose the KRAX CD in Options.";
    return {};
  }
  const std::string cd = CdFolderOnHost(cdPath);
  if (cd.empty()) {
    problem = "The KRAX CD cannot be found at " + std::string(cdPath) + ". Insert it or correct the CD path in Options.";
    return {};
  }
  const std::string folder = ResolvePath(JoinPath(cd, subPath));
  if (!IsFolder(folder)) {
    std::string shown(subPath);
    if (!shown.empty() && IsSeparator(shown.front())) shown.erase(0, 1);
    problem = "The CD at " + std::string(cdPath) + " has no folder " + shown + ". Is it the KRAX CD?";
    return {};
  }
  return folder;
}

CopyOutcome CopyFolderContents(const std::string& sourceFolder, const std::string& destination,
                               const std::string& title, Prompts& prompts) {
  CopyOutcome outcome;
  CopyTreeCallbacks callbacks;
  callbacks.progress = [&](const CopyProgress& progress) {
    outcome.filesTotal = progress.filesTotal;
    outcome.filesCopied = progress.filesDone - progress.filesFailed;
    outcome.bytesCopied = progress.bytesDone;
    ProgressState state{progress.filesDone, progress.filesTotal, progress.bytesDone, progress.bytesTotal,
                        progress.currentFile};
    if (!prompts.Progress(state)) {
      outcome.cancelled = true;
      return false;
    }
    return true;
  };
  callbacks.error = [&](const std::string& path, const FsResult& error) {
    outcome.errors.push_back(path + ": " + std::strerror(error.systemError ? error.systemError : EIO));
    return true;
  };
  callbacks.fileDestination = [&outcome](const std::string& planned) {
    std::string path = RestoredArchivePath(planned);
    if (path != planned) outcome.keptDisabled.push_back(path);
    return path;
  };
  prompts.BeginProgress(title);
  const FsResult result = CopyTree(JoinPath(sourceFolder, "*.*"), destination, callbacks);
  prompts.EndProgress();
  if (!result.ok() && outcome.errors.empty() && !outcome.cancelled) {
    outcome.errors.push_back(sourceFolder + ": " + std::strerror(result.systemError ? result.systemError : EIO));
  }
  return outcome;
}

std::string RestoredArchivePath(const std::string& destination) {
  if (!EqualsIgnoreCase(BaseName(destination), kEnabledArchiveName)) return destination;
  const std::string folder = ParentPath(destination);
  std::string enabled, disabled;
  for (const DirEntry& entry : ListFolder(folder)) {
    if (entry.isFolder) continue;
    if (EqualsIgnoreCase(entry.name, kEnabledArchiveName)) enabled = entry.name;
    if (EqualsIgnoreCase(entry.name, std::string(kEnabledArchiveName) + kDisabledSuffix)) disabled = entry.name;
  }
  // With both names there already, the enabled one is the car the game loads: it is restored.
  return !disabled.empty() && enabled.empty() ? JoinPath(folder, disabled) : destination;
}

FolderContents CountFolderContents(const std::string& sourceFolder) {
  FolderContents contents;
  for (const DirEntry& entry : ListFolder(sourceFolder)) {
    const std::string path = JoinPath(sourceFolder, entry.name);
    if (entry.isFolder) {
      const FolderContents inner = CountFolderContents(path);
      contents.files += inner.files;
      contents.bytes += inner.bytes;
    } else {
      ++contents.files;
      contents.bytes += FileSize(path).value_or(0);
    }
  }
  return contents;
}

std::string CopyOutcomeText(const CopyOutcome& outcome, std::size_t maxErrors) {
  std::string text;
  if (outcome.cancelled) {
    text = "Stopped: " + std::to_string(outcome.filesCopied) + " of " + std::to_string(outcome.filesTotal) +
           " files were restored from the CD (" + ByteCountText(outcome.bytesCopied) + "); they stay in place.";
  } else {
    text = "Restored " + std::to_string(outcome.filesCopied) + (outcome.filesCopied == 1 ? " file (" : " files (") +
           ByteCountText(outcome.bytesCopied) + ") from the CD.";
  }
  if (!outcome.keptDisabled.empty()) {
    text += "\n" + std::to_string(outcome.keptDisabled.size()) +
            (outcome.keptDisabled.size() == 1 ? " disabled car was restored under its disabled name and stays"
                                              : " disabled cars were restored under their disabled names and stay") +
            " disabled:";
    for (std::size_t i = 0; i < outcome.keptDisabled.size() && i < maxErrors; ++i) {
      text += "\n" + outcome.keptDisabled[i];
    }
  }
  if (!outcome.errors.empty()) {
    text += "\n" + std::to_string(outcome.errors.size()) + (outcome.errors.size() == 1 ? " error:" : " errors:");
    for (std::size_t i = 0; i < outcome.errors.size() && i < maxErrors; ++i) text += "\n" + outcome.errors[i];
    if (outcome.errors.size() > maxErrors) {
      text += "\n... and " + std::to_string(outcome.errors.size() - maxErrors) + " more.";
    }
  }
  return text;
}

}  // namespace krax
