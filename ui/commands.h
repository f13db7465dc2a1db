// The main window's commands: identifier, menu, menu text and the two prompt lines
// (status-bar line, then tooltip line).
#pragma once

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

// In menu order within each menu.
inline constexpr std::array<CommandInfo, 18> kCommands = {{
    {CommandId::kInstallCar, Menu::kFile, "Install  Car", "Install New Car", "Install New Car", true,
     CommandPicture::kInstallCar},
    {CommandId::kInstallTrack, Menu::kFile, "Install Track", "Install New Track", "Install New Track",
     true, CommandPicture::kInstallTrack},
    {CommandId::kInstallCarFromComp, Menu::kFile, "Install Car From Comp.",
     "Install new car from compressed file", "Install new car from compressed file", true,
     CommandPicture::kInstallCarFromComp},
    {CommandId::kInstallTrackFromComp, Menu::kFile, "Install Track From Comp.",
     "Install new track from compressed file", "Install new track from compressed file", true,
     CommandPicture::kInstallTrackFromComp},
    {CommandId::kRestoreCars, Menu::kFile, "Restore Cars", "Restore All Cars from KRAX CD",
     "Restore All Cars", true, CommandPicture::kRestoreCars},
    {CommandId::kRestoreTracks, Menu::kFile, "Restore &Tracks", "Restore all tracks from KRAX CD",
     "Restore all tracks", true, CommandPicture::kRestoreTracks},
    {CommandId::kRestoreStrings, Menu::kFile, "Restore strings", "Restore KRAX Strings",
     "Restore KRAX Strings", true, CommandPicture::kRestoreStrings},
    {CommandId::kReload, Menu::kFile, "&Reload", "Reload content", "Reload content", true,
     CommandPicture::kReload},
    {CommandId::kExit, Menu::kFile, "E&xit", "Quit the application", "Exit", false,
     CommandPicture::kReload},
    {CommandId::kStatusBar, Menu::kView, "&Status Bar", "Show or hide the status bar",
     "Toggle StatusBar", false, CommandPicture::kReload},
    {CommandId::kDirToName, Menu::kCommands, "DIR = NAME", "Rename All Car Dirs To Cars Names",
     "Rename All Car Dirs To Cars Names", false, CommandPicture::kReload},
    {CommandId::kDirToId, Menu::kCommands, "DIR = ID", "Rename All Car Dirs To Cars ID",
     "Rename All Car Dirs To Cars ID", false, CommandPicture::kReload},
    {CommandId::kGenerateSerials, Menu::kCommands, "Generate S.N.", "Generate Unique Serial Numbers",
     "Generate Unique Serial Numbers", true, CommandPicture::kGenerateSerials},
    {CommandId::kFixAllErrors, Menu::kCommands, "Fix All Errors...", "Fix the errors of every car",
     "Fix All Errors", false, CommandPicture::kReload},
    {CommandId::kStringEdit, Menu::kCommands, "KRAX String Edit", "KRAX String Editor",
     "KRAX String Editor", true, CommandPicture::kStringEdit},
    {CommandId::kOptions, Menu::kCommands, "Options", "Options", "Options", true,
     CommandPicture::kOptions},
    {CommandId::kAbout, Menu::kHelp, "&About KRAXManager...",
     "Display program information, version number and copyright", "About", false,
     CommandPicture::kReload},
    {CommandId::kRunGame, Menu::kToolbarOnly, "Run KRAX", "Run KRAX without initial movies", "Run KRAX",
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
