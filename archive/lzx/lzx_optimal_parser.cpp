#include "archive/lzx/lzx_optimal_parser.h"

#include <algorithm>
#include <limits>

namespace krax::lzx {
namespace {

constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kMaxLength2Distance = LzxBtMatchFinder::kMaxLength2Distance;

// The repeated offsets after a match with `formattedOffset`, as a decoder updates them.
LzxRepeats After(LzxRepeats r, std::uint32_t formattedOffset) {
  if (formattedOffset == 0) return r;
  if (formattedOffset < kNumRepeatedOffsets) {
    std::swap(r.r[0], r.r[formattedOffset]);
    return r;
  }
  r.r[2] = r.r[1];
  r.r[1] = r.r[0];
  r.r[0] = formattedOffset - kOffsetBias;
  return r;
}

}  // namespace

LzxOptimalParser::LzxOptimalParser(LzxBtMatchFinder& finder) : finder_(finder) {
  // Room for an arrival from the last position looked at: match, literal, repeat match.
  nodes_.resize(kLookahead + 2 * kMaxMatch + 2);
}

void LzxOptimalParser::FindMatches(std::uint32_t begin, std::uint32_t end) {
  begin_ = begin;
  end_ = end;
  matchStart_.assign(end - begin + 1, 0);
  matches_.clear();
  LzxMatch found[LzxBtMatchFinder::kMaxMatchesPerPosition];
  std::uint32_t pos = begin;
  while (pos < end) {
    matchStart_[pos - begin] = static_cast<std::uint32_t>(matches_.size());
    const std::size_t count = finder_.FindAndInsert(pos, found);
    const std::uint32_t limit = std::min<std::uint32_t>(kMaxMatch, end - pos);
    std::uint32_t longest = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t len = std::min(found[i].length, limit);
      if (len <= longest || len < kMinMatch) continue;
      if (len == kMinMatch && found[i].distance >= kMaxLength2Distance) continue;
      matches_.push_back({len, found[i].distance});
      longest = len;
    }
    if (longest < kTakeAtOnce) {
      ++pos;
      continue;
    }
    // Long enough to be taken at once: its full length, and no searches inside it.
    LzxMatch& last = matches_.back();
    last.length = finder_.MatchLengthAt(pos, last.distance, limit);
    for (std::uint32_t p = pos + 1; p < pos + last.length; ++p) {
      matchStart_[p - begin] = static_cast<std::uint32_t>(matches_.size());
      finder_.Skip(p);
    }
    pos += last.length;
  }
  matchStart_[end - begin] = static_cast<std::uint32_t>(matches_.size());
}

std::uint64_t LzxOptimalParser::Parse(const LzxCostModel& costs, LzxRepeats& repeats,
                                      std::vector<LzxToken>& out) {
  const std::uint8_t* data = finder_.data();
  std::uint64_t total = 0;
  std::uint32_t pos = begin_;
  while (pos < end_) {
    const std::uint32_t horizon = std::min<std::uint32_t>(kLookahead, end_ - pos);
    nodes_[0].cost = 0;
    nodes_[0].repeats = repeats;
    std::uint32_t reach = 0;  // farthest node arrived at so far
    std::uint32_t cur = 0;
    std::uint32_t forcedLength = 0, forcedOffset = 0;
    auto arrive = [&](std::uint32_t at, std::uint32_t cost, std::uint32_t length, std::uint32_t formatted,
                      const LzxRepeats& after, std::uint32_t then = 0) {
      while (reach < at) nodes_[++reach].cost = kUnreached;
      Node& n = nodes_[at];
      if (cost < n.cost) {
        n.cost = cost;
        n.length = static_cast<std::uint16_t>(length);
        n.then = static_cast<std::uint16_t>(then);
        n.formattedOffset = formatted;
        n.repeats = after;
      }
    };
    // A match of `length` from `cur` with `cost`, then a literal, then more at the same offset.
    auto tryContinuation = [&](std::uint32_t length, std::uint32_t cost, std::uint32_t formatted,
                               const LzxRepeats& after) {
      const std::uint32_t q = pos + cur + length;
      if (q + 1 + kMinMatch > end_) return;
      const std::uint32_t more = finder_.MatchLengthAt(q + 1, after.r[0], std::min<std::uint32_t>(kMaxMatch, end_ - q - 1));
      if (more < kMinMatch) return;
      arrive(cur + length + 1 + more, cost + costs.Literal(data[q]) + costs.MatchHeader(more, 0), length, formatted,
             after, more);
    };
    for (; cur < horizon && (cur == 0 || cur < reach); ++cur) {
      const Node node = nodes_[cur];
      const std::uint32_t p = pos + cur;
      const std::uint32_t limit = std::min<std::uint32_t>(kMaxMatch, end_ - p);
      const LzxRepeats& r = node.repeats;

      std::uint32_t repeatLength[kNumRepeatedOffsets] = {};
      std::uint32_t bestRepeat = 0;
      for (unsigned k = 0; k < kNumRepeatedOffsets; ++k) {
        if ((k > 0 && r.r[k] == r.r[0]) || (k > 1 && r.r[k] == r.r[1])) continue;
        repeatLength[k] = finder_.MatchLengthAt(p, r.r[k], limit);
        if (repeatLength[k] > repeatLength[bestRepeat]) bestRepeat = k;
      }
      const LzxMatch* m = matches_.data() + matchStart_[p - begin_];
      const LzxMatch* mEnd = matches_.data() + matchStart_[p - begin_ + 1];
      const std::uint32_t longest = m == mEnd ? 0 : mEnd[-1].length;

      if (repeatLength[bestRepeat] >= kTakeAtOnce || longest >= kTakeAtOnce) {
        if (repeatLength[bestRepeat] >= longest) {
          forcedLength = repeatLength[bestRepeat];
          forcedOffset = bestRepeat;
        } else {
          forcedLength = longest;
          forcedOffset = mEnd[-1].distance + kOffsetBias;
          for (unsigned k = 0; k < kNumRepeatedOffsets; ++k) {
            if (r.r[k] == mEnd[-1].distance) {
              forcedOffset = k;
              break;
            }
          }
        }
        break;
      }

      arrive(cur + 1, node.cost + costs.Literal(data[p]), 1, 0, r);
      // A literal, then the offset of the path here again (the arrival at the next position
      // may have come with other repeated offsets).
      if (limit > 1 + kMinMatch) {
        const std::uint32_t more = finder_.MatchLengthAt(p + 1, r.r[0], limit - 1);
        if (more >= kMinMatch) {
          arrive(cur + 1 + more, node.cost + costs.Literal(data[p]) + costs.MatchHeader(more, 0), 0, 0, r, more);
        }
      }
      for (unsigned k = 0; k < kNumRepeatedOffsets; ++k) {
        if (repeatLength[k] < kMinMatch) continue;
        const LzxRepeats after = After(r, k);
        for (std::uint32_t len = kMinMatch; len <= repeatLength[k]; ++len) {
          arrive(cur + len, node.cost + costs.MatchHeader(len, k), len, k, after);
        }
        tryContinuation(repeatLength[k], node.cost + costs.MatchHeader(repeatLength[k], k), k, after);
      }
      std::uint32_t covered = 1;
      for (; m != mEnd; ++m) {
        const std::uint32_t distance = m->distance;
        if (distance == r.r[0] || distance == r.r[1] || distance == r.r[2]) {
          covered = m->length;
          continue;
        }
        const std::uint32_t formatted = distance + kOffsetBias;
        const unsigned slot = PositionSlotOf(formatted);
        const std::uint32_t offsetBits = node.cost + costs.OffsetBits(formatted, slot);
        const LzxRepeats after = After(r, formatted);
        std::uint32_t len = std::max(covered + 1, distance < kMaxLength2Distance ? kMinMatch : kMinMatch + 1);
        for (; len <= m->length; ++len) {
          arrive(cur + len, offsetBits + costs.MatchHeader(len, slot), len, formatted, after);
        }
        tryContinuation(m->length, offsetBits + costs.MatchHeader(m->length, slot), formatted, after);
        covered = m->length;
      }
    }

    // Settle the cheapest path to `cur`, then the long match that stopped the search.
    path_.clear();
    for (std::uint32_t at = cur; at > 0;) {
      const Node& n = nodes_[at];
      if (n.then) {
        path_.push_back(LzxToken::Match(n.then, 0));
        at -= n.then + 1;
        path_.push_back(LzxToken::Literal(data[pos + at]));
      }
      if (n.length == 0) continue;  // a literal and a repeat match only
      path_.push_back(n.length == 1 ? LzxToken::Literal(data[pos + at - 1])
                                    : LzxToken::Match(n.length, n.formattedOffset));
      at -= n.length;
    }
    out.insert(out.end(), path_.rbegin(), path_.rend());
    total += nodes_[cur].cost;
    repeats = nodes_[cur].repeats;
    pos += cur;
    if (forcedLength) {
      total += costs.Match(forcedLength, forcedOffset);
      out.push_back(LzxToken::Match(forcedLength, forcedOffset));
      repeats = After(repeats, forcedOffset);
      pos += forcedLength;
    }
  }
  return total;
}

}  // namespace krax::lzx
