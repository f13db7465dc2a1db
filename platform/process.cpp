#include "platform/process.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/real_path.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace krax {

namespace {

#ifndef _WIN32
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
#endif

}  // namespace

bool IsWindowsProgram(std::string_view program) {
  return program.size() >= 4 && EqualsIgnoreCase(program.substr(program.size() - 4), ".exe");
}

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  enum class Quote { kNone, kSingle, kDouble } quote = Quote::kNone;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    switch (quote) {
      case Quote::kSingle:
        if (c == '\'') {
          quote = Quote::kNone;
        } else {
          word += c;
        }
        break;
      case Quote::kDouble:
        if (c == '"') {
          quote = Quote::kNone;
        } else if (c == '\\' && i + 1 < line.size() && std::strchr("\"\\$`\n", line[i + 1])) {
          if (line[++i] != '\n') word += line[i];
        } else {
          word += c;
        }
        break;
      case Quote::kNone:
        if (c == ' ' || c == '\t' || c == '\n') {
          if (inWord) words.push_back(std::move(word));
          word.clear();
          inWord = false;
        } else if (c == '\'') {
          quote = Quote::kSingle;
          inWord = true;
        } else if (c == '"') {
          quote = Quote::kDouble;
          inWord = true;
        } else if (c == '\\') {
          inWord = true;
          if (i + 1 < line.size()) {
            if (line[++i] != '\n') word += line[i];  // backslash-newline joins lines
          }
        } else {
          word += c;
          inWord = true;
        }
        break;
    }
  }
  if (quote != Quote::kNone) return std::nullopt;
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::string WinePrefixOf(std::string_view pathView) {
  std::string path(pathView);
  if (path.empty()) return {};
  if (!IsSeparator(path.front())) {
    path = RealPath(path);
    if (path.empty()) return {};
  }
  for (std::string folder = ParentPath(path); !folder.empty(); folder = ParentPath(folder)) {
    if (IsFile(JoinPath(folder, "system.reg")) && IsFolder(JoinPath(folder, "dosdevices"))) return folder;
    if (folder.size() == 1) break;  // the root
  }
  return {};
}

#ifndef _WIN32
ProcessResult StartProgram(const std::vector<std::string>& argvIn, const StartOptions& options) {
  if (argvIn.empty() || argvIn.front().empty()) return ProcessResult::Failed(EINVAL, "No program to start");
  std::vector<std::string> argv = argvIn;
  std::vector<std::pair<std::string, std::string>> environment = options.environment;
#ifndef _WIN32
  if (IsWindowsProgram(argv.front())) {
    std::string prefix = WinePrefixOf(argv.front());
    if (!prefix.empty()) environment.emplace_back("WINEPREFIX", prefix);
    argv.insert(argv.begin(), "wine");
  }
#endif
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

#endif

ProcessResult StartCommandLine(std::string_view commandLine, const StartOptions& options) {
  std::optional<std::vector<std::string>> words = SplitCommandLine(commandLine);
  if (!words) return ProcessResult::Failed(EINVAL, "The command line has an unclosed quote");
  if (words->empty()) return ProcessResult::Failed(EINVAL, "The command line is empty");
  return StartProgram(*words, options);
}

#ifndef _WIN32
ProcessResult OpenWithAssociatedProgram(std::string_view path) {
  if (path.empty()) return ProcessResult::Failed(EINVAL, "No file to open");
  if (!PathExists(path)) return ProcessResult::Failed(ENOENT, "\"" + std::string(path) + "\" does not exist");
  return StartProgram({"xdg-open", std::string(path)});
}
#endif

}  // namespace krax
