// The file lock one writer holds: a second holder (even in the same process) is turned away
// and can read who holds it; the system drops the lock when its holder dies.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/file_lock.h"
#include "platform/path.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(FileLock, OneHolderAtATimeAndTheOthersSeeWho) {
  test::ScratchFolder dir;
  const std::string path = JoinPath(dir.path(), "game.lock");
  FileLock first, second;
  EXPECT_EQ(FileLock::HolderOf(path), 0u);  // no file yet
  ASSERT_EQ(FileLock::TryLock(path, first), FileLock::Outcome::kLocked);
  EXPECT_EQ(FileLock::HolderOf(path), CurrentProcessId());
  EXPECT_EQ(FileLock::TryLock(path, second), FileLock::Outcome::kBusy);
  EXPECT_FALSE(second.held());
  FileLock moved = std::move(first);
  EXPECT_EQ(FileLock::TryLock(path, second), FileLock::Outcome::kBusy);
  moved.Release();
  EXPECT_EQ(FileLock::TryLock(path, second), FileLock::Outcome::kLocked);
  EXPECT_EQ(FileLock::TryLock(JoinPath(dir.path(), "missing/game.lock"), first), FileLock::Outcome::kUnavailable);
}

TEST(FileLock, TheSystemReleasesTheLockOfAProgramThatDied) {
#ifdef _WIN32
  GTEST_SKIP() << "needs fork(); the Windows handle lock is dropped by the system the same way";
#else
  test::ScratchFolder dir;
  const std::string path = JoinPath(dir.path(), "game.lock");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileLock held;
    const char said = FileLock::TryLock(path, held) == FileLock::Outcome::kLocked ? 'y' : 'n';
    [[maybe_unused]] const ssize_t written = ::write(ready[1], &said, 1);
    ::pause();  // killed while holding it
    ::_exit(0);
  }
  char said = 0;
  ASSERT_EQ(::read(ready[0], &said, 1), 1);
  EXPECT_EQ(said, 'y');
  FileLock mine;
  EXPECT_EQ(FileLock::TryLock(path, mine), FileLock::Outcome::kBusy);
  EXPECT_EQ(FileLock::HolderOf(path), static_cast<std::uint64_t>(child));
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(FileLock::TryLock(path, mine), FileLock::Outcome::kLocked);
  ::close(ready[0]);
  ::close(ready[1]);
#endif
}

}  // namespace
}  // namespace krax
