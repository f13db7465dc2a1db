// A Wine prefix as the game's installer leaves it: system.reg with the game's key, drive_c,
// and dosdevices links for the drive letters.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace krax::test {

// The system.reg text recording `installPath` (given with single backslashes) for the game.
inline std::string GameSystemReg(const std::string& installPath, const std::string& keyName = "Software\\\\Voltarra\\\\Kraxrun") {
  std::string escaped;
  for (char c : installPath) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return "WINE REGISTRY Version 2\n"
         ";; All keys relative to \\\\Machine\n"
         "\n"
         "#arch=win32\n"
         "\n"
         "[Software\\\\Quillhaven\\\\Lanterns] 1700000000\n"
         "#time=1da2c3b4d5e6f70\n"
         "\"InstallPath\"=\"C:\\\\Wrong\"\n"
         "\"Blob\"=hex:01,02,03,\\\n"
         "  04,05\n"
         "\n"
         "[" + keyName + "] 1700000001\n"
         "#time=1da2c3b4d5e6f71\n"
         "\"Version\"=dword:00000001\n"
         "\"InstallPath\"=\"" + escaped + "\"\n"
         "\n";
}

// Builds a prefix in `folder`/`name`: drive_c/Games/Kraxrun, dosdevices/c: -> ../drive_c,
// system.reg from `regText`. Returns the prefix path.
inline std::string MakeWinePrefix(const ScratchFolder& folder, const std::string& regText,
                                  const std::string& name = "prefix") {
  std::string prefix = folder.mkdir(name);
  folder.mkdir(name + "/drive_c/Games/Kraxrun");
  folder.mkdir(name + "/dosdevices");
  folder.write(name + "/system.reg", regText);
  std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  return prefix;
}

}  // namespace krax::test
