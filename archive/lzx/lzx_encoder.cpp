#include "archive/lzx/lzx_encoder.h"

#include <cstring>
#include <stdexcept>

#include "archive/lzx/lzx_block_splitter.h"
#include "archive/lzx/lzx_bt_match_finder.h"
#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_cost_model.h"
#include "archive/lzx/lzx_e8_encoder.h"
#include "archive/lzx/lzx_optimal_parser.h"
#include "archive/lzx/lzx_match_finder.h"
#include "archive/lzx/lzx_parser.h"

namespace krax::lzx {
namespace {

// A block ends after this many frames or tokens. Larger blocks spread the trees' cost,
// smaller ones follow changes in the data; on game-like data two frames did best.
constexpr std::size_t kFramesPerBlock = 2;
constexpr std::size_t kTokensPerBlock = 65000;
// Thorough levels: the splitter may also end a block inside a frame, after each piece of
// this many bytes (meshes and archive lumps change character within a frame).
constexpr std::size_t kSplitPiece = 4096;
// Thorough levels: successive estimates closer than 1/kSettledShare of themselves (5%)
// count as settled; on game data, passes beyond that gain nothing.
constexpr std::uint64_t kSettledShare = 20;

int CheckedWindowBits(int windowBits) {
  if (windowBits < kMinWindowBits || windowBits > kMaxWindowBits) {
    throw std::invalid_argument("LZX window must be 2^15 to 2^21 bytes");
  }
  return windowBits;
}

int CheckedLevel(int level) {
  if (level < kLzxFastLevel || level > kLzxMaxLevel) {
    throw std::invalid_argument("LZX level out of range");
  }
  return level;
}

// Thorough levels: nodes a match search visits, and how often each frame is parsed. On
// game data, level 3 is about 0.2% smaller than level 2 for a third more time.
struct ThoroughSettings {
  unsigned depth;
  unsigned passes;
  unsigned extraPasses;  // while the costs still move
};
ThoroughSettings SettingsFor(int level) {
  return level == 2 ? ThoroughSettings{24, 2, 0} : ThoroughSettings{64, 3, 1};
}

}  // namespace

LzxEncoder::LzxEncoder(int windowBits, int level) : LzxEncoder(windowBits, kMaxCompressedFrame, level) {}

LzxEncoder::LzxEncoder(int windowBits, std::size_t maxFrameOutput, int level)
    : windowBits_(CheckedWindowBits(windowBits)),
      maxFrameOutput_(maxFrameOutput),
      blockWriter_(PositionSlotsForWindow(windowBits)),
      level_(CheckedLevel(level)) {
  if (level_ == kLzxFastLevel) {
    finder_ = std::make_unique<LzxMatchFinder>(1u << windowBits);
    parser_ = std::make_unique<LzxParser>(*finder_);
  } else {
    const ThoroughSettings settings = SettingsFor(level_);
    passes_ = settings.passes;
    extraPasses_ = settings.extraPasses;
    btFinder_ = std::make_unique<LzxBtMatchFinder>(1u << windowBits, settings.depth, LzxOptimalParser::kTakeAtOnce);
    optimalParser_ = std::make_unique<LzxOptimalParser>(*btFinder_);
    costs_ = std::make_unique<LzxCostModel>(PositionSlotsForWindow(windowBits));
  }
  scratch_.resize(kFrameSize);
  Reset();
}

LzxEncoder::~LzxEncoder() = default;

void LzxEncoder::Reset() {
  if (finder_) finder_->Reset();
  if (parser_) parser_->Reset();
  if (btFinder_) {
    btFinder_->Reset();
    *costs_ = LzxCostModel(PositionSlotsForWindow(windowBits_));
  }
  repeats_ = LzxRepeats{};
  blockStats_ = LzxBlockStats{};
  blockStarts_.clear();
  blockEstimate_ = 0;
  blockWriter_.Reset();
  bits_ = LzxBitWriter{};
  tokens_.clear();
  frames_.clear();
  pendingBytes_.clear();
  frameOffsets_.clear();
  repeatsAfter_.clear();
  streamPosition_ = 0;
  frameIndex_ = 0;
  headerWritten_ = false;
  ended_ = false;
}

bool LzxEncoder::CompressFrame(const std::uint8_t* data, std::size_t size, const LzxFrameSink& sink) {
  if (size == 0 || size > kFrameSize || ended_) {
    throw std::logic_error("LZX frame out of order");
  }
  std::memcpy(scratch_.data(), data, size);
  if (frameIndex_ < kE8MaxFrames) {
    E8EncodeFrame(scratch_.data(), size, streamPosition_, kDefaultE8TranslationSize);
  }
  if (btFinder_) return CompressThorough(size, sink);
  const std::uint32_t begin = finder_->Append(scratch_.data(), size);
  parser_->ParseFrame(begin, begin + static_cast<std::uint32_t>(size), tokens_);
  frames_.push_back({tokens_.size(), static_cast<std::uint32_t>(size)});
  frameOffsets_.push_back(pendingBytes_.size());
  pendingBytes_.insert(pendingBytes_.end(), scratch_.data(), scratch_.data() + size);
  repeatsAfter_.push_back(parser_->repeats());
  streamPosition_ += size;
  ++frameIndex_;
  if (size < kFrameSize) ended_ = true;
  if (frames_.size() >= kFramesPerBlock || tokens_.size() >= kTokensPerBlock) return Flush(sink);
  return true;
}

bool LzxEncoder::CompressThorough(std::size_t size, const LzxFrameSink& sink) {
  const std::uint32_t begin = btFinder_->Append(scratch_.data(), size);
  optimalParser_->FindMatches(begin, begin + static_cast<std::uint32_t>(size));
  LzxBlockStats stats;
  LzxRepeats repeats;
  std::uint64_t estimate = 0, previousEstimate = 0;
  for (unsigned pass = 0; pass < passes_ + extraPasses_; ++pass) {
    // Passes beyond the level's own only while the costs still move: the estimate changed
    // by more than 1/kSettledShare of itself from the pass before.
    if (pass >= passes_) {
      const std::uint64_t moved = previousEstimate > estimate ? previousEstimate - estimate : estimate - previousEstimate;
      if (moved * kSettledShare < estimate) break;
    }
    previousEstimate = estimate;
    if (pass > 0) costs_->SetFromStats(stats);
    frameTokens_.clear();
    repeats = repeats_;
    estimate = optimalParser_->Parse(*costs_, repeats, frameTokens_);
    stats = LzxBlockStats{};
    stats.Add(frameTokens_, 0, frameTokens_.size());
  }
  // The next frame starts from the costs of this one.
  costs_->SetFromStats(stats);
  if (LzxBlockSplitter::EndBefore(blockStats_, frames_.size(), stats, blockWriter_) && !Flush(sink)) return false;
  // Then the splitter sees the frame in pieces of about kSplitPiece bytes, so a block may also
  // end inside a frame; the block then open ends with the frame.
  std::size_t pieceBegin = 0, bytes = 0;
  for (std::size_t i = 0; i < frameTokens_.size();) {
    const std::size_t pieceEnd = bytes + kSplitPiece;
    while (i < frameTokens_.size() && bytes < pieceEnd) {
      bytes += frameTokens_[i].isLiteral() ? 1 : frameTokens_[i].length;
      ++i;
    }
    LzxBlockStats piece;
    piece.Add(frameTokens_, pieceBegin, i);
    if (pieceBegin > 0 && LzxBlockSplitter::EndBefore(blockStats_, frames_.size(), piece, blockWriter_)) {
      blockStarts_.push_back(tokens_.size() + pieceBegin);
      blockStats_ = LzxBlockStats{};
    }
    blockStats_.Add(piece);
    pieceBegin = i;
  }
  repeats_ = repeats;
  tokens_.insert(tokens_.end(), frameTokens_.begin(), frameTokens_.end());
  frames_.push_back({tokens_.size(), static_cast<std::uint32_t>(size)});
  frameOffsets_.push_back(pendingBytes_.size());
  pendingBytes_.insert(pendingBytes_.end(), scratch_.data(), scratch_.data() + size);
  repeatsAfter_.push_back(repeats);
  blockEstimate_ += estimate;
  streamPosition_ += size;
  ++frameIndex_;
  if (size < kFrameSize) ended_ = true;
  return blockStarts_.empty() || Flush(sink);
}

bool LzxEncoder::Flush(const LzxFrameSink& sink) {
  if (frames_.empty()) return true;
  if (!headerWritten_) {
    bits_.PutBits(1, 1);
    bits_.PutBits(kDefaultE8TranslationSize >> 16, 16);
    bits_.PutBits(kDefaultE8TranslationSize & 0xFFFF, 16);
    headerWritten_ = true;
  }
  // Write the block aside first: a frame too large for a cabinet data block means the
  // frames go out separately instead.
  const LzxBitWriter savedBits = bits_;
  LzxBlockWriter::State savedTrees = blockWriter_.SaveState();
  std::vector<std::vector<std::uint8_t>> written;
  bool fits = true;
  auto capture = [&](const std::uint8_t* p, std::size_t n, std::size_t) {
    fits = fits && n <= maxFrameOutput_;
    written.emplace_back(p, p + n);
    return true;
  };
  blockWriter_.WriteBlocks(tokens_, frames_, blockStarts_, bits_, capture);
  bool ok = true;
  if (fits) {
    if (recordEstimates_ && btFinder_ && blockStarts_.empty()) {
      blockEstimates_.push_back({blockEstimate_, blockWriter_.lastBlockBits().tokens});
    }
    for (std::size_t i = 0; i < frames_.size() && ok; ++i) {
      ok = sink(written[i].data(), written[i].size(), frames_[i].uncompressed);
    }
  } else {
    bits_ = savedBits;
    blockWriter_.RestoreState(std::move(savedTrees));
    ok = WriteFramesSeparately(sink);
  }
  tokens_.clear();
  frames_.clear();
  pendingBytes_.clear();
  frameOffsets_.clear();
  repeatsAfter_.clear();
  blockStarts_.clear();
  blockStats_ = LzxBlockStats{};
  blockEstimate_ = 0;
  return ok;
}

bool LzxEncoder::WriteFramesSeparately(const LzxFrameSink& sink) {
  std::size_t begin = 0;
  for (std::size_t i = 0; i < frames_.size(); ++i) {
    const std::vector<LzxToken> tokens(tokens_.begin() + static_cast<std::ptrdiff_t>(begin),
                                       tokens_.begin() + static_cast<std::ptrdiff_t>(frames_[i].tokenEnd));
    const std::vector<LzxFrameSpan> frame = {{tokens.size(), frames_[i].uncompressed}};
    begin = frames_[i].tokenEnd;
    const LzxBitWriter savedBits = bits_;
    LzxBlockWriter::State savedTrees = blockWriter_.SaveState();
    std::vector<std::uint8_t> written;
    blockWriter_.WriteBlock(tokens, frame, bits_, [&](const std::uint8_t* p, std::size_t n, std::size_t) {
      written.assign(p, p + n);
      return true;
    });
    if (written.size() <= maxFrameOutput_) {
      if (!sink(written.data(), written.size(), frames_[i].uncompressed)) return false;
      continue;
    }
    bits_ = savedBits;
    blockWriter_.RestoreState(std::move(savedTrees));
    if (!blockWriter_.WriteUncompressedBlock(pendingBytes_.data() + frameOffsets_[i], frames_[i].uncompressed,
                                             repeatsAfter_[i], bits_, sink)) {
      return false;
    }
  }
  return true;
}

std::size_t LzxEncoder::HeldBytesEstimate() const {
  std::size_t bytes = 0;
  for (const LzxToken& t : tokens_) bytes += t.isLiteral() ? 1 : 3;
  return bytes;
}

}  // namespace krax::lzx
