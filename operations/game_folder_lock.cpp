#include "operations/game_folder_lock.h"

#include <map>
#include <thread>

#include "operations/game_folder_lock_detail.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/real_path.h"

namespace krax {
namespace {

// How many writers of each lock file this thread holds: the outermost one owns the lock.
std::map<std::string, int>& HeldOnThisThread() {
  thread_local std::map<std::string, int> held;
  return held;
}

std::chrono::milliseconds waitForWriter{2000};

}  // namespace

void SetGameFolderWait(std::chrono::milliseconds wait) { waitForWriter = wait; }

std::string GameFolderLockPath(const std::string& gameFolder) {
  if (gameFolder.empty()) return {};
  // One spelling for every way of naming the folder, so that a command run inside another
  // finds the lock its thread already holds.
  const std::string gameData = RealPath(ResolvePath(JoinPath(gameFolder, "GameData")));
  if (gameData.empty() || !IsFolder(gameData)) return {};
  return JoinPath(gameData, kGameFolderLockFile);
}

GameFolderWriter::GameFolderWriter(const std::string& gameFolder, std::optional<std::chrono::milliseconds> wait) {
  const std::string path = GameFolderLockPath(gameFolder);
  if (path.empty()) return;
  int& depth = HeldOnThisThread()[path];
  if (depth > 0) {
    ++depth;
    key_ = path;
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait.value_or(waitForWriter);
  for (;;) {
    const FileLock::Outcome outcome = FileLock::TryLock(path, lock_);
    if (outcome == FileLock::Outcome::kLocked) break;
    if (outcome == FileLock::Outcome::kUnavailable) {
      HeldOnThisThread().erase(path);
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      const std::uint64_t holder = FileLock::HolderOf(path);
      refusal_ = "The game folder is being changed by another program" +
                 (holder ? " (process " + std::to_string(holder) + ")" : std::string()) + ".";
      HeldOnThisThread().erase(path);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ++depth;
  key_ = path;
}

GameFolderWriter::~GameFolderWriter() {
  if (key_.empty()) return;
  auto& held = HeldOnThisThread();
  const auto found = held.find(key_);
  if (found != held.end() && --found->second <= 0) held.erase(found);
  lock_.Release();
}

}  // namespace krax
