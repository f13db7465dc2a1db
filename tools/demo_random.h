// A small, fully specified pseudo-random generator (SplitMix64) for the demo data, so that
// one seed gives the same bytes with every compiler and standard library.
#pragma once

#include <cstdint>

namespace krax {

class DemoRandom {
 public:
  explicit DemoRandom(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, n); 0 when n is 0.
  std::uint32_t Below(std::uint32_t n) {
    return static_cast<std::uint32_t>(((Next() >> 32) * n) >> 32);
  }

  // Uniform in [low, high], both included.
  int Range(int low, int high) {
    return low + static_cast<int>(Below(static_cast<std::uint32_t>(high - low + 1)));
  }

 private:
  std::uint64_t state_;
};

// Derives an independent seed for one part of the demo from the run's seed.
inline std::uint64_t DeriveSeed(std::uint64_t seed, std::uint64_t part) {
  DemoRandom mixer(seed ^ (part * 0xD1B54A32D192ED03ull));
  mixer.Next();
  return mixer.Next();
}

}  // namespace krax
