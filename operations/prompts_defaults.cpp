#include "operations/install_dialog_state.h"
#include "operations/prompts.h"

namespace krax {

bool Prompts::ShowInstallDialog(InstallDialogState& state) {
  std::string text = "Install these files into " + state.destinationBase + " as " + state.id + "?";
  for (const std::string& file : state.files) text += "\n  " + file;
  if (!Question(QuestionKind::kInstall, text, true)) return false;
  return !state.accept || state.accept(state);
}

}  // namespace krax
