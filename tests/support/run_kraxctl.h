// Runs the kraxctl binary of this build and captures what it prints.
//
// A run that goes wrong says why wherever a test looks at its exit code: a failed expectation
// on `exitCode` prints the code together with kraxctl's standard error, why the program could
// not be started (the system's error code and message), or that it did not end in time and
// was stopped. A run never hangs a test: past its time limit the program is killed.
#pragma once

#ifdef _WIN32
#include <windows.h>
#undef CopyFile    // the program's own functions of these names, not the macros
#undef DeleteFile

#include <cwchar>
#include <thread>

#include "platform/command_line_quoting.h"
#else
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace krax::test {

// Long enough for the slowest command of the suite under AddressSanitizer or Wine on a busy
// machine, well inside ctest's own limit for a whole test.
inline constexpr std::chrono::seconds kKraxctlTimeLimit{300};

// How a captured run is started: which program, and how long it may take.
struct RunLimits {
  std::string program = KRAX_KRAXCTL;
  std::chrono::milliseconds timeLimit = kKraxctlTimeLimit;
};

// kraxctl's exit code, compared as an int, printed with what explains it.
struct ExitStatus {
  int code = -1;
  std::string startError;   // why the program did not start, "" when it started
  std::chrono::milliseconds timeLimit{0};  // set when the run was stopped for taking too long
  std::string err;          // what it wrote to standard error

  operator int() const { return code; }
  friend bool operator==(const ExitStatus& status, int code) { return status.code == code; }
};

inline void PrintTo(const ExitStatus& status, std::ostream* out) {
  *out << status.code;
  if (!status.startError.empty()) {
    *out << " (kraxctl did not start: " << status.startError << ")";
    return;
  }
  if (status.timeLimit.count() > 0) {
    *out << " (kraxctl did not end within " << status.timeLimit.count() << " ms and was killed)";
  }
  constexpr std::size_t kShown = 4000;
  if (status.err.empty()) {
    *out << " (nothing on standard error)";
  } else {
    *out << "\nkraxctl's standard error:\n"
         << (status.err.size() > kShown ? status.err.substr(0, kShown) + "\n[...]" : status.err);
  }
}

struct KraxctlRun {
  ExitStatus exitCode;
  std::string out;
  std::string err;
};

inline KraxctlRun FailedToStart(std::string why) {
  KraxctlRun run;
  run.exitCode.startError = std::move(why);
  return run;
}

#ifdef _WIN32
// UTF-8 <-> UTF-16 for the Windows calls below.
inline std::wstring TestWide(const std::string& text) {
  std::wstring out(text.size(), L'\0');
  out.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                            out.data(), static_cast<int>(out.size()))));
  return out;
}

// "error N: the system's text for N".
inline std::string SystemErrorText(const char* call, DWORD error) {
  std::string text = std::string(call) + " failed with error " + std::to_string(error);
  wchar_t* message = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  if (length > 0 && message) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, message, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, message, static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' ')) utf8.pop_back();
    text += ": " + utf8;
  }
  if (message) ::LocalFree(message);
  return text;
}

// Our environment with the given entries replacing those of the same name, as a block for
// CreateProcessW.
inline std::wstring EnvironmentBlock(const std::vector<std::string>& env) {
  std::wstring block;
  const auto nameOf = [](const std::wstring& entry) { return entry.substr(0, entry.find(L'=', 1)); };
  std::vector<std::wstring> given;
  for (const std::string& e : env) given.push_back(TestWide(e));
  if (wchar_t* strings = ::GetEnvironmentStringsW()) {
    for (const wchar_t* e = strings; *e; e += std::wcslen(e) + 1) {
      const std::wstring entry(e);
      bool replaced = false;
      for (const std::wstring& g : given) replaced = replaced || ::_wcsicmp(nameOf(g).c_str(), nameOf(entry).c_str()) == 0;
      if (!replaced) block.append(entry).push_back(L'\0');
    }
    ::FreeEnvironmentStringsW(strings);
  }
  for (const std::wstring& g : given) block.append(g).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

// Reads both pipes until they close, so that neither fills up, and ends the process once the
// time limit has passed. Polled rather than blocking, so that a program the killed one left
// behind, still holding a pipe, cannot keep us waiting. True when the limit passed.
inline bool DrainUntilClosed(HANDLE process, HANDLE outPipe, HANDLE errPipe, std::string& out, std::string& err,
                             std::chrono::milliseconds timeLimit) {
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  HANDLE pipes[2] = {outPipe, errPipe};
  std::string* into[2] = {&out, &err};
  bool open[2] = {true, true};
  bool killed = false;
  while (open[0] || open[1]) {
    bool gotSome = false;
    for (int i = 0; i < 2; ++i) {
      DWORD available = 0;
      if (!open[i]) continue;
      if (!::PeekNamedPipe(pipes[i], nullptr, 0, nullptr, &available, nullptr)) {
        open[i] = false;  // the writing ends are closed
        continue;
      }
      if (available == 0) continue;
      char buffer[4096];
      DWORD got = 0;
      if (::ReadFile(pipes[i], buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) && got > 0) {
        into[i]->append(buffer, got);
        gotSome = true;
      }
    }
    if (gotSome) continue;
    if (std::chrono::steady_clock::now() >= deadline) {
      if (killed) break;
      ::TerminateProcess(process, 1);
      killed = true;
      continue;
    }
    ::Sleep(5);
  }
  return killed;
}

// As below, through CreateProcessW with the words quoted as the program splits them again.
inline KraxctlRun RunCaptured(const RunLimits& limits, const std::vector<std::string>& args,
                              const std::vector<std::string>& env = {}, const std::string& input = {}) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite, inRead, inWrite;
  if (!::CreatePipe(&outRead, &outWrite, &inherit, 0) || !::CreatePipe(&errRead, &errWrite, &inherit, 0) ||
      !::CreatePipe(&inRead, &inWrite, &inherit, 0)) {
    return FailedToStart(SystemErrorText("CreatePipe", ::GetLastError()));
  }
  for (HANDLE ours : {outRead, errRead, inWrite}) ::SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
  std::vector<std::string> argv{limits.program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::wstring commandLine = TestWide(WindowsCommandLine(argv));
  std::wstring block = EnvironmentBlock(env);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  bool started = false;
  DWORD startError = 0;
  // Wine's own start-up of a new process fails now and then on a busy machine, before any of
  // the program runs, with ERROR_INTERNAL_ERROR (1359): that start is tried again, a few
  // times. Windows gives this error for no start; every other error is the test's result.
  for (int attempt = 1; attempt <= 5; ++attempt) {
    started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                               block.data(), nullptr, &startup, &process);
    startError = started ? 0 : ::GetLastError();
    if (started || startError != ERROR_INTERNAL_ERROR) break;
    ::Sleep(static_cast<DWORD>(200 * attempt));
  }
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  ::CloseHandle(inRead);
  KraxctlRun run;
  if (started && !input.empty()) {
    DWORD put = 0;
    ::WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &put, nullptr);
  }
  ::CloseHandle(inWrite);
  if (started) {
    if (DrainUntilClosed(process.hProcess, outRead, errRead, run.out, run.err, limits.timeLimit)) {
      run.exitCode.timeLimit = limits.timeLimit;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    run.exitCode.code = static_cast<int>(code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  } else {
    run.exitCode.startError = limits.program + ": " + SystemErrorText("CreateProcessW", startError);
  }
  ::CloseHandle(outRead);
  ::CloseHandle(errRead);
  run.exitCode.err = run.err;
  return run;
}
#else
// The child gets this process's environment with `env` entries ("NAME=value") replacing the
// variables of the same name, so a test's HOME or WINEPREFIX is the one the child sees.
inline std::vector<std::string> ChildEnvironment(const std::vector<std::string>& env) {
  const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const std::string& given : env) replaced = replaced || nameOf(given) == nameOf(entry);
    if (!replaced) envStrings.push_back(entry);
  }
  envStrings.insert(envStrings.end(), env.begin(), env.end());
  return envStrings;
}

// Reads both pipes until they close, so that neither fills up, and kills the child once the
// time limit has passed. True when the limit passed.
inline bool DrainUntilClosed(pid_t pid, int outFd, int errFd, std::string& out, std::string& err,
                             std::chrono::milliseconds timeLimit) {
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  bool killed = false;
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* into[2] = {&out, &err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      if (killed) break;  // killed, and something it started still holds a pipe
      ::kill(pid, SIGKILL);
      killed = true;
      continue;
    }
    const int ready = ::poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000)));
    if (ready < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        into[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return killed;
}

// Runs `limits.program` with `args`, feeding it `input`, and captures what it prints.
inline KraxctlRun RunCaptured(const RunLimits& limits, const std::vector<std::string>& args,
                              const std::vector<std::string>& env = {}, const std::string& input = {}) {
  int outPipe[2], errPipe[2], inPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0 || ::pipe(inPipe) != 0) {
    return FailedToStart(std::string("pipe failed: ") + std::strerror(errno));
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1], inPipe[0], inPipe[1]}) {
    posix_spawn_file_actions_addclose(&actions, fd);
  }
  std::vector<std::string> argv{limits.program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argvC;
  for (std::string& a : argv) argvC.push_back(a.data());
  argvC.push_back(nullptr);
  std::vector<std::string> envStrings = ChildEnvironment(env);
  std::vector<char*> envC;
  for (std::string& e : envStrings) envC.push_back(e.data());
  envC.push_back(nullptr);

  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argvC.data(), envC.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  ::close(inPipe[0]);
  KraxctlRun run;
  if (rc == 0 && !input.empty()) {
    // Inputs are small: they fit the pipe, and a child that ends early must not stop us.
    const auto oldPipeHandler = ::signal(SIGPIPE, SIG_IGN);
    (void)!::write(inPipe[1], input.data(), input.size());
    ::signal(SIGPIPE, oldPipeHandler);
  }
  ::close(inPipe[1]);
  if (rc == 0) {
    if (DrainUntilClosed(pid, outPipe[0], errPipe[0], run.out, run.err, limits.timeLimit)) {
      run.exitCode.timeLimit = limits.timeLimit;
      ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.exitCode.err = run.err;
    if (WIFSIGNALED(status) && run.exitCode.timeLimit.count() == 0) {
      run.exitCode.err += "\n[kraxctl ended on signal " + std::to_string(WTERMSIG(status)) + "]";
    }
  } else {
    run.exitCode.startError = limits.program + ": posix_spawn failed with error " + std::to_string(rc) + ": " + std::strerror(rc);
  }
  ::close(outPipe[0]);
  ::close(errPipe[0]);
  return run;
}

#endif

// Runs this build's kraxctl. The child gets this process's environment with `env` entries
// ("NAME=value") replacing the variables of the same name.
inline KraxctlRun RunKraxctl(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                             const std::string& input = {}) {
  return RunCaptured(RunLimits{}, args, env, input);
}

// RunKraxctl with the arguments written as a shell takes them ("cab list 'my file.cab'"),
// split the same way and given to kraxctl directly, never to a shell. An unclosed quote
// runs nothing (exit code -1).
inline KraxctlRun RunKraxctlLine(const std::string& arguments) {
  const std::optional<std::vector<std::string>> words = SplitCommandLine(arguments);
  return words ? RunKraxctl(*words) : FailedToStart("unclosed quote in: " + arguments);
}

}  // namespace krax::test
