// The cabinet writer: turns a sequence of source files into one cabinet file, or into a
// set of cabinets once a size limit is reached.
//
// Everything outside the writer goes through the client: file access (cab_files.h), memory for the block buffers,
// temporary-file names, and, per call, the next-cabinet, progress and open-source functions. Folders and cabinets are
// assembled in temporary files, so memory use does not grow with the archive.
//
// Calling order: CabWriterCreate, any number of CabWriterAddFile, CabWriterFlushCabinet,
// CabWriterDestroy. Every failure fills the ArchiveResult given at creation and makes the call
// return false (creation returns nullptr); after a failure only destroy is useful.
//
// A cabinet file is written with "!CAB" in place of its signature; "MSCF" is the last
// thing written, so an interrupted cabinet is never taken for a complete one. A cabinet
// file whose writing fails is deleted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/cab/cab_error.h"
#include "archive/cab/cab_files.h"

namespace krax::cab {

struct CabinetParameters {
  std::uint32_t maxCabinetSize = 0;   // 0 means kDefaultMaxCabinetSize (cab_writer.cpp)
  std::uint32_t folderThreshold = 0;  // a folder is closed after a file once it compresses to more
  unsigned headerReserve = 0;         // reserved bytes per cabinet header, 0..65535
  unsigned folderReserve = 0;         // reserved bytes per folder entry, 0..255
  unsigned dataReserve = 0;           // reserved bytes per data block, 0..255
  int cabinetIndex = 0;               // incremented in the copy prepared for a following cabinet
  int diskIndex = 0;
  std::uint16_t setID = 0;
  std::string diskName;               // at most 255 characters each
  std::string cabinetName;
  std::string cabinetFolder;          // ends in its separator; the file is cabinetFolder + cabinetName
};

// Progress kinds.
enum class CabStatusKind {
  kFile,     // a block was compressed: (compressed bytes, uncompressed bytes)
  kFolder,   // a folder is placed / the cabinet is assembled: (bytes so far, estimated size)
  kCabinet,  // a cabinet file was completed: (estimated size, actual size)
};

// What the writer is given at creation: file access (cab_files.h), memory for the block
// buffers and the namer of its temporary files.
struct CabWriterClient {
  CabFiles files;
  std::function<void*(std::size_t size)> allocate;  // nullptr on failure
  std::function<void(void* block)> release;
  // Fills `buffer` (of `size` bytes) with a zero-terminated unused file name; false when it cannot.
  std::function<bool(char* buffer, std::size_t size)> tempName;
};

// Per-call client functions.
// Gets the copy of the parameters prepared for the following cabinet (cabinetIndex already
// incremented) and the estimated size of the current one; sets at least cabinetName. -1 stops.
using CabNextCabinetFn = std::function<int(CabinetParameters& next, std::uint32_t estimate)>;
// -1 stops; for CabStatusKind::kCabinet any other value is subtracted from the following cabinet's maxCabinetSize.
using CabProgressFn = std::function<long(CabStatusKind kind, std::uint32_t first, std::uint32_t second)>;
// Opens a source file for reading and gives its DOS date, time and attributes; -1 on failure.
using CabOpenSourceFn = std::function<CabHandle(const std::string& name, std::uint16_t& date,
                                                std::uint16_t& time, std::uint16_t& attribs, int& err)>;

class CabWriter;
// Dropping a writer without CabWriterDestroy still removes its temporary files.
struct CabWriterDeleter {
  void operator()(CabWriter* writer) const;
};
using CabWriterPtr = std::unique_ptr<CabWriter, CabWriterDeleter>;

// The counts the format stores in 16 bits. A cabinet with as many file records as it may
// hold is closed and the next file begins the following cabinet; a folder with more data
// blocks in one cabinet than it may hold fails with ArchiveStatus::kFormatLimit.
struct CabWriterLimits {
  std::uint32_t filesPerCabinet = 0xFFFF;    // fileCount
  std::uint32_t foldersPerCabinet = 0xFFFD;  // folderCount; folderIndex 0xFFFD and up are taken
  std::uint32_t blocksPerFolder = 0xFFFF;    // blockCount of one folder in one cabinet
  std::uint32_t cabinetsPerSet = 0x10000;    // cabinetIndex 0 to 0xFFFF
};

// What a writer is set up with. The three functions serve every add and flush.
struct CabWriterOptions {
  CabinetParameters cabinet;  // of the first cabinet
  CabWriterLimits limits;     // the format's own unless a test asks for less to reach them quickly
  // The effort of the LZX compressors (1 = fast up to lzx::kLzxMaxLevel); the output format
  // is the same at every level.
  int lzxLevel = 1;
  CabNextCabinetFn nextCabinet;
  CabProgressFn progress;
  CabOpenSourceFn openSource;
};

CabWriterPtr CabWriterCreate(ArchiveResult& error, CabWriterClient client, const CabWriterOptions& options);

// One file to add at the end of the current folder.
struct CabWriterFile {
  std::string sourceName;     // opened through options.openSource
  std::string nameInCabinet;
  std::uint16_t typeCompress = 0;  // the folder's compression type word
  bool runAfterExtract = false;
};
bool CabWriterAddFile(CabWriter& writer, const CabWriterFile& file);

// Closes the current folder and writes the cabinet; with forceNextCabinet only the folder
// is closed and a following cabinet started.
bool CabWriterFlushCabinet(CabWriter& writer, bool forceNextCabinet = false);

// Closes and deletes every temporary file and releases the memory; true when every close
// and delete succeeded. (Dropping the writer without this does the same, ignoring errors.)
bool CabWriterDestroy(CabWriterPtr writer);

}  // namespace krax::cab
