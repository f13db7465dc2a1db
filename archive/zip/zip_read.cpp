#include <minizip/unzip.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>

#include "archive/archive_entry_sizes.h"
#include "archive/safe_destination.h"
#include "archive/safe_entry_name.h"
#include "archive/zip/zip_archive.h"
#include "archive/zip/zip_names.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

constexpr std::size_t kPieceSize = 16384;

struct ZipCloser {
  void operator()(void* zip) const { unzClose(static_cast<unzFile>(zip)); }
};
using ZipHandle = std::unique_ptr<void, ZipCloser>;

struct ZipEntry {
  std::string name;  // decoded
  unz64_file_pos position{};
  unz_file_info64 info{};
  ZPOS64_T centralPos = 0;  // where its central directory record begins
};

constexpr std::uint64_t kZip64Mark = 0xFFFFFFFFu;

// Sizes too large for the directory's 32-bit fields are kept in the zip64 extra field (ID
// 1), which holds only the fields marked 0xFFFFFFFF, in the order uncompressed size,
// compressed size. minizip does not always take them from there, so they are read here.
void ApplyZip64Sizes(unz_file_info64& info, const unsigned char* extra, std::size_t length) {
  auto read16 = [&](std::size_t at) { return static_cast<unsigned>(extra[at] | (extra[at + 1] << 8)); };
  auto read64 = [&](std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | extra[at + static_cast<std::size_t>(i)];
    return value;
  };
  for (std::size_t at = 0; at + 4 <= length;) {
    const unsigned id = read16(at), size = read16(at + 2);
    const std::size_t data = at + 4, end = data + size;
    if (end > length) return;
    if (id == 1) {
      std::size_t field = data;
      for (ZPOS64_T* value : {&info.uncompressed_size, &info.compressed_size}) {
        if (*value != kZip64Mark) continue;
        if (field + 8 > end) return;
        *value = read64(field);
        field += 8;
      }
      return;
    }
    at = end;
  }
}

// The whole central directory; false when it cannot be read.
bool ReadDirectory(unzFile zip, std::vector<ZipEntry>& entries) {
  std::vector<char> name(65536);
  std::vector<unsigned char> extra(65536);
  int status = unzGoToFirstFile(zip);
  while (status == UNZ_OK) {
    ZipEntry entry;
    if (unzGetCurrentFileInfo64(zip, &entry.info, name.data(), name.size(), extra.data(), extra.size(), nullptr,
                                0) != UNZ_OK ||
        unzGetFilePos64(zip, &entry.position) != UNZ_OK) {
      return false;
    }
    entry.centralPos = unzGetOffset64(zip);
    ApplyZip64Sizes(entry.info, extra.data(), std::min<std::size_t>(entry.info.size_file_extra, extra.size()));
    const std::size_t length = std::min<std::size_t>(entry.info.size_filename, name.size() - 1);
    entry.name = zip::DecodeZipName(std::string_view(name.data(), length), entry.info.flag, entry.info.version);
    entries.push_back(std::move(entry));
    status = unzGoToNextFile(zip);
  }
  return status == UNZ_END_OF_LIST_OF_FILE;
}

std::int64_t EntryTime(const unz_file_info64& info) {
  return FromDosDateTime(DosDateTime{static_cast<std::uint16_t>(info.dosDate >> 16),
                                     static_cast<std::uint16_t>(info.dosDate & 0xFFFF)});
}

// The name of a compression method this program cannot read, "" for stored and deflate.
std::string UnreadableMethod(unsigned long method) {
  switch (method) {
    case 0:
    case Z_DEFLATED: return {};
    case 1: return "shrink";
    case 2:
    case 3:
    case 4:
    case 5: return "reduce";
    case 6: return "implode";
    case 9: return "deflate64";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 93: return "Zstandard";
    case 95: return "xz";
    case 98: return "PPMd";
    default: return "method " + std::to_string(method);
  }
}

// Why the entry cannot be read whatever its data, or "".
std::string UnreadableEntry(const unz_file_info64& info) {
  // Method 99 is the AES encryption's marker.
  if ((info.flag & 1) != 0 || info.compression_method == 99) {
    return "the entry is encrypted; this program cannot read encrypted entries";
  }
  const std::string method = UnreadableMethod(info.compression_method);
  if (!method.empty()) return "the entry uses a compression method this program cannot read: " + method;
  return {};
}

std::uint64_t ReadLittle(const unsigned char* bytes, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

// Where the entry's data begins, found through its central directory record and local
// header as the zip format describes them (the header's offset may sit in the zip64 extra
// field, which minizip does not follow). nullopt with `problem` empty when the record is not
// where minizip says (a zip behind a prefix): minizip's own way is taken then.
std::optional<std::uint64_t> LocateEntryData(std::ifstream& file, const ZipEntry& entry, std::string& problem) {
  unsigned char record[46];
  file.clear();
  file.seekg(static_cast<std::streamoff>(entry.centralPos));
  if (!file.read(reinterpret_cast<char*>(record), sizeof record) || ReadLittle(record, 4) != 0x02014b50 ||
      ReadLittle(record + 28, 2) != entry.info.size_filename) {
    return std::nullopt;
  }
  const std::size_t nameLength = ReadLittle(record + 28, 2), extraLength = ReadLittle(record + 30, 2);
  std::string name(nameLength, '\0');
  std::vector<unsigned char> extra(extraLength);
  file.read(name.data(), static_cast<std::streamsize>(nameLength));
  file.read(reinterpret_cast<char*>(extra.data()), static_cast<std::streamsize>(extraLength));
  if (!file) return std::nullopt;
  std::uint64_t offset = ReadLittle(record + 42, 4);
  if (offset == kZip64Mark) {
    // The zip64 extra field holds the 64-bit values of the fields marked 0xFFFFFFFF, in order.
    std::size_t skip = (ReadLittle(record + 24, 4) == kZip64Mark ? 8 : 0) + (ReadLittle(record + 20, 4) == kZip64Mark ? 8 : 0);
    bool found = false;
    for (std::size_t at = 0; at + 4 <= extra.size() && !found;) {
      const std::size_t size = ReadLittle(&extra[at + 2], 2), data = at + 4;
      if (ReadLittle(&extra[at], 2) == 1 && data + skip + 8 <= extra.size() && skip + 8 <= size) {
        offset = ReadLittle(&extra[data + skip], 8);
        found = true;
      }
      at = data + size;
    }
    if (!found) {
      problem = "the zip is damaged: the entry's position is missing from its zip64 record";
      return std::nullopt;
    }
  }
  unsigned char local[30];
  file.seekg(static_cast<std::streamoff>(offset));
  std::string localName(nameLength, '\0');
  if (!file.read(reinterpret_cast<char*>(local), sizeof local) || ReadLittle(local, 4) != 0x04034b50 ||
      ReadLittle(local + 8, 2) != entry.info.compression_method || ReadLittle(local + 26, 2) != nameLength ||
      !file.read(localName.data(), static_cast<std::streamsize>(nameLength)) || localName != name) {
    problem = "the zip is damaged: the entry's local header does not match the zip's directory";
    return std::nullopt;
  }
  return offset + sizeof local + nameLength + ReadLittle(local + 28, 2);
}

// Writes a piece of the entry's data into `out`, never beyond the size the directory
// declares; "" or the reason it failed.
std::string TakeData(const char* data, std::size_t size, std::uint64_t& left, uLong& crc, PendingFile& out) {
  if (size > left) return "the entry's data is damaged: it holds more data than the zip declares";
  if (!out.Write(data, size)) return "cannot write " + out.path() + " (disk full?)";
  crc = crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size));
  left -= size;
  return {};
}

// Copies the entry's data, which begins at `offset` of the zip file, into `out`: exactly the
// compressed size the directory declares is read (zip64 sizes included, which minizip's own
// reading does not follow), stored or inflated, and the result checked against the declared
// size and CRC. "" or the reason it failed.
std::string CopyEntryData(std::ifstream& file, std::uint64_t offset, const unz_file_info64& info,
                          PendingFile& out, std::vector<char>& buffer) {
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  const bool stored = info.compression_method == 0;
  z_stream inflater{};
  if (!stored && inflateInit2(&inflater, -MAX_WBITS) != Z_OK) return "out of memory";
  std::unique_ptr<z_stream, int (*)(z_stream*)> ender(stored ? nullptr : &inflater, inflateEnd);
  std::vector<char> unpacked(stored ? 0 : buffer.size());
  std::uint64_t packedLeft = info.compressed_size, left = info.uncompressed_size;
  uLong crc = crc32(0L, Z_NULL, 0);
  bool ended = stored;
  while (packedLeft > 0 && !(ended && !stored)) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), packedLeft));
    if (!file.read(buffer.data(), static_cast<std::streamsize>(want))) return "the zip is cut short inside this entry";
    packedLeft -= want;
    if (stored) {
      if (std::string problem = TakeData(buffer.data(), want, left, crc, out); !problem.empty()) return problem;
      continue;
    }
    inflater.next_in = reinterpret_cast<Bytef*>(buffer.data());
    inflater.avail_in = static_cast<uInt>(want);
    while (inflater.avail_in > 0 && !ended) {
      inflater.next_out = reinterpret_cast<Bytef*>(unpacked.data());
      inflater.avail_out = static_cast<uInt>(unpacked.size());
      const int status = inflate(&inflater, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END) return "the entry's data is damaged";
      ended = status == Z_STREAM_END;
      const std::size_t made = unpacked.size() - inflater.avail_out;
      if (std::string problem = TakeData(unpacked.data(), made, left, crc, out); !problem.empty()) return problem;
    }
  }
  // The last output of a stream whose input is all read.
  while (!ended) {
    inflater.next_out = reinterpret_cast<Bytef*>(unpacked.data());
    inflater.avail_out = static_cast<uInt>(unpacked.size());
    const int status = inflate(&inflater, Z_FINISH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return "the entry's data is damaged";
    const std::size_t made = unpacked.size() - inflater.avail_out;
    if (std::string problem = TakeData(unpacked.data(), made, left, crc, out); !problem.empty()) return problem;
    ended = status == Z_STREAM_END;
    if (!ended && made == 0) return "the entry's data is damaged (its compressed data ends early)";
  }
  if (left != 0) return "the entry holds less data than the zip declares";
  if (crc != info.crc) return "the entry's data is damaged (CRC mismatch)";
  return {};
}

// What every entry of one extraction shares: the open zip, where its files go and how.
struct EntryExtraction {
  unzFile zip;
  std::ifstream& file;  // the same zip, read directly for the entries' data
  SafeDestination& destination;
  bool overwrite;
  bool withoutFolders;
  const ArchiveCallbacks& callbacks;
  BusyScope& busy;
  std::vector<char>& buffer;  // for the pieces copied
};

// Extracts the current entry; "" when written (path in `written`), else the reason.
std::string ExtractEntry(const EntryExtraction& run, const ZipEntry& entry, std::string& written) {
  unzFile zip = run.zip;
  SafeDestination& destination = run.destination;
  std::vector<char>& buffer = run.buffer;
  // A folder entry's name ends in a separator: its last folder is the last component.
  auto components = SafeRelativeComponents(entry.name);
  if (!components) return "refused: the name leads outside the destination folder";
  if (zip::IsFolderEntryName(entry.name)) {
    return run.withoutFolders ? std::string() : destination.MakeFolders(*components);
  }
  if (run.withoutFolders) components = std::vector<std::string>{components->back()};
  if (std::string unreadable = UnreadableEntry(entry.info); !unreadable.empty()) return unreadable;

  std::string problem;
  auto ask = [&](const std::string& path) { return run.overwrite || AskOverwrite(run.callbacks, run.busy, path); };
  auto out = destination.Begin(*components, ask, problem);
  if (!out) return problem;
  // The local header is checked against the directory and shows where the data begins.
  problem.clear();
  std::optional<std::uint64_t> offset = LocateEntryData(run.file, entry, problem);
  if (!problem.empty()) return problem;
  if (!offset) {
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
      return "the zip is damaged: the entry's local header does not match the zip's directory";
    }
    offset = unzGetCurrentFileZStreamPos64(zip);
    unzCloseCurrentFile(zip);
  }
  problem = CopyEntryData(run.file, *offset, entry.info, *out, buffer);
  if (!problem.empty()) return problem;
  problem = out->Commit(EntryTime(entry.info));
  if (problem.empty()) written = out->path();
  return problem;
}

}  // namespace

bool ListZipEntries(const std::string& zipPath, ArchiveNameList& names, std::size_t capacity,
                    const ArchiveCallbacks* callbacks, bool includeEmpty) {
  BusyScope busy(callbacks);
  names.clear();
  ZipHandle zip(unzOpen64(zipPath.c_str()));
  if (!zip) return false;
  std::vector<ZipEntry> entries;
  const bool ok = ReadDirectory(static_cast<unzFile>(zip.get()), entries);
  for (const ZipEntry& entry : entries) {
    if (names.size() >= capacity) break;
    if (entry.info.uncompressed_size != 0 || includeEmpty) names.push_back(entry.name);
  }
  return ok;
}

bool ListZipEntrySizes(const std::string& zipPath, std::vector<ArchiveEntrySize>& sizes) {
  sizes.clear();
  ZipHandle zip(unzOpen64(zipPath.c_str()));
  if (!zip) return false;
  std::vector<ZipEntry> entries;
  const bool ok = ReadDirectory(static_cast<unzFile>(zip.get()), entries);
  for (const ZipEntry& entry : entries) sizes.push_back({entry.name, entry.info.uncompressed_size});
  return ok;
}

ZipExtractResult ExtractZipEntries(const std::string& zipPath, const ArchiveNameList& names,
                                   const std::string& destFolder, bool overwrite, bool withoutFolders,
                                   const ArchiveCallbacks& callbacks) {
  BusyScope busy(&callbacks);
  ZipExtractResult result;
  ZipHandle handle(unzOpen64(zipPath.c_str()));
  std::vector<ZipEntry> entries;
  if (!handle || !ReadDirectory(static_cast<unzFile>(handle.get()), entries)) {
    result.message = zipPath + " is not a readable zip file";
    return result;
  }
  auto zip = static_cast<unzFile>(handle.get());
  SafeDestination destination(destFolder);
  if (!destination.ok()) {
    result.message = destination.problem();
    return result;
  }
  std::ifstream file(zipPath, std::ios::binary);
  if (!file) {
    result.message = zipPath + " is not a readable zip file";
    return result;
  }
  result.opened = true;
  std::vector<char> buffer(kPieceSize);
  const EntryExtraction run{zip, file, destination, overwrite, withoutFolders, callbacks, busy, buffer};
  for (const std::string& wanted : names) {
    if (callbacks.StopRequested()) {
      result.failed.emplace_back(wanted, "stopped");
      continue;
    }
    // The last entry of the name, as unzip tools take it: a zip updated by appending
    // holds the newer file last.
    const ZipEntry* found = nullptr;
    for (const ZipEntry& entry : entries) {
      if (EqualsIgnoreCase(entry.name, wanted)) found = &entry;
    }
    if (!found) {
      result.failed.emplace_back(wanted, "not in the zip");
      continue;
    }
    unz64_file_pos position = found->position;
    if (unzGoToFilePos64(zip, &position) != UNZ_OK) {
      result.failed.emplace_back(wanted, "the zip's directory is damaged");
      continue;
    }
    std::string written;
    const std::string problem = ExtractEntry(run, *found, written);
    if (!problem.empty()) {
      result.failed.emplace_back(found->name, problem);
    } else if (!written.empty()) {
      result.written.push_back(written);
    }
  }
  return result;
}

}  // namespace krax
