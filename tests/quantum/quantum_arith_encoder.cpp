#include "quantum_arith_encoder.h"

#include <stdexcept>

namespace krax::quantum::testing {

void QuantumArithEncoder::EmitWithPending(std::uint8_t bit) {
  coderBits_.push_back(bit);
  for (; pending_ > 0; --pending_) coderBits_.push_back(static_cast<std::uint8_t>(bit ^ 1));
}

void QuantumArithEncoder::Encode(QuantumModel& model, int symbol) {
  const int index = model.IndexOfSymbol(symbol);
  if (index < 0) throw std::invalid_argument("symbol not in model");
  const std::uint32_t range = high_ - low_ + 1;
  const std::uint32_t total = model.Total();
  high_ = low_ + (model.HighAt(index) * range) / total - 1;
  low_ = low_ + (model.LowAt(index) * range) / total;
  model.Update(index);
  for (;;) {
    if (((low_ ^ high_) & 0x8000) == 0) {
      EmitWithPending(static_cast<std::uint8_t>(low_ >> 15));
    } else if ((low_ & 0x4000) != 0 && (high_ & 0x4000) == 0) {
      ++pending_;
      low_ &= 0x3FFF;
      high_ |= 0x4000;
    } else {
      break;
    }
    low_ = (low_ << 1) & 0xFFFF;
    high_ = ((high_ << 1) | 1) & 0xFFFF;
    ++shifts_;
  }
}

void QuantumArithEncoder::WriteRaw(std::uint32_t value, int count) {
  if (count > 0) raw_.push_back({16 + shifts_, value, count});
}

std::vector<std::uint8_t> QuantumArithEncoder::Finish() {
  // Two more bits pin the code inside [low, high] whatever follows them.
  ++pending_;
  EmitWithPending((low_ & 0x4000) != 0 ? 1 : 0);

  std::vector<std::uint8_t> bits;
  std::size_t nextRaw = 0;
  auto flushRawAt = [&](std::size_t coderIndex) {
    for (; nextRaw < raw_.size() && raw_[nextRaw].coderBitIndex == coderIndex; ++nextRaw) {
      for (int b = raw_[nextRaw].count - 1; b >= 0; --b) {
        bits.push_back(static_cast<std::uint8_t>((raw_[nextRaw].value >> b) & 1));
      }
    }
  };
  std::size_t coderIndex = 0;
  for (; coderIndex < coderBits_.size(); ++coderIndex) {
    flushRawAt(coderIndex);
    bits.push_back(coderBits_[coderIndex]);
  }
  // Plain bits may sit beyond the coder's last bit: fill the gap with zero coder bits.
  for (; nextRaw < raw_.size(); ++coderIndex) {
    flushRawAt(coderIndex);
    if (nextRaw < raw_.size()) bits.push_back(0);
  }
  while (bits.size() % 16 != 0) bits.push_back(0);

  std::vector<std::uint8_t> bytes(bits.size() / 8, 0);
  for (std::size_t i = 0; i < bits.size(); ++i) {
    bytes[i / 8] = static_cast<std::uint8_t>(bytes[i / 8] | (bits[i] << (7 - i % 8)));
  }
  *this = QuantumArithEncoder{};
  return bytes;
}

}  // namespace krax::quantum::testing
