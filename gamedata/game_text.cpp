#include "gamedata/game_text.h"

#include "platform/byte_order.h"
#include "gamedata/game_data.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

void GameTextTable::Load(std::string_view image) {
  clear();
  if (image.empty()) return;
  if (image.size() < 4) {
    damaged_ = true;
    return;
  }
  const auto first = static_cast<std::int32_t>(LittleEndian32(image, 0));
  if (first <= 0) {
    damaged_ = true;
    return;
  }
  const auto tableSize = static_cast<std::uint64_t>(first);
  // N = first offset / 4 rounded up; the table lies in the file, so N is bounded by its size.
  for (std::uint64_t k = 0; 4 * k < tableSize; ++k) {
    if (4 * k + 4 > image.size()) {  // the table is cut off by the end of the file
      damaged_ = true;
      break;
    }
    const std::uint32_t offset = LittleEndian32(image, static_cast<std::size_t>(4 * k));
    Entry entry{static_cast<std::int32_t>(offset), {}};
    if (offset < tableSize || offset > image.size()) {
      damaged_ = true;  // points into the table or past the end: no text of its own
    } else {
      std::string_view text = image.substr(offset);
      entry.text.assign(text.substr(0, text.find('\0')));
    }
    entries_.push_back(std::move(entry));
  }
}

std::string GameTextTable::Serialize() const {
  std::string out;
  std::uint64_t offset = 4 * entries_.size();
  for (const Entry& entry : entries_) {
    AppendLittleEndian32(out, static_cast<std::uint32_t>(offset));
    offset += entry.text.size() + 1;
  }
  for (const Entry& entry : entries_) {
    out += entry.text;
    out.push_back('\0');
  }
  return out;
}

bool GameTextTable::Set(std::size_t index, std::string_view text) {
  if (index >= entries_.size()) return false;
  // A string ends at its first zero byte in the file; keep the table consistent with that.
  text = text.substr(0, text.find('\0'));
  entries_[index].mark = -1;
  entries_[index].text.assign(text);
  return true;
}

std::string GameTextPath(std::string_view gameFolder, std::string_view languageSuffix) {
  return ResolvePath(JoinPath(gameFolder, "\\FeData\\Text\\Text" + std::string(languageSuffix)));
}

bool GameData::LoadGameText() {
  if (!kraxText_) return false;
  const std::optional<std::string> image = ReadWholeFile(GameTextPath());
  if (!image) return false;
  gameText.Load(*image);
  return true;
}

bool GameData::SetGameText(std::size_t index, std::string_view text) {
  if (!kraxText_) return false;
  return gameText.Set(index, text);
}

bool GameData::SaveGameText(bool evenIfDamaged) {
  if (!kraxText_ || gameText.empty()) return false;
  if (gameText.damaged() && !evenIfDamaged) return false;
  return WriteFileAtomic(GameTextPath(), gameText.Serialize()).ok();
}

}  // namespace krax
