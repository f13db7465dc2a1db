// kraxctl verify: the game's own files compared with the CD, and restored where they differ.
#include <ostream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/json_text.h"
#include "cli/terminal_prompts.h"
#include "cli/terminal_text.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "operations/verify_against_cd.h"

namespace krax::cli {
namespace {

const char* KindName(VerifyKind kind) {
  switch (kind) {
    case VerifyKind::kMissing: return "missing";
    case VerifyKind::kDiffers: return "differs";
    case VerifyKind::kUnreadable: return "unreadable";
  }
  return "";
}

const char* AreaName(VerifyArea area) {
  return area == kVerifyCars ? "cars" : area == kVerifyTracks ? "tracks" : "strings";
}

void PrintJson(std::ostream& out, const VerifyReport& report) {
  out << "{\"all_match\": " << (report.allMatch() ? "true" : "false") << ", \"files_checked\": " << report.filesChecked
      << ", \"findings\": [";
  for (std::size_t i = 0; i < report.findings.size(); ++i) {
    const VerifyFinding& finding = report.findings[i];
    out << (i ? ", " : "") << "{\"kind\": \"" << KindName(finding.kind) << "\", \"area\": \"" << AreaName(finding.area)
        << "\", \"file\": " << JsonString(finding.shown) << ", \"cd_file\": " << JsonString(finding.cdFile)
        << ", \"cd_size\": " << finding.cdSize << ", \"game_size\": ";
    if (finding.gameSize) {
      out << *finding.gameSize;
    } else {
      out << "null";
    }
    if (!finding.reason.empty()) out << ", \"reason\": " << JsonString(finding.reason);
    out << "}";
  }
  out << "], \"problems\": [";
  for (std::size_t i = 0; i < report.problems.size(); ++i) out << (i ? ", " : "") << JsonString(report.problems[i]);
  out << "]}\n";
}

int RunVerify(Context& context, const Arguments& arguments) {
  const bool yes = arguments.Has("--yes");
  const bool restore = arguments.Has("--restore"), json = arguments.Has("--json");
  unsigned areas = 0;
  for (const std::string& arg : arguments.words) {
    if (arg == "cars" && areas == 0) {
      areas = kVerifyCars;
    } else if (arg == "tracks" && areas == 0) {
      areas = kVerifyTracks;
    } else if (arg == "strings" && areas == 0) {
      areas = kVerifyStrings;
    } else {
      throw UsageError("verify: unexpected argument '" + arg + "' (expected cars, tracks or strings)");
    }
  }
  if (json && restore) throw UsageError("verify: --json lists only; run --restore without it");
  if (areas == 0) areas = kVerifyAll;

  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  TerminalPrompts prompts(context, yes);
  // A switch cut short leaves a slot half switched: it is finished first, as every load does.
  if (areas & kVerifyTracks) GameOperations(game, context.settings(), prompts).ResumeInterruptedSwitches();

  const VerifyReport report = VerifyAgainstCd(context.settings(), areas, prompts);
  if (json) {
    PrintJson(context.out, report);
    return report.allMatch() ? kExitOk : kExitFailure;
  }
  const bool restoring = restore && report.restorableCount() > 0;
  // Before a restore, its plan lists the files it will copy: the report keeps the rest.
  VerifyReport shown = report;
  if (restoring) {
    std::erase_if(shown.findings, [](const VerifyFinding& finding) { return finding.kind != VerifyKind::kUnreadable; });
  }
  const std::string lines = VerifyReportLines(shown);
  if (!lines.empty()) context.out << TerminalSafeLines(lines) << '\n';
  context.out << VerifyReportSummary(report) << '\n';
  if (!restoring) return report.allMatch() ? kExitOk : kExitFailure;

  const OperationResult result = RestoreVerifyFindings(game, context.settings(), report, prompts);
  if (result.status == OperationStatus::kCancelled) {
    context.err << "Nothing was restored.\n";
    return kExitFailure;
  }
  if (result.status == OperationStatus::kFailed) {
    context.err << "kraxctl: " << ResultText(result) << '\n';
    return kExitFailure;
  }
  context.out << result.message << '\n';
  // Restored: the game matches the CD again, unless something could not be read at all.
  return report.restorableCount() == report.findings.size() && report.problems.empty() ? kExitOk : kExitFailure;
}

const RegisterCommand kVerify({"verify",
                               "compare the game's own cars, tracks and strings with the CD",
                               {{"[cars|tracks|strings]", {"--restore", "--yes", "--json"}}},
                               "Compares, by content, every file of GameData\\CarModel, GameData\\Tracks and\n"
                               "FeData\\Text on the CD (KRAXCDPath, or --cd DIR) with the game folder's copy\n"
                               "and lists what is missing, what differs (with the sizes of both) and what\n"
                               "cannot be read. A disabled stock car is compared under its disabled name; a\n"
                               "slot's stock files are looked for in the slot, or, while an add-on track is\n"
                               "active, in its Original folder. Add-ons are never listed or touched.\n"
                               "--restore then shows the files that differ or are missing and copies exactly\n"
                               "those from the CD (with --yes or after a yes at a terminal), as restore does:\n"
                               "disabled cars stay disabled and install.win's tracks line names the game's\n"
                               "own tracks. --json prints the findings as JSON. Progress goes to stderr on a\n"
                               "terminal. Exit status 0 when everything matches (or was restored), 1 when\n"
                               "something differs, is missing or cannot be read.\n",
                               {{"--restore"}, {"--yes"}, {"--json"}},
                               RunVerify});

}  // namespace
}  // namespace krax::cli
