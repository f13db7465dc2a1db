#include <minizip/unzip.h>

#include <memory>

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
};

// The whole central directory; false when it cannot be read.
bool ReadDirectory(unzFile zip, std::vector<ZipEntry>& entries) {
  std::vector<char> name(65536);
  int status = unzGoToFirstFile(zip);
  while (status == UNZ_OK) {
    ZipEntry entry;
    if (unzGetCurrentFileInfo64(zip, &entry.info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzGetFilePos64(zip, &entry.position) != UNZ_OK) {
      return false;
    }
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

// Copies the open entry into `out`, never beyond the size the directory declares; "" or
// the reason it failed.
std::string CopyEntryData(unzFile zip, const unz_file_info64& info, PendingFile& out,
                          std::vector<char>& buffer) {
  std::uint64_t left = info.uncompressed_size;
  for (;;) {
    const int got = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (got < 0) return "the entry's data is damaged";
    if (got == 0) break;
    if (static_cast<std::uint64_t>(got) > left) return "the entry holds more data than the zip declares";
    if (!out.Write(buffer.data(), static_cast<std::size_t>(got))) return "cannot write " + out.path() + " (disk full?)";
    left -= static_cast<std::uint64_t>(got);
  }
  if (left != 0) return "the entry holds less data than the zip declares";
  return {};
}

// Extracts the current entry; "" when written (path in `written`), else the reason.
std::string ExtractEntry(unzFile zip, const ZipEntry& entry, SafeDestination& destination,
                         bool overwrite, bool withoutFolders, const ArchiveCallbacks& callbacks,
                         BusyScope& busy, std::vector<char>& buffer, std::string& written) {
  // A folder entry's name ends in a separator: its last folder is the last component.
  auto components = SafeRelativeComponents(entry.name);
  if (!components) return "refused: the name leads outside the destination folder";
  if (zip::IsFolderEntryName(entry.name)) {
    return withoutFolders ? std::string() : destination.MakeFolders(*components);
  }
  if (withoutFolders) components = std::vector<std::string>{components->back()};
  if (entry.info.flag & 1) return "the entry is encrypted";

  std::string problem;
  auto ask = [&](const std::string& path) {
    return overwrite || AskOverwrite(callbacks, busy, path);
  };
  auto out = destination.Begin(*components, ask, problem);
  if (!out) return problem;
  if (unzOpenCurrentFile(zip) != UNZ_OK) return "the entry cannot be read (unknown compression?)";
  problem = CopyEntryData(zip, entry.info, *out, buffer);
  const int closed = unzCloseCurrentFile(zip);
  if (problem.empty() && closed == UNZ_CRCERROR) problem = "the entry's data is damaged (CRC mismatch)";
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
  result.opened = true;
  std::vector<char> buffer(kPieceSize);
  for (const std::string& wanted : names) {
    if (callbacks.StopRequested()) {
      result.failed.emplace_back(wanted, "stopped");
      continue;
    }
    const ZipEntry* found = nullptr;
    for (const ZipEntry& entry : entries) {
      if (EqualsIgnoreCase(entry.name, wanted)) {
        found = &entry;
        break;
      }
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
    const std::string problem = ExtractEntry(zip, *found, destination, overwrite, withoutFolders, callbacks,
                                             busy, buffer, written);
    if (!problem.empty()) {
      result.failed.emplace_back(found->name, problem);
    } else if (!written.empty()) {
      result.written.push_back(written);
    }
  }
  return result;
}

}  // namespace krax
