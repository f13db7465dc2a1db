// Replays a fuzz target's seed files with the normal compiler, so that every build with
// the sanitizers (CI) runs them even where libFuzzer is absent. Arguments: files or
// folders of seed files; each file is one input. Exit status 0 when every input ran (a
// target that finds a fault aborts).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // An exact-size copy: the sanitizers see any read past the input.
  std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(input.data(), input.size());
  std::printf("ran %s (%zu bytes)\n", file.filename().string().c_str(), input.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int inputs = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const fs::path path = argv[i];
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(path, ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      for (const auto& file : files) {
        ok = Replay(file) && ok;
        ++inputs;
      }
    } else {
      ok = Replay(path) && ok;
      ++inputs;
    }
  }
  // The empty input too: every target must take it.
  LLVMFuzzerTestOneInput(nullptr, 0);
  if (inputs == 0) {
    std::fprintf(stderr, "no seed files\n");
    return 1;
  }
  return ok ? 0 : 1;
}
