#include "archive/lzx/lzx_match_finder.h"

#include <algorithm>

#include "archive/lzx/lzx_match_length.h"

namespace krax::lzx {

LzxMatchFinder::LzxMatchFinder(std::uint32_t windowSize, Tuning tuning) : window_(windowSize), tuning_(tuning) {
  prev_.resize(window_.capacity());
  head_.resize(std::size_t{1} << kHashBits);
  Reset();
}

void LzxMatchFinder::Reset() {
  std::fill(head_.begin(), head_.end(), -1);
  window_.Clear();
  inserted_ = 0;
}

std::uint32_t LzxMatchFinder::Hash(std::uint32_t pos) const {
  const std::uint8_t* p = window_.data() + pos;
  const std::uint32_t v = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
  return (v * 2654435761u) >> (32 - kHashBits);
}

std::uint32_t LzxMatchFinder::Append(const std::uint8_t* bytes, std::size_t count) {
  if (!window_.Fits(count)) Slide();
  return window_.Append(bytes, count);
}

void LzxMatchFinder::Slide() {
  const std::uint32_t shift = window_.Slide();
  for (auto& h : head_) h = Rebased(h, shift, -1);
  for (std::uint32_t i = 0; i < window_.end(); ++i) prev_[i] = Rebased(prev_[i + shift], shift, -1);
  inserted_ = (inserted_ >= shift) ? inserted_ - shift : 0;
}

void LzxMatchFinder::InsertUpTo(std::uint32_t pos) {
  // A position needs three bytes for its hash; the last two wait for the next append.
  const std::uint32_t limit = std::min(pos, window_.end() >= 2 ? window_.end() - 2 : 0);
  for (; inserted_ < limit; ++inserted_) {
    const std::uint32_t h = Hash(inserted_);
    prev_[inserted_] = head_[h];
    head_[h] = static_cast<std::int32_t>(inserted_);
  }
}

std::uint32_t LzxMatchFinder::FindLongest(std::uint32_t pos, std::uint32_t maxLength,
                                          std::uint32_t& distance) {
  InsertUpTo(pos);
  maxLength = std::min(maxLength, window_.end() - pos);
  if (maxLength < 3) return 0;
  const std::uint8_t* cur = window_.data() + pos;
  std::uint32_t best = 2;
  std::int32_t cand = head_[Hash(pos)];
  const std::int64_t lowest = static_cast<std::int64_t>(pos) - window_.maxDistance();
  for (unsigned steps = tuning_.maxChainSteps; cand >= 0 && cand >= lowest && steps > 0;
       --steps, cand = prev_[static_cast<std::uint32_t>(cand)]) {
    const std::uint8_t* c = window_.data() + cand;
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
