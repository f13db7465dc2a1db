// Bit output for LZX streams.
//
// An LZX bitstream is a sequence of 16-bit little-endian words; within each word the bits
// are used from the most significant one down. A value of n bits is therefore written
// most significant bit first, and a word is only complete (and stored as its low byte
// followed by its high byte) once 16 bits have been collected. Cabinet frames and
// uncompressed blocks need the stream on a word boundary: AlignToWord pads with zero bits.
// Uncompressed-block bytes are written raw, byte by byte, once the stream is aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace krax::lzx {

class LzxBitWriter {
 public:
  // Appends the `count` low bits of `value` (count 0..32), most significant first.
  void PutBits(std::uint32_t value, unsigned count);

  // Pads with zero bits up to the next 16-bit boundary (nothing when already there).
  void AlignToWord();
  bool IsWordAligned() const { return pendingBits_ == 0; }

  // Raw bytes; only on a word boundary.
  void PutRawBytes(const std::uint8_t* bytes, std::size_t count);

  // Completed bytes so far (whole 16-bit words, plus raw bytes).
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::size_t ByteCount() const { return bytes_.size(); }
  // Bits written so far, pending ones included.
  std::uint64_t BitCount() const { return bytes_.size() * 8u + pendingBits_; }

  // Forgets the completed bytes (the caller has taken them); only on a word boundary.
  void ClearBytes();

 private:
  std::uint64_t pending_ = 0;  // the low pendingBits_ bits are not yet a whole word
  unsigned pendingBits_ = 0;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace krax::lzx
