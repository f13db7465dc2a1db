// Intel E8 call translation, encoder side.
//
// x86 code calls with the byte 0xE8 and a 32-bit displacement relative to the next
// instruction; the same target called from different places gives different numbers.
// LZX decoders turn such displacements into absolute positions after decoding when the
// stream header says so; the encoder therefore applies the inverse before compressing,
// so the compressed data holds absolute targets, which repeat and compress better.
//
// Decoder rule, per frame of the first kE8MaxFrames frames and only for frames of at least
// kE8MinFrameSize bytes: for i = 0 while i < frame length - 10 (the last kE8TailUntouched
// bytes are never changed), if byte i is kE8Opcode, read the little-endian
// value a at i + 1; with cur = the position of byte i in the stream and T the translation
// size, when -cur <= a < T it writes a - cur (a >= 0) or a + T (a < 0); then i += 5.
// Otherwise i += 1. The inverse, for an original value r with -cur <= r < T: r + cur when
// r < T - cur, else r - T. Both sides visit the same positions, since the kE8Opcode bytes and
// the 4-byte skips after them are the same before and after translation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace krax::lzx {

// Translates one frame in place; `framePosition` is the stream position of its first byte.
void E8EncodeFrame(std::uint8_t* frame, std::size_t size, std::uint64_t framePosition,
                   std::uint32_t translationSize);

}  // namespace krax::lzx
