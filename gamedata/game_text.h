// The game's front-end strings: the file "Text" + language suffix in \FeData\Text. Layout:
// a table of N 32-bit little-endian offsets (the first offset is also the table's size, so
// N = first offset / 4 rounded up), then the N zero-terminated strings.
//
// Damaged files are read up to their last sound string: the strings stop before the first
// offset that points into the offset table, past the end of the file, or backwards (below
// the previous string's offset), and before the first table entry that the file cuts off.
// A first offset of 0 or less gives no strings. A last string without its zero byte ends
// at the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

class GameTextTable {
 public:
  static constexpr std::size_t kMaxStrings = 2500;

  struct Entry {
    std::int32_t mark = 0;  // the offset read from the file, or -1 once replaced in memory
    std::string text;
  };

  // Replaces the whole table by the strings of a file image (at most kMaxStrings).
  void load(std::string_view image);
  // The file image of the table: offsets from 4 * N on, strings in order with their zeros.
  std::string serialize() const;

  std::size_t count() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const std::string& text(std::size_t index) const { return entries_.at(index).text; }
  const Entry& entry(std::size_t index) const { return entries_.at(index); }
  // Replaces string `index` (marking it -1); false, and nothing changed, past the loaded strings.
  bool set(std::size_t index, std::string_view text);
  void clear() { entries_.clear(); }

 private:
  std::vector<Entry> entries_;
};

// game folder + "\FeData\Text\Text" + suffix, found on disk ignoring case.
std::string GameTextPath(std::string_view gameFolder, std::string_view languageSuffix);

}  // namespace krax
