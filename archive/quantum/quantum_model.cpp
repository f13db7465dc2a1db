#include "archive/quantum/quantum_model.h"

#include <utility>

namespace krax::quantum {

namespace {
constexpr int kFirstReorderCountdown = 4;
constexpr int kReorderInterval = 50;
}  // namespace

void QuantumModel::Reset(int firstSymbol, int count) {
  count_ = count;
  timeToReorder_ = kFirstReorderCountdown;
  for (int i = 0; i < count; ++i) {
    symbol_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(firstSymbol + i);
    cum_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(count - i);
  }
  cum_[static_cast<std::size_t>(count)] = 0;
}

int QuantumModel::IndexForTarget(std::uint32_t target) const {
  int index = 0;
  while (index < count_ - 1 && cum_[static_cast<std::size_t>(index) + 1] > target) {
    ++index;
  }
  return index;
}

int QuantumModel::IndexOfSymbol(int symbol) const {
  for (int i = 0; i < count_; ++i) {
    if (symbol_[static_cast<std::size_t>(i)] == symbol) return i;
  }
  return -1;
}

void QuantumModel::Update(int index) {
  for (int i = 0; i <= index; ++i) {
    cum_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(cum_[static_cast<std::size_t>(i)] + kIncrement);
  }
  if (cum_[0] > kRescaleLimit) Rescale();
}

void QuantumModel::Rescale() {
  const auto n = static_cast<std::size_t>(count_);
  if (--timeToReorder_ != 0) {
    // Halve the cumulative values from the end, keeping every entry's frequency at least 1.
    for (std::size_t i = n; i-- > 0;) {
      cum_[i] = static_cast<std::uint16_t>(cum_[i] >> 1);
      if (cum_[i] <= cum_[i + 1]) cum_[i] = static_cast<std::uint16_t>(cum_[i + 1] + 1);
    }
    return;
  }
  timeToReorder_ = kReorderInterval;
  // Work on plain frequencies: halve them (rounding up, so none reaches 0), sort the
  // entries by falling frequency with a plain exchange sort, and rebuild the cumulative values.
  std::array<std::uint16_t, kMaxEntries> freq{};
  for (std::size_t i = 0; i < n; ++i) {
    freq[i] = static_cast<std::uint16_t>(((cum_[i] - cum_[i + 1]) + 1) >> 1);
  }
  for (std::size_t i = 0; i + 1 < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      if (freq[i] < freq[j]) {
        std::swap(freq[i], freq[j]);
        std::swap(symbol_[i], symbol_[j]);
      }
    }
  }
  cum_[n] = 0;
  for (std::size_t i = n; i-- > 0;) {
    cum_[i] = static_cast<std::uint16_t>(cum_[i + 1] + freq[i]);
  }
}

}  // namespace krax::quantum
