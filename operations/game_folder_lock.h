// One writer per game folder. Every command that changes the game folder holds a
// GameFolderWriter for its whole run: an exclusive lock on "KRAXManager.lock" inside the
// game's GameData folder, released by the system if the program dies. A second writer (another
// program, or another thread of this one) waits a little, then is refused with a message
// naming the holder's process. Commands that only read never take it. A command run inside
// another on the same thread (a profile's toggles and switches) shares the outer one's lock.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/file_lock.h"

namespace krax {

inline constexpr const char* kGameFolderLockFile = "KRAXManager.lock";

class GameFolderWriter {
 public:
  // Takes the lock of `gameFolder`, waiting a couple of seconds for another holder to finish
  // (no wait with `wait` zero). A
  // game folder without a GameData folder (nothing to protect, and nowhere for the lock) or
  // whose lock file cannot be made at all is not refused here: the command itself finds
  // out what is wrong.
  explicit GameFolderWriter(const std::string& gameFolder,
                            std::optional<std::chrono::milliseconds> wait = std::nullopt);
  ~GameFolderWriter();
  GameFolderWriter(const GameFolderWriter&) = delete;
  GameFolderWriter& operator=(const GameFolderWriter&) = delete;

  // True when this thread may change the game folder.
  explicit operator bool() const { return refusal_.empty(); }
  // "The game folder is being changed by another program (process N)" when refused.
  const std::string& refusal() const { return refusal_; }

 private:
  std::string key_;  // the lock file this object counts for on its thread; "" when none
  FileLock lock_;
  std::string refusal_;
};

// The lock file of `gameFolder`, "" when the game folder has no GameData folder.
std::string GameFolderLockPath(const std::string& gameFolder);

}  // namespace krax
