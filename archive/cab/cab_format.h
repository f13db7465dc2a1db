// The cabinet file format, version 1.3: the four records CFHEADER, CFFOLDER, CFFILE and
// CFDATA (field names are the format's own), the compression type word, the CSUM block
// checksum, and byte-exact parse/serialise helpers shared by the cabinet reader and writer.
//
// All numbers are little-endian and unsigned. Layout of a cabinet file:
//   CFHEADER (36 bytes) [headerReserveSize, folderReserveSize, dataReserveSize, header reserve]
//                       [previousCabinetName, previousDiskName] [nextCabinetName, nextDiskName]
//   CFFOLDER x folderCount (8 + folderReserveSize bytes each)
//   CFFILE   x fileCount   (16 bytes + zero-terminated name), starting at firstFileOffset
//   CFDATA blocks       (8 + dataReserveSize header bytes, then compressedSize bytes), folder by folder
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_order.h"

namespace krax::cab {

// --- sizes and constants ---------------------------------------------------------------
inline constexpr std::uint32_t kSignatureMSCF = 0x4643534Du;  // "MSCF" read little-endian
inline constexpr std::uint32_t kSignatureIncomplete = 0x42414321u;  // "!CAB": writer not done
inline constexpr std::uint16_t kCabVersion = 0x0103;  // versionMajor 1, versionMinor 3
inline constexpr std::size_t kHeaderFixedSize = 36;
inline constexpr std::size_t kReserveFieldsSize = 4;  // headerReserveSize(2) folderReserveSize(1) dataReserveSize(1)
inline constexpr std::size_t kFolderFixedSize = 8;
inline constexpr std::size_t kFileFixedSize = 16;
inline constexpr std::size_t kDataFixedSize = 8;
inline constexpr std::size_t kMaxNameLength = 255;     // characters before the zero byte
inline constexpr std::size_t kMaxNameBytes = 256;      // a name must end within this many
inline constexpr std::size_t kMaxBlockUncompressed = 32768;

// CFHEADER.flags
inline constexpr std::uint16_t kFlagPrevCabinet = 0x0001;
inline constexpr std::uint16_t kFlagNextCabinet = 0x0002;
inline constexpr std::uint16_t kFlagReservePresent = 0x0004;

// CFFILE.folderIndex values for files that cross cabinet boundaries.
inline constexpr std::uint16_t kFolderContinuedFromPrev = 0xFFFD;
inline constexpr std::uint16_t kFolderContinuedToNext = 0xFFFE;
inline constexpr std::uint16_t kFolderContinuedPrevAndNext = 0xFFFF;

// CFFILE.attribs
inline constexpr std::uint16_t kAttribReadOnly = 0x01;
inline constexpr std::uint16_t kAttribHidden = 0x02;
inline constexpr std::uint16_t kAttribSystem = 0x04;
inline constexpr std::uint16_t kAttribArchive = 0x20;
inline constexpr std::uint16_t kAttribRunAfterExtract = 0x40;
inline constexpr std::uint16_t kAttribExtractMask = 0x27;  // the bits kept on extracted files
inline constexpr std::uint16_t kAttribNameIsUtf8 = 0x80;   // name is UTF-8, else an 8-bit code page

// The program's fixed choices when it writes a cabinet.
inline constexpr std::uint16_t kDefaultSetID = 12345;

// --- compression type word (typeCompress) ------------------------------------------------
// bits 0-3 method, bits 8-12 window exponent (LZX and Quantum).
enum class CompressionMethod : std::uint8_t { kNone = 0, kMszip = 1, kQuantum = 2, kLzx = 3 };
inline constexpr std::uint16_t kMethodMask = 0x000F;
inline constexpr std::uint16_t kMethodUnset = 15;  // "no method chosen yet", never in a file
inline constexpr std::uint16_t kTypeLzx21 = 0x1503;  // LZX with a 2 MB window

constexpr std::uint16_t MethodOf(std::uint16_t typeCompress) { return typeCompress & kMethodMask; }
constexpr int WindowBitsOf(std::uint16_t typeCompress) { return (typeCompress >> 8) & 0x1F; }
constexpr std::uint16_t MakeTypeCompress(CompressionMethod method, int windowBits = 0) {
  return static_cast<std::uint16_t>(static_cast<std::uint16_t>(method) |
                                    ((static_cast<unsigned>(windowBits) & 0x1Fu) << 8));
}
// Largest compressedSize the reader accepts for a method (nullopt for an unknown method).
std::optional<std::size_t> MaxCompressedBlockSize(std::uint16_t typeCompress);
// "none", "mszip", "quantum:N", "lzx:N" or "unknown(0xNNNN)".
std::string DescribeTypeCompress(std::uint16_t typeCompress);

// --- records -----------------------------------------------------------------------------
struct CFHEADER {
  std::uint32_t signature = kSignatureMSCF;
  std::uint32_t reserved1 = 0;
  std::uint32_t cabinetSize = 0;
  std::uint32_t reserved2 = 0;
  std::uint32_t firstFileOffset = 0;
  std::uint32_t reserved3 = 0;
  std::uint8_t versionMinor = 3;
  std::uint8_t versionMajor = 1;
  std::uint16_t folderCount = 0;
  std::uint16_t fileCount = 0;
  std::uint16_t flags = 0;
  std::uint16_t setID = 0;
  std::uint16_t cabinetIndex = 0;
  // Optional parts (present according to flags).
  std::uint16_t headerReserveSize = 0;
  std::uint8_t folderReserveSize = 0;
  std::uint8_t dataReserveSize = 0;
  std::vector<std::uint8_t> reserveBytes;  // headerReserveSize bytes
  std::string previousCabinetName, previousDiskName, nextCabinetName, nextDiskName;

  std::uint16_t version() const {
    return static_cast<std::uint16_t>(versionMinor | (versionMajor << 8));
  }
  // Size of the header with all its optional parts, as serialised.
  std::size_t serializedSize() const;
};

struct CFFOLDER {
  std::uint32_t firstBlockOffset = 0;
  std::uint16_t blockCount = 0;
  std::uint16_t typeCompress = 0;
  std::vector<std::uint8_t> reserveBytes;  // folderReserveSize bytes
};

struct CFFILE {
  std::uint32_t fileSize = 0;
  std::uint32_t offsetInFolder = 0;
  std::uint16_t folderIndex = 0;
  std::uint16_t date = 0;
  std::uint16_t time = 0;
  std::uint16_t attribs = 0;
  std::string name;

  std::size_t serializedSize() const { return kFileFixedSize + name.size() + 1; }
};

struct CFDATA {
  std::uint32_t csum = 0;
  std::uint16_t compressedSize = 0;
  std::uint16_t uncompressedSize = 0;  // 0: first part of a block continued in the next cabinet
  std::vector<std::uint8_t> reserveBytes;  // dataReserveSize bytes
};

// --- little-endian helpers: the program's one set, named here for the format's users ----
using krax::AppendLE16;
using krax::AppendLE32;
using krax::LoadLE16;
using krax::LoadLE32;
using krax::StoreLE16;
using krax::StoreLE32;

// --- checksum ----------------------------------------------------------------------------
// CSUM: XOR of the little-endian 32-bit groups, then the 1-3 leftover bytes taken most
// significant first (three bytes c0 c1 c2 -> c0<<16 | c1<<8 | c2).
std::uint32_t Csum(const std::uint8_t* bytes, std::size_t length, std::uint32_t seed);
// The csum a CFDATA block must carry: CSUM over the header bytes from offset 4 to the end
// of its reserve (compressedSize, uncompressedSize, reserve), seeded with CSUM(data, compressedSize, 0).
// `header.reserveBytes` must hold exactly the block reserve; `data` holds compressedSize bytes.
std::uint32_t DataBlockChecksum(const CFDATA& header, const std::uint8_t* data);

// --- serialise (exact on-disk bytes) -----------------------------------------------------
// The header with its optional parts as `flags` says; the reserve fields and reserveBytes are
// written only when flags has kFlagReservePresent (reserveBytes padded/cut to headerReserveSize).
void AppendHeader(std::vector<std::uint8_t>& out, const CFHEADER& header);
// Reserve areas are written as `reserveSize` bytes (reserveBytes padded with zeros / cut).
void AppendFolder(std::vector<std::uint8_t>& out, const CFFOLDER& folder, std::size_t reserveSize);
void AppendFile(std::vector<std::uint8_t>& out, const CFFILE& file);
void AppendDataHeader(std::vector<std::uint8_t>& out, const CFDATA& data, std::size_t reserveSize);

// --- parse ------------------------------------------------------------------------------
// The fixed 36 bytes of a header (optional parts are left default).
CFHEADER ParseHeaderFixed(const std::uint8_t* bytes /* 36 */);
CFFOLDER ParseFolder(const std::uint8_t* bytes, std::size_t reserveSize /* 8 + reserve */);
// The fixed 16 bytes of a file record (the name is read separately).
CFFILE ParseFileFixed(const std::uint8_t* bytes /* 16 */);
CFDATA ParseDataHeader(const std::uint8_t* bytes, std::size_t reserveSize /* 8 + reserve */);
// A stored file name as this program spells file names (UTF-8): as stored when the record's
// attributes mark it UTF-8 (and it is), else read in Windows-1252.
std::string DecodeCabinetName(std::string_view stored, std::uint16_t attribs);
// The attributes a file named `name` (UTF-8) is stored with: `attribs`, with the UTF-8 mark
// for a name that is not plain ASCII.
std::uint16_t AttribsForName(std::string_view name, std::uint16_t attribs);

// A zero-terminated name at the start of `bytes`: nullopt unless the zero byte lies within
// the first kMaxNameBytes bytes and within `bytes`.
std::optional<std::string> ParseName(std::span<const std::uint8_t> bytes);

}  // namespace krax::cab
