// Fuzz target: the whole cabinet walk over arbitrary bytes. The input is one cabinet (and,
// when it names a following cabinet, the same bytes serve as that one too, so the checks
// on sets are reached). Every file is extracted into memory.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "archive/cab/cab_reader.h"

namespace {

using krax::cab::CabHandle;

struct MemoryCabinet {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::map<CabHandle, std::size_t> positions;  // cabinet handles
  std::map<CabHandle, std::size_t> targets;    // bytes written per target
  CabHandle next = 10;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryCabinet cabinet;
  cabinet.data = data;
  cabinet.size = size;

  krax::cab::CabFiles files;
  files.open = [&](const std::string&, int, int, int&) -> CabHandle {
    const CabHandle handle = cabinet.next++;
    cabinet.positions[handle] = 0;
    return handle;
  };
  files.read = [&](CabHandle handle, void* buffer, std::size_t count, int&) -> long long {
    auto it = cabinet.positions.find(handle);
    if (it == cabinet.positions.end()) return -1;
    const std::size_t at = it->second < size ? it->second : size;
    const std::size_t n = count < size - at ? count : size - at;
    if (n) std::memcpy(buffer, data + at, n);
    it->second = at + n;
    return static_cast<long long>(n);
  };
  files.write = [&](CabHandle handle, const void*, std::size_t count, int&) -> long long {
    auto it = cabinet.targets.find(handle);
    if (it == cabinet.targets.end()) return -1;
    it->second += count;
    return static_cast<long long>(count);
  };
  files.close = [&](CabHandle handle, int&) -> int {
    if (cabinet.positions.erase(handle) || cabinet.targets.erase(handle)) return 0;
    __builtin_trap();  // closing a handle twice or one never opened
  };
  files.seek = [&](CabHandle handle, long long offset, int origin, int&) -> long long {
    auto it = cabinet.positions.find(handle);
    if (it == cabinet.positions.end()) return -1;
    const long long base = origin == 0 ? 0 : origin == 1 ? static_cast<long long>(it->second)
                                                          : static_cast<long long>(size);
    if (base + offset < 0) return -1;
    it->second = static_cast<std::size_t>(base + offset);
    return base + offset;
  };

  krax::ArchiveResult error;
  auto reader = krax::cab::CabReaderCreate(files, &error);
  if (!reader) return 0;
  int nextCabinetAsks = 0;
  krax::cab::CabReaderCopy(*reader, {"fuzz.cab", "", [&](krax::cab::CabNotification& note) -> CabHandle {
                                       switch (note.kind) {
                                         case krax::cab::CabNotificationKind::kCopyFile: {
                                           const CabHandle handle = cabinet.next++;
                                           cabinet.targets[handle] = 0;
                                           return handle;
                                         }
                                         case krax::cab::CabNotificationKind::kCloseFileInfo: {
                                           int ignored = 0;
                                           files.close(note.handle, ignored);
                                           return 1;
                                         }
                                         case krax::cab::CabNotificationKind::kNextCabinet:
                                           if (++nextCabinetAsks > 1000) __builtin_trap();  // asked without end
                                           return 0;
                                         default: return 0;
                                       }
                                     }});
  krax::cab::CabReaderDestroy(std::move(reader));
  if (!cabinet.positions.empty() || !cabinet.targets.empty()) __builtin_trap();  // leaked handles
  return 0;
}
