#include "gamedata/install_info.h"

#include <utility>

#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {

constexpr char kCtrlZ = '\x1A';

std::string InstallInfoPath(std::string_view gameFolder) {
  return ResolvePath(JoinPath(gameFolder, kInstallInfoFileName));
}

}  // namespace

std::string InstallInfo::LanguageLine() const {
  std::string line = lines[0];
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

void ParseInstallInfo(std::string_view bytes, InstallInfo& info) {
  // Text mode: a Ctrl-Z ends the file, CR LF (or LF alone) ends a line.
  if (std::size_t end = bytes.find(kCtrlZ); end != std::string_view::npos) bytes = bytes.substr(0, end);
  info.fileLines.clear();
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    std::string_view line = bytes.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A last line without a line end is a line all the same, so that a rewrite keeps it.
    pos = end == std::string_view::npos ? bytes.size() : end + 1;
    info.fileLines.emplace_back(line);
  }
  for (std::size_t i = 0; i < InstallInfo::kReadEntries; ++i) {
    if (i >= info.fileLines.size()) {
      // The read that meets the end of the file leaves an entry holding only the newline.
      info.lines[i] = "\n";
      break;
    }
    info.lines[i] = info.fileLines[i] + '\n';
  }
}

bool ReadInstallInfo(std::string_view gameFolder, InstallInfo& info) {
  if (gameFolder.empty()) return false;
  const std::string path = InstallInfoPath(gameFolder);
  // The game opens the file for reading and writing: a read-only file counts as unreadable.
  if (!IsFile(path) || IsReadOnly(path)) return false;
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return false;
  InstallInfo fresh;
  ParseInstallInfo(*bytes, fresh);
  info = std::move(fresh);
  return true;
}

std::string FormatInstallInfo(const InstallInfo& info) {
  // Only the tracks line changes; every other line is written back as it was read.
  constexpr std::size_t kTracksLineIndex = 3;
  std::vector<std::string_view> lines(info.fileLines.begin(), info.fileLines.end());
  if (lines.size() <= kTracksLineIndex) lines.resize(kTracksLineIndex + 1);
  lines[kTracksLineIndex] = kTracksLine;
  std::string out;
  for (std::string_view line : lines) {
    out += line;
    out += "\r\n";
  }
  out += kCtrlZ;
  return out;
}

bool WriteInstallInfo(std::string_view gameFolder, const InstallInfo& info) {
  if (gameFolder.empty()) return false;
  return WriteFileAtomic(InstallInfoPath(gameFolder), FormatInstallInfo(info)).ok();
}

std::string LanguageSuffix(const InstallInfo& info) {
  std::string language = info.LanguageLine();
  for (char& c : language) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  static constexpr std::pair<std::string_view, std::string_view> kLanguages[] = {
      {"english", ".eng"}, {"german", ".ger"}, {"spanish", ".spa"}, {"italian", ".ita"},
      {"swedish", ".swe"}, {"french", ".fre"}, {"british", ".bri"},
  };
  for (const auto& [name, suffix] : kLanguages) {
    if (language == name) return std::string(suffix);
  }
  return {};
}

}  // namespace krax
