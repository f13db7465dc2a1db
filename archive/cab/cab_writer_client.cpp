#include "archive/cab/cab_writer_client.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/path.h"
#include "platform/temporary_file.h"

namespace krax::cab {

bool CabTempNameIn(const std::string& folder, char* buffer, std::size_t size) {
  const std::string name = JoinPath(folder, NewTemporaryName());
  if (name.size() >= size) return false;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return true;
}

bool StandardCabTempName(char* buffer, std::size_t size) {
  const std::string folder = SystemTemporaryFolder();
  return CabTempNameIn(folder.empty() ? std::string("/tmp") : folder, buffer, size);
}

CabWriterClient MakeStandardCabWriterClient() {
  CabWriterClient c;
  c.files = PlatformCabFiles();
  c.allocate = [](std::size_t size) { return std::malloc(size); };
  c.release = [](void* block) { std::free(block); };
  c.tempName = StandardCabTempName;
  return c;
}

}  // namespace krax::cab
