// The LZX parser: turns one frame of the window into literals and matches.
//
// This one is a lazy greedy parser. At each position it weighs the longest hash-chain
// match against matches at the three repeated offsets with a rough bit-cost score, then
// looks one position ahead: if starting a byte later scores clearly better, it emits a
// literal first. Matches never run past the frame's end, so every frame ends between two
// tokens (the cabinet reader decodes each frame on its own word boundary).
#pragma once

#include <cstdint>
#include <vector>

#include "archive/lzx/lzx_match_finder.h"
#include "archive/lzx/lzx_token.h"

namespace krax::lzx {

class LzxParser {
 public:
  explicit LzxParser(LzxMatchFinder& finder) : finder_(finder) {}

  // Starts a new stream (the repeated offsets go back to 1 1 1).
  void Reset() { repeats_ = LzxRepeats{}; }

  // Appends the tokens for positions [begin, end) of the finder's buffer to `out`.
  void ParseFrame(std::uint32_t begin, std::uint32_t end, std::vector<LzxToken>& out);

  // The repeated offsets after the tokens parsed so far.
  const LzxRepeats& repeats() const { return repeats_; }

 private:
  struct Candidate {
    std::uint32_t length = 0;
    std::uint32_t distance = 0;
    int score = 0;  // estimated bits saved against literals; <= 0 is not worth it
  };
  Candidate BestAt(std::uint32_t pos, std::uint32_t maxLength);

  LzxMatchFinder& finder_;
  LzxRepeats repeats_;
};

}  // namespace krax::lzx
