// The console on Windows: text goes to it as UTF-16 through WriteConsoleW (the console's
// code page plays no part), to files and pipes as the UTF-8 bytes the program wrote
// (binary: no "\r" is added).
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

#include "platform/console.h"
#include "platform/windows_support.h"

#include <shellapi.h>  // after <windows.h>

namespace krax {

namespace {

HANDLE StandardHandle(StandardStream stream) {
  return ::GetStdHandle(stream == StandardStream::kInput    ? STD_INPUT_HANDLE
                        : stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE
                                                            : STD_ERROR_HANDLE);
}

// Bytes collect until a flush; a UTF-8 character split by the flush waits for its rest.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) pending_ += traits_type::to_char_type(c);
    if (pending_.size() >= 4096) sync();
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.size() >= 4096) sync();
    return count;
  }
  int sync() override {
    std::size_t complete = pending_.size();
    // Keep back the lead bytes of a character whose continuation bytes have not come.
    for (std::size_t back = 1; back <= 3 && back <= pending_.size(); ++back) {
      const auto byte = static_cast<unsigned char>(pending_[pending_.size() - back]);
      if ((byte & 0xC0) == 0x80) continue;
      const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
      if (length > back) complete = pending_.size() - back;
      break;
    }
    const std::wstring text = win::Wide(std::string_view(pending_).substr(0, complete));
    pending_.erase(0, complete);
    for (std::size_t done = 0; done < text.size();) {
      DWORD written = 0;
      if (!::WriteConsoleW(console_, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
          written == 0) {
        return -1;
      }
      done += written;
    }
    return 0;
  }

 private:
  HANDLE console_;
  std::string pending_;
};

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!words) return {argv, argv + argc};
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(win::Narrow(words[i]));
  ::LocalFree(words);
  return out;
}

bool IsTerminal(StandardStream stream) {
  DWORD mode = 0;
  return ::GetConsoleMode(StandardHandle(stream), &mode) != 0;
}

void PrepareConsole() {
  static ConsoleBuffer* outBuffer = nullptr;
  static ConsoleBuffer* errBuffer = nullptr;
  for (const StandardStream stream : {StandardStream::kOutput, StandardStream::kError}) {
    const HANDLE handle = StandardHandle(stream);
    DWORD mode = 0;
    if (!::GetConsoleMode(handle, &mode)) {
      // A file or pipe takes the bytes as they are, lines ended by "\n" as on Linux.
      ::_setmode(::_fileno(stream == StandardStream::kOutput ? stdout : stderr), _O_BINARY);
      continue;
    }
    ::SetConsoleMode(handle, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    if (stream == StandardStream::kOutput) {
      outBuffer = new ConsoleBuffer(handle);  // lives as long as the program
      std::cout.rdbuf(outBuffer);
    } else {
      errBuffer = new ConsoleBuffer(handle);
      std::cerr.rdbuf(errBuffer);
    }
  }
}

}  // namespace krax
