// Writing files below a destination folder without ever leaving it, for zip and cabinet
// extraction alike: every folder below the destination is opened relative to its parent and
// never through a symbolic link, and a file is written under a temporary name (".krax-...",
// held while in use) and renamed over the old one once complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace krax {

// A file being written; removed unless committed.
class PendingFile {
 public:
  PendingFile(UniqueFd folder, UniqueFd file, std::string tempName, std::string finalName, std::string path);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  const std::string& path() const { return path_; }
  bool Write(const char* data, std::size_t size);
  // Hands the descriptor to a writer that closes it itself before Commit.
  int ReleaseFd() { return file_.release(); }
  // Dates the file (Unix seconds), makes it read-only when asked and puts it in place; ""
  // or the reason it failed.
  std::string Commit(std::int64_t modified, bool readOnly = false);

 private:
  UniqueFd folder_;
  UniqueFd file_;
  std::string tempName_;
  std::string finalName_;
  std::string path_;
  bool committed_ = false;
};

class SafeDestination {
 public:
  // Opens the destination folder, creating it with its parents when missing, and removes the
  // temporaries a killed run left there. Check ok().
  explicit SafeDestination(const std::string& folder);

  bool ok() const { return root_.get() >= 0; }
  const std::string& problem() const { return problem_; }

  // Creates the folders `components` below the destination. "" on success, else the reason.
  std::string MakeFolders(const std::vector<std::string>& components);

  // Starts the file `components` (folders, then the file name), creating its folders. When a
  // file of that name exists, `replace` decides (false: nullptr and `problem` = "skipped").
  // nullptr with `problem` set when it cannot be written.
  std::unique_ptr<PendingFile> Begin(const std::vector<std::string>& components,
                                     const std::function<bool(const std::string& path)>& replace,
                                     std::string& problem);

 private:
  UniqueFd OpenFolder(const std::vector<std::string>& components, std::size_t count, std::string& problem);

  std::string folder_;
  UniqueFd root_;
  std::string problem_;
  std::vector<std::string> swept_;  // folders below the destination already cleared of leftovers
};

}  // namespace krax
