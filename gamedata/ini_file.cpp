#include "gamedata/ini_file.h"

#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The section name of a "[name]" line, or nullopt for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  const std::size_t close = line.find(']');
  return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

// The key of a "key=value" line (not a comment), or nullopt.
std::optional<std::string_view> KeyName(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, equals));
}

std::string ValueOf(std::string_view line) {
  std::string_view value = Trim(line.substr(line.find('=') + 1));
  // Like the profile functions: one pair of matching quotes around the value is dropped.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

}  // namespace

std::vector<std::string> SplitIniLines(std::string_view bytes) {
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile file;
  file.lines_ = SplitIniLines(bytes);
  return file;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  bool sectionSeen = false;
  for (const std::string& line : lines_) {
    if (const auto name = SectionName(line)) {
      if (sectionSeen && inSection) return std::nullopt;  // only the first such section counts
      inSection = EqualsIgnoreCase(*name, section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection) continue;
    if (const auto name = KeyName(line); name && EqualsIgnoreCase(*name, key)) return ValueOf(line);
  }
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  value = value.substr(0, value.find_first_of("\r\n"));  // one line, whatever the caller gives
  const std::string newLine = std::string(key) + "=" + std::string(value);
  std::size_t insertAt = lines_.size();
  bool inSection = false;
  bool found = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionName(lines_[i])) {
      if (found) break;
      inSection = EqualsIgnoreCase(*name, section);
      if (inSection) {
        found = true;
        insertAt = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    if (const auto name = KeyName(lines_[i])) {
      if (EqualsIgnoreCase(*name, key)) {
        lines_[i] = newLine;
        return;
      }
    }
    if (!Trim(lines_[i]).empty()) insertAt = i + 1;  // after the section's last non-blank line
  }
  if (found) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
    return;
  }
  lines_.push_back("[" + std::string(section) + "]");
  lines_.push_back(newLine);
}

std::string IniFile::serialize() const {
  std::string bytes;
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

std::optional<std::string> ReadProfileString(std::string_view path, std::string_view section,
                                             std::string_view key) {
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return IniFile::Parse(*bytes).get(section, key);
}

bool WriteProfileString(std::string_view path, std::string_view section, std::string_view key,
                        std::string_view value) {
  IniFile file;
  if (IsFile(path)) {
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) return false;  // never replace a file we could not read
    file = IniFile::Parse(*bytes);
  }
  file.set(section, key, value);
  return WriteFileAtomic(path, file.serialize()).ok();
}

}  // namespace krax
