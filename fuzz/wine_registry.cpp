// Fuzzes the Wine registry reader and the install.win reader and writer with any bytes:
// no crash, and a rewritten install.win reads back to the lines that were written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gamedata/install_info.h"
#include "platform/game_discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  krax::ReadWineRegistryValue(bytes, krax::kGameRegistryKey, krax::kGameRegistryValue);
  krax::ReadWineRegistryValue(bytes, "Software\\Wow6432Node\\Voltarra\\Kraxrun", "");

  krax::InstallInfo info;
  krax::ParseInstallInfo(bytes, info);
  for (std::size_t i = 0; i < krax::InstallInfo::kReadEntries; ++i) {
    // Every entry read is one line with its newline, or empty after the end of the file.
    const std::string& line = info.lines[i];
    if (!line.empty() && (line.back() != '\n' || line.find('\n') != line.size() - 1)) std::abort();
  }
  if (!info.lines[krax::InstallInfo::kReadEntries].empty()) std::abort();
  const std::string written = krax::FormatInstallInfo(info);
  if (written.empty() || written.back() != '\x1A') std::abort();
  krax::InstallInfo reread;
  krax::ParseInstallInfo(written, reread);
  // Lines before the tracks line survive a rewrite (lines holding a Ctrl-Z are cut there).
  for (std::size_t i = 0; i < 3; ++i) {
    if (info.lines[i].find('\x1A') != std::string::npos || info.lines[i].find('\r') != std::string::npos) return 0;
    if (!info.lines[i].empty() && reread.lines[i] != info.lines[i]) std::abort();
  }
  krax::LanguageSuffix(info);
  return 0;
}
