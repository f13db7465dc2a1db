#include "archive/cab/cab_writer_client.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax::cab {

bool CabTempNameIn(const std::string& folder, char* buffer, std::size_t size) {
  static std::mt19937_64 random{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
  const std::string name = JoinPath(folder, std::string(kTemporaryPrefix) + suffix);
  if (name.size() >= size) return false;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return true;
}

bool StandardCabTempName(char* buffer, std::size_t size) {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) folder = "/tmp";
  return CabTempNameIn(folder.string(), buffer, size);
}

CabWriterClient MakeStandardCabWriterClient() {
  CabWriterClient c;
  c.filePlaced = [](const CabinetParameters&, const std::string&, std::uint32_t, bool) { return 0; };
  c.allocate = [](std::size_t size) { return std::malloc(size); };
  c.release = [](void* block) { std::free(block); };
  c.open = [](const std::string& name, int oflag, int pmode, int& err) -> CabHandle {
    return file_io::Open(name, oflag, pmode, err);
  };
  c.read = [](CabHandle h, void* buffer, unsigned count, int& err) -> long {
    return static_cast<long>(file_io::Read(static_cast<int>(h), buffer, count, err));
  };
  c.write = [](CabHandle h, const void* buffer, unsigned count, int& err) -> long {
    return static_cast<long>(file_io::Write(static_cast<int>(h), buffer, count, err));
  };
  c.close = [](CabHandle h, int& err) { return file_io::Close(static_cast<int>(h), err); };
  c.seek = [](CabHandle h, long offset, int origin, int& err) -> long {
    return static_cast<long>(file_io::Seek(static_cast<int>(h), offset, origin, err));
  };
  c.remove = [](const std::string& name, int& err) { return file_io::Remove(name, err); };
  c.tempName = StandardCabTempName;
  return c;
}

}  // namespace krax::cab
