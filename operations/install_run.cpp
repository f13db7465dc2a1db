#include "operations/install_run.h"

#include <cstring>

#include "archive/cab/cab_entries.h"
#include "archive/zip/zip_archive.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

void CopyFolderFiles(const InstallPlan& plan, InstallOutcome& outcome) {
  for (const InstallFile& file : plan.files) {
    // An existing file of that name in another case is replaced, not doubled.
    const std::string target = ResolvePath(JoinPath(outcome.destination, file.displayName));
    const FsResult copied = CopyFile(file.source, target, true);
    if (copied.ok()) {
      outcome.installed.push_back(file.displayName);
    } else {
      outcome.failed.emplace_back(file.displayName, copied.error ? std::strerror(copied.error) : "cannot copy");
    }
  }
}

// The plan's file whose entry name is `entry` (ignoring case), or nullptr.
const InstallFile* FindEntry(const InstallPlan& plan, const std::string& entry) {
  for (const InstallFile& file : plan.files) {
    if (EqualsIgnoreCase(file.source, entry)) return &file;
  }
  return nullptr;
}

void ExtractZip(const InstallPlan& plan, InstallOutcome& outcome, const ArchiveCallbacks& callbacks) {
  ArchiveNameList names;
  for (const InstallFile& file : plan.files) names.push_back(file.source);
  const ZipExtractResult result = ExtractZipEntries(plan.source, names, outcome.destination, true, true, callbacks);
  if (!result.opened) {
    outcome.problem = result.message;
    return;
  }
  for (const auto& [entry, reason] : result.failed) {
    const InstallFile* file = FindEntry(plan, entry);
    outcome.failed.emplace_back(file ? file->displayName : entry, reason);
  }
  for (const InstallFile& file : plan.files) {
    bool failed = false;
    for (const auto& [name, reason] : outcome.failed) failed = failed || name == file.displayName;
    if (!failed) outcome.installed.push_back(file.displayName);
  }
}

void ExtractCabinet(const InstallPlan& plan, InstallOutcome& outcome, const ArchiveCallbacks& callbacks) {
  std::vector<bool> done(plan.files.size(), false);
  cab::CabExtractRequest request;
  request.cabPath = plan.source;
  request.destFolder = outcome.destination;
  request.callbacks = &callbacks;
  request.withoutFolders = true;
  request.wanted = [&plan](const std::string& stored) { return FindEntry(plan, stored) != nullptr; };
  request.refused = [&](const std::string& stored) {
    outcome.failed.emplace_back(EntryDisplayName(stored), "refused: the name leads outside the destination folder");
  };
  request.extracted = [&](const std::string& stored, const std::string&) {
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
      if (EqualsIgnoreCase(plan.files[i].source, stored)) done[i] = true;
    }
  };
  const cab::CabExtractResult result = cab::ExtractCabinet(request);
  for (std::size_t i = 0; i < plan.files.size(); ++i) {
    const std::string& name = plan.files[i].displayName;
    if (done[i]) {
      outcome.installed.push_back(name);
    } else {
      bool reported = false;
      for (const auto& failure : outcome.failed) reported = reported || failure.first == name;
      if (!reported) outcome.failed.emplace_back(name, result.ok ? "not extracted" : result.message);
    }
  }
}

}  // namespace

std::string InstallIdProblem(const std::string& id) {
  if (id.empty()) return "Please enter an ID.";
  bool bad = id == "." || id == "..";
  for (char c : id) {
    bad = bad || c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20;
  }
  return bad ? "The ID \"" + id + "\" cannot be used as a folder name." : std::string();
}

std::string InstallOutcome::Summary() const {
  std::string text;
  if (!problem.empty()) {
    text = "Nothing was installed into " + destination + ": " + problem;
    return text;
  }
  text = "Installed " + std::to_string(installed.size()) + " of " + std::to_string(installed.size() + failed.size()) +
         " files into " + destination + ".";
  if (!failed.empty()) {
    text += "\nNot installed:";
    for (const auto& [name, reason] : failed) text += "\n  " + name + ": " + reason;
  }
  return text;
}

InstallOutcome RunInstall(const InstallPlan& plan, const std::string& destination,
                          const ArchiveCallbacks& callbacks) {
  InstallOutcome outcome;
  outcome.destination = destination;
  const bool created = !IsFolder(destination);
  if (created) {
    const FsResult made = CreateFolder(destination);
    if (!made.ok()) {
      outcome.problem = "cannot create the folder" + (made.error ? std::string(": ") + std::strerror(made.error) : "");
      return outcome;
    }
  }
  if (!IsArchiveMode(plan.mode)) {
    CopyFolderFiles(plan, outcome);
  } else if (plan.archiveKind == ArchiveKind::kZip) {
    ExtractZip(plan, outcome, callbacks);
  } else {
    ExtractCabinet(plan, outcome, callbacks);
  }
  // A folder made for an install that brought nothing is not left behind.
  if (created && outcome.installed.empty()) RemoveEmptyFolder(destination);
  return outcome;
}

}  // namespace krax
