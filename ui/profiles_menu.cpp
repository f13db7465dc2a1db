#include "ui/profiles_menu.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "operations/operations.h"
#include "operations/prompts.h"
#include "ui/job_runner.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

ProfilesMenu::ProfilesMenu(Operations& operations, Prompts& prompts, QWidget* parent)
    : QMenu(tr("&Profiles"), parent), operations_(operations), prompts_(prompts) {
  setObjectName(QStringLiteral("profilesMenu"));
  jobs_ = new JobRunner(this);
  askName = [this] {
    return QInputDialog::getText(parentWidget(), tr("Save Current As"),
                                 tr("Name of the profile (the cars enabled now and the tracks active now):"));
  };
  runDialog = [](QDialog& dialog) { dialog.exec(); };
  showText = [this](const QString& title, const QString& text) {
    QDialog shown(parentWidget());
    shown.setObjectName(QStringLiteral("profileTextDialog"));
    shown.setWindowTitle(title);
    auto* view = new QPlainTextEdit(text, &shown);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &shown);
    connect(close, &QDialogButtonBox::rejected, &shown, &QDialog::reject);
    auto* layout = new QVBoxLayout(&shown);
    layout->addWidget(view, 1);
    layout->addWidget(close);
    shown.resize(shown.fontMetrics().averageCharWidth() * 70, shown.fontMetrics().lineSpacing() * 30);
    shown.exec();
  };

  QAction* save = addAction(tr("&Save Current As..."), this, &ProfilesMenu::SaveCurrent);
  save->setObjectName(QStringLiteral("saveProfileAction"));
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  save->setStatusTip(tr("Save which cars are enabled and which tracks are active as a profile"));
  applyMenu_ = addMenu(tr("&Apply"));
  applyMenu_->setObjectName(QStringLiteral("applyProfileMenu"));
  connect(applyMenu_, &QMenu::aboutToShow, this, &ProfilesMenu::RefreshApplyMenu);
  RefreshApplyMenu();
  QAction* stock = addAction(tr("S&tock Game"), this, &ProfilesMenu::ApplyStockGame);
  stock->setObjectName(QStringLiteral("stockGameAction"));
  stock->setStatusTip(tr("Only the game's own cars, every track slot on Original"));
  addSeparator();
  QAction* manageAction = addAction(tr("&Manage..."), this, &ProfilesMenu::Manage);
  manageAction->setObjectName(QStringLiteral("manageProfilesAction"));
}

void ProfilesMenu::RefreshApplyMenu() {
  applyMenu_->clear();
  const std::vector<std::string> names = operations_.ProfileNames();
  for (const std::string& name : names) {
    const QString text = FromUtf8(name);
    applyMenu_->addAction(text, this, [this, text] { ApplyProfile(text); });
  }
  if (names.empty()) applyMenu_->addAction(tr("(no profiles saved)"))->setEnabled(false);
}

void ProfilesMenu::SaveCurrent() {
  const QString name = askName().trimmed();
  if (name.isEmpty()) return;
  RunJob(tr("Save Current As"), [this, saved = ToUtf8(name)] { return operations_.SaveProfile(saved); });
}

void ProfilesMenu::RunJob(const QString& command, std::function<OperationResult()> work) {
  jobs_->Run(command, std::move(work), [this](const OperationResult& result) { emit operationFinished(result); });
}

void ProfilesMenu::ApplyProfile(const QString& name) {
  RunJob(tr("Apply"), [this, applied = ToUtf8(name)] { return operations_.ApplyProfile(applied); });
}

void ProfilesMenu::ApplyStockGame() {
  RunJob(tr("Stock Game"), [this] { return operations_.ApplyStockGame(); });
}

void ProfilesMenu::Manage() {
  QDialog dialog(parentWidget());
  dialog.setObjectName(QStringLiteral("manageProfilesDialog"));
  dialog.setWindowTitle(tr("Profiles"));
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("profileList"));
  const auto fill = [this, list] {
    list->clear();
    for (const std::string& name : operations_.ProfileNames()) list->addItem(FromUtf8(name));
    if (list->count() > 0) list->setCurrentRow(0);
  };
  fill();
  const auto chosen = [list] { return list->currentItem() ? ToUtf8(list->currentItem()->text()) : std::string(); };
  auto* buttons = new QVBoxLayout;
  auto addButton = [&](const QString& text, const char* objectName, std::function<void()> action) {
    auto* button = new QPushButton(text, &dialog);
    button->setObjectName(QString::fromLatin1(objectName));
    connect(button, &QPushButton::clicked, &dialog, std::move(action));
    buttons->addWidget(button);
  };
  addButton(tr("&Apply"), "applyButton", [&, this] {
    if (chosen().empty()) return;
    // The work goes on after the dialog has closed.
    const QString name = FromUtf8(chosen());
    dialog.accept();
    ApplyProfile(name);
  });
  addButton(tr("&Show"), "showButton", [&, this] {
    // The cars' names come from the car list, which a running job may be reloading.
    if (chosen().empty() || (jobs_ != nullptr && jobs_->RefuseWhileBusy())) return;
    const OperationResult shown = operations_.ShowProfile(chosen());
    if (!shown.done()) {
      prompts_.Message(shown.message);
      return;
    }
    showText(tr("Profile \"%1\"").arg(FromUtf8(chosen())), FromUtf8(shown.message));
  });
  addButton(tr("&Delete"), "deleteButton", [&, this] {
    if (chosen().empty()) return;
    const QString question = tr("Delete the profile \"%1\"?").arg(FromUtf8(chosen()));
    if (!prompts_.Question(QuestionKind::kDeleteProfile, ToUtf8(question))) return;
    emit operationFinished(operations_.DeleteProfile(chosen()));
    fill();
  });
  buttons->addStretch(1);
  addButton(tr("Close"), "closeButton", [&dialog] { dialog.accept(); });
  auto* layout = new QHBoxLayout(&dialog);
  layout->addWidget(list, 1);
  layout->addLayout(buttons);
  runDialog(dialog);
}

}  // namespace krax::ui
