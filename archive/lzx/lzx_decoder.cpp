#include "archive/lzx/lzx_decoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "archive/lzx/lzx_tree_reader.h"
#include "platform/byte_order.h"

namespace krax::lzx {

std::unique_ptr<LzxDecoder> LzxDecoder::Create(int windowBits) {
  if (windowBits < kMinWindowBits || windowBits > kMaxWindowBits) return nullptr;
  return std::unique_ptr<LzxDecoder>(new LzxDecoder(windowBits));
}

LzxDecoder::LzxDecoder(int windowBits)
    : windowSize_(std::size_t{1} << windowBits),
      mainTreeSize_(MainTreeSize(PositionSlotsForWindow(windowBits))),
      window_(new std::uint8_t[windowSize_ + kFrameSize + kMaxMatch + 8]) {
  Reset();
}

void LzxDecoder::Reset() {
  pos_ = 0;
  frameStart_ = 0;
  totalOut_ = 0;
  frameStartTotal_ = 0;
  framesDone_ = 0;
  repeated_ = {1, 1, 1};
  streamHeaderRead_ = false;
  e8Enabled_ = false;
  e8TranslationSize_ = 0;
  blockType_ = 0;
  blockRemaining_ = 0;
  blockSizeOdd_ = false;
  rawPos_ = 0;
  mainLengths_.fill(0);
  lengthLengths_.fill(0);
  alignedLengths_.fill(0);
}

bool LzxDecoder::ReadStreamHeader() {
  e8Enabled_ = in_.Read(1) != 0;
  if (e8Enabled_) {
    const std::uint32_t high = in_.Read(16);
    const std::uint32_t low = in_.Read(16);
    e8TranslationSize_ = (high << 16) | low;
  }
  streamHeaderRead_ = true;
  return !in_.overran();
}

bool LzxDecoder::ReadBlockHeader() {
  const unsigned type = in_.Read(kBlockTypeBits);
  const std::uint32_t high = in_.Read(8);
  const std::uint32_t low = in_.Read(16);
  const std::uint32_t size = (high << 16) | low;
  if (in_.overran() || size == 0) return false;

  if (type == kBlockTypeUncompressed) {
    in_.AlignToWord();
    const std::size_t at = in_.bytePosition();
    if (at > inputSize_ || inputSize_ - at < 4 * kNumRepeatedOffsets) return false;
    for (unsigned i = 0; i < kNumRepeatedOffsets; ++i) repeated_[i] = LoadLE32(input_ + at + 4 * i);
    rawPos_ = at + 4 * kNumRepeatedOffsets;
    blockType_ = type;
    blockRemaining_ = size;
    blockSizeOdd_ = (size & 1) != 0;
    return true;
  }
  if (type != kBlockTypeVerbatim && type != kBlockTypeAligned) return false;

  if (type == kBlockTypeAligned) {
    for (auto& length : alignedLengths_) length = static_cast<std::uint8_t>(in_.Read(kAlignedLengthBits));
    if (!alignedTree_.Build(alignedLengths_)) return false;
  }
  const std::span<std::uint8_t> main(mainLengths_.data(), mainTreeSize_);
  if (!ReadTreeLengths(in_, main, 0, kNumChars)) return false;
  if (!ReadTreeLengths(in_, main, kNumChars, mainTreeSize_)) return false;
  if (!mainTree_.Build(main)) return false;
  if (!ReadTreeLengths(in_, lengthLengths_, 0, kLengthTreeSize)) return false;
  if (!lengthTree_.Build(lengthLengths_)) return false;

  blockType_ = type;
  blockRemaining_ = size;
  return true;
}

bool LzxDecoder::CopyMatch(std::uint32_t offset, std::uint32_t length) {
  // Reject offsets before the first byte of the stream or beyond the window.
  if (offset == 0 || offset > totalOut_ || offset > windowSize_) return false;
  std::uint8_t* dst = window_.get() + pos_;
  if (offset <= pos_) {
    const std::uint8_t* src = dst - offset;
    if (offset >= length) {
      std::memcpy(dst, src, length);
    } else {
      for (std::uint32_t i = 0; i < length; ++i) dst[i] = src[i];  // overlapping run
    }
  } else {
    // The source wraps around the window's end: read through the mask.
    const std::size_t mask = windowSize_ - 1;
    std::size_t src = pos_ + windowSize_ - offset;
    for (std::uint32_t i = 0; i < length; ++i) dst[i] = window_[(src + i) & mask];
  }
  pos_ += length;
  totalOut_ += length;
  return true;
}

bool LzxDecoder::DecodeTokens(std::size_t frameEnd) {
  const bool aligned = blockType_ == kBlockTypeAligned;
  std::uint8_t* const window = window_.get();
  while (blockRemaining_ > 0 && pos_ < frameEnd) {
    const std::uint16_t element = mainTree_.Decode(in_);
    if (element == LzxHuffmanDecoder::kInvalidSymbol) return false;
    if (element < kNumChars) {
      window[pos_++] = static_cast<std::uint8_t>(element);
      ++totalOut_;
      --blockRemaining_;
      continue;
    }
    const unsigned m = element - kNumChars;
    const unsigned slot = m >> 3;
    std::uint32_t length = (m & 7) + kMinMatch;
    if ((m & 7) == kLengthHeaderEscape) {
      const std::uint16_t extra = lengthTree_.Decode(in_);
      if (extra == LzxHuffmanDecoder::kInvalidSymbol) return false;
      length = extra + kLengthHeaderEscape + kMinMatch;
    }
    std::uint32_t offset;
    if (slot < kNumRepeatedOffsets) {
      offset = repeated_[slot];
      std::swap(repeated_[0], repeated_[slot]);
    } else {
      const unsigned extraBits = kExtraBits[slot];
      std::uint32_t formatted = kPositionBase[slot];
      if (aligned && extraBits >= kAlignedBits) {
        formatted += in_.Read(extraBits - kAlignedBits) << kAlignedBits;
        const std::uint16_t low = alignedTree_.Decode(in_);
        if (low == LzxHuffmanDecoder::kInvalidSymbol) return false;
        formatted += low;
      } else {
        formatted += in_.Read(extraBits);
      }
      offset = formatted - kOffsetBias;
      repeated_[2] = repeated_[1];
      repeated_[1] = repeated_[0];
      repeated_[0] = offset;
    }
    if (length > blockRemaining_) return false;
    if (!CopyMatch(offset, length)) return false;
    blockRemaining_ -= length;
  }
  return !in_.overran();
}

bool LzxDecoder::CopyUncompressed(std::size_t frameEnd) {
  const std::size_t count = std::min<std::size_t>(blockRemaining_, frameEnd - pos_);
  if (rawPos_ > inputSize_ || inputSize_ - rawPos_ < count) return false;
  std::memcpy(window_.get() + pos_, input_ + rawPos_, count);
  pos_ += count;
  totalOut_ += count;
  rawPos_ += count;
  blockRemaining_ -= static_cast<std::uint32_t>(count);
  if (blockRemaining_ == 0) {
    if (blockSizeOdd_) ++rawPos_;  // the pad byte after an odd-sized block
    in_.RestartAt(rawPos_);
  }
  return true;
}

CodecStatus LzxDecoder::DecodeFrame(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                             std::size_t outSize) {
  if (outSize == 0 || outSize > kFrameSize) return CodecStatus::kBadData;
  input_ = in;
  inputSize_ = inSize;
  in_.Reset(in, inSize);
  rawPos_ = 0;  // an uncompressed block continued from the last frame resumes at byte 0

  if (!streamHeaderRead_ && !ReadStreamHeader()) return CodecStatus::kBadData;

  const std::size_t frameEnd = frameStart_ + outSize;
  while (pos_ < frameEnd) {
    if (blockRemaining_ == 0) {
      blockType_ = 0;
      if (!ReadBlockHeader()) return CodecStatus::kBadData;
    }
    const bool ok = blockType_ == kBlockTypeUncompressed ? CopyUncompressed(frameEnd)
                                                         : DecodeTokens(frameEnd);
    if (!ok) return CodecStatus::kBadData;
  }

  std::memcpy(out, window_.get() + frameStart_, outSize);
  if (e8Enabled_ && framesDone_ < kE8MaxFrames && outSize >= kE8MinFrameSize) {
    UndoE8Translation(out, outSize);
  }

  ++framesDone_;
  frameStartTotal_ += outSize;
  frameStart_ += outSize;
  if (frameStart_ >= windowSize_) {
    // Bytes written past the window's end (this frame's tail and any match overrun)
    // belong at its start.
    std::memmove(window_.get(), window_.get() + windowSize_, pos_ - windowSize_);
    pos_ -= windowSize_;
    frameStart_ -= windowSize_;
  }
  return CodecStatus::kOk;
}

void LzxDecoder::UndoE8Translation(std::uint8_t* out, std::size_t size) const {
  const std::size_t limit = size - 10;
  const std::int64_t translation = e8TranslationSize_;
  std::size_t i = 0;
  while (i < limit) {
    const void* hit = std::memchr(out + i, kE8Opcode, limit - i);
    if (!hit) break;
    i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - out);
    const std::int64_t current = static_cast<std::int64_t>(frameStartTotal_ + i);
    const std::int64_t value = static_cast<std::int32_t>(LoadLE32(out + i + 1));
    if (value >= -current && value < translation) {
      const std::int64_t result = value >= 0 ? value - current : value + translation;
      StoreLE32(out + i + 1, static_cast<std::uint32_t>(result));
    }
    i += 5;
  }
}

}  // namespace krax::lzx
