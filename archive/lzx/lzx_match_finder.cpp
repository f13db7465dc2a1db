#include "archive/lzx/lzx_match_finder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "archive/lzx/lzx_match_length.h"

namespace krax::lzx {
namespace {
constexpr std::uint32_t kMaxAppend = 65536;
}

LzxMatchFinder::LzxMatchFinder(std::uint32_t windowSize, Tuning tuning)
    : windowSize_(windowSize), maxDistance_(windowSize - 3), tuning_(tuning) {
  // Room for the window plus at least a few frames ahead, so that slides are rare.
  const std::uint32_t capacity = windowSize + std::max<std::uint32_t>(windowSize, 4 * kMaxAppend);
  buffer_.resize(capacity);
  prev_.resize(capacity);
  head_.resize(std::size_t{1} << kHashBits);
  Reset();
}

void LzxMatchFinder::Reset() {
  std::fill(head_.begin(), head_.end(), -1);
  fill_ = 0;
  inserted_ = 0;
}

std::uint32_t LzxMatchFinder::Hash(std::uint32_t pos) const {
  const std::uint8_t* p = buffer_.data() + pos;
  const std::uint32_t v = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
  return (v * 2654435761u) >> (32 - kHashBits);
}

void LzxMatchFinder::Slide() {
  // Keep the last window's worth of bytes; everything older can no longer be referenced.
  const std::uint32_t shift = fill_ - windowSize_;
  std::memmove(buffer_.data(), buffer_.data() + shift, windowSize_);
  auto rebase = [shift](std::int32_t& p) {
    p = (p >= static_cast<std::int32_t>(shift)) ? p - static_cast<std::int32_t>(shift) : -1;
  };
  for (auto& h : head_) rebase(h);
  for (std::uint32_t i = shift; i < fill_; ++i) {
    std::int32_t p = prev_[i];
    rebase(p);
    prev_[i - shift] = p;
  }
  fill_ -= shift;
  inserted_ = (inserted_ >= shift) ? inserted_ - shift : 0;
}

std::uint32_t LzxMatchFinder::Append(const std::uint8_t* bytes, std::size_t count) {
  assert(count <= kMaxAppend);
  if (fill_ + count > buffer_.size()) Slide();
  const std::uint32_t start = fill_;
  std::memcpy(buffer_.data() + fill_, bytes, count);
  fill_ += static_cast<std::uint32_t>(count);
  return start;
}

void LzxMatchFinder::InsertUpTo(std::uint32_t pos) {
  // A position needs three bytes for its hash; the last two wait for the next append.
  const std::uint32_t limit = std::min(pos, fill_ >= 2 ? fill_ - 2 : 0);
  for (; inserted_ < limit; ++inserted_) {
    const std::uint32_t h = Hash(inserted_);
    prev_[inserted_] = head_[h];
    head_[h] = static_cast<std::int32_t>(inserted_);
  }
}

std::uint32_t LzxMatchFinder::MatchLengthAt(std::uint32_t pos, std::uint32_t distance,
                                            std::uint32_t maxLength) const {
  if (distance == 0 || distance > pos || distance > maxDistance_) return 0;
  maxLength = std::min(maxLength, fill_ - pos);
  const std::uint8_t* a = buffer_.data() + pos;
  const std::uint8_t* b = a - distance;
  return Extend(a, b, 0, maxLength);
}

std::uint32_t LzxMatchFinder::FindLongest(std::uint32_t pos, std::uint32_t maxLength,
                                          std::uint32_t& distance) {
  InsertUpTo(pos);
  maxLength = std::min(maxLength, fill_ - pos);
  if (maxLength < 3) return 0;
  const std::uint8_t* cur = buffer_.data() + pos;
  std::uint32_t best = 2;
  std::int32_t cand = head_[Hash(pos)];
  const std::int64_t lowest = static_cast<std::int64_t>(pos) - maxDistance_;
  for (unsigned steps = tuning_.maxChainSteps; cand >= 0 && cand >= lowest && steps > 0;
       --steps, cand = prev_[static_cast<std::uint32_t>(cand)]) {
    const std::uint8_t* c = buffer_.data() + cand;
    // Quick reject: the byte that would make this candidate longer than the best.
    if (c[best] != cur[best] || c[0] != cur[0] || c[1] != cur[1]) continue;
    const std::uint32_t len = Extend(c, cur, 2, maxLength);
    if (len > best) {
      best = len;
      distance = pos - static_cast<std::uint32_t>(cand);
      if (len >= maxLength || len >= tuning_.goodLength) break;
    }
  }
  return best >= 3 ? best : 0;
}

}  // namespace krax::lzx
