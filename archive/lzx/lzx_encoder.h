// The LZX encoder as cabinet folders use it.
//
// Usage: construct with the window exponent (kMinWindowBits..kMaxWindowBits), then hand over
// the folder's data in frames: CompressFrame with exactly kFrameSize bytes, except that the
// stream's last frame may be shorter. Flush emits everything still held (call it at the end
// of the folder), then Reset starts a new stream for the next folder. Each finished frame's
// compressed bytes go to the sink together with the uncompressed size it yields; one frame
// is one cabinet data block.
//
//   krax::lzx::LzxEncoder encoder(kMaxWindowBits);
//   auto sink = [&](const std::uint8_t* p, std::size_t n, std::size_t raw) { ...; return true; };
//   for (each kFrameSize piece) encoder.CompressFrame(piece, size, sink);
//   encoder.Flush(sink);
//
// The stream starts with the E8 translation header (on, translation size
// kDefaultE8TranslationSize); the first kE8MaxFrames frames are translated. Frames are
// collected and written as LZX blocks of several frames, so a frame's bytes may reach the
// sink only during a later call; the sink is never called with a frame before all its bytes
// are known. No frame exceeds kMaxCompressedFrame compressed bytes: a block with a frame that
// would is written again frame by frame, and a frame that still does not fit goes out as an
// uncompressed block.
//
// Levels. Level 1 (fast) finds matches through hash chains (lzx_match_finder), parses
// lazily (lzx_parser) and writes a block every two frames (on long, very repetitive inputs
// its chain walks can make it slower than level 2). Levels 2 and up are thorough:
// a binary-tree match finder (lzx_bt_match_finder), a near-optimal parse of each frame
// done twice, the second time with the costs the first implies (lzx_optimal_parser,
// lzx_cost_model), and blocks ended where the counts say a new block pays, also inside a
// frame (lzx_block_splitter); level 3 searches deeper and parses three times, and once
// more where the estimate still moves by more than 1/kSettledShare (at level 2 such an extra pass
// costs a tenth more time for 0.1% less size). All levels write through
// lzx_block_writer (trees and tokens, with lzx_huffman_builder and lzx_bit_writer) and
// translate E8 calls with lzx_e8_encoder. Memory is fixed by the window size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/lzx/lzx_block_writer.h"
#include "archive/lzx/lzx_levels.h"

namespace krax::lzx {

class LzxMatchFinder;
class LzxParser;
class LzxBtMatchFinder;
class LzxOptimalParser;
class LzxCostModel;

class LzxEncoder {
 public:
  // Throws std::invalid_argument for a window exponent outside 15..21 or a level outside
  // 1..kLzxMaxLevel.
  explicit LzxEncoder(int windowBits, int level = kLzxFastLevel);
  ~LzxEncoder();
  LzxEncoder(const LzxEncoder&) = delete;
  LzxEncoder& operator=(const LzxEncoder&) = delete;

  // Compresses one frame (1..kFrameSize bytes; below kFrameSize only as the stream's last frame).
  // Returns false when the sink refused a frame; the encoder must then be Reset.
  bool CompressFrame(const std::uint8_t* data, std::size_t size, const LzxFrameSink& sink);

  // Writes out every frame still held.
  bool Flush(const LzxFrameSink& sink);

  // Starts a new stream.
  void Reset();

  // Rough number of compressed bytes for the frames still held.
  std::size_t HeldBytesEstimate() const;

  int windowBits() const { return windowBits_; }
  int level() const { return level_; }

 private:
  friend struct LzxEncoderTestAccess;  // lzx_encoder_detail.h
  LzxEncoder(int windowBits, std::size_t maxFrameOutput, int level);
  struct BlockEstimate {
    std::uint64_t estimated = 0, written = 0;
  };

  int windowBits_;
  std::size_t maxFrameOutput_;
  std::unique_ptr<LzxMatchFinder> finder_;
  std::unique_ptr<LzxParser> parser_;
  LzxBlockWriter blockWriter_;
  LzxBitWriter bits_;
  std::vector<LzxToken> tokens_;
  std::vector<LzxFrameSpan> frames_;
  std::vector<std::uint8_t> scratch_;
  // For each frame held: where its (translated) bytes lie in pendingBytes_ and the
  // repeated offsets after its tokens, for writing it as an uncompressed block instead.
  std::vector<std::uint8_t> pendingBytes_;
  std::vector<std::size_t> frameOffsets_;
  std::vector<LzxRepeats> repeatsAfter_;
  std::uint64_t streamPosition_ = 0;
  std::uint64_t frameIndex_ = 0;
  bool WriteFramesSeparately(const LzxFrameSink& sink);
  bool CompressThorough(std::size_t size, const LzxFrameSink& sink);

  // Thorough levels only.
  int level_;
  unsigned passes_ = 0, extraPasses_ = 0;
  std::unique_ptr<LzxBtMatchFinder> btFinder_;
  std::unique_ptr<LzxOptimalParser> optimalParser_;
  std::unique_ptr<LzxCostModel> costs_;
  LzxRepeats repeats_;           // after the last frame parsed
  LzxBlockStats blockStats_;     // of the tokens of the block open
  std::vector<std::size_t> blockStarts_;  // tokens held that start a new block
  std::uint64_t blockEstimate_ = 0;
  std::vector<LzxToken> frameTokens_;
  std::vector<BlockEstimate> blockEstimates_;
  bool recordEstimates_ = false;

  bool headerWritten_ = false;
  bool ended_ = false;  // a short frame was given: the stream is complete
};

}  // namespace krax::lzx
