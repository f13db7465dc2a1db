#include "archive/lzx/lzx_block_writer.h"

#include <algorithm>
#include <array>

#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_block_stats.h"
#include "archive/lzx/lzx_huffman_builder.h"

namespace krax::lzx {
namespace {

constexpr unsigned kMaxPretreeLength = 15;

struct PretreeItem {
  std::uint8_t symbol;
  std::uint8_t extraBits;   // bits of `extra` that follow the symbol
  std::uint8_t extra;
  std::int8_t follow;       // for symbol 19: the difference symbol that follows, else -1
};

// The pretree items that turn `previous` into `lengths`.
std::vector<PretreeItem> TreeItems(const std::uint8_t* previous, const std::uint8_t* lengths,
                                   std::size_t count) {
  std::vector<PretreeItem> items;
  auto difference = [&](std::size_t i) {
    return static_cast<std::uint8_t>((previous[i] + 17 - lengths[i]) % 17);
  };
  std::size_t i = 0;
  while (i < count) {
    if (lengths[i] == 0) {
      std::size_t run = 1;
      while (i + run < count && lengths[i + run] == 0 && run < 51) ++run;
      if (run >= 20) {
        items.push_back({kPretreeZerosLong, 5, static_cast<std::uint8_t>(run - 20), -1});
        i += run;
        continue;
      }
      if (run >= 4) {
        items.push_back({kPretreeZerosShort, 4, static_cast<std::uint8_t>(run - 4), -1});
        i += run;
        continue;
      }
    } else {
      std::size_t run = 1;
      while (i + run < count && run < 5 && lengths[i + run] == lengths[i] &&
             previous[i + run] == previous[i]) {
        ++run;
      }
      if (run >= 4) {
        items.push_back({kPretreeSameRun, 1, static_cast<std::uint8_t>(run - 4),
                         static_cast<std::int8_t>(difference(i))});
        i += run;
        continue;
      }
    }
    items.push_back({difference(i), 0, 0, -1});
    ++i;
  }
  return items;
}

struct Code {
  std::vector<std::uint8_t> lengths;
  std::vector<std::uint16_t> codes;

  void Build(const std::uint32_t* freqs, std::size_t count, unsigned maxLength) {
    lengths.assign(count, 0);
    codes.assign(count, 0);
    BuildHuffmanLengths(freqs, count, maxLength, lengths.data());
    AssignCanonicalCodes(lengths.data(), count, codes.data());
  }
  void Put(LzxBitWriter& bits, std::size_t symbol) const {
    bits.PutBits(codes[symbol], lengths[symbol]);
  }
};

// The codes of one block and whether it is an aligned-offset block.
struct Plan {
  Code main, length, aligned;
  bool isAligned = false;
};

Plan MakePlan(const LzxBlockStats& stats, unsigned mainSize) {
  Plan plan;
  plan.main.Build(stats.main.data(), mainSize, kMaxCodeLength);
  plan.length.Build(stats.length.data(), kLengthTreeSize, kMaxCodeLength);
  plan.aligned.Build(stats.aligned.data(), kAlignedTreeSize, kMaxAlignedLength);
  plan.isAligned = stats.AlignedBlockPays(plan.aligned.lengths.data());
  return plan;
}

// The pretree that codes `items`, built from their symbol counts.
Code BuildPretree(const std::vector<PretreeItem>& items) {
  std::array<std::uint32_t, kPretreeSize> freqs{};
  for (const PretreeItem& item : items) {
    ++freqs[item.symbol];
    if (item.follow >= 0) ++freqs[static_cast<std::size_t>(item.follow)];
  }
  Code pretree;
  pretree.Build(freqs.data(), kPretreeSize, kMaxPretreeLength);
  return pretree;
}

std::uint64_t TreeBits(const std::uint8_t* previous, const std::uint8_t* lengths, std::size_t count) {
  const std::vector<PretreeItem> items = TreeItems(previous, lengths, count);
  const Code pretree = BuildPretree(items);
  std::uint64_t bits = kPretreeSize * kPretreeLengthBits;
  for (const PretreeItem& item : items) {
    bits += pretree.lengths[item.symbol] + item.extraBits;
    if (item.follow >= 0) bits += pretree.lengths[static_cast<std::size_t>(item.follow)];
  }
  return bits;
}

}  // namespace

LzxBlockWriter::LzxBlockWriter(unsigned positionSlots)
    : mainSize_(MainTreeSize(positionSlots)) {
  Reset();
}

void LzxBlockWriter::Reset() {
  previousMain_.assign(mainSize_, 0);
  previousLength_.assign(kLengthTreeSize, 0);
}

void LzxBlockWriter::WriteTree(LzxBitWriter& bits, std::uint8_t* previous,
                               const std::uint8_t* lengths, std::size_t count) {
  const std::vector<PretreeItem> items = TreeItems(previous, lengths, count);
  const Code pretree = BuildPretree(items);
  for (unsigned s = 0; s < kPretreeSize; ++s) bits.PutBits(pretree.lengths[s], kPretreeLengthBits);
  for (const PretreeItem& item : items) {
    pretree.Put(bits, item.symbol);
    bits.PutBits(item.extra, item.extraBits);
    if (item.follow >= 0) pretree.Put(bits, static_cast<std::size_t>(item.follow));
  }
  std::copy(lengths, lengths + count, previous);
}

std::uint64_t LzxBlockWriter::MeasureBlock(const LzxBlockStats& stats) const {
  const Plan plan = MakePlan(stats, mainSize_);
  std::uint64_t bits = kBlockTypeBits + kBlockSizeBits;
  if (plan.isAligned) bits += kAlignedTreeSize * kAlignedLengthBits;
  bits += TreeBits(previousMain_.data(), plan.main.lengths.data(), kNumChars);
  bits += TreeBits(previousMain_.data() + kNumChars, plan.main.lengths.data() + kNumChars, mainSize_ - kNumChars);
  bits += TreeBits(previousLength_.data(), plan.length.lengths.data(), kLengthTreeSize);
  for (unsigned s = 0; s < mainSize_; ++s) bits += std::uint64_t{stats.main[s]} * plan.main.lengths[s];
  for (unsigned s = 0; s < kLengthTreeSize; ++s) bits += std::uint64_t{stats.length[s]} * plan.length.lengths[s];
  bits += stats.extraBits;
  if (plan.isAligned) {
    bits -= stats.alignedCount * kAlignedBits;
    for (unsigned s = 0; s < kAlignedTreeSize; ++s) bits += std::uint64_t{stats.aligned[s]} * plan.aligned.lengths[s];
  }
  return bits;
}

bool LzxBlockWriter::WriteBlock(const std::vector<LzxToken>& tokens,
                                const std::vector<LzxFrameSpan>& frames, LzxBitWriter& bits,
                                const LzxFrameSink& sink) {
  return WriteBlocks(tokens, frames, {}, bits, sink);
}

bool LzxBlockWriter::WriteBlocks(const std::vector<LzxToken>& tokens, const std::vector<LzxFrameSpan>& frames,
                                 const std::vector<std::size_t>& blockStarts, LzxBitWriter& bits,
                                 const LzxFrameSink& sink) {
  lastBlockBits_ = {};
  Plan plan;
  // Block type, size and trees of the block holding tokens [begin, end); its bits.
  auto writeHeader = [&](std::size_t begin, std::size_t end) -> std::uint64_t {
    LzxBlockStats stats;
    stats.Add(tokens, begin, end);
    plan = MakePlan(stats, mainSize_);
    std::uint32_t blockSize = 0;
    for (std::size_t i = begin; i < end; ++i) blockSize += tokens[i].isLiteral() ? 1 : tokens[i].length;

    const std::uint64_t mark = bits.BitCount();
    bits.PutBits(plan.isAligned ? kBlockTypeAligned : kBlockTypeVerbatim, kBlockTypeBits);
    bits.PutBits(blockSize, kBlockSizeBits);
    if (plan.isAligned) {
      for (unsigned s = 0; s < kAlignedTreeSize; ++s) bits.PutBits(plan.aligned.lengths[s], kAlignedLengthBits);
    }
    WriteTree(bits, previousMain_.data(), plan.main.lengths.data(), kNumChars);
    WriteTree(bits, previousMain_.data() + kNumChars, plan.main.lengths.data() + kNumChars,
              mainSize_ - kNumChars);
    WriteTree(bits, previousLength_.data(), plan.length.lengths.data(), kLengthTreeSize);
    return bits.BitCount() - mark;
  };

  std::size_t blockEnd = 0;  // token index where the current block ends
  std::size_t nextStart = 0;  // into blockStarts
  std::uint64_t headerBitsInFrame = 0;
  std::uint64_t mark = bits.BitCount();
  std::size_t index = 0;
  for (const LzxFrameSpan& frame : frames) {
    for (; index < frame.tokenEnd; ++index) {
      if (index == blockEnd) {
        blockEnd = nextStart < blockStarts.size() ? blockStarts[nextStart++] : tokens.size();
        const std::uint64_t headerBits = writeHeader(index, blockEnd);
        lastBlockBits_.header += headerBits;
        headerBitsInFrame += headerBits;
      }
      const LzxToken& t = tokens[index];
      if (t.isLiteral()) {
        plan.main.Put(bits, t.literal);
        continue;
      }
      const unsigned slot = PositionSlotOf(t.formattedOffset);
      const unsigned header = std::min<unsigned>(t.length - kMinMatch, kLengthHeaderEscape);
      plan.main.Put(bits, kNumChars + slot * 8 + header);
      if (header == kLengthHeaderEscape) plan.length.Put(bits, t.length - kMinMatch - kLengthHeaderEscape);
      const unsigned extra = kExtraBits[slot];
      const std::uint32_t value = t.formattedOffset - kPositionBase[slot];
      if (plan.isAligned && extra >= kAlignedBits) {
        bits.PutBits(value >> kAlignedBits, extra - kAlignedBits);
        plan.aligned.Put(bits, value & 7u);
      } else {
        bits.PutBits(value, extra);
      }
    }
    lastBlockBits_.tokens += bits.BitCount() - mark - headerBitsInFrame;
    headerBitsInFrame = 0;
    bits.AlignToWord();
    if (!sink(bits.bytes().data(), bits.ByteCount(), frame.uncompressed)) return false;
    bits.ClearBytes();
    mark = 0;
  }
  return true;
}

bool LzxBlockWriter::WriteUncompressedBlock(const std::uint8_t* bytes, std::uint32_t size,
                                            const LzxRepeats& repeatsAfter, LzxBitWriter& bits,
                                            const LzxFrameSink& sink) {
  bits.PutBits(kBlockTypeUncompressed, kBlockTypeBits);
  bits.PutBits(size, kBlockSizeBits);
  // Blocks start on frame boundaries here, so 27 header bits (or 60 with the stream
  // header) never end on a word boundary: the padding is always 1-15 bits.
  bits.AlignToWord();
  std::uint8_t offsets[12];
  for (int i = 0; i < 3; ++i) {
    for (int b = 0; b < 4; ++b) offsets[4 * i + b] = static_cast<std::uint8_t>(repeatsAfter.r[i] >> (8 * b));
  }
  bits.PutRawBytes(offsets, sizeof offsets);
  bits.PutRawBytes(bytes, size);
  if (size & 1) {
    const std::uint8_t pad = 0;
    bits.PutRawBytes(&pad, 1);
  }
  if (!sink(bits.bytes().data(), bits.ByteCount(), size)) return false;
  bits.ClearBytes();
  return true;
}

}  // namespace krax::lzx
