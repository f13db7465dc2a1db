#include "quantum_test_support.h"

#include <array>
#include <fstream>
#include <iterator>

#include "archive/cab/cab_decompressor.h"

namespace krax::quantum::testing {

namespace {
// A small mixing generator: every output bit is usable (unlike a plain LCG's low bits).
std::uint32_t NextRandom(std::uint32_t& state) {
  state += 0x9E3779B9u;
  std::uint32_t z = state;
  z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
  z = (z ^ (z >> 13)) * 0xC2B2AE35u;
  return z ^ (z >> 16);
}
std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}
}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> MakeText(std::size_t size, std::uint32_t seed) {
  static const std::array<const char*, 16> kWords = {
      "car ",   "track ", "speed ", "KRAX ",   "garage ", "turbo ",  "lap ",    "finish ",
      "pole ",  "drift ", "apex ",  "chicane ", "pit\r\n", "\xC3\xA9t\xC3\xA9 ", "0x1F ", "~~ "};
  std::vector<std::uint8_t> out;
  while (out.size() < size) {
    const char* word = kWords[NextRandom(seed) % kWords.size()];
    for (const char* p = word; *p != '\0' && out.size() < size; ++p) out.push_back(static_cast<std::uint8_t>(*p));
    if (NextRandom(seed) % 7 == 0 && out.size() < size) out.push_back(static_cast<std::uint8_t>(NextRandom(seed)));
  }
  return out;
}

std::vector<std::uint8_t> MakeRandomBytes(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(NextRandom(seed));
  return out;
}

void FramedTokenList::Add(const QuantumToken& token) {
  const std::size_t frame = 32768;
  if (size_ % frame + token.length > frame) {
    while (size_ % frame != 0) {
      tokens_.push_back(QuantumToken::Literal('.'));
      ++size_;
    }
  }
  tokens_.push_back(token);
  size_ += token.length;
}

std::vector<std::uint8_t> ExpandTokens(const std::vector<QuantumToken>& tokens) {
  std::vector<std::uint8_t> out;
  for (const QuantumToken& t : tokens) {
    if (!t.isMatch) {
      out.push_back(t.literal);
      continue;
    }
    for (std::uint32_t i = 0; i < t.length; ++i) out.push_back(out[out.size() - t.offset]);
  }
  return out;
}

std::optional<SingleFolderCabinet> ReadSingleFolderCabinet(const std::vector<std::uint8_t>& file) {
  if (file.size() < 44 || Le(file, 0, 4) != 0x4643534Du || Le(file, 26, 2) != 1 || Le(file, 30, 2) != 0) {
    return std::nullopt;
  }
  SingleFolderCabinet cab;
  const std::uint32_t dataStart = Le(file, 36, 4);
  const std::uint32_t blockCount = Le(file, 40, 2);
  cab.typeCompress = static_cast<std::uint16_t>(Le(file, 42, 2));
  const std::uint32_t filesAt = Le(file, 16, 4);
  if (Le(file, 28, 2) > 0 && filesAt + 4 <= file.size()) cab.firstFileSize = Le(file, filesAt, 4);
  std::size_t at = dataStart;
  for (std::uint32_t i = 0; i < blockCount; ++i) {
    if (at + 8 > file.size()) return std::nullopt;
    const std::size_t compressedSize = Le(file, at + 4, 2);
    const std::size_t uncompressedSize = Le(file, at + 6, 2);
    if (at + 8 + compressedSize > file.size()) return std::nullopt;
    QuantumBlock block;
    block.data.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      file.begin() + static_cast<std::ptrdiff_t>(at + 8 + compressedSize));
    block.outSize = uncompressedSize;
    cab.blocks.push_back(std::move(block));
    at += 8 + compressedSize;
  }
  return cab;
}

std::optional<std::vector<std::uint8_t>> DecodeBlocks(const std::vector<QuantumBlock>& blocks, int windowBits) {
  auto decoder = cab::MakeQuantumDecompressor(windowBits);
  if (!decoder) return std::nullopt;
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> frame(32768);
  for (const QuantumBlock& block : blocks) {
    if (frame.size() < block.outSize) frame.resize(block.outSize);
    if (decoder->DecompressBlock(block.data.data(), block.data.size(), frame.data(), block.outSize) != CodecStatus::kOk) {
      return std::nullopt;
    }
    out.insert(out.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(block.outSize));
  }
  return out;
}

}  // namespace krax::quantum::testing
