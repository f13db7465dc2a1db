#include "ui/verify_dialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "operations/prompts.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

VerifyDialog::VerifyDialog(GameData& data, const Settings& settings, Prompts& prompts, QWidget* parent)
    : QDialog(parent), data_(data), settings_(settings), prompts_(prompts) {
  setObjectName(QStringLiteral("VerifyDialog"));
  setWindowTitle(tr("Verify Against CD"));
  auto* column = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("verifySummary"));
  summary_->setWordWrap(true);
  column->addWidget(summary_);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("verifyReport"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setMinimumSize(text_->fontMetrics().averageCharWidth() * 80, text_->fontMetrics().lineSpacing() * 16);
  column->addWidget(text_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  restore_ = buttons->addButton(tr("Restore these"), QDialogButtonBox::ActionRole);
  restore_->setObjectName(QStringLiteral("restoreTheseButton"));
  connect(restore_, &QPushButton::clicked, this, &VerifyDialog::RestoreThese);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  column->addWidget(buttons);
  Verify();
}

void VerifyDialog::Verify() {
  report_ = VerifyAgainstCd(settings_, kVerifyAll, prompts_);
  summary_->setText(FromUtf8(VerifyReportSummary(report_)));
  const std::string lines = VerifyReportLines(report_);
  text_->setPlainText(lines.empty() ? tr("Every file the CD has is in the game folder as on the CD.")
                                    : FromUtf8(lines));
  restore_->setEnabled(report_.restorableCount() > 0);
}

void VerifyDialog::RestoreThese() {
  restoreResult_ = RestoreVerifyFindings(data_, settings_, report_, prompts_);
  if (restoreResult_.status == OperationStatus::kCancelled) return;
  if (restoreResult_.status == OperationStatus::kFailed) prompts_.Message(ResultText(restoreResult_));
  Verify();
}

QAction* AddVerifyAction(QMenu& menu, GameData& data, const Settings& settings, Prompts& prompts,
                         const std::function<int(QDialog&)>& runDialog,
                         const std::function<void(const OperationResult&)>& finished) {
  QAction* action = menu.addAction(VerifyDialog::tr("Verify Against CD"));
  action->setObjectName(QStringLiteral("verifyAgainstCdAction"));
  action->setStatusTip(VerifyDialog::tr("Compare the game's own cars, tracks and strings with the KRAX CD"));
  action->setToolTip(VerifyDialog::tr("Verify Against CD"));
  QObject::connect(action, &QAction::triggered, &menu, [&data, &settings, &prompts, runDialog, finished, &menu] {
    VerifyDialog dialog(data, settings, prompts, menu.window());
    if (runDialog) {
      runDialog(dialog);
    } else {
      dialog.exec();
    }
    // A failed restore was shown by the dialog already; the window shows what was done.
    if (finished && dialog.restoreResult().done() && !dialog.restoreResult().command.empty()) {
      finished(dialog.restoreResult());
    }
  });
  return action;
}

}  // namespace krax::ui
