#include "tools/demo_shape_image.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/byte_order.h"

namespace krax {
namespace {

using Rgba = std::array<int, 4>;

// A side view of a car on a road under a sky: body, cabin with a window, two wheels.
Rgba PaintPixel(int x, int y, int width, int height, std::uint32_t hue) {
  constexpr std::array<Rgba, 8> kPaints{{{200, 30, 30, 255},
                                         {30, 70, 190, 255},
                                         {30, 140, 60, 255},
                                         {235, 200, 40, 255},
                                         {170, 175, 185, 255},
                                         {240, 120, 20, 255},
                                         {60, 60, 70, 255},
                                         {235, 235, 230, 255}}};
  const Rgba body = kPaints[hue % kPaints.size()];
  // Coordinates scaled to a 64 x 32 canvas.
  const int u = x * 64 / std::max(width, 1), v = y * 32 / std::max(height, 1);
  const auto inWheel = [&](int cx) { return (u - cx) * (u - cx) + (v - 24) * (v - 24) * 4 <= 30; };
  if (inWheel(16) || inWheel(48)) return {25, 25, 30, 255};
  if (v >= 15 && v <= 23 && u >= 6 && u <= 58) return {body[0] - (v - 15) * 4, body[1] - (v - 15) * 3, body[2], 255};
  if (v >= 8 && v < 15 && u >= 18 + (15 - v) && u <= 44 - (15 - v) / 2) {
    return (u > 21 && u < 41 && v > 9) ? Rgba{150, 200, 235, 255} : body;
  }
  if (v >= 25) return {90 + (u * 7 + v * 3) % 12, 90, 96, 255};      // road
  return {120 + v * 3, 170 + v * 2, 230, 255};                      // sky
}

std::vector<Rgba> Paint(int width, int height, std::uint32_t hue) {
  std::vector<Rgba> pixels;
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Rgba c = PaintPixel(x, y, width, height, hue);
      // Grain, as in a rendered picture: keeps the images from being flat colour.
      std::uint32_t grain = (static_cast<std::uint32_t>(x) * 73856093u) ^ (static_cast<std::uint32_t>(y) * 19349663u) ^ hue;
      grain = (grain ^ (grain >> 13)) * 0x5bd1e995u;
      for (std::size_t k = 0; k < 3; ++k) c[k] += static_cast<int>((grain >> (8 * k)) % 13) - 6;
      for (int& channel : c) channel = std::clamp(channel, 0, 255);
      pixels.push_back(c);
    }
  }
  return pixels;
}

unsigned To565(const Rgba& c) {
  return (static_cast<unsigned>(c[0]) >> 3 << 11) | (static_cast<unsigned>(c[1]) >> 2 << 5) | (static_cast<unsigned>(c[2]) >> 3);
}

// 6 x 6 x 6 colour cube.
int CubeIndex(const Rgba& c) { return (c[0] * 6 / 256) * 36 + (c[1] * 6 / 256) * 6 + c[2] * 6 / 256; }

int Distance(const Rgba& a, const Rgba& b) {
  int d = 0;
  for (std::size_t k = 0; k < 3; ++k) d += (a[k] - b[k]) * (a[k] - b[k]);
  return d;
}

Rgba From565(unsigned v) {
  const int r = static_cast<int>((v >> 11) & 31), g = static_cast<int>((v >> 5) & 63), b = static_cast<int>(v & 31);
  return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2), 255};
}

// One 4x4 block with four colours between the block's lightest and darkest pixel.
void AppendDxt1Block(std::string& out, const std::vector<Rgba>& pixels, int width, int height, int bx, int by) {
  std::vector<Rgba> block;
  for (int y = by; y < by + 4; ++y) {
    for (int x = bx; x < bx + 4; ++x) {
      block.push_back(pixels[static_cast<std::size_t>(std::min(y, height - 1)) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(std::min(x, width - 1))]);
    }
  }
  const auto luma = [](const Rgba& c) { return c[0] * 3 + c[1] * 6 + c[2]; };
  const auto [low, high] = std::minmax_element(block.begin(), block.end(),
                                               [&](const Rgba& a, const Rgba& b) { return luma(a) < luma(b); });
  unsigned c0 = To565(*high), c1 = To565(*low);
  if (c0 < c1) std::swap(c0, c1);
  std::uint32_t indices = 0;
  if (c0 != c1) {
    const Rgba a = From565(c0), b = From565(c1);
    const std::array<Rgba, 4> palette{a, b, Rgba{(2 * a[0] + b[0]) / 3, (2 * a[1] + b[1]) / 3, (2 * a[2] + b[2]) / 3, 255},
                                      Rgba{(a[0] + 2 * b[0]) / 3, (a[1] + 2 * b[1]) / 3, (a[2] + 2 * b[2]) / 3, 255}};
    for (std::size_t k = 0; k < 16; ++k) {
      std::uint32_t best = 0;
      for (std::uint32_t i = 1; i < 4; ++i) {
        if (Distance(block[k], palette[i]) < Distance(block[k], palette[best])) best = i;
      }
      indices |= best << (2 * k);
    }
  }
  AppendLittleEndian16(out, static_cast<std::uint16_t>(c0));
  AppendLittleEndian16(out, static_cast<std::uint16_t>(c1));
  AppendLittleEndian32(out, indices);
}

void AppendRecordHeader(std::string& out, unsigned kind, std::uint32_t next, int width, int height) {
  out.push_back(static_cast<char>(kind));
  for (int shift = 0; shift < 24; shift += 8) out.push_back(static_cast<char>(next >> shift));
  AppendLittleEndian16(out, static_cast<std::uint16_t>(width));
  AppendLittleEndian16(out, static_cast<std::uint16_t>(height));
  AppendLittleEndian16(out, static_cast<std::uint16_t>(width / 2));
  AppendLittleEndian16(out, static_cast<std::uint16_t>(height / 2));
  out.append(4, '\0');  // screen position
}

// The picture's records: the pixels and, for 8-bit pixels, a palette record after them.
void AppendPicture(std::string& out, unsigned kind, int width, int height, std::uint32_t hue) {
  const std::vector<Rgba> pixels = Paint(width, height, hue);
  const std::size_t start = out.size();
  AppendRecordHeader(out, kind, 0, width, height);
  switch (kind & 0x7Fu) {
    case 0x7B:
      for (const Rgba& c : pixels) out.push_back(static_cast<char>(CubeIndex(c)));
      StoreLittleEndian32(out, start, static_cast<std::uint32_t>(kind | ((out.size() - start) << 8)));
      AppendRecordHeader(out, 0x24, 0, 256, 1);
      for (int i = 0; i < 256; ++i) {
        const int r = i / 36 % 6 * 51, g = i / 6 % 6 * 51, b = i % 6 * 51;
        out.push_back(static_cast<char>(i < 216 ? b : 0));
        out.push_back(static_cast<char>(i < 216 ? g : 0));
        out.push_back(static_cast<char>(i < 216 ? r : 0));
      }
      break;
    case 0x78:
      for (const Rgba& c : pixels) AppendLittleEndian16(out, static_cast<std::uint16_t>(To565(c)));
      break;
    case 0x6D:
      for (const Rgba& c : pixels) {
        AppendLittleEndian16(out, static_cast<std::uint16_t>(0xF000u | (static_cast<unsigned>(c[0]) >> 4 << 8) |
                                                             (static_cast<unsigned>(c[1]) >> 4 << 4) |
                                                             (static_cast<unsigned>(c[2]) >> 4)));
      }
      break;
    case 0x60:
      for (int by = 0; by < height; by += 4) {
        for (int bx = 0; bx < width; bx += 4) AppendDxt1Block(out, pixels, width, height, bx, by);
      }
      break;
    default:  // 0x7D, and the packed variant's bytes
      for (const Rgba& c : pixels) {
        for (int k : {2, 1, 0, 3}) out.push_back(static_cast<char>(c[static_cast<std::size_t>(k)]));
      }
      break;
  }
}

}  // namespace

std::string MakeDemoShapeImage(unsigned kind, int width, int height, std::uint32_t hue) {
  std::string out("SHPI", 4);
  AppendLittleEndian32(out, 0);
  AppendLittleEndian32(out, 2);
  out.append("GIMX", 4);
  out.append("car0", 4);
  AppendLittleEndian32(out, 0);
  out.append("bdg0", 4);
  AppendLittleEndian32(out, 0);
  out.append(8, '\0');  // the stamp field (kDemoShapeStampOffset)
  StoreLittleEndian32(out, 20, static_cast<std::uint32_t>(out.size()));
  AppendPicture(out, kind, width, height, hue);
  StoreLittleEndian32(out, 28, static_cast<std::uint32_t>(out.size()));
  AppendPicture(out, kind, std::max(4, width / 4), std::max(4, height / 4), hue ^ 0x00FF00u);
  StoreLittleEndian32(out, 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

std::string MakeDemoScreenshotTga(int width, int height, std::uint32_t hue) {
  std::string out(18, '\0');
  out[2] = 2;  // uncompressed true colour
  StoreLittleEndian16(out, 12, static_cast<std::uint16_t>(width));
  StoreLittleEndian16(out, 14, static_cast<std::uint16_t>(height));
  out[16] = 24;
  const std::vector<Rgba> pixels = Paint(width, height, hue);
  for (int y = height - 1; y >= 0; --y) {  // bottom row first
    for (int x = 0; x < width; ++x) {
      const Rgba& c = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
      for (int k : {2, 1, 0}) out.push_back(static_cast<char>(c[static_cast<std::size_t>(k)]));
    }
  }
  return out;
}

}  // namespace krax
