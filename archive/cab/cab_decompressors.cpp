#include "archive/stored_decompressor.h"

#include <cstring>

namespace krax::cab {

namespace {

class StoredDecompressor final : public CabDecompressor {
 public:
  bool DecompressBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t outSize) override {
    if (inSize != outSize) return false;  // stored data is exactly the output
    if (outSize > 0) std::memcpy(out, in, outSize);
    return true;
  }
  void Reset() override {}
};

}  // namespace

std::unique_ptr<CabDecompressor> MakeStoredDecompressor() {
  return std::make_unique<StoredDecompressor>();
}

}  // namespace krax::cab
