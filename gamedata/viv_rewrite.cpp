#include "gamedata/viv_rewrite.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "gamedata/viv_archive.h"
#include "platform/byte_order.h"
#include "platform/file_system.h"

namespace krax {

std::optional<std::string> RebuildVivArchive(std::string_view archive, std::string_view entryName,
                                             std::string_view data) {
  if (archive.size() < kVivHeaderLength) return std::nullopt;
  const VivDirectory directory = ParseVivDirectory(archive);
  if (directory.damaged) return std::nullopt;
  bool found = false;
  std::size_t directoryLength = 0;
  for (const VivEntry& entry : directory.entries) {
    if (entry.offset < 0 || entry.size < 0 ||
        static_cast<std::uint64_t>(entry.offset) + static_cast<std::uint64_t>(entry.size) > archive.size()) {
      return std::nullopt;
    }
    directoryLength += 9 + entry.name.size();
    found = found || entry.name == entryName;
  }
  if (!found) return std::nullopt;

  // The data in the order it had in the file; the replaced entry keeps its place.
  std::vector<std::size_t> order(directory.entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return directory.entries[a].offset < directory.entries[b].offset;
  });
  bool replaced = false;
  std::vector<std::string_view> contents(directory.entries.size());
  for (std::size_t i = 0; i < contents.size(); ++i) {
    const VivEntry& entry = directory.entries[i];
    if (!replaced && entry.name == entryName) {
      contents[i] = data;
      replaced = true;
    } else {
      contents[i] = archive.substr(static_cast<std::size_t>(entry.offset), static_cast<std::size_t>(entry.size));
    }
  }
  std::uint64_t total = kVivHeaderLength + directoryLength;
  for (std::string_view content : contents) total += content.size();
  if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return std::nullopt;

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
  return out;
}

bool ReplaceVivEntry(std::string_view path, std::string_view entryName, std::string_view data) {
  const std::optional<std::string> archive = ReadWholeFile(path);
  if (!archive) return false;
  const std::optional<std::string> rebuilt = RebuildVivArchive(*archive, entryName, data);
  return rebuilt && WriteFileAtomic(path, *rebuilt).ok();
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
