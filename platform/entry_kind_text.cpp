// The words for an entry's kind, the same on every system.
#include "platform/regular_file.h"

namespace krax {

const char* EntryKindText(EntryKind kind) {
  switch (kind) {
    case EntryKind::kMissing: return "missing";
    case EntryKind::kRegularFile: return "a file";
    case EntryKind::kFolder: return "a folder";
    case EntryKind::kLink: return "a symbolic link";
    case EntryKind::kFifo: return "a FIFO";
    case EntryKind::kSocket: return "a socket";
    case EntryKind::kDevice: return "a device";
    case EntryKind::kOther: break;
  }
  return "no regular file";
}

}  // namespace krax
