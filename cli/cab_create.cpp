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

int RunCabCreate(Context& context, const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  std::optional<std::string> base;
  std::string method = "lzx";
  unsigned window = lzx::kMaxWindowBits;
  bool windowGiven = false;
  CabinetCreateOptions options;
  bool verbose = false, levelGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* option) -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(std::string("cab create: ") + option + " needs a value");
      return args[++i];
    };
    if (a == "--base") {
      base = value("--base");
    } else if (a == "--method") {
      method = value("--method");
      if (method != "none" && method != "mszip" && method != "lzx") {
        throw UsageError("cab create: --method must be none, mszip or lzx");
      }
    } else if (a == "--window") {
      window = static_cast<unsigned>(
          ParseNumber(value("--window"), "--window", lzx::kMinWindowBits, lzx::kMaxWindowBits));
      windowGiven = true;
    } else if (a == "--level") {
      options.lzxLevel =
          static_cast<int>(ParseNumber(value("--level"), "--level", lzx::kLzxFastLevel, lzx::kLzxMaxLevel));
      levelGiven = true;
    } else if (a == "--verbose") {
      verbose = true;
    } else if (a == "--max-size") {
      options.maxCabinetSize =
          static_cast<std::uint32_t>(ParseNumber(value("--max-size"), "--max-size", 1, 0xFFFFFFFFu));
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      throw UsageError("cab create: unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
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
