#include "app/settings_file.h"

#include "platform/hex_digits.h"
#include "gamedata/ini_file.h"
#include "platform/path.h"

namespace krax {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// QSettings wrote section names with %XX escapes ("Recent%20File%20List").
std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::optional<std::string> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return PercentDecoded(Trim(line.substr(1, line.size() - 2)));
}

// The name of a "name=value" line, or nullopt for comments and other lines.
std::optional<std::string_view> NameOf(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || trimmed.front() == '[') {
    return std::nullopt;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, equals));
}

std::string_view RawValue(std::string_view line) { return line.substr(line.find('=') + 1); }

// A value as QSettings wrote it, decoded; the value as it stands
// when QSettings could not have written it so.
std::string DecodeEarlierValue(std::string_view value) {
  std::string_view inner = value;
  const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  if (quoted) {
    inner = value.substr(1, value.size() - 2);
  } else if (value.find_first_of(",;=\"") != std::string_view::npos ||
             value.find('\\') == std::string_view::npos) {
    return std::string(value);  // QSettings quoted such values; without escapes it is as written
  }
  std::string out;
  for (std::size_t i = 0; i < inner.size(); ++i) {
    const char c = inner[i];
    if (c == '"') return std::string(value);  // QSettings escaped every quote
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    // QSettings doubled backslashes and escaped quotes; any other escape means the value was
    // written by hand, as in "C:\Tools\trk.exe".
    if (i + 1 == inner.size() || (inner[i + 1] != '\\' && inner[i + 1] != '"')) return std::string(value);
    out.push_back(inner[++i]);
  }
  if (out.size() >= 2 && out[0] == '@' && out[1] == '@') out.erase(0, 1);  // QSettings' "@@"
  return out;
}

}  // namespace

SettingsFile SettingsFile::Parse(std::string_view bytes) {
  SettingsFile file;
  file.lines_ = SplitIniLines(bytes);
  file.literal_ = file.lines_.empty() || file.lines_.front() == kLiteralMark;
  if (!file.lines_.empty() && file.lines_.front() == kLiteralMark) file.lines_.erase(file.lines_.begin());
  return file;
}

std::optional<std::string> SettingsFile::get(std::string_view section, std::string_view name) const {
  bool inSection = false;
  for (const std::string& line : lines_) {
    if (const auto sectionName = SectionName(line)) {
      inSection = EqualsIgnoreCase(*sectionName, section);
      continue;
    }
    if (!inSection) continue;
    if (const auto lineName = NameOf(line); lineName && EqualsIgnoreCase(*lineName, name)) {
      const std::string_view raw = RawValue(line);
      return literal_ ? std::string(raw) : DecodeEarlierValue(raw);
    }
  }
  return std::nullopt;
}

void SettingsFile::makeLiteral() {
  if (literal_) return;
  for (std::string& line : lines_) {
    if (SectionName(line) || !NameOf(line)) continue;
    const std::size_t equals = line.find('=');
    line = line.substr(0, equals + 1) + DecodeEarlierValue(RawValue(line));
  }
  literal_ = true;
}

bool SettingsFile::set(std::string_view section, std::string_view name, std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos) return false;
  makeLiteral();
  const std::string newLine = std::string(name) + "=" + std::string(value);
  std::size_t insertAt = lines_.size();
  bool inSection = false;
  bool found = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto sectionName = SectionName(lines_[i])) {
      if (found) break;
      inSection = EqualsIgnoreCase(*sectionName, section);
      if (inSection) {
        found = true;
        insertAt = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    if (const auto lineName = NameOf(lines_[i]); lineName && EqualsIgnoreCase(*lineName, name)) {
      lines_[i] = newLine;
      return true;
    }
    if (!Trim(lines_[i]).empty()) insertAt = i + 1;  // after the section's last non-blank line
  }
  if (found) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
    return true;
  }
  if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
  lines_.push_back("[" + std::string(section) + "]");
  lines_.push_back(newLine);
  return true;
}

void SettingsFile::remove(std::string_view section, std::string_view name) {
  makeLiteral();
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto sectionName = SectionName(lines_[i])) {
      inSection = EqualsIgnoreCase(*sectionName, section);
      continue;
    }
    if (!inSection) continue;
    if (const auto lineName = NameOf(lines_[i]); lineName && EqualsIgnoreCase(*lineName, name)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      --i;
    }
  }
}

std::string SettingsFile::serialize() const {
  if (!literal_) {
    SettingsFile literal = *this;
    literal.makeLiteral();
    return literal.serialize();
  }
  std::string bytes = std::string(kLiteralMark) + "\n";
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += '\n';
  }
  return bytes;
}

}  // namespace krax
