#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/settings_store.h"
#include "operations/prompts.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {

std::string WithoutTrailingSeparator(std::string value) {
  if (value.empty()) return value;
  const char last = value.back();
#ifdef _WIN32
  // Both separators are Windows's; a root ("\\", "/", "C:\\") keeps its own.
  const bool root = value.size() == 1 || (value.size() == 3 && value[1] == ':');
  const bool separator = (last == '\\' || last == '/') && !root;
#else
  const bool separator = last == '\\' || (last == '/' && value.size() > 1);
#endif
  if (separator) value.pop_back();
  return value;
}

namespace {

QLineEdit* Field(const char* objectName, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(objectName));
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
  return edit;
}

QPushButton* SmallButton(const char* text, const char* objectName, QWidget* parent) {
  auto* button = new QPushButton(OptionsDialog::tr(text), parent);
  button->setObjectName(QString::fromLatin1(objectName));
  button->setAutoDefault(false);
  return button;
}

QCheckBox* Check(const char* text, const char* objectName, QWidget* parent) {
  auto* box = new QCheckBox(OptionsDialog::tr(text), parent);
  box->setObjectName(QString::fromLatin1(objectName));
  return box;
}

}  // namespace

OptionsDialog::OptionsDialog(Settings& settings, Prompts& prompts, OptionsServices services,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), prompts_(prompts), services_(std::move(services)),
      held_(settings) {
  setObjectName(QStringLiteral("OptionsDialog"));
  setWindowTitle(tr("Options"));

  auto* column = new QVBoxLayout(this);
  auto* fields = new QGridLayout();
  fields->setColumnStretch(0, 1);
  int row = 0;
  // One field: its label on a line of its own, then the box with ".." and "Default".
  auto addField = [&](const char* label, QLineEdit* edit, const char* browseName,
                      const char* defaultName, void (OptionsDialog::*browse)(),
                      void (OptionsDialog::*reset)()) {
    auto* text = new QLabel(tr(label), this);
    text->setBuddy(edit);
    fields->addWidget(text, row++, 0, 1, 3);
    QPushButton* browseButton = SmallButton("..", browseName, this);
    browseButton->setToolTip(tr("Browse"));
    QPushButton* defaultButton = SmallButton(QT_TR_NOOP("Default"), defaultName, this);
    const int dots = browseButton->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 20;
    browseButton->setFixedWidth(dots);
    fields->addWidget(edit, row, 0);
    fields->addWidget(browseButton, row, 1);
    fields->addWidget(defaultButton, row, 2);
    ++row;
    connect(browseButton, &QPushButton::clicked, this, browse);
    connect(defaultButton, &QPushButton::clicked, this, reset);
  };
  gameFolderEdit_ = Field("gameFolderEdit", this);
  carEditorEdit_ = Field("carEditorEdit", this);
  trackEditorEdit_ = Field("trackEditorEdit", this);
  cdPathEdit_ = Field("cdPathEdit", this);
  archiveFolderEdit_ = Field("archiveFolderEdit", this);
  addField(QT_TR_NOOP("Path for KRAX:"), gameFolderEdit_, "gameFolderBrowse", "gameFolderDefault",
           &OptionsDialog::BrowseGameFolder, &OptionsDialog::DefaultGameFolder);
  addField(QT_TR_NOOP("On car right double click run:"), carEditorEdit_, "carEditorBrowse",
           "carEditorDefault", &OptionsDialog::BrowseCarEditor, &OptionsDialog::DefaultCarEditor);
  addField(QT_TR_NOOP("On track right double click run:"), trackEditorEdit_, "trackEditorBrowse",
           "trackEditorDefault", &OptionsDialog::BrowseTrackEditor,
           &OptionsDialog::DefaultTrackEditor);
  addField(QT_TR_NOOP("KRAX CD:"), cdPathEdit_, "cdPathBrowse", "cdPathDefault", &OptionsDialog::BrowseCdPath,
           &OptionsDialog::DefaultCdPath);
  addField(QT_TR_NOOP("Default Path for Compressed Files:"), archiveFolderEdit_, "archiveFolderBrowse",
           "archiveFolderDefault", &OptionsDialog::BrowseArchiveFolder,
           &OptionsDialog::DefaultArchiveFolder);
  column->addLayout(fields);

  auto* icons = new QGroupBox(tr("Use error car icons for:"), this);
  icons->setObjectName(QStringLiteral("errorIconsGroup"));
  auto* iconChecks = new QHBoxLayout(icons);
  duplicateCheck_ = Check(QT_TR_NOOP("Duplicate S.N."), "duplicateCheck", icons);
  path4Check_ = Check(QT_TR_NOOP("Path > 4"), "path4Check", icons);
  notEqualCheck_ = Check(QT_TR_NOOP("S.N. Not equal"), "notEqualCheck", icons);
  iconChecks->addWidget(duplicateCheck_);
  iconChecks->addWidget(path4Check_);
  iconChecks->addWidget(notEqualCheck_);
  iconChecks->addStretch(1);
  column->addWidget(icons);
  stringEditCheck_ = Check(QT_TR_NOOP("Enable KRAX String editting"), "stringEditCheck", this);
  column->addWidget(stringEditCheck_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttons"));
  connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &OptionsDialog::reject);
  column->addWidget(buttons);

  for (std::string Settings::*field : {&Settings::gameFolder, &Settings::carEditor, &Settings::trackEditor,
                                       &Settings::cdPath, &Settings::archiveFolder}) {
    connect(EditFor(field), &QLineEdit::textEdited, this, [this, field] { setByUser_.emplace_back(NameOf(field)); });
  }

  ShowHeld();
}

QLineEdit* OptionsDialog::EditFor(std::string Settings::*field) const {
  if (field == &Settings::gameFolder) return gameFolderEdit_;
  if (field == &Settings::carEditor) return carEditorEdit_;
  if (field == &Settings::trackEditor) return trackEditorEdit_;
  if (field == &Settings::cdPath) return cdPathEdit_;
  return archiveFolderEdit_;
}

const char* OptionsDialog::NameOf(std::string Settings::*field) const {
  if (field == &Settings::gameFolder) return "KRAXPath";
  if (field == &Settings::carEditor) return "KRAXCarEdit";
  if (field == &Settings::trackEditor) return "KRAXTrackEdit";
  if (field == &Settings::cdPath) return "KRAXCDPath";
  return "CPATH";
}

std::vector<std::string> OptionsDialog::NamesToStore() const {
  std::vector<std::string> names;
  for (const SettingName& name : kSettingNames) {
    const auto standIn = std::find_if(services_.standIns.begin(), services_.standIns.end(),
                                      [&](const auto& entry) { return entry.first == name.name; });
    const bool setByUser = std::find(setByUser_.begin(), setByUser_.end(), name.name) != setByUser_.end();
    if (standIn != services_.standIns.end() && !setByUser && SettingText(settings_, name.name) == standIn->second) {
      continue;  // still the stand-in the user never chose
    }
    names.emplace_back(name.name);
  }
  return names;
}

void OptionsDialog::ShowHeld() {
  gameFolderEdit_->setText(FromUtf8(held_.gameFolder));
  carEditorEdit_->setText(FromUtf8(held_.carEditor));
  trackEditorEdit_->setText(FromUtf8(held_.trackEditor));
  cdPathEdit_->setText(FromUtf8(held_.cdPath));
  archiveFolderEdit_->setText(FromUtf8(held_.archiveFolder));
  duplicateCheck_->setChecked(held_.flagDuplicateSerials);
  path4Check_->setChecked(held_.flagLongFolderNames);
  notEqualCheck_->setChecked(held_.flagDifferingSerials);
  stringEditCheck_->setChecked(held_.kraxText);
}

void OptionsDialog::TakeOver() {
  held_.gameFolder = ToUtf8(gameFolderEdit_->text());
  held_.carEditor = ToUtf8(carEditorEdit_->text());
  held_.trackEditor = ToUtf8(trackEditorEdit_->text());
  held_.cdPath = ToUtf8(cdPathEdit_->text());
  held_.archiveFolder = ToUtf8(archiveFolderEdit_->text());
  held_.flagDuplicateSerials = duplicateCheck_->isChecked();
  held_.flagLongFolderNames = path4Check_->isChecked();
  held_.flagDifferingSerials = notEqualCheck_->isChecked();
  held_.kraxText = stringEditCheck_->isChecked();
}

void OptionsDialog::SetHeld(std::string Settings::*field, std::string value) {
  held_.*field = std::move(value);
  setByUser_.emplace_back(NameOf(field));
  ShowHeld();  // a button never reads a field: typed text not taken over is replaced
}

void OptionsDialog::BrowseFolder(const char* title, std::string Settings::*field) {
  // Opens in the folder the field shows (only the start place: the held values stay).
  const std::string folder = prompts_.ChooseFolderIn(ToUtf8(tr(title)), ToUtf8(EditFor(field)->text()));
  if (!folder.empty()) SetHeld(field, folder);
}

void OptionsDialog::BrowseExecutable(std::string Settings::*field) {
  const QString command = EditFor(field)->text();
  const std::string startFolder = command.isEmpty() || command == QLatin1String(kDefaultShellAction)
                                      ? std::string()
                                      : ToUtf8(QFileInfo(command).path());
  const std::string file = prompts_.ChooseFileIn(ToUtf8(tr("Open")), kExecutableFilter, startFolder);
  if (!file.empty()) {
    SetHeld(field, file);
  } else {
    held_.*field = file;
    TakeOver();  // cancelled: every field keeps the text it showed
  }
}

void OptionsDialog::BrowseGameFolder() { BrowseFolder(QT_TR_NOOP("Select KRAX folder"), &Settings::gameFolder); }
void OptionsDialog::BrowseCarEditor() { BrowseExecutable(&Settings::carEditor); }
void OptionsDialog::BrowseTrackEditor() { BrowseExecutable(&Settings::trackEditor); }
void OptionsDialog::BrowseCdPath() { BrowseFolder(QT_TR_NOOP("Select KRAX CD Path"), &Settings::cdPath); }
void OptionsDialog::BrowseArchiveFolder() {
  BrowseFolder(QT_TR_NOOP("Select Default Path For Compressed Files"), &Settings::archiveFolder);
}

void OptionsDialog::DefaultGameFolder() {
  SetHeld(&Settings::gameFolder, services_.findGameFolder ? services_.findGameFolder() : "");
}
void OptionsDialog::DefaultCarEditor() { SetHeld(&Settings::carEditor, kDefaultShellAction); }
void OptionsDialog::DefaultTrackEditor() { SetHeld(&Settings::trackEditor, kDefaultShellAction); }
void OptionsDialog::DefaultCdPath() {
  SetHeld(&Settings::cdPath, services_.findCdDrive ? services_.findCdDrive() : "");
}
void OptionsDialog::DefaultArchiveFolder() {
  // The game folder as stored, not what the game folder field shows now.
  SetHeld(&Settings::archiveFolder, settings_.gameFolder);
}

void OptionsDialog::accept() {
  TakeOver();
  for (std::string* value :
       {&held_.gameFolder, &held_.carEditor, &held_.trackEditor, &held_.cdPath, &held_.archiveFolder}) {
    *value = WithoutTrailingSeparator(*value);
  }
  const bool switchesTextOn = !settings_.kraxText && held_.kraxText;
  settings_ = held_;
  if (switchesTextOn && services_.loadGameText) services_.loadGameText();
  const std::vector<std::string> names = NamesToStore();
  const bool saved = names.size() < std::size(kSettingNames) && services_.saveSome
                         ? services_.saveSome(settings_, names)
                         : !services_.save || services_.save(settings_);
  if (!saved) {
    prompts_.Message(ToUtf8(tr("The options could not be saved; they apply until KRAXManager ends.")));
  }
  QDialog::accept();
}

}  // namespace krax::ui
