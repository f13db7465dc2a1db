// Runs the kraxctl binary of this build and captures what it prints.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace krax::test {

struct KraxctlRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The child gets this process's environment with `env` entries ("NAME=value") replacing the
// variables of the same name, so a test's HOME or WINEPREFIX is the one the child sees.
inline KraxctlRun RunKraxctl(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                             const std::string& input = {}) {
  int outPipe[2], errPipe[2], inPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0 || ::pipe(inPipe) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1], inPipe[0], inPipe[1]}) {
    posix_spawn_file_actions_addclose(&actions, fd);
  }
  std::vector<std::string> argv{KRAX_KRAXCTL};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argvC;
  for (std::string& a : argv) argvC.push_back(a.data());
  argvC.push_back(nullptr);
  const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const std::string& given : env) replaced = replaced || nameOf(given) == nameOf(entry);
    if (!replaced) envStrings.push_back(entry);
  }
  envStrings.insert(envStrings.end(), env.begin(), env.end());
  std::vector<char*> envC;
  for (std::string& e : envStrings) envC.push_back(e.data());
  envC.push_back(nullptr);

  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argvC.data(), envC.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  ::close(inPipe[0]);
  KraxctlRun run;
  if (rc == 0) {
    if (!input.empty()) (void)!::write(inPipe[1], input.data(), input.size());
  }
  ::close(inPipe[1]);
  // Read both pipes until they close (outputs are small; stderr is read after stdout).
  auto drain = [](int fd, std::string& into) {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) into.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
  };
  drain(outPipe[0], run.out);
  drain(errPipe[0], run.err);
  if (rc == 0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return run;
}

}  // namespace krax::test
