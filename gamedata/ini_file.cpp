#include "gamedata/ini_file.h"

#include "platform/file_system.h"

namespace krax {
namespace {

// The layout of the Windows profile-string functions: ";" comments, a section name up to the
// first "]", CR trimmed as a blank, only the first section of a name read, a value cut at a
// line break, CR LF line ends.
constexpr IniSyntax kProfileSyntax{.blanks = " \t\r",
                                   .commentMarks = ";",
                                   .sectionClosesLine = false,
                                   .decodeSectionName = nullptr,
                                   .firstSectionOnly = true,
                                   .lineBreakInValue = IniSyntax::LineBreakInValue::kCut,
                                   .blankLineBeforeNewSection = false,
                                   .lineEnd = "\r\n"};

}  // namespace

IniFile::IniFile() : lines_(kProfileSyntax) {}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile file;
  file.lines_ = IniLines::Parse(bytes, kProfileSyntax);
  return file;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  const std::optional<std::string_view> raw = lines_.RawValue(section, key);
  if (!raw) return std::nullopt;
  std::string_view value = lines_.Trimmed(*raw);
  // Like the profile functions: one pair of matching quotes around the value is dropped.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  lines_.Set(section, key, value);  // one line, whatever the caller gives
}

std::string IniFile::Serialize() const { return lines_.Serialize(); }

std::optional<std::string> ReadProfileString(std::string_view path, std::string_view section,
                                             std::string_view key) {
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return IniFile::Parse(*bytes).Get(section, key);
}

bool WriteProfileString(std::string_view path, std::string_view section, std::string_view key,
                        std::string_view value) {
  IniFile file;
  if (IsFile(path)) {
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) return false;  // never replace a file we could not read
    file = IniFile::Parse(*bytes);
  }
  file.Set(section, key, value);
  return WriteFileAtomic(path, file.Serialize()).ok();
}

}  // namespace krax
