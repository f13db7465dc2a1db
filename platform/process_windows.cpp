// Starting programs on Windows: CreateProcessW with a command line quoted the way the
// started program splits it again; files opened through the shell's association.
#include <cerrno>
#include <cstring>

#include "platform/command_line_quoting.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/windows_support.h"

#include <shellapi.h>  // after <windows.h>

namespace krax {

namespace {

// Our environment block with `extra` replacing or adding entries (names ignore case).
std::wstring BuildEnvironment(const std::vector<std::pair<std::string, std::string>>& extra) {
  std::wstring block;
  if (wchar_t* strings = ::GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1) {
      const std::wstring_view text(entry);
      bool replaced = false;
      for (const auto& pair : extra) {
        const std::wstring name = win::Wide(pair.first);
        replaced = replaced || (text.size() > name.size() && text[name.size()] == L'=' &&
                                ::_wcsnicmp(text.data(), name.c_str(), name.size()) == 0);
      }
      if (!replaced) block.append(text).push_back(L'\0');
    }
    ::FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : extra) block.append(win::Wide(name + "=" + value)).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

}  // namespace

ProcessResult StartProgram(const std::vector<std::string>& argv, const StartOptions& options) {
  if (argv.empty() || argv.front().empty()) return ProcessResult::Failed(EINVAL, "No program to start");
  if (!options.workingFolder.empty() && !IsFolder(options.workingFolder)) {
    return ProcessResult::Failed(ENOENT, "The folder \"" + options.workingFolder + "\" does not exist");
  }
  std::wstring commandLine = win::Wide(WindowsCommandLine(argv));
  std::wstring environment;
  if (!options.environment.empty()) environment = BuildEnvironment(options.environment);
  const std::wstring folder = win::Wide(options.workingFolder);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Without waiting, the program gets a process group of its own: our Ctrl+C is not its.
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (options.wait ? 0 : CREATE_NEW_PROCESS_GROUP);
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags,
                        environment.empty() ? nullptr : environment.data(), folder.empty() ? nullptr : folder.c_str(),
                        &startup, &process)) {
    const int error = win::LastErrno();
    return ProcessResult::Failed(error, "Cannot start \"" + argv.front() + "\": " + std::strerror(error));
  }
  ::CloseHandle(process.hThread);
  ProcessResult result;
  result.started = true;
  if (options.wait) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = static_cast<int>(code);
  }
  ::CloseHandle(process.hProcess);
  return result;
}

ProcessResult OpenWithAssociatedProgram(std::string_view path) {
  if (path.empty()) return ProcessResult::Failed(EINVAL, "No file to open");
  if (!IsFile(path) && !IsFolder(path)) return ProcessResult::Failed(ENOENT, "\"" + std::string(path) + "\" does not exist");
  const std::wstring target = win::SystemPath(path);
  const auto code = reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr,
                                                              SW_SHOWNORMAL));
  if (code <= 32) return ProcessResult::Failed(ENOENT, "No program opens \"" + std::string(path) + "\"");
  ProcessResult result;
  result.started = true;
  return result;
}

}  // namespace krax
