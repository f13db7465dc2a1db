// One adaptive frequency model of the Quantum method.
//
// The model is a table of (symbol, cumulative frequency) entries. Entry i owns the
// interval [cum[i+1], cum[i]) of the model's total cum[0]; cum[count] is 0. It starts with
// the symbols in order, each with frequency 1. Every coded symbol gains 8. When the total
// passes 3800 the model shrinks: usually each cumulative value is halved (kept strictly
// above the next one); every 50th time (the 4th time for a fresh model) the frequencies are
// halved instead and the entries are re-sorted so that the most frequent come first.
// The same code serves the decoder and the encoder, so both sides always agree.
#pragma once

#include <array>
#include <cstdint>

namespace krax::quantum {

class QuantumModel {
 public:
  static constexpr int kMaxEntries = 64;
  static constexpr std::uint32_t kIncrement = 8;
  static constexpr std::uint32_t kRescaleLimit = 3800;

  // Symbols firstSymbol .. firstSymbol + count - 1, count from 1 to kMaxEntries.
  void Reset(int firstSymbol, int count);

  int Count() const { return count_; }
  std::uint32_t Total() const { return cum_[0]; }

  // The entry whose interval holds target (target < Total()).
  int IndexForTarget(std::uint32_t target) const;
  // The entry holding symbol, or -1.
  int IndexOfSymbol(int symbol) const;

  int SymbolAt(int index) const { return symbol_[static_cast<std::size_t>(index)]; }
  std::uint32_t HighAt(int index) const { return cum_[static_cast<std::size_t>(index)]; }
  std::uint32_t LowAt(int index) const { return cum_[static_cast<std::size_t>(index) + 1]; }

  // Records that the entry at index was coded.
  void Update(int index);

 private:
  void Rescale();

  int count_ = 0;
  int timeToReorder_ = 4;
  std::array<std::uint16_t, kMaxEntries> symbol_{};
  std::array<std::uint16_t, kMaxEntries + 1> cum_{};
};

}  // namespace krax::quantum
