// The lines of an INI file, read and edited in place: sections in brackets, name=value lines,
// section and value names compared ignoring ASCII case. Editing a value keeps every other
// line byte for byte. The program's INI files differ in a few rules (IniSyntax): the game's
// profile-string files and the settings file each pass their own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

struct IniSyntax {
  // Trimmed around section names and value names.
  std::string_view blanks = " \t";
  // A line whose first non-blank character is one of these is a comment.
  std::string_view commentMarks = ";";
  // True: a section line is "[name]" up to the line's end; false: its name runs from "[" to
  // the first "]" (or the line's end).
  bool sectionClosesLine = false;
  // Section names as written to the file's names as read (nullptr: as written).
  std::string (*decodeSectionName)(std::string_view written) = nullptr;
  // True: only the first section of a name is read; false: every one, in file order.
  bool firstSectionOnly = false;
  // What setting a value holding a line break does: refuse it (the file stays as it was) or
  // keep the value up to the break.
  enum class LineBreakInValue { kRefuse, kCut } lineBreakInValue = LineBreakInValue::kRefuse;
  // True: a new section at the end of the file follows a blank line.
  bool blankLineBeforeNewSection = false;
  // Ends every line when the file is written.
  std::string_view lineEnd = "\r\n";
};

class IniLines {
 public:
  explicit IniLines(const IniSyntax& syntax) : syntax_(syntax) {}
  // Any bytes parse: lines are split at LF (a CR before it is dropped); lines that are
  // neither a section line nor hold "=" are kept but carry no value.
  static IniLines Parse(std::string_view bytes, const IniSyntax& syntax);

  // Everything after the first "=" of the first line naming `name` in `section`, as written.
  std::optional<std::string_view> RawValue(std::string_view section, std::string_view name) const;
  // Replaces the value's line, or adds it after the last non-blank line of its section, or
  // adds the section at the end of the file. False (nothing changed) for a refused value.
  bool Set(std::string_view section, std::string_view name, std::string_view value);
  // Takes out every line naming `name` in `section`.
  void Remove(std::string_view section, std::string_view name);
  // Replaces the value part of every name=value line by `rewrite(value as written)`.
  template <typename Rewrite>
  void RewriteValues(Rewrite rewrite) {
    for (std::string& line : lines_) {
      if (!SectionName(line) && ValueName(line)) {
        const std::size_t equals = line.find('=');
        line = line.substr(0, equals + 1) + std::string(rewrite(std::string_view(line).substr(equals + 1)));
      }
    }
  }
  // Every line followed by the syntax's line end.
  std::string Serialize() const;

  std::vector<std::string>& lines() { return lines_; }
  // `text` without the syntax's blanks at either end.
  std::string_view Trimmed(std::string_view text) const;

 private:
  std::optional<std::string> SectionName(std::string_view line) const;
  std::optional<std::string_view> ValueName(std::string_view line) const;

  IniSyntax syntax_;
  std::vector<std::string> lines_;
};

// The lines of an INI file's bytes: split at LF, a CR before it dropped; no line for the
// end of the last one.
std::vector<std::string> SplitIniLines(std::string_view bytes);

}  // namespace krax
