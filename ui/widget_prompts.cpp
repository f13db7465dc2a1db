#include "ui/widget_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

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
  filters << QStringLiteral("All Files (*)");
  return filters.join(QStringLiteral(";;"));
}

WidgetPrompts::WidgetPrompts(QWidget* owner, std::function<void(const QString&)> status)
    : owner_(owner), status_(std::move(status)) {}

void WidgetPrompts::Message(const std::string& text) {
  QMessageBox::information(owner_, QStringLiteral("KRAXManager"), FromGameText(text));
}

bool WidgetPrompts::Question(const std::string& text, bool okCancel) {
  const auto yes = okCancel ? QMessageBox::Ok : QMessageBox::Yes;
  const auto no = okCancel ? QMessageBox::Cancel : QMessageBox::No;
  return QMessageBox::question(owner_, QStringLiteral("KRAXManager"), FromGameText(text),
                               yes | no, yes) == yes;
}

void WidgetPrompts::Status(const std::string& text) {
  if (status_) status_(FromGameText(text));
}

void WidgetPrompts::Busy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

std::string WidgetPrompts::ChooseFolder(const std::string& title) {
  return ToGameText(QFileDialog::getExistingDirectory(owner_, FromGameText(title)));
}

std::string WidgetPrompts::ChooseFile(const std::string& title, const std::string& filter) {
  return ToGameText(QFileDialog::getOpenFileName(owner_, FromGameText(title), QString(),
                                                 QtFileFilter(filter)));
}

WidgetPrompts::~WidgetPrompts() = default;

void WidgetPrompts::BeginProgress(const std::string& title) {
  progress_ = std::make_unique<CopyProgressDialog>(FromGameText(title), owner_);
}

bool WidgetPrompts::Progress(const ProgressState& state) { return !progress_ || progress_->update(state); }

void WidgetPrompts::EndProgress() { progress_.reset(); }

void WidgetPrompts::Report(const std::string& summary, const std::string& details) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("KRAXManager"), FromGameText(summary), QMessageBox::Ok,
                  owner_);
  if (!details.empty()) box.setDetailedText(FromGameText(details));
  box.exec();
}

std::optional<std::string> WidgetPrompts::EditStrings(const std::string& text, std::size_t lines) {
  StringEditorDialog dialog(text, lines, *this, owner_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.text();
}

}  // namespace krax::ui
