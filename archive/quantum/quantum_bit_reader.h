// Reads a Quantum frame's bits, most significant bit of each byte first. Past the end of
// the input it yields zero bits and counts them, so a damaged frame can never make the
// reader touch memory outside its buffer; the decoder decides how much overrun it accepts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace krax::quantum {

class QuantumBitReader {
 public:
  void Start(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    bitPos_ = 0;
    overrunBits_ = 0;
  }

  std::uint32_t ReadBit() {
    const std::size_t byte = bitPos_ >> 3;
    if (byte >= size_) {
      ++overrunBits_;
      return 0;
    }
    const std::uint32_t bit = (data_[byte] >> (7 - (bitPos_ & 7))) & 1u;
    ++bitPos_;
    return bit;
  }

  // count from 0 to 32.
  std::uint32_t ReadBits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 1) | ReadBit();
    return value;
  }

  // Zero bits handed out beyond the end of the input.
  std::size_t OverrunBits() const { return overrunBits_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t bitPos_ = 0;
  std::size_t overrunBits_ = 0;
};

}  // namespace krax::quantum
