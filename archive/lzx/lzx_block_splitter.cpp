#include "archive/lzx/lzx_block_splitter.h"

namespace krax::lzx {

bool LzxBlockSplitter::EndBefore(const LzxBlockStats& block, std::size_t frames, const LzxBlockStats& next,
                                 const LzxBlockWriter& writer) {
  if (block.items == 0) return false;
  if (block.items + next.items > kMaxItems || block.matches + next.matches > kMaxMatches || frames >= kMaxFrames) {
    return true;
  }
  LzxBlockStats joined = block;
  joined.Add(next);
  return writer.MeasureBlock(block) + writer.MeasureBlock(next) < writer.MeasureBlock(joined);
}

}  // namespace krax::lzx
