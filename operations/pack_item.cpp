#include "operations/pack_item.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "archive/cabinet_create.h"
#include "archive/zip/zip_archive.h"
#include "operations/file_names.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/replace_file.h"
#include "platform/temporary_file.h"

namespace krax {
namespace {

// Group nodes: cars, tracks, a car sub-folder.
bool IsGroupCode(int itemCode) { return itemCode == -1000 || itemCode == -2000 || itemCode == -3000; }

PackResult CreateCabinetFile(const PackPlan& plan, const ArchiveCallbacks& callbacks) {
  PackResult result;
  result.archivePath = plan.archivePath;
  // The set is written under its final names into a fresh folder beside the destination
  // (each cabinet of a set names the next one inside it, so the parts cannot be renamed
  // later); once every part is complete they are moved into place, the first part last.
  const std::string folder = ParentPath(plan.archivePath);
  TemporaryFolder staging;
  const FsResult made = TemporaryFolder::CreateIn(folder, staging);
  if (!made.ok()) {
    result.message = "cannot write in " + folder + ": " + std::strerror(made.error);
    return result;
  }
  std::string base = BaseName(plan.archivePath);
  base.resize(base.size() - 4);  // ".CAB"
  ArchiveResult why;
  if (!CreateCabinetArchive(JoinPath(staging.path(), base), plan.files, plan.sourceFolder, true, callbacks,
                            plan.cabinetOptions, why)) {
    result.stopped = why.status == ArchiveStatus::kStopped;
    result.message = result.stopped ? "stopped" : "the cabinet could not be written: " + why.Message();
    return result;
  }
  std::vector<std::string> parts;  // the following cabinets, in order: Name1.CAB, Name2.CAB, ...
  for (int i = 1; IsFile(JoinPath(staging.path(), base + std::to_string(i) + ".CAB")); ++i) {
    parts.push_back(base + std::to_string(i) + ".CAB");
  }
  parts.push_back(base + ".CAB");
  for (const std::string& part : parts) {
    const std::string target = JoinPath(folder, part);
    if (const FsResult placed = ReplaceFileWith(JoinPath(staging.path(), part), target); !placed) {
      result.message = "cannot replace " + target + ": " + std::strerror(placed.error);
      return result;
    }
  }
  parts.pop_back();
  for (const std::string& part : parts) result.followingParts.push_back(JoinPath(folder, part));
  result.ok = true;
  return result;
}

}  // namespace

PackPlan PlanPack(const PackRequest& request) {
  PackPlan plan;
  plan.kind = request.kind;
  if (IsGroupCode(request.itemCode) || request.directory.empty()) {
    plan.problem = "Select a car or a track to pack.";
    return plan;
  }
  if (!IsUsableFileName(request.name)) {
    plan.problem = "The name \"" + request.name + "\" cannot be used as a file name.";
    return plan;
  }
  // A car's Directory is its VIV file: its folder is packed.
  plan.sourceFolder = request.itemCode >= 0 ? ParentPath(request.directory) : request.directory;
  if (plan.sourceFolder.empty()) plan.sourceFolder = request.directory;
  if (!IsFolder(plan.sourceFolder)) {
    plan.problem = "The folder " + plan.sourceFolder + " cannot be read.";
    return plan;
  }
  if (request.archiveFolder.empty() || !IsFolder(request.archiveFolder)) {
    plan.problem = "The folder for compressed files \"" + request.archiveFolder +
                   "\" does not exist. Choose it in Options.";
    return plan;
  }
  for (const DirEntry& entry : ListFolder(plan.sourceFolder)) {
    if (!entry.isFolder) plan.files.push_back(JoinPath(plan.sourceFolder, entry.name));
  }
  plan.archivePath = JoinPath(request.archiveFolder,
                              request.name + (request.kind == PackKind::kZip ? ".zip" : ".CAB"));
  return plan;
}

PackResult RunPack(const PackPlan& plan, const ArchiveCallbacks& callbacks) {
  if (plan.kind == PackKind::kCabinet) return CreateCabinetFile(plan, callbacks);
  PackResult result;
  result.archivePath = plan.archivePath;
  const ZipCreateResult zip = CreateZipArchive(plan.archivePath, plan.files, plan.sourceFolder, true, callbacks);
  result.ok = zip.ok;
  result.message = zip.message;
  result.stopped = zip.stopped;
  return result;
}

}  // namespace krax
