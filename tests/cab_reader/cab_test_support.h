// Helpers for the cabinet reader tests: cabinets assembled record by record, an in-memory
// file system for the reader's client functions, and a client that records notifications.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/cab/cab_format.h"
#include "archive/cab/cab_reader.h"

namespace krax::test {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text);
std::string ToString(const Bytes& bytes);

struct BlockSpec {
  Bytes data;                 // the compressed bytes
  std::uint16_t uncompressedSize = 0;
  enum class Csum { kComputed, kZero, kWrong } csum = Csum::kComputed;
};

struct FolderSpec {
  std::uint16_t typeCompress = 0;
  std::vector<BlockSpec> blocks;
};

struct FileSpec {
  std::string name;
  std::uint32_t fileSize = 0;
  std::uint32_t offsetInFolder = 0;
  std::uint16_t folderIndex = 0;
  std::uint16_t date = 0x5821;  // 2024-01-01
  std::uint16_t time = 0x6000;  // 12:00:00
  std::uint16_t attribs = cab::kAttribArchive;
};

// Bytes [from, from + count) of `data` as one data block (or one part of a cut block).
inline BlockSpec BlockPart(const Bytes& data, std::size_t from, std::size_t count, std::uint16_t uncompressedSize) {
  return {Bytes(data.begin() + static_cast<std::ptrdiff_t>(from),
                data.begin() + static_cast<std::ptrdiff_t>(from + count)),
          uncompressedSize};
}

// A file record with its folder index (0xFFFD..0xFFFF for continued files).
inline FileSpec ListedFile(const std::string& name, std::uint32_t size, std::uint32_t uoff, std::uint16_t folderIndex) {
  FileSpec file;
  file.name = name;
  file.fileSize = size;
  file.offsetInFolder = uoff;
  file.folderIndex = folderIndex;
  return file;
}

struct CabinetSpec {
  std::uint16_t setID = cab::kDefaultSetID;
  std::uint16_t cabinetIndex = 0;
  std::uint16_t version = cab::kCabVersion;
  std::uint32_t signature = cab::kSignatureMSCF;
  bool reserve = false;
  std::uint16_t headerReserveSize = 0;
  std::uint8_t folderReserveSize = 0, dataReserveSize = 0;
  std::string prevCabinet, prevDisk;  // flag 0x0001 when prevCabinet is not empty
  std::string nextCabinet, nextDisk;  // flag 0x0002 when nextCabinet is not empty
  std::vector<FolderSpec> folders;
  std::vector<FileSpec> files;
};

// The cabinet's bytes with every offset, count and checksum filled in.
Bytes BuildCabinet(const CabinetSpec& spec);

// One stored folder holding `contents` back to back, cut into blocks of `blockSize`.
FolderSpec StoredFolder(const std::string& contents, std::size_t blockSize = 32768);
// Files `names` with `contents` laid out back to back in folder `folderIndex`.
std::vector<FileSpec> FilesInFolder(const std::vector<std::pair<std::string, std::string>>& files,
                                    std::uint16_t folderIndex = 0, std::uint32_t firstOffset = 0);
// Concatenated contents.
std::string Joined(const std::vector<std::pair<std::string, std::string>>& files);

// MSZIP blocks ("CK" + raw deflate with the previous block as history) of `contents`.
FolderSpec MszipFolder(const std::string& contents);
// LZX blocks from the program's encoder.
FolderSpec LzxFolder(const std::string& contents, int windowBits);

// Files kept in memory: cabinets by path, written targets by handle.
class MemoryFiles {
 public:
  std::map<std::string, Bytes> files;
  std::map<cab::CabHandle, std::string> written;   // target handle -> bytes written
  int openCabinetHandles = 0;                      // cabinet handles not yet closed
  std::vector<std::string> opened;                 // paths given to open, in order
  std::size_t failWritesAfter = SIZE_MAX;          // bytes accepted per target before failing
  int refuseWritesWith = 0;                        // when set, every write fails with this error

  cab::CabFiles Functions();
  // A new writable handle for a target file.
  cab::CabHandle NewTarget();
  bool IsOpen(cab::CabHandle handle) const { return open_.count(handle) != 0; }

 private:
  struct Open {
    std::string path;
    std::size_t position = 0;
    bool target = false;
  };
  std::map<cab::CabHandle, Open> open_;
  cab::CabHandle next_ = 100;
};

// A client that records each notification as text ("CopyFile a.txt") and extracts every
// file into MemoryFiles targets (or skips / answers as configured).
struct RecordingClient {
  MemoryFiles* files = nullptr;
  std::vector<std::string> events;
  std::map<std::string, std::string> extracted;  // name -> content
  std::vector<cab::CabNotification> notes;
  std::vector<std::string> wanted;                // empty: every file
  cab::CabHandle copyAnswer = 1;                  // 1: extract, 0: skip, -1: stop
  cab::CabHandle closeAnswer = 1;
  cab::CabHandle nextCabinetAnswer = 0;
  std::string nextCabinetPath;                    // when not empty, given as the new path

  cab::CabNotifyFunction Function();
};

// Runs CabReaderCopy on `name` over `files` and returns success; `error` gets the code.
bool Walk(MemoryFiles& files, RecordingClient& client, const std::string& name, ArchiveStatus* error = nullptr);

}  // namespace krax::test
