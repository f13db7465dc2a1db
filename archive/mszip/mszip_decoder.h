// MSZIP decoder for cabinet folders.
//
// Each data block holds the two bytes "CK" followed by a complete deflate stream
// (RFC 1951: a sequence of stored, fixed-Huffman and dynamic-Huffman blocks, the last one
// marked final) that yields exactly the block's output bytes. Back-references may reach
// into the previous block's output: the last kHistorySize bytes of the folder so far are the
// preset history of the next block. zlib's raw inflate does the deflate decoding; this
// class keeps the history, checks the "CK" marker and insists on an exact output size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/codec_status.h"

namespace krax::mszip {

inline constexpr std::size_t kHistorySize = 32768;
inline constexpr std::uint8_t kBlockMarker[2] = {'C', 'K'};

class MszipDecoder {
 public:
  MszipDecoder();
  ~MszipDecoder();
  MszipDecoder(const MszipDecoder&) = delete;
  MszipDecoder& operator=(const MszipDecoder&) = delete;

  // False when zlib could not be set up.
  bool ok() const { return ok_; }

  // Starts a new folder: no history.
  void Reset();

  // Decodes one block into exactly `outSize` (<= kHistorySize) bytes; kBadData for bad data,
  // kSetupFailed when zlib could not be set up.
  CodecStatus DecodeBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize);

 private:
  void Remember(const std::uint8_t* out, std::size_t size);

  struct Stream;
  std::unique_ptr<Stream> stream_;
  bool ok_ = false;
  std::array<std::uint8_t, kHistorySize> history_{};
  std::size_t historySize_ = 0;
};

}  // namespace krax::mszip
