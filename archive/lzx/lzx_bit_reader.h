// Bit input for LZX: the stream is a sequence of 16-bit little-endian words and bits are
// taken from each word starting at its most significant bit. The reader keeps up to 32
// bits in a register and refills a word at a time. Past the end of its input it supplies
// zero bits (so a Huffman peek near the end never reads outside the buffer) and remembers
// that it did; `overran()` then tells whether any of those zero bits were really consumed.
// Uncompressed LZX blocks interrupt the bit stream with raw bytes: `AlignToWord` plus
// `bytePosition`/`RestartAt` switch between the two views of the same input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace krax::lzx {

class LzxBitReader {
 public:
  LzxBitReader() = default;
  LzxBitReader(const std::uint8_t* data, std::size_t size) { Reset(data, size); }

  void Reset(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    RestartAt(0);
  }

  // Makes sure at least `count` (<= 17) bits are in the register.
  void Ensure(unsigned count) {
    while (bitCount_ < count) {
      std::uint32_t word = 0;
      if (pos_ + 1 < size_) {
        word = static_cast<std::uint32_t>(data_[pos_] | (data_[pos_ + 1] << 8));
      } else if (pos_ < size_) {
        word = data_[pos_];  // odd final byte: the missing high byte reads as zero
      } else {
        paddingBits_ += 16;
      }
      pos_ += 2;
      bits_ |= word << (16 - bitCount_);
      bitCount_ += 16;
    }
  }

  // The next `count` (1..16) bits without consuming them; call Ensure(count) first.
  std::uint32_t Peek(unsigned count) const { return bits_ >> (32 - count); }

  void Consume(unsigned count) {
    bits_ <<= count;
    bitCount_ -= count;
  }

  // Reads `count` (0..17) bits, most significant first.
  std::uint32_t Read(unsigned count) {
    if (count == 0) return 0;
    Ensure(count);
    const std::uint32_t value = Peek(count);
    Consume(count);
    return value;
  }

  // True when bits beyond the end of the input were consumed.
  bool overran() const { return paddingBits_ > bitCount_; }

  // Bits consumed since RestartAt(0) or the last restart, counted in whole input bits.
  std::size_t bitsConsumed() const { return pos_ * 8 - bitCount_; }

  // Moves to the next 16-bit boundary; when already on one a whole word is skipped (the
  // way LZX pads before an uncompressed block). Afterwards bytePosition() is valid.
  void AlignToWord() {
    const std::size_t consumed = bitsConsumed();
    const std::size_t next = (consumed / 16 + 1) * 16;
    RestartAt(next / 8);
  }

  // The byte offset of the next unread bit; meaningful only when on a byte boundary.
  std::size_t bytePosition() const { return bitsConsumed() / 8; }

  // Drops the register and continues reading bits at byte `offset` of the input.
  void RestartAt(std::size_t offset) {
    pos_ = offset;
    bits_ = 0;
    bitCount_ = 0;
    paddingBits_ = 0;
  }

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;          // next byte to load into the register
  std::uint32_t bits_ = 0;       // left-aligned
  unsigned bitCount_ = 0;
  std::size_t paddingBits_ = 0;  // zero bits supplied past the end
};

}  // namespace krax::lzx
