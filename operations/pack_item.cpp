#include "operations/pack_item.h"

#include "gamedata/car_record.h"
#include "gamedata/code_page.h"
#include "operations/archive_format.h"
#include "operations/file_names.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/regular_file.h"

namespace krax {

std::string CarArchiveName(const CarRecord& car) {
  // Without front-end data the catalog's stand-in name ("NoFEData") names no car.
  const std::string name = car.hasFedata() ? GameTextToUtf8(car.name.value_or(std::string())) : std::string();
  if (!name.empty()) return name;
  std::string folder = BaseName(ParentPath(car.archivePath));
  return folder.empty() ? BaseName(car.archivePath) : folder;
}

PackPlan PlanPack(const PackRequest& request) {
  PackPlan plan;
  plan.kind = request.kind;
  if (request.item.isGroup() || request.directory.empty()) {
    plan.problem = "Select a car or a track to pack.";
    return plan;
  }
  if (!IsUsableFileName(request.name)) {
    plan.problem = "The name \"" + request.name + "\" cannot be used as a file name.";
    return plan;
  }
  // A car's Directory is its VIV file: its folder is packed.
  plan.sourceFolder = request.item.isCar() ? ParentPath(request.directory) : request.directory;
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
    const std::string path = JoinPath(plan.sourceFolder, entry.name);
    const EntryKind kind = KindOfEntry(path);
    if (kind == EntryKind::kRegularFile) {
      plan.files.push_back(path);
    } else if (kind != EntryKind::kFolder && kind != EntryKind::kMissing) {
      plan.leftOut.push_back(entry.name + " (" + EntryKindText(kind) + ")");
    }
  }
  plan.archivePath =
      JoinPath(request.archiveFolder, request.name + std::string(ArchiveFormatFor(request.kind).extension()));
  return plan;
}

PackResult RunPack(const PackPlan& plan, const ArchiveCallbacks& callbacks) {
  const ArchiveWriting written = ArchiveFormatFor(plan.kind).Write(plan.archivePath, plan.files, plan.sourceFolder,
                                                                   plan.cabinetOptions, callbacks);
  PackResult result;
  result.archivePath = plan.archivePath;
  result.ok = written.ok;
  result.stopped = written.stopped;
  result.message = written.message;
  result.followingParts = written.followingParts;
  return result;
}

}  // namespace krax
