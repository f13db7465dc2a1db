// kraxctl cab: list and extract cabinet files (create lives in cab_create.cpp).
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_entries.h"
#include "archive/cab/cab_format.h"
#include "archive/cab/cab_reader.h"
#include "cli/cab_create.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/terminal_text.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/stop_signals.h"

namespace krax::cli {
namespace {

std::string FormatDosDateTime(std::uint16_t date, std::uint16_t time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980u + (date >> 9),
                (date >> 5) & 0x0Fu, date & 0x1Fu, time >> 11, (time >> 5) & 0x3Fu, (time & 0x1Fu) * 2);
  return text;
}

// "rhsax": read-only, hidden, system, archive, run after extraction; '-' when clear.
std::string FormatAttributes(std::uint16_t attribs) {
  std::string text = "-----";
  if (attribs & cab::kAttribReadOnly) text[0] = 'r';
  if (attribs & cab::kAttribHidden) text[1] = 'h';
  if (attribs & cab::kAttribSystem) text[2] = 's';
  if (attribs & cab::kAttribArchive) text[3] = 'a';
  if (attribs & cab::kAttribRunAfterExtract) text[4] = 'x';
  return text;
}

std::string FormatFolder(std::uint16_t folderIndex) {
  switch (folderIndex) {
    case cab::kFolderContinuedFromPrev: return "prev";
    case cab::kFolderContinuedToNext: return "next";
    case cab::kFolderContinuedPrevAndNext: return "both";
    default: return std::to_string(folderIndex);
  }
}

// The number kraxctl has always printed beside a cabinet failure ("(error 4)"); scripts
// that read kraxctl's messages rely on it.
int ErrorNumber(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::kOk: return 0;
    case ArchiveStatus::kCabinetOpenFailed: return 1;
    case ArchiveStatus::kNotACabinet: return 2;
    case ArchiveStatus::kBadVersion: return 3;
    case ArchiveStatus::kDamaged: return 4;
    case ArchiveStatus::kNoMemory: return 5;
    case ArchiveStatus::kUnknownType: return 6;
    case ArchiveStatus::kDecompressFailed:
    case ArchiveStatus::kCompressorFailed: return 7;
    case ArchiveStatus::kTargetFailed:
    case ArchiveStatus::kNameRefused:
    case ArchiveStatus::kSourceOpenFailed:
    case ArchiveStatus::kSourceReadFailed:
    case ArchiveStatus::kTempFileFailed:
    case ArchiveStatus::kCabinetWriteFailed:
    case ArchiveStatus::kFormatLimit: return 8;
    case ArchiveStatus::kReserveMismatch: return 9;
    case ArchiveStatus::kWrongCabinet:
    case ArchiveStatus::kNotFirstCabinet: return 10;
    case ArchiveStatus::kStopped: return 11;
  }
  return 4;
}

int Fail(Context& context, const std::string& what, ArchiveStatus status) {
  context.err << "kraxctl: cab: " << TerminalSafe(what) << " (error " << ErrorNumber(status) << ")\n";
  return kExitFailure;
}

// A set's first cabinet is listed with its following cabinets; a file continued from one
// cabinet into the next is listed once, where it begins.
int RunList(Context& context, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError("cab list takes one FILE");
  const std::string& path = args[1];
  cab::CabDirectory directory;
  ArchiveStatus status = ArchiveStatus::kOk;
  if (!cab::ReadCabinetDirectory(path, directory, status)) {
    return Fail(context, path + ": " + ArchiveStatusText(status), status);
  }
  if (const std::string problem = cab::NotFirstCabinetProblem(path); !problem.empty()) {
    context.err << "kraxctl: cab: " << TerminalSafe(problem) << "; only this cabinet is listed\n";
  }
  std::vector<cab::CabinetSetPart> set;
  std::string problem;
  if (!(directory.header.flags & cab::kFlagPrevCabinet)) {
    cab::ReadCabinetSet(path, set, problem);
  } else {
    set.push_back({path, directory});
  }
  for (std::size_t part = 0; part < set.size(); ++part) {
    const cab::CabDirectory& listed = set[part].directory;
    for (const auto& file : listed.files) {
      const bool continued = file.folderIndex == cab::kFolderContinuedFromPrev || file.folderIndex == cab::kFolderContinuedPrevAndNext;
      if (part > 0 && continued) continue;
      char size[16];
      std::snprintf(size, sizeof size, "%10u", file.fileSize);
      context.out << size << ' ' << FormatDosDateTime(file.date, file.time) << ' '
                  << FormatAttributes(file.attribs) << ' ' << FormatFolder(file.folderIndex) << ' '
                  << cab::DescribeTypeCompress(cab::FolderTypeOfFile(listed, file)) << ' '
                  << TerminalSafe(cab::DecodeCabinetName(file.name, file.attribs)) << '\n';
    }
  }
  if (!problem.empty()) return Fail(context, problem, ArchiveStatus::kCabinetOpenFailed);
  return kExitOk;
}

int RunExtract(Context& context, const std::vector<std::string>& args) {
  if (args.size() < 3) throw UsageError("cab extract needs FILE and DEST");
  const std::string& first = args[1];
  const std::string& dest = args[2];
  const std::vector<std::string> names(args.begin() + 3, args.end());

  if (!IsFolder(dest) && !CreateFolder(dest, true).ok()) {
    context.err << "kraxctl: cab: cannot create the destination folder " << dest << '\n';
    return kExitFailure;
  }

  bool refusedAny = false;
  cab::CabExtractRequest request;
  request.destFolder = dest;
  if (!names.empty()) {
    request.wanted = [&names](const std::string& stored) {
      for (const auto& name : names) {
        if (EqualsIgnoreCase(name, stored)) return true;
      }
      return false;
    };
  }
  request.refused = [&](const std::string& stored) {
    refusedAny = true;
    context.err << "kraxctl: cab: refused \"" << TerminalSafe(stored)
                << "\": the name leads outside the destination folder\n";
  };
  request.extracted = [&](const std::string&, const std::string& written) {
    context.out << "extracted " << TerminalSafe(written) << '\n';
  };

  // The extraction walks the given cabinet and every following cabinet of its set; Ctrl+C or
  // SIGTERM stops it between two writes, and no half-written file stays.
  request.cabPath = first;
  const StopSignalScope stoppable;
  ArchiveCallbacks callbacks;
  callbacks.stopRequested = StopSignalReceived;
  request.callbacks = &callbacks;
  const ArchiveResult result = cab::ExtractCabinet(request);
  if (!result.ok()) return Fail(context, result.Message(), result.status);
  return refusedAny ? kExitFailure : kExitOk;
}

int Run(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.empty()) throw UsageError("cab needs a subcommand: list, extract or create");
  const std::string& sub = args[0];
  if (sub == "create") return RunCabCreate(context, arguments);
  if (sub != "list" && sub != "extract") throw UsageError("unknown cab subcommand: " + sub);
  // The options are create's.
  if (arguments.anyOption()) throw UsageError("cab " + sub + " takes no options");
  return sub == "list" ? RunList(context, args) : RunExtract(context, args);
}

const RegisterCommand kRegister({
    "cab",
    "list, extract or create cabinet (.CAB) files",
    {{"list FILE"},
     {"extract FILE DEST [NAME ...]"},
     {"create OUT FILE...", {"--base", "--method", "--window", "--level", "--max-size", "--verbose"}}},
    "",
    kCabCreateOptions,
    &Run,
});

}  // namespace
}  // namespace krax::cli
