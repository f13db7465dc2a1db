#include "gamedata/ini_lines.h"

#include "platform/path.h"

namespace krax {

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

IniLines IniLines::Parse(std::string_view bytes, const IniSyntax& syntax) {
  IniLines file(syntax);
  file.lines_ = SplitIniLines(bytes);
  return file;
}

std::string_view IniLines::Trimmed(std::string_view text) const {
  const std::size_t first = text.find_first_not_of(syntax_.blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(syntax_.blanks) - first + 1);
}

std::optional<std::string> IniLines::SectionName(std::string_view line) const {
  line = Trimmed(line);
  std::string_view name;
  if (syntax_.sectionClosesLine) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    name = Trimmed(line.substr(1, line.size() - 2));
  } else {
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    name = Trimmed(line.substr(0, line.find(']')));
  }
  return syntax_.decodeSectionName ? syntax_.decodeSectionName(name) : std::string(name);
}

std::optional<std::string_view> IniLines::ValueName(std::string_view line) const {
  const std::string_view text = Trimmed(line);
  if (text.empty() || text.front() == '[' || syntax_.commentMarks.find(text.front()) != std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trimmed(line.substr(0, equals));
}

std::optional<std::string_view> IniLines::RawValue(std::string_view section, std::string_view name) const {
  bool inSection = false;
  bool sectionSeen = false;
  for (const std::string& line : lines_) {
    if (const auto found = SectionName(line)) {
      if (syntax_.firstSectionOnly && sectionSeen && inSection) return std::nullopt;
      inSection = EqualsIgnoreCase(*found, section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection) continue;
    if (const auto lineName = ValueName(line); lineName && EqualsIgnoreCase(*lineName, name)) {
      return std::string_view(line).substr(line.find('=') + 1);
    }
  }
  return std::nullopt;
}

bool IniLines::Set(std::string_view section, std::string_view name, std::string_view value) {
  const std::size_t lineBreak = value.find_first_of("\r\n");
  if (lineBreak != std::string_view::npos) {
    if (syntax_.lineBreakInValue == IniSyntax::LineBreakInValue::kRefuse) return false;
    value = value.substr(0, lineBreak);
  }
  const std::string newLine = std::string(name) + "=" + std::string(value);
  std::size_t insertAt = lines_.size();
  bool inSection = false;
  bool found = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto header = SectionName(lines_[i])) {
      if (found) break;
      inSection = EqualsIgnoreCase(*header, section);
      if (inSection) {
        found = true;
        insertAt = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    if (const auto lineName = ValueName(lines_[i]); lineName && EqualsIgnoreCase(*lineName, name)) {
      lines_[i] = newLine;
      return true;
    }
    if (!Trimmed(lines_[i]).empty()) insertAt = i + 1;  // after the section's last non-blank line
  }
  if (found) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
    return true;
  }
  if (syntax_.blankLineBeforeNewSection && !lines_.empty() && !Trimmed(lines_.back()).empty()) lines_.emplace_back();
  lines_.push_back("[" + std::string(section) + "]");
  lines_.push_back(newLine);
  return true;
}

void IniLines::Remove(std::string_view section, std::string_view name) {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto found = SectionName(lines_[i])) {
      inSection = EqualsIgnoreCase(*found, section);
      continue;
    }
    if (!inSection) continue;
    if (const auto lineName = ValueName(lines_[i]); lineName && EqualsIgnoreCase(*lineName, name)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      --i;
    }
  }
}

std::string IniLines::Serialize() const {
  std::string bytes;
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += syntax_.lineEnd;
  }
  return bytes;
}

}  // namespace krax
