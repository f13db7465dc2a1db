#include "archive/mszip/mszip_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>


namespace krax::mszip {

struct MszipDecoder::Stream {
  z_stream z{};
};

MszipDecoder::MszipDecoder() : stream_(std::make_unique<Stream>()) {
  ok_ = inflateInit2(&stream_->z, -15) == Z_OK;  // raw deflate, 32 KB window
}

MszipDecoder::~MszipDecoder() {
  if (ok_) inflateEnd(&stream_->z);
}

void MszipDecoder::Reset() { historySize_ = 0; }

void MszipDecoder::Remember(const std::uint8_t* out, std::size_t size) {
  if (size >= kHistorySize) {
    std::memcpy(history_.data(), out + size - kHistorySize, kHistorySize);
    historySize_ = kHistorySize;
    return;
  }
  const std::size_t keep = std::min(historySize_, kHistorySize - size);
  std::memmove(history_.data(), history_.data() + historySize_ - keep, keep);
  std::memcpy(history_.data() + keep, out, size);
  historySize_ = keep + size;
}

CodecStatus MszipDecoder::DecodeBlock(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                               std::size_t outSize) {
  if (!ok_) return CodecStatus::kSetupFailed;
  if (outSize > kHistorySize) return CodecStatus::kBadData;
  if (inSize < 2 || in[0] != kBlockMarker[0] || in[1] != kBlockMarker[1]) return CodecStatus::kBadData;
  z_stream& z = stream_->z;
  if (inflateReset(&z) != Z_OK) return CodecStatus::kBadData;
  if (historySize_ > 0 &&
      inflateSetDictionary(&z, history_.data(), static_cast<uInt>(historySize_)) != Z_OK) {
    return CodecStatus::kBadData;
  }
  z.next_in = const_cast<Bytef*>(in + 2);
  z.avail_in = static_cast<uInt>(inSize - 2);
  z.next_out = out;
  z.avail_out = static_cast<uInt>(outSize);
  const int status = inflate(&z, Z_FINISH);
  // The deflate stream must end exactly at the block's output size.
  if (status != Z_STREAM_END || z.avail_out != 0) return CodecStatus::kBadData;
  Remember(out, outSize);
  return CodecStatus::kOk;
}

}  // namespace krax::mszip
