// Decoder for cabinet folders compressed with the Quantum method (see the notes at the top
// of quantum_decompressor.cpp for the bitstream).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/codec_status.h"
#include "archive/quantum/quantum_arith_decoder.h"
#include "archive/quantum/quantum_model.h"
#include "archive/quantum/quantum_tables.h"

namespace krax::quantum {

class QuantumDecompressor final {
 public:
  // windowBits from kMinWindowBits to kMaxWindowBits (the factory checks).
  explicit QuantumDecompressor(int windowBits);

  // Decodes one block into exactly `outSize` (<= kFrameSize) bytes; kBadData for bad data.
  CodecStatus DecompressBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t outSize);
  // Starts a new folder.
  void Reset();

 private:
  // The one place where bad input is turned away: once a block has failed, the folder's
  // state is unusable and every further block fails until Reset.
  bool Require(bool condition);

  bool DecodeMatch(int selector, std::uint32_t& length, std::uint32_t& offset);
  void PutByte(std::uint8_t byte, std::uint8_t* out, std::size_t& produced);

  int windowBits_;
  std::uint32_t windowMask_;
  std::vector<std::uint8_t> window_;
  std::uint32_t windowPos_ = 0;
  std::uint64_t history_ = 0;  // bytes produced since Reset (offsets may not reach before them)
  bool failed_ = false;

  QuantumArithDecoder coder_;
  QuantumModel selector_;
  std::array<QuantumModel, kLiteralModels> literals_;
  QuantumModel match3Slots_;
  QuantumModel match4Slots_;
  QuantumModel longMatchSlots_;
  QuantumModel longMatchLengths_;
};

}  // namespace krax::quantum
