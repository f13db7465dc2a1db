// Helpers shared by the Quantum tests: test data, a minimal reader for a one-folder
// cabinet file, and decoding a list of blocks with the real decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quantum_test_encoder.h"

namespace krax::quantum::testing {

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Word salad: compressible text with matches of all kinds.
std::vector<std::uint8_t> MakeText(std::size_t size, std::uint32_t seed);
std::vector<std::uint8_t> MakeRandomBytes(std::size_t size, std::uint32_t seed);

// Collects tokens, padding with literals where a match would cross a frame end.
class FramedTokenList {
 public:
  void Add(const QuantumToken& token);
  std::size_t Size() const { return size_; }
  const std::vector<QuantumToken>& Tokens() const { return tokens_; }

 private:
  std::vector<QuantumToken> tokens_;
  std::size_t size_ = 0;
};

// The bytes the tokens stand for (offsets must stay inside what was produced).
std::vector<std::uint8_t> ExpandTokens(const std::vector<QuantumToken>& tokens);

struct SingleFolderCabinet {
  std::uint16_t typeCompress = 0;
  std::uint32_t firstFileSize = 0;
  std::vector<QuantumBlock> blocks;
};
// Reads a cabinet with one folder, no reserve areas and no neighbours.
std::optional<SingleFolderCabinet> ReadSingleFolderCabinet(const std::vector<std::uint8_t>& file);

// Decodes the blocks in order with a fresh decoder; nullopt when any block fails.
std::optional<std::vector<std::uint8_t>> DecodeBlocks(const std::vector<QuantumBlock>& blocks, int windowBits);

}  // namespace krax::quantum::testing
