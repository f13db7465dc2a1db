// The details form, the right pane of the main window: what the tree has selected (a car, a
// track or a group node) and the per-item commands.
#pragma once

#include <QScrollArea>
#include <QString>
#include <functional>

#include "operations/item_ref.h"
#include "ui/item_picture.h"

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace krax {
class GameData;
struct Settings;
class Operations;
struct OperationResult;
class Prompts;
}  // namespace krax

namespace krax::ui {

class JobRunner;
class PictureFrame;
class PictureLoader;

// The values the form shows, exchanged with the controls in one step either way.
struct FormMembers {
  QString name, directory, manufacturer, model, id;
  QString carpSerial = QStringLiteral("0");
  QString maxSpeed, topSpeed, mass;
  int police = 0;
  int fedataSerial = 0;
  int carClass = -1;  // 0 = A, 1 = B, 2 = C, -1 = none
};

class ItemDetailsForm : public QScrollArea {
  Q_OBJECT

 public:
  ItemDetailsForm(GameData& data, const Settings& settings, Operations& operations, Prompts& prompts,
            QWidget* parent = nullptr);

  // Room for the whole form without scrolling.
  QSize sizeHint() const override;

  // Shows this tree item; while a job runs, once it has ended (the job may be changing what
  // the form would read). The item's data shows at once, its picture when the picture loader
  // has found it (the program's picture meanwhile).
  void ShowItem(krax::ItemRef item);
  // Where the item's picture is searched (on a thread of its own, never the job runner's).
  PictureLoader& pictureLoader() const { return *pictureLoader_; }
  // Where the buttons' work runs (one job at a time); the form has one of its own until the
  // window shares its runner.
  void SetJobRunner(JobRunner* jobs);
  JobRunner& jobs() const { return *jobs_; }
  // Shows nothing: after a reload the old item reference may name another car.
  void ClearItem();
  bool hasItem() const { return hasItem_; }
  ItemRef currentItem() const { return item_; }
  const FormMembers& members() const { return members_; }

  // Copies the members into the controls / the editable control into the members. Pulling
  // fails (and says "Please enter an integer.") when the FeData box holds no serial number.
  void PushMembers();
  bool PullMembers();

  // The default folder for compressed files, shown on the status line.
  void SetArchiveFolder(const QString& folder);

  // The buttons' work.
  void GenerateSerial();  // "Gen."
  void WriteSerial();     // "Write"
  void FixErrors();       // "Fix Errors": the plan, a question, the fixes, one report
  void setPolice(bool police);  // the "Police Car: " box was ticked or cleared
  // The form's item actions (Restore From CD, Create Zip, Create Cabinet) as menu entries,
  // enabled as the buttons are, for the tree's context menu.
  void AddItemActions(QMenu* menu);

 signals:
  void operationFinished(const krax::OperationResult& result);
  // A serial number was written: the flags of the cars (and so their tree images) changed.
  void carFlagsChanged();
  // A command changed the car folders: the catalogs and the tree must be loaded again.
  void reloadRequested();

 private:
  // The form's controls, one group at a time, in the order they take the focus.
  void BuildControls();
  QGridLayout* BuildNames(QWidget* page);
  QWidget* BuildSerialGroup(QWidget* page);
  QWidget* BuildClassGroup(QWidget* page);
  QWidget* BuildSpeedPanel(QWidget* page);
  QWidget* BuildErrorsGroup(QWidget* page);
  void BuildArchiveRow(QWidget* page, QVBoxLayout* column);
  // The buttons and the police box start their commands.
  void ConnectButtons();
  void ApplyCarLayout();
  void ApplyTrackLayout();
  void FillCar(std::size_t slot);
  void FillTrack(ItemRef item);
  void SetErrorIndicators(unsigned flags);
  // The form shows a car of the car table.
  bool showsCar() const;
  // The buttons follow the item shown and whether a job runs: "Fix Errors" for a car with a
  // flag it can fix, "Police Car: " for a car with front-end data, Gen. and Write for a car,
  // the packs for anything but a group.
  void EnableButtons();
  // The car's own buttons' work on the worker; `after` runs on the interface thread.
  void RunCarJob(const QString& command, std::function<OperationResult()> work,
                 std::function<void(const OperationResult&)> after);
  void ShowClass(int carClass);

  GameData& data_;
  const Settings& settings_;
  Operations& operations_;
  Prompts& prompts_;
  FormMembers members_;
  ItemRef item_;
  bool hasItem_ = false;
  JobRunner* jobs_ = nullptr;
  bool showPending_ = false;  // an item was selected while a job ran
  bool pictureInterrupted_ = false;  // a job stopped the shown item's picture search
  ItemRef pendingItem_;

  QLabel* nameLabel_ = nullptr;
  QLineEdit* nameEdit_ = nullptr;
  QPushButton* restoreButton_ = nullptr;
  QLabel* directoryLabel_ = nullptr;
  QLineEdit* directoryEdit_ = nullptr;
  QLabel* manufacturerLabel_ = nullptr;
  QLineEdit* manufacturerEdit_ = nullptr;
  QLabel* modelLabel_ = nullptr;
  QLineEdit* modelEdit_ = nullptr;
  QLabel* idLabel_ = nullptr;
  QLineEdit* idEdit_ = nullptr;
  QCheckBox* policeCheck_ = nullptr;
  QWidget* serialGroup_ = nullptr;
  QLineEdit* carpEdit_ = nullptr;
  QLineEdit* fedataEdit_ = nullptr;
  QPushButton* genButton_ = nullptr;
  QPushButton* writeButton_ = nullptr;
  QWidget* classGroup_ = nullptr;
  QButtonGroup* classButtons_ = nullptr;
  QWidget* speedPanel_ = nullptr;
  QLineEdit* maxSpeedEdit_ = nullptr;
  QLineEdit* topSpeedEdit_ = nullptr;
  QLineEdit* massEdit_ = nullptr;
  QWidget* errorsGroup_ = nullptr;
  QLabel* indicators_[5] = {};
  QLabel* damagedLabel_ = nullptr;  // shown for a car whose archive is damaged
  QPushButton* zipButton_ = nullptr;
  QLabel* defaultPathLabel_ = nullptr;
  QPushButton* cabinetButton_ = nullptr;
  QLabel* statusLine_ = nullptr;
  QPushButton* fixButton_ = nullptr;
  PictureFrame* pictureFrame_ = nullptr;
  PictureLoader* pictureLoader_ = nullptr;
  PictureSources pictureSources_;  // where the picture shown (or looked for) comes from
};

// The five error indicators: their texts and flags, in the form's order.
struct ErrorIndicator {
  const char* text;
  unsigned flag;
};
inline constexpr ErrorIndicator kErrorIndicators[5] = {
    {QT_TRANSLATE_NOOP("krax::ui::ItemDetailsForm", "Duplicate s.n."), 2},
    {QT_TRANSLATE_NOOP("krax::ui::ItemDetailsForm", "Different s.n."), 1},
    {QT_TRANSLATE_NOOP("krax::ui::ItemDetailsForm", "Diferent Path/ID"), 4},
    {QT_TRANSLATE_NOOP("krax::ui::ItemDetailsForm", "Path > 4"), 8},
    {QT_TRANSLATE_NOOP("krax::ui::ItemDetailsForm", "No FeData"), 16},
};

}  // namespace krax::ui
