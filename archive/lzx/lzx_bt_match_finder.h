// Binary-tree match finder for the thorough LZX encoder.
//
// Every position of the window is a node in one of many binary search trees; the tree a
// position belongs to is chosen by a hash of its first four bytes, and within a tree the
// nodes are ordered by the bytes that follow them (as strings, compared up to the longest
// match length LZX can code). Inserting a position walks down from the tree's root, which
// is always the newest position with that hash: every node met on the way shares a prefix
// with the new string, so the walk sees the candidates in the order of their agreement
// with it and can report, for each length, the nearest earlier position that reaches it.
// The new position becomes the root and the walked path is split into its left subtree
// (smaller strings) and right subtree (larger ones), which keeps the tree sorted without
// any rebalancing. A walk stops after a fixed number of nodes ("depth"), when a candidate
// lies beyond the window, or when a candidate matches for the full compare length: that
// candidate's subtrees then become the new node's subtrees directly.
//
// Shorter matches come from two small tables: the two newest positions with the same
// three bytes (hashed, so checked), and the newest with the same two bytes, reported only when
// nearer than 2048: a farther length-2 match costs more than the two literals it replaces.
// Trees keyed by four bytes stay small on data where three-byte repeats are everywhere
// (sound, pixels), which keeps the walks short there.
//
// Memory: the byte buffer (window plus a few frames), two child links per buffer position
// and the hash heads, all sized from the window; nothing grows with the input. When the
// buffer is full the oldest bytes beyond one window are dropped and every link is moved
// down, exactly as the hash-chain finder does.
//
// The finder may read past the limit the caller wants (up to what has been appended), so
// the caller clips match lengths to its frame end. A position closer to the end of what
// has been appended than the tree's compare length is searched but not yet entered: its
// place in a tree depends on bytes still to come, and entering it early would leave the
// tree unsorted (and the shared-prefix shortcut of later searches wrong). It is entered
// once the next frame is there. Reported matches never reach before
// the stream start nor farther back than the window allows (window size - 3).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/lzx/lzx_search_buffer.h"

namespace krax::lzx {

struct LzxMatch {
  std::uint32_t length;
  std::uint32_t distance;
};

class LzxBtMatchFinder {
 public:
  // `depth` bounds the nodes one search visits; `niceLength` ends a search early.
  LzxBtMatchFinder(std::uint32_t windowSize, unsigned depth, unsigned niceLength);

  // Empties the window: the next byte appended is the first of a new stream.
  void Reset();

  // Appends bytes (at most 65536 at a time) and returns the buffer position of the first.
  // May slide the buffer, which moves every earlier position down.
  std::uint32_t Append(const std::uint8_t* bytes, std::size_t count);

  const std::uint8_t* data() const { return window_.data(); }
  std::uint32_t end() const { return window_.end(); }

  // Finds the matches at `pos` (the next position not yet entered) and enters it. Writes
  // them to `out` in order of increasing length, each the nearest with that length or
  // more; returns how many. `out` needs room for kMaxMatchesPerPosition entries.
  std::size_t FindAndInsert(std::uint32_t pos, LzxMatch* out);
  // Enters `pos` without reporting matches (inside a match the parser already took).
  void Skip(std::uint32_t pos);

  // Length of the match at `pos` against the bytes `distance` back, up to `maxLength`;
  // 0 when that distance is not allowed.
  std::uint32_t MatchLengthAt(std::uint32_t pos, std::uint32_t distance, std::uint32_t maxLength) const {
    return window_.MatchLengthAt(pos, distance, maxLength);
  }

  static constexpr std::size_t kMaxMatchesPerPosition = 260;
  // Length-2 matches are reported only nearer than this: farther back they cost more than
  // the two literals they replace.
  static constexpr std::uint32_t kMaxLength2Distance = 2048;

 private:
  std::size_t Walk(std::uint32_t pos, LzxMatch* out, bool insert, bool report);
  std::size_t Search(std::uint32_t pos, std::uint32_t cand, std::uint32_t limit, std::uint32_t best,
                     LzxMatch* out) const;
  // Adds `extra` to the `count` matches in `out`, keeping for each length only the nearest.
  static std::size_t MergeNear(LzxMatch* out, std::size_t count, const LzxMatch* extra, std::size_t extraCount);
  void CatchUp(std::uint32_t pos);
  void Slide();
  static std::uint32_t Hash3(const std::uint8_t* p);
  static std::uint32_t Hash4(const std::uint8_t* p);

  static constexpr unsigned kHash4Bits = 20;
  static constexpr unsigned kHash3Bits = 20;
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  LzxSearchBuffer window_;
  unsigned depth_;
  unsigned niceLength_;
  std::vector<std::uint32_t> head4_;  // newest position per 4-byte hash: the tree root
  std::vector<std::uint32_t> head3_;  // two newest positions per 3-byte hash
  std::vector<std::uint32_t> head2_;  // newest position per 2-byte value
  // Per position, side by side: subtree of smaller strings, subtree of larger ones.
  std::vector<std::uint32_t> links_;
  std::uint32_t inserted_ = 0;  // positions below this are in the trees
};

}  // namespace krax::lzx
