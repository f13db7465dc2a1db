#include "platform/process.h"

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/real_path.h"

namespace krax {

bool IsWindowsProgram(std::string_view program) {
  return program.size() >= 4 && EqualsIgnoreCase(program.substr(program.size() - 4), ".exe");
}

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  enum class Quote { kNone, kSingle, kDouble } quote = Quote::kNone;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    switch (quote) {
      case Quote::kSingle:
        if (c == '\'') {
          quote = Quote::kNone;
        } else {
          word += c;
        }
        break;
      case Quote::kDouble:
        if (c == '"') {
          quote = Quote::kNone;
        } else if (c == '\\' && i + 1 < line.size() && std::strchr("\"\\$`\n", line[i + 1])) {
          if (line[++i] != '\n') word += line[i];
        } else {
          word += c;
        }
        break;
      case Quote::kNone:
        if (c == ' ' || c == '\t' || c == '\n') {
          if (inWord) words.push_back(std::move(word));
          word.clear();
          inWord = false;
        } else if (c == '\'') {
          quote = Quote::kSingle;
          inWord = true;
        } else if (c == '"') {
          quote = Quote::kDouble;
          inWord = true;
        } else if (c == '\\') {
          inWord = true;
          if (i + 1 < line.size()) {
            if (line[++i] != '\n') word += line[i];  // backslash-newline joins lines
          }
        } else {
          word += c;
          inWord = true;
        }
        break;
    }
  }
  if (quote != Quote::kNone) return std::nullopt;
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::string WinePrefixOf(std::string_view pathView) {
  std::string path(pathView);
  if (path.empty()) return {};
  if (!IsSeparator(path.front())) {
    path = RealPath(path);
    if (path.empty()) return {};
  }
  for (std::string folder = ParentPath(path); !folder.empty(); folder = ParentPath(folder)) {
    if (IsFile(JoinPath(folder, "system.reg")) && IsFolder(JoinPath(folder, "dosdevices"))) return folder;
    if (folder.size() == 1) break;  // the root
  }
  return {};
}

ProcessResult StartCommandLine(std::string_view commandLine, const StartOptions& options) {
  std::optional<std::vector<std::string>> words = SplitCommandLine(commandLine);
  if (!words) return ProcessResult::Failed(EINVAL, "The command line has an unclosed quote");
  if (words->empty()) return ProcessResult::Failed(EINVAL, "The command line is empty");
  return StartProgram(*words, options);
}

}  // namespace krax
