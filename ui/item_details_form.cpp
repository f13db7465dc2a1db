#include "ui/item_details_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "app/settings.h"
#include "gamedata/car_record.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/car_fixes.h"
#include "operations/operations.h"
#include "operations/prompts.h"
#include "operations/serial_numbers.h"
#include "ui/item_picture.h"
#include "ui/job_runner.h"
#include "ui/picture_loader.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"

namespace krax::ui {
namespace {

QLineEdit* ReadOnlyBox(const char* objectName, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(objectName));
  box->setReadOnly(true);
  return box;
}

QLabel* Label(const char* text, const char* objectName, QWidget* parent) {
  auto* label = new QLabel(ItemDetailsForm::tr(text), parent);
  label->setObjectName(QString::fromLatin1(objectName));
  return label;
}

QPushButton* Button(const char* text, const char* objectName, QWidget* parent) {
  auto* button = new QPushButton(ItemDetailsForm::tr(text), parent);
  button->setObjectName(QString::fromLatin1(objectName));
  return button;
}

// Blanks around a number in carp.txt make it differ from the front-end number: the box shows
// them, so that "Different s.n." never lights between two boxes that look the same.
QString ShowBlanks(QString text) {
  const QChar visible(0x2423);  // the open box that stands for a blank
  for (qsizetype i = 0; i < text.size() && text[i].isSpace(); ++i) text[i] = visible;
  for (qsizetype i = text.size() - 1; i >= 0 && text[i].isSpace(); --i) text[i] = visible;
  return text;
}

// Hidden controls keep their room, so that the form does not jump between a car and a track.
void KeepRoomWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

}  // namespace

ItemDetailsForm::ItemDetailsForm(GameData& data, const Settings& settings, Operations& operations,
                     Prompts& prompts, QWidget* parent)
    : QScrollArea(parent),
      data_(data),
      settings_(settings),
      operations_(operations),
      prompts_(prompts) {
  setObjectName(QStringLiteral("DetailsForm"));
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  BuildControls();
  pictureLoader_ = new PictureLoader(this);
  connect(pictureLoader_, &PictureLoader::loaded, pictureFrame_, &PictureFrame::SetPicture);
  SetArchiveFolder(FromUtf8(settings_.archiveFolder));
  ApplyCarLayout();  // every control stands as built until the first selection
  SetJobRunner(new JobRunner(this));
}

void ItemDetailsForm::SetJobRunner(JobRunner* jobs) {
  if (jobs_ && jobs_->parent() == this && jobs != jobs_) jobs_->deleteLater();
  jobs_ = jobs;
  connect(jobs_, &JobRunner::busyChanged, this, [this](bool busy) {
    // A job may replace or move the files a picture is read from (and Windows replaces no
    // file another reader holds open): the search stops before the job starts, and the
    // shown item's picture is looked for again after it.
    if (busy) pictureInterrupted_ = pictureLoader_->StopAndWait();
    if (!busy && showPending_) {
      showPending_ = false;
      pictureInterrupted_ = false;
      ShowItem(pendingItem_);
      return;
    }
    if (!busy && pictureInterrupted_) {
      pictureInterrupted_ = false;
      if (hasItem_ && !pictureSources_.empty()) pictureLoader_->Load(pictureSources_);
    }
    EnableButtons();
  });
  EnableButtons();
}

void ItemDetailsForm::EnableButtons() {
  const bool idle = !jobs_->busy();
  const bool car = showsCar();
  // A group has no folder of its own to pack; nothing shown, nothing to pack.
  const bool packable = hasItem_ && !item_.isGroup();
  zipButton_->setEnabled(idle && packable);
  cabinetButton_->setEnabled(idle && packable);
  restoreButton_->setEnabled(idle && hasItem_);
  genButton_->setEnabled(idle && car);
  writeButton_->setEnabled(idle && car);
  const std::size_t slot = car ? item_.index : 0;
  fixButton_->setEnabled(idle && car && HasFixableFlag(data_, slot));
  policeCheck_->setEnabled(idle && car && data_.cars[slot].hasFedata());
}

void ItemDetailsForm::RunCarJob(const QString& command, std::function<OperationResult()> work,
                                std::function<void(const OperationResult&)> after) {
  jobs_->Run(command, std::move(work), [this, after = std::move(after)](const OperationResult& result) {
    after(result);
    emit operationFinished(result);
  });
}

void ItemDetailsForm::BuildControls() {
  auto* page = new QWidget(this);
  page->setObjectName(QStringLiteral("DetailsPage"));
  auto* column = new QVBoxLayout(page);
  column->addLayout(BuildNames(page));
  // Serial numbers, class, speeds and mass side by side.
  auto* middle = new QHBoxLayout();
  middle->addWidget(BuildSerialGroup(page), 3);
  middle->addWidget(BuildClassGroup(page), 1);
  middle->addWidget(BuildSpeedPanel(page), 3);
  column->addLayout(middle);
  column->addWidget(BuildErrorsGroup(page));
  BuildArchiveRow(page, column);

  for (QWidget* w :
       std::initializer_list<QWidget*>{nameLabel_, nameEdit_, restoreButton_, directoryLabel_, directoryEdit_,
                                       manufacturerLabel_, manufacturerEdit_, modelLabel_, modelEdit_, idLabel_,
                                       idEdit_, policeCheck_, serialGroup_, classGroup_, speedPanel_, errorsGroup_}) {
    KeepRoomWhenHidden(w);
  }

  ConnectButtons();
  setWidget(page);
}

// Names: Name, Directory, Manufacturer, Model with the ID and the police flag at the right.
QGridLayout* ItemDetailsForm::BuildNames(QWidget* page) {
  auto* names = new QGridLayout();
  nameLabel_ = Label(QT_TR_NOOP("Name:"), "nameLabel", page);
  nameEdit_ = ReadOnlyBox("nameEdit", page);
  restoreButton_ = Button(QT_TR_NOOP("Restore From CD"), "restoreButton", page);
  directoryLabel_ = Label(QT_TR_NOOP("Directory:"), "directoryLabel", page);
  directoryEdit_ = ReadOnlyBox("directoryEdit", page);
  manufacturerLabel_ = Label(QT_TR_NOOP("Manufactor:"), "manufacturerLabel", page);
  manufacturerEdit_ = ReadOnlyBox("manufacturerEdit", page);
  modelLabel_ = Label(QT_TR_NOOP("Model:"), "modelLabel", page);
  modelEdit_ = ReadOnlyBox("modelEdit", page);
  idLabel_ = Label(QT_TR_NOOP("ID:"), "idLabel", page);
  idEdit_ = ReadOnlyBox("idEdit", page);
  idEdit_->setMaxLength(8);
  idEdit_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("WWWWWW")) + 12);
  policeCheck_ = new QCheckBox(tr("Police Car: "), page);
  policeCheck_->setObjectName(QStringLiteral("policeCheck"));
  policeCheck_->setLayoutDirection(Qt::RightToLeft);  // label before the box
  policeCheck_->setEnabled(false);  // editable for a car with front-end data
  names->addWidget(nameLabel_, 0, 0);
  names->addWidget(nameEdit_, 0, 1, 1, 3);
  names->addWidget(restoreButton_, 0, 4);
  names->addWidget(directoryLabel_, 1, 0);
  names->addWidget(directoryEdit_, 1, 1, 1, 4);
  names->addWidget(manufacturerLabel_, 2, 0);
  names->addWidget(manufacturerEdit_, 2, 1, 1, 4);
  names->addWidget(modelLabel_, 3, 0);
  names->addWidget(modelEdit_, 3, 1);
  names->addWidget(idLabel_, 3, 2, Qt::AlignRight);
  names->addWidget(idEdit_, 3, 3);
  names->addWidget(policeCheck_, 4, 2, 1, 2, Qt::AlignRight);
  names->setColumnStretch(1, 1);
  return names;
}

QWidget* ItemDetailsForm::BuildSerialGroup(QWidget* page) {
  auto* serialGroup = new QGroupBox(tr("Serial Numbers"), page);
  serialGroup->setObjectName(QStringLiteral("serialGroup"));
  auto* serials = new QGridLayout(serialGroup);
  carpEdit_ = ReadOnlyBox("carpEdit", serialGroup);
  fedataEdit_ = new QLineEdit(serialGroup);
  fedataEdit_->setObjectName(QStringLiteral("fedataEdit"));
  genButton_ = Button(QT_TR_NOOP("Gen."), "genButton", serialGroup);
  writeButton_ = Button(QT_TR_NOOP("Write"), "writeButton", serialGroup);
  const int numberWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16;
  carpEdit_->setMinimumWidth(numberWidth);
  fedataEdit_->setMinimumWidth(numberWidth);
  serials->addWidget(Label(QT_TR_NOOP("Carp.txt:"), "carpLabel", serialGroup), 0, 0);
  serials->addWidget(carpEdit_, 0, 1);
  serials->addWidget(genButton_, 0, 2);
  serials->addWidget(Label(QT_TR_NOOP("FeData:"), "fedataLabel", serialGroup), 1, 0);
  serials->addWidget(fedataEdit_, 1, 1);
  serials->addWidget(writeButton_, 1, 2);
  serialGroup_ = serialGroup;
  return serialGroup;
}

QWidget* ItemDetailsForm::BuildClassGroup(QWidget* page) {
  auto* classGroup = new QGroupBox(tr("Class: "), page);
  classGroup->setObjectName(QStringLiteral("classGroup"));
  auto* classes = new QVBoxLayout(classGroup);
  classButtons_ = new QButtonGroup(this);
  const char* letters[3] = {"A", "B", "C"};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(QString::fromLatin1(letters[i]), classGroup);
    radio->setObjectName(QStringLiteral("class%1").arg(QString::fromLatin1(letters[i])));
    radio->setEnabled(false);  // shown, not chosen here
    classButtons_->addButton(radio, i);
    classes->addWidget(radio);
  }
  classGroup_ = classGroup;
  return classGroup;
}

QWidget* ItemDetailsForm::BuildSpeedPanel(QWidget* page) {
  speedPanel_ = new QWidget(page);
  speedPanel_->setObjectName(QStringLiteral("speedPanel"));
  auto* speeds = new QGridLayout(speedPanel_);
  speeds->setContentsMargins(0, 0, 0, 0);
  maxSpeedEdit_ = ReadOnlyBox("maxSpeedEdit", speedPanel_);
  topSpeedEdit_ = ReadOnlyBox("topSpeedEdit", speedPanel_);
  massEdit_ = ReadOnlyBox("massEdit", speedPanel_);
  const int figureWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000 KPH")) + 16;
  for (QLineEdit* box : {maxSpeedEdit_, topSpeedEdit_, massEdit_}) box->setMinimumWidth(figureWidth);
  speeds->addWidget(Label(QT_TR_NOOP("Max.Speed:"), "maxSpeedLabel", speedPanel_), 0, 0);
  speeds->addWidget(maxSpeedEdit_, 0, 1);
  speeds->addWidget(Label(QT_TR_NOOP("Top Speed:"), "topSpeedLabel", speedPanel_), 1, 0);
  speeds->addWidget(topSpeedEdit_, 1, 1);
  speeds->addWidget(Label(QT_TR_NOOP("Mass:"), "massLabel", speedPanel_), 2, 0);
  speeds->addWidget(massEdit_, 2, 1);
  return speedPanel_;
}

// Error indicators: dimmed unless the car has the flag.
QWidget* ItemDetailsForm::BuildErrorsGroup(QWidget* page) {
  auto* errorsGroup = new QGroupBox(tr("Errors: "), page);
  errorsGroup->setObjectName(QStringLiteral("errorsGroup"));
  auto* errors = new QHBoxLayout(errorsGroup);
  for (int i = 0; i < 5; ++i) {
    indicators_[i] = new QLabel(tr(kErrorIndicators[i].text), errorsGroup);
    indicators_[i]->setObjectName(QStringLiteral("indicator%1").arg(kErrorIndicators[i].flag));
    indicators_[i]->setAlignment(Qt::AlignCenter);
    indicators_[i]->setStyleSheet(
        QStringLiteral("QLabel:enabled { color: #c00000; font-weight: bold; }"));
    indicators_[i]->setEnabled(false);
    errors->addWidget(indicators_[i], 1);
  }
  damagedLabel_ = new QLabel(tr("Damaged archive: not changed by any command"), errorsGroup);
  damagedLabel_->setObjectName(QStringLiteral("damagedArchiveLabel"));
  damagedLabel_->setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
  damagedLabel_->hide();
  errors->addWidget(damagedLabel_, 1);
  fixButton_ = Button(QT_TR_NOOP("Fix Errors"), "fixButton", errorsGroup);
  fixButton_->setEnabled(false);
  errors->addWidget(fixButton_);
  errorsGroup_ = errorsGroup;
  return errorsGroup;
}

// Archive row, the default folder under it, the picture at the bottom.
void ItemDetailsForm::BuildArchiveRow(QWidget* page, QVBoxLayout* column) {
  auto* archive = new QHBoxLayout();
  zipButton_ = Button(QT_TR_NOOP("Create Zip"), "zipButton", page);
  defaultPathLabel_ = Label(QT_TR_NOOP("To Default Path:"), "defaultPathLabel", page);
  defaultPathLabel_->setAlignment(Qt::AlignCenter);
  cabinetButton_ = Button(QT_TR_NOOP("Create Cabinet"), "cabinetButton", page);
  archive->addWidget(zipButton_);
  archive->addWidget(defaultPathLabel_, 1);
  archive->addWidget(cabinetButton_);
  column->addLayout(archive);
  statusLine_ = Label("", "statusLine", page);
  statusLine_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  statusLine_->setAlignment(Qt::AlignCenter);
  statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(statusLine_);
  pictureFrame_ = new PictureFrame(page);
  column->addWidget(pictureFrame_, 1);
}

void ItemDetailsForm::ConnectButtons() {
  connect(genButton_, &QPushButton::clicked, this, &ItemDetailsForm::GenerateSerial);
  connect(writeButton_, &QPushButton::clicked, this, &ItemDetailsForm::WriteSerial);
  connect(fixButton_, &QPushButton::clicked, this, &ItemDetailsForm::FixErrors);
  connect(policeCheck_, &QCheckBox::clicked, this, &ItemDetailsForm::setPolice);
  // The buttons hand the item and the form's values to the worker as they are now.
  connect(restoreButton_, &QPushButton::clicked, this, [this] {
    if (!hasItem_) return;
    RunCarJob(
        restoreButton_->text(),
        [this, item = item_, directory = ToUtf8(members_.directory), id = ToUtf8(members_.id)] {
          return operations_.RestoreItemFromCd(item, directory, id);
        },
        [this](const OperationResult& result) {
          // The item's folder and the slot's active track changed: the tree shows them.
          if (result.done()) emit reloadRequested();
        });
  });
  const auto pack = [this](bool cabinet) {
    if (!hasItem_) return;
    RunCarJob(
        cabinet ? cabinetButton_->text() : zipButton_->text(),
        [this, cabinet, item = item_, directory = ToUtf8(members_.directory), name = ToUtf8(members_.name)] {
          return cabinet ? operations_.CreateCabinet(item, directory, name) : operations_.CreateZip(item, directory, name);
        },
        [](const OperationResult&) {});
  };
  connect(zipButton_, &QPushButton::clicked, this, [pack] { pack(false); });
  connect(cabinetButton_, &QPushButton::clicked, this, [pack] { pack(true); });
}

QSize ItemDetailsForm::sizeHint() const {
  const QSize page = widget()->sizeHint();
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return QSize(page.width() + scrollBar, page.height());
}

void ItemDetailsForm::SetArchiveFolder(const QString& folder) { statusLine_->setText(folder); }

void ItemDetailsForm::ApplyCarLayout() {
  for (QWidget* w : std::initializer_list<QWidget*>{
           nameLabel_, nameEdit_, directoryLabel_, directoryEdit_, manufacturerLabel_,
           manufacturerEdit_, modelLabel_, modelEdit_, idLabel_, idEdit_, policeCheck_, serialGroup_,
           classGroup_, speedPanel_, errorsGroup_, pictureFrame_, zipButton_, defaultPathLabel_,
           cabinetButton_, statusLine_}) {
    w->show();
  }
  restoreButton_->hide();
  idLabel_->show();
}

void ItemDetailsForm::ApplyTrackLayout() {
  for (QWidget* w : std::initializer_list<QWidget*>{
           nameLabel_, nameEdit_, directoryLabel_, directoryEdit_, pictureFrame_, zipButton_,
           defaultPathLabel_, cabinetButton_, statusLine_}) {
    w->show();
  }
  for (QWidget* w : std::initializer_list<QWidget*>{
           restoreButton_, manufacturerLabel_, manufacturerEdit_, modelLabel_, modelEdit_, idLabel_,
           idEdit_, policeCheck_, serialGroup_, classGroup_, speedPanel_, errorsGroup_}) {
    w->hide();
  }
}

void ItemDetailsForm::ShowItem(ItemRef item) {
  if (jobs_->busy()) {
    pendingItem_ = item;
    showPending_ = true;
    return;
  }
  item_ = item;
  hasItem_ = true;
  members_ = FormMembers{};
  SetErrorIndicators(0);
  const bool group = item.isGroup();
  if (group) {
    members_.name = item == kCarsGroupItem    ? tr("KRAX Racing Cars")
                    : item == kTracksGroupItem ? tr("KRAX Tracks")
                                                   : tr("SubFolder");
    ApplyTrackLayout();
  } else if (!item.isCar()) {
    ApplyTrackLayout();
    FillTrack(item);
  } else {
    ApplyCarLayout();
    FillCar(item.index);
  }
  // The program's picture until the item's own is found; a group has none. The same item
  // shown again (after one of its commands) keeps its picture while it is read again.
  const PictureSources sources = group ? PictureSources{} : ItemPictureSources(data_, item);
  if (sources != pictureSources_) pictureFrame_->SetPicture(QImage());
  pictureSources_ = sources;
  if (sources.empty()) {
    pictureLoader_->Cancel();
  } else {
    pictureLoader_->Load(sources);
  }
  EnableButtons();
  PushMembers();
}

void ItemDetailsForm::ClearItem() {
  hasItem_ = false;
  showPending_ = false;
  members_ = FormMembers{};
  SetErrorIndicators(0);
  ApplyTrackLayout();
  pictureLoader_->Cancel();
  pictureSources_ = {};
  pictureFrame_->SetPicture(QImage());
  EnableButtons();
  PushMembers();
}

void ItemDetailsForm::FillTrack(ItemRef item) {
  if (item.isStockTrackSlot()) {
    const int row = item.row();
    if (row >= kStockTrackSlotCount) return;
    restoreButton_->show();
    members_.directory = FromUtf8(data_.SlotFolderPath(row));
    members_.name = FromUtf8(StockTrackTable[static_cast<std::size_t>(row)].displayName);
  } else if (item.isTrackFolder()) {
    members_.directory = FromUtf8(data_.trackFolder(item.index).path);
    members_.name = FromUtf8(data_.trackFolder(item.index).name);
  }
}

void ItemDetailsForm::FillCar(std::size_t i) {
  if (!data_.HasCar(i)) return;
  const CarRecord& car = data_.cars[i];
  members_.directory = FromUtf8(car.archivePath);
  // Every car shows its flags, a car without front-end data included ("No FeData").
  SetErrorIndicators(car.errorFlags);
  if (car.hasFedata()) {
    members_.name = FromCodePage(car.name.value_or(std::string()));
    members_.manufacturer = FromCodePage(car.manufacturer.value_or(std::string()));
    members_.model = FromCodePage(car.model.value_or(std::string()));
    members_.carpSerial = ShowBlanks(FromCodePage(car.carpSerial));
    std::string id = car.carId.value_or(std::string());
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    members_.id = FromCodePage(id);
    members_.police = car.police();
    members_.carClass = car.carClass() <= 2 ? car.carClass() : -1;
    members_.fedataSerial = car.fedataSerial();
    members_.mass = FromUtf8(FormatMass(data_.ReadCarpValue(kCarpMass, i)));
    members_.maxSpeed = FromUtf8(FormatSpeed(data_.ReadCarpValue(kCarpMaxSpeed, i)));
    members_.topSpeed = FromUtf8(FormatSpeed(data_.ReadCarpValue(kCarpTopSpeed, i)));
    if (IsStockCarId(id)) restoreButton_->show();
  }
}

void ItemDetailsForm::SetErrorIndicators(unsigned flags) {
  damagedLabel_->setVisible(showsCar() && data_.cars[item_.index].directory.damaged);
  for (int k = 0; k < 5; ++k) indicators_[k]->setEnabled((flags & kErrorIndicators[k].flag) != 0);
}

bool ItemDetailsForm::showsCar() const { return hasItem_ && item_.isCar() && data_.HasCar(item_.index); }

void ItemDetailsForm::ShowClass(int carClass) {
  classButtons_->setExclusive(false);
  for (QAbstractButton* b : classButtons_->buttons()) b->setChecked(false);
  if (QAbstractButton* b = classButtons_->button(carClass)) b->setChecked(true);
  classButtons_->setExclusive(true);
}

void ItemDetailsForm::PushMembers() {
  nameEdit_->setText(members_.name);
  directoryEdit_->setText(members_.directory);
  manufacturerEdit_->setText(members_.manufacturer);
  modelEdit_->setText(members_.model);
  idEdit_->setText(members_.id);
  policeCheck_->setChecked(members_.police == 1);
  carpEdit_->setText(members_.carpSerial);
  fedataEdit_->setText(QString::number(members_.fedataSerial));
  ShowClass(members_.carClass);
  maxSpeedEdit_->setText(members_.maxSpeed);
  topSpeedEdit_->setText(members_.topSpeed);
  massEdit_->setText(members_.mass);
  for (QLineEdit* box : {nameEdit_, directoryEdit_, manufacturerEdit_, modelEdit_}) {
    box->setCursorPosition(0);  // long paths show their beginning
  }
}

bool ItemDetailsForm::PullMembers() {
  bool isNumber = false;
  const int value = fedataEdit_->text().trimmed().toInt(&isNumber);
  if (!isNumber) {
    prompts_.Message(ToUtf8(tr("Please enter an integer.")));
    return false;
  }
  if (value < 0 || value > 65535) {
    // The archive holds 16 bits; a larger number would silently lose its high bits.
    prompts_.Message(ToUtf8(tr("Please enter a serial number from 0 to 65535.")));
    return false;
  }
  members_.fedataSerial = value;
  return true;
}

void ItemDetailsForm::GenerateSerial() {
  if (!showsCar()) return;
  members_.fedataSerial = ProposeSerialNumber(data_, item_.index);
  PushMembers();
}

void ItemDetailsForm::WriteSerial() {
  if (!showsCar() || jobs_->RefuseWhileBusy()) return;
  // A box that holds no number stops here: writing the last shown number instead would store
  // something the user did not ask for.
  if (!PullMembers()) return;
  const ItemRef item = item_;
  RunCarJob(
      writeButton_->text(),
      [this, car = CarSlot{item_.index}, serial = members_.fedataSerial] {
        return operations_.WriteSerialNumber(car, serial);
      },
      [this, item](const OperationResult& result) {
        if (result.status == OperationStatus::kCancelled) return;
        // Show what the car holds now: the new number and its flags, or the old number kept.
        ShowItem(item);
        if (result.done()) emit carFlagsChanged();
      });
}

void ItemDetailsForm::FixErrors() {
  if (!showsCar() || jobs_->RefuseWhileBusy()) return;
  RunCarJob(
      fixButton_->text(),
      [this, car = CarSlot{item_.index}] {
        return operations_.FixCarErrors({car},
                                        [this] { JobRunner::OnInterfaceThread([this] { emit reloadRequested(); }); });
      },
      [](const OperationResult&) {});
}

void ItemDetailsForm::setPolice(bool police) {
  if (!showsCar()) return;
  const ItemRef item = item_;
  if (jobs_->RefuseWhileBusy()) {
    ShowItem(item);
    return;
  }
  RunCarJob(
      policeCheck_->text(),
      [this, car = CarSlot{item_.index}, police] { return operations_.SetPoliceFlag(car, police); },
      [this, item](const OperationResult& result) {
        ShowItem(item);  // the box shows what the car holds now, also after No
        if (result.done()) emit carFlagsChanged();
      });
}

void ItemDetailsForm::AddItemActions(QMenu* menu) {
  for (QPushButton* button : {restoreButton_, zipButton_, cabinetButton_}) {
    if (!button->isVisibleTo(this)) continue;
    QAction* action = menu->addAction(button->text());
    action->setObjectName(button->objectName() + QStringLiteral("Action"));
    action->setEnabled(button->isEnabled());
    connect(action, &QAction::triggered, button, &QPushButton::click);
  }
}

}  // namespace krax::ui
