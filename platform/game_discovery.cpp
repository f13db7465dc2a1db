#include "platform/game_discovery.h"

#include <cstdlib>
#include <vector>

#include "platform/file_system.h"
#include "platform/game_installations.h"
#include "platform/hex_digits.h"
#include "platform/path.h"
#include "platform/real_path.h"
#include "platform/user_folders.h"
#include "platform/utf8.h"

namespace krax {

namespace {

// Reads an escaped registry text from `text` starting at `pos`, up to `end` (a closing
// quote or ']'), unescaping \\ \" \n \r \t \0 and \xHHHH. Leaves `pos` on the terminator;
// false when the terminator is missing.
bool ReadEscaped(std::string_view text, std::size_t& pos, char end, std::string& out) {
  while (pos < text.size()) {
    char c = text[pos];
    if (c == end) return true;
    if (c != '\\' || pos + 1 >= text.size()) {
      out += c;
      ++pos;
      continue;
    }
    char e = text[pos + 1];
    pos += 2;
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'x': {
        unsigned value = 0;
        int digits = 0;
        while (digits < 4 && pos < text.size() && HexDigitValue(text[pos]) >= 0) {
          value = value * 16 + static_cast<unsigned>(HexDigitValue(text[pos++]));
          ++digits;
        }
        AppendUtf8(out, value);
        break;
      }
      default: out += e; break;  // \\ \" and anything else stand for themselves
    }
  }
  return false;
}

// The logical lines of a registry file: CR dropped, lines ending with a backslash joined
// with the next (long hex values).
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!current.empty()) {
      while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    }
    current += line;
    if (!current.empty() && current.back() == '\\' && current.front() != '[') {
      current.pop_back();
    } else {
      lines.push_back(std::move(current));
      current.clear();
    }
    start = end + 1;
  }
  if (!current.empty()) lines.push_back(std::move(current));
  return lines;
}

// The drive link ("c:" or "c::") in the prefix's dosdevices folder, "" when missing.
std::string DriveLink(std::string_view winePrefix, char letter, bool device) {
  std::string name(1, letter);
  name += device ? "::" : ":";
  for (const DirEntry& entry : ListFolder(JoinPath(winePrefix, "dosdevices"))) {
    if (EqualsIgnoreCase(entry.name, name)) return JoinPath(JoinPath(winePrefix, "dosdevices"), entry.name);
  }
  return {};
}

bool IsOpticalDevice(const std::string& link) {
  std::string target = RealPath(link);
  if (target.empty()) {
    // The device node may be missing while no drive is attached; the link still names it.
    target = LinkTarget(link);
    if (target.empty()) return false;
  }
  std::string name = BaseName(target);
  auto startsWith = [&name](std::string_view prefix) { return name.compare(0, prefix.size(), prefix) == 0; };
  return startsWith("sr") || startsWith("scd") || startsWith("cdrom") || startsWith("dvd");
}

// A mount table field with its octal escapes (\040 for a blank) undone.
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::string FirstOpticalMount(std::string_view mountsText) {
  std::size_t start = 0;
  while (start < mountsText.size()) {
    std::size_t end = mountsText.find('\n', start);
    if (end == std::string_view::npos) end = mountsText.size();
    std::string_view line = mountsText.substr(start, end - start);
    start = end + 1;
    std::vector<std::string_view> fields;
    std::size_t f = 0;
    while (f < line.size() && fields.size() < 3) {
      while (f < line.size() && (line[f] == ' ' || line[f] == '\t')) ++f;
      std::size_t g = f;
      while (g < line.size() && line[g] != ' ' && line[g] != '\t') ++g;
      if (g > f) fields.push_back(line.substr(f, g - f));
      f = g;
    }
    if (fields.size() == 3 && (fields[2] == "iso9660" || fields[2] == "udf")) return UnescapeMountField(fields[1]);
  }
  return {};
}

}  // namespace

std::string DefaultWinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return JoinPath(home, ".wine");
}

std::optional<std::string> ReadWineRegistryValue(std::string_view regText, std::string_view key,
                                                 std::string_view valueName) {
  bool inKey = false;
  for (const std::string& line : LogicalLines(regText)) {
    if (line.empty()) continue;
    if (line.front() == '[') {
      std::size_t pos = 1;
      std::string name;
      inKey = ReadEscaped(line, pos, ']', name) && EqualsIgnoreCase(name, key);
      continue;
    }
    if (!inKey) continue;
    std::string name;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else if (line.front() == '"') {
      pos = 1;
      if (!ReadEscaped(line, pos, '"', name)) continue;
      ++pos;
    } else {
      continue;  // comments (#time=, ;;) and anything else
    }
    if (pos >= line.size() || line[pos] != '=' || !EqualsIgnoreCase(name, valueName)) continue;
    std::string_view value = std::string_view(line).substr(pos + 1);
    if (value.compare(0, 4, "str(") == 0) {
      std::size_t colon = value.find("):");
      if (colon == std::string_view::npos) return std::nullopt;
      value.remove_prefix(colon + 2);
    }
    if (value.empty() || value.front() != '"') return std::nullopt;  // not a text value
    std::string text;
    std::size_t vpos = 1;
    if (!ReadEscaped(value, vpos, '"', text)) return std::nullopt;
    // The program reads the value into a text buffer: it ends at the first NUL.
    if (std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
  }
  return std::nullopt;
}

std::string MapWindowsPath(std::string_view winePrefix, std::string_view windowsPath) {
  if (winePrefix.empty() || windowsPath.size() < 2 || windowsPath[1] != ':') return {};
  char letter = windowsPath[0];
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  if (letter < 'a' || letter > 'z') return {};
  std::string link = DriveLink(winePrefix, letter, false);
  if (link.empty()) return {};
  std::string root = RealPath(link);
  if (root.empty()) return {};
  std::string_view rest = windowsPath.substr(2);
  if (rest.empty()) return root;
  return ResolvePath(JoinPath(root, rest));
}

std::string FindGameFolder(std::string_view winePrefix) {
  if (winePrefix.empty()) return {};
  std::optional<std::string> regText = ReadWholeFile(JoinPath(winePrefix, "system.reg"));
  if (!regText) return {};
  std::optional<std::string> installPath = ReadWineRegistryValue(*regText, kGameRegistryKey, kGameRegistryValue);
  if (!installPath) {
    // A 32-bit installer in a 64-bit prefix records its key below Wow6432Node.
    installPath = ReadWineRegistryValue(*regText, "Software\\Wow6432Node\\Voltarra\\Kraxrun", kGameRegistryValue);
  }
  if (!installPath || installPath->empty()) return {};
  return MapWindowsPath(winePrefix, *installPath);
}

std::string FindCdDrive(std::string_view mountsFile, std::string_view winePrefix) {
  if (!mountsFile.empty()) {
    if (std::optional<std::string> mounts = ReadWholeFile(mountsFile)) {
      std::string mountPoint = FirstOpticalMount(*mounts);
      if (!mountPoint.empty()) return mountPoint;
    }
  }
  if (winePrefix.empty()) return {};
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    std::string device = DriveLink(winePrefix, letter, true);
    if (device.empty() || !IsOpticalDevice(device)) continue;
    std::string folder = RealPath(DriveLink(winePrefix, letter, false));
    if (!folder.empty() && IsFolder(folder)) return folder;
  }
  return {};
}

}  // namespace krax
