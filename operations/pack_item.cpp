#include "operations/pack_item.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "archive/cabinet_create.h"
#include "archive/zip/zip_archive.h"
#include "operations/file_names.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temporary_file.h"

namespace krax {
namespace {

// Group nodes: cars, tracks, a car sub-folder.
bool IsGroupCode(int itemCode) { return itemCode == -1000 || itemCode == -2000 || itemCode == -3000; }

PackResult CreateCabinetFile(const PackPlan& plan, const ArchiveCallbacks& callbacks) {
  PackResult result;
  result.archivePath = plan.archivePath;
  // The writer appends ".CAB" to the base it is given: write under a unique temporary base
  // in the same folder (an empty temporary file holds the name meanwhile), then put the
  // complete cabinet in place.
  const std::string folder = ParentPath(plan.archivePath);
  TemporaryFile marker;
  const FsResult reserved = TemporaryFile::CreateIn(folder, marker);
  if (!reserved.ok()) {
    result.message = "cannot write in " + folder + ": " + std::strerror(reserved.error);
    return result;
  }
  const std::string tempCabinet = marker.path() + ".CAB";
  ArchiveResult why;
  const bool written = CreateCabinetArchive(marker.path(), plan.files, plan.sourceFolder, true, callbacks, {}, why);
  if (!written) {
    result.message = "the cabinet could not be written: " + why.Message();
  } else if (std::rename(tempCabinet.c_str(), plan.archivePath.c_str()) != 0) {
    result.message = "cannot replace " + plan.archivePath + ": " + std::strerror(errno);
  } else {
    result.ok = true;
  }
  if (!result.ok) DeleteFile(tempCabinet);
  return result;
}

}  // namespace

PackPlan PlanPack(const PackRequest& request) {
  PackPlan plan;
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

PackResult RunPack(const PackPlan& plan, PackKind kind, const ArchiveCallbacks& callbacks) {
  if (kind == PackKind::kCabinet) return CreateCabinetFile(plan, callbacks);
  PackResult result;
  result.archivePath = plan.archivePath;
  const ZipCreateResult zip = CreateZipArchive(plan.archivePath, plan.files, plan.sourceFolder, true, callbacks);
  result.ok = zip.ok;
  result.message = zip.message;
  return result;
}

}  // namespace krax
