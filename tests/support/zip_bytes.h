// Zip files written byte by byte after the published zip format (PKWARE's APPNOTE), for
// tests that need zips no well-behaved writer makes: zip64 records, duplicate names,
// foreign compression methods, encryption flags, a local header that contradicts the
// central directory, sizes that are lies. Entry data is always stored as given.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace krax::test {

struct ZipBytesEntry {
  ZipBytesEntry(std::string entryName, std::string bytes) : name(std::move(entryName)), data(std::move(bytes)) {}

  std::string name;
  std::string data;
  std::uint16_t method = 0;      // declared in both headers (0 stored)
  std::uint16_t flags = 0;       // bit 0: encrypted
  bool zip64 = false;            // sizes and offset 0xFFFFFFFF, the zip64 extra field holding them
  std::optional<std::uint16_t> localMethod;      // the local header's method, when it differs
  std::optional<std::string> localName;          // the local header's name, when it differs
  std::optional<std::uint32_t> crc;              // a wrong CRC
  std::optional<std::uint64_t> declaredSize;     // a wrong uncompressed size
};

namespace zip_bytes_detail {
inline void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void Put64(std::string& out, std::uint64_t v) {
  Put32(out, static_cast<std::uint32_t>(v));
  Put32(out, static_cast<std::uint32_t>(v >> 32));
}
}  // namespace zip_bytes_detail

inline std::string ZipBytes(const std::vector<ZipBytesEntry>& entries) {
  using namespace zip_bytes_detail;
  std::string out, central;
  for (const ZipBytesEntry& e : entries) {
    const auto offset = static_cast<std::uint32_t>(out.size());
    const std::uint32_t crc =
        e.crc.value_or(static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                                        static_cast<uInt>(e.data.size()))));
    const std::uint64_t size = e.declaredSize.value_or(e.data.size());
    const std::uint64_t packed = e.data.size();
    std::string extra, centralExtra;
    if (e.zip64) {  // the zip64 extra field: ID 1, uncompressed size, compressed size, offset
      Put16(extra, 1);
      Put16(extra, 16);
      Put64(extra, size);
      Put64(extra, packed);
      Put16(centralExtra, 1);
      Put16(centralExtra, 24);
      Put64(centralExtra, size);
      Put64(centralExtra, packed);
      Put64(centralExtra, offset);
    }
    const std::uint32_t size32 = e.zip64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size);
    const std::uint32_t packed32 = e.zip64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(packed);
    const std::uint16_t version = e.zip64 ? 45 : 20;
    // Local file header.
    Put32(out, 0x04034b50);
    Put16(out, version);
    Put16(out, e.flags);
    Put16(out, e.localMethod.value_or(e.method));
    Put16(out, 0);       // time
    Put16(out, 0x5A21);  // date: 2025-01-01
    Put32(out, crc);
    Put32(out, packed32);
    Put32(out, size32);
    const std::string localName = e.localName.value_or(e.name);
    Put16(out, static_cast<std::uint32_t>(localName.size()));
    Put16(out, static_cast<std::uint32_t>(extra.size()));
    out += localName + extra + e.data;
    // Central directory record.
    Put32(central, 0x02014b50);
    Put16(central, (3u << 8) | version);  // made on Unix
    Put16(central, version);
    Put16(central, e.flags);
    Put16(central, e.method);
    Put16(central, 0);
    Put16(central, 0x5A21);
    Put32(central, crc);
    Put32(central, packed32);
    Put32(central, size32);
    Put16(central, static_cast<std::uint32_t>(e.name.size()));
    Put16(central, static_cast<std::uint32_t>(centralExtra.size()));
    Put16(central, 0);  // comment
    Put16(central, 0);  // disk
    Put16(central, 0);  // internal attributes
    Put32(central, 0100644u << 16);
    Put32(central, e.zip64 ? 0xFFFFFFFFu : offset);
    central += e.name + centralExtra;
  }
  const auto centralOffset = static_cast<std::uint32_t>(out.size());
  out += central;
  // End of central directory.
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(entries.size()));
  Put16(out, static_cast<std::uint32_t>(entries.size()));
  Put32(out, static_cast<std::uint32_t>(central.size()));
  Put32(out, centralOffset);
  Put16(out, 0);
  return out;
}

}  // namespace krax::test
