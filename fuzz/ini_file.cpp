// Fuzzes the INI reader and writer: any bytes parse, a value written reads back, and every
// other section's values survive the write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gamedata/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  krax::IniFile ini = krax::IniFile::Parse(bytes);
  const auto otherBefore = ini.Get("Other", "Key");
  ini.Get("Tracks", "ActiveTrack");
  ini.Set("Tracks", "ActiveTrack", "Canyon Run");
  const krax::IniFile reread = krax::IniFile::Parse(ini.Serialize());
  if (reread.Get("Tracks", "ActiveTrack") != "Canyon Run") std::abort();
  if (reread.Get("Other", "Key") != otherBefore) std::abort();
  return 0;
}
