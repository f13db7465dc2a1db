// The bytes a match finder searches, for both LZX match finders: the last window of the
// stream plus room for a few frames ahead, so that slides are rare.
//
// A finder indexes its own tables (hash heads, chain or tree links) by buffer position.
// When an append would not fit, the finder calls Slide: the bytes older than one window,
// which no match may reach, are dropped and the rest moved to the front, so every position
// moves down by the same amount; the finder then moves its tables along with Rebased.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "archive/lzx/lzx_match_length.h"

namespace krax::lzx {

class LzxSearchBuffer {
 public:
  static constexpr std::uint32_t kMaxAppend = 65536;

  explicit LzxSearchBuffer(std::uint32_t windowSize)
      : windowSize_(windowSize),
        maxDistance_(windowSize - 3),
        bytes_(windowSize + std::max<std::uint32_t>(windowSize, 4 * kMaxAppend)) {}

  // Empties the buffer: the next byte appended is the first of a new stream.
  void Clear() { fill_ = 0; }

  std::uint32_t capacity() const { return static_cast<std::uint32_t>(bytes_.size()); }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::uint32_t end() const { return fill_; }  // one past the last byte appended
  // The largest offset LZX can code in this window.
  std::uint32_t maxDistance() const { return maxDistance_; }

  bool Fits(std::size_t count) const { return fill_ + count <= bytes_.size(); }

  // Keeps only the last window's worth of bytes, moved to the front; returns how far every
  // position moved down.
  std::uint32_t Slide() {
    const std::uint32_t shift = fill_ - windowSize_;
    std::memmove(bytes_.data(), bytes_.data() + shift, windowSize_);
    fill_ = windowSize_;
    return shift;
  }

  // Appends `count` bytes (at most kMaxAppend, and they must fit) and returns the position
  // of the first.
  std::uint32_t Append(const std::uint8_t* bytes, std::size_t count) {
    assert(count <= kMaxAppend && Fits(count));
    const std::uint32_t start = fill_;
    std::memcpy(bytes_.data() + fill_, bytes, count);
    fill_ += static_cast<std::uint32_t>(count);
    return start;
  }

  // Length of the match at `pos` against the bytes `distance` back, up to `maxLength`;
  // 0 when that distance is not allowed (before the stream start or beyond the window).
  std::uint32_t MatchLengthAt(std::uint32_t pos, std::uint32_t distance, std::uint32_t maxLength) const {
    if (distance == 0 || distance > pos || distance > maxDistance_) return 0;
    maxLength = std::min(maxLength, fill_ - pos);
    const std::uint8_t* a = bytes_.data() + pos;
    return Extend(a, a - distance, 0, maxLength);
  }

 private:
  std::uint32_t windowSize_;
  std::uint32_t maxDistance_;
  std::vector<std::uint8_t> bytes_;
  std::uint32_t fill_ = 0;
};

// A position stored before a slide by `shift`, after it: moved down with its byte, or
// `none` once its byte was dropped.
template <typename Pos>
constexpr Pos Rebased(Pos p, std::uint32_t shift, std::type_identity_t<Pos> none) {
  const Pos s = static_cast<Pos>(shift);
  return (p != none && p >= s) ? static_cast<Pos>(p - s) : none;
}

}  // namespace krax::lzx
