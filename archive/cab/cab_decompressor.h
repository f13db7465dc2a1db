// One cabinet folder's decompressor: fed the folder's data blocks in order, each with the
// exact number of bytes it must yield. State (history, trees, models) carries over from
// block to block until Reset, which the reader calls at the start of every folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/codec_status.h"

namespace krax::cab {

class CabDecompressor {
 public:
  virtual ~CabDecompressor() = default;

  // Decodes one block of `inSize` compressed bytes into exactly `outSize` bytes (at most
  // kMaxBlockUncompressed). kBadData for a block that does not decode to exactly that.
  // Must never read or write outside the given buffers, whatever the input holds.
  virtual CodecStatus DecompressBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                               std::size_t outSize) = 0;

  // Forgets everything: the next block starts a new stream.
  virtual void Reset() = 0;
};

// Factories, one per method; each returns nullptr for a window it does not support.
std::unique_ptr<CabDecompressor> MakeStoredDecompressor();
std::unique_ptr<CabDecompressor> MakeMszipDecompressor();
std::unique_ptr<CabDecompressor> MakeLzxDecompressor(int windowBits);      // 15..21
std::unique_ptr<CabDecompressor> MakeQuantumDecompressor(int windowBits);  // 10..21

}  // namespace krax::cab
