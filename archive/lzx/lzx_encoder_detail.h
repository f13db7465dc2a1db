// The LZX encoder's entry points for tests: a frame limit below the cabinet's, to reach the
// fallbacks (a block written again frame by frame, an uncompressed block), and the parser's
// estimate of each block beside the bits written for it.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "archive/lzx/lzx_encoder.h"

namespace krax::lzx {

struct LzxEncoderTestAccess {
  static std::unique_ptr<LzxEncoder> WithFrameLimit(int windowBits, std::size_t maxFrameOutput, int level) {
    return std::unique_ptr<LzxEncoder>(new LzxEncoder(windowBits, maxFrameOutput, level));
  }
  // When switched on, keeps for each block written at a thorough level (unless a frame had
  // to be written again on its own, or a block ended inside a frame, where the writer's
  // codes fit a part of the frame that the parse priced as a whole) the parser's estimate
  // of its tokens' bits and the bits written for them.
  static void RecordBlockEstimates(LzxEncoder& encoder, bool on) { encoder.recordEstimates_ = on; }
  using BlockEstimate = LzxEncoder::BlockEstimate;
  static const std::vector<BlockEstimate>& BlockEstimates(const LzxEncoder& encoder) {
    return encoder.blockEstimates_;
  }
};

}  // namespace krax::lzx
