#include "gamedata/viv_archive.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/byte_order.h"

namespace krax {
namespace {

bool SeekTo(std::FILE* file, std::uint64_t offset) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

// Fills `directory` from the directory bytes (those after the header, possibly fewer than L).
void ParseEntries(std::string_view bytes, VivDirectory& directory) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t length = bytes.size();
  std::size_t p = 0;
  directory.entries.reserve(std::min<std::size_t>(kVivMaxEntries, length / 10 + 1));
  // An entry starts wherever at least four bytes remain; anything shorter is padding.
  while (p + 3 < length) {
    if (directory.entries.size() == kVivMaxEntries) {
      directory.damaged = true;
      return;
    }
    if (length - p < 9) {
      directory.damaged = true;  // offset, size or the name's zero byte cut off
      return;
    }
    const std::uint32_t offset = LoadBE32(data + p);
    const std::uint32_t size = LoadBE32(data + p + 4);
    const std::size_t nameStart = p + 8;
    const void* zero = std::memchr(data + nameStart, 0, length - nameStart);
    if (zero == nullptr) {
      directory.damaged = true;
      return;
    }
    const std::size_t nameLength = static_cast<const unsigned char*>(zero) - (data + nameStart);
    constexpr auto kMax = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    if (offset > kMax || size > kMax) {
      directory.damaged = true;  // no archive of the game comes near 2 GB
      return;
    }
    directory.entries.push_back(VivEntry{std::string(bytes.substr(nameStart, nameLength)),
                                         static_cast<std::int32_t>(offset),
                                         static_cast<std::int32_t>(size)});
    p = nameStart + nameLength + 1;
  }
}

// Marks every entry whose data shares a byte with the header and directory (the first `end`
// bytes) or with another entry's data; empty entries overlap nothing.
void MarkOverlaps(VivDirectory& directory, std::uint64_t end) {
  std::vector<std::size_t> order;
  order.reserve(directory.entries.size());
  for (std::size_t i = 0; i < directory.entries.size(); ++i) {
    if (directory.entries[i].size > 0) order.push_back(i);
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return directory.entries[a].offset < directory.entries[b].offset;
  });
  std::optional<std::size_t> furthest;  // the entry reaching furthest so far
  std::uint64_t reach = 0;
  for (std::size_t i : order) {
    VivEntry& entry = directory.entries[i];
    const auto offset = static_cast<std::uint64_t>(entry.offset);
    const std::uint64_t entryEnd = offset + static_cast<std::uint64_t>(entry.size);
    if (offset < end) entry.overlaps = true;
    if (furthest && offset < reach) {
      entry.overlaps = true;
      directory.entries[*furthest].overlaps = true;
    }
    if (!furthest || entryEnd > reach) {
      furthest = i;
      reach = entryEnd;
    }
    directory.damaged = directory.damaged || entry.overlaps;
  }
}

}  // namespace

const VivEntry* VivDirectory::find(std::string_view name) const {
  for (const VivEntry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

VivFile::~VivFile() { Close(); }

VivFile::VivFile(VivFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      head_(std::move(other.head_)) {}

VivFile& VivFile::operator=(VivFile&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, nullptr);
    head_ = std::move(other.head_);
  }
  return *this;
}

void VivFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  head_ = std::string();
}

VivDirectory ParseVivDirectory(std::string_view image) {
  VivDirectory directory;
  if (image.size() < kVivHeaderLength) {
    directory.damaged = true;
    return directory;
  }
  const std::uint32_t end = LoadBE32(reinterpret_cast<const unsigned char*>(image.data()) + 12);
  if (end < kVivHeaderLength) {
    directory.damaged = true;
    return directory;
  }
  directory.length = end - kVivHeaderLength;
  std::string_view bytes = image.substr(kVivHeaderLength);
  if (bytes.size() > directory.length) bytes = bytes.substr(0, directory.length);
  if (bytes.size() < directory.length) directory.damaged = true;  // cut by the end of the file
  ParseEntries(bytes, directory);
  MarkOverlaps(directory, std::uint64_t{end});
  return directory;
}

VivFile ReadVivDirectory(std::string_view path, VivDirectory& directory) {
  VivFile result;
  const std::string name(path);
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return result;
  // Reads go straight to our own buffers: the first read takes the header, the directory
  // and often the small entries behind it at once.
  std::setvbuf(file, nullptr, _IONBF, 0);
  result.file_ = file;

  std::string& head = result.head_;
  head.resize(kVivFirstRead);
  head.resize(std::fread(head.data(), 1, head.size(), file));
  if (std::ferror(file)) {
    result.Close();  // not a readable file (a folder named car.viv, an I/O error)
    return result;
  }
  std::string_view image = head;
  std::string whole;
  if (head.size() == kVivFirstRead) {
    const std::uint32_t end = LoadBE32(reinterpret_cast<const unsigned char*>(head.data()) + 12);
    if (end > head.size()) {
      // A directory longer than the first read: read the rest, as far as the file goes.
      whole = head;
      std::size_t got = head.size();
      constexpr std::size_t kStep = 1 << 16;
      while (got < end) {
        whole.resize(std::min<std::size_t>(end, got + kStep));
        const std::size_t n = std::fread(whole.data() + got, 1, whole.size() - got, file);
        got += n;
        if (n == 0) break;
      }
      whole.resize(got);
      image = whole;
    }
  }
  directory = ParseVivDirectory(image);
  return result;
}

std::optional<std::string> ReadVivEntry(VivFile& file, const VivEntry& entry) {
  if (!file.isOpen() || entry.offset < 0 || entry.size < 0 || entry.overlaps) return std::nullopt;
  const auto offset = static_cast<std::size_t>(entry.offset);
  const auto size = static_cast<std::size_t>(entry.size);
  if (offset + size <= file.head_.size()) return file.head_.substr(offset, size);
  if (file.head_.size() < kVivFirstRead) return std::nullopt;  // the whole file is in head_
  if (!SeekTo(file.file_, offset)) return std::nullopt;
  // Read in steps so that a size the file does not hold costs no huge allocation.
  std::string data;
  constexpr std::size_t kStep = 1 << 20;
  while (data.size() < size) {
    const std::size_t before = data.size();
    data.resize(std::min(size, before + kStep));
    if (std::fread(data.data() + before, 1, data.size() - before, file.file_) != data.size() - before) {
      return std::nullopt;  // the data runs past the end of the file
    }
  }
  return data;
}

}  // namespace krax
