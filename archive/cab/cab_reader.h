// CabReader: tests whether a file is a cabinet and walks a cabinet's files, decompressing
// the ones the client asks for into files the client opened. File access goes through the
// client's files (cab_files.h); decisions go through one notification function,
// called for each step of the walk:
//
//   CabinetInfo    after a cabinet (first or following) is opened and its header read
//   Enumerate      before the first file of a cabinet and after its last
//   PartialFile    a file continued from an earlier cabinet, when the walk began here
//   CopyFile       every other file: -1 stop, 0 skip, else the handle to write it into
//   CloseFileInfo  all bytes written: the client closes the handle; 0 means failure
//   NextCabinet    a following cabinet is needed (the client may change the folder path)
//
// A return of -1 from any notification stops the walk with ArchiveStatus::kStopped.
// Files that cross cabinet boundaries are followed into the next cabinets of the set;
// following cabinets must carry the same setID, the next cabinetIndex and the same reserve
// sizes as the first. Skipped files are never decompressed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/cab/cab_decompressor.h"
#include "archive/cab/cab_error.h"
#include "archive/cab/cab_files.h"
#include "archive/cab/cab_format.h"

namespace krax::cab {

struct CabinetInfo {
  std::uint32_t cabinetSize = 0;
  std::uint16_t folderCount = 0;
  std::uint16_t fileCount = 0;
  std::uint16_t setID = 0;
  std::uint16_t cabinetIndex = 0;
  bool hasReserve = false;
  bool hasPrev = false;
  bool hasNext = false;
};

enum class CabNotificationKind {
  kCabinetInfo,
  kPartialFile,
  kCopyFile,
  kCloseFileInfo,
  kNextCabinet,
  kEnumerate,
};

// What a notification carries; fields not listed for a kind are left empty.
struct CabNotification {
  CabNotificationKind kind = CabNotificationKind::kCabinetInfo;
  // CabinetInfo: nextCabinet, nextDisk, cabinetPath, setID, cabinetIndex.
  // PartialFile: name, prevCabinet, prevDisk.
  // CopyFile: name, size, date, time, attribs, folderIndex.
  // CloseFileInfo: name, handle, date, time, attribs (0x40 removed), runAfterExtract, folderIndex.
  // NextCabinet: nextCabinet, nextDisk, cabinetPath (client may change both), previousAttempt.
  // Enumerate: position (offset of the next file record), filesLeft (both may be changed).
  std::string name;
  std::string prevCabinet, prevDisk;
  std::string nextCabinet, nextDisk;
  std::string cabinetPath;
  std::uint32_t size = 0;
  std::uint16_t date = 0, time = 0, attribs = 0;
  std::uint16_t folderIndex = 0;
  bool runAfterExtract = false;
  CabHandle handle = -1;
  std::uint16_t setID = 0, cabinetIndex = 0;
  ArchiveStatus previousAttempt = ArchiveStatus::kOk;  // why the place given last failed
  long long position = 0;
  int filesLeft = 0;
};

// Returns -1 to stop; for CopyFile 0 skips and any other value is an open handle.
using CabNotifyFunction = std::function<CabHandle(CabNotification& notification)>;

class CabReader;
struct CabReaderDeleter {
  void operator()(CabReader* reader) const;
};
using CabReaderPtr = std::unique_ptr<CabReader, CabReaderDeleter>;

// Creates a reader; nullptr with ArchiveStatus::kNoMemory in `error` when memory is short.
// Its files' system error numbers land in ArchiveResult::systemError.
CabReaderPtr CabReaderCreate(CabFiles files, ArchiveResult* error);

// Reads 36 bytes at the handle's position. False with the status left as it was for a short
// read or a signature other than "MSCF"; false with ArchiveStatus::kBadVersion for another
// version; else fills `info`.
bool CabReaderIsCabinet(CabReader& reader, CabHandle handle, CabinetInfo* info);

// One walk: which cabinet, and the function that decides.
struct CabWalkOptions {
  std::string cabinetName;
  std::string cabinetPath;  // its folder, joined as given: ends in its separator or is empty
  CabNotifyFunction notify;
};

// Walks the cabinet the options name. True when the walk came to its end.
bool CabReaderCopy(CabReader& reader, const CabWalkOptions& walk);

// Releases the reader's buffers, decompressor and open handles. Always true.
bool CabReaderDestroy(CabReaderPtr reader);

// The error record the reader fills.
const ArchiveResult& CabReaderLastError(const CabReader& reader);

}  // namespace krax::cab
