// The main window's commands: identifier, menu, menu text and the two prompt lines
// (status-bar line, then tooltip line).
#pragma once

#include <array>

#include "ui/pictures.h"

namespace krax::ui {

enum CommandId {
  kCmdReload = 32771,
  kCmdOptions = 32772,
  kCmdRunGame = 32776,
  kCmdRestoreTracks = 32777,
  kCmdInstallTrack = 32778,
  kCmdInstallCar = 32779,
  kCmdRestoreCars = 32780,
  kCmdDirToName = 32781,
  kCmdDirToId = 32782,
  kCmdInstallCarFromComp = 32783,
  kCmdInstallTrackFromComp = 32784,
  kCmdGenerateSerials = 32785,
  kCmdStringEdit = 32786,
  kCmdRestoreStrings = 32787,
  kCmdFixAllErrors = 32788,
  kCmdExit = 57665,
  kCmdStatusBar = 59393,
  kCmdAbout = 57664,
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

// In menu order within each menu.
inline constexpr std::array<CommandInfo, 18> kCommands = {{
    {kCmdInstallCar, Menu::kFile, "Install  Car", "Install New Car", "Install New Car", true,
     CommandPicture::kInstallCar},
    {kCmdInstallTrack, Menu::kFile, "Install Track", "Install New Track", "Install New Track",
     true, CommandPicture::kInstallTrack},
    {kCmdInstallCarFromComp, Menu::kFile, "Install Car From Comp.",
     "Install new car from compressed file", "Install new car from compressed file", true,
     CommandPicture::kInstallCarFromComp},
    {kCmdInstallTrackFromComp, Menu::kFile, "Install Track From Comp.",
     "Install new track from compressed file", "Install new track from compressed file", true,
     CommandPicture::kInstallTrackFromComp},
    {kCmdRestoreCars, Menu::kFile, "Restore Cars", "Restore All Cars from KRAX CD",
     "Restore All Cars", true, CommandPicture::kRestoreCars},
    {kCmdRestoreTracks, Menu::kFile, "Restore &Tracks", "Restore all tracks from KRAX CD",
     "Restore all tracks", true, CommandPicture::kRestoreTracks},
    {kCmdRestoreStrings, Menu::kFile, "Restore strings", "Restore KRAX Strings",
     "Restore KRAX Strings", true, CommandPicture::kRestoreStrings},
    {kCmdReload, Menu::kFile, "&Reload", "Reload content", "Reload content", true,
     CommandPicture::kReload},
    {kCmdExit, Menu::kFile, "E&xit", "Quit the application", "Exit", false,
     CommandPicture::kReload},
    {kCmdStatusBar, Menu::kView, "&Status Bar", "Show or hide the status bar",
     "Toggle StatusBar", false, CommandPicture::kReload},
    {kCmdDirToName, Menu::kCommands, "DIR = NAME", "Rename All Car Dirs To Cars Names",
     "Rename All Car Dirs To Cars Names", false, CommandPicture::kReload},
    {kCmdDirToId, Menu::kCommands, "DIR = ID", "Rename All Car Dirs To Cars ID",
     "Rename All Car Dirs To Cars ID", false, CommandPicture::kReload},
    {kCmdGenerateSerials, Menu::kCommands, "Generate S.N.", "Generate Unique Serial Numbers",
     "Generate Unique Serial Numbers", true, CommandPicture::kGenerateSerials},
    {kCmdFixAllErrors, Menu::kCommands, "Fix All Errors...", "Fix the errors of every car",
     "Fix All Errors", false, CommandPicture::kReload},
    {kCmdStringEdit, Menu::kCommands, "KRAX String Edit", "KRAX String Editor",
     "KRAX String Editor", true, CommandPicture::kStringEdit},
    {kCmdOptions, Menu::kCommands, "Options", "Options", "Options", true,
     CommandPicture::kOptions},
    {kCmdAbout, Menu::kHelp, "&About KRAXManager...",
     "Display program information, version number and copyright", "About", false,
     CommandPicture::kReload},
    {kCmdRunGame, Menu::kToolbarOnly, "Run KRAX", "Run KRAX without initial movies", "Run KRAX",
     true, CommandPicture::kRunGame},
}};

// Toolbar buttons left to right; 0 is a separator.
inline constexpr std::array<int, 16> kToolbarLayout = {
    kCmdReload,        kCmdOptions,     0,
    kCmdRunGame,       0,
    kCmdInstallCar,    kCmdInstallCarFromComp, kCmdInstallTrack, kCmdInstallTrackFromComp, 0,
    kCmdRestoreTracks, kCmdRestoreCars, kCmdRestoreStrings, 0,
    kCmdGenerateSerials, kCmdStringEdit,
};

}  // namespace krax::ui
