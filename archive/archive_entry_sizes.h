// The sizes an archive's directory declares for its entries, without reading their data:
// what an install adds up before it asks whether the files fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace krax {

struct ArchiveEntrySize {
  std::string name;        // as the archive's listing gives it
  std::uint64_t size = 0;  // uncompressed bytes
};

// Every entry of a zip (folders included), in directory order. False when it is no
// readable zip.
bool ListZipEntrySizes(const std::string& zipPath, std::vector<ArchiveEntrySize>& entries);

// Every file of a cabinet and of the following cabinets of its set that can be found, each
// file once. False when the first cabinet cannot be read.
bool ListCabinetEntrySizes(const std::string& cabPath, std::vector<ArchiveEntrySize>& entries);

}  // namespace krax
