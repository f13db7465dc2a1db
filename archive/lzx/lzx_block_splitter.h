// Where the thorough LZX encoder ends its blocks.
//
// A block pays for its trees once, so long blocks spread that cost, but one set of codes
// serves the whole block: when the data changes character (text, then sound, then code),
// codes fitted to the mixture cost more than codes fitted to each part, and the parser,
// which prices each frame with codes fitted to that frame, is then optimising for codes
// the block does not use. Measured on game data, blocks of one frame each beat blocks of
// four frames, which beat longer ones, as long as a frame holds thousands of tokens; a
// frame of a few hundred tokens (long runs, repeated files) is better off sharing trees.
//
// So the encoder offers the splitter each parsed frame before adding it to the block being
// collected, and the splitter ends the block first when
//   - the format's limits would be passed (65528 tokens, 32760 matches in a block), or 64
//     frames are held (which bounds the bytes kept for the frame-by-frame fallback);
//   - the block already holds 10000 tokens: enough for codes of its own;
//   - or, for a smaller block, the exact sizes (trees included, as the block writer
//     measures them) say the frame is cheaper in a block of its own than joined to it.
// Blocks end on frame boundaries, so a frame that would not fit a cabinet data block can
// still be written again on its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/lzx/lzx_block_stats.h"
#include "archive/lzx/lzx_block_writer.h"

namespace krax::lzx {

class LzxBlockSplitter {
 public:
  static constexpr std::uint32_t kMaxItems = 65528;
  static constexpr std::uint32_t kMaxMatches = 32760;
  static constexpr std::uint32_t kEnoughItems = 10000;
  static constexpr std::size_t kMaxFrames = 64;

  // Whether the block holding `block` (in `frames` frames) ends before a frame with `next`.
  static bool EndBefore(const LzxBlockStats& block, std::size_t frames, const LzxBlockStats& next,
                        const LzxBlockWriter& writer);
};

}  // namespace krax::lzx
