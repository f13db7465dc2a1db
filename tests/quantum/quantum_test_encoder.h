// A small Quantum compressor used only by the tests: it writes the bitstream the decoder
// reads (see archive/quantum/quantum_decompressor.cpp), one block per 32768-byte frame,
// either from an explicit list of literals and matches or from a greedy parse of data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace krax::quantum::testing {

struct QuantumToken {
  bool isMatch = false;
  std::uint8_t literal = 0;
  std::uint32_t length = 0;
  std::uint32_t offset = 0;

  static QuantumToken Literal(std::uint8_t byte) { return {false, byte, 1, 0}; }
  static QuantumToken Match(std::uint32_t length, std::uint32_t offset) {
    return {true, 0, length, offset};
  }
};

struct QuantumBlock {
  std::vector<std::uint8_t> data;
  std::size_t outSize = 0;
};

// Encodes tokens into blocks of one frame each. Matches must have lengths 3..259 and offsets
// the selector's slot model can express; a match may not cross a frame end (both checked
// with exceptions, std::invalid_argument). Offsets are not checked against the history so
// that tests can build hostile streams.
std::vector<QuantumBlock> EncodeQuantumTokens(const std::vector<QuantumToken>& tokens, int windowBits);

// Greedy LZ77 parse of data, matches kept inside frames and within the window.
std::vector<QuantumToken> ParseQuantumTokens(const std::vector<std::uint8_t>& data, int windowBits);

inline std::vector<QuantumBlock> CompressQuantum(const std::vector<std::uint8_t>& data, int windowBits) {
  return EncodeQuantumTokens(ParseQuantumTokens(data, windowBits), windowBits);
}

}  // namespace krax::quantum::testing
