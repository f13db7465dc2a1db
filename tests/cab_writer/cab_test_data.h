// Test data for the cabinet writer tests: generators for the kinds of content game
// archives hold, a private scratch folder, and small file helpers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace krax::cab_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// Words from a small vocabulary: compresses like configuration and text files.
inline Bytes TextBytes(std::size_t size, std::uint32_t seed) {
  static const char* words[] = {"car",   "speed", "wheel", "track", "=",     "\r\n", "engine", "0.75",
                                "brake", "gear",  "KRAX",  "mass",  "[Car]", " ",    "1500",   "torque"};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < size) {
    const char* w = words[rng() % 16];
    for (const char* p = w; *p && out.size() < size; ++p) out.push_back(static_cast<std::uint8_t>(*p));
  }
  return out;
}

// Something like x86 code: opcodes, and many E8 calls to a few targets.
inline Bytes X86LikeBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::uint32_t targets[] = {0x1000, 0x2340, 0x8800, 0x10000, 0x123456};
  Bytes out;
  while (out.size() < size) {
    const unsigned pick = rng() % 8;
    if (pick < 3) {
      const std::int64_t target = targets[rng() % 5];
      const auto rel = static_cast<std::uint32_t>(target - static_cast<std::int64_t>(out.size() + 5));
      out.push_back(0xE8);
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(rel >> (8 * i)));
    } else {
      const std::uint8_t ops[] = {0x55, 0x8B, 0xEC, 0x83, 0xC4, 0x5D, 0xC3, 0x90, 0x89, 0x45};
      out.push_back(ops[rng() % 10]);
    }
  }
  out.resize(size);
  return out;
}

// Mesh-like records: float coordinates that change slowly, in 16-byte records.
inline Bytes MeshLikeBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out;
  float x = 0, y = 0, z = 0;
  while (out.size() < size) {
    x += static_cast<float>(rng() % 5) * 0.25f;
    y += 0.5f;
    z = static_cast<float>(rng() % 3);
    const float v[4] = {x, y, z, 1.0f};
    const auto* p = reinterpret_cast<const std::uint8_t*>(v);
    out.insert(out.end(), p, p + sizeof v);
  }
  out.resize(size);
  return out;
}

// A mixture of all of the above in pieces, with long runs.
inline Bytes MixedBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < size) {
    const std::size_t piece = 1000 + rng() % 60000;
    Bytes part;
    switch (rng() % 5) {
      case 0: part = RandomBytes(piece / 4, rng()); break;
      case 1: part = TextBytes(piece, rng()); break;
      case 2: part = X86LikeBytes(piece, rng()); break;
      case 3: part = MeshLikeBytes(piece, rng()); break;
      default: part.assign(piece, static_cast<std::uint8_t>(rng())); break;
    }
    out.insert(out.end(), part.begin(), part.end());
  }
  out.resize(size);
  return out;
}

// A fresh, empty folder below the system's temporary folder, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("krax_cabw_" + std::to_string(rd()) + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    if (std::getenv("KRAX_KEEP_SCRATCH")) return;  // for looking at a failure
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

}  // namespace krax::cab_test
