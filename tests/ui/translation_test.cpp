// Every text the window shows of its own goes through Qt's translator, so that a translation
// can replace it.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTranslator>
#include <gtest/gtest.h>

#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

// Marks every text it is asked for with a leading "~".
class MarkingTranslator : public QTranslator {
 public:
  QString translate(const char*, const char* source, const char*, int) const override {
    return QStringLiteral("~") + QString::fromUtf8(source);
  }
  bool isEmpty() const override { return false; }
};

// The texts of `top`'s labels, buttons, groups, menus and fields that are not marked.
QStringList UnmarkedTexts(const QWidget& top) {
  QStringList unmarked;
  const auto check = [&unmarked](const QObject* object, const QString& text) {
    if (!text.isEmpty() && !text.startsWith(QLatin1Char('~'))) unmarked << object->objectName() + ": " + text;
  };
  check(&top, top.windowTitle());
  for (const QLabel* label : top.findChildren<QLabel*>()) {
    if (label->objectName() != QStringLiteral("statusLine")) check(label, label->text());  // shows a folder
  }
  for (const QAbstractButton* button : top.findChildren<QAbstractButton*>()) {
    if (!button->objectName().startsWith(QStringLiteral("class"))) check(button, button->text());  // A, B, C
  }
  for (const QGroupBox* group : top.findChildren<QGroupBox*>()) check(group, group->title());
  for (const QMenu* menu : top.findChildren<QMenu*>()) check(menu, menu->title());
  for (const QAction* action : top.findChildren<QAction*>()) {
    check(action, action->text());
    check(action, action->toolTip());
  }
  for (const QLineEdit* edit : top.findChildren<QLineEdit*>()) check(edit, edit->placeholderText());
  return unmarked;
}

TEST(UiTranslation, TheWindowsAndDialogsOwnTextsGoThroughTheTranslator) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  uitest::ScriptedPrompts prompts;
  uitest::ToggleInMemoryOperations operations(demo.data, demo.settings, prompts);
  MarkingTranslator marker;
  ASSERT_TRUE(QCoreApplication::installTranslator(&marker));
  QStringList unmarked;
  {
    MainWindowContext context{demo.settings, demo.data, operations, {}, &prompts,
                             [](QDialog&) { return int{QDialog::Rejected}; }, {}};
    MainWindow frame(context);
    frame.InitialUpdate();
    OptionsDialog options(demo.settings, prompts, {});
    AboutDialog about;
    unmarked << UnmarkedTexts(frame) << UnmarkedTexts(options) << UnmarkedTexts(about);
    // A text with the translator gone is the program's own English again.
    QCoreApplication::removeTranslator(&marker);
    EXPECT_EQ(AboutDialog().windowTitle(), QStringLiteral("About KRAXManager"));
  }
  QCoreApplication::removeTranslator(&marker);
  EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace krax::ui
