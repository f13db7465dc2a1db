// The system-independent half of CopyTree: what goes where (planned before anything is
// copied, so that progress knows the totals), and the run over that plan. Each system's
// file_system implementation checks the top entry and copies one file its own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace krax::copy_plan {

struct PlannedCopy {
  std::string source;       // a file or folder
  std::string destination;  // where it goes
  bool isFolder = false;
  std::uint64_t size = 0;
};

// The name an entry takes in `destination`: an existing entry that differs only in letter
// case is the same file to the game (a CD may spell "CAR.VIV" where the game has "car.viv"),
// so it is replaced rather than joined by a second spelling.
std::string DestinationName(const std::vector<DirEntry>& existing, const std::string& name);

// Appends every entry below `source`, folders before what they hold.
void PlanTree(const std::string& source, const std::string& destination, std::vector<PlannedCopy>& plan);

bool IsWildcard(std::string_view name);

using CopyOneFile = std::function<FsResult(const std::string& from, const std::string& to,
                                           const std::function<void(std::uint64_t)>& onBytes)>;

// Creates `destination` and the planned folders and copies the planned files with
// `copyFile`, reporting through `callbacks`; `cancelled` is returned when progress says stop.
FsResult RunCopyPlan(std::vector<PlannedCopy>& plan, const std::string& destination,
                     const CopyTreeCallbacks& callbacks, const CopyOneFile& copyFile, const FsResult& cancelled);

// Whether the entry a copy starts from can be reached, in the system's words when not.
using CheckEntry = std::function<FsResult(const std::string& path)>;

// CopyTree for every system: plans the copy of `source` into the folder `destination` (for a
// wildcard name what its folder holds; else the entry itself, once `check` finds it, with the
// separators at its end dropped outside its first `rootLength` characters, and all below it),
// then runs the plan as RunCopyPlan does.
FsResult CopyTree(std::string source, const std::string& destination, std::size_t rootLength,
                  const CheckEntry& check, const CopyTreeCallbacks& callbacks, const CopyOneFile& copyFile,
                  const FsResult& cancelled);

// The system's CopyTree, `makeWritable` telling whether read-only copies become writable.
using CopyWholeTree = std::function<FsResult(std::string_view source, std::string_view destination,
                                             const CopyTreeCallbacks& callbacks, bool makeWritable)>;

// The copy half of moving a folder to another volume: copies what the folder `from` holds
// into the folder `to` with `copyTree`, attributes as they are, stopping at the first
// failure, which it returns.
FsResult CopyContents(const std::string& from, const std::string& to, const CopyWholeTree& copyTree);

}  // namespace krax::copy_plan
