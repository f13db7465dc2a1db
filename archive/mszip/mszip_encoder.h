// MSZIP compression of cabinet data blocks.
//
// Each block is the two bytes "CK" followed by a complete deflate stream (RFC 1951) that
// yields the block's bytes. Within a folder, the previous block's kMszipMaxBlockInput bytes
// are the history the next block's stream may refer back into (a preset dictionary); the
// writer uses that history only when the previous block was a full kMszipMaxBlockInput
// bytes, and a folder's
// first block has none. zlib's raw deflate does the work; a block that deflate would not
// fit into the output limit is sent as one stored deflate block instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct z_stream_s;

namespace krax::mszip {

inline constexpr std::size_t kMszipMaxBlockInput = 32768;
inline constexpr std::size_t kMszipMaxBlockOutput = 32768 + 12;

class MszipEncoder {
 public:
  // Throws std::bad_alloc or std::runtime_error when zlib cannot be set up.
  explicit MszipEncoder(int level = -1);
  ~MszipEncoder();
  MszipEncoder(const MszipEncoder&) = delete;
  MszipEncoder& operator=(const MszipEncoder&) = delete;

  // Compresses one block (at most kMszipMaxBlockInput bytes) into `out` (at least kMszipMaxBlockOutput
  // bytes); returns the compressed size, or 0 when zlib failed.
  std::size_t CompressBlock(const std::uint8_t* in, std::size_t size, std::uint8_t* out);

  // Forgets the history (start of a new folder).
  void Reset();

 private:
  z_stream_s* stream_;
  std::vector<std::uint8_t> history_;
  bool historyValid_ = false;  // the previous block was a full kMszipMaxBlockInput bytes
};

}  // namespace krax::mszip
