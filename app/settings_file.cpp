#include "app/settings_file.h"

#include "gamedata/ini_lines.h"
#include "platform/hex_digits.h"

namespace krax {
namespace {

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

// The settings file's rules: ";" and "#" comments, "[name]" lines with QSettings' escapes
// in the name, every section of a name read, a value with a line break refused, LF line ends.
constexpr IniSyntax kSettingsSyntax{.blanks = " \t",
                                    .commentMarks = ";#",
                                    .sectionClosesLine = true,
                                    .decodeSectionName = PercentDecoded,
                                    .firstSectionOnly = false,
                                    .lineBreakInValue = IniSyntax::LineBreakInValue::kRefuse,
                                    .blankLineBeforeNewSection = true,
                                    .lineEnd = "\n"};

}  // namespace

SettingsFile::SettingsFile() : lines_(kSettingsSyntax) {}

SettingsFile SettingsFile::Parse(std::string_view bytes) {
  SettingsFile file;
  file.lines_ = IniLines::Parse(bytes, kSettingsSyntax);
  std::vector<std::string>& lines = file.lines_.lines();
  file.literal_ = lines.empty() || lines.front() == kLiteralMark;
  if (!lines.empty() && lines.front() == kLiteralMark) lines.erase(lines.begin());
  return file;
}

std::optional<std::string> SettingsFile::Get(std::string_view section, std::string_view name) const {
  const std::optional<std::string_view> raw = lines_.RawValue(section, name);
  if (!raw) return std::nullopt;
  return literal_ ? std::string(*raw) : DecodeEarlierValue(*raw);
}

void SettingsFile::MakeLiteral() {
  if (literal_) return;
  lines_.RewriteValues(DecodeEarlierValue);
  literal_ = true;
}

bool SettingsFile::Set(std::string_view section, std::string_view name, std::string_view value) {
  MakeLiteral();  // a refused value leaves the bytes as they were: serialize makes them literal too
  return lines_.Set(section, name, value);
}

void SettingsFile::Remove(std::string_view section, std::string_view name) {
  MakeLiteral();
  lines_.Remove(section, name);
}

std::string SettingsFile::Serialize() const {
  if (!literal_) {
    SettingsFile literal = *this;
    literal.MakeLiteral();
    return literal.Serialize();
  }
  return std::string(kLiteralMark) + "\n" + lines_.Serialize();
}

}  // namespace krax
