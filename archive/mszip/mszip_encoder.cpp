#include "archive/mszip/mszip_encoder.h"

#include <zlib.h>

#include <cstring>
#include <new>
#include <stdexcept>

namespace krax::mszip {
namespace {

// "CK", then one final stored block: header bits 1 (final) and 00 (stored), padded to a
// byte, then LEN and its complement.
std::size_t StoredBlock(const std::uint8_t* in, std::size_t size, std::uint8_t* out) {
  out[0] = 'C';
  out[1] = 'K';
  out[2] = 0x01;
  out[3] = static_cast<std::uint8_t>(size & 0xFF);
  out[4] = static_cast<std::uint8_t>(size >> 8);
  out[5] = static_cast<std::uint8_t>(~size & 0xFF);
  out[6] = static_cast<std::uint8_t>((~size >> 8) & 0xFF);
  if (size) std::memcpy(out + 7, in, size);
  return size + 7;
}

}  // namespace

MszipEncoder::MszipEncoder(int level) : stream_(new z_stream{}) {
  // Raw deflate (negative window bits), 32 KB window, default memory use.
  if (deflateInit2(stream_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    delete stream_;
    throw std::runtime_error("deflateInit2 failed");
  }
  history_.resize(kMszipMaxBlockInput);
}

MszipEncoder::~MszipEncoder() {
  deflateEnd(stream_);
  delete stream_;
}

void MszipEncoder::Reset() { historyValid_ = false; }

std::size_t MszipEncoder::CompressBlock(const std::uint8_t* in, std::size_t size, std::uint8_t* out) {
  if (size > kMszipMaxBlockInput) return 0;
  if (deflateReset(stream_) != Z_OK) return 0;
  if (historyValid_ &&
      deflateSetDictionary(stream_, history_.data(), static_cast<uInt>(history_.size())) != Z_OK) {
    return 0;
  }
  out[0] = 'C';
  out[1] = 'K';
  stream_->next_in = const_cast<Bytef*>(in);
  stream_->avail_in = static_cast<uInt>(size);
  stream_->next_out = out + 2;
  stream_->avail_out = static_cast<uInt>(kMszipMaxBlockOutput - 2);
  const int rc = deflate(stream_, Z_FINISH);
  std::size_t written = 0;
  if (rc == Z_STREAM_END) {
    written = kMszipMaxBlockOutput - stream_->avail_out;
  } else if (rc == Z_OK || rc == Z_BUF_ERROR) {
    written = StoredBlock(in, size, out);  // did not fit: send the bytes stored
  } else {
    return 0;
  }
  historyValid_ = size == kMszipMaxBlockInput;
  if (historyValid_) std::memcpy(history_.data(), in, size);
  return written;
}

}  // namespace krax::mszip
