// Which game folder the program works on. Start-up and a confirmed Options dialog both end
// here, so the install information and the game text always belong to the folder shown.
#pragma once

namespace krax {

struct Settings;
class GameData;

// Makes `data` work on the game folder and with the text switch of `settings`
// (GameData::UseGameFolder: for another folder than before, install.win is read again and the
// game text is reloaded). Catalogs are the caller's to reload.
void UseGameFolder(const Settings& settings, GameData& data);

}  // namespace krax
