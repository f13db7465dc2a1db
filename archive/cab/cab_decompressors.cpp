// The adapters that make each codec a cabinet folder's decompressor. The codecs know
// nothing of cabinets; the method and window checks of the container live here.
#include <cstring>
#include <memory>

#include "archive/cab/cab_decompressor.h"
#include "archive/lzx/lzx_decoder.h"
#include "archive/mszip/mszip_decoder.h"
#include "archive/quantum/quantum_decompressor.h"
#include "archive/quantum/quantum_tables.h"

namespace krax::cab {

namespace {

class StoredDecompressor final : public CabDecompressor {
 public:
  CodecStatus DecompressBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                              std::size_t outSize) override {
    if (inSize != outSize) return CodecStatus::kBadData;  // stored data is exactly the output
    if (outSize > 0) std::memcpy(out, in, outSize);
    return CodecStatus::kOk;
  }
  void Reset() override {}
};

class MszipCabDecompressor final : public CabDecompressor {
 public:
  CodecStatus DecompressBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                              std::size_t outSize) override {
    return decoder_.DecodeBlock(in, inSize, out, outSize);
  }
  void Reset() override { decoder_.Reset(); }
  bool ok() const { return decoder_.ok(); }

 private:
  mszip::MszipDecoder decoder_;
};

class LzxCabDecompressor final : public CabDecompressor {
 public:
  explicit LzxCabDecompressor(std::unique_ptr<lzx::LzxDecoder> decoder) : decoder_(std::move(decoder)) {}
  CodecStatus DecompressBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                              std::size_t outSize) override {
    return decoder_->DecodeFrame(in, inSize, out, outSize);
  }
  void Reset() override { decoder_->Reset(); }

 private:
  std::unique_ptr<lzx::LzxDecoder> decoder_;
};

class QuantumCabDecompressor final : public CabDecompressor {
 public:
  explicit QuantumCabDecompressor(int windowBits) : decoder_(windowBits) {}
  CodecStatus DecompressBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                              std::size_t outSize) override {
    return decoder_.DecompressBlock(in, inSize, out, outSize);
  }
  void Reset() override { decoder_.Reset(); }

 private:
  quantum::QuantumDecompressor decoder_;
};

}  // namespace

std::unique_ptr<CabDecompressor> MakeStoredDecompressor() {
  return std::make_unique<StoredDecompressor>();
}

std::unique_ptr<CabDecompressor> MakeMszipDecompressor() {
  auto decompressor = std::make_unique<MszipCabDecompressor>();
  if (!decompressor->ok()) return nullptr;
  return decompressor;
}

std::unique_ptr<CabDecompressor> MakeLzxDecompressor(int windowBits) {
  auto decoder = lzx::LzxDecoder::Create(windowBits);
  if (!decoder) return nullptr;
  return std::make_unique<LzxCabDecompressor>(std::move(decoder));
}

std::unique_ptr<CabDecompressor> MakeQuantumDecompressor(int windowBits) {
  if (windowBits < quantum::kMinWindowBits || windowBits > quantum::kMaxWindowBits) return nullptr;
  return std::make_unique<QuantumCabDecompressor>(windowBits);
}

}  // namespace krax::cab
