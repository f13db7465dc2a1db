// The LZX encoder's pieces, and its frames decoded by the program's own LZX decoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <numeric>

#include "archive/cab/cab_decompressor.h"
#include "archive/lzx/lzx_bit_writer.h"
#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_e8_encoder.h"
#include "archive/lzx/lzx_encoder.h"
#include "archive/lzx/lzx_encoder_detail.h"
#include "archive/lzx/lzx_huffman_builder.h"
#include "archive/lzx/lzx_token.h"
#include "cab_test_data.h"

namespace krax::lzx {
namespace {

using cab_test::Bytes;

TEST(LzxBitWriter, PacksBitsMostSignificantFirstIntoLittleEndianWords) {
  LzxBitWriter bits;
  bits.PutBits(0b101, 3);
  bits.PutBits(0x1FFF, 13);  // completes the first word: 1011 1111 1111 1111
  bits.PutBits(0x3, 2);
  EXPECT_FALSE(bits.IsWordAligned());
  bits.AlignToWord();
  const Bytes expected = {0xFF, 0xBF, 0x00, 0xC0};
  EXPECT_EQ(bits.bytes(), expected);
  EXPECT_TRUE(bits.IsWordAligned());
  bits.AlignToWord();  // already aligned: nothing added
  EXPECT_EQ(bits.ByteCount(), 4u);
}

// Sum of 2^-length over the used elements: exactly 1 for a complete prefix code.
double KraftSum(const std::vector<std::uint8_t>& lengths) {
  double sum = 0;
  for (auto l : lengths) {
    if (l) sum += std::ldexp(1.0, -l);
  }
  return sum;
}

TEST(LzxHuffmanBuilder, GivesCompleteCodesWithinTheLengthLimit) {
  // Fibonacci frequencies make the deepest possible unlimited tree.
  std::vector<std::uint32_t> freqs(40);
  freqs[0] = freqs[1] = 1;
  for (std::size_t i = 2; i < freqs.size(); ++i) freqs[i] = freqs[i - 1] + freqs[i - 2];
  for (unsigned limit : {7u, 15u, 16u}) {
    std::vector<std::uint8_t> lengths(freqs.size());
    BuildHuffmanLengths(freqs.data(), freqs.size(), limit, lengths.data());
    EXPECT_LE(*std::max_element(lengths.begin(), lengths.end()), limit);
    EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0) << "limit " << limit;
    EXPECT_LE(lengths.back(), lengths.front());  // more frequent, not longer
  }
}

TEST(LzxHuffmanBuilder, OneOrNoUsedElementStillGivesTwoCodes) {
  std::vector<std::uint32_t> freqs(249, 0);
  std::vector<std::uint8_t> lengths(249);
  BuildHuffmanLengths(freqs.data(), freqs.size(), 16, lengths.data());
  EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0);
  freqs[100] = 7;
  BuildHuffmanLengths(freqs.data(), freqs.size(), 16, lengths.data());
  EXPECT_EQ(lengths[100], 1);
  EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0);
}

TEST(LzxHuffmanBuilder, CanonicalCodesOrderByLengthThenElement) {
  const std::uint8_t lengths[] = {3, 3, 3, 3, 3, 2, 4, 4};
  std::uint16_t codes[8];
  AssignCanonicalCodes(lengths, 8, codes);
  const std::uint16_t expected[] = {2, 3, 4, 5, 6, 0, 14, 15};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(codes[i], expected[i]) << i;
}

TEST(LzxToken, PositionSlotsMatchTheSlotBases) {
  for (unsigned slot = 3; slot < kMaxPositionSlots; ++slot) {
    const std::uint32_t first = kPositionBase[slot];
    const std::uint32_t last = kPositionBase[slot] + (1u << kExtraBits[slot]) - 1;
    EXPECT_EQ(PositionSlotOf(first), slot);
    EXPECT_EQ(PositionSlotOf(last), slot);
  }
}

// The decoder's rule, written out from the format description.
void E8DecodeFrame(std::uint8_t* frame, std::size_t size, std::int64_t framePosition, std::int64_t t) {
  if (size <= 10) return;
  for (std::size_t i = 0; i < size - 10;) {
    if (frame[i] != 0xE8) {
      ++i;
      continue;
    }
    std::int32_t a;
    std::memcpy(&a, frame + i + 1, 4);
    const std::int64_t cur = framePosition + static_cast<std::int64_t>(i);
    if (a >= -cur && a < t) {
      const auto v = static_cast<std::int32_t>(a >= 0 ? a - cur : a + t);
      std::memcpy(frame + i + 1, &v, 4);
    }
    i += 5;
  }
}

TEST(LzxE8Encoder, IsUndoneByTheDecoderRuleAndMakesCallTargetsAbsolute) {
  Bytes code = cab_test::X86LikeBytes(32768, 3);
  // Edge values: a displacement just inside and just outside the translated range.
  const std::int32_t edges[] = {-1, 0, 11999999, 12000000, -40000000};
  for (std::size_t k = 0; k < 5; ++k) {
    code[100 + 5 * k] = 0xE8;
    std::memcpy(&code[101 + 5 * k], &edges[k], 4);
  }
  code[32760] = 0xE8;  // in the last 6 bytes... never touched
  const std::uint64_t position = 5 * 32768;
  Bytes encoded = code;
  E8EncodeFrame(encoded.data(), encoded.size(), position, 12000000);
  EXPECT_NE(encoded, code);
  Bytes decoded = encoded;
  E8DecodeFrame(decoded.data(), decoded.size(), position, 12000000);
  EXPECT_EQ(decoded, code);
  EXPECT_TRUE(std::equal(code.end() - 10, code.end(), encoded.end() - 10));

  // A short frame is left alone.
  Bytes tiny = {0xE8, 1, 0, 0, 0, 0xE8, 1, 0, 0, 0};
  Bytes tinyCopy = tiny;
  E8EncodeFrame(tiny.data(), tiny.size(), 0, 12000000);
  EXPECT_EQ(tiny, tinyCopy);
}

struct Frame {
  Bytes compressed;
  std::size_t uncompressed;
};

std::vector<Frame> Encode(LzxEncoder& encoder, const Bytes& data) {
  std::vector<Frame> frames;
  auto sink = [&](const std::uint8_t* p, std::size_t n, std::size_t raw) {
    frames.push_back({Bytes(p, p + n), raw});
    return true;
  };
  for (std::size_t pos = 0; pos < data.size(); pos += kFrameSize) {
    const std::size_t n = std::min(kFrameSize, data.size() - pos);
    EXPECT_TRUE(encoder.CompressFrame(data.data() + pos, n, sink));
  }
  EXPECT_TRUE(encoder.Flush(sink));
  return frames;
}

// The level the round trips below run at; every test runs at every level.
class LzxEncoderLevels : public ::testing::TestWithParam<int> {};
int gLevel = kLzxFastLevel;

// Encodes `data` as one stream and decodes it frame by frame with the program's decoder.
void ExpectRoundTrip(const Bytes& data, int windowBits, std::size_t* compressedSize = nullptr,
                     std::size_t maxFrameOutput = kMaxCompressedFrame) {
  const auto encoder = LzxEncoderTestAccess::WithFrameLimit(windowBits, maxFrameOutput, gLevel);
  const std::vector<Frame> frames = Encode(*encoder, data);
  auto decoder = cab::MakeLzxDecompressor(windowBits);
  ASSERT_TRUE(decoder);
  Bytes out;
  std::size_t total = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const Frame& f = frames[i];
    ASSERT_LE(f.uncompressed, kFrameSize);
    ASSERT_LE(f.compressed.size(), maxFrameOutput);
    if (i + 1 < frames.size()) {
      ASSERT_EQ(f.uncompressed, kFrameSize);
    }
    Bytes block(f.uncompressed);
    ASSERT_EQ(decoder->DecompressBlock(f.compressed.data(), f.compressed.size(), block.data(), block.size()), CodecStatus::kOk)
        << "frame " << i << " of " << frames.size() << ", window " << windowBits;
    out.insert(out.end(), block.begin(), block.end());
    total += f.compressed.size();
  }
  ASSERT_EQ(out.size(), data.size());
  EXPECT_TRUE(out == data) << "window " << windowBits;
  if (compressedSize) *compressedSize = total;
}

TEST_P(LzxEncoderLevels, RoundTripsSmallInputsAtEveryWindow) {
  gLevel = GetParam();
  for (int bits = kMinWindowBits; bits <= kMaxWindowBits; ++bits) {
    SCOPED_TRACE(bits);
    ExpectRoundTrip({0x41}, bits);
    ExpectRoundTrip(Bytes{0xE8, 0, 0, 0, 0, 0xE8, 1, 2, 3, 4, 5, 6, 7}, bits);
    ExpectRoundTrip(cab_test::TextBytes(1000, 1), bits);
    ExpectRoundTrip(cab_test::TextBytes(32768, 2), bits);
    ExpectRoundTrip(cab_test::MixedBytes(32768 * 3 + 17, 3), bits);
  }
}

TEST_P(LzxEncoderLevels, RoundTripsLargeInputsAndCompresses) {
  gLevel = GetParam();
  const Bytes mixed = cab_test::MixedBytes(3 << 20, 11);
  std::size_t size = 0;
  ExpectRoundTrip(mixed, 21, &size);
  EXPECT_LT(size, mixed.size() / 2);
  // Repeats farther back than a small window: only the big window may use them.
  Bytes far = cab_test::RandomBytes(100000, 5);
  far.insert(far.end(), far.begin(), far.end());
  std::size_t small = 0, big = 0;
  ExpectRoundTrip(far, 15, &small);
  ExpectRoundTrip(far, 17, &big);
  EXPECT_GT(small, far.size() * 9 / 10);
  EXPECT_LT(big, far.size() * 6 / 10);
}

TEST_P(LzxEncoderLevels, RoundTripsRunsIncompressibleDataAndCode) {
  gLevel = GetParam();
  ExpectRoundTrip(Bytes(200000, 0), 16);
  std::size_t size = 0;
  const Bytes noise = cab_test::RandomBytes(300000, 9);
  ExpectRoundTrip(noise, 21, &size);
  EXPECT_LT(size, noise.size() + noise.size() / 50);
  std::size_t codeSize = 0;
  const Bytes code = cab_test::X86LikeBytes(200000, 4);
  ExpectRoundTrip(code, 21, &codeSize);
  EXPECT_LT(codeSize, code.size() / 2);
}

std::size_t LargestFrame(const Bytes& data, int windowBits, std::size_t limit) {
  const auto encoder = LzxEncoderTestAccess::WithFrameLimit(windowBits, limit, gLevel);
  std::size_t largest = 0;
  for (const Frame& f : Encode(*encoder, data)) largest = std::max(largest, f.compressed.size());
  return largest;
}

TEST_P(LzxEncoderLevels, NoFrameOutgrowsADataBlock) {
  gLevel = GetParam();
  // Text before noise in one block makes the literal codes suit the text: the noise frame
  // then costs more than it would alone. With a limit between the two, the block must be
  // written again frame by frame.
  Bytes data = cab_test::TextBytes(32768, 8);
  const Bytes noise = cab_test::RandomBytes(32768, 9);
  data.insert(data.end(), noise.begin(), noise.end());
  data.insert(data.end(), 1000, 'x');
  const std::size_t together = LargestFrame(data, 21, SIZE_MAX);
  const std::size_t alone = LargestFrame(noise, 21, SIZE_MAX);
  ASSERT_LT(alone + 100, together);
  const std::size_t limit = (alone + together) / 2;
  EXPECT_LE(LargestFrame(data, 21, limit), limit);
  ExpectRoundTrip(data, 21, nullptr, limit);
  // With a limit that even noise alone cannot meet, noise frames become uncompressed blocks,
  // odd sizes and the repeated offsets after them included.
  Bytes mixed = cab_test::TextBytes(40000, 3);
  const Bytes more = cab_test::RandomBytes(70001, 4);
  mixed.insert(mixed.end(), more.begin(), more.end());
  const Bytes text = cab_test::TextBytes(50000, 3);
  mixed.insert(mixed.end(), text.begin(), text.end());
  mixed.insert(mixed.end(), more.begin(), more.begin() + 3);
  std::size_t size = 0;
  EXPECT_GT(LargestFrame(mixed, 17, SIZE_MAX), 32768u + 40);
  ExpectRoundTrip(mixed, 17, &size, 32768 + 40);
  EXPECT_LT(size, mixed.size());
  // An uncompressed block straight after the stream header.
  ExpectRoundTrip(cab_test::RandomBytes(40001, 6), 15, nullptr, 32768 + 40);
}

TEST_P(LzxEncoderLevels, ResetStartsAFreshStream) {
  gLevel = GetParam();
  LzxEncoder encoder(16, gLevel);
  const Bytes first = cab_test::TextBytes(50000, 1);
  Encode(encoder, first);
  encoder.Reset();
  const Bytes second = cab_test::TextBytes(40000, 2);
  const std::vector<Frame> frames = Encode(encoder, second);
  auto decoder = cab::MakeLzxDecompressor(16);
  Bytes out;
  for (const Frame& f : frames) {
    Bytes block(f.uncompressed);
    ASSERT_EQ(decoder->DecompressBlock(f.compressed.data(), f.compressed.size(), block.data(), block.size()), CodecStatus::kOk);
    out.insert(out.end(), block.begin(), block.end());
  }
  EXPECT_EQ(out, second);
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, LzxEncoderLevels, ::testing::Range(kLzxFastLevel, kLzxMaxLevel + 1));

TEST(LzxEncoder, RejectsWindowsAndLevelsOutsideTheRange) {
  EXPECT_THROW(LzxEncoder(14), std::invalid_argument);
  EXPECT_THROW(LzxEncoder(22), std::invalid_argument);
  EXPECT_THROW(LzxEncoder(21, 0), std::invalid_argument);
  EXPECT_THROW(LzxEncoder(21, kLzxMaxLevel + 1), std::invalid_argument);
}

}  // namespace
}  // namespace krax::lzx
