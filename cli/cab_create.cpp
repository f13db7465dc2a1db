// kraxctl cab create OUT FILE... [--base DIR] [--method none|mszip|lzx] [--window 15..21]
//                                [--level 1..3] [--max-size BYTES] [--verbose]
// OUT is the cabinet path without ".CAB", as the program's own "Create Cabinet" takes it; an
// OUT that already ends in ".cab" (any case) is the first cabinet's name as given.
// Progress: on a terminal one line rewritten in place; elsewhere nothing per block unless
// --verbose asks for every status line.
#include "cli/cab_create.h"

#include <iostream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "archive/archive_callbacks.h"
#include "archive/cabinet_create.h"
#include "archive/lzx/lzx_constants.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/terminal_text.h"
#include "cli/whole_number.h"
#include "platform/console.h"
#include "platform/path.h"
#include "platform/stop_signals.h"

namespace krax::cli {
namespace {

std::uint64_t ParseNumber(const std::string& text, const char* option, std::uint64_t low, std::uint64_t high) {
  const std::optional<std::uint64_t> value = ParseWholeNumber<std::uint64_t>(text);
  if (!value || *value < low || *value > high) {
    throw UsageError(std::string("cab create: bad value for ") + option + ": " + text);
  }
  return *value;
}

}  // namespace

int RunCabCreate(Context& context, const Arguments& args) {
  const std::vector<std::string> positional(args.words.begin() + 1, args.words.end());
  const std::optional<std::string> base = args.Value("--base");
  const std::string method = args.Value("--method").value_or("lzx");
  if (method != "none" && method != "mszip" && method != "lzx") {
    throw UsageError("cab create: --method must be none, mszip or lzx");
  }
  unsigned window = lzx::kMaxWindowBits;
  const bool windowGiven = args.Has("--window");
  if (windowGiven) {
    window = static_cast<unsigned>(
        ParseNumber(*args.Value("--window"), "--window", lzx::kMinWindowBits, lzx::kMaxWindowBits));
  }
  CabinetCreateOptions options;
  const bool levelGiven = args.Has("--level");
  if (levelGiven) {
    options.lzxLevel =
        static_cast<int>(ParseNumber(*args.Value("--level"), "--level", lzx::kLzxFastLevel, lzx::kLzxMaxLevel));
  }
  if (const std::optional<std::string> maxSize = args.Value("--max-size")) {
    options.maxCabinetSize = static_cast<std::uint32_t>(ParseNumber(*maxSize, "--max-size", 1, 0xFFFFFFFFu));
  }
  const bool verbose = args.Has("--verbose");
  if (positional.size() < 2) throw UsageError("cab create needs OUT and at least one FILE");
  if (windowGiven && method != "lzx") throw UsageError("cab create: --window is for --method lzx");
  if (levelGiven && method != "lzx") throw UsageError("cab create: --level is for --method lzx");
  if (method == "none") options.typeCompress = cab::MakeTypeCompress(cab::CompressionMethod::kNone);
  if (method == "mszip") options.typeCompress = cab::MakeTypeCompress(cab::CompressionMethod::kMszip);
  if (method == "lzx") options.typeCompress = cab::MakeTypeCompress(cab::CompressionMethod::kLzx, static_cast<int>(window));

  std::string out = positional.front();
  if (out.size() > 4 && EqualsIgnoreCase(out.substr(out.size() - 4), ".cab")) {
    options.extension = out.substr(out.size() - 4);
    out.resize(out.size() - 4);
  }
  const std::string written = out + options.extension;
  const std::vector<std::string> files(positional.begin() + 1, positional.end());
  // Ctrl+C or SIGTERM stops the run between two blocks; its temporary files go with it.
  const StopSignalScope stoppable;
  ArchiveCallbacks callbacks;
  callbacks.stopRequested = StopSignalReceived;
  const bool terminal = &context.err == &std::cerr && IsTerminal(StandardStream::kError);
  bool lineOpen = false;
  callbacks.status = [&](const std::string& text) {
    if (terminal) {
      context.err << "\r\x1b[K" << text << std::flush;
      lineOpen = true;
    } else if (verbose) {
      context.err << text << '\n';
    }
  };
  callbacks.askYesNo = [](const std::string&) { return true; };
  ArchiveResult result;
  const bool ok = CreateCabinetArchive(out, files, base, true, callbacks, options, result);
  if (lineOpen) context.err << '\n';
  if (!ok && result.status == ArchiveStatus::kStopped) {
    context.err << "kraxctl: cab create: stopped; nothing was written\n";
    return kExitFailure;
  }
  if (!ok) {
    context.err << "kraxctl: cab create: could not write " << TerminalSafe(written) << ": "
                << TerminalSafe(result.Message()) << '\n';
    return kExitFailure;
  }
  context.err << "Done\n";
  return kExitOk;
}

}  // namespace krax::cli
