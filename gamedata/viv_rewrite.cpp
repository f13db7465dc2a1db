#include "gamedata/viv_rewrite.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <limits>
#include <vector>

#include "gamedata/viv_archive.h"
#include "platform/byte_order.h"
#include "platform/file_system.h"

namespace krax {

std::string VivWriteResult::Reason() const {
  switch (status) {
    case VivWriteStatus::kOk: return {};
    case VivWriteStatus::kUnreadable: return "the archive cannot be read";
    case VivWriteStatus::kDamaged: return "damaged archive: its directory points into itself or outside the file";
    case VivWriteStatus::kNoEntry: return "the archive lacks an entry to write into";
    case VivWriteStatus::kTooLarge: return "the archive would become too large";
    case VivWriteStatus::kReadOnly: return "the archive is read-only";
    case VivWriteStatus::kFailed:
      return systemError != 0 ? std::string(std::strerror(systemError)) : std::string("the archive cannot be written");
  }
  return {};
}

std::optional<std::string> EditVivImage(std::string_view archive, const VivEdit& edit, VivWriteStatus& status) {
  status = VivWriteStatus::kDamaged;
  if (archive.size() < kVivHeaderLength) return std::nullopt;
  const VivDirectory directory = ParseVivDirectory(archive);
  if (directory.damaged) return std::nullopt;
  std::size_t directoryLength = 0;
  for (const VivEntry& entry : directory.entries) {
    if (entry.offset < 0 || entry.size < 0 ||
        static_cast<std::uint64_t>(entry.offset) + static_cast<std::uint64_t>(entry.size) > archive.size()) {
      return std::nullopt;
    }
    directoryLength += 9 + entry.name.size();
  }

  // Each entry's new data, and whether any changed its length.
  status = VivWriteStatus::kNoEntry;
  std::vector<std::string> contents(directory.entries.size());
  bool replaced = false;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    const VivEntry& entry = directory.entries[i];
    if (edit.entryData && !replaced && entry.name == edit.entryName) {
      contents[i] = *edit.entryData;
      replaced = true;
    } else {
      contents[i] = archive.substr(static_cast<std::size_t>(entry.offset), static_cast<std::size_t>(entry.size));
    }
  }
  if (edit.entryData && !replaced) return std::nullopt;
  for (const VivFieldWrite& field : edit.fields) {
    for (std::size_t i = 0; i < contents.size(); ++i) {
      if (!field.select(directory.entries[i].name)) continue;
      if (std::uint64_t{field.position} + field.bytes.size() > contents[i].size()) return std::nullopt;
      contents[i].replace(field.position, field.bytes.size(), field.bytes);
    }
  }

  if (!replaced) {
    // The layout stays as it is: only the written bytes differ.
    std::string out(archive);
    for (std::size_t i = 0; i < contents.size(); ++i) {
      out.replace(static_cast<std::size_t>(directory.entries[i].offset), contents[i].size(), contents[i]);
    }
    status = VivWriteStatus::kOk;
    return out;
  }

  std::uint64_t total = kVivHeaderLength + directoryLength;
  for (const std::string& content : contents) total += content.size();
  if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    status = VivWriteStatus::kTooLarge;
    return std::nullopt;
  }
  // The data in the order it had in the file; the replaced entry keeps its place.
  std::vector<std::size_t> order(directory.entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return directory.entries[a].offset < directory.entries[b].offset;
  });
  std::vector<std::uint32_t> offsets(contents.size());
  std::uint64_t at = kVivHeaderLength + directoryLength;
  for (std::size_t i : order) {
    offsets[i] = static_cast<std::uint32_t>(at);
    at += contents[i].size();
  }
  std::string out(archive.substr(0, 12));
  // Bytes 0-11 are kept; the usual total size at 4-7 follows the new length.
  if (LoadBE32(BytesAt(archive, 4)) == archive.size()) {
    out.resize(4);
    AppendBigEndian32(out, static_cast<std::uint32_t>(total));
    out.append(archive.substr(8, 4));
  }
  AppendBigEndian32(out, static_cast<std::uint32_t>(kVivHeaderLength + directoryLength));
  for (std::size_t i = 0; i < contents.size(); ++i) {
    AppendBigEndian32(out, offsets[i]);
    AppendBigEndian32(out, static_cast<std::uint32_t>(contents[i].size()));
    out += directory.entries[i].name;
    out.push_back('\0');
  }
  for (std::size_t i : order) out += contents[i];
  status = VivWriteStatus::kOk;
  return out;
}

VivWriteResult EditVivArchive(std::string_view path, const VivEdit& edit) {
  VivWriteResult result;
  // The permission bits decide, also for a user whom the system would let write anyway.
  if (IsFile(path) && IsReadOnly(path)) {
    result.status = VivWriteStatus::kReadOnly;
    return result;
  }
  const std::optional<std::string> archive = IsFile(path) ? ReadWholeFile(path) : std::nullopt;
  if (!archive) {
    result.status = VivWriteStatus::kUnreadable;
    return result;
  }
  const std::optional<std::string> edited = EditVivImage(*archive, edit, result.status);
  if (!edited) return result;
  const FsResult written = WriteFileAtomic(path, *edited);
  if (!written) {
    result.status = VivWriteStatus::kFailed;
    result.systemError = written.systemError;
  }
  return result;
}

std::optional<std::string> SetCarpSerial(std::string_view carpText, std::string_view serial) {
  const std::string_view key = "(0)\r\n";
  // The text ends at its first zero byte; what follows it is kept as it is.
  const std::string_view text0 = carpText.substr(0, carpText.find('\0'));
  const std::size_t keyAt = text0.find(key);
  if (keyAt == std::string_view::npos) return std::nullopt;
  const std::size_t start = keyAt + key.size();
  std::size_t end = text0.find('\r', start);
  if (end == std::string_view::npos) end = text0.size();
  std::string text(carpText.substr(0, start));
  text += serial;
  text += carpText.substr(end);
  return text;
}

}  // namespace krax
