#include "ui/install_dialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

#include "operations/prompts.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

InstallDialog::InstallDialog(InstallDialogState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent), state_(state), prompts_(prompts) {
  setObjectName(QStringLiteral("InstallDialog"));
  setWindowTitle(FromUtf8(state.title));

  idEdit_ = new QLineEdit(FromUtf8(state.id), this);
  idEdit_->setObjectName(QStringLiteral("idEdit"));
  destinationEdit_ = new QLineEdit(FromUtf8(state.destinationBase), this);
  destinationEdit_->setObjectName(QStringLiteral("destinationEdit"));
  browseButton_ = new QPushButton(QStringLiteral(".."), this);
  browseButton_->setObjectName(QStringLiteral("browseButton"));
  browseButton_->setFixedWidth(browseButton_->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 12);
  connect(browseButton_, &QPushButton::clicked, this, &InstallDialog::BrowseDestination);

  auto* top = new QGridLayout;
  top->addWidget(new QLabel(tr("ID:"), this), 0, 0);
  top->addWidget(new QLabel(tr("Destination base directory:"), this), 0, 1);
  top->addWidget(idEdit_, 1, 0);
  auto* destination = new QHBoxLayout;
  destination->setSpacing(2);
  destination->addWidget(destinationEdit_, 1);
  destination->addWidget(browseButton_);
  top->addLayout(destination, 1, 1);
  top->setColumnStretch(0, 1);
  top->setColumnStretch(1, 4);

  lengthLine_ = new QLabel(FromUtf8(state.lengthLine), this);
  lengthLine_->setObjectName(QStringLiteral("lengthLine"));
  activate_ = new QCheckBox(tr("Activate it"), this);
  activate_->setObjectName(QStringLiteral("activateBox"));
  activate_->setToolTip(tr("Make the new track the slot's active track once it is installed"));
  activate_->setChecked(state.activate);
  activate_->setVisible(state.offerActivate);
  auto* filesRow = new QHBoxLayout;
  filesRow->addWidget(new QLabel(tr("Files:"), this));
  filesRow->addWidget(lengthLine_);
  filesRow->addStretch(1);
  filesRow->addWidget(activate_);

  fileList_ = new QListWidget(this);
  fileList_->setObjectName(QStringLiteral("fileList"));
  fileList_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const std::string& file : state.files) fileList_->addItem(FromUtf8(file));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttons"));
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &InstallDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &InstallDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(filesRow);
  layout->addWidget(fileList_, 1);
  if (!state.notes.empty()) {
    // What the list leaves out and why, below it.
    QStringList notes;
    for (const std::string& note : state.notes) notes << FromUtf8(note);
    auto* notesLabel = new QLabel(notes.join(QLatin1Char('\n')), this);
    notesLabel->setObjectName(QStringLiteral("notes"));
    notesLabel->setWordWrap(true);
    notesLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(notesLabel);
  }
  layout->addWidget(buttons);
  // Wide enough for the destination path (game folders are often deep), within the screen.
  const int pathWidth = destinationEdit_->fontMetrics().horizontalAdvance(destinationEdit_->text()) +
                        fontMetrics().averageCharWidth() * 4;
  int width = std::max(fontMetrics().averageCharWidth() * 80, pathWidth * 5 / 4 + browseButton_->width() + 40);
  if (const QScreen* shown = screen()) width = std::min(width, shown->availableGeometry().width() * 9 / 10);
  resize(width, fontMetrics().lineSpacing() * 22);
}

void InstallDialog::BrowseDestination() {
  const std::string folder = prompts_.ChooseFolder(kInstallBrowseTitle);
  if (folder.empty()) return;
  // The ID the user typed stays as typed.
  destinationEdit_->setText(FromUtf8(folder));
}

void InstallDialog::accept() {
  state_.id = ToUtf8(idEdit_->text().trimmed());
  state_.destinationBase = ToUtf8(destinationEdit_->text().trimmed());
  state_.activate = state_.offerActivate && activate_->isChecked();
  if (state_.accept && !state_.accept(state_)) return;
  QDialog::accept();
}

}  // namespace krax::ui
