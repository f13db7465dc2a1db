// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of the test, and small helpers to fill it.
#pragma once

#include <stdlib.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace krax::test {

// A path from the program's UTF-8 text and back. std::filesystem's plain strings follow the C
// library's locale on Windows, so a name that is not ASCII would change on the way.
inline std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class ScratchFolder {
 public:
  ScratchFolder() {
#ifdef _WIN32
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path folder =
          std::filesystem::temp_directory_path() / ("krax-test-" + std::to_string(random() % 1000000000));
      if (std::filesystem::create_directory(folder)) path_ = Utf8Of(folder);
    }
    if (path_.empty()) throw std::runtime_error("no scratch folder");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "krax-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
#endif
  }
  ~ScratchFolder() {
    std::error_code ec;
    // Read-only folders made by a test would stop the removal.
    for (auto it = std::filesystem::recursive_directory_iterator(PathOf(path_), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(PathOf(path_), ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
#ifdef _WIN32
  // Backslashes throughout, as the program's own joining gives them.
  std::string operator/(std::string_view relative) const {
    std::string out = path_ + "\\" + std::string(relative);
    for (char& c : out) c = c == '/' ? '\\' : c;
    return out;
  }
#else
  std::string operator/(std::string_view relative) const { return path_ + "/" + std::string(relative); }
#endif

  // Writes `bytes` to `relative`, creating its folders.
  std::string write(std::string_view relative, std::string_view bytes) const {
    std::filesystem::path file = PathOf(path_) / PathOf(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return Utf8Of(file);
  }
  std::string mkdir(std::string_view relative) const {
    std::filesystem::path folder = PathOf(path_) / PathOf(relative);
    std::filesystem::create_directories(folder);
    return Utf8Of(folder);
  }

 private:
  std::string path_;
};

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = ::getenv(name)) {
      old_ = old;
      hadOld_ = true;
    }
    Set(name, value.c_str());
  }
  ~ScopedEnv() { Set(name_, hadOld_ ? old_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  static void Set(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value ? value : "");  // "" removes it
#else
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
#endif
  }

  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

}  // namespace krax::test
