// kraxctl install-car / install-track: the window's install commands for a folder, .zip or
// .cab named on the command line. Shows what would be installed and where; installs only
// with --yes or after a yes at a terminal.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/terminal_prompts.h"
#include "cli/terminal_text.h"
#include "operations/game_operations.h"
#include "operations/install_dialog_state.h"
#include "operations/install_plan.h"
#include "platform/file_system.h"

namespace krax::cli {
namespace {

// The install dialog at the terminal: the list, the destination, one question.
class InstallPrompts : public TerminalPrompts {
 public:
  InstallPrompts(Context& context, bool assumeYes, std::optional<std::string> id)
      : TerminalPrompts(context, assumeYes), context_(context), id_(std::move(id)) {}

  bool ShowInstallDialog(InstallDialogState& state) override {
    if (id_) state.id = *id_;
    std::ostream& out = context_.out;
    out << state.files.size() << " files " << state.lengthLine << ":\n";
    for (const std::string& file : state.files) out << "  " << TerminalSafe(file) << '\n';
    for (const std::string& note : state.notes) out << TerminalSafe(note) << '\n';
    out << "Destination: " << TerminalSafe(state.destinationBase) << " / "
        << (state.id.empty() ? "(no ID: use --id)" : TerminalSafe(state.id)) << '\n' << std::flush;
    shown_ = true;
    if (!Question(QuestionKind::kInstall, "Install these files?", true)) return false;
    return !state.accept || state.accept(state);
  }

  bool shown() const { return shown_; }
  // Progress lines only where one line is rewritten in place; the result is printed once.
  void Status(const std::string& text) override {
    if (OnTerminal()) TerminalPrompts::Status(text);
  }

 private:
  Context& context_;
  std::optional<std::string> id_;
  bool shown_ = false;
};

int RunInstall(Context& context, const Arguments& args, bool track) {
  if (args.words.size() > 1) throw UsageError("unexpected argument '" + args.words[1] + "'");
  const std::optional<std::string> source =
      args.words.empty() ? std::nullopt : std::optional<std::string>(args.words[0]);
  const std::optional<std::string> id = args.Value("--id");
  const bool yes = args.Has("--yes");
  if (!source) throw UsageError(std::string(track ? "install-track" : "install-car") + " needs SRC");
  const bool folder = IsFolder(*source);
  if (!folder && !IsFile(*source)) {
    context.err << "kraxctl: " << *source << " is neither a folder nor a file\n";
    return kExitFailure;
  }
  const InstallMode mode = track ? (folder ? InstallMode::kTrackFromFolder : InstallMode::kTrackFromArchive)
                                 : (folder ? InstallMode::kCarFromFolder : InstallMode::kCarFromArchive);
  InstallPrompts prompts(context, yes, id);
  if (context.RequireGame() == nullptr) return kExitFailure;
  GameOperations operations(context.game(), context.settings(), prompts);
  const OperationResult result = operations.InstallFromPath(mode, *source);
  // The result is printed below, once: the status line that also carries it goes.
  prompts.EraseStatusLine();
  switch (result.status) {
    case OperationStatus::kDone:
      context.out << TerminalSafeLines(result.message) << '\n';
      return kExitOk;
    case OperationStatus::kCancelled:
      context.err << "Nothing installed.\n";
      return kExitFailure;
    default:
      context.err << "kraxctl: " << TerminalSafeLines(ResultText(result)) << '\n';
      return kExitFailure;
  }
}

int RunInstallCar(Context& context, const Arguments& args) { return RunInstall(context, args, false); }
int RunInstallTrack(Context& context, const Arguments& args) { return RunInstall(context, args, true); }

const std::vector<Option> kInstallOptions = {{"--id", "ID"}, {"--yes"}};

const RegisterCommand kInstallCar({"install-car",
                                   "install a car from a folder, .zip or .cab",
                                   {{"SRC", {"--id", "--yes"}}},
                                   "Lists the car files of SRC (a folder, .zip or .cab file) and the folder they\n"
                                   "would go to in GameData\\CarModel (named by the car's ID, or the first free\n"
                                   "number for archives; --id chooses another). Installs with --yes or after a\n"
                                   "yes at a terminal.\n",
                                   kInstallOptions,
                                   RunInstallCar});

const RegisterCommand kInstallTrack({"install-track",
                                     "install a track from a folder, .zip or .cab",
                                     {{"SRC", {"--id", "--yes"}}},
                                     "Lists the track files of SRC (a folder, .zip or .cab file), the slot their\n"
                                     "names point to and the track folder they would go to (named after SRC;\n"
                                     "--id chooses another). Installs with --yes or after a yes at a terminal.\n",
                                     kInstallOptions,
                                     RunInstallTrack});

}  // namespace
}  // namespace krax::cli
