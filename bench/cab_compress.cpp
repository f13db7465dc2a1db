// Cabinet compression on game-like data (textures, meshes, sound banks from the demo
// generators), beside zlib's deflate at its default level on the same bytes in the same
// run. Counters: size_ratio = our compressed size / deflate's, time_ratio = our time /
// deflate's (below 1 is better for both), plus the sizes themselves.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_encoder.h"
#include "archive/mszip/mszip_encoder.h"
#include "game_like_data.h"

namespace {

using Clock = std::chrono::steady_clock;


std::size_t ZlibSize(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<Bytef> out(size);
  compress2(out.data(), &size, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
            Z_DEFAULT_COMPRESSION);
  return size;
}

std::size_t LzxSize(const std::string& data, int windowBits, int level) {
  krax::lzx::LzxEncoder encoder(windowBits, level);
  std::size_t total = 0;
  auto sink = [&](const std::uint8_t*, std::size_t n, std::size_t) {
    total += n + 8;  // with its CFDATA header
    return true;
  };
  const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
  for (std::size_t pos = 0; pos < data.size(); pos += krax::lzx::kFrameSize) {
    encoder.CompressFrame(p + pos, std::min(krax::lzx::kFrameSize, data.size() - pos), sink);
  }
  encoder.Flush(sink);
  return total;
}

std::size_t MszipSize(const std::string& data) {
  krax::mszip::MszipEncoder encoder;
  std::vector<std::uint8_t> out(krax::mszip::kMszipMaxBlockOutput);
  std::size_t total = 0;
  const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
  for (std::size_t pos = 0; pos < data.size(); pos += 32768) {
    total += encoder.CompressBlock(p + pos, std::min<std::size_t>(32768, data.size() - pos), out.data()) + 8;
  }
  return total;
}

template <typename F>
double Seconds(F&& f, std::size_t& result) {
  const auto start = Clock::now();
  result = f();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Compare(benchmark::State& state, const char* /*name*/, std::size_t (*ours)(const std::string&, int), int arg) {
  const std::string& data = krax::bench::GameLikeData();
  double oursTime = 0, zlibTime = 0;
  std::size_t oursSize = 0, zlibSize = 0;
  for (auto _ : state) {
    oursTime += Seconds([&] { return ours(data, arg); }, oursSize);
    zlibTime += Seconds([&] { return ZlibSize(data); }, zlibSize);
  }
  state.counters["input_bytes"] = static_cast<double>(data.size());
  state.counters["our_bytes"] = static_cast<double>(oursSize);
  state.counters["zlib_bytes"] = static_cast<double>(zlibSize);
  state.counters["size_ratio"] = static_cast<double>(oursSize) / static_cast<double>(zlibSize);
  state.counters["time_ratio"] = oursTime / zlibTime;
  state.counters["our_MB_per_s"] = static_cast<double>(data.size()) * static_cast<double>(state.iterations()) /
                                   oursTime / 1e6;
  state.SetBytesProcessed(static_cast<std::int64_t>(data.size()) * state.iterations());
}

std::size_t Lzx(const std::string& data, int bits) { return LzxSize(data, bits, krax::lzx::kLzxFastLevel); }
std::size_t LzxDefault(const std::string& data, int bits) { return LzxSize(data, bits, krax::lzx::kLzxDefaultLevel); }
std::size_t Mszip(const std::string& data, int) { return MszipSize(data); }

void BM_Lzx21VsDeflate(benchmark::State& state) { Compare(state, "lzx21", Lzx, 21); }
void BM_Lzx21DefaultLevelVsDeflate(benchmark::State& state) { Compare(state, "lzx21", LzxDefault, 21); }
void BM_Lzx16VsDeflate(benchmark::State& state) { Compare(state, "lzx16", Lzx, 16); }
void BM_MszipVsDeflate(benchmark::State& state) { Compare(state, "mszip", Mszip, 0); }

BENCHMARK(BM_Lzx21VsDeflate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Lzx21DefaultLevelVsDeflate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Lzx16VsDeflate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MszipVsDeflate)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
