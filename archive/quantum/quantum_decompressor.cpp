// Quantum decompression for cabinet folders.
//
// How the Quantum bitstream works, as this decoder reads it. Quantum is an LZ77 coder with
// a window of 2^kMinWindowBits to 2^kMaxWindowBits bytes (the cabinet's type word carries
// the exponent) whose symbols all go through one adaptive arithmetic coder.
//
// Arithmetic coder. Bits are read most significant bit of each byte first. The coder has
// three 16-bit registers: low = 0, high = 0xFFFF, and code = the first 16 bits of the
// frame. A symbol is decoded against a model with total T: range = high - low + 1,
// target = ((code - low + 1) * T - 1) / range; the entry i with cum[i+1] <= target < cum[i]
// is the symbol, then high = low + cum[i] * range / T - 1 and low = low + cum[i+1] * range / T.
// Renormalisation repeats: when the top bits of low and high are equal, or when
// low = 01... and high = 10... (underflow: flip bit 14 of code, clear it in low, set it in
// high), shift low left (0 in), high left (1 in) and code left (next input bit in).
//
// Models (quantum_model.h). Every model is a table of (symbol, cumulative frequency)
// entries, symbols in order with frequency 1 at the start; a coded symbol gains
// QuantumModel::kIncrement; when the total passes QuantumModel::kRescaleLimit the table is
// halved, keeping each cumulative value strictly above the next one, and at regular
// intervals (sooner for a fresh model) the entries are re-sorted by frequency: frequencies
// halved rounding up, then a plain exchange sort.
//
// Symbols. Each step decodes a selector (kSelectorSymbols symbols):
//   below kSelectorMatch3  a literal, decoded with one of the kLiteralModels literal models,
//        which hold kLiteralSymbols consecutive byte values each (0x00-0x3F, 0x40-0x7F, ...);
//   kSelectorMatch3     a match of length 3: offset slot from a model of min(24, 2N) slots;
//   kSelectorMatch4     a match of length 4: offset slot from a model of min(36, 2N) slots;
//   kSelectorLongMatch  a longer match: a length slot (kLengthSlots symbols) and its extra
//        bits give length = kLongMatchMinLength + kLengthBase + extra; then an offset slot
//        from a model of 2N slots.
// An offset slot s is followed by kPositionExtraBits[s] extra bits;
// offset = kPositionBase[s] + extra + 1 (quantum_tables.h); 2N slots reach exactly 2^N.
// Extra bits are plain bits read from the input right after the bits the code register
// holds, most significant first.
//
// Frames. Output comes in frames of kFrameSize bytes; a cabinet data block carries one
// frame. The arithmetic coder restarts at the start of every block, so whatever the
// compressor wrote after a frame's last symbol (flush bits, padding to a 16-bit word, any
// trailer) is never looked at. Models and window carry over from block to block within a
// folder; Reset starts them afresh. A match may not run past the end of a block.
//
// Damaged input. A match may not reach before the first byte of the folder or further back
// than the window; the coder registers and model totals are checked before every symbol;
// input is padded with zero bits, and a block that needs more than kMaxOverrunBits of them
// (the code register's look-ahead) is rejected. The format has no end-of-block symbol, so a
// block whose stated size is too small is only caught when a match crosses the end.
#include "archive/quantum/quantum_decompressor.h"

namespace krax::quantum {

namespace {
// The code register reads 16 bits ahead of what the last symbol needed; a block may rely
// on that many padding bits beyond its end but not more.
constexpr std::size_t kMaxOverrunBits = 16;
}  // namespace

QuantumDecompressor::QuantumDecompressor(int windowBits)
    : windowBits_(windowBits),
      windowMask_((std::uint32_t{1} << windowBits) - 1),
      window_(std::size_t{1} << windowBits) {
  Reset();
}

void QuantumDecompressor::Reset() {
  windowPos_ = 0;
  history_ = 0;
  failed_ = false;
  selector_.Reset(0, kSelectorSymbols);
  for (int i = 0; i < kLiteralModels; ++i) {
    literals_[static_cast<std::size_t>(i)].Reset(i * kLiteralSymbols, kLiteralSymbols);
  }
  match3Slots_.Reset(0, Match3Slots(windowBits_));
  match4Slots_.Reset(0, Match4Slots(windowBits_));
  longMatchSlots_.Reset(0, PositionSlots(windowBits_));
  longMatchLengths_.Reset(0, kLengthSlots);
}

bool QuantumDecompressor::Require(bool condition) {
  if (!condition) failed_ = true;
  return condition;
}

void QuantumDecompressor::PutByte(std::uint8_t byte, std::uint8_t* out, std::size_t& produced) {
  out[produced++] = byte;
  window_[windowPos_] = byte;
  windowPos_ = (windowPos_ + 1) & windowMask_;
  ++history_;
}

bool QuantumDecompressor::DecodeMatch(int selector, std::uint32_t& length, std::uint32_t& offset) {
  QuantumModel* slots = &match3Slots_;
  length = 3;
  if (selector == kSelectorMatch4) {
    slots = &match4Slots_;
    length = 4;
  } else if (selector == kSelectorLongMatch) {
    int lengthSlot = 0;
    if (!Require(coder_.Decode(longMatchLengths_, lengthSlot) && lengthSlot >= 0 &&
                 lengthSlot < kLengthSlots)) {
      return false;
    }
    const auto ls = static_cast<std::size_t>(lengthSlot);
    length = kLongMatchMinLength + kLengthBase[ls] + coder_.ReadRawBits(kLengthExtraBits[ls]);
    slots = &longMatchSlots_;
  }
  int slot = 0;
  if (!Require(coder_.Decode(*slots, slot) && slot >= 0 && slot < slots->Count() &&
               slot < kMaxPositionSlots)) {
    return false;
  }
  const auto s = static_cast<std::size_t>(slot);
  offset = kPositionBase[s] + coder_.ReadRawBits(kPositionExtraBits[s]) + 1;
  return true;
}

CodecStatus QuantumDecompressor::DecompressBlock(const std::uint8_t* in, std::size_t inSize,
                                          std::uint8_t* out, std::size_t outSize) {
  if (!Require(!failed_ && outSize <= kFrameSize && (in != nullptr || inSize == 0) &&
               (out != nullptr || outSize == 0))) {
    return CodecStatus::kBadData;
  }
  coder_.Start(in, inSize);
  std::size_t produced = 0;
  while (produced < outSize) {
    int selector = 0;
    if (!Require(coder_.Decode(selector_, selector) && selector >= 0 && selector < kSelectorSymbols)) {
      return CodecStatus::kBadData;
    }
    if (selector < kLiteralModels) {
      int literal = 0;
      if (!Require(coder_.Decode(literals_[static_cast<std::size_t>(selector)], literal) &&
                   literal >= 0 && literal <= 0xFF)) {
        return CodecStatus::kBadData;
      }
      PutByte(static_cast<std::uint8_t>(literal), out, produced);
    } else {
      std::uint32_t length = 0;
      std::uint32_t offset = 0;
      if (!DecodeMatch(selector, length, offset)) return CodecStatus::kBadData;
      if (!Require(offset <= history_ && offset <= window_.size() && length <= outSize - produced)) {
        return CodecStatus::kBadData;
      }
      for (std::uint32_t i = 0; i < length; ++i) {
        PutByte(window_[(windowPos_ - offset) & windowMask_], out, produced);
      }
    }
    if (!Require(coder_.OverrunBits() <= kMaxOverrunBits)) return CodecStatus::kBadData;
  }
  return CodecStatus::kOk;
}

}  // namespace krax::quantum
