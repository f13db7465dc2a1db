#include "platform/copy_plan.h"

#include <cerrno>

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

// The path a failed file copy is reported by: the destination when the failure lies on its
// side (a read-only or full disk, a read-only folder or file, a folder in the file's place),
// else the source.
const std::string& FailedSide(const std::string& source, const std::string& destination, const FsResult& error) {
  switch (error.systemError) {
    case EROFS:
    case ENOSPC:
    case EISDIR:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return destination;
    case EACCES:
    case EPERM:
      return IsReadOnly(ParentPath(destination)) || IsReadOnly(destination) ? destination : source;
    default:
      return source;
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
      if (!reportError(FailedSide(item.source, item.destination, copied), copied)) return outcome;
    }
  }
  if (callbacks.progress) {
    progress.currentFile.clear();
    callbacks.progress(progress);
  }
  return outcome;
}

FsResult CopyTree(std::string source, const std::string& destination, std::size_t rootLength,
                  const CheckEntry& check, const CopyTreeCallbacks& callbacks, const CopyOneFile& copyFile,
                  const FsResult& cancelled) {
  std::vector<PlannedCopy> plan;
  if (IsWildcard(BaseName(source))) {
    source = ParentPath(source);
    if (!IsFolder(source)) return FsResult{FsStatus::kNotFound, ENOENT};
    PlanTree(source, destination, plan);
  } else {
    if (const FsResult reached = check(source); !reached) return reached;
    std::size_t end = source.size();
    while (end > rootLength && IsSeparator(source[end - 1])) --end;
    source.resize(end);
    PlannedCopy top;
    top.source = source;
    top.destination = JoinPath(destination, DestinationName(ListFolder(destination), BaseName(source)));
    top.isFolder = IsFolder(source);
    top.size = top.isFolder ? 0 : FileSize(source).value_or(0);
    plan.push_back(top);
    if (top.isFolder) PlanTree(top.source, top.destination, plan);
  }
  return RunCopyPlan(plan, destination, callbacks, copyFile, cancelled);
}

FsResult CopyContents(const std::string& from, const std::string& to, const CopyWholeTree& copyTree) {
  FsResult failure;
  CopyTreeCallbacks callbacks;
  callbacks.error = [&failure](const std::string&, const FsResult& error) {
    failure = error;
    return false;
  };
  const FsResult copied = copyTree(JoinPath(from, "*.*"), to, callbacks, /*makeWritable=*/false);
  return !failure ? failure : copied;
}

}  // namespace krax::copy_plan
