// The data the cabinet benchmarks compress and decompress: about 3.4 MB of the demo
// generator's textures, meshes, sound banks, images and track geometry — what a car or
// track archive holds. Both benchmarks use the same bytes so their figures compare.
#pragma once

#include <string>

#include "tools/demo_payloads.h"
#include "tools/demo_random.h"

namespace krax::bench {

inline const std::string& GameLikeData() {
  static const std::string data = [] {
    DemoRandom random(20261207);
    std::string out;
    for (int i = 0; i < 4; ++i) out += MakeTexture(random, 256, 256);
    for (int i = 0; i < 3; ++i) out += MakeMesh(random, 64, 96);
    for (int i = 0; i < 2; ++i) out += MakeSoundBank(random, 200000);
    out += MakeImageBank(random, 4, 128, 96);
    out += MakeTrackGeometry(random, 400);
    return out;
  }();
  return data;
}

}  // namespace krax::bench
