// kraxctl zip: list and extract zip files with the program's own zip helpers.
#include <ostream>
#include <string>
#include <vector>

#include "archive/zip/zip_archive.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/terminal_text.h"
#include "platform/stop_signals.h"

namespace krax::cli {
namespace {

constexpr const char* kHelp =
    "list prints every entry name as stored (folders with their trailing '/').\n"
    "extract writes the named entries (all without names, ignoring case) below DEST,\n"
    "keeping their folders and replacing files; names leading outside DEST are refused.\n";

int RunZip(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.empty()) throw UsageError("zip needs a subcommand: list or extract");
  const std::string& sub = args[0];
  if (sub == "list") {
    if (args.size() != 2) throw UsageError("zip list takes one FILE");
    ArchiveNameList names;
    if (!ListZipEntries(args[1], names, static_cast<std::size_t>(-1), nullptr, true)) {
      context.err << "kraxctl: zip: " << args[1] << " is not a readable zip file\n";
      return kExitFailure;
    }
    for (const std::string& name : names) context.out << TerminalSafe(name) << '\n';
    return kExitOk;
  }
  if (sub == "extract") {
    if (args.size() < 3) throw UsageError("zip extract needs FILE and DEST");
    ArchiveNameList names(args.begin() + 3, args.end());
    if (names.empty() && !ListZipEntries(args[1], names, static_cast<std::size_t>(-1), nullptr, true)) {
      context.err << "kraxctl: zip: " << args[1] << " is not a readable zip file\n";
      return kExitFailure;
    }
    const StopSignalScope stoppable;  // Ctrl+C stops between entries; no half-written file stays
    ArchiveCallbacks callbacks;
    callbacks.stopRequested = StopSignalReceived;
    const ZipExtractResult result = ExtractZipEntries(args[1], names, args[2], true, false, callbacks);
    if (!result.opened) {
      context.err << "kraxctl: zip: " << result.message << '\n';
      return kExitFailure;
    }
    for (const std::string& path : result.written) context.out << "extracted " << TerminalSafe(path) << '\n';
    for (const auto& [name, reason] : result.failed) {
      context.err << "kraxctl: zip: " << TerminalSafe(name) << ": " << TerminalSafe(reason) << '\n';
    }
    return result.failed.empty() ? kExitOk : kExitFailure;
  }
  throw UsageError("unknown zip subcommand: " + sub);
}

const RegisterCommand kZip(
    {"zip", "list or extract zip files", {{"list FILE"}, {"extract FILE DEST [NAME ...]"}}, kHelp, {}, RunZip});

}  // namespace
}  // namespace krax::cli
