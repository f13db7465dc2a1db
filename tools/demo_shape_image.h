// The demo cars' front-end images "fedata.fsh": a shape container ("SHPI") with a painted car
// in one of several pixel kinds, so that the details form shows each demo car and every
// decoder path is exercised by the demo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace krax {

// The pixel kinds the demo uses, one per variant; the last is marked as packed with the game's
// own compression, which the program does not read (the form then falls back to a texture).
inline constexpr unsigned kDemoShapeKinds[] = {0x7D, 0x78, 0x7B, 0x60, 0x6D, 0xFB};
inline constexpr int kDemoShapeKindCount = 6;

// Where the 8-byte stamp field of a MakeDemoShapeImage result lies (a gap after the directory).
inline constexpr std::size_t kDemoShapeStampOffset = 32;

// A container with two pictures, the car (`width` x `height`) and a small badge, both of
// `kind`; an 8-bit picture carries its own palette record. `hue` colours the car's body.
std::string MakeDemoShapeImage(unsigned kind, int width, int height, std::uint32_t hue);

// The picture as a 24-bit TGA file (bottom-left origin): a screenshot for a car's folder.
std::string MakeDemoScreenshotTga(int width, int height, std::uint32_t hue);

}  // namespace krax
