// INI files in the layout of the Windows profile-string functions: sections in brackets,
// key=value lines, section and key names compared ignoring ASCII case, blanks around names
// and values ignored, CR LF line ends. Writing a value keeps every other line as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/ini_lines.h"

namespace krax {

class IniFile {
 public:
  IniFile();
  // Any bytes parse: lines are split at LF (a CR before it is dropped); lines that are
  // neither a section header nor hold "=" are kept but carry no value.
  static IniFile Parse(std::string_view bytes);

  // The value of the first `key` in the first section named `section`, or nullopt.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Replaces the key's line, or adds the key at the end of its section, or adds the section
  // at the end of the file. A value holding a line break is kept up to the break.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // The file's bytes, every line ended by CR LF.
  std::string Serialize() const;

 private:
  IniLines lines_;
};

// The value of `key` in `section` of the INI file at `path` (used as spelled), or nullopt
// when the file, the section or the key is missing.
std::optional<std::string> ReadProfileString(std::string_view path, std::string_view section,
                                             std::string_view key);

// Sets the value in the file at `path`, creating the file when missing. The file is replaced
// only by its complete new content (WriteFileAtomic); false when that fails.
bool WriteProfileString(std::string_view path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace krax
