#include "archive/cab/cab_entries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "archive/cab/cab_reader.h"
#include "archive/cab/cab_safe_name.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {

using cab::CabHandle;
using cab::CabNotification;
using cab::CabNotificationKind;

// The busy cursor from the start of an operation to its return.
class BusyScope {
 public:
  explicit BusyScope(const ArchiveCallbacks* callbacks) : callbacks_(callbacks) {
    if (callbacks_ && callbacks_->busy) callbacks_->busy(true);
  }
  ~BusyScope() {
    if (callbacks_ && callbacks_->busy) callbacks_->busy(false);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  const ArchiveCallbacks* callbacks_;
};

// The cabinet path split after its last separator: the folder part keeps the separator.
struct CabinetPathParts {
  std::string folder;
  std::string name;
};

CabinetPathParts SplitCabinetPath(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return {"", path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

bool IsCabinetFile(cab::CabReader& reader, const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool isCabinet = cab::CabReaderIsCabinet(reader, fd, nullptr);
  ::close(fd);
  return isCabinet;
}

// A new file beside `finalPath`, renamed over it once complete.
CabHandle CreateTemporaryBeside(const std::string& finalPath, std::string& tempPath) {
  std::string pattern = finalPath + ".kraxtmp-XXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return -1;
  if (fd < 3) {  // keep 0 (= "skip" to the reader) and the standard streams out of use
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    fd = moved;
    if (fd < 0) {
      ::unlink(pattern.c_str());
      return -1;
    }
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);  // read and write, like a newly created file
  tempPath = pattern;
  return fd;
}

class ExtractionWalk {
 public:
  explicit ExtractionWalk(const cab::CabExtractRequest& request) : request_(request) {}

  cab::CabExtractResult Run() {
    BusyScope busy(request_.callbacks);
    cab::CabExtractResult result;
    cab::CabError error;
    auto reader = cab::CabReaderCreate(cab::PosixCabFileFunctions(), 1, &error);
    if (!reader) return Failure(error.code, "");
    if (!IsCabinetFile(*reader, request_.cabPath)) {
      const int code = cab::CabReaderLastError(*reader).code;
      cab::CabReaderDestroy(std::move(reader));
      return Failure(code ? code : cab::kCabReaderNotACabinet,
                     request_.cabPath + " is not a cabinet file");
    }
    const auto parts = SplitCabinetPath(request_.cabPath);
    const bool ok = cab::CabReaderCopy(
        *reader, parts.name, parts.folder, 0,
        [this](CabNotification& note) { return OnNotify(note); }, {}, nullptr);
    const cab::CabError walkError = cab::CabReaderLastError(*reader);
    cab::CabReaderDestroy(std::move(reader));
    if (!tempPath_.empty()) {
      ::unlink(tempPath_.c_str());  // the unfinished file never replaces anything
      tempPath_.clear();
    }
    if (!ok && message_.empty() && !nextCabinet_.empty() && walkError.code != cab::kCabReaderUserAbort) {
      message_ = std::string("the following cabinet ") + nextCabinet_ + ": " +
                 cab::CabReaderErrorText(walkError.code);
    }
    if (!ok) return Failure(walkError.code, message_, walkError.systemError);
    result.ok = true;
    return result;
  }

 private:
  cab::CabExtractResult Failure(int code, const std::string& message, int systemError = 0) {
    cab::CabExtractResult result;
    result.ok = false;
    result.code = code;
    result.message = message.empty() ? cab::CabReaderErrorText(code) : message;
    if (message.empty() && systemError != 0) result.message += std::string(" (") + std::strerror(systemError) + ")";
    return result;
  }

  CabHandle OnNotify(CabNotification& note) {
    switch (note.kind) {
      case CabNotificationKind::kCopyFile: return OnCopyFile(note);
      case CabNotificationKind::kCloseFileInfo: return OnCloseFile(note);
      case CabNotificationKind::kNextCabinet:
        nextCabinet_ = note.cabinetPath + note.nextCabinet;
        return 0;  // try the successor beside this cabinet, once
      default: return 0;
    }
  }

  CabHandle OnCopyFile(const CabNotification& note) {
    if (request_.wanted && !request_.wanted(note.name)) return 0;
    const auto components = cab::SafeRelativeComponents(note.name);
    if (!components) {
      if (request_.refused) {
        request_.refused(note.name);
        return 0;
      }
      message_ = "refused to write \"" + note.name + "\": the name leads outside the destination folder";
      return -1;
    }
    if (!IsFolder(request_.destFolder)) {
      message_ = "the destination folder " + request_.destFolder + " does not exist";
      return -1;
    }
    std::string folder = request_.destFolder;
    const std::size_t folders = request_.withoutFolders ? 0 : components->size() - 1;
    for (std::size_t i = 0; i < folders; ++i) {
      folder = JoinPath(folder, (*components)[i]);
      if (!IsFolder(folder) && !CreateFolder(folder).ok()) {
        message_ = "cannot create the folder " + folder;
        return -1;
      }
    }
    finalPath_ = JoinPath(folder, components->back());
    const CabHandle handle = CreateTemporaryBeside(finalPath_, tempPath_);
    if (handle == -1) {
      message_ = "cannot create " + finalPath_ + ": " + std::strerror(errno);
      return -1;
    }
    return handle;
  }

  CabHandle OnCloseFile(const CabNotification& note) {
    const bool closed = ::close(static_cast<int>(note.handle)) == 0;
    const std::string temp = tempPath_;
    tempPath_.clear();
    if (!closed || std::rename(temp.c_str(), finalPath_.c_str()) != 0) {
      message_ = "cannot write " + finalPath_ + ": " + std::strerror(errno);
      ::unlink(temp.c_str());
      return 0;
    }
    SetFileDosTime(finalPath_, DosDateTime{note.date, note.time});
    const std::uint16_t kept = note.attribs & cab::kAttribExtractMask;
    if (kept & cab::kAttribReadOnly) SetReadOnly(finalPath_, true);
    if (request_.extracted) request_.extracted(note.name, finalPath_);
    return 1;
  }

  const cab::CabExtractRequest& request_;
  std::string message_;
  std::string tempPath_;
  std::string finalPath_;
  std::string nextCabinet_;  // the last following cabinet the walk asked for
};

}  // namespace

bool ListCabinetEntries(const std::string& cabPath, ArchiveNameList& names, std::size_t capacity,
                        const ArchiveCallbacks* callbacks) {
  BusyScope busy(callbacks);
  names.clear();
  cab::CabError error;
  auto reader = cab::CabReaderCreate(cab::PosixCabFileFunctions(), 1, &error);
  if (!reader) return false;
  if (!IsCabinetFile(*reader, cabPath)) {
    cab::CabReaderDestroy(std::move(reader));
    return false;
  }
  const auto parts = SplitCabinetPath(cabPath);
  const bool ok = cab::CabReaderCopy(
      *reader, parts.name, parts.folder, 0,
      [&](CabNotification& note) -> CabHandle {
        if (note.kind == CabNotificationKind::kCopyFile && names.size() < capacity) {
          names.push_back(note.name);
        }
        return 0;
      },
      {}, nullptr);
  return cab::CabReaderDestroy(std::move(reader)) && ok;
}

bool ExtractCabinetEntries(const std::string& cabPath, const ArchiveNameList& names,
                           const std::string& destFolder, const ArchiveCallbacks* callbacks) {
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
  return cab::ExtractCabinet(request).ok;
}

namespace cab {

CabExtractResult ExtractCabinet(const CabExtractRequest& request) {
  return ExtractionWalk(request).Run();
}

}  // namespace cab
}  // namespace krax
