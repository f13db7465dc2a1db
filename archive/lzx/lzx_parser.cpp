#include "archive/lzx/lzx_parser.h"

#include <algorithm>
#include <bit>

namespace krax::lzx {
namespace {

// A literal costs about this many bits; a match about its header plus its extra bits.
constexpr int kLiteralBits = 9;
constexpr int kRepeatMatchBits = 7;
// Long enough to take without looking ahead.
constexpr std::uint32_t kTakeAtOnce = 48;

int MatchScore(std::uint32_t length, std::uint32_t distance, bool repeated) {
  int cost = kRepeatMatchBits;
  if (!repeated) {
    const unsigned slot = PositionSlotOf(distance + kOffsetBias);
    cost = 9 + kExtraBits[slot];
  }
  if (length > 8) cost += 6;  // length-tree symbol
  return static_cast<int>(length) * kLiteralBits - cost;
}

}  // namespace

LzxParser::Candidate LzxParser::BestAt(std::uint32_t pos, std::uint32_t maxLength) {
  Candidate best;
  for (std::uint32_t distance : repeats_.r) {
    const std::uint32_t len = finder_.MatchLengthAt(pos, distance, maxLength);
    if (len >= kMinMatch) {
      const int score = MatchScore(len, distance, true);
      if (score > best.score) best = {len, distance, score};
    }
  }
  std::uint32_t distance = 0;
  const std::uint32_t len = finder_.FindLongest(pos, maxLength, distance);
  if (len >= 3) {
    const bool repeated = distance == repeats_.r[0] || distance == repeats_.r[1] ||
                          distance == repeats_.r[2];
    const int score = MatchScore(len, distance, repeated);
    if (score > best.score) best = {len, distance, score};
  }
  return best;
}

void LzxParser::ParseFrame(std::uint32_t begin, std::uint32_t end, std::vector<LzxToken>& out) {
  const std::uint8_t* data = finder_.data();
  std::uint32_t pos = begin;
  Candidate pending;  // the best match at `pos`, when already searched
  bool havePending = false;
  while (pos < end) {
    const std::uint32_t maxLength = std::min<std::uint32_t>(kMaxMatch, end - pos);
    Candidate cur = havePending ? pending : BestAt(pos, maxLength);
    havePending = false;
    if (cur.score <= 0) {
      out.push_back(LzxToken::Literal(data[pos]));
      ++pos;
      continue;
    }
    if (cur.length < kTakeAtOnce && pos + 1 < end) {
      const std::uint32_t nextMax = std::min<std::uint32_t>(kMaxMatch, end - pos - 1);
      const Candidate next = BestAt(pos + 1, nextMax);
      if (next.score > cur.score + kLiteralBits) {
        out.push_back(LzxToken::Literal(data[pos]));
        ++pos;
        pending = next;
        havePending = true;
        continue;
      }
    }
    out.push_back(LzxToken::Match(cur.length, repeats_.Use(cur.distance)));
    pos += cur.length;
  }
  finder_.InsertUpTo(end);
}

}  // namespace krax::lzx
