// Writes LZX blocks: block header, trees and tokens.
//
// A verbatim block is: 3 bits of block type, 24 bits of block size (the bytes it yields),
// then the main tree in two parts (elements 0-255, then the match elements) and the length
// tree, each part sent as path lengths through its own pretree, then the tokens. An
// aligned-offset block has the same layout with an 8-element aligned-offset tree (3 bits
// per length) right after the size; in it, the low 3 bits of offsets with 3 or more extra
// bits are sent through that tree instead of raw.
//
// Path lengths travel as differences to the same tree's lengths in the previous block of
// the stream (all 0 at the start), so the writer keeps those between blocks until Reset.
// Pretree symbols: 0-16 a difference ((previous - new) mod 17), 17 and 18 runs of zero
// lengths, 19 a run of 4-5 equal lengths. A 19-run is only used where the previous lengths
// of the run are equal too, which makes its meaning unambiguous for every decoder.
//
// A block may span several cabinet frames, and a frame may hold the end of one block and
// the start of the next. After the token that completes a frame the stream is padded to a
// 16-bit boundary and the frame's bytes go to the sink.
//
// An uncompressed block is: type and size, padding to the next 16-bit boundary, the three
// repeated offsets as 32-bit little-endian values, the bytes, and a padding byte after an
// odd size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "archive/lzx/lzx_bit_writer.h"
#include "archive/lzx/lzx_block_stats.h"
#include "archive/lzx/lzx_token.h"

namespace krax::lzx {

// Receives each finished frame: its compressed bytes and the uncompressed bytes it yields.
// Returning false stops the encoder.
using LzxFrameSink =
    std::function<bool(const std::uint8_t* bytes, std::size_t size, std::size_t uncompressed)>;

struct LzxFrameSpan {
  std::size_t tokenEnd = 0;        // index one past the frame's last token
  std::uint32_t uncompressed = 0;  // bytes the frame yields
};

class LzxBlockWriter {
 public:
  explicit LzxBlockWriter(unsigned positionSlots);

  // New stream: previous path lengths back to 0.
  void Reset();

  // Writes one block holding `frames` (whose tokens are `tokens`, in order) into `bits`,
  // handing each completed frame to `sink`. Returns false when the sink refused.
  bool WriteBlock(const std::vector<LzxToken>& tokens, const std::vector<LzxFrameSpan>& frames,
                  LzxBitWriter& bits, const LzxFrameSink& sink);

  // Writes the same as WriteBlock, but as several blocks: a new block starts before each
  // token index in `blockStarts` (ascending, inside the tokens), also inside a frame.
  bool WriteBlocks(const std::vector<LzxToken>& tokens, const std::vector<LzxFrameSpan>& frames,
                   const std::vector<std::size_t>& blockStarts, LzxBitWriter& bits, const LzxFrameSink& sink);

  // What the last WriteBlock or WriteBlocks spent, all its blocks together: type, size and trees; tokens (frame padding aside).
  struct BlockBits {
    std::uint64_t header = 0, tokens = 0;
  };
  const BlockBits& lastBlockBits() const { return lastBlockBits_; }

  // Exact bits of a block (type, size, trees and tokens, without frame padding) with
  // these counts, its trees sent against the current previous lengths.
  std::uint64_t MeasureBlock(const LzxBlockStats& stats) const;

  // Writes one frame as an uncompressed block: its bytes raw, preceded by the repeated
  // offsets the decoder must hold afterwards. Must start on a frame boundary.
  bool WriteUncompressedBlock(const std::uint8_t* bytes, std::uint32_t size, const LzxRepeats& repeatsAfter,
                              LzxBitWriter& bits, const LzxFrameSink& sink);

  // The previous path lengths, to undo a block that was written only to be measured.
  struct State {
    std::vector<std::uint8_t> main, length;
  };
  State SaveState() const { return {previousMain_, previousLength_}; }
  void RestoreState(State state) {
    previousMain_ = std::move(state.main);
    previousLength_ = std::move(state.length);
  }

 private:
  void WriteTree(LzxBitWriter& bits, std::uint8_t* previous, const std::uint8_t* lengths,
                 std::size_t count);

  unsigned mainSize_;
  std::vector<std::uint8_t> previousMain_;
  std::vector<std::uint8_t> previousLength_;
  BlockBits lastBlockBits_;
};

}  // namespace krax::lzx
