// "Gen." and "Write" of the details form, and the Options dialog's rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "support/scratch_folder.h"
#include "ui/first_start.h"
#include "ui/game_tree_view.h"
#include "ui/item_details_form.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/tree_model_logic.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

class UiSerialNumbers : public ::testing::Test {
 protected:
  UiSerialNumbers() {
    uitest::EnsureApplication();
    demo_ = std::make_unique<uitest::DemoFixture>();
    demo_->data.LoadCarCatalog();
    // Write runs through the window's operations, as in the window.
    operations_ = std::make_unique<GameOperations>(demo_->data, demo_->settings, prompts_);
    form_ = std::make_unique<ItemDetailsForm>(demo_->data, demo_->settings, *operations_, prompts_);
  }
  GameData& data() { return demo_->data; }
  QLineEdit* fedataBox() { return form_->findChild<QLineEdit*>(QStringLiteral("fedataEdit")); }
  // Slots of: a disabled top-level car, another top-level car, a car in a sub-folder (all with
  // front-end data).
  int FindCar(bool topLevel, bool enabled, int except = -1) {
    for (std::size_t i = 0; i < data().cars.size(); ++i) {
      const CarRecord& c = data().cars[i];
      if (static_cast<int>(i) != except && c.hasFedata() && (c.depth == 0) == topLevel &&
          (!topLevel || c.enabled == enabled)) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  // A car in a sub-folder whose number no top-level car but `current` holds.
  int NestedCarWithOwnNumber(int current) {
    for (std::size_t i = 0; i < data().cars.size(); ++i) {
      const CarRecord& c = data().cars[i];
      if (c.depth > 0 && c.hasFedata() &&
          !data().FindCarBySerial(c.fedataSerial(), static_cast<std::size_t>(current))) {
        return static_cast<int>(i);
      }
    }
    // None in the demo: give the first nested car a number of its own in memory.
    const int nested = FindCar(false, true);
    if (nested >= 0) data().cars[static_cast<std::size_t>(nested)].SetFedataSerial(31111);
    return nested;
  }
  // The serial number on disk, read by a fresh catalog load.
  int SerialOnDisk(int slot) {
    GameData fresh;
    fresh.UseGameFolder(data().gameFolder(), /*kraxText=*/false);
    fresh.installInfo = data().installInfo;
    fresh.LoadCarCatalog();
    return fresh.cars[static_cast<std::size_t>(slot)].fedataSerial();
  }

  std::unique_ptr<uitest::DemoFixture> demo_;
  std::unique_ptr<GameOperations> operations_;
  uitest::ScriptedPrompts prompts_;
  std::unique_ptr<ItemDetailsForm> form_;
};

TEST_F(UiSerialNumbers, GenNeverProposesANumberOfAnotherTopLevelCar) {
  const int current = FindCar(true, true);
  const int disabled = FindCar(true, false, current);
  const int other = FindCar(true, true, current);
  const int nested = NestedCarWithOwnNumber(current);
  ASSERT_TRUE(current >= 0 && disabled >= 0 && other >= 0 && nested >= 0);
  auto serial = [&](int slot) { return data().cars[static_cast<std::size_t>(slot)].fedataSerial(); };
  ASSERT_NE(serial(nested), serial(current));
  // Draws: numbers of other top-level cars (disabled ones count), then the sub-folder car's.
  std::vector<int> draws = {serial(other), serial(disabled), serial(nested), 4242};
  std::size_t next = 0;
  data().random = [&] { return draws[next++ % draws.size()]; };
  form_->ShowItem(ItemRef::Car(static_cast<std::size_t>(current)));
  form_->GenerateSerial();
  EXPECT_EQ(fedataBox()->text().toInt(), serial(nested));
  EXPECT_EQ(next, 3u);
  // The car's own number may come back.
  draws = {serial(current)};
  next = 0;
  form_->GenerateSerial();
  EXPECT_EQ(fedataBox()->text().toInt(), serial(current));
  EXPECT_EQ(SerialOnDisk(current), serial(current)) << "Gen. writes nothing";
}

TEST_F(UiSerialNumbers, WriteAsksOnlyForANumberOfAnotherTopLevelCar) {
  const int current = FindCar(true, true);
  const int disabled = FindCar(true, false, current);
  const int nested = NestedCarWithOwnNumber(current);
  ASSERT_TRUE(current >= 0 && disabled >= 0 && nested >= 0);
  const int nestedSerial = data().cars[static_cast<std::size_t>(nested)].fedataSerial();
  const int disabledSerial = data().cars[static_cast<std::size_t>(disabled)].fedataSerial();
  form_->ShowItem(ItemRef::Car(static_cast<std::size_t>(current)));

  fedataBox()->setText(QString::number(nestedSerial));
  form_->WriteSerial();
  ASSERT_TRUE(uitest::WaitForJobs(form_->jobs()));
  EXPECT_TRUE(prompts_.questions.empty());
  EXPECT_EQ(SerialOnDisk(current), nestedSerial);
  EXPECT_EQ(data().cars[static_cast<std::size_t>(current)].fedataSerial(), nestedSerial);

  prompts_.answers = {false};
  fedataBox()->setText(QString::number(disabledSerial));
  form_->WriteSerial();
  ASSERT_TRUE(uitest::WaitForJobs(form_->jobs()));
  ASSERT_EQ(prompts_.questions.size(), 1u);
  EXPECT_EQ(prompts_.questions[0], "Serial Number Exist. Write it?");
  EXPECT_EQ(SerialOnDisk(current), nestedSerial) << "Cancel writes nothing";

  prompts_.answers = {true};
  form_->WriteSerial();
  ASSERT_TRUE(uitest::WaitForJobs(form_->jobs()));
  EXPECT_EQ(prompts_.questions.size(), 2u);
  EXPECT_EQ(SerialOnDisk(current), disabledSerial);
}

TEST_F(UiSerialNumbers, WriteRefusesWhatIsNoSerialNumber) {
  const int current = FindCar(true, true);
  form_->ShowItem(ItemRef::Car(static_cast<std::size_t>(current)));
  const int before = SerialOnDisk(current);
  for (const char* bad : {"12ab", "", "70000", "-1"}) {
    prompts_.messages.clear();
    fedataBox()->setText(QString::fromLatin1(bad));
    form_->WriteSerial();
    ASSERT_TRUE(uitest::WaitForJobs(form_->jobs()));
    ASSERT_EQ(prompts_.messages.size(), 1u) << bad;
    EXPECT_EQ(SerialOnDisk(current), before) << bad;
  }
  fedataBox()->setText(QStringLiteral("abc"));
  prompts_.messages.clear();
  form_->WriteSerial();
  ASSERT_TRUE(uitest::WaitForJobs(form_->jobs()));
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{"Please enter an integer."}));
}

// --- Options ---

class UiOptions : public ::testing::Test {
 protected:
  UiOptions() {
    uitest::EnsureApplication();
    settings_.gameFolder = "/games/krax";
    settings_.cdPath = "/media/cdrom";
    settings_.archiveFolder = "/games/krax";
    services_.findGameFolder = [] { return std::string("/found/krax"); };
    services_.findCdDrive = [] { return std::string("/found/cd"); };
    services_.save = [this](const Settings& s) {
      saved_.push_back(s);
      return true;
    };
    services_.loadGameText = [this] { ++textLoads_; };
  }
  std::unique_ptr<OptionsDialog> Dialog() {
    return std::make_unique<OptionsDialog>(settings_, prompts_, services_);
  }
  static QLineEdit* Field(OptionsDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
  }

  Settings settings_;
  uitest::ScriptedPrompts prompts_;
  OptionsServices services_;
  std::vector<Settings> saved_;
  int textLoads_ = 0;
};

TEST_F(UiOptions, ButtonsNeverReadTheFields) {
  auto dialog = Dialog();
  Field(*dialog, "gameFolderEdit")->setText(QStringLiteral("/typed/game"));
  dialog->DefaultArchiveFolder();
  EXPECT_EQ(Field(*dialog, "archiveFolderEdit")->text(), QStringLiteral("/games/krax"));
  EXPECT_EQ(Field(*dialog, "gameFolderEdit")->text(), QStringLiteral("/games/krax"))
      << "the typed text was not taken over and is replaced by the held value";

  Field(*dialog, "cdPathEdit")->setText(QStringLiteral("/typed/cd"));
  dialog->DefaultGameFolder();
  EXPECT_EQ(Field(*dialog, "gameFolderEdit")->text(), QStringLiteral("/found/krax"));
  EXPECT_EQ(Field(*dialog, "cdPathEdit")->text(), QStringLiteral("/media/cdrom"));
  dialog->DefaultCdPath();
  EXPECT_EQ(Field(*dialog, "cdPathEdit")->text(), QStringLiteral("/found/cd"));

  prompts_.folders = {"/picked/archives"};
  dialog->BrowseArchiveFolder();
  EXPECT_EQ(Field(*dialog, "archiveFolderEdit")->text(), QStringLiteral("/picked/archives"));
  dialog->BrowseGameFolder();  // cancelled: nothing changes
  EXPECT_EQ(Field(*dialog, "gameFolderEdit")->text(), QStringLiteral("/found/krax"));
  EXPECT_EQ(prompts_.folderTitles,
            (std::vector<std::string>{"Select Default Path For Compressed Files",
                                      "Select KRAX folder"}));
  // Each chooser opens in the folder its field shows.
  EXPECT_EQ(prompts_.startFolders, (std::vector<std::string>{"/games/krax", "/found/krax"}));
  EXPECT_EQ(settings_.gameFolder, "/games/krax") << "nothing is stored before OK";
  EXPECT_TRUE(saved_.empty());
}

TEST_F(UiOptions, CancelledExecutableChooserKeepsTheFieldsText) {
  auto dialog = Dialog();
  Field(*dialog, "carEditorEdit")->setText(QStringLiteral("/usr/bin/myeditor"));
  dialog->BrowseCarEditor();  // cancelled
  EXPECT_EQ(Field(*dialog, "carEditorEdit")->text(), QStringLiteral("/usr/bin/myeditor"));
  prompts_.files = {"/opt/trackedit.exe"};
  dialog->BrowseTrackEditor();
  EXPECT_EQ(Field(*dialog, "trackEditorEdit")->text(), QStringLiteral("/opt/trackedit.exe"));
  EXPECT_EQ(prompts_.fileFilters.at(0), kExecutableFilter);
  dialog->DefaultTrackEditor();
  EXPECT_EQ(Field(*dialog, "trackEditorEdit")->text(), QStringLiteral("Default Shell Action"));
}

TEST_F(UiOptions, OkDropsOneTrailingSeparatorAndSavesEverything) {
  auto dialog = Dialog();
  Field(*dialog, "gameFolderEdit")->setText(QStringLiteral("C:\\Games\\Krax\\"));
  Field(*dialog, "cdPathEdit")->setText(QStringLiteral("D:\\\\"));
  Field(*dialog, "archiveFolderEdit")->setText(QStringLiteral("/home/me/archives/"));
  Field(*dialog, "carEditorEdit")->setText(QStringLiteral("/"));
  Field(*dialog, "trackEditorEdit")->setText(QString());
  dialog->findChild<QCheckBox*>(QStringLiteral("path4Check"))->setChecked(true);
  dialog->accept();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings_.gameFolder, "C:\\Games\\Krax");
  EXPECT_EQ(settings_.cdPath, "D:\\");
  EXPECT_EQ(settings_.archiveFolder, "/home/me/archives");
  EXPECT_EQ(settings_.carEditor, "/") << "the root folder keeps its slash";
  EXPECT_EQ(settings_.trackEditor, "");
  EXPECT_EQ(settings_.flagLongFolderNames, 1);
  ASSERT_EQ(saved_.size(), 1u);
  EXPECT_EQ(saved_[0], settings_);
  EXPECT_EQ(textLoads_, 0);
}

TEST_F(UiOptions, DemoFoldersAreStoredOnlyWhenTheUserChoosesThem) {
  services_.standIns = {{"KRAXPath", "/games/krax"}, {"CPATH", "/games/krax"}, {"KRAXCDPath", "/media/cdrom"}};
  std::vector<std::vector<std::string>> stored;
  services_.saveSome = [&stored](const Settings&, const std::vector<std::string>& names) {
    stored.push_back(names);
    return true;
  };
  auto dialog = Dialog();
  dialog->findChild<QCheckBox*>(QStringLiteral("path4Check"))->setChecked(true);
  dialog->accept();
  EXPECT_TRUE(saved_.empty()) << "not all nine";
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0], (std::vector<std::string>{"KRAXCarEdit", "KRAXTrackEdit", "DUPL_SN", "NEQ", "Path_4", "KRAXText"}));

  // Chosen in the dialog, even the demo's own folder is stored; so is a typed new one.
  auto again = Dialog();
  prompts_.folders = {"/games/krax"};
  again->BrowseGameFolder();
  QTest::keyClicks(Field(*again, "cdPathEdit"), QStringLiteral("2"));
  again->accept();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1], (std::vector<std::string>{"KRAXPath", "KRAXCDPath", "KRAXCarEdit", "KRAXTrackEdit",
                                                 "DUPL_SN", "NEQ", "Path_4", "KRAXText"}));
}

TEST(UiFirstStart, AsksForTheGameFolderAndStoresOnlyWhatWasChosen) {
  uitest::EnsureApplication();
  test::ScratchFolder dir;
  const SettingsStore store(dir / "krax.ini");
  const auto demo = [&dir](QString&) { return dir / "demo/game"; };

  Settings settings;
  uitest::ScriptedPrompts prompts;
  prompts.answers = {false};  // "No": the demo
  StartGame start = ChooseStartGame(settings, store, prompts, true, demo);
  EXPECT_EQ(prompts.questions, std::vector<std::string>{kChooseGameQuestion});
  EXPECT_EQ(start.demoGameFolder, dir / "demo/game");
  EXPECT_EQ(settings.gameFolder, dir / "demo/game");
  EXPECT_EQ(settings.archiveFolder, dir / "demo");
  EXPECT_EQ(start.standIns.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(dir / "krax.ini")) << "the demo is never stored";

  Settings chosen;
  prompts.answers = {true};
  prompts.folders = {"/home/me/krax/"};
  start = ChooseStartGame(chosen, store, prompts, true, demo);
  EXPECT_TRUE(start.demoGameFolder.empty());
  EXPECT_EQ(chosen.gameFolder, "/home/me/krax");
  const Settings reread = LoadSettings(store, SettingsDefaults{"/found", ""});
  EXPECT_EQ(reread.gameFolder, "/home/me/krax");
  EXPECT_EQ(reread.cdPath, "") << "only the game folder was stored";
  EXPECT_EQ(test::ReadFileBytes(dir / "krax.ini").find("CPATH"), std::string::npos);
}

TEST_F(UiOptions, SwitchingStringEditingOnLoadsTheTextOnce) {
  auto dialog = Dialog();
  QCheckBox* text = dialog->findChild<QCheckBox*>(QStringLiteral("stringEditCheck"));
  text->setChecked(true);
  text->setChecked(false);
  text->setChecked(true);
  dialog->accept();
  EXPECT_EQ(textLoads_, 1);
  EXPECT_EQ(settings_.kraxText, 1);
  auto again = Dialog();  // already on: nothing more to load
  again->accept();
  EXPECT_EQ(textLoads_, 1);
  EXPECT_EQ(saved_.size(), 2u);
}

TEST_F(UiOptions, CancelChangesNothing) {
  const Settings before = settings_;
  auto dialog = Dialog();
  Field(*dialog, "gameFolderEdit")->setText(QStringLiteral("/elsewhere"));
  dialog->reject();
  EXPECT_EQ(settings_, before);
  EXPECT_TRUE(saved_.empty());
}

TEST(UiOptionsSeparators, OnlyOneIsRemoved) {
  EXPECT_EQ(WithoutTrailingSeparator(""), "");
  EXPECT_EQ(WithoutTrailingSeparator("a\\\\"), "a\\");
  EXPECT_EQ(WithoutTrailingSeparator("a//"), "a/");
  EXPECT_EQ(WithoutTrailingSeparator("a\\/"), "a\\");
  EXPECT_EQ(WithoutTrailingSeparator("a"), "a");
  EXPECT_EQ(WithoutTrailingSeparator("/"), "/");
#ifdef _WIN32
  EXPECT_EQ(WithoutTrailingSeparator("C:\\"), "C:\\");
  EXPECT_EQ(WithoutTrailingSeparator("C:/"), "C:/");
  EXPECT_EQ(WithoutTrailingSeparator("C:\\Games\\"), "C:\\Games");
#endif
}

// The window reloads after OK and not after Cancel.
TEST(UiOptionsCommand, OkReloadsTheTreeCancelDoesNot) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  test::PendingOperations operations;
  uitest::ScriptedPrompts prompts;
  int answer = QDialog::Rejected;
  OptionsServices services;
  services.save = [](const Settings&) { return true; };
  MainWindowContext context{demo.settings, demo.data, operations, services, &prompts,
                           [&answer](QDialog& dialog) {
                             if (answer == QDialog::Accepted) dialog.accept();
                             return answer;
                           },
                           demo.game()};
  MainWindow frame(context);
  // Showing the demo: the caption and the status bar say so, before and after Options.
  const auto saysDemo = [&frame] {
    const QLabel* pane = frame.findChild<QLabel*>(QStringLiteral("demoPane"));
    return frame.windowTitle().contains(QStringLiteral("demo")) && pane != nullptr && !pane->isHidden();
  };
  EXPECT_TRUE(saysDemo());
  int fills = 0;
  QObject::connect(frame.gameTree(), &GameTreeView::carCountReported, [&fills](int) { ++fills; });
  frame.InitialUpdate();
  EXPECT_EQ(fills, 1);
  frame.RunCommand(CommandId::kOptions);
  EXPECT_EQ(fills, 1);
  answer = QDialog::Accepted;
  frame.RunCommand(CommandId::kOptions);
  EXPECT_EQ(fills, 2);
  EXPECT_EQ(frame.gameTree()->topLevelItemCount(), 2);
  EXPECT_TRUE(saysDemo());
}

}  // namespace
}  // namespace krax::ui
