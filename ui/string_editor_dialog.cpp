#include "ui/string_editor_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <string_view>

#include "operations/prompts.h"
#include "operations/string_editor_text.h"

namespace krax::ui {

namespace {

std::u16string_view View(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

StringEditorDialog::StringEditorDialog(const std::string& text, std::size_t lines, Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), lines_(lines) {
  setObjectName(QStringLiteral("StringEditorDialog"));
  setWindowTitle(tr("String Editor"));

  auto* warning = new QLabel(
      tr("Please, You can't delete or add lines, this will cause crash of Your KRAX\n"
         "Then, if You do this, You lose all changes made before.\n"
         "If You change something in inadequate way(e.g.\"car\" with \"tracks\", than only a god "
         "may help You to navigate through Your KRAX."),
      this);
  warning->setObjectName(QStringLiteral("warning"));

  textBox_ = new QPlainTextEdit(this);
  textBox_->setObjectName(QStringLiteral("stringText"));
  textBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  findBox_ = new QLineEdit(this);
  findBox_->setObjectName(QStringLiteral("findText"));
  auto* findButton = new QPushButton(tr("Find"), this);
  findButton->setObjectName(QStringLiteral("findButton"));
  findButton->setAutoDefault(false);
  // Enter in the find box searches; with OK as the default it would save and close instead.
  findButton->setDefault(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* findRow = new QHBoxLayout;
  findRow->addWidget(findBox_, 1);
  findRow->addWidget(findButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(warning);
  layout->addWidget(textBox_, 1);
  layout->addLayout(findRow);
  layout->addWidget(buttons);
  resize(fontMetrics().averageCharWidth() * 80, fontMetrics().lineSpacing() * 30);

  // Game strings are bytes: edited as UTF-8 when they are valid UTF-8, else as Latin-1, and
  // given back the same way, so that an unchanged text comes back byte for byte.
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
  QString shown = decoder.decode(bytes);
  utf8_ = !decoder.hasError();
  if (!utf8_) shown = QString::fromLatin1(bytes);
  pulled_ = shown;
  kept_ = shown;
  lineSeparators_ = shown.count(QChar::LineSeparator);
  {
    const QSignalBlocker blocker(textBox_);
    textBox_->setPlainText(shown);
  }

  connect(textBox_, &QPlainTextEdit::textChanged, this, &StringEditorDialog::CheckLineCount);
  // A caret moved without an edit is where a refused keystroke puts it back.
  connect(textBox_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (textBox_->document()->characterCount() == kept_.size() + 1) keptCaret_ = textBox_->textCursor().position();
  });
  connect(findButton, &QPushButton::clicked, this, &StringEditorDialog::Find);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString StringEditorDialog::currentText() const {
  // The raw text keeps no-break spaces; a paragraph separator is a line end.
  QString text = textBox_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return text;
}

std::string StringEditorDialog::text() const {
  const QByteArray bytes = utf8_ ? currentText().toUtf8() : currentText().toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void StringEditorDialog::Pull() { pulled_ = currentText(); }

void StringEditorDialog::CheckLineCount() {
  // Shift+Enter breaks a line without a new paragraph: that is a line added too.
  const QString text = currentText();
  if (KeepsLineCount(View(text), lines_) && text.count(QChar::LineSeparator) == lineSeparators_) {
    kept_ = text;
    keptCaret_ = textBox_->textCursor().position();
    return;
  }
  // Only the keystroke that added or removed a line is refused; the edits before it stay.
  {
    const QSignalBlocker blocker(textBox_);
    textBox_->setPlainText(kept_);
    QTextCursor cursor = textBox_->textCursor();
    cursor.setPosition(std::min(keptCaret_, static_cast<int>(kept_.size())));
    textBox_->setTextCursor(cursor);
  }
  prompts_.Message(kGuardMessage);
}

void StringEditorDialog::Find() {
  Pull();
  const QString needle = findBox_->text();
  const auto caret = static_cast<std::size_t>(textBox_->textCursor().position());
  const std::optional<std::size_t> found = FindIgnoringCase(View(pulled_), View(needle), caret);
  if (!found) {
    prompts_.Message(kNotFoundMessage);
    return;
  }
  textBox_->setFocus();
  QTextCursor cursor = textBox_->textCursor();
  cursor.setPosition(static_cast<int>(*found));
  cursor.setPosition(static_cast<int>(*found + static_cast<std::size_t>(needle.size())), QTextCursor::KeepAnchor);
  textBox_->setTextCursor(cursor);
  textBox_->ensureCursorVisible();
}

}  // namespace krax::ui
