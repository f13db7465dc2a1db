#include "ui/copy_progress_dialog.h"

#include <QCoreApplication>
#include <algorithm>

#include "operations/prompts.h"
#include "operations/restore_from_cd.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

namespace {
constexpr int kSteps = 1000;
}

CopyProgressDialog::CopyProgressDialog(const QString& title, QWidget* parent)
    : QProgressDialog(parent) {
  setObjectName(QStringLiteral("CopyProgressDialog"));
  setWindowTitle(title);
  setWindowModality(Qt::NonModal);  // the window stays usable; its commands wait
  setAutoReset(false);
  setAutoClose(false);
  setMinimumDuration(300);
  setMinimumWidth(fontMetrics().averageCharWidth() * 60);  // room for a long file name
  setRange(0, kSteps);
  setValue(0);
}

bool CopyProgressDialog::Update(const ProgressState& state) {
  setLabelText(FromUtf8(ProgressText(state)));
  // Bytes measure the work best; a copy of empty files moves by files.
  int step = 0;
  if (state.bytesTotal > 0) {
    step = static_cast<int>(state.bytesDone * kSteps / state.bytesTotal);
  } else if (state.filesTotal > 0) {
    step = static_cast<int>(state.filesDone * kSteps / state.filesTotal);
  }
  setValue(std::min(step, kSteps));
  return !wasCanceled();
}

}  // namespace krax::ui
