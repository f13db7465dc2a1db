#include "operations/profile.h"

#include <algorithm>
#include <cstring>

#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

bool HasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; });
}

// A car folder below CarModel: "/"-separated components, none empty, "." or ".."; or "."
// alone for an archive lying in CarModel itself.
bool IsCarFolderPath(const std::string& path) {
  if (path == ".") return true;
  if (path.empty() || HasControlCharacter(path) || path.find('\\') != std::string::npos) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find('/', start);
    const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool IsTrackName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && !HasControlCharacter(name) &&
         name.find_first_of("/\\") == std::string::npos;
}

constexpr const char* kNoFolder = "No folder for profiles is known (it lies beside the settings file).";

ProfileParse Damaged(int line, const std::string& what) {
  return {std::nullopt, "line " + std::to_string(line) + ": " + what};
}

}  // namespace

std::string SerializeProfile(const Profile& profile) {
  std::string text = std::string(kProfileHeader) + "\n";
  text += "# Cars by folder below GameData/CarModel (on = enabled), then the active track of each slot.\n";
  for (const auto& [folder, enabled] : profile.cars) text += std::string("car ") + (enabled ? "on " : "off ") + folder + "\n";
  for (std::size_t row = 0; row < profile.tracks.size(); ++row) {
    text += "track " + std::to_string(row) + " " + profile.tracks[row] + "\n";
  }
  return text;
}

ProfileParse ParseProfile(const std::string& text) {
  Profile profile;
  std::array<bool, kStockTrackSlotCount> seen{};
  // A UTF-8 byte-order mark, as Notepad writes one, is no part of the first line.
  std::size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  int number = 0;
  bool header = false;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!header) {
      if (line != kProfileHeader) return Damaged(number, "this is not a KRAXManager profile");
      header = true;
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("car on ", 0) == 0 || line.rfind("car off ", 0) == 0) {
      const bool enabled = line[5] == 'n';
      const std::string folder = line.substr(enabled ? 7 : 8);
      if (!IsCarFolderPath(folder)) return Damaged(number, "\"" + folder + "\" is no car folder");
      if (!profile.cars.emplace(folder, enabled).second) return Damaged(number, "car " + folder + " is named twice");
    } else if (line.rfind("track ", 0) == 0 && line.size() > 8 && line[6] >= '0' &&
               line[6] < static_cast<char>('0' + kStockTrackSlotCount) && line[7] == ' ') {
      const std::size_t row = static_cast<std::size_t>(line[6] - '0');
      const std::string name = line.substr(8);
      if (!IsTrackName(name)) return Damaged(number, "\"" + name + "\" is no track folder name");
      if (seen[row]) return Damaged(number, "slot " + std::to_string(row) + " is named twice");
      seen[row] = true;
      profile.tracks[row] = name;
    } else {
      return Damaged(number, "\"" + line + "\" is neither a car nor a track line");
    }
  }
  if (!header) return Damaged(1, "the file is empty");
  for (std::size_t row = 0; row < seen.size(); ++row) {
    if (!seen[row]) return {std::nullopt, "slot " + std::to_string(row) + " has no track line"};
  }
  return {std::move(profile), {}};
}

std::string ProfileNameProblem(const std::string& name) {
  if (name.empty()) return "A profile needs a name.";
  // Characters, not bytes: every byte but a UTF-8 continuation byte starts one.
  const auto characters = std::count_if(name.begin(), name.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  if (characters > 100) return "A profile name may have at most 100 characters.";
  if (HasControlCharacter(name) || name.find_first_of("/\\:*?\"<>|") != std::string::npos) {
    return "A profile name may not hold any of / \\ : * ? \" < > |.";
  }
  if (name[0] == '.' || name[0] == ' ' || name.back() == ' ' || name.back() == '.') {
    return "A profile name may not start with a dot or a space, nor end with one.";
  }
  return {};
}

std::string ProfileStore::FilePath(const std::string& name) const {
  return JoinPath(folder_, name + kProfileExtension);
}

std::vector<std::string> ProfileStore::Names() const {
  std::vector<std::string> names;
  if (folder_.empty()) return names;
  const std::size_t extension = std::strlen(kProfileExtension);
  for (const DirEntry& entry : ListFolder(folder_)) {
    if (entry.isFolder || entry.name.size() <= extension) continue;
    if (entry.name.compare(entry.name.size() - extension, extension, kProfileExtension) != 0) continue;
    const std::string name = entry.name.substr(0, entry.name.size() - extension);
    if (ProfileNameProblem(name).empty()) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool ProfileStore::Exists(const std::string& name) const {
  return !folder_.empty() && ProfileNameProblem(name).empty() && IsFile(FilePath(name));
}

ProfileParse ProfileStore::Load(const std::string& name) const {
  if (folder_.empty()) return {std::nullopt, kNoFolder};
  if (const std::string problem = ProfileNameProblem(name); !problem.empty()) return {std::nullopt, problem};
  const std::string path = FilePath(name);
  if (!IsFile(path)) return {std::nullopt, "There is no profile \"" + name + "\"."};
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return {std::nullopt, "The profile file " + path + " cannot be read."};
  ProfileParse parse = ParseProfile(*bytes);
  if (!parse.profile) parse.problem = "The profile file " + path + " is damaged (" + parse.problem + "); nothing was changed.";
  return parse;
}

std::string UnsavableProfileProblem(const Profile& profile) {
  const ProfileParse again = ParseProfile(SerializeProfile(profile));
  if (again.profile && *again.profile == profile) return {};
  std::string name;
  for (const auto& [folder, enabled] : profile.cars) {
    if (!IsCarFolderPath(folder)) {
      name = "car folder \"" + folder + "\"";
      break;
    }
  }
  for (std::size_t row = 0; name.empty() && row < profile.tracks.size(); ++row) {
    if (!IsTrackName(profile.tracks[row])) name = "track \"" + profile.tracks[row] + "\"";
  }
  return "The profile cannot be saved: the " + (name.empty() ? std::string("state") : name) +
         " holds a character a profile cannot keep (a tab, a line break or another control character). "
         "Rename it first.";
}

std::string ProfileStore::Save(const std::string& name, const Profile& profile) const {
  if (folder_.empty()) return kNoFolder;
  if (const std::string problem = ProfileNameProblem(name); !problem.empty()) return problem;
  if (const std::string problem = UnsavableProfileProblem(profile); !problem.empty()) return problem;
  if (!CreateFolder(folder_, true)) return "The profile folder " + folder_ + " cannot be made.";
  if (!WriteFileAtomic(FilePath(name), SerializeProfile(profile))) return "The profile file " + FilePath(name) + " cannot be written.";
  return {};
}

std::string ProfileStore::Remove(const std::string& name) const {
  if (!Exists(name)) return "There is no profile \"" + name + "\".";
  if (!DeleteFile(FilePath(name))) return "The profile file " + FilePath(name) + " cannot be deleted.";
  return {};
}

}  // namespace krax
