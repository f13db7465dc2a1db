// Cabinet decoding on game-like data (textures, meshes, sound banks from the demo
// generators), beside zlib's inflate of the same bytes in the same run.
// Counters: lzx_vs_inflate and mszip_vs_inflate = our throughput / inflate's (above 1 is
// faster), the throughputs in uncompressed MB/s, and peak_heap_over_window = the most heap
// the LZX decoder held beyond its 2 MB window while decoding (bytes).
// The LZX input comes from the program's LZX encoder (2 MB window, E8 translation on); the
// MSZIP input is zlib raw deflate per 32 KB block behind "CK", the previous block preset as
// dictionary, the way MSZIP folders are written.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/cab/cab_decompressor.h"
#include "archive/lzx/lzx_encoder.h"
#include "game_like_data.h"

// Heap accounting for the peak-memory counter.
namespace {
std::atomic<std::size_t> gHeapNow{0};
std::atomic<std::size_t> gHeapPeak{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  const std::size_t now = gHeapNow += malloc_usable_size(p);
  std::size_t peak = gHeapPeak.load();
  while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
  }
  return p;
}
void Release(void* p) noexcept {
  if (!p) return;
  gHeapNow -= malloc_usable_size(p);
  std::free(p);
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

struct Block {
  Bytes data;
  std::size_t uncompressed;
};


const Bytes& RawDeflate() {
  static const Bytes out = [] {
    const std::string& data = krax::bench::GameLikeData();
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes result(deflateBound(&z, data.size()));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = result.data();
    z.avail_out = static_cast<uInt>(result.size());
    deflate(&z, Z_FINISH);
    result.resize(z.total_out);
    deflateEnd(&z);
    return result;
  }();
  return out;
}

const std::vector<Block>& MszipBlocks() {
  static const std::vector<Block> blocks = [] {
    const std::string& data = krax::bench::GameLikeData();
    std::vector<Block> out;
    for (std::size_t at = 0; at < data.size(); at += 32768) {
      const std::size_t size = std::min<std::size_t>(32768, data.size() - at);
      z_stream z{};
      deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
      if (at > 0) deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(data.data() + at - 32768), 32768);
      Bytes block(2 + deflateBound(&z, size));
      block[0] = 'C';
      block[1] = 'K';
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + at));
      z.avail_in = static_cast<uInt>(size);
      z.next_out = block.data() + 2;
      z.avail_out = static_cast<uInt>(block.size() - 2);
      deflate(&z, Z_FINISH);
      block.resize(2 + z.total_out);
      deflateEnd(&z);
      out.push_back({std::move(block), size});
    }
    return out;
  }();
  return blocks;
}

const std::vector<Block>& LzxBlocks() {
  static const std::vector<Block> blocks = [] {
    const std::string& data = krax::bench::GameLikeData();
    std::vector<Block> out;
    krax::lzx::LzxEncoder encoder(21);
    auto sink = [&](const std::uint8_t* bytes, std::size_t size, std::size_t uncompressed) {
      out.push_back({Bytes(bytes, bytes + size), uncompressed});
      return true;
    };
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
    for (std::size_t at = 0; at < data.size(); at += 32768) {
      encoder.CompressFrame(p + at, std::min<std::size_t>(32768, data.size() - at), sink);
    }
    encoder.Flush(sink);
    return out;
  }();
  return blocks;
}

// Seconds for one full decode of each form; each checks its output once.
double TimeInflate(Bytes& out) {
  const Bytes& in = RawDeflate();
  const auto start = Clock::now();
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&z, Z_FINISH);
  inflateEnd(&z);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (status != Z_STREAM_END) throw std::runtime_error("inflate failed");
  return seconds;
}

double TimeBlocks(krax::cab::CabDecompressor& decoder, const std::vector<Block>& blocks, Bytes& out) {
  const auto start = Clock::now();
  decoder.Reset();
  std::size_t at = 0;
  for (const Block& block : blocks) {
    if (decoder.DecompressBlock(block.data.data(), block.data.size(), out.data() + at, block.uncompressed) != krax::CodecStatus::kOk) {
      throw std::runtime_error("decode failed");
    }
    at += block.uncompressed;
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void CheckOutput(const Bytes& out, const char* what) {
  const std::string& data = krax::bench::GameLikeData();
  if (out.size() != data.size() || std::memcmp(out.data(), data.data(), data.size()) != 0) {
    throw std::runtime_error(std::string(what) + ": output differs");
  }
}

void BM_CabDecode(benchmark::State& state) {
  const std::string& data = krax::bench::GameLikeData();
  RawDeflate();
  MszipBlocks();
  LzxBlocks();
  Bytes out(data.size());

  const std::size_t heapBefore = gHeapNow.load();
  gHeapPeak = heapBefore;
  auto lzx = krax::cab::MakeLzxDecompressor(21);
  TimeBlocks(*lzx, LzxBlocks(), out);
  CheckOutput(out, "lzx");
  const std::size_t lzxPeak = gHeapPeak.load() - heapBefore;
  auto mszip = krax::cab::MakeMszipDecompressor();
  TimeBlocks(*mszip, MszipBlocks(), out);
  CheckOutput(out, "mszip");
  TimeInflate(out);
  CheckOutput(out, "inflate");

  double inflateTime = 0, mszipTime = 0, lzxTime = 0;
  for (auto _ : state) {
    inflateTime += TimeInflate(out);
    mszipTime += TimeBlocks(*mszip, MszipBlocks(), out);
    lzxTime += TimeBlocks(*lzx, LzxBlocks(), out);
    benchmark::DoNotOptimize(out.data());
  }
  const double megabytes = static_cast<double>(data.size()) * static_cast<double>(state.iterations()) / 1e6;
  state.counters["inflate_MBps"] = megabytes / inflateTime;
  state.counters["mszip_MBps"] = megabytes / mszipTime;
  state.counters["lzx_MBps"] = megabytes / lzxTime;
  state.counters["mszip_vs_inflate"] = inflateTime / mszipTime;
  state.counters["lzx_vs_inflate"] = inflateTime / lzxTime;
  state.counters["lzx_peak_heap_over_window"] = static_cast<double>(lzxPeak) - double(1 << 21);
  std::size_t lzxIn = 0;
  for (const Block& block : LzxBlocks()) lzxIn += block.data.size();
  state.counters["lzx_ratio"] = static_cast<double>(lzxIn) / static_cast<double>(data.size());
  state.counters["deflate_ratio"] = static_cast<double>(RawDeflate().size()) / static_cast<double>(data.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(data.size()) * state.iterations() * 3);
}
BENCHMARK(BM_CabDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
