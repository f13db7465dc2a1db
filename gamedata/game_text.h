// The game's front-end strings: the file "Text" + language suffix in \FeData\Text. Layout:
// a table of N 32-bit little-endian offsets (the first offset is also the table's size, so
// N = first offset / 4 rounded up), then the N zero-terminated strings.
//
// Every entry the offset table declares is loaded, so a save never drops strings: entries
// that share an offset share its text (the save then writes each its own copy), and offsets
// may run in any order. An offset into the offset table or past the end of the file gives an
// empty text and marks the table as damaged; so does a table the file cuts off (the entries
// the file still holds are loaded) and a first offset of 0 or less (no strings). A damaged
// table is saved only when the user agrees. A last string without its zero byte ends at the
// end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

class GameTextTable {
 public:
  struct Entry {
    std::int32_t mark = 0;  // the offset read from the file, or -1 once replaced in memory
    std::string text;
  };

  // Replaces the whole table by the strings of a file image, as many as its table declares.
  void Load(std::string_view image);
  // The file image of the table: offsets from 4 * N on, strings in order with their zeros.
  std::string Serialize() const;

  std::size_t count() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // True when the last load met offsets outside the strings or a cut-off table: a save
  // would not give back what the file held.
  bool damaged() const { return damaged_; }
  const std::string& text(std::size_t index) const { return entries_.at(index).text; }
  const Entry& entry(std::size_t index) const { return entries_.at(index); }
  // Replaces string `index` (marking it -1); false, and nothing changed, past the loaded strings.
  bool Set(std::size_t index, std::string_view text);
  void clear() {
    entries_.clear();
    damaged_ = false;
  }

 private:
  std::vector<Entry> entries_;
  bool damaged_ = false;
};

// Asked before a damaged table is saved.
inline constexpr const char* kSaveDamagedGameTextQuestion =
    "The game text file is damaged: some of its strings point outside the file and will be "
    "saved empty. Save it anyway?";

// game folder + "\FeData\Text\Text" + suffix, found on disk ignoring case.
std::string GameTextPath(std::string_view gameFolder, std::string_view languageSuffix);

}  // namespace krax
