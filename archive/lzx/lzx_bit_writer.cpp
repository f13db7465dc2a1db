#include "archive/lzx/lzx_bit_writer.h"

#include <cassert>

namespace krax::lzx {

void LzxBitWriter::PutBits(std::uint32_t value, unsigned count) {
  assert(count <= 32);
  if (count == 0) return;
  const std::uint64_t mask = (count == 32) ? 0xFFFFFFFFull : ((1ull << count) - 1);
  pending_ = (pending_ << count) | (value & mask);
  pendingBits_ += count;
  while (pendingBits_ >= 16) {
    const auto word = static_cast<std::uint16_t>(pending_ >> (pendingBits_ - 16));
    bytes_.push_back(static_cast<std::uint8_t>(word & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(word >> 8));
    pendingBits_ -= 16;
  }
  pending_ &= (1ull << pendingBits_) - 1;
}

void LzxBitWriter::AlignToWord() {
  if (pendingBits_ != 0) PutBits(0, 16 - pendingBits_);
}

void LzxBitWriter::PutRawBytes(const std::uint8_t* bytes, std::size_t count) {
  assert(pendingBits_ == 0);
  bytes_.insert(bytes_.end(), bytes, bytes + count);
}

void LzxBitWriter::ClearBytes() {
  assert(pendingBits_ == 0);
  bytes_.clear();
}

}  // namespace krax::lzx
