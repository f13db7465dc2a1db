// Generators for the bulk content of the demo's car and track files: textures, meshes,
// sound banks, track geometry. The bytes are structured the way game data is (headers,
// regular arrays, smooth images and waveforms with some noise), so they compress like
// real files do: neither random noise nor runs of zeros. Integer and basic float
// arithmetic only, so one seed gives the same bytes everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace krax {

class DemoRandom;

// An uncompressed 24-bit image in the TGA layout (top-left origin) with an 8-byte image ID
// field that callers may overwrite (see kTextureStampOffset): painted panels with seams,
// gradients, decal stripes and pixel noise.
std::string MakeTexture(DemoRandom& random, int width, int height);
inline constexpr std::size_t kTextureStampOffset = 18;

// "KMSH": a closed body of `rings` x `segments` vertices (position, normal, texture
// coordinates as floats), its triangles and part names. Bytes 16..23 are a stamp field.
std::string MakeMesh(DemoRandom& random, int rings, int segments);

// "KSND": 16-bit mono samples of an engine-like tone (harmonics, firing pulses, noise).
// Bytes 24..31 are a stamp field.
std::string MakeSoundBank(DemoRandom& random, int samples);

// "KFSH": a small image container (front-end car picture and badge, or track textures).
std::string MakeImageBank(DemoRandom& random, int images, int width, int height);

// Track files: "KFRD" road geometry blocks, "KCOL" collision nodes, "KCAN" camera path.
std::string MakeTrackGeometry(DemoRandom& random, int blocks);
std::string MakeCollisionNodes(DemoRandom& random, int nodes);
std::string MakeCameraPath(DemoRandom& random, int points);

// Where the 8-byte stamp field of a MakeMesh / MakeSoundBank result lies.
inline constexpr std::size_t kMeshStampOffset = 16;
inline constexpr std::size_t kSoundStampOffset = 24;
inline constexpr std::size_t kStampSize = 8;

}  // namespace krax
