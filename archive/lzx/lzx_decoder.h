// LZX decoder for cabinet folders (window 2^kMinWindowBits .. 2^kMaxWindowBits).
//
// The bitstream (see lzx_bit_reader.h for the bit order) is cut into frames of kFrameSize
// output bytes, one frame per cabinet data block, each starting on a 16-bit boundary of
// its block. The first frame of a folder opens with the Intel E8 header: one bit, and when
// it is 1 a 32-bit translation size as two 16-bit halves, high half first. Then come LZX
// blocks, each opened by a 3-bit type and a 24-bit output size:
//   - verbatim (kBlockTypeVerbatim): main-tree lengths for the kNumChars literals, then for
//     the 8 x slots match elements, then the kLengthTreeSize length-tree lengths, each group
//     preceded by a kPretreeSize-symbol pretree and coded as changes against the previous
//     block's lengths; then tokens;
//   - aligned offset (kBlockTypeAligned): kAlignedTreeSize aligned-tree lengths of
//     kAlignedLengthBits each first, then as verbatim; match offsets with kAlignedBits or
//     more extra bits take their low kAlignedBits bits from the aligned tree;
//   - uncompressed (kBlockTypeUncompressed): padding to a 16-bit boundary, R0 R1 R2 as 32-bit values, the raw
//     bytes, and one pad byte after an odd-sized block.
// Tokens are literals (main element < kNumChars) or matches (position slot and length header in
// the main element, long lengths from the length tree, offsets from the three repeated
// offsets or from the slot's base plus extra bits). A block may span frames, and a match
// may run past the end of a frame: the bytes beyond belong to the next frame. Window,
// trees, repeated offsets and the current block carry over from frame to frame; Reset
// starts a new folder. After decoding, each of the first kE8MaxFrames frames is passed through
// the inverse E8 translation (the window keeps the untranslated bytes).
//
// The decoder is split into the bit reader, the Huffman table builder, the tree-length
// reader (lzx_tree_reader.h) and the block loop here. Every value taken from the stream
// is checked before use; bad input makes DecodeFrame return false, never a read or write
// outside its buffers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/codec_status.h"
#include "archive/lzx/lzx_bit_reader.h"
#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_huffman_decoder.h"

namespace krax::lzx {

class LzxDecoder {
 public:
  // nullptr for a window outside 2^kMinWindowBits .. 2^kMaxWindowBits.
  static std::unique_ptr<LzxDecoder> Create(int windowBits);

  // Starts a new stream: empty history, zero tree lengths, repeated offsets 1, 1, 1.
  void Reset();

  // Decodes one frame from one data block into exactly `outSize` (1..kFrameSize) bytes; kBadData
  // for bad data.
  CodecStatus DecodeFrame(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                   std::size_t outSize);

  std::size_t windowSize() const { return windowSize_; }

 private:
  explicit LzxDecoder(int windowBits);

  bool ReadStreamHeader();
  bool ReadBlockHeader();
  bool DecodeTokens(std::size_t frameEnd);
  bool CopyUncompressed(std::size_t frameEnd);
  bool CopyMatch(std::uint32_t offset, std::uint32_t length);
  void UndoE8Translation(std::uint8_t* out, std::size_t size) const;

  std::size_t windowSize_;
  unsigned mainTreeSize_;
  // Window with room behind it for one frame plus one match: decoding writes linearly
  // and moves the part past the window's end to its start once a frame is delivered.
  std::unique_ptr<std::uint8_t[]> window_;  // bytes are read only after being written
  std::size_t pos_ = 0;               // next write position (linear)
  std::size_t frameStart_ = 0;        // linear position of the current frame's first byte
  std::uint64_t totalOut_ = 0;        // bytes decoded in this stream
  std::uint64_t frameStartTotal_ = 0; // stream position of the current frame
  std::uint32_t framesDone_ = 0;

  std::array<std::uint32_t, kNumRepeatedOffsets> repeated_{};

  bool streamHeaderRead_ = false;
  bool e8Enabled_ = false;
  std::uint32_t e8TranslationSize_ = 0;

  unsigned blockType_ = 0;            // 0: a block header comes next
  std::uint32_t blockRemaining_ = 0;  // output bytes left in the current block
  bool blockSizeOdd_ = false;         // uncompressed blocks: a pad byte follows
  std::size_t rawPos_ = 0;            // uncompressed blocks: next raw byte in the input

  std::array<std::uint8_t, kMainTreeMaxSize> mainLengths_{};
  std::array<std::uint8_t, kLengthTreeSize> lengthLengths_{};
  std::array<std::uint8_t, kAlignedTreeSize> alignedLengths_{};
  LzxHuffmanDecoder mainTree_;
  LzxHuffmanDecoder lengthTree_;
  LzxHuffmanDecoder alignedTree_;

  LzxBitReader in_;
  const std::uint8_t* input_ = nullptr;
  std::size_t inputSize_ = 0;
};

}  // namespace krax::lzx
