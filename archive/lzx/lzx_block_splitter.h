// Where the thorough LZX encoder ends its blocks.
//
// A block pays for its trees once (about 190 bytes on game data), so long blocks spread
// that cost, but one set of codes serves the whole block: when the data changes character
// (text, then sound, then code), codes fitted to the mixture cost more than codes fitted
// to each part. The parser prices each frame with codes fitted to that frame, which
// favours blocks of one frame wherever a frame has codes of its own worth sending.
//
// So the encoder offers the splitter each parsed frame before adding it to the block being
// collected, and the splitter re-estimates: it ends the block first when the exact sizes
// (trees included, as the block writer measures them, each block against the trees sent
// before) say that the block and the frame apart cost less than the two joined, or when
// the format's limits would be passed (65528 tokens, 32760 matches in a block). A block
// also ends after 64 frames, which bounds the bytes kept for the frame-by-frame fallback.
// After that whole-frame decision the encoder offers the frame again in pieces of 4096
// bytes, so a block can also end inside a frame where the data changes (archive lumps,
// meshes); the block begun there then ends with the frame, and the frames held are
// written out together, so a frame that would not fit a cabinet data block can still be
// written again on its own.
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
  static constexpr std::size_t kMaxFrames = 64;

  // Whether the block holding `block` (in `frames` frames) ends before a frame with `next`.
  static bool EndBefore(const LzxBlockStats& block, std::size_t frames, const LzxBlockStats& next,
                        const LzxBlockWriter& writer);
};

}  // namespace krax::lzx
