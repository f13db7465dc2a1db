// Small builders for the game data tests: VIV archives (also damaged ones), front-end data
// records, carp.txt texts, and a scratch game folder that removes itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "support/scratch_folder.h"

namespace krax::test {

inline void PutBigEndian32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}
inline void PutLittleEndian(std::string& out, std::size_t at, std::uint32_t v, int bytes) {
  if (out.size() < at + bytes) out.resize(at + bytes, '\0');
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct TestEntry {
  std::string name;
  std::string data;
};

// A well-formed archive: header (bytes 0-11 "TEST" and zeros), directory, data in order.
inline std::string BuildViv(const std::vector<TestEntry>& entries, std::string_view padding = {}) {
  std::size_t directoryLength = padding.size();
  for (const TestEntry& e : entries) directoryLength += 9 + e.name.size();
  std::string out = "TEST";
  out.resize(12, '\0');
  PutBigEndian32(out, static_cast<std::uint32_t>(16 + directoryLength));
  std::uint32_t offset = static_cast<std::uint32_t>(16 + directoryLength);
  for (const TestEntry& e : entries) {
    PutBigEndian32(out, offset);
    PutBigEndian32(out, static_cast<std::uint32_t>(e.data.size()));
    out += e.name;
    out.push_back('\0');
    offset += static_cast<std::uint32_t>(e.data.size());
  }
  out += padding;
  for (const TestEntry& e : entries) out += e.data;
  return out;
}

struct Fedata {
  std::string id = "ABCD";
  std::uint16_t carClass = 1;
  std::uint16_t police = 0;
  std::uint16_t serial = 42;
  std::string manufacturer = "Velox";
  std::string model = "Comet";
  std::string name = "Velox Comet";
};

inline std::string BuildFedata(const Fedata& f) {
  std::string out(59, '\0');
  for (std::size_t i = 0; i < f.id.size() && i < 4; ++i) out[i] = f.id[i];
  out[5] = 'x';  // bytes after the ID are not part of it
  PutLittleEndian(out, 10, f.carClass, 2);
  PutLittleEndian(out, 16, f.police, 2);
  PutLittleEndian(out, 24, f.serial, 2);
  const std::string* texts[] = {&f.manufacturer, &f.model, &f.name};
  std::size_t field = 47;
  for (const std::string* text : texts) {
    PutLittleEndian(out, field, static_cast<std::uint32_t>(out.size()), 4);
    out += *text;
    out.push_back('\0');
    field += 4;
  }
  return out;
}

inline std::string Carp(std::string_view serial, std::string_view mass = "1400.75",
                        std::string_view maxSpeed = "55.5", std::string_view topSpeed = "60") {
  std::string out;
  out += "Serial number(0)\r\n" + std::string(serial) + "\r\n";
  out += "Mass(2)\r\n" + std::string(mass) + "\r\n";
  out += "Max speed(14)\r\n" + std::string(maxSpeed) + "\r\n";
  out += "Top speed(15)\r\n" + std::string(topSpeed) + "\r\n";
  return out;
}

// A car archive with carp.txt and one or more front-end entries.
inline std::string CarArchive(const Fedata& f, std::string_view carpSerial,
                              const std::vector<std::string>& fedataNames = {"fedata.eng"}) {
  std::vector<TestEntry> entries{{"carp.txt", Carp(carpSerial)}};
  for (const std::string& name : fedataNames) entries.push_back({name, BuildFedata(f)});
  entries.push_back({"fedata.fsh", std::string(40, 'F')});
  return BuildViv(entries);
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed at the end of the test.
// A fresh folder for one test, under a name no earlier run can have left behind, removed
// with everything in it (read-only files included) at the end.
class ScratchDir {
 public:
  explicit ScratchDir(std::string_view /*what, for the reader of the test*/ = "gamedata")
      : path_(PathOf(folder_.path())) {}
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  ScratchFolder folder_;
  std::filesystem::path path_;
};

}  // namespace krax::test
