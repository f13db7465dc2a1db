#include "archive/cab/cab_entries.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_reader.h"
#include "archive/safe_destination.h"
#include "archive/safe_entry_name.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/unique_fd.h"

namespace krax {

namespace {

using cab::CabHandle;
using cab::CabNotification;
using cab::CabNotificationKind;

ArchiveResult Failure(ArchiveStatus status, std::string detail, int systemError = 0) {
  return {status, systemError, std::move(detail)};
}

// Walks the cabinet at `cabPath` and then each following cabinet of its set for the files
// that begin there (a file continued across cabinets is followed by the walk of the
// cabinet it begins in). `notify` sees every notification; `first` tells whether the
// cabinet walked is the one given.
// A walk must start at the first cabinet of a set. With callbacks that ask to stop, the walk
// ends between two writes with ArchiveStatus::kStopped.
ArchiveResult WalkCabinetSet(const std::string& cabPath,
                             const std::function<CabHandle(CabNotification&, bool first)>& notify,
                             std::string* lastNextCabinet, const ArchiveCallbacks* callbacks) {
  if (const std::string problem = cab::NotFirstCabinetProblem(cabPath); !problem.empty()) {
    return Failure(ArchiveStatus::kNotFirstCabinet, problem);
  }
  cab::CabFiles files = cab::PlatformCabFiles();
  bool stopped = false;
  if (callbacks && callbacks->stopRequested) {
    files.write = [write = files.write, callbacks, &stopped](CabHandle handle, const void* buffer, std::size_t count,
                                                             int& error) -> long long {
      stopped = stopped || callbacks->StopRequested();
      return stopped ? -1 : write(handle, buffer, count, error);
    };
  }
  ArchiveResult error;
  auto reader = cab::CabReaderCreate(std::move(files), &error);
  if (!reader) return error;
  const cab::CabinetPathParts parts = cab::SplitCabinetPath(cabPath);
  std::string current = cabPath;
  cab::CFHEADER previous;
  for (unsigned walked = 0;; ++walked) {
    cab::CabDirectory directory;
    ArchiveStatus status = ArchiveStatus::kOk;
    if (!cab::ReadCabinetDirectory(current, directory, status)) {
      if (walked == 0) return Failure(status, current + ": " + ArchiveStatusText(status));
      return Failure(ArchiveStatus::kCabinetOpenFailed, "the cabinet " + current + " of the set is missing or unreadable");
    }
    if (walked > 0 && (directory.header.setID != previous.setID ||
                       directory.header.cabinetIndex != previous.cabinetIndex + 1)) {
      return Failure(ArchiveStatus::kWrongCabinet, "the cabinet " + current + " does not belong to the set");
    }
    previous = directory.header;
    const std::string name = current.substr(parts.folder.size());
    const bool first = walked == 0;
    const bool ok =
        cab::CabReaderCopy(*reader, {name, parts.folder, [&](CabNotification& note) { return notify(note, first); }});
    if (stopped) return Failure(ArchiveStatus::kStopped, "stopped");
    if (!ok) {
      const ArchiveResult& walkError = cab::CabReaderLastError(*reader);
      ArchiveResult result = walkError;
      if (lastNextCabinet && !lastNextCabinet->empty() && walkError.status != ArchiveStatus::kStopped &&
          result.detail.empty()) {
        result.detail = "the following cabinet " + *lastNextCabinet + ": " + ArchiveStatusText(result.status);
      }
      return result;
    }
    if (!(directory.header.flags & cab::kFlagNextCabinet)) return {};
    current = parts.folder + directory.header.nextCabinetName;
  }
}

class ExtractionWalk {
 public:
  explicit ExtractionWalk(const cab::CabExtractRequest& request) : request_(request) {}

  ArchiveResult Run() {
    ArchiveResult result = WalkCabinetSet(
        request_.cabPath, [this](CabNotification& note, bool first) { return OnNotify(note, first); },
        &nextCabinet_, request_.callbacks);
    pending_.reset();  // an unfinished file never replaces anything
    if (result.status == ArchiveStatus::kStopped && message_.empty()) return result;
    if (!result.ok()) {
      if (!message_.empty()) result = Failure(messageStatus_, message_, messageError_);
      return result;
    }
    if (!beganEarlier_.empty()) {
      return Failure(ArchiveStatus::kNotFirstCabinet,
                     request_.cabPath + " is not the first cabinet of its set: \"" + beganEarlier_ +
                         "\" begins in " + earlierCabinet_);
    }
    return result;
  }

 private:
  CabHandle OnNotify(CabNotification& note, bool first) {
    switch (note.kind) {
      case CabNotificationKind::kCopyFile: return OnCopyFile(note);
      case CabNotificationKind::kCloseFileInfo: return OnCloseFile(note);
      case CabNotificationKind::kPartialFile: {
        // In a later cabinet of the set these were extracted by the walk that began them.
        const std::string name = cab::DecodeCabinetName(note.name, 0);
        if (first && beganEarlier_.empty() && (!request_.wanted || request_.wanted(name))) {
          beganEarlier_ = name;
          earlierCabinet_ = note.prevCabinet;
        }
        return 0;
      }
      case CabNotificationKind::kNextCabinet:
        nextCabinet_ = note.cabinetPath + note.nextCabinet;
        return 0;  // try the successor beside this cabinet, once
      default: return 0;
    }
  }

  CabHandle Stop(ArchiveStatus status, std::string message, int systemError = 0) {
    messageStatus_ = status;
    message_ = std::move(message);
    messageError_ = systemError;
    return -1;
  }

  CabHandle OnCopyFile(const CabNotification& note) {
    if (request_.callbacks && request_.callbacks->StopRequested()) return Stop(ArchiveStatus::kStopped, "stopped");
    const std::string name = cab::DecodeCabinetName(note.name, note.attribs);
    if (request_.wanted && !request_.wanted(name)) return 0;
    auto components = SafeRelativeComponents(name);
    if (!components) {
      if (request_.refused) {
        request_.refused(name);
        return 0;
      }
      return Stop(ArchiveStatus::kNameRefused, "refused to write \"" + name + "\": the name leads outside the destination folder");
    }
    if (!destination_) {
      if (!IsFolder(request_.destFolder)) {
        return Stop(ArchiveStatus::kTargetFailed, "the destination folder " + request_.destFolder + " does not exist");
      }
      destination_ = std::make_unique<SafeDestination>(request_.destFolder);
      if (!destination_->ok()) return Stop(ArchiveStatus::kTargetFailed, destination_->problem());
    }
    if (request_.withoutFolders) components = std::vector<std::string>{components->back()};
    // Every folder is opened below its parent, never through a link; the file is written
    // under a temporary name beside its final one.
    std::string problem;
    pending_ = destination_->Begin(*components, nullptr, problem);
    if (!pending_) return Stop(ArchiveStatus::kTargetFailed, problem);
    return pending_->ReleaseFd();  // the reader writes it; we close it at CloseFileInfo
  }

  CabHandle OnCloseFile(const CabNotification& note) {
    UniqueFd handle(static_cast<int>(note.handle));
    std::unique_ptr<PendingFile> pending = std::move(pending_);
    if (handle.reset() != 0) {
      Stop(ArchiveStatus::kTargetFailed, "cannot write " + pending->path() + ": " + std::strerror(errno));
      return 0;
    }
    const std::uint16_t kept = note.attribs & cab::kAttribExtractMask;
    const std::string problem =
        pending->Commit(FromDosDateTime(DosDateTime{note.date, note.time}), (kept & cab::kAttribReadOnly) != 0);
    if (!problem.empty()) {
      Stop(ArchiveStatus::kTargetFailed, problem);
      return 0;
    }
    if (request_.extracted) request_.extracted(cab::DecodeCabinetName(note.name, note.attribs), pending->path());
    return 1;
  }

  const cab::CabExtractRequest& request_;
  ArchiveStatus messageStatus_ = ArchiveStatus::kOk;
  std::string message_;  // why the walk was stopped from here
  int messageError_ = 0;
  std::unique_ptr<SafeDestination> destination_;  // opened at the first file written
  std::unique_ptr<PendingFile> pending_;          // the file being written
  std::string nextCabinet_;  // the last following cabinet the walk asked for
  std::string beganEarlier_, earlierCabinet_;  // a wanted file that begins before the given cabinet
};

}  // namespace

bool ListCabinetEntries(const std::string& cabPath, ArchiveNameList& names, std::size_t capacity,
                        const ArchiveCallbacks* callbacks) {
  ArchiveResult result;
  return ListCabinetEntries(cabPath, names, capacity, callbacks, result);
}

bool ListCabinetEntries(const std::string& cabPath, ArchiveNameList& names, std::size_t capacity,
                        const ArchiveCallbacks* callbacks, ArchiveResult& result) {
  BusyScope busy(callbacks);
  names.clear();
  result = WalkCabinetSet(
      cabPath,
      [&](CabNotification& note, bool) -> CabHandle {
        if (note.kind == CabNotificationKind::kCopyFile && names.size() < capacity) {
          names.push_back(cab::DecodeCabinetName(note.name, note.attribs));
        }
        return 0;
      },
      nullptr, callbacks);
  return result.ok();
}

bool ExtractCabinetEntries(const std::string& cabPath, const ArchiveNameList& names,
                           const std::string& destFolder, const ArchiveCallbacks* callbacks) {
  ArchiveResult result;
  return ExtractCabinetEntries(cabPath, names, destFolder, callbacks, result);
}

bool ExtractCabinetEntries(const std::string& cabPath, const ArchiveNameList& names,
                           const std::string& destFolder, const ArchiveCallbacks* callbacks,
                           ArchiveResult& result) {
  cab::CabExtractRequest request;
  request.cabPath = cabPath;
  request.destFolder = destFolder;
  request.callbacks = callbacks;
  request.wanted = [&names](const std::string& stored) {
    for (const auto& name : names) {
      if (EqualsIgnoreCase(name, stored)) return true;
    }
    return false;
  };
  result = cab::ExtractCabinet(request);
  return result.ok();
}

namespace cab {

ArchiveResult ExtractCabinet(const CabExtractRequest& request) {
  BusyScope busy(request.callbacks);
  return ExtractionWalk(request).Run();
}

}  // namespace cab
}  // namespace krax
