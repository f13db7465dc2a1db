#include "ui/widget_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

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

}  // namespace krax::ui
