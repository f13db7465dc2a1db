#include <minizip/zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "archive/cabinet_create.h"
#include "archive/zip/zip_archive.h"
#include "archive/zip/zip_names.h"
#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/regular_file.h"
#include "platform/path.h"
#include "platform/temporary_file.h"

namespace krax {
namespace {

constexpr std::size_t kPieceSize = 16384;

// The name in the zip: the path below the base folder, '/' between folders.
std::string ZipEntryName(const std::string& file, const std::string& baseFolder) {
  std::string name = CabinetEntryName(file, baseFolder);
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

ZipCreateResult Failure(std::string message) {
  ZipCreateResult result;
  result.message = std::move(message);
  return result;
}

// Adds one file as a deflated entry; "" on success, else what went wrong.
std::string AddFile(zipFile zip, const std::string& file, const std::string& name,
                    const ArchiveCallbacks& callbacks, std::vector<char>& buffer) {
  // A link, a FIFO or a device is never packed: only the regular file itself is read.
  int error = 0;
  const UniqueFd in = OpenRegularFile(file, error);
  if (!in) return "cannot read " + file + ": " + std::strerror(error);
  zip_fileinfo info{};
  if (const auto when = FileDosTime(file)) {
    info.dosDate = (static_cast<uLong>(when->date) << 16) | when->time;
  }
  const std::uint64_t size = FileSize(file).value_or(0);
  const uLong flags = zip::IsAscii(name) ? 0 : zip::kUtf8NameFlag;
  const int zip64 = size >= 0xFFFFFFFFull ? 1 : 0;
  if (zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                              nullptr, 0, 0, flags, zip64) != ZIP_OK) {
    return "cannot add " + name + " to the zip";
  }
  std::uint64_t done = 0;
  std::string problem;
  for (;;) {
    const long long read = file_io::Read(in.get(), buffer.data(), buffer.size(), error);
    if (read < 0) {
      problem = "cannot read " + file + ": " + std::strerror(error);
      break;
    }
    const auto got = static_cast<std::size_t>(read);
    if (got > 0 && zipWriteInFileInZip(zip, buffer.data(), static_cast<unsigned>(got)) != ZIP_OK) {
      problem = "cannot write the zip (disk full?)";
      break;
    }
    done += got;
    if (callbacks.status) {
      callbacks.status("File " + name + " - Compressing:" + std::to_string(done));
    }
    // Asked after every piece, the last one of a file too: a file of one piece is asked once.
    if (callbacks.StopRequested()) {
      problem = "stopped";
      break;
    }
    if (got < buffer.size()) break;  // end of file
  }
  if (zipCloseFileInZip(zip) != ZIP_OK && problem.empty()) problem = "cannot write the zip (disk full?)";
  return problem;
}

}  // namespace

ZipCreateResult CreateZipArchive(const std::string& zipPath, const std::vector<std::string>& files,
                                 const std::string& baseFolder, bool overwrite,
                                 const ArchiveCallbacks& callbacks) {
  BusyScope busy(&callbacks);
  if (!overwrite && IsFile(zipPath) && !AskOverwrite(callbacks, busy, zipPath)) {
    return Failure("the zip " + zipPath + " exists and was kept");
  }
  if (IsFolder(zipPath)) return Failure(zipPath + " is a folder");

  // Written under a temporary name beside the zip, which it replaces once complete; dropped
  // on any failure.
  TemporaryFile temp;
  const FsResult created = TemporaryFile::CreateIn(ParentPath(zipPath), temp);
  if (!created.ok()) return Failure("cannot create " + zipPath + ": " + std::strerror(created.systemError));
  zipFile zip = zipOpen64(temp.path().c_str(), APPEND_STATUS_CREATE);
  if (!zip) return Failure("cannot create " + zipPath);
  ZipCreateResult result;
  std::vector<char> buffer(kPieceSize);
  for (const std::string& file : files) {
    const std::string name = ZipEntryName(file, baseFolder);
    const std::string problem = AddFile(zip, file, name, callbacks, buffer);
    if (!problem.empty()) {
      result.message = problem;
      result.stopped = callbacks.StopRequested();
      break;
    }
    result.names.push_back(name);
  }
  const bool closed = zipClose(zip, nullptr) == ZIP_OK;
  if (result.message.empty() && !closed) result.message = "cannot write the zip (disk full?)";
  if (result.message.empty()) {
    const FsResult placed = temp.Commit(zipPath);
    if (!placed.ok()) result.message = "cannot replace " + zipPath + ": " + OutputFailureText(zipPath, placed);
  }
  if (!result.message.empty()) {
    result.names.clear();
    return result;
  }
  result.written = true;
  return result;
}

}  // namespace krax
