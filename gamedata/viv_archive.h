// The car archive car.viv: a 16-byte header whose bytes 12-15 hold the big-endian end of the
// directory, a directory of (offset, size, zero-terminated name) entries, then the entries'
// data. Here the program reads the directory and single entries; every change to an archive
// writes a complete new one (gamedata/viv_rewrite.h).
//
// Damaged archives are read up to their last sound entry: a directory end below 16 (or a
// file shorter than the header) gives an empty directory, a directory end past the end of
// the file is cut at the end of the file, and the entries stop before the first one whose
// fields or name run past the directory, whose offset or size is beyond 2 GB, or that would
// be the hundredth. `VivDirectory::damaged` tells that something was left out. An entry
// whose data lies outside the file stays listed, but reading it fails (ReadVivEntry). An
// entry whose data overlaps the header, the directory or another entry's data is damage too:
// it stays listed, marked `overlaps`, and is never read as data.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

inline constexpr std::size_t kVivHeaderLength = 16;
inline constexpr std::size_t kVivMaxEntries = 99;  // plus the end mark: 100 slots
inline constexpr std::size_t kVivFirstRead = 1024;  // bytes read at once when opening

struct VivEntry {
  std::string name;      // byte-exact as stored, case preserved
  std::int32_t offset = -1;  // of the first data byte, from the start of the file
  std::int32_t size = -1;
  bool overlaps = false;  // its data overlaps the header, the directory or another entry
};

// The directory of one archive, as read by the last load.
struct VivDirectory {
  std::uint32_t length = 0;        // L = directory end - 16, as the header states it
  std::vector<VivEntry> entries;   // in file order, at most kVivMaxEntries
  bool damaged = false;            // the header or some entry was unsound (left out or overlapping)

  std::uint32_t count() const { return static_cast<std::uint32_t>(entries.size()); }
  // The first entry named exactly `name` (byte-exact), or nullptr.
  const VivEntry* find(std::string_view name) const;
};

// An archive opened for reading (shared: others may read and write it meanwhile).
class VivFile {
 public:
  VivFile() = default;
  ~VivFile();
  VivFile(VivFile&& other) noexcept;
  VivFile& operator=(VivFile&& other) noexcept;
  VivFile(const VivFile&) = delete;
  VivFile& operator=(const VivFile&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  explicit operator bool() const { return isOpen(); }
  void Close();

 private:
  friend VivFile ReadVivDirectory(std::string_view path, VivDirectory& directory);
  friend std::optional<std::string> ReadVivEntry(VivFile& file, const VivEntry& entry);
  std::FILE* file_ = nullptr;
  std::string head_;  // the file's first bytes, as read with the directory
};

// Opens the archive at `path` (used as spelled) and reads its directory into `directory`.
// Returns the open file, or a closed one (and `directory` unchanged) when the path is not a
// readable file. A damaged archive still opens; see the note at the top.
VivFile ReadVivDirectory(std::string_view path, VivDirectory& directory);

// The entry's data; std::string keeps a zero byte after it, so text entries can be searched
// as zero-terminated text. nullopt when the data runs past the end of the file or cannot be
// read.
std::optional<std::string> ReadVivEntry(VivFile& file, const VivEntry& entry);

// Parses the header and directory bytes the way ReadVivDirectory parses the file.
VivDirectory ParseVivDirectory(std::string_view headerAndDirectory);

}  // namespace krax
