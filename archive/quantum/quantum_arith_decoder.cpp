#include "archive/quantum/quantum_arith_decoder.h"

namespace krax::quantum {

void QuantumArithDecoder::Start(const std::uint8_t* data, std::size_t size) {
  bits_.Start(data, size);
  low_ = 0;
  high_ = 0xFFFF;
  code_ = bits_.ReadBits(16);
}

bool QuantumArithDecoder::Decode(QuantumModel& model, int& symbol) {
  const std::uint32_t total = model.Total();
  // A sound stream keeps low <= code <= high, and the model total stays far below the
  // smallest range after renormalisation (0x4000); anything else is damage.
  if (!(low_ <= code_ && code_ <= high_ && total > 0 && total <= high_ - low_ + 1)) return false;

  const std::uint32_t range = high_ - low_ + 1;
  const std::uint32_t target = ((code_ - low_ + 1) * total - 1) / range;
  if (target >= total) return false;
  const int index = model.IndexForTarget(target);
  symbol = model.SymbolAt(index);

  high_ = low_ + (model.HighAt(index) * range) / total - 1;
  low_ = low_ + (model.LowAt(index) * range) / total;
  model.Update(index);

  // Each pass at least doubles the range, so this ends within 16 passes.
  for (;;) {
    if ((low_ ^ high_) & 0x8000) {
      if ((low_ & 0x4000) == 0 || (high_ & 0x4000) != 0) break;
      // Underflow: the interval straddles the middle; drop the second bit.
      code_ ^= 0x4000;
      low_ &= 0x3FFF;
      high_ |= 0x4000;
    }
    low_ = (low_ << 1) & 0xFFFF;
    high_ = ((high_ << 1) | 1) & 0xFFFF;
    code_ = ((code_ << 1) | bits_.ReadBit()) & 0xFFFF;
  }
  return true;
}

}  // namespace krax::quantum
