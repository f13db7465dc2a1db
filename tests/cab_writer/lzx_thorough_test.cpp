// The thorough LZX encoder's pieces: the binary-tree match finder against a brute-force
// search, the parser's cost estimates against the bits the block writer spends, the
// block splitter's limits, and the thorough levels against the fast one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "archive/lzx/lzx_block_splitter.h"
#include "archive/lzx/lzx_block_writer.h"
#include "archive/lzx/lzx_bt_match_finder.h"
#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_cost_model.h"
#include "archive/lzx/lzx_decoder.h"
#include "archive/lzx/lzx_encoder.h"
#include "archive/lzx/lzx_encoder_detail.h"
#include "archive/lzx/lzx_optimal_parser.h"
#include "cab_test_data.h"

namespace krax::lzx {
namespace {

using cab_test::Bytes;

// Longest match at `pos` over every allowed distance, up to `limit` bytes.
std::uint32_t BruteForceLongest(const std::uint8_t* data, std::uint32_t pos, std::uint32_t maxDistance,
                                std::uint32_t limit) {
  std::uint32_t best = 0;
  for (std::uint32_t d = 1; d <= std::min(pos, maxDistance); ++d) {
    std::uint32_t len = 0;
    while (len < limit && data[pos + len] == data[pos - d + len]) ++len;
    best = std::max(best, len);
  }
  return best;
}

TEST(LzxBtMatchFinder, ReportsOnlyRealMatchesAndFindsTheLongest) {
  // Text with repeats, noise and long runs, across several slides of a 32 KB window.
  Bytes data = cab_test::TextBytes(70000, 4);
  const Bytes noise = cab_test::RandomBytes(30000, 5);
  data.insert(data.end(), noise.begin(), noise.end());
  data.insert(data.end(), 5000, 'z');
  const Bytes more = cab_test::MeshLikeBytes(100000, 6);
  data.insert(data.end(), more.begin(), more.end());
  data.insert(data.end(), data.begin() + 1000, data.begin() + 60000);  // only partly within reach
  // Three times over: the finder's buffer (the window and 256 KB) is full twice and slides.
  const Bytes once = data;
  for (int copy = 0; copy < 2; ++copy) data.insert(data.end(), once.begin(), once.end());

  constexpr std::uint32_t kWindow = 1u << 15, kNice = 64;
  LzxBtMatchFinder finder(kWindow, 100000, kNice);  // unbounded depth: the longest must be found
  LzxMatch found[LzxBtMatchFinder::kMaxMatchesPerPosition];
  std::size_t checked = 0;
  for (std::size_t frame = 0; frame < data.size(); frame += kFrameSize) {
    const std::size_t size = std::min(kFrameSize, data.size() - frame);
    const std::uint32_t begin = finder.Append(data.data() + frame, size);
    const std::uint8_t* window = finder.data();
    for (std::uint32_t pos = begin; pos < begin + size; ++pos) {
      const std::size_t count = finder.FindAndInsert(pos, found);
      const std::uint32_t available = finder.end() - pos;
      std::uint32_t previous = 0;
      for (std::size_t i = 0; i < count; ++i) {
        const LzxMatch& m = found[i];
        ASSERT_GT(m.length, previous);
        previous = m.length;
        ASSERT_LE(m.distance, std::min(pos, kWindow - 3)) << "at " << frame + (pos - begin);
        ASSERT_LE(m.length, available);
        const bool same = std::equal(window + pos, window + pos + m.length, window + pos - m.distance);
        ASSERT_TRUE(same);
        if (m.length == 2) {
          EXPECT_LT(m.distance, 2048u);
        }
      }
      // Sampled: nothing longer (of 4 or more bytes: shorter ones come from a hashed
      // table that keeps only the newest) within the window was missed. Not near the end
      // of what was appended, where the positions just before are not entered yet.
      if (pos % 61 == 0 && pos + kNice <= finder.end()) {
        const std::uint32_t limit = std::min(kNice, available);
        const std::uint32_t longest = BruteForceLongest(window, pos, kWindow - 3, limit);
        if (longest >= 4) {
          ASSERT_EQ(previous, longest) << "at " << frame + (pos - begin);
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 3000u);
}

struct Sample {
  const char* name;
  Bytes data;
};

std::vector<Sample> Samples() {
  Bytes switching = cab_test::TextBytes(150000, 7);
  const Bytes noise = cab_test::RandomBytes(100000, 8);
  switching.insert(switching.end(), noise.begin(), noise.end());
  const Bytes code = cab_test::X86LikeBytes(150000, 9);
  switching.insert(switching.end(), code.begin(), code.end());
  return {{"text", cab_test::TextBytes(400000, 1)},
          {"mixed", cab_test::MixedBytes(1 << 20, 2)},
          {"code", cab_test::X86LikeBytes(300000, 3)},
          {"mesh", cab_test::MeshLikeBytes(300000, 4)},
          {"switching", switching}};
}

std::size_t CompressedSize(const Bytes& data, int level) {
  LzxEncoder encoder(21, level);
  std::size_t total = 0;
  auto sink = [&](const std::uint8_t*, std::size_t n, std::size_t) {
    total += n;
    return true;
  };
  for (std::size_t pos = 0; pos < data.size(); pos += kFrameSize) {
    EXPECT_TRUE(encoder.CompressFrame(data.data() + pos, std::min(kFrameSize, data.size() - pos), sink));
  }
  EXPECT_TRUE(encoder.Flush(sink));
  return total;
}

// The parser chooses tokens by their estimated cost; if the estimate drifts from what the
// block writer then spends, the parse optimises the wrong thing and the output grows
// without any test noticing. Every block's estimate must stay close to its real bits (the
// costs come from a first parse of the same frame, so a few percent apart at most).
TEST(LzxThoroughEncoder, EstimatedBlockCostsMatchTheBitsWritten) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    LzxEncoder encoder(21, kLzxDefaultLevel);
    LzxEncoderTestAccess::RecordBlockEstimates(encoder, true);
    auto sink = [](const std::uint8_t*, std::size_t, std::size_t) { return true; };
    for (std::size_t pos = 0; pos < sample.data.size(); pos += kFrameSize) {
      ASSERT_TRUE(encoder.CompressFrame(sample.data.data() + pos,
                                        std::min(kFrameSize, sample.data.size() - pos), sink));
    }
    ASSERT_TRUE(encoder.Flush(sink));
    const auto& estimates = LzxEncoderTestAccess::BlockEstimates(encoder);
    ASSERT_FALSE(estimates.empty());
    for (const LzxEncoderTestAccess::BlockEstimate& block : estimates) {
      const double written = static_cast<double>(block.written);
      EXPECT_NEAR(static_cast<double>(block.estimated), written, written * 0.05 + 64)
          << "estimated " << block.estimated << " written " << block.written;
    }
  }
}

// The pricing itself, without the first parse's drift: costs taken from a block's own
// counts must price its tokens at the bits the writer spends on them, aligned-offset and
// verbatim blocks alike (the room left is for the long codes the model gives to elements
// the counts never saw, which shift the others' lengths a little).
TEST(LzxThoroughEncoder, CostsFromABlocksCountsPriceItsTokensAsWritten) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    LzxBtMatchFinder finder(1u << 21, 24, LzxOptimalParser::kTakeAtOnce);
    LzxOptimalParser parser(finder);
    LzxCostModel costs(PositionSlotsForWindow(21));
    LzxBlockWriter writer(PositionSlotsForWindow(21));
    LzxRepeats repeats;
    int alignedBlocks = 0;
    for (std::size_t pos = 0; pos < sample.data.size(); pos += kFrameSize) {
      const std::size_t size = std::min(kFrameSize, sample.data.size() - pos);
      const std::uint32_t begin = finder.Append(sample.data.data() + pos, size);
      parser.FindMatches(begin, begin + static_cast<std::uint32_t>(size));
      std::vector<LzxToken> tokens;
      parser.Parse(costs, repeats, tokens);
      LzxBlockStats stats;
      stats.Add(tokens, 0, tokens.size());
      costs.SetFromStats(stats);
      std::uint64_t priced = 0;
      for (const LzxToken& t : tokens) {
        priced += t.isLiteral() ? costs.Literal(t.literal) : costs.Match(t.length, t.formattedOffset);
      }
      const std::uint64_t measured = writer.MeasureBlock(stats);
      LzxBitWriter bits;
      writer.WriteBlock(tokens, {{tokens.size(), static_cast<std::uint32_t>(size)}}, bits,
                        [](const std::uint8_t*, std::size_t, std::size_t) { return true; });
      const double written = static_cast<double>(writer.lastBlockBits().tokens);
      EXPECT_NEAR(static_cast<double>(priced), written, written * 0.02 + 32) << "frame at " << pos;
      EXPECT_EQ(measured, writer.lastBlockBits().header + writer.lastBlockBits().tokens);
      alignedBlocks += costs.aligned();
    }
    if (std::string(sample.name) == "code") {
      EXPECT_GT(alignedBlocks, 0);
    }
  }
}

TEST(LzxThoroughEncoder, IsSmallerThanTheFastLevel) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    const std::size_t fast = CompressedSize(sample.data, kLzxFastLevel);
    const std::size_t thorough = CompressedSize(sample.data, kLzxDefaultLevel);
    EXPECT_LT(thorough, fast * 99 / 100) << fast;
    EXPECT_LE(CompressedSize(sample.data, kLzxMaxLevel), thorough + thorough / 200);
  }
}

// Blocks may end inside a frame (the splitter ends them where the data changes): the
// decoder then reads the next block's header in the middle of the frame, and each block's
// size counts only its own bytes. Text, noise, then a copy of the text, in two frames,
// with blocks starting inside both frames, at the change to noise and at the copy.
TEST(LzxBlockWriter, BlocksEndingInsideFramesDecode) {
  Bytes data = cab_test::TextBytes(20000, 1);
  const Bytes noise = cab_test::RandomBytes(30000, 2);
  data.insert(data.end(), noise.begin(), noise.end());
  data.insert(data.end(), data.begin(), data.begin() + 15000);
  std::vector<LzxToken> tokens;
  for (std::size_t i = 0; i < 50000; ++i) tokens.push_back(LzxToken::Literal(data[i]));
  const std::size_t copyStart = tokens.size();
  for (std::uint32_t done = 0; done < 15000;) {
    const std::uint32_t length = std::min<std::uint32_t>(kMaxMatch, 15000 - done);
    tokens.push_back(LzxToken::Match(length, done == 0 ? 50000 + kOffsetBias : 0));
    done += length;
  }
  const std::vector<LzxFrameSpan> frames = {{kFrameSize, kFrameSize},
                                            {tokens.size(), static_cast<std::uint32_t>(data.size() - kFrameSize)}};
  LzxBlockWriter writer(PositionSlotsForWindow(17));
  LzxBitWriter bits;
  bits.PutBits(0, 1);  // no E8 translation
  std::vector<Bytes> written;
  ASSERT_TRUE(writer.WriteBlocks(tokens, frames, {10000, 20000, 40000, copyStart}, bits,
                                 [&](const std::uint8_t* p, std::size_t n, std::size_t) {
                                   written.emplace_back(p, p + n);
                                   return true;
                                 }));
  ASSERT_EQ(written.size(), 2u);
  auto decoder = LzxDecoder::Create(17);
  Bytes decoded(data.size());
  ASSERT_EQ(decoder->DecodeFrame(written[0].data(), written[0].size(), decoded.data(), kFrameSize), CodecStatus::kOk);
  ASSERT_EQ(decoder->DecodeFrame(written[1].data(), written[1].size(), decoded.data() + kFrameSize,
                                   data.size() - kFrameSize), CodecStatus::kOk);
  EXPECT_EQ(decoded, data);
}

TEST(LzxBlockSplitter, KeepsBlocksWithinTheLimitsAndSplitsWhereTheCodesDiffer) {
  LzxBlockWriter writer(PositionSlotsForWindow(21));
  auto stats = [](const Bytes& bytes, bool asMatches) {
    LzxBlockStats s;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      s.Add(asMatches ? LzxToken::Match(3 + bytes[i] % 20, 1000 + bytes[i]) : LzxToken::Literal(bytes[i]));
    }
    return s;
  };
  const LzxBlockStats smallText = stats(cab_test::TextBytes(3000, 1), false);
  const LzxBlockStats moreText = stats(cab_test::TextBytes(3000, 2), false);
  const LzxBlockStats noise = stats(cab_test::RandomBytes(3000, 3), false);
  const LzxBlockStats bigText = stats(cab_test::TextBytes(30000, 4), false);
  const LzxBlockStats matches = stats(cab_test::RandomBytes(20000, 5), true);
  LzxBlockStats manyMatches = matches;
  manyMatches.Add(matches);

  using S = LzxBlockSplitter;
  EXPECT_FALSE(S::EndBefore(LzxBlockStats{}, 0, bigText, writer));  // nothing to end
  EXPECT_FALSE(S::EndBefore(smallText, 1, moreText, writer));        // small, same kind of data
  EXPECT_TRUE(S::EndBefore(smallText, 1, noise, writer));            // the data changed
  EXPECT_FALSE(S::EndBefore(bigText, 1, moreText, writer));          // one set of trees is cheaper
  EXPECT_TRUE(S::EndBefore(bigText, 1, noise, writer));
  EXPECT_TRUE(S::EndBefore(matches, 1, manyMatches, writer));        // 60000 matches
  EXPECT_TRUE(S::EndBefore(smallText, S::kMaxFrames, moreText, writer));
}

}  // namespace
}  // namespace krax::lzx
