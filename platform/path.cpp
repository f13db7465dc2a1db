#include "platform/path.h"

#include <optional>

#include "platform/file_system.h"
#include "platform/real_path.h"

namespace krax {

namespace {

std::string ToNative(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (IsSeparator(c)) c = NativeSeparator();
  }
  return out;
}

// The first entry of `folder` whose name equals `name` ignoring ASCII case, in the
// order the file system lists them.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder, std::string_view name) {
  for (const DirEntry& entry : ListFolder(folder.empty() ? "." : folder)) {
    if (EqualsIgnoreCase(entry.name, name)) return entry.name;
  }
  return std::nullopt;
}

// "C:\\" or "C:/": the root of a drive.
[[maybe_unused]] bool IsDriveRoot(std::string_view path) {
  return path.size() == 3 && path[1] == ':' && IsSeparator(path[2]) &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

struct Resolution {
  std::string path;
  bool found = true;
};

Resolution Resolve(std::string_view path) {
  const std::vector<std::string> components = PathComponents(path);
  const bool absolute = !path.empty() && IsSeparator(path.front());
  Resolution result;
  std::string current = absolute ? std::string(1, NativeSeparator()) : std::string();
  std::size_t first = 0;
#ifdef _WIN32
  if (IsDriveRoot(path.substr(0, 3))) {  // "C:\..." starts at the drive's root
    current = std::string(path.substr(0, 2)) + NativeSeparator();
    first = 1;
  }
#endif
  auto append = [&current](const std::string& name) {
    if (!current.empty() && current.back() != NativeSeparator()) current += NativeSeparator();
    current += name;
  };
  for (std::size_t i = first; i < components.size(); ++i) {
    const std::string& component = components[i];
    const std::string parent = current;
    append(component);
    if (!result.found || component == "." || component == ".." || EntryExists(current)) continue;
    if (auto match = FindEntryIgnoringCase(parent, component)) {
      current = parent;
      append(*match);
    } else {
      result.found = false;  // the rest stays as spelled
    }
  }
  if (components.empty() && !absolute) result.found = false;
  // Keep a trailing separator the caller gave (a folder spelled as "GameData\\").
  if (!path.empty() && IsSeparator(path.back()) && !current.empty() && current.back() != NativeSeparator()) {
    current += NativeSeparator();
  }
  result.path = current;
  return result;
}

}  // namespace

char NativeSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string JoinPath(std::string_view folder, std::string_view sub) {
  if (folder.empty()) return ToNative(sub);
  std::size_t folderEnd = folder.size();
  while (folderEnd > 0 && IsSeparator(folder[folderEnd - 1])) --folderEnd;
  std::size_t subStart = 0;
  while (subStart < sub.size() && IsSeparator(sub[subStart])) ++subStart;
  std::string out(folder.substr(0, folderEnd));
  out += NativeSeparator();
  out += ToNative(sub.substr(subStart));
  return out;
}

std::vector<std::string> PathComponents(std::string_view path) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (i > start) out.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

std::string BaseName(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return std::string(path.substr(i));
  }
  return std::string(path);
}

std::string ParentPath(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) {
      // The parent of "/name" is the root itself, not "".
      if (i == 1) return std::string(1, path[0]);
#ifdef _WIN32
      // Likewise "C:\\name" lies in "C:\\"; the root itself has no parent.
      if (i == 3 && IsDriveRoot(path.substr(0, 3))) return path.size() == 3 ? std::string() : std::string(path.substr(0, 3));
#endif
      return std::string(path.substr(0, i - 1));
    }
  }
  return {};
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string ResolvePath(std::string_view path) {
  if (path.empty()) return {};
  return Resolve(path).path;
}

bool PathExists(std::string_view path) {
  if (path.empty()) return false;
  return Resolve(path).found;
}

}  // namespace krax
