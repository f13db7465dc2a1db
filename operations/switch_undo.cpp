#include "operations/switch_undo.h"

#include <cstring>

#include "platform/file_system.h"

namespace krax {

std::string SwitchStepReason(const FsResult& result) {
  if (result.status == FsStatus::kAlreadyExists) return "it already exists";
  if (result.status == FsStatus::kNotFound) return "it is missing";
  return result.systemError ? std::strerror(result.systemError) : "unknown error";
}

void SwitchUndoLog::Moved(const std::string& from, const std::string& to) {
  steps_.push_back({Step::Kind::kMoved, to, from, std::nullopt, false});
}

void SwitchUndoLog::Created(const std::string& path) {
  steps_.push_back({Step::Kind::kCreated, path, {}, std::nullopt, false});
}

bool SwitchUndoLog::Keep(const std::string& path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return false;
  steps_.push_back({Step::Kind::kKept, path, {}, std::move(bytes), IsReadOnly(path)});
  return true;
}

bool SwitchUndoLog::Undo(std::vector<std::string>& problems) {
  bool ok = true;
  const auto fail = [&](const std::string& text) {
    problems.push_back(text);
    ok = false;
  };
  for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
    switch (step->kind) {
      case Step::Kind::kMoved:
        if (FsResult back = RenameNoReplace(step->path, step->from); !back) {
          fail("Could not move " + step->path + " back to " + step->from + ": " + SwitchStepReason(back) + ".");
        }
        break;
      case Step::Kind::kCreated: {
        const FsResult removed = IsFolder(step->path) ? RemoveEmptyFolder(step->path) : DeleteFile(step->path);
        if (!removed && removed.status != FsStatus::kNotFound) {
          fail("Could not remove " + step->path + ": " + SwitchStepReason(removed) + ".");
        }
        break;
      }
      case Step::Kind::kKept: {
        // What stands there now (a copy put in its place) gives way to the kept content.
        if (IsFile(step->path)) {
          if (step->readOnly || IsReadOnly(step->path)) SetReadOnly(step->path, false);
          DeleteFile(step->path);
        }
        FsResult written = WriteFileAtomic(step->path, *step->bytes);
        if (written && step->readOnly) written = SetReadOnly(step->path, true);
        if (!written) fail("Could not put back " + step->path + ": " + SwitchStepReason(written) + ".");
        break;
      }
    }
  }
  steps_.clear();
  return ok;
}

}  // namespace krax
