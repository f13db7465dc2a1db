// A small SHA-256 (FIPS 180-4) for checking extracted files against their known digests.
#pragma once

#include <string>
#include <string_view>

namespace krax::test {

// Lower-case hex digest of `bytes`.
std::string Sha256Hex(std::string_view bytes);

}  // namespace krax::test
