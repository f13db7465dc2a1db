#include "ui/widget_prompts.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>
#include <QThread>

#include "ui/install_dialog.h"
#include "ui/job_runner.h"
#include "ui/copy_progress_dialog.h"
#include "ui/string_editor_dialog.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;  // the closing empty pair
    QString description = parts[i];
    // Qt reads the patterns from the last parentheses; show them there, blank separated.
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')'))) description = description.left(open).trimmed();
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  // Editors on Linux rarely carry one of those endings.
  filters << QCoreApplication::translate("krax::ui::WidgetPrompts", "All Files (*)");
  return filters.join(QStringLiteral(";;"));
}

WidgetPrompts::WidgetPrompts(QWidget* owner, std::function<void(const QString&)> status)
    : owner_(owner), status_(std::move(status)) {}

void WidgetPrompts::Message(const std::string& text) {
  JobRunner::OnInterfaceThread(
      [&] { QMessageBox::information(owner_, QStringLiteral("KRAXManager"), FromUtf8(text)); });
}

bool WidgetPrompts::Question(QuestionKind kind, const std::string& text, bool okCancel) {
  const auto yes = okCancel ? QMessageBox::Ok : QMessageBox::Yes;
  const auto no = okCancel ? QMessageBox::Cancel : QMessageBox::No;
  bool answer = false;
  JobRunner::OnInterfaceThread([&] {
    if (kind == QuestionKind::kDeleteForGood) {
      // Its own warning, and Enter keeps the folder: nothing goes for good by a reflex.
      answer = QMessageBox::warning(owner_, QStringLiteral("KRAXManager"), FromUtf8(text), yes | no, no) == yes;
    } else {
      answer = QMessageBox::question(owner_, QStringLiteral("KRAXManager"), FromUtf8(text), yes | no, yes) == yes;
    }
  });
  return answer;
}

Answer WidgetPrompts::QuestionWithCancel(QuestionKind /*kind*/, const std::string& text) {
  Answer answer = Answer::kCancel;
  JobRunner::OnInterfaceThread([&] {
    const auto pressed =
        QMessageBox::question(owner_, QStringLiteral("KRAXManager"), FromUtf8(text),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    answer = pressed == QMessageBox::Yes ? Answer::kYes : pressed == QMessageBox::No ? Answer::kNo : Answer::kCancel;
  });
  return answer;
}

void WidgetPrompts::Status(const std::string& text) {
  if (QThread::currentThread() == qApp->thread()) {
    ShowStatus(FromUtf8(text));
    return;
  }
  // From the work's thread: the widgets are touched on the interface thread only.
  std::lock_guard<std::mutex> lock(pendingMutex_);
  pendingStatus_ = text;
  if (statusPosted_) return;
  statusPosted_ = true;
  QMetaObject::invokeMethod(
      qApp,
      [this] {
        std::string latest;
        {
          std::lock_guard<std::mutex> inner(pendingMutex_);
          latest.swap(pendingStatus_);
          statusPosted_ = false;
        }
        ShowStatus(FromUtf8(latest));
      },
      Qt::QueuedConnection);
}

void WidgetPrompts::ShowStatus(const QString& text) {
  if (status_) status_(text);
  if (workProgress_) workProgress_->setLabelText(text);
}

void WidgetPrompts::Busy(bool busy) {
  // The window stays usable while the work runs: the cursor says so.
  JobRunner::OnInterfaceThread([busy] {
    if (busy) {
      QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  });
}

std::string WidgetPrompts::ChooseFolder(const std::string& title) { return ChooseFolderIn(title, {}); }

std::string WidgetPrompts::ChooseFile(const std::string& title, const std::string& filter) {
  return ChooseFileIn(title, filter, {});
}

QString WidgetPrompts::StartFolder(const std::string& startFolder) const {
  // The field's folder first, then the last folder chosen here, then the archive folder.
  if (!startFolder.empty()) return FromUtf8(startFolder);
  if (!lastFolder_.isEmpty()) return lastFolder_;
  return FromUtf8(defaultFolder_);
}

std::string WidgetPrompts::ChooseFolderIn(const std::string& title, const std::string& startFolder) {
  QString chosen;
  JobRunner::OnInterfaceThread([&] {
    chosen =
        QDir::toNativeSeparators(QFileDialog::getExistingDirectory(owner_, FromUtf8(title), StartFolder(startFolder)));
    if (!chosen.isEmpty()) lastFolder_ = chosen;
  });
  return ToUtf8(chosen);
}

std::string WidgetPrompts::ChooseFileIn(const std::string& title, const std::string& filter,
                                        const std::string& startFolder) {
  QString chosen;
  JobRunner::OnInterfaceThread([&] {
    chosen = QDir::toNativeSeparators(
        QFileDialog::getOpenFileName(owner_, FromUtf8(title), StartFolder(startFolder), QtFileFilter(filter)));
    if (!chosen.isEmpty()) lastFolder_ = QFileInfo(chosen).absolutePath();
  });
  return ToUtf8(chosen);
}

bool WidgetPrompts::ShowInstallDialog(InstallDialogState& state) {
  bool accepted = false;
  JobRunner::OnInterfaceThread([&] {
    InstallDialog dialog(state, *this, owner_);
    accepted = dialog.exec() == QDialog::Accepted;
  });
  return accepted;
}

void WidgetPrompts::RunWork(const std::function<void()>& work) {
  workStop_ = false;
  if (QThread::currentThread() == qApp->thread()) {
    // Only the window's worker may wait for long work; here it simply runs.
    work();
    return;
  }
  // On the worker: a progress box with Cancel once the work lasts (small archives are done
  // before it would be worth showing); the window behind it stays usable.
  JobRunner::OnInterfaceThread([this] {
    auto* progress = new QProgressDialog(owner_);
    progress->setObjectName(QStringLiteral("workProgress"));
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setWindowTitle(QStringLiteral("KRAXManager"));
    progress->setCancelButtonText(QCoreApplication::translate("krax::ui::WidgetPrompts", "Cancel"));
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setRange(0, 0);
    progress->setMinimumDuration(0);
    progress->setMinimumWidth(progress->fontMetrics().averageCharWidth() * 60);
    progress->hide();  // until the timer below, whatever the minimum duration did
    QObject::connect(progress, &QProgressDialog::canceled, progress, [this] { workStop_ = true; });
    QTimer::singleShot(200, progress, [progress] { progress->show(); });
    workProgress_ = progress;
  });
  work();
  JobRunner::OnInterfaceThread([this] {
    if (workProgress_) workProgress_->deleteLater();
    workProgress_ = nullptr;
  });
}

WidgetPrompts::~WidgetPrompts() = default;

void WidgetPrompts::BeginProgress(const std::string& title) {
  copyStop_ = false;
  JobRunner::OnInterfaceThread([&] {
    copyProgress_ = std::make_unique<CopyProgressDialog>(FromUtf8(title), owner_);
    QObject::connect(copyProgress_.get(), &QProgressDialog::canceled, copyProgress_.get(), [this] { copyStop_ = true; });
  });
}

bool WidgetPrompts::Progress(const ProgressState& state) {
  if (QThread::currentThread() == qApp->thread()) {
    if (copyProgress_) copyProgress_->Update(state);
    return !copyStop_;
  }
  // From the worker: only the latest state waits to be shown; the copy never waits for it.
  std::lock_guard<std::mutex> lock(pendingMutex_);
  pendingProgress_ = state;
  if (!progressPosted_) {
    progressPosted_ = true;
    QMetaObject::invokeMethod(
        qApp,
        [this] {
          ProgressState latest;
          {
            std::lock_guard<std::mutex> inner(pendingMutex_);
            latest = pendingProgress_;
            progressPosted_ = false;
          }
          if (copyProgress_) copyProgress_->Update(latest);
        },
        Qt::QueuedConnection);
  }
  return !copyStop_;
}

void WidgetPrompts::EndProgress() {
  JobRunner::OnInterfaceThread([this] { copyProgress_.reset(); });
}

std::unique_ptr<QMessageBox> MakeReportBox(QWidget* owner, const std::string& summary, const std::string& details) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("KRAXManager"), FromUtf8(summary),
                                           QMessageBox::Ok, owner);
  if (!details.empty()) box->setDetailedText(FromUtf8(details));
  return box;
}

void WidgetPrompts::Report(const std::string& summary, const std::string& details) {
  JobRunner::OnInterfaceThread([&] { MakeReportBox(owner_, summary, details)->exec(); });
}

std::unique_ptr<QMessageBox> MakePlanBox(QWidget* owner, const std::string& question, const std::string& plan) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("KRAXManager"), FromUtf8(question),
                                           QMessageBox::Yes | QMessageBox::No, owner);
  box->setDefaultButton(QMessageBox::No);
  if (!plan.empty()) box->setDetailedText(FromUtf8(plan));
  return box;
}

bool WidgetPrompts::ConfirmPlan(const std::string& question, const std::string& plan) {
  bool yes = false;
  JobRunner::OnInterfaceThread([&] { yes = MakePlanBox(owner_, question, plan)->exec() == QMessageBox::Yes; });
  return yes;
}

std::optional<std::string> WidgetPrompts::EditStrings(const std::string& text, std::size_t lines) {
  std::optional<std::string> edited;
  JobRunner::OnInterfaceThread([&] {
    StringEditorDialog dialog(text, lines, *this, owner_);
    if (dialog.exec() == QDialog::Accepted) edited = dialog.text();
  });
  return edited;
}

}  // namespace krax::ui
