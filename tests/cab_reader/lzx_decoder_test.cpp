// The LZX decoder on streams assembled bit by bit, on the program's encoder output, and on
// damaged input.
#include <gtest/gtest.h>

#include <random>

#include "archive/cab/cab_decompressor.h"
#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_decoder.h"
#include "archive/lzx/lzx_huffman_decoder.h"
#include "cab_test_support.h"

namespace krax::test {
namespace {

using namespace krax::lzx;

// LZX bit order: 16-bit little-endian words, most significant bit first.
class TestBitWriter {
 public:
  void Put(std::uint32_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) {
      word_ = static_cast<std::uint16_t>((word_ << 1) | ((value >> i) & 1));
      if (++used_ == 16) Emit();
    }
  }
  void AlignWord() {
    while (used_ != 0) Put(0, 1);
  }
  void PutByte(std::uint8_t byte) { bytes_.push_back(byte); }  // only when aligned
  void PutLE32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) PutByte(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  Bytes Finish() {
    AlignWord();
    return bytes_;
  }

 private:
  void Emit() {
    bytes_.push_back(static_cast<std::uint8_t>(word_));
    bytes_.push_back(static_cast<std::uint8_t>(word_ >> 8));
    word_ = 0;
    used_ = 0;
  }
  Bytes bytes_;
  std::uint16_t word_ = 0;
  unsigned used_ = 0;
};

// A verbatim block for a 2^15 window with fixed trees: literals have 9-bit codes 256 + b,
// elements 256..271 (position slots 0 and 1, length headers 0..7) 5-bit codes 0..15.
// Lengths are sent through a pretree whose symbols 0..15 all have 4-bit codes.
struct VerbatimWriter {
  TestBitWriter bits;
  static constexpr unsigned kMainSize = 256 + 8 * 30;

  void Pretree() {
    for (unsigned i = 0; i < 20; ++i) bits.Put(i < 16 ? 4 : 0, 4);
  }
  void Lengths(const std::vector<unsigned>& lengths) {
    Pretree();
    for (const unsigned length : lengths) bits.Put(length == 0 ? 0 : 17 - length, 4);
  }
  void BlockHeader(std::uint32_t size, std::vector<unsigned> mainLengths = {}) {
    bits.Put(1, 3);
    bits.Put(size >> 16, 8);
    bits.Put(size & 0xFFFF, 16);
    if (mainLengths.empty()) {
      mainLengths.assign(kMainSize, 0);
      for (unsigned i = 0; i < 256; ++i) mainLengths[i] = 9;
      for (unsigned i = 256; i < 272; ++i) mainLengths[i] = 5;
    }
    Lengths(std::vector<unsigned>(mainLengths.begin(), mainLengths.begin() + 256));
    Lengths(std::vector<unsigned>(mainLengths.begin() + 256, mainLengths.end()));
    Lengths(std::vector<unsigned>(249, 0));  // the length tree is not used
  }
  void Literal(std::uint8_t byte) { bits.Put(256u + byte, 9); }
  void RepeatR0(unsigned length) { bits.Put(length - 2, 5); }  // 2..8 (header 7 needs the length tree)
};

Bytes Decode(LzxDecoder& decoder, const Bytes& in, std::size_t size, bool* ok) {
  Bytes out(size);
  *ok = decoder.DecodeFrame(in.data(), in.size(), out.data(), out.size()) == CodecStatus::kOk;
  return out;
}

TEST(LzxDecoder, VerbatimLiteralsAndRepeatedOffsetRuns) {
  VerbatimWriter w;
  w.bits.Put(0, 1);  // no E8 translation
  w.BlockHeader(13);
  w.Literal('K');
  w.Literal('R');
  w.RepeatR0(2);  // offset 1: "RR"
  w.Literal('A');
  w.Literal('X');
  w.RepeatR0(7);  // "XXXXXXX"
  auto decoder = LzxDecoder::Create(15);
  bool ok = false;
  const Bytes out = Decode(*decoder, w.bits.Finish(), 13, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ToString(out), "KRRRAXXXXXXXX");
}

// Each hand-built stream beside its twin without the defect: the twin decodes, so the
// broken one fails for its defect alone.
TEST(LzxDecoder, MatchBeforeTheFirstByteIsRejected) {
  for (const bool literalFirst : {false, true}) {
    SCOPED_TRACE(literalFirst ? "valid twin" : "match first");
    VerbatimWriter w;
    w.bits.Put(0, 1);
    w.BlockHeader(4);
    if (literalFirst) {
      w.Literal('a');
      w.RepeatR0(3);
    } else {
      w.RepeatR0(4);
    }
    auto decoder = LzxDecoder::Create(15);
    bool ok = !literalFirst;
    const Bytes out = Decode(*decoder, w.bits.Finish(), 4, &ok);
    EXPECT_EQ(ok, literalFirst);
    if (literalFirst) {
      EXPECT_EQ(ToString(out), "aaaa");
    }
  }
}

TEST(LzxDecoder, BadTreesAreRejected) {
  std::vector<unsigned> incomplete(VerbatimWriter::kMainSize, 0);
  for (unsigned i = 0; i < 256; ++i) incomplete[i] = 9;  // half the code space unused
  std::vector<unsigned> oversubscribed(VerbatimWriter::kMainSize, 0);
  for (unsigned i = 0; i < 256; ++i) oversubscribed[i] = 8;
  oversubscribed[300] = 2;
  // The valid twin: every literal at length 8 fills the code space exactly.
  std::vector<unsigned> complete(VerbatimWriter::kMainSize, 0);
  for (unsigned i = 0; i < 256; ++i) complete[i] = 8;
  const struct {
    const char* what;
    std::vector<unsigned> lengths;
    bool decodes;
  } cases[] = {{"incomplete", incomplete, false}, {"oversubscribed", oversubscribed, false}, {"complete", complete, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    VerbatimWriter w;
    w.bits.Put(0, 1);
    w.BlockHeader(1, c.lengths);
    w.bits.Put(0, 16);  // code 00000000 of the complete tree: literal 0
    auto decoder = LzxDecoder::Create(15);
    bool ok = !c.decodes;
    const Bytes out = Decode(*decoder, w.bits.Finish(), 1, &ok);
    EXPECT_EQ(ok, c.decodes);
    if (c.decodes) {
      EXPECT_EQ(out, Bytes(1, 0));
    }
  }
}

TEST(LzxDecoder, HuffmanBuilderAcceptsUnusedTreesOnly) {
  LzxHuffmanDecoder tree;
  const std::vector<std::uint8_t> none(249, 0);
  EXPECT_TRUE(tree.Build(none));
  EXPECT_TRUE(tree.empty());
  const std::uint8_t word[2] = {0, 0};
  LzxBitReader in(word, 2);
  EXPECT_EQ(tree.Decode(in), LzxHuffmanDecoder::kInvalidSymbol);

  const std::vector<std::uint8_t> complete = {1, 2, 3, 3};
  EXPECT_TRUE(tree.Build(complete));
  const std::uint8_t bits[2] = {0x00, 0x9C};  // word 0x9C00: "10" "0" "111"
  LzxBitReader in2(bits, 2);
  EXPECT_EQ(tree.Decode(in2), 1);
  EXPECT_EQ(tree.Decode(in2), 0);
  EXPECT_EQ(tree.Decode(in2), 3);

  const std::vector<std::uint8_t> oversubscribed = {1, 1, 1};
  EXPECT_FALSE(tree.Build(oversubscribed));
  const std::vector<std::uint8_t> incomplete = {1, 2, 3};
  EXPECT_FALSE(tree.Build(incomplete));
}

TEST(LzxDecoder, BlockSpanningFramesAndMatchRunningPastTheFrameEnd) {
  // One verbatim block of 32768 + 100 bytes: a literal and runs of 8, the last run
  // crossing the frame boundary; its tail belongs to the second frame.
  VerbatimWriter w;
  w.bits.Put(0, 1);
  const std::uint32_t total = 32768 + 100;
  w.BlockHeader(total);
  w.Literal('z');
  std::uint32_t produced = 1;
  while (produced < 32768) {  // the last run ends 1 byte past the frame end
    w.RepeatR0(8);
    produced += 8;
  }
  ASSERT_EQ(produced, 32769u);
  const Bytes first = w.bits.Finish();
  // The second frame restarts on a word boundary and continues the same block.
  VerbatimWriter second;
  std::uint32_t left = total - produced;
  while (left > 0) {
    const unsigned run = left >= 8 ? 8 : left;  // 99 = 12 x 8 + 3
    second.RepeatR0(run);
    left -= run;
  }
  auto decoder = LzxDecoder::Create(15);  // the frame fills the whole window
  bool ok = false;
  const Bytes out1 = Decode(*decoder, first, 32768, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(out1, Bytes(32768, 'z'));
  const Bytes out2 = Decode(*decoder, second.bits.Finish(), 100, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(out2, Bytes(100, 'z'));
}

TEST(LzxDecoder, UncompressedBlocksWithPaddingAndRepeatedOffsets) {
  TestBitWriter bits;
  bits.Put(0, 1);
  bits.Put(3, 3);
  bits.Put(0, 8);
  bits.Put(5, 16);  // 5 bytes: odd, a pad byte follows
  bits.AlignWord();
  bits.PutLE32(1);
  bits.PutLE32(2);
  bits.PutLE32(3);
  for (const char c : std::string("lap 1")) bits.PutByte(static_cast<std::uint8_t>(c));
  bits.PutByte(0);  // pad
  bits.Put(3, 3);   // a second uncompressed block right after
  bits.Put(0, 8);
  bits.Put(4, 16);
  bits.AlignWord();
  bits.PutLE32(1);
  bits.PutLE32(1);
  bits.PutLE32(1);
  for (const char c : std::string("lap2")) bits.PutByte(static_cast<std::uint8_t>(c));
  auto decoder = LzxDecoder::Create(15);
  bool ok = false;
  const Bytes out = Decode(*decoder, bits.Finish(), 9, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ToString(out), "lap 1lap2");
}

TEST(LzxDecoder, WindowLimitsAndSlotTables) {
  EXPECT_EQ(LzxDecoder::Create(14), nullptr);
  EXPECT_EQ(LzxDecoder::Create(22), nullptr);
  EXPECT_EQ(cab::MakeLzxDecompressor(22), nullptr);
  EXPECT_NE(cab::MakeLzxDecompressor(21), nullptr);
  EXPECT_EQ(PositionSlotsForWindow(20), 42u);
  EXPECT_EQ(PositionSlotsForWindow(21), 50u);
  EXPECT_EQ(kPositionBase[36], 262144u);
  EXPECT_EQ(kExtraBits[36], 17);
  EXPECT_EQ(kExtraBits[4], 1);
}

std::string GameLikeData(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string data;
  const char* words[] = {"car", "track", "lap", "speed", "mass", "KRAX", "serial", "\r\n"};
  while (data.size() < size) {
    switch (random() % 4) {
      case 0: data += words[random() % 8]; break;
      case 1:  // x86-like call with a displacement
        data.push_back(static_cast<char>(0xE8));
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>(random() % 3 == 0 ? 0xFF : random()));
        break;
      case 2: data += std::to_string(random() % 5000); break;
      default: data.push_back(static_cast<char>(random())); break;
    }
  }
  data.resize(size);
  return data;
}

TEST(LzxDecoder, DecodesTheEncodersStreamsForEveryWindow) {
  for (int window = kMinWindowBits; window <= kMaxWindowBits; ++window) {
    SCOPED_TRACE(window);
    const std::string data = GameLikeData(200000 + static_cast<std::size_t>(window) * 1000, static_cast<unsigned>(window));
    const FolderSpec folder = LzxFolder(data, window);
    auto decoder = cab::MakeLzxDecompressor(window);
    std::string out;
    for (const auto& block : folder.blocks) {
      Bytes piece(block.uncompressedSize);
      ASSERT_EQ(decoder->DecompressBlock(block.data.data(), block.data.size(), piece.data(), piece.size()), CodecStatus::kOk);
      out += ToString(piece);
    }
    ASSERT_EQ(out.size(), data.size());
    EXPECT_TRUE(out == data);

    // Reset starts a new folder: the first block decodes the same again.
    decoder->Reset();
    Bytes again(folder.blocks[0].uncompressedSize);
    ASSERT_EQ(decoder->DecompressBlock(folder.blocks[0].data.data(), folder.blocks[0].data.size(),
                                         again.data(), again.size()), CodecStatus::kOk);
    EXPECT_EQ(ToString(again), data.substr(0, again.size()));
  }
}

TEST(LzxDecoder, DamagedStreamsFailOrDecodeWithoutHarm) {
  const std::string data = GameLikeData(100000, 7);
  const FolderSpec folder = LzxFolder(data, 17);
  std::mt19937 random(11);
  int failures = 0;
  for (int round = 0; round < 300; ++round) {
    auto decoder = cab::MakeLzxDecompressor(17);
    for (const auto& block : folder.blocks) {
      Bytes damaged = block.data;
      if (round % 3 == 0) damaged.resize(random() % (damaged.size() + 1));
      else damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
      Bytes out(block.uncompressedSize);
      if (decoder->DecompressBlock(damaged.data(), damaged.size(), out.data(), out.size()) != CodecStatus::kOk) {
        ++failures;
        break;
      }
    }
  }
  EXPECT_GT(failures, 100);  // most damage is noticed; none may crash (sanitizers watch)
}

}  // namespace
}  // namespace krax::test
