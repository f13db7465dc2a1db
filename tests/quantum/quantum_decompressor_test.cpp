#include "support/fixtures.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/cab/cab_decompressor.h"
#include "archive/quantum/quantum_tables.h"
#include "quantum_test_encoder.h"
#include "quantum_test_support.h"

namespace krax::quantum::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

TEST(QuantumDecompressor, DecodesTheSampleCabinetFromAnotherCompressor) {
  KRAX_REQUIRE_FIXTURES("cab");
  const auto cab = ReadSingleFolderCabinet(ReadWholeFile(test::FixturePath("cab/quantum18_text.cab")));
  ASSERT_TRUE(cab.has_value());
  ASSERT_EQ(cab->typeCompress & 0x000F, 2);
  const int windowBits = (cab->typeCompress >> 8) & 0x1F;
  EXPECT_EQ(windowBits, 18);
  ASSERT_EQ(cab->blocks.size(), 1u);

  const auto out = DecodeBlocks(cab->blocks, windowBits);
  ASSERT_TRUE(out.has_value());
  // SHA-256 bdcfdaf0...c74b45, as listed for quantum.txt in the fixtures' expected.json.
  EXPECT_EQ(*out, Text("If you can read this, the Quantum decompressor is working!\n"));
  EXPECT_EQ(out->size(), cab->firstFileSize);
}

TEST(QuantumDecompressor, FactoryAcceptsWindowsFrom10To21Only) {
  EXPECT_EQ(cab::MakeQuantumDecompressor(9), nullptr);
  EXPECT_EQ(cab::MakeQuantumDecompressor(22), nullptr);
  EXPECT_EQ(cab::MakeQuantumDecompressor(0), nullptr);
  EXPECT_EQ(cab::MakeQuantumDecompressor(-1), nullptr);
  for (int bits = 10; bits <= 21; ++bits) EXPECT_NE(cab::MakeQuantumDecompressor(bits), nullptr) << bits;
}

TEST(QuantumDecompressor, RoundTripsTextOverSeveralFramesWithEveryWindow) {
  const Bytes text = MakeText(3 * kFrameSize + 1234, 7);
  for (int bits = kMinWindowBits; bits <= kMaxWindowBits; ++bits) {
    SCOPED_TRACE(bits);
    const auto tokens = ParseQuantumTokens(text, bits);
    int selectorsSeen[3] = {0, 0, 0};
    for (const auto& t : tokens) {
      if (t.isMatch) ++selectorsSeen[t.length >= 5 ? 2 : t.length - 3];
    }
    EXPECT_GT(selectorsSeen[0], 0);
    EXPECT_GT(selectorsSeen[1], 0);
    EXPECT_GT(selectorsSeen[2], 0);

    const auto blocks = EncodeQuantumTokens(tokens, bits);
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[0].outSize, kFrameSize);
    EXPECT_EQ(blocks[3].outSize, 1234u);
    EXPECT_LT(blocks[0].data.size(), kFrameSize / 2);
    const auto out = DecodeBlocks(blocks, bits);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, text);
  }
}

TEST(QuantumDecompressor, RoundTripsIncompressibleDataThroughManyModelRescales) {
  // Random bytes wear out the literal and selector models many times over, so their
  // halving and re-sorting run on both sides; the frames must stay within the input buffer.
  const Bytes data = MakeRandomBytes(5 * kFrameSize, 11);
  const auto blocks = CompressQuantum(data, 21);
  ASSERT_EQ(blocks.size(), 5u);
  for (const auto& block : blocks) EXPECT_LE(block.data.size(), kFrameSize + 10240);
  const auto out = DecodeBlocks(blocks, 21);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(*out, data);
}

TEST(QuantumDecompressor, DecodesEveryMatchLength) {
  FramedTokenList tokens;
  for (std::uint8_t b : MakeRandomBytes(300, 3)) tokens.Add(QuantumToken::Literal(b));
  for (std::uint32_t length = 3; length <= kMaxMatchLength; ++length) {
    tokens.Add(QuantumToken::Match(length, 1 + (length * 37) % 290));
    tokens.Add(QuantumToken::Literal(static_cast<std::uint8_t>(length)));
  }
  const auto blocks = EncodeQuantumTokens(tokens.Tokens(), 16);
  EXPECT_EQ(blocks.size(), 2u);
  const auto out = DecodeBlocks(blocks, 16);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(*out, ExpandTokens(tokens.Tokens()));
}

TEST(QuantumDecompressor, DecodesEveryOffsetSlotOfEveryWindowUpToTheFullWindow) {
  for (int bits = kMinWindowBits; bits <= kMaxWindowBits; ++bits) {
    SCOPED_TRACE(bits);
    // A window full of history: random bytes, then long matches from ever-changing offsets.
    FramedTokenList tokens;
    for (std::uint8_t b : MakeRandomBytes(1000, static_cast<std::uint32_t>(bits))) tokens.Add(QuantumToken::Literal(b));
    const std::uint32_t window = std::uint32_t{1} << bits;
    for (std::uint32_t k = 1; tokens.Size() < window; ++k) {
      const auto history = static_cast<std::uint32_t>(tokens.Size());
      tokens.Add(QuantumToken::Match(kMaxMatchLength, 1 + (k * 7919u) % history));
      tokens.Add(QuantumToken::Literal(static_cast<std::uint8_t>(k)));
    }
    for (int slot = 0; slot < PositionSlots(bits); ++slot) {
      const auto s = static_cast<std::size_t>(slot);
      const std::uint32_t first = kPositionBase[s] + 1;
      const std::uint32_t last = kPositionBase[s] + (std::uint32_t{1} << kPositionExtraBits[s]);
      for (std::uint32_t offset : {first, last}) {
        tokens.Add(QuantumToken::Match(5 + static_cast<std::uint32_t>(slot), offset));
        if (slot < Match4Slots(bits)) tokens.Add(QuantumToken::Match(4, offset));
        if (slot < Match3Slots(bits)) tokens.Add(QuantumToken::Match(3, offset));
      }
    }
    EXPECT_EQ(tokens.Tokens().back().offset, window);
    const auto out = DecodeBlocks(EncodeQuantumTokens(tokens.Tokens(), bits), bits);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, ExpandTokens(tokens.Tokens()));
  }
}

TEST(QuantumDecompressor, HistoryCarriesAcrossBlocksUntilReset) {
  Bytes data = MakeRandomBytes(kFrameSize, 5);
  data.insert(data.end(), data.begin(), data.begin() + 20000);  // second frame repeats the first
  const auto blocks = CompressQuantum(data, 16);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_LT(blocks[1].data.size(), 2000u);

  auto decoder = cab::MakeQuantumDecompressor(16);
  Bytes first(kFrameSize);
  Bytes second(20000);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    decoder->Reset();
    ASSERT_EQ(decoder->DecompressBlock(blocks[0].data.data(), blocks[0].data.size(), first.data(), first.size()), CodecStatus::kOk);
    ASSERT_EQ(decoder->DecompressBlock(blocks[1].data.data(), blocks[1].data.size(), second.data(), second.size()), CodecStatus::kOk);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), data.begin()));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), data.begin()));
  }
  // On its own the second block fails: it was coded with the models and history the first left.
  decoder->Reset();
  EXPECT_NE(decoder->DecompressBlock(blocks[1].data.data(), blocks[1].data.size(), second.data(), second.size()), CodecStatus::kOk);
}

TEST(QuantumDecompressor, RejectsMatchesBeforeTheFirstByte) {
  for (std::uint32_t length : {3u, 4u, 40u}) {
    const auto blocks = EncodeQuantumTokens({QuantumToken::Literal('a'), QuantumToken::Match(length, 2)}, 12);
    EXPECT_FALSE(DecodeBlocks(blocks, 12).has_value()) << length;
  }
  const auto fine = EncodeQuantumTokens({QuantumToken::Literal('a'), QuantumToken::Match(40, 1)}, 12);
  EXPECT_EQ(DecodeBlocks(fine, 12), Bytes(41, 'a'));
}

TEST(QuantumDecompressor, RejectsBlocksThatDoNotYieldTheirStatedSize) {
  std::vector<QuantumToken> tokens;
  for (std::uint8_t b : MakeRandomBytes(10, 9)) tokens.push_back(QuantumToken::Literal(b));
  tokens.push_back(QuantumToken::Match(20, 5));
  auto blocks = EncodeQuantumTokens(tokens, 15);
  ASSERT_TRUE(DecodeBlocks(blocks, 15).has_value());
  blocks[0].outSize = 20;  // the match would run past the end of the block
  EXPECT_FALSE(DecodeBlocks(blocks, 15).has_value());

  const Bytes random = MakeRandomBytes(4000, 21);
  auto randomBlocks = CompressQuantum(random, 15);
  ASSERT_EQ(DecodeBlocks(randomBlocks, 15), random);  // the valid twin of the two below
  randomBlocks[0].outSize += 200;  // more than the data holds: the decoder runs dry
  EXPECT_FALSE(DecodeBlocks(randomBlocks, 15).has_value());
  randomBlocks[0].outSize -= 200;
  randomBlocks[0].data.resize(randomBlocks[0].data.size() / 2);  // truncated block
  EXPECT_FALSE(DecodeBlocks(randomBlocks, 15).has_value());
}

TEST(QuantumDecompressor, RejectsABlockThatRunsOnPastTheEndOfItsData) {
  // After a long run of one byte, zero bits decode as more long matches that copy the run,
  // so nothing but the limit on padding bits stops an empty block from "yielding" bytes.
  std::vector<QuantumToken> tokens = {QuantumToken::Literal('a')};
  for (int i = 0; i < 100; ++i) tokens.push_back(QuantumToken::Match(kMaxMatchLength, 1));
  auto blocks = EncodeQuantumTokens(tokens, 10);
  ASSERT_EQ(DecodeBlocks(blocks, 10), Bytes(1 + 100 * kMaxMatchLength, 'a'));
  blocks.push_back({Bytes{}, 3 * kMaxMatchLength});
  EXPECT_FALSE(DecodeBlocks(blocks, 10).has_value());
}

TEST(QuantumDecompressor, RejectsOversizedBlocksAndStaysFailedUntilReset) {
  const Bytes data = MakeText(1000, 4);
  const auto blocks = CompressQuantum(data, 15);
  auto decoder = cab::MakeQuantumDecompressor(15);
  Bytes out(kFrameSize + 1);
  EXPECT_NE(decoder->DecompressBlock(blocks[0].data.data(), blocks[0].data.size(), out.data(), kFrameSize + 1), CodecStatus::kOk);
  EXPECT_NE(decoder->DecompressBlock(blocks[0].data.data(), blocks[0].data.size(), out.data(), data.size()), CodecStatus::kOk);
  decoder->Reset();
  ASSERT_EQ(decoder->DecompressBlock(blocks[0].data.data(), blocks[0].data.size(), out.data(), data.size()), CodecStatus::kOk);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
}

TEST(QuantumDecompressor, HandlesDegenerateInputWithoutReadingOutside) {
  auto decoder = cab::MakeQuantumDecompressor(10);
  Bytes out(kFrameSize);
  EXPECT_EQ(decoder->DecompressBlock(nullptr, 0, out.data(), 0), CodecStatus::kOk);
  // All-zero input selects a long match first, with nothing to copy from.
  const Bytes zeros(64, 0);
  EXPECT_NE(decoder->DecompressBlock(zeros.data(), zeros.size(), out.data(), out.size()), CodecStatus::kOk);
  // No input at all: the zero padding decodes the same way.
  decoder->Reset();
  EXPECT_NE(decoder->DecompressBlock(nullptr, 0, out.data(), out.size()), CodecStatus::kOk);
  for (std::uint8_t fill : {0xFF, 0x55, 0xA3}) {
    decoder->Reset();
    const Bytes junk(3000, fill);
    decoder->DecompressBlock(junk.data(), junk.size(), out.data(), out.size());  // any result, no fault
  }
}

}  // namespace
}  // namespace krax::quantum::testing
