// One LZX stream over a whole file, for comparing with other compressors on a corpus
// (scripts/compare-compressors runs it beside xz, zip and gzip).
//
//   bench_lzx_stream compress IN OUT [--level N] [--window BITS]
//   bench_lzx_stream decompress IN OUT
//
// The compressed file is a small container: "KLZX", the window exponent, then per frame
// its compressed and uncompressed sizes (16 bits each, little-endian) and its bytes; each
// frame is what a cabinet data block would hold, so decoding runs the cabinet reader's
// LZX decoder exactly as it runs for a cabinet. The whole input is one stream (one
// cabinet folder), like xz's single solid stream. Files are read and written in pieces,
// so memory stays that of the encoder or decoder.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "archive/cab/cab_decompressor.h"
#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_encoder.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int Usage() {
  std::fprintf(stderr,
               "usage: bench_lzx_stream compress IN OUT [--level N] [--window BITS]\n"
               "       bench_lzx_stream decompress IN OUT\n");
  return 2;
}

bool Put16(std::FILE* f, std::size_t v) {
  const unsigned char b[2] = {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>(v >> 8)};
  return std::fwrite(b, 1, 2, f) == 2;
}

int Compress(const char* in, const char* out, int level, int windowBits) {
  File src(std::fopen(in, "rb"));
  File dst(std::fopen(out, "wb"));
  if (!src || !dst) return Usage();
  std::fwrite("KLZX", 1, 4, dst.get());
  std::fputc(windowBits, dst.get());
  krax::lzx::LzxEncoder encoder(windowBits, level);
  bool ok = true;
  auto sink = [&](const std::uint8_t* p, std::size_t n, std::size_t raw) {
    ok = ok && Put16(dst.get(), n) && Put16(dst.get(), raw) && std::fwrite(p, 1, n, dst.get()) == n;
    return ok;
  };
  std::vector<std::uint8_t> frame(krax::lzx::kFrameSize);
  std::size_t n = std::fread(frame.data(), 1, frame.size(), src.get());
  while (n > 0 && ok) {
    // A frame below 32768 bytes ends the stream, so only the last one may be short.
    std::vector<std::uint8_t> next(krax::lzx::kFrameSize);
    const std::size_t m = n == frame.size() ? std::fread(next.data(), 1, next.size(), src.get()) : 0;
    ok = encoder.CompressFrame(frame.data(), n, sink);
    frame.swap(next);
    n = m;
  }
  ok = ok && encoder.Flush(sink);
  return ok ? 0 : 1;
}

int Decompress(const char* in, const char* out) {
  File src(std::fopen(in, "rb"));
  File dst(std::fopen(out, "wb"));
  if (!src || !dst) return Usage();
  char magic[5] = {};
  if (std::fread(magic, 1, 5, src.get()) != 5 || std::memcmp(magic, "KLZX", 4) != 0) return 1;
  auto decoder = krax::cab::MakeLzxDecompressor(magic[4]);
  if (!decoder) return 1;
  std::vector<std::uint8_t> packed(65536), frame(krax::lzx::kFrameSize);
  unsigned char sizes[4];
  while (std::fread(sizes, 1, 4, src.get()) == 4) {
    const std::size_t n = sizes[0] | (sizes[1] << 8), raw = sizes[2] | (sizes[3] << 8);
    const std::size_t rawSize = raw == 0 ? krax::lzx::kFrameSize : raw;
    if (std::fread(packed.data(), 1, n, src.get()) != n) return 1;
    if (decoder->DecompressBlock(packed.data(), n, frame.data(), rawSize) != krax::CodecStatus::kOk) return 1;
    if (std::fwrite(frame.data(), 1, rawSize, dst.get()) != rawSize) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string mode = argv[1];
  int level = krax::lzx::kLzxDefaultLevel, windowBits = 21;
  for (int i = 4; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--level") == 0) level = std::atoi(argv[i + 1]);
    else if (std::strcmp(argv[i], "--window") == 0) windowBits = std::atoi(argv[i + 1]);
    else return Usage();
  }
  try {
    if (mode == "compress") return Compress(argv[2], argv[3], level, windowBits);
    if (mode == "decompress") return Decompress(argv[2], argv[3]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_lzx_stream: %s\n", e.what());
    return 1;
  }
  return Usage();
}
