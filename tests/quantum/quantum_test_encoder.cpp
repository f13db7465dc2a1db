#include "quantum_test_encoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "archive/quantum/quantum_model.h"
#include "archive/quantum/quantum_tables.h"
#include "quantum_arith_encoder.h"

namespace krax::quantum::testing {

namespace {

int PositionSlotFor(std::uint32_t offset) {
  int slot = 0;
  while (slot + 1 < kMaxPositionSlots && kPositionBase[static_cast<std::size_t>(slot) + 1] <= offset - 1) {
    ++slot;
  }
  return slot;
}

int LengthSlotFor(std::uint32_t length) {
  const std::uint32_t value = length - kLongMatchMinLength;
  int slot = 0;
  while (slot + 1 < kLengthSlots && kLengthBase[static_cast<std::size_t>(slot) + 1] <= value) ++slot;
  return slot;
}

// The model set of one folder, shaped exactly as the decoder's.
struct Models {
  explicit Models(int windowBits) {
    selector.Reset(0, kSelectorSymbols);
    for (int i = 0; i < kLiteralModels; ++i) {
      literals[static_cast<std::size_t>(i)].Reset(i * kLiteralSymbols, kLiteralSymbols);
    }
    match3.Reset(0, Match3Slots(windowBits));
    match4.Reset(0, Match4Slots(windowBits));
    longMatch.Reset(0, PositionSlots(windowBits));
    lengths.Reset(0, kLengthSlots);
  }
  QuantumModel selector;
  std::array<QuantumModel, kLiteralModels> literals;
  QuantumModel match3;
  QuantumModel match4;
  QuantumModel longMatch;
  QuantumModel lengths;
};

void EncodeToken(const QuantumToken& token, Models& models, QuantumArithEncoder& coder) {
  if (!token.isMatch) {
    const int quarter = token.literal >> 6;
    coder.Encode(models.selector, quarter);
    coder.Encode(models.literals[static_cast<std::size_t>(quarter)], token.literal);
    return;
  }
  if (token.length < 3 || token.length > kMaxMatchLength || token.offset == 0) {
    throw std::invalid_argument("match length or offset out of range");
  }
  QuantumModel* slots = &models.longMatch;
  if (token.length == 3) {
    coder.Encode(models.selector, kSelectorMatch3);
    slots = &models.match3;
  } else if (token.length == 4) {
    coder.Encode(models.selector, kSelectorMatch4);
    slots = &models.match4;
  } else {
    coder.Encode(models.selector, kSelectorLongMatch);
    const int lengthSlot = LengthSlotFor(token.length);
    const auto ls = static_cast<std::size_t>(lengthSlot);
    coder.Encode(models.lengths, lengthSlot);
    coder.WriteRaw(token.length - kLongMatchMinLength - kLengthBase[ls], kLengthExtraBits[ls]);
  }
  const int slot = PositionSlotFor(token.offset);
  if (slot >= slots->Count()) throw std::invalid_argument("offset beyond the selector's slots");
  const auto s = static_cast<std::size_t>(slot);
  coder.Encode(*slots, slot);
  coder.WriteRaw(token.offset - 1 - kPositionBase[s], kPositionExtraBits[s]);
}

std::uint32_t MaxOffsetForLength(std::uint32_t length, int windowBits) {
  const int slots = length == 3 ? Match3Slots(windowBits)
                                : (length == 4 ? Match4Slots(windowBits) : PositionSlots(windowBits));
  return kPositionBase[static_cast<std::size_t>(slots)];
}

}  // namespace

std::vector<QuantumBlock> EncodeQuantumTokens(const std::vector<QuantumToken>& tokens, int windowBits) {
  Models models(windowBits);
  QuantumArithEncoder coder;
  std::vector<QuantumBlock> blocks;
  std::size_t inFrame = 0;
  for (const QuantumToken& token : tokens) {
    const std::uint32_t length = token.isMatch ? token.length : 1;
    if (inFrame + length > kFrameSize) throw std::invalid_argument("token crosses a frame end");
    EncodeToken(token, models, coder);
    inFrame += length;
    if (inFrame == kFrameSize) {
      blocks.push_back({coder.Finish(), inFrame});
      inFrame = 0;
    }
  }
  if (inFrame > 0) blocks.push_back({coder.Finish(), inFrame});
  return blocks;
}

std::vector<QuantumToken> ParseQuantumTokens(const std::vector<std::uint8_t>& data, int windowBits) {
  constexpr int kHashBits = 15;
  constexpr int kMaxChain = 48;
  const std::uint32_t window = std::uint32_t{1} << windowBits;
  std::vector<std::int64_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<std::int64_t> prev(data.size(), -1);
  auto hashAt = [&](std::size_t pos) {
    const std::uint32_t v = data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  };
  auto insert = [&](std::size_t pos) {
    if (pos + 3 > data.size()) return;
    const auto h = hashAt(pos);
    prev[pos] = head[h];
    head[h] = static_cast<std::int64_t>(pos);
  };

  std::vector<QuantumToken> tokens;
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t frameEnd = std::min(data.size(), (pos / kFrameSize + 1) * kFrameSize);
    const auto maxLength = static_cast<std::uint32_t>(std::min<std::size_t>(kMaxMatchLength, frameEnd - pos));
    std::uint32_t bestLength = 0;
    std::uint32_t bestOffset = 0;
    if (maxLength >= 3) {
      std::int64_t candidate = head[hashAt(pos)];
      for (int chain = 0; chain < kMaxChain && candidate >= 0; ++chain) {
        const auto offset = static_cast<std::uint32_t>(pos - static_cast<std::size_t>(candidate));
        if (offset > window) break;
        std::uint32_t length = 0;
        while (length < maxLength && data[static_cast<std::size_t>(candidate) + length] == data[pos + length]) ++length;
        if (length >= 3 && length > bestLength && offset <= MaxOffsetForLength(length, windowBits)) {
          bestLength = length;
          bestOffset = offset;
        }
        candidate = prev[static_cast<std::size_t>(candidate)];
      }
    }
    const std::uint32_t step = bestLength >= 3 ? bestLength : 1;
    tokens.push_back(bestLength >= 3 ? QuantumToken::Match(bestLength, bestOffset) : QuantumToken::Literal(data[pos]));
    for (std::uint32_t i = 0; i < step; ++i) insert(pos + i);
    pos += step;
  }
  return tokens;
}

}  // namespace krax::quantum::testing
