// Runs the kraxctl binary of this build and captures what it prints.
#pragma once

#ifdef _WIN32
#include <windows.h>
#undef CopyFile    // the program's own functions of these names, not the macros
#undef DeleteFile

#include <thread>

#include "platform/command_line_quoting.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace krax::test {

struct KraxctlRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

#ifdef _WIN32
// UTF-8 <-> UTF-16 for the Windows calls below.
inline std::wstring TestWide(const std::string& text) {
  std::wstring out(text.size(), L'\0');
  out.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                            out.data(), static_cast<int>(out.size()))));
  return out;
}

// As below, through CreateProcessW with the words quoted as the program splits them again.
inline KraxctlRun RunKraxctl(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                             const std::string& input = {}) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite, inRead, inWrite;
  if (!::CreatePipe(&outRead, &outWrite, &inherit, 0) || !::CreatePipe(&errRead, &errWrite, &inherit, 0) ||
      !::CreatePipe(&inRead, &inWrite, &inherit, 0)) {
    return {};
  }
  for (HANDLE ours : {outRead, errRead, inWrite}) ::SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
  std::vector<std::string> argv{KRAX_KRAXCTL};
  argv.insert(argv.end(), args.begin(), args.end());
  std::wstring commandLine = TestWide(WindowsCommandLine(argv));
  // Our environment with the given entries replacing those of the same name.
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
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  const bool started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                        block.data(), nullptr, &startup, &process);
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  ::CloseHandle(inRead);
  KraxctlRun run;
  if (started && !input.empty()) {
    DWORD put = 0;
    ::WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &put, nullptr);
  }
  ::CloseHandle(inWrite);
  auto drain = [](HANDLE pipe, std::string& into) {
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) into.append(buffer, got);
    ::CloseHandle(pipe);
  };
  std::thread errReader(drain, errRead, std::ref(run.err));  // both at once: neither pipe fills up
  drain(outRead, run.out);
  errReader.join();
  if (started) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = static_cast<int>(code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  return run;
}
#else
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

#endif

// RunKraxctl with the arguments written as a shell takes them ("cab list 'my file.cab'"),
// split the same way and given to kraxctl directly, never to a shell. An unclosed quote
// runs nothing (exit code -1).
inline KraxctlRun RunKraxctlLine(const std::string& arguments) {
  const std::optional<std::vector<std::string>> words = SplitCommandLine(arguments);
  return words ? RunKraxctl(*words) : KraxctlRun{};
}

}  // namespace krax::test
