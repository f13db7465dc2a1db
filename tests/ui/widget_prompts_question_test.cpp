// The window's questions: what Enter answers (the default button) for each kind. Deleting
// for good is never the default.
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

#include "operations/prompts.h"
#include "ui/widget_prompts.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

TEST(WidgetPromptsQuestion, EnterKeepsTheFolderWhenAskedToDeleteForGood) {
  uitest::EnsureApplication();
  WidgetPrompts prompts(nullptr, {});
  struct Case {
    QuestionKind kind;
    bool okCancel;
    bool enterSays;  // the answer of the default button
  };
  const Case cases[] = {
      {QuestionKind::kGoOn, false, true},
      {QuestionKind::kGoOn, true, true},
      {QuestionKind::kInstall, true, true},
      {QuestionKind::kDeleteForGood, false, false},
      {QuestionKind::kDeleteForGood, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind) * 2 + c.okCancel);
    QString shown;
    // Presses the default button of the box as soon as it is up, as Enter would.
    std::function<void()> press = [&] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible()) continue;
        shown = box->text();
        QAbstractButton* button = box->defaultButton();
        (button != nullptr ? button : box->buttons().front())->click();
        return;
      }
      QTimer::singleShot(10, press);
    };
    QTimer::singleShot(0, press);
    EXPECT_EQ(prompts.Question(c.kind, "Delete X for good? This cannot be undone.", c.okCancel), c.enterSays);
    EXPECT_EQ(shown, QStringLiteral("Delete X for good? This cannot be undone."));
  }
}

// The question before the stock game has Cancel too: each button gives its answer, Enter
// says Yes and Escape cancels.
TEST(WidgetPromptsQuestion, QuestionWithCancelOffersThreeButtons) {
  uitest::EnsureApplication();
  WidgetPrompts prompts(nullptr, {});
  struct Case {
    QMessageBox::StandardButton pressed;  // NoButton: Enter; Cancel: Escape
    Answer answer;
  };
  const Case cases[] = {{QMessageBox::Yes, Answer::kYes},
                        {QMessageBox::No, Answer::kNo},
                        {QMessageBox::Cancel, Answer::kCancel},
                        {QMessageBox::NoButton, Answer::kYes}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.pressed));
    int buttons = 0;
    std::function<void()> press = [&] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible()) continue;
        buttons = static_cast<int>(box->buttons().size());
        QAbstractButton* button = c.pressed == QMessageBox::NoButton ? box->defaultButton() : box->button(c.pressed);
        if (c.pressed == QMessageBox::Cancel) {
          QTest::keyClick(box, Qt::Key_Escape);
        } else if (button != nullptr) {
          button->click();
        }
        return;
      }
      QTimer::singleShot(10, press);
    };
    QTimer::singleShot(0, press);
    EXPECT_EQ(prompts.QuestionWithCancel(QuestionKind::kSaveStateBeforeStockGame, "Save first?"), c.answer);
    EXPECT_EQ(buttons, 3);
  }
}

}  // namespace
}  // namespace krax::ui
