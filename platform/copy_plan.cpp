#include "platform/copy_plan.h"

#include "platform/path.h"

namespace krax::copy_plan {

std::string DestinationName(const std::vector<DirEntry>& existing, const std::string& name) {
  for (const DirEntry& entry : existing) {
    if (entry.name == name) return name;
  }
  for (const DirEntry& entry : existing) {
    if (EqualsIgnoreCase(entry.name, name)) return entry.name;
  }
  return name;
}

void PlanTree(const std::string& source, const std::string& destination, std::vector<PlannedCopy>& plan) {
  const std::vector<DirEntry> existing = ListFolder(destination);
  for (const DirEntry& entry : ListFolder(source)) {
    PlannedCopy item;
    item.source = JoinPath(source, entry.name);
    item.destination = JoinPath(destination, DestinationName(existing, entry.name));
    item.isFolder = entry.isFolder;
    if (!item.isFolder) item.size = FileSize(item.source).value_or(0);
    plan.push_back(item);
    if (entry.isFolder) PlanTree(item.source, item.destination, plan);
  }
}

bool IsWildcard(std::string_view name) { return name == "*.*" || name == "*"; }

FsResult RunCopyPlan(std::vector<PlannedCopy>& plan, const std::string& destination,
                     const CopyTreeCallbacks& callbacks, const CopyOneFile& copyFile, const FsResult& cancelled) {
  if (callbacks.fileDestination) {
    for (PlannedCopy& item : plan) {
      if (!item.isFolder) item.destination = callbacks.fileDestination(item.destination);
    }
  }
  CopyProgress progress;
  for (const PlannedCopy& item : plan) {
    if (!item.isFolder) {
      ++progress.filesTotal;
      progress.bytesTotal += item.size;
    }
  }

  FsResult outcome;
  auto reportError = [&](const std::string& path, const FsResult& error) {
    if (outcome.ok()) outcome = error;
    return callbacks.error ? callbacks.error(path, error) : true;
  };

  if (!IsFolder(destination)) {
    FsResult created = CreateFolder(destination, true);
    if (!created) {
      reportError(destination, created);
      return created;
    }
  }
  for (const PlannedCopy& item : plan) {
    if (item.isFolder) {
      if (IsFolder(item.destination)) continue;
      FsResult created = CreateFolder(item.destination);
      if (!created && !reportError(item.destination, created)) return outcome;
      continue;
    }
    progress.currentFile = item.source;
    if (callbacks.progress && !callbacks.progress(progress)) return cancelled;
    FsResult copied = copyFile(item.source, item.destination, [&progress](std::uint64_t n) { progress.bytesDone += n; });
    ++progress.filesDone;
    if (!copied) {
      ++progress.filesFailed;
      if (!reportError(item.source, copied)) return outcome;
    }
  }
  if (callbacks.progress) {
    progress.currentFile.clear();
    callbacks.progress(progress);
  }
  return outcome;
}

}  // namespace krax::copy_plan
