// Starting programs on POSIX systems: posix_spawn, with Windows programs run through Wine.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/process.h"

extern char** environ;

namespace krax {

namespace {

// The environment of the new program: ours, with `extra` replacing or adding entries.
std::vector<std::string> BuildEnvironment(const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    bool replaced = false;
    for (const auto& [name, value] : extra) {
      if (entry.size() > name.size() && entry.substr(0, name.size()) == name && entry[name.size()] == '=') {
        replaced = true;
        break;
      }
    }
    if (!replaced) env.emplace_back(entry);
  }
  for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> out;
  out.reserve(strings.size() + 1);
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}
}  // namespace

ProcessResult StartProgram(const std::vector<std::string>& argvIn, const StartOptions& options) {
  if (argvIn.empty() || argvIn.front().empty()) return ProcessResult::Failed(EINVAL, "No program to start");
  std::vector<std::string> argv = argvIn;
  std::vector<std::pair<std::string, std::string>> environment = options.environment;
  if (IsWindowsProgram(argv.front())) {
    std::string prefix = WinePrefixOf(argv.front());
    if (!prefix.empty()) environment.emplace_back("WINEPREFIX", prefix);
    argv.insert(argv.begin(), "wine");
  }
  if (!options.workingFolder.empty() && !IsFolder(options.workingFolder)) {
    return ProcessResult::Failed(ENOENT, "The folder \"" + options.workingFolder + "\" does not exist");
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!options.workingFolder.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str());
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The program gets a session of its own, so that closing our terminal does not end it.
  posix_spawnattr_setflags(&attributes, options.wait ? 0 : POSIX_SPAWN_SETSID);

  std::vector<std::string> env = BuildEnvironment(environment);
  std::vector<char*> argvC = CStrings(argv);
  std::vector<char*> envC = CStrings(env);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv.front().c_str(), &actions, &attributes, argvC.data(), envC.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    return ProcessResult::Failed(rc, "Cannot start \"" + argv.front() + "\": " + std::strerror(rc));
  }

  ProcessResult result;
  result.started = true;
  if (options.wait) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  } else {
    // Nobody waits for the program; this collects its exit status so that no zombie stays.
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  return result;
}

ProcessResult OpenWithAssociatedProgram(std::string_view path) {
  if (path.empty()) return ProcessResult::Failed(EINVAL, "No file to open");
  if (!PathExists(path)) return ProcessResult::Failed(ENOENT, "\"" + std::string(path) + "\" does not exist");
  return StartProgram({"xdg-open", std::string(path)});
}

}  // namespace krax
