#include "archive/lzx/lzx_bt_match_finder.h"

#include <algorithm>

#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_match_length.h"
#include "platform/byte_order.h"

namespace krax::lzx {

LzxBtMatchFinder::LzxBtMatchFinder(std::uint32_t windowSize, unsigned depth, unsigned niceLength)
    : window_(windowSize),
      depth_(std::max(1u, depth)),
      niceLength_(std::clamp(niceLength, 3u, kMaxMatch)) {
  links_.resize(2 * std::size_t{window_.capacity()});
  head4_.resize(std::size_t{1} << kHash4Bits);
  head3_.resize(std::size_t{2} << kHash3Bits);
  head2_.resize(std::size_t{1} << 16);
  Reset();
}

void LzxBtMatchFinder::Reset() {
  std::fill(head4_.begin(), head4_.end(), kNone);
  std::fill(head3_.begin(), head3_.end(), kNone);
  std::fill(head2_.begin(), head2_.end(), kNone);
  window_.Clear();
  inserted_ = 0;
}

void LzxBtMatchFinder::Slide() {
  const std::uint32_t shift = window_.Slide();
  for (auto* heads : {&head4_, &head3_, &head2_}) {
    for (auto& h : *heads) h = Rebased(h, shift, kNone);
  }
  for (std::size_t i = 0; i < 2 * std::size_t{window_.end()}; ++i) {
    links_[i] = Rebased(links_[i + 2 * std::size_t{shift}], shift, kNone);
  }
  inserted_ = inserted_ >= shift ? inserted_ - shift : 0;
}

std::uint32_t LzxBtMatchFinder::Append(const std::uint8_t* bytes, std::size_t count) {
  if (!window_.Fits(count)) Slide();
  return window_.Append(bytes, count);
}

void LzxBtMatchFinder::CatchUp(std::uint32_t pos) {
  // A position enters the tree only once the bytes the tree compares are all there (or
  // the caller has reached it and no more bytes will come before it is searched again).
  for (; inserted_ < pos && inserted_ + niceLength_ <= window_.end(); ++inserted_) Walk(inserted_, nullptr, true, false);
}

std::size_t LzxBtMatchFinder::FindAndInsert(std::uint32_t pos, LzxMatch* out) {
  CatchUp(pos);
  const bool insert = inserted_ == pos && pos + niceLength_ <= window_.end();
  if (insert) ++inserted_;
  return Walk(pos, out, insert, true);
}

void LzxBtMatchFinder::Skip(std::uint32_t pos) {
  CatchUp(pos);
  if (inserted_ == pos && pos + niceLength_ <= window_.end()) {
    ++inserted_;
    Walk(pos, nullptr, true, false);
  }
}

// The bucket of the three bytes at `p` and the tree of the four bytes at `p` (four bytes
// must be there for both).
std::uint32_t LzxBtMatchFinder::Hash3(const std::uint8_t* p) {
  return ((LoadLE32(p) & 0xFFFFFFu) * 2654435761u) >> (32 - kHash3Bits);
}

std::uint32_t LzxBtMatchFinder::Hash4(const std::uint8_t* p) {
  return (LoadLE32(p) * 2654435761u) >> (32 - kHash4Bits);
}

std::size_t LzxBtMatchFinder::Walk(std::uint32_t pos, LzxMatch* out, bool insert, bool report) {
  const std::uint32_t available = window_.end() - pos;
  const std::uint32_t limit = std::min<std::uint32_t>(niceLength_, available);
  const std::uint8_t* cur = window_.data() + pos;
  std::size_t count = 0;
  std::uint32_t best = 1;
  if (limit < 2) return 0;

  const std::uint32_t key2 = cur[0] | (std::uint32_t{cur[1]} << 8);
  const std::uint32_t near2 = head2_[key2];
  if (insert) head2_[key2] = pos;
  if (report && near2 != kNone && pos - near2 < kMaxLength2Distance && pos - near2 <= window_.maxDistance()) {
    out[count++] = {2, pos - near2};
    best = 2;
  }
  if (limit < 4) return count;

  // Three bytes: the two newest positions with the same three (hashed, so checked), with
  // their full lengths; the trees only hold positions that agree in four.
  std::uint32_t* bucket = &head3_[2 * Hash3(cur)];
  // Both are kept aside and merged with the tree's matches at the end: the longer of the
  // two is often the older one, and letting it hide nearer tree matches of the lengths it
  // covers would lose cheaper offsets.
  LzxMatch near3[2];
  std::size_t count3 = 0;
  if (report) {
    for (int i = 0; i < 2; ++i) {
      if (bucket[i] == kNone || pos - bucket[i] > window_.maxDistance()) continue;
      const std::uint8_t* c = window_.data() + bucket[i];
      const std::uint32_t len = Extend(c, cur, 0, limit);
      if (len >= 3 && len > best) near3[count3++] = {len, pos - bucket[i]};
    }
  }
  if (insert) {
    bucket[1] = bucket[0];
    bucket[0] = pos;
  }
  const std::uint32_t h = Hash4(cur);
  if (limit > 5) {
    // Searches start with memory far apart: the hash heads of a position and the first
    // node they lead to. Ask for the heads two positions ahead, and for the root node of
    // the next position (whose head was asked for one position ago).
    __builtin_prefetch(&head3_[2 * Hash3(cur + 2)]);
    __builtin_prefetch(&head4_[Hash4(cur + 2)]);
    const std::uint32_t root = head4_[Hash4(cur + 1)];
    if (root != kNone) {
      __builtin_prefetch(&links_[2 * std::size_t{root}]);
      __builtin_prefetch(window_.data() + root);
    }
  }
  std::uint32_t cand = head4_[h];
  if (!insert) return MergeNear(out, count + Search(pos, cand, limit, best, out + count), near3, count3);
  head4_[h] = pos;

  // The walked path is split: nodes smaller than the new string hang on `*smaller`, larger
  // ones on `*larger`; each side remembers how many leading bytes all its nodes share.
  std::uint32_t* smaller = &links_[2 * pos];
  std::uint32_t* larger = &links_[2 * pos + 1];
  std::uint32_t lenSmaller = 0, lenLarger = 0;
  for (unsigned steps = depth_;; --steps) {
    if (cand == kNone || pos - cand > window_.maxDistance() || steps == 0) {
      *smaller = *larger = kNone;
      return MergeNear(out, count, near3, count3);
    }
    const std::uint8_t* c = window_.data() + cand;
    const std::uint32_t len = Extend(c, cur, std::min(lenSmaller, lenLarger), limit);
    if (len > best) {
      best = len;
      if (report) out[count++] = {len, pos - cand};
    }
    if (len >= limit) {
      // Equal as far as the tree compares: the candidate's subtrees become ours.
      *smaller = links_[2 * cand];
      *larger = links_[2 * cand + 1];
      return MergeNear(out, count, near3, count3);
    }
    if (c[len] < cur[len]) {
      *smaller = cand;
      smaller = &links_[2 * cand + 1];
      cand = *smaller;
      lenSmaller = len;
    } else {
      *larger = cand;
      larger = &links_[2 * cand];
      cand = *larger;
      lenLarger = len;
    }
  }
}

std::size_t LzxBtMatchFinder::MergeNear(LzxMatch* out, std::size_t count, const LzxMatch* extra,
                                        std::size_t extraCount) {
  if (extraCount == 0) return count;
  for (std::size_t i = 0; i < extraCount; ++i) out[count++] = extra[i];
  // Longest first, nearest first among equal lengths; a match survives only when it is
  // nearer than every longer one kept.
  std::sort(out, out + count, [](const LzxMatch& a, const LzxMatch& b) {
    return a.length != b.length ? a.length > b.length : a.distance < b.distance;
  });
  std::size_t kept = 0;
  std::uint32_t nearest = kNone;
  for (std::size_t i = 0; i < count; ++i) {
    if (out[i].distance >= nearest) continue;
    nearest = out[i].distance;
    out[kept++] = out[i];
  }
  std::reverse(out, out + kept);
  return kept;
}

std::size_t LzxBtMatchFinder::Search(std::uint32_t pos, std::uint32_t cand, std::uint32_t limit, std::uint32_t best,
                                     LzxMatch* out) const {
  // The same descent as an insertion, leaving the tree as it is.
  const std::uint8_t* cur = window_.data() + pos;
  std::size_t count = 0;
  std::uint32_t lenSmaller = 0, lenLarger = 0;
  for (unsigned steps = depth_; steps > 0 && cand != kNone && pos - cand <= window_.maxDistance(); --steps) {
    const std::uint8_t* c = window_.data() + cand;
    const std::uint32_t len = Extend(c, cur, std::min(lenSmaller, lenLarger), limit);
    if (len > best) {
      best = len;
      out[count++] = {len, pos - cand};
    }
    if (len >= limit) break;
    if (c[len] < cur[len]) {
      cand = links_[2 * cand + 1];
      lenSmaller = len;
    } else {
      cand = links_[2 * cand];
      lenLarger = len;
    }
  }
  return count;
}

}  // namespace krax::lzx
