// Builds the car.viv archive of a demo car from a pool of pre-generated bulk entries, so that
// hundreds of cars are written quickly: each car takes one variant of every bulk entry and
// stamps its own ID into it; carp.txt and the front-end entries are made per car.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo_install.h"

namespace krax {

class DemoCarPayloadPool {
 public:
  DemoCarPayloadPool(std::uint64_t seed, bool compact);

  // Appends the archive of `car` to `out` (which the caller clears and reuses).
  void BuildArchive(const DemoCar& car, std::uint64_t seed, std::string& out) const;

 private:
  struct Kind {
    std::string entryName;
    std::size_t stampOffset;
    std::vector<std::string> variants;
  };
  std::vector<Kind> kinds_;
};

// The descriptive texts (maker, model, name) of a front-end entry, in the language of its suffix (".ger" ...).
std::vector<std::string> DemoFedataTexts(const DemoCar& car, const std::string& entryName);

}  // namespace krax
