// Random files and writer parameters through the cabinet writer, then back through the
// cabinet reader: every byte must come back, and nothing may crash or leak.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_entries.h"
#include "archive/cab/cab_writer.h"
#include "archive/cab/cab_writer_client.h"
#include "archive/lzx/lzx_encoder.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Reads fuzz input as a little stream of choices.
struct Input {
  const std::uint8_t* p;
  std::size_t n;
  std::uint8_t Byte() { return n ? (--n, *p++) : 0; }
  std::uint32_t Number(std::uint32_t below) {
    std::uint32_t v = Byte();
    v = (v << 8) | Byte();
    v = (v << 8) | Byte();
    return below ? v % below : v;
  }
};

// A file of `size` bytes from a small recipe: runs, copies of earlier bytes, noise.
Bytes MakeFile(Input& in, std::size_t size) {
  Bytes out;
  std::uint32_t state = in.Number(0) | 1;
  while (out.size() < size) {
    const std::size_t piece = 1 + in.Number(20000);
    switch (in.Byte() % 4) {
      case 0: out.insert(out.end(), piece, in.Byte()); break;
      case 1:
        for (std::size_t i = 0; i < piece; ++i) {
          state = state * 1103515245u + 12345u;
          out.push_back(static_cast<std::uint8_t>(state >> 16));
        }
        break;
      case 2:
        if (!out.empty()) {
          const std::size_t from = in.Number(static_cast<std::uint32_t>(out.size()));
          for (std::size_t i = 0; i < piece; ++i) out.push_back(out[from + i % (out.size() - from)]);
        }
        break;
      default:
        for (std::size_t i = 0; i < piece; ++i) {
          out.push_back(i % 5 == 0 ? 0xE8 : static_cast<std::uint8_t>(in.Byte()));
        }
        break;
    }
  }
  out.resize(size);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  static const fs::path root = fs::temp_directory_path() / ("krax_fuzz_cab_" + std::to_string(::getpid()));
  std::error_code ec;
  fs::remove_all(root, ec);
  fs::create_directories(root / "src");
  fs::create_directories(root / "out");

  const std::uint8_t method = in.Byte() % 3;
  const std::uint16_t type = method == 0 ? 0 : method == 1 ? 1 : static_cast<std::uint16_t>(3 | ((15 + in.Byte() % 7) << 8));
  krax::cab::CabinetParameters params;
  // Tiny maximum sizes (below one data block, so a block is cut over a chain of cabinets),
  // moderate ones, and one never reached. A cabinet that continues a folder needs about 430
  // bytes before its first data byte here (header and reserve fields, two cabinet and disk
  // names, a folder record, four file records, a block header with a 255-byte reserve);
  // with less the writer could never place data, so tiny limits start at 600. Their files
  // are kept small to keep the number of cabinets down.
  const std::uint8_t sizeKind = in.Byte() % 3;
  params.maxCabinetSize = sizeKind == 0 ? 600 + in.Number(30000) : sizeKind == 1 ? 30000 + in.Number(220000) : 300000000;
  params.folderThreshold = 1000 + in.Number(300000);
  params.dataReserve = in.Byte() % 4 == 0 ? in.Byte() : 0;
  params.setID = 12345;
  params.diskName = "CABDisk";
  params.cabinetName = "f.CAB";
  params.cabinetFolder = root.string() + "/";

  const unsigned fileCount = in.Byte() % 5;
  std::vector<Bytes> contents;
  std::vector<std::string> names;
  for (unsigned i = 0; i < fileCount; ++i) {
    const std::uint32_t longest = sizeKind == 0 ? 20000 : in.Byte() % 2 ? 70000 : 400000;
    const std::size_t length = in.Byte() % 4 == 0 ? 0 : in.Number(longest);
    contents.push_back(MakeFile(in, length));
    names.push_back("f" + std::to_string(i));
    std::ofstream(root / "src" / names.back(), std::ios::binary)
        .write(reinterpret_cast<const char*>(contents.back().data()), static_cast<std::streamsize>(length));
  }

  krax::cab::CabWriterOptions options;
  options.cabinet = params;
  // Every LZX level, chosen without taking another input byte (the seeds keep their meaning).
  options.lzxLevel = 1 + static_cast<int>(params.folderThreshold % krax::lzx::kLzxMaxLevel);
  options.nextCabinet = [](krax::cab::CabinetParameters& p, std::uint32_t) {
    p.cabinetName = "f" + std::to_string(p.cabinetIndex) + ".CAB";
    return 0;
  };
  options.openSource = [](const std::string& name, std::uint16_t&, std::uint16_t&, std::uint16_t&,
                          int&) -> krax::cab::CabHandle { return ::open(name.c_str(), O_RDONLY); };
  krax::ArchiveResult error;
  auto writer = krax::cab::CabWriterCreate(error, krax::cab::MakeStandardCabWriterClient(), options);
  if (!writer) abort();
  for (unsigned i = 0; i < fileCount; ++i) {
    if (!krax::cab::CabWriterAddFile(*writer, {(root / "src" / names[i]).string(), names[i], type})) abort();
  }
  if (!krax::cab::CabWriterFlushCabinet(*writer)) abort();
  if (!krax::cab::CabWriterDestroy(std::move(writer))) abort();

  // Extract the set: the extraction walks every cabinet of it.
  krax::cab::CabExtractRequest request;
  request.cabPath = (root / "f.CAB").string();
  request.destFolder = (root / "out").string();
  const krax::ArchiveResult result = krax::cab::ExtractCabinet(request);
  if (!result.ok()) {
    std::fprintf(stderr, "extraction failed: %s\n", result.Message().c_str());
    abort();
  }
  for (unsigned i = 0; i < fileCount; ++i) {
    std::ifstream file(root / "out" / names[i], std::ios::binary);
    const Bytes got((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (got != contents[i]) abort();
  }
  fs::remove_all(root, ec);
  return 0;
}
