#include "operations/archive_kind.h"

#include <cstdio>
#include <cstring>

#include "platform/path.h"

namespace krax {

ArchiveKind ArchiveKindOf(const std::string& path) {
  char head[4] = {};
  std::size_t got = 0;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
  }
  if (got >= 2 && head[0] == 'P' && head[1] == 'K') return ArchiveKind::kZip;
  if (got == 4 && std::memcmp(head, "MSCF", 4) == 0) return ArchiveKind::kCabinet;
  const std::string name = BaseName(path);
  return name.size() >= 4 && EqualsIgnoreCase(name.substr(name.size() - 4), ".zip") ? ArchiveKind::kZip
                                                                                    : ArchiveKind::kCabinet;
}

}  // namespace krax
