// The near-optimal LZX parser.
//
// For each frame the parser first asks the binary-tree finder for the matches at every
// position and keeps them, so that the frame can be parsed more than once with different
// costs (the encoder parses twice: once with the costs of the previous frame, once with
// the costs the first parse implies).
//
// A parse is a shortest-path search over the positions ahead: from every position it can
// reach, it tries a literal, a match at each of the three repeated offsets (every length
// up to the longest), and every length of every match the finder reported, and keeps for
// each position ahead the cheapest way found to arrive there. Each arrival carries the
// repeated offsets as they stand after it, so repeated-offset matches are priced with the
// offsets the decoder will really hold at that point; a match whose distance is one of
// them is only considered as the cheaper repeated-offset match. The search walks forward
// one position at a time and settles the path as soon as no arrival reaches beyond the
// position it stands on (all paths meet there), when it has looked 3836 positions ahead,
// or when a match of 50 bytes or more starts there: such a match is taken at once, and the
// finder skips searching the positions it covers. Matches of length 2 are only used at
// distances below 2048 (the finder reports no others) or at a repeated offset.
//
// Keeping one set of repeated offsets per position loses paths whose value only shows
// later, typically in records that repeat with a byte changed: a match, the changed byte
// as a literal, and the rest of the record at the same offset again. Each longest match is
// therefore also tried together with that continuation, as one arrival further ahead, and
// so is a literal followed by a match at the first repeated offset.
//
// No match runs past the frame's end, so every frame ends between two tokens.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/lzx/lzx_bt_match_finder.h"
#include "archive/lzx/lzx_cost_model.h"
#include "archive/lzx/lzx_token.h"

namespace krax::lzx {

class LzxOptimalParser {
 public:
  static constexpr unsigned kLookahead = 3836;
  static constexpr unsigned kTakeAtOnce = 50;

  explicit LzxOptimalParser(LzxBtMatchFinder& finder);

  // Finds and keeps the matches for positions [begin, end) of the finder's buffer, entering
  // the positions into the finder. One frame at a time.
  void FindMatches(std::uint32_t begin, std::uint32_t end);

  // Parses the frame given to FindMatches, starting with the repeated offsets `repeats`
  // (left as they stand after the frame), and appends the tokens to `out`. Returns the
  // tokens' estimated cost in bits under `costs`.
  std::uint64_t Parse(const LzxCostModel& costs, LzxRepeats& repeats, std::vector<LzxToken>& out);

 private:
  struct Node {
    std::uint32_t cost;
    std::uint16_t length;          // of the token arriving here: 1 for a literal, 0 for none
    std::uint16_t then;            // 0, or the length of a repeat match after a literal
    std::uint32_t formattedOffset;  // of the match arriving here
    LzxRepeats repeats;            // after that token
  };

  LzxBtMatchFinder& finder_;
  std::uint32_t begin_ = 0, end_ = 0;
  std::vector<std::uint32_t> matchStart_;  // per position of the frame, into matches_
  std::vector<LzxMatch> matches_;
  std::vector<Node> nodes_;
  std::vector<LzxToken> path_;
};

}  // namespace krax::lzx
