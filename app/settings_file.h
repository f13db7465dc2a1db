// The settings file: INI sections and name=value lines, values kept literally. A value is
// everything after the first "=" of its line up to the line end, the way the game's own
// profile strings are read, so "wine C:\Tools\trk.exe", "a,b" and "~/packs;old" read back
// as written.
//
// Files written through QSettings carry its INI escapes (doubled
// backslashes, quotes around values holding "," ";" or "="). A file without this program's
// first line is read as such a file where a value can only have been written that way, and
// as written otherwise; it is rewritten literally, with that first line, on the first save.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/ini_lines.h"

namespace krax {

class SettingsFile {
 public:
  // The first line of a file written by this program.
  static constexpr const char* kLiteralMark = "; KRAXManager settings: every value is kept as written, up to the end of its line";

  SettingsFile();
  static SettingsFile Parse(std::string_view bytes);

  // The value of `name` in `section` (names compared ignoring ASCII case), or nullopt.
  std::optional<std::string> Get(std::string_view section, std::string_view name) const;
  // Replaces the value's line, or adds it at the end of its section, or adds the section at
  // the end of the file. False (file unchanged) for a value holding a line end.
  bool Set(std::string_view section, std::string_view name, std::string_view value);
  void Remove(std::string_view section, std::string_view name);
  // The file's bytes: the mark, then every line ended by "\n".
  std::string Serialize() const;

 private:
  void MakeLiteral();  // rewrites every value of a QSettings-written file as it reads
  IniLines lines_;
  bool literal_ = true;
};

}  // namespace krax
