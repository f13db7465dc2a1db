// Test-only arithmetic encoder, the mirror image of QuantumArithDecoder. Plain extra bits
// must land where the decoder reads them: right after the 16 + (shifts so far) coder bits.
// The coder's own bits come out late (underflow bits wait for their resolution), so plain
// bits are kept apart with their position and merged in when the frame is finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/quantum/quantum_model.h"

namespace krax::quantum::testing {

class QuantumArithEncoder {
 public:
  void Encode(QuantumModel& model, int symbol);
  void WriteRaw(std::uint32_t value, int count);
  // Flushes the coder and returns the frame's bytes (padded to a 16-bit word); the encoder
  // is then ready for the next frame.
  std::vector<std::uint8_t> Finish();

 private:
  struct RawBits {
    std::size_t coderBitIndex;
    std::uint32_t value;
    int count;
  };
  void EmitWithPending(std::uint8_t bit);

  std::uint32_t low_ = 0;
  std::uint32_t high_ = 0xFFFF;
  std::size_t pending_ = 0;
  std::size_t shifts_ = 0;
  std::vector<std::uint8_t> coderBits_;
  std::vector<RawBits> raw_;
};

}  // namespace krax::quantum::testing
