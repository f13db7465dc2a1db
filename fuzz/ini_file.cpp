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
  const auto otherBefore = ini.get("Other", "Key");
  ini.get("Tracks", "ActiveTrack");
  ini.set("Tracks", "ActiveTrack", "Canyon Run");
  const krax::IniFile reread = krax::IniFile::Parse(ini.serialize());
  if (reread.get("Tracks", "ActiveTrack") != "Canyon Run") std::abort();
  if (reread.get("Other", "Key") != otherBefore) std::abort();
  return 0;
}
