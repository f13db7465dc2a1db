// The desktop's trash: a file or folder put there can be brought back with the file manager.
// On Linux this is the freedesktop.org trash: the user's own trash in $XDG_DATA_HOME/Trash
// when the item lies on the same volume, else the trash at the top of the item's volume
// (.Trash/$UID when an administrator made it, else .Trash-$UID). Each trashed item gets a
// ".trashinfo" file telling where it came from and when.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace krax {

enum class TrashStatus {
  kTrashed,  // the item is in the trash now
  kNoTrash,  // no trash can take it (nothing was changed); see `problem`
  kFailed,   // it could not be moved (nothing was changed); see `problem`
};

struct TrashResult {
  TrashStatus status = TrashStatus::kFailed;
  std::string trashedAs;  // the item's path inside the trash (kTrashed)
  std::string infoFile;   // its ".trashinfo" file (kTrashed)
  std::string message;    // why not, for the user
  bool ok() const { return status == TrashStatus::kTrashed; }
};

// Moves a file or a folder (a link is moved as the link) into the trash. A name the trash
// already holds is kept; the newcomer is named "NAME.2", "NAME.3" and so on.
TrashResult MoveToTrash(std::string_view path);

// Deletes a file or a whole folder tree for good; links inside are removed, never followed.
FsResult DeleteForGood(std::string_view path);

}  // namespace krax
