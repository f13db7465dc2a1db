#include "tools/demo_text.h"

#include <array>
#include <stdexcept>

#include "gamedata/stock_tables.h"
#include "tools/viv_writer.h"

namespace krax {
namespace {

struct TextPair {
  const char* english;
  const char* german;  // single-byte Latin-1 text, as the game stores it
};

// Menu texts 0..59; the rest of the file is formed from the numbered patterns below.
constexpr std::array<TextPair, 60> kMenuTexts = {{
    {"Single Race", "Einzelrennen"},
    {"Championship", "Meisterschaft"},
    {"Elimination", "Ausscheidung"},
    {"Time Trial", "Zeitfahren"},
    {"Two Players", "Zwei Spieler"},
    {"Options", "Optionen"},
    {"Quit", "Beenden"},
    {"Back", "Zur\xFC" "ck"},
    {"Next", "Weiter"},
    {"OK", "OK"},
    {"Cancel", "Abbrechen"},
    {"Yes", "Ja"},
    {"No", "Nein"},
    {"Loading...", "Lade..."},
    {"Please wait", "Bitte warten"},
    {"", ""},
    {"Select Car", "Wagen w\xE4hlen"},
    {"Select Track", "Strecke w\xE4hlen"},
    {"Start Race", "Rennen starten"},
    {"Lap %d of %d", "Runde %d von %d"},
    {"Best Lap", "Beste Runde"},
    {"Race Time", "Rennzeit"},
    {"Position", "Platz"},
    {"Finished", "Im Ziel"},
    {"Wrong Way", "Falsche Richtung"},
    {"Paused", "Pause"},
    {"Resume Race", "Rennen fortsetzen"},
    {"Restart Race", "Rennen neu starten"},
    {"Quit Race", "Rennen beenden"},
    {"Sound", "Ton"},
    {"Music Volume", "Musiklautst\xE4rke"},
    {"Effects Volume", "Effektlautst\xE4rke"},
    {"Engine Volume", "Motorlautst\xE4rke"},
    {"Graphics", "Grafik"},
    {"Screen Resolution", "Bildschirmaufl\xF6sung"},
    {"Draw Distance", "Sichtweite"},
    {"Car Detail", "Wagendetails"},
    {"Track Detail", "Streckendetails"},
    {"Controls", "Steuerung"},
    {"Steering", "Lenkung"},
    {"Throttle", "Gas"},
    {"Brake", "Bremse"},
    {"Handbrake", "Handbremse"},
    {"Shift Up", "Hochschalten"},
    {"Shift Down", "Runterschalten"},
    {"Look Back", "Blick zur\xFC" "ck"},
    {"Change View", "Ansicht wechseln"},
    {"Automatic", "Automatik"},
    {"Manual", "Schaltgetriebe"},
    {"Difficulty", "Schwierigkeit"},
    {"Easy", "Leicht"},
    {"Medium", "Mittel"},
    {"Hard", "Schwer"},
    {"Number of Laps", "Anzahl Runden"},
    {"Opponents", "Gegner"},
    {"Traffic", "Verkehr"},
    {"Weather", "Wetter"},
    {"Night Driving", "Nachtfahrt"},
    {"Mirrored Track", "Gespiegelte Strecke"},
    {"Reverse Direction", "Umgekehrte Richtung"},
}};

constexpr int kStringCount = 132;

}  // namespace

std::vector<std::string> DemoGameStrings(const std::string& language) {
  const bool german = language == "german";
  std::vector<std::string> strings;
  strings.reserve(kStringCount);
  for (const TextPair& pair : kMenuTexts) strings.emplace_back(german ? pair.german : pair.english);
  // 60..101: car showroom and championship texts.
  for (int i = static_cast<int>(strings.size()); i < kTrackNameTextIndex; ++i) {
    const int n = i - 59;
    if (i < 80) {
      strings.push_back((german ? "Meisterschaftslauf " : "Championship round ") + std::to_string(n));
    } else {
      strings.push_back((german ? "Bonuswagen " : "Bonus car ") + std::to_string(n - 20) +
                        (german ? " freigeschaltet" : " unlocked"));
    }
  }
  for (int slot = 0; slot < kStockTrackSlotCount; ++slot) {
    strings.emplace_back(StockTrackTable[slot].displayName);
  }
  // 111..: loading screen hints.
  for (int i = static_cast<int>(strings.size()); i < kStringCount; ++i) {
    strings.push_back((german ? "Tipp " : "Hint ") + std::to_string(i - 110) + ": " +
                      (german ? "Bremse vor der Kurve, nicht in ihr."
                              : "Brake before the corner, not in it."));
  }
  return strings;
}

std::string BuildGameTextFile(const std::vector<std::string>& strings) {
  std::string file;
  std::uint32_t offset = static_cast<std::uint32_t>(4 * strings.size());
  for (const std::string& text : strings) {
    if (text.find('\0') != std::string::npos) throw std::invalid_argument("text holds a zero byte");
    AppendLittleEndian32(file, offset);
    offset += static_cast<std::uint32_t>(text.size() + 1);
  }
  for (const std::string& text : strings) {
    file += text;
    file.push_back('\0');
  }
  return file;
}

}  // namespace krax
