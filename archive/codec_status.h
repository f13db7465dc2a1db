// What one call of a codec (the LZX, MSZIP and Quantum decoders and the cabinet's block
// decompressors) ends with.
#pragma once

namespace krax {

enum class CodecStatus {
  kOk,
  kBadData,      // the input does not decode to exactly the size asked for
  kSetupFailed,  // the codec could not be set up (zlib or memory)
};

}  // namespace krax
