#include "ui/widget_prompts.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>
#include <QThread>
#include <chrono>
#include <future>
#include <thread>

#include "ui/install_dialog.h"
#include "ui/copy_progress_dialog.h"
#include "ui/string_editor_dialog.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = FromGameText(filter).split(QLatin1Char('|'));
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
  QMessageBox::information(owner_, QStringLiteral("KRAXManager"), FromGameText(text));
}

bool WidgetPrompts::Question(QuestionKind kind, const std::string& text, bool okCancel) {
  const auto yes = okCancel ? QMessageBox::Ok : QMessageBox::Yes;
  const auto no = okCancel ? QMessageBox::Cancel : QMessageBox::No;
  if (kind == QuestionKind::kDeleteForGood) {
    // Its own warning, and Enter keeps the folder: nothing goes for good by a reflex.
    return QMessageBox::warning(owner_, QStringLiteral("KRAXManager"), FromGameText(text), yes | no, no) == yes;
  }
  return QMessageBox::question(owner_, QStringLiteral("KRAXManager"), FromGameText(text),
                               yes | no, yes) == yes;
}

void WidgetPrompts::Status(const std::string& text) {
  if (QThread::currentThread() == qApp->thread()) {
    ShowStatus(FromGameText(text));
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
        ShowStatus(FromGameText(latest));
      },
      Qt::QueuedConnection);
}

void WidgetPrompts::ShowStatus(const QString& text) {
  if (status_) status_(text);
  if (workProgress_) workProgress_->setLabelText(text);
}

void WidgetPrompts::Busy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

std::string WidgetPrompts::ChooseFolder(const std::string& title) { return ChooseFolderIn(title, {}); }

std::string WidgetPrompts::ChooseFile(const std::string& title, const std::string& filter) {
  return ChooseFileIn(title, filter, {});
}

std::string WidgetPrompts::ChooseFolderIn(const std::string& title, const std::string& startFolder) {
  return ToGameText(QFileDialog::getExistingDirectory(owner_, FromGameText(title), FromGameText(startFolder)));
}

std::string WidgetPrompts::ChooseFileIn(const std::string& title, const std::string& filter,
                                        const std::string& startFolder) {
  return ToGameText(QFileDialog::getOpenFileName(owner_, FromGameText(title), FromGameText(startFolder),
                                                 QtFileFilter(filter)));
}

bool WidgetPrompts::ShowInstallDialog(InstallDialogState& state) {
  InstallDialog dialog(state, *this, owner_);
  return dialog.exec() == QDialog::Accepted;
}

void WidgetPrompts::RunWork(const std::function<void()>& work) {
  QEventLoop loop;
  workStop_ = false;
  std::promise<void> finished;
  std::future<void> done = finished.get_future();
  std::thread worker([&] {
    work();
    finished.set_value();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  // Small archives are done before a progress box would be worth showing.
  if (done.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
    QProgressDialog progress(owner_);
    progress.setWindowTitle(QStringLiteral("KRAXManager"));
    progress.setCancelButtonText(QCoreApplication::translate("krax::ui::WidgetPrompts", "Cancel"));
    QObject::connect(&progress, &QProgressDialog::canceled, [this] { workStop_ = true; });
    progress.setRange(0, 0);
    progress.setMinimumDuration(0);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumWidth(progress.fontMetrics().averageCharWidth() * 60);
    workProgress_ = &progress;
    progress.show();
    loop.exec();
    workProgress_ = nullptr;
  }
  worker.join();
  QApplication::processEvents();  // the last progress text before the caller's own
}

WidgetPrompts::~WidgetPrompts() = default;

void WidgetPrompts::BeginProgress(const std::string& title) {
  copyProgress_ = std::make_unique<CopyProgressDialog>(FromGameText(title), owner_);
}

bool WidgetPrompts::Progress(const ProgressState& state) { return !copyProgress_ || copyProgress_->Update(state); }

void WidgetPrompts::EndProgress() { copyProgress_.reset(); }

std::unique_ptr<QMessageBox> MakeReportBox(QWidget* owner, const std::string& summary, const std::string& details) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("KRAXManager"),
                                           FromGameText(summary), QMessageBox::Ok, owner);
  if (!details.empty()) box->setDetailedText(FromGameText(details));
  return box;
}

void WidgetPrompts::Report(const std::string& summary, const std::string& details) {
  MakeReportBox(owner_, summary, details)->exec();
}

std::unique_ptr<QMessageBox> MakePlanBox(QWidget* owner, const std::string& question, const std::string& plan) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("KRAXManager"),
                                           FromGameText(question), QMessageBox::Yes | QMessageBox::No, owner);
  box->setDefaultButton(QMessageBox::No);
  if (!plan.empty()) box->setDetailedText(FromGameText(plan));
  return box;
}

bool WidgetPrompts::ConfirmPlan(const std::string& question, const std::string& plan) {
  return MakePlanBox(owner_, question, plan)->exec() == QMessageBox::Yes;
}

std::optional<std::string> WidgetPrompts::EditStrings(const std::string& text, std::size_t lines) {
  StringEditorDialog dialog(text, lines, *this, owner_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.text();
}

}  // namespace krax::ui
