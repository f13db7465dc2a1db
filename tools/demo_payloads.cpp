#include "tools/demo_payloads.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "tools/demo_random.h"
#include "tools/viv_writer.h"

namespace krax {
namespace {

void AppendFloat(std::string& out, float value) {
  AppendLittleEndian32(out, std::bit_cast<std::uint32_t>(value));
}

std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

struct Rgb {
  int r, g, b;
};

Rgb RandomPaint(DemoRandom& random) {
  static constexpr std::array<Rgb, 8> kPaints = {{{178, 34, 34}, {30, 60, 140}, {220, 220, 215},
                                                  {25, 25, 30}, {240, 190, 20}, {40, 120, 60},
                                                  {150, 150, 160}, {200, 90, 20}}};
  return kPaints[random.Below(kPaints.size())];
}

}  // namespace

std::string MakeTexture(DemoRandom& random, int width, int height) {
  std::string out;
  out.reserve(18 + 8 + static_cast<std::size_t>(width) * height * 3);
  out.push_back(8);  // image ID length: the stamp field
  out.push_back(0);  // no colour map
  out.push_back(2);  // uncompressed true colour
  out.append(5, '\0');
  AppendLittleEndian16(out, 0);
  AppendLittleEndian16(out, 0);
  AppendLittleEndian16(out, static_cast<std::uint16_t>(width));
  AppendLittleEndian16(out, static_cast<std::uint16_t>(height));
  out.push_back(24);
  out.push_back(0x20);  // top-left origin
  out.append("KRAXDEMO");

  // Panels side by side, each with its own paint, separated by dark seams; a few stripes.
  const int panels = random.Range(2, 5);
  std::array<Rgb, 5> paint{};
  for (int p = 0; p < panels; ++p) paint[p] = RandomPaint(random);
  const int stripeTop = random.Range(0, height / 2);
  const int stripeHeight = std::max(1, height / random.Range(8, 16));
  const Rgb stripe = RandomPaint(random);
  const int noiseAmplitude = random.Range(2, 4);

  std::uint64_t bits = 0;
  int bitsLeft = 0;
  for (int y = 0; y < height; ++y) {
    const int shade = 150 + 90 * y / std::max(1, height - 1);  // light from above
    for (int x = 0; x < width; ++x) {
      const int panel = x * panels / width;
      Rgb c = paint[panel];
      if (y >= stripeTop && y < stripeTop + stripeHeight) c = stripe;
      const bool seam = (x * panels) % width < panels * 2;
      int r = c.r * shade / 240, g = c.g * shade / 240, b = c.b * shade / 240;
      if (seam) r = g = b = 20;
      if (bitsLeft < 12) {
        bits = random.Next();
        bitsLeft = 64;
      }
      // One noise value shared by the three channels (sensor-like grain), one per pixel.
      const int noise = static_cast<int>(bits & 15) % (2 * noiseAmplitude + 1) - noiseAmplitude;
      bits >>= 4;
      bitsLeft -= 4;
      out.push_back(static_cast<char>(ClampByte(b + noise)));
      out.push_back(static_cast<char>(ClampByte(g + noise)));
      out.push_back(static_cast<char>(ClampByte(r + noise)));
    }
  }
  return out;
}

std::string MakeMesh(DemoRandom& random, int rings, int segments) {
  rings = std::max(rings, 2);
  segments = std::max(segments, 4);
  const std::uint32_t vertices = static_cast<std::uint32_t>(rings * segments);
  const std::uint32_t triangles = static_cast<std::uint32_t>(2 * (rings - 1) * segments);
  static constexpr std::array<const char*, 6> kParts = {"body_high", "body_low", "wheel_front",
                                                        "wheel_rear", "glass", "lights"};
  std::string out;
  out.reserve(64 + kParts.size() * 16 + vertices * 32 + triangles * 16);
  out.append("KMSH");
  AppendLittleEndian32(out, 3);  // version
  AppendLittleEndian32(out, vertices);
  AppendLittleEndian32(out, triangles);
  out.append(kStampSize, '\0');  // stamp field
  AppendLittleEndian32(out, static_cast<std::uint32_t>(kParts.size()));
  out.append(36, '\0');
  for (const char* part : kParts) {
    std::string name(part);
    name.resize(16, '\0');
    out += name;
  }

  // A body of rounded-box cross sections along its length; heights follow a car profile.
  const int length = random.Range(400, 480), width = random.Range(170, 190);
  for (int r = 0; r < rings; ++r) {
    const int along = r * 256 / (rings - 1);  // 0..256 from nose to tail
    const int roof = along > 90 && along < 200 ? 140 : 95;
    for (int s = 0; s < segments; ++s) {
      // Walk the perimeter of a rectangle: four sides of segments/4 steps each.
      const int side = s * 4 / segments, step = s % (segments / 4);
      const int t = step * 256 / (segments / 4);
      int px = 0, pz = 0, nx = 0, nz = 0;
      switch (side) {
        case 0: px = -128 + t; pz = 0; nz = -1; break;
        case 1: px = 128; pz = t * roof / 256; nx = 1; break;
        case 2: px = 128 - t; pz = roof; nz = 1; break;
        default: px = -128; pz = roof - t * roof / 256; nx = -1; break;
      }
      const int jitter = random.Range(-2, 2);
      // NOLINTNEXTLINE(bugprone-integer-division): whole units on purpose (a grid of points)
      AppendFloat(out, static_cast<float>(along * length / 256 - length / 2) / 64.0f);
      // NOLINTNEXTLINE(bugprone-integer-division): whole units on purpose (a grid of points)
      AppendFloat(out, static_cast<float>(px * width / 256 + jitter) / 64.0f);
      AppendFloat(out, static_cast<float>(pz + jitter) / 64.0f);
      AppendFloat(out, static_cast<float>(nx));
      AppendFloat(out, 0.0f);
      AppendFloat(out, static_cast<float>(nz));
      AppendFloat(out, static_cast<float>(s) / static_cast<float>(segments));
      AppendFloat(out, static_cast<float>(r) / static_cast<float>(rings - 1));
    }
  }
  for (int r = 0; r + 1 < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const std::uint32_t a = static_cast<std::uint32_t>(r * segments + s);
      const std::uint32_t b = static_cast<std::uint32_t>(r * segments + (s + 1) % segments);
      const std::uint32_t part = static_cast<std::uint32_t>((s * 4 / segments) % kParts.size());
      for (std::uint32_t index : {a, b, a + segments}) AppendLittleEndian32(out, index);
      AppendLittleEndian32(out, part);
      for (std::uint32_t index : {b, b + segments, a + segments}) AppendLittleEndian32(out, index);
      AppendLittleEndian32(out, part);
    }
  }
  return out;
}

std::string MakeSoundBank(DemoRandom& random, int samples) {
  samples = std::max(samples, 16);
  std::string out;
  out.reserve(40 + static_cast<std::size_t>(samples) * 2);
  out.append("KSND");
  AppendLittleEndian32(out, 1);      // one sound in the bank
  AppendLittleEndian32(out, 22050);  // sample rate
  AppendLittleEndian16(out, 1);      // channels
  AppendLittleEndian16(out, 16);     // bits per sample
  AppendLittleEndian32(out, static_cast<std::uint32_t>(samples));
  AppendLittleEndian32(out, static_cast<std::uint32_t>(samples / 4));  // loop start
  out.append(kStampSize, '\0');                                        // stamp field
  AppendLittleEndian32(out, static_cast<std::uint32_t>(samples));      // loop end

  // Phase accumulators of a low engine note and its harmonics, with firing pulses.
  std::uint32_t phase = 0;
  const std::uint32_t baseStep = 0x00C00000u + random.Below(0x00400000u);
  const int cylinders = random.Range(4, 8);
  for (int i = 0; i < samples; ++i) {
    const std::uint32_t step = baseStep + static_cast<std::uint32_t>(i % 4096) * 64;  // slow revs sweep
    phase += step;
    int value = 0;
    for (int h = 1; h <= 4; ++h) {
      const std::int32_t saw = static_cast<std::int32_t>(phase * static_cast<std::uint32_t>(h)) >> 20;
      value += saw / h;  // -2048..2047 scaled down per harmonic
    }
    const bool firing = ((phase >> 24) * static_cast<std::uint32_t>(cylinders) & 0xFF) < 40;
    if (firing) value += 3000;
    value += static_cast<int>(random.Below(512)) - 256;
    value = std::clamp(value * 3, -32768, 32767);
    AppendLittleEndian16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
  }
  return out;
}

std::string MakeImageBank(DemoRandom& random, int images, int width, int height) {
  std::string out;
  out.append("KFSH");
  const std::size_t sizeField = out.size();
  AppendLittleEndian32(out, 0);
  AppendLittleEndian32(out, static_cast<std::uint32_t>(images));
  out.append("KRAXDEMO");
  const std::size_t directory = out.size();
  for (int i = 0; i < images; ++i) {
    char tag[5] = {'i', 'm', static_cast<char>('0' + i / 10 % 10), static_cast<char>('0' + i % 10), 0};
    out.append(tag, 4);
    AppendLittleEndian32(out, 0);  // offset, filled below
  }
  for (int i = 0; i < images; ++i) {
    StoreLittleEndian32(out, directory + 8 * i + 4, static_cast<std::uint32_t>(out.size()));
    out.push_back(0x7D);  // 32-bit pixels
    AppendLittleEndian16(out, 0);
    out.push_back(0);
    AppendLittleEndian16(out, static_cast<std::uint16_t>(width));
    AppendLittleEndian16(out, static_cast<std::uint16_t>(height));
    out.append(8, '\0');
    // Reuse the texture painter for the pixels, adding an alpha channel: opaque inside an
    // ellipse (the car or badge), transparent around it.
    const std::string rgb = MakeTexture(random, width, height);
    const std::size_t pixels = 26;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::size_t p = pixels + 3 * (static_cast<std::size_t>(y) * width + x);
        const int dx = 2 * x - width, dy = 2 * y - height;
        const bool inside = dx * dx * height * height + dy * dy * width * width <=
                            width * width * height * height;
        out.append(rgb, p, 3);
        out.push_back(static_cast<char>(inside ? 0xFF : 0x00));
      }
    }
  }
  StoreLittleEndian32(out, sizeField, static_cast<std::uint32_t>(out.size()));
  return out;
}

std::string MakeTrackGeometry(DemoRandom& random, int blocks) {
  std::string out;
  out.append("KFRD");
  AppendLittleEndian32(out, static_cast<std::uint32_t>(blocks));
  // The road winds by a random walk of its heading; the terrain beside it is a smoothed
  // random height field sampled on a 8 x 6 grid per block.
  int x = 0, y = 0, z = 0, heading = 0, slope = 0;
  for (int block = 0; block < blocks; ++block) {
    heading += random.Range(-6, 6);
    slope = std::clamp(slope + random.Range(-2, 2), -8, 8);
    AppendLittleEndian32(out, static_cast<std::uint32_t>(block));
    AppendLittleEndian32(out, 48);  // vertices
    AppendLittleEndian32(out, 35);  // polygons
    for (int row = 0; row < 6; ++row) {
      for (int col = 0; col < 8; ++col) {
        const int across = (col - 4) * 256;
        const int bank = col == 0 || col == 7 ? random.Range(0, 600) : 0;
        // NOLINTNEXTLINE(bugprone-integer-division): whole units on purpose (a grid of points)
        AppendFloat(out, static_cast<float>(x + across * (heading % 64) / 64) / 16.0f);
        AppendFloat(out, static_cast<float>(z + bank) / 16.0f);
        // NOLINTNEXTLINE(bugprone-integer-division): whole units on purpose (a grid of points)
        AppendFloat(out, static_cast<float>(y + row * 400 + across * (64 - heading % 64) / 64) / 16.0f);
      }
    }
    for (int row = 0; row + 1 < 6; ++row) {
      for (int col = 0; col + 1 < 8; ++col) {
        const int a = row * 8 + col;
        for (int index : {a, a + 1, a + 9, a + 8}) {
          AppendLittleEndian16(out, static_cast<std::uint16_t>(index));
        }
        const int texture = col == 0 || col == 6 ? 3 : col == 3 ? 1 : 0;  // verge, line, asphalt
        AppendLittleEndian16(out, static_cast<std::uint16_t>(texture));
        AppendLittleEndian16(out, static_cast<std::uint16_t>(col >= 1 && col <= 5 ? 1 : 0));
      }
    }
    x += heading;
    y += 2400;
    z += slope * 10;
  }
  return out;
}

std::string MakeCollisionNodes(DemoRandom& random, int nodes) {
  std::string out;
  out.append("KCOL");
  AppendLittleEndian32(out, static_cast<std::uint32_t>(nodes));
  std::int32_t x = 0, y = 0, z = 0;
  int dx = 0, dz = 0;
  for (int i = 0; i < nodes; ++i) {
    dx = std::clamp(dx + random.Range(-3, 3), -40, 40);
    dz = std::clamp(dz + random.Range(-1, 1), -10, 10);
    x += dx * 16;
    y += 1024;
    z += dz * 4;
    for (std::int32_t v : {x, z, y}) AppendLittleEndian32(out, static_cast<std::uint32_t>(v));
    out.push_back(static_cast<char>(dx));  // direction
    out.push_back(static_cast<char>(dz));
    out.push_back(127);
    out.push_back(static_cast<char>(random.Range(24, 40)));  // left width
    out.push_back(static_cast<char>(random.Range(24, 40)));  // right width
    out.push_back(0);
    AppendLittleEndian16(out, static_cast<std::uint16_t>(i / 8));  // block
  }
  return out;
}

std::string MakeCameraPath(DemoRandom& random, int points) {
  std::string out;
  out.append("KCAN");
  AppendLittleEndian32(out, static_cast<std::uint32_t>(points));
  for (int i = 0; i < points; ++i) {
    AppendLittleEndian32(out, static_cast<std::uint32_t>(i * 24));  // node
    AppendLittleEndian16(out, static_cast<std::uint16_t>(random.Range(200, 900)));  // height
    AppendLittleEndian16(out, static_cast<std::uint16_t>(random.Range(0, 3)));      // mode
    AppendLittleEndian32(out, static_cast<std::uint32_t>(random.Range(-2000, 2000)));
    AppendLittleEndian32(out, 0);
  }
  return out;
}

}  // namespace krax
