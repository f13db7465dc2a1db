// The record of what a track switch has changed on disk so far, so that a switch that fails
// part-way can be taken back step by step and leave the slot exactly as it was.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace krax {

struct FsResult;

// Why a step of a switch or of its undoing failed, for its message: "it already exists",
// "it is missing" or the system's text.
std::string SwitchStepReason(const FsResult& result);

class SwitchUndoLog {
 public:
  // `from` was moved to `to`.
  void Moved(const std::string& from, const std::string& to);
  // `path` was created (a copied file, a new folder).
  void Created(const std::string& path);
  // Call before `path` (a plain file) is deleted or overwritten: keeps its content. False, and
  // nothing recorded, when it cannot be read; the caller must then leave it alone.
  bool Keep(const std::string& path);

  // Undoes every recorded step, last first. Each step that cannot be undone adds a line to
  // `problems`; false when there was one.
  bool Undo(std::vector<std::string>& problems);
  bool empty() const { return steps_.empty(); }

 private:
  struct Step {
    enum class Kind { kMoved, kCreated, kKept } kind;
    std::string path, from;         // kMoved: path is where it went, from where it came
    std::optional<std::string> bytes;  // kKept: the content
    bool readOnly = false;
  };
  std::vector<Step> steps_;
};

}  // namespace krax
