// The main window's commands: identifier, menu, menu text and the two prompt lines
// (status-bar line, then tooltip line).
#pragma once

#include <QtGlobal>
#include <array>
#include <optional>

#include "ui/pictures.h"

namespace krax::ui {

// The numbers are the commands' lasting identities: actions are named "command<number>".
enum class CommandId {
  kReload = 32771,
  kOptions = 32772,
  kRunGame = 32776,
  kRestoreTracks = 32777,
  kInstallTrack = 32778,
  kInstallCar = 32779,
  kRestoreCars = 32780,
  kDirToName = 32781,
  kDirToId = 32782,
  kInstallCarFromComp = 32783,
  kInstallTrackFromComp = 32784,
  kGenerateSerials = 32785,
  kStringEdit = 32786,
  kRestoreStrings = 32787,
  kFixAllErrors = 32788,
  kExit = 57665,
  kStatusBar = 59393,
  kAbout = 57664,
};

enum class Menu { kFile, kView, kCommands, kHelp, kToolbarOnly };

struct CommandInfo {
  CommandId id;
  Menu menu;
  const char* text;       // menu text ("&" marks the mnemonic)
  const char* statusTip;  // first prompt line
  const char* toolTip;    // second prompt line
  bool hasPicture;
  CommandPicture picture;
};

// In menu order within each menu; the texts are translated in the main window's context.
inline constexpr std::array<CommandInfo, 18> kCommands = {{
    {CommandId::kInstallCar, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install  Car"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install New Car"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install New Car"), true,
     CommandPicture::kInstallCar},
    {CommandId::kInstallTrack, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install Track"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install New Track"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install New Track"),
     true, CommandPicture::kInstallTrack},
    {CommandId::kInstallCarFromComp, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install Car From Comp."),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install new car from compressed file"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install new car from compressed file"), true,
     CommandPicture::kInstallCarFromComp},
    {CommandId::kInstallTrackFromComp, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install Track From Comp."),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install new track from compressed file"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Install new track from compressed file"), true,
     CommandPicture::kInstallTrackFromComp},
    {CommandId::kRestoreCars, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore Cars"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore All Cars from KRAX CD"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore All Cars"), true, CommandPicture::kRestoreCars},
    {CommandId::kRestoreTracks, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore &Tracks"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore all tracks from KRAX CD"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore all tracks"), true, CommandPicture::kRestoreTracks},
    {CommandId::kRestoreStrings, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore strings"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore KRAX Strings"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Restore KRAX Strings"), true, CommandPicture::kRestoreStrings},
    {CommandId::kReload, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "&Reload"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Reload content"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Reload content"), true,
     CommandPicture::kReload},
    {CommandId::kExit, Menu::kFile, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "E&xit"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Quit the application"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Exit"), false,
     CommandPicture::kReload},
    {CommandId::kStatusBar, Menu::kView, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "&Status Bar"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Show or hide the status bar"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Toggle StatusBar"), false, CommandPicture::kReload},
    {CommandId::kDirToName, Menu::kCommands, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "DIR = NAME"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Rename All Car Dirs To Cars Names"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Rename All Car Dirs To Cars Names"), false, CommandPicture::kReload},
    {CommandId::kDirToId, Menu::kCommands, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "DIR = ID"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Rename All Car Dirs To Cars ID"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Rename All Car Dirs To Cars ID"), false, CommandPicture::kReload},
    {CommandId::kGenerateSerials, Menu::kCommands, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Generate S.N."), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Generate Unique Serial Numbers"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Generate Unique Serial Numbers"), true, CommandPicture::kGenerateSerials},
    {CommandId::kFixAllErrors, Menu::kCommands, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Fix All Errors..."), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Fix the errors of every car"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Fix All Errors"), false, CommandPicture::kReload},
    {CommandId::kStringEdit, Menu::kCommands, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "KRAX String Edit"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "KRAX String Editor"),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "KRAX String Editor"), true, CommandPicture::kStringEdit},
    {CommandId::kOptions, Menu::kCommands, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Options"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Options"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Options"), true,
     CommandPicture::kOptions},
    {CommandId::kAbout, Menu::kHelp, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "&About KRAXManager..."),
     QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Display program information, version number and copyright"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "About"), false,
     CommandPicture::kReload},
    {CommandId::kRunGame, Menu::kToolbarOnly, QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Run KRAX"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Run KRAX without initial movies"), QT_TRANSLATE_NOOP("krax::ui::MainWindow", "Run KRAX"),
     true, CommandPicture::kRunGame},
}};

// Toolbar buttons left to right; an empty entry is a separator.
inline constexpr std::optional<CommandId> kToolbarSeparator;
inline constexpr std::array<std::optional<CommandId>, 16> kToolbarLayout = {
    CommandId::kReload,        CommandId::kOptions,     kToolbarSeparator,
    CommandId::kRunGame,       kToolbarSeparator,
    CommandId::kInstallCar,    CommandId::kInstallCarFromComp, CommandId::kInstallTrack, CommandId::kInstallTrackFromComp, kToolbarSeparator,
    CommandId::kRestoreTracks, CommandId::kRestoreCars, CommandId::kRestoreStrings, kToolbarSeparator,
    CommandId::kGenerateSerials, CommandId::kStringEdit,
};

}  // namespace krax::ui
