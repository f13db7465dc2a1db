// The arithmetic decoder of the Quantum method: 16-bit low, high and code registers,
// renormalised one bit at a time with the usual "bit plus follow" underflow handling.
// Plain extra bits (match offsets and lengths) are taken from the same bit stream, right
// after the bits the code register has already taken in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/quantum/quantum_bit_reader.h"
#include "archive/quantum/quantum_model.h"

namespace krax::quantum {

class QuantumArithDecoder {
 public:
  // Starts a frame: low 0, high 0xFFFF, code = the first 16 bits.
  void Start(const std::uint8_t* data, std::size_t size);

  // Decodes one symbol with the model and updates the model. False when the registers
  // and the model do not describe a valid interval (damaged data).
  [[nodiscard]] bool Decode(QuantumModel& model, int& symbol);

  std::uint32_t ReadRawBits(int count) { return bits_.ReadBits(count); }
  std::size_t OverrunBits() const { return bits_.OverrunBits(); }

 private:
  QuantumBitReader bits_;
  std::uint32_t low_ = 0;
  std::uint32_t high_ = 0xFFFF;
  std::uint32_t code_ = 0;
};

}  // namespace krax::quantum
