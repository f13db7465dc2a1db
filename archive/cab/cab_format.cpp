#include "archive/cab/cab_format.h"

#include <algorithm>
#include <cstdio>

#include "archive/lzx/lzx_constants.h"
#include "archive/mszip/mszip_encoder.h"
#include "archive/quantum/quantum_tables.h"
#include "platform/utf8.h"

namespace krax::cab {

std::optional<std::size_t> MaxCompressedBlockSize(std::uint16_t typeCompress) {
  switch (MethodOf(typeCompress)) {
    case static_cast<std::uint16_t>(CompressionMethod::kNone): return kMaxBlockUncompressed;
    case static_cast<std::uint16_t>(CompressionMethod::kMszip): return mszip::kMszipMaxBlockOutput;
    case static_cast<std::uint16_t>(CompressionMethod::kQuantum): return quantum::kMaxCompressedFrame;
    case static_cast<std::uint16_t>(CompressionMethod::kLzx): return lzx::kMaxCompressedFrame;
    default: return std::nullopt;
  }
}

std::string DescribeTypeCompress(std::uint16_t typeCompress) {
  char text[32];
  switch (MethodOf(typeCompress)) {
    case static_cast<std::uint16_t>(CompressionMethod::kNone): return "none";
    case static_cast<std::uint16_t>(CompressionMethod::kMszip): return "mszip";
    case static_cast<std::uint16_t>(CompressionMethod::kQuantum):
      std::snprintf(text, sizeof text, "quantum:%d", WindowBitsOf(typeCompress));
      return text;
    case static_cast<std::uint16_t>(CompressionMethod::kLzx):
      std::snprintf(text, sizeof text, "lzx:%d", WindowBitsOf(typeCompress));
      return text;
    default:
      std::snprintf(text, sizeof text, "unknown(0x%04X)", typeCompress);
      return text;
  }
}

std::size_t CFHEADER::serializedSize() const {
  std::size_t size = kHeaderFixedSize;
  if (flags & kFlagReservePresent) size += kReserveFieldsSize + headerReserveSize;
  if (flags & kFlagPrevCabinet) size += previousCabinetName.size() + 1 + previousDiskName.size() + 1;
  if (flags & kFlagNextCabinet) size += nextCabinetName.size() + 1 + nextDiskName.size() + 1;
  return size;
}

std::uint32_t Csum(const std::uint8_t* bytes, std::size_t length, std::uint32_t seed) {
  std::uint32_t acc = seed;
  std::size_t i = 0;
  for (; i + 4 <= length; i += 4) acc ^= LoadLE32(bytes + i);
  std::uint32_t tail = 0;
  switch (length - i) {  // leftover bytes, most significant first
    case 3: tail = (std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) | bytes[i + 2]; break;
    case 2: tail = (std::uint32_t{bytes[i]} << 8) | bytes[i + 1]; break;
    case 1: tail = bytes[i]; break;
    default: break;
  }
  return acc ^ tail;
}

std::uint32_t DataBlockChecksum(const CFDATA& header, const std::uint8_t* data) {
  std::vector<std::uint8_t> bytes;
  AppendDataHeader(bytes, header, header.reserveBytes.size());
  const std::uint32_t seed = Csum(data, header.compressedSize, 0);
  return Csum(bytes.data() + 4, bytes.size() - 4, seed);
}

namespace {

void AppendString(std::vector<std::uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

void AppendReserve(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& reserve,
                   std::size_t size) {
  const std::size_t copied = std::min(size, reserve.size());
  out.insert(out.end(), reserve.begin(), reserve.begin() + static_cast<std::ptrdiff_t>(copied));
  out.insert(out.end(), size - copied, 0);
}

}  // namespace

void AppendHeader(std::vector<std::uint8_t>& out, const CFHEADER& h) {
  AppendLE32(out, h.signature);
  AppendLE32(out, h.reserved1);
  AppendLE32(out, h.cabinetSize);
  AppendLE32(out, h.reserved2);
  AppendLE32(out, h.firstFileOffset);
  AppendLE32(out, h.reserved3);
  out.push_back(h.versionMinor);
  out.push_back(h.versionMajor);
  AppendLE16(out, h.folderCount);
  AppendLE16(out, h.fileCount);
  AppendLE16(out, h.flags);
  AppendLE16(out, h.setID);
  AppendLE16(out, h.cabinetIndex);
  if (h.flags & kFlagReservePresent) {
    AppendLE16(out, h.headerReserveSize);
    out.push_back(h.folderReserveSize);
    out.push_back(h.dataReserveSize);
    AppendReserve(out, h.reserveBytes, h.headerReserveSize);
  }
  if (h.flags & kFlagPrevCabinet) {
    AppendString(out, h.previousCabinetName);
    AppendString(out, h.previousDiskName);
  }
  if (h.flags & kFlagNextCabinet) {
    AppendString(out, h.nextCabinetName);
    AppendString(out, h.nextDiskName);
  }
}

void AppendFolder(std::vector<std::uint8_t>& out, const CFFOLDER& folder, std::size_t reserveSize) {
  AppendLE32(out, folder.firstBlockOffset);
  AppendLE16(out, folder.blockCount);
  AppendLE16(out, folder.typeCompress);
  AppendReserve(out, folder.reserveBytes, reserveSize);
}

void AppendFile(std::vector<std::uint8_t>& out, const CFFILE& file) {
  AppendLE32(out, file.fileSize);
  AppendLE32(out, file.offsetInFolder);
  AppendLE16(out, file.folderIndex);
  AppendLE16(out, file.date);
  AppendLE16(out, file.time);
  AppendLE16(out, file.attribs);
  AppendString(out, file.name);
}

void AppendDataHeader(std::vector<std::uint8_t>& out, const CFDATA& data, std::size_t reserveSize) {
  AppendLE32(out, data.csum);
  AppendLE16(out, data.compressedSize);
  AppendLE16(out, data.uncompressedSize);
  AppendReserve(out, data.reserveBytes, reserveSize);
}

CFHEADER ParseHeaderFixed(const std::uint8_t* b) {
  CFHEADER h;
  h.signature = LoadLE32(b);
  h.reserved1 = LoadLE32(b + 4);
  h.cabinetSize = LoadLE32(b + 8);
  h.reserved2 = LoadLE32(b + 12);
  h.firstFileOffset = LoadLE32(b + 16);
  h.reserved3 = LoadLE32(b + 20);
  h.versionMinor = b[24];
  h.versionMajor = b[25];
  h.folderCount = LoadLE16(b + 26);
  h.fileCount = LoadLE16(b + 28);
  h.flags = LoadLE16(b + 30);
  h.setID = LoadLE16(b + 32);
  h.cabinetIndex = LoadLE16(b + 34);
  return h;
}

CFFOLDER ParseFolder(const std::uint8_t* b, std::size_t reserveSize) {
  CFFOLDER folder;
  folder.firstBlockOffset = LoadLE32(b);
  folder.blockCount = LoadLE16(b + 4);
  folder.typeCompress = LoadLE16(b + 6);
  folder.reserveBytes.assign(b + kFolderFixedSize, b + kFolderFixedSize + reserveSize);
  return folder;
}

CFFILE ParseFileFixed(const std::uint8_t* b) {
  CFFILE file;
  file.fileSize = LoadLE32(b);
  file.offsetInFolder = LoadLE32(b + 4);
  file.folderIndex = LoadLE16(b + 8);
  file.date = LoadLE16(b + 10);
  file.time = LoadLE16(b + 12);
  file.attribs = LoadLE16(b + 14);
  return file;
}

CFDATA ParseDataHeader(const std::uint8_t* b, std::size_t reserveSize) {
  CFDATA data;
  data.csum = LoadLE32(b);
  data.compressedSize = LoadLE16(b + 4);
  data.uncompressedSize = LoadLE16(b + 6);
  data.reserveBytes.assign(b + kDataFixedSize, b + kDataFixedSize + reserveSize);
  return data;
}

std::optional<std::string> ParseName(std::span<const std::uint8_t> bytes) {
  const std::size_t limit = std::min(bytes.size(), kMaxNameBytes);
  for (std::size_t i = 0; i < limit; ++i) {
    if (bytes[i] == 0) return std::string(reinterpret_cast<const char*>(bytes.data()), i);
  }
  return std::nullopt;
}

std::string DecodeCabinetName(std::string_view stored, std::uint16_t attribs) {
  if ((attribs & kAttribNameIsUtf8) && IsValidUtf8(stored)) return std::string(stored);
  return Windows1252ToUtf8(stored);
}

std::uint16_t AttribsForName(std::string_view name, std::uint16_t attribs) {
  for (const char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return static_cast<std::uint16_t>(attribs | kAttribNameIsUtf8);
  }
  return attribs;
}

}  // namespace krax::cab
