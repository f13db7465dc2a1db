// Match finder for the LZX encoder: hash chains over a sliding window.
//
// The finder owns the window buffer. The encoder appends each frame's bytes, then asks
// for matches at positions of that frame in increasing order. Every position is entered
// into a chain keyed by a hash of its first three bytes; a search walks the chain from the
// newest entry, so nearer candidates come first, and stops after a fixed number of steps
// or at a "good enough" length.
//
// Guarantees the parser relies on: a match never starts before the first byte of the
// stream (the buffer is emptied by Reset), never lies farther back than the window allows
// (window size - 3, the largest offset LZX can code) and never extends past the limit the
// caller gives (the parser passes the end of the current frame).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/lzx/lzx_search_buffer.h"

namespace krax::lzx {

struct LzxMatchFinderTuning {
  unsigned maxChainSteps = 48;  // candidates examined per search
  unsigned goodLength = 64;     // a match this long ends the search at once
};

class LzxMatchFinder {
 public:
  using Tuning = LzxMatchFinderTuning;

  explicit LzxMatchFinder(std::uint32_t windowSize, Tuning tuning = {});

  // Empties the window: the next byte appended is the first of a new stream.
  void Reset();

  // Appends bytes (at most 65536 at a time) and returns the position of the first one.
  // May slide the window, which moves every earlier position down; positions returned
  // before are then stale, so callers keep positions only within one frame.
  std::uint32_t Append(const std::uint8_t* bytes, std::size_t count);

  const std::uint8_t* data() const { return window_.data(); }
  std::uint32_t end() const { return window_.end(); }  // one past the last byte appended

  // Enters every position below `pos` into the chains (positions are entered once).
  void InsertUpTo(std::uint32_t pos);

  // The longest match for `pos` of at most `maxLength` bytes (at least 3 to count);
  // returns its length (0 for none) and sets `distance`. Enters positions below `pos` first.
  std::uint32_t FindLongest(std::uint32_t pos, std::uint32_t maxLength, std::uint32_t& distance);

  // Length of the match at `pos` against the bytes `distance` back, up to `maxLength`;
  // 0 when that distance is not allowed (before the stream start or beyond the window).
  std::uint32_t MatchLengthAt(std::uint32_t pos, std::uint32_t distance, std::uint32_t maxLength) const {
    return window_.MatchLengthAt(pos, distance, maxLength);
  }

 private:
  std::uint32_t Hash(std::uint32_t pos) const;
  void Slide();

  static constexpr unsigned kHashBits = 16;
  LzxSearchBuffer window_;
  Tuning tuning_;
  std::vector<std::int32_t> head_;  // newest position per hash, -1 for none
  std::vector<std::int32_t> prev_;  // previous position with the same hash, -1 for none
  std::uint32_t inserted_ = 0;      // positions below this are in the chains
};

}  // namespace krax::lzx
