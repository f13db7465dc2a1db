#include <gtest/gtest.h>

#include "cab_writer_harness.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_entries.h"
#include "archive/cab/cab_writer_client.h"
#include "platform/file_io.h"
#include "support/python_module.h"

namespace krax::cab_test {
namespace fs = std::filesystem;

cab::CabinetParameters TestParameters(const ScratchFolder& folder) {
  cab::CabinetParameters p;
  p.maxCabinetSize = 300000000;
  p.folderThreshold = 900000;
  p.setID = 12345;
  p.diskName = "CABDisk";
  p.cabinetName = "test.CAB";
  p.cabinetFolder = folder.path().string() + "/";
  return p;
}

cab::CabWriterOptions OptionsFor(const cab::CabinetParameters& parameters) {
  cab::CabWriterOptions options;
  options.cabinet = parameters;
  return options;
}

std::size_t TempFilesLeft(const ScratchFolder& folder) {
  std::size_t n = 0;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder.path() / "tmp", ec); !ec && it != fs::directory_iterator(); ++it) ++n;
  return n;
}

WriterOutcome RunWriter(const ScratchFolder& folder, const std::vector<SourceFile>& files, WriterSetup setup) {
  WriterOutcome outcome;
  fs::create_directories(folder.path() / "src");
  fs::create_directories(folder.path() / "tmp");
  std::vector<std::string> paths;
  for (const SourceFile& f : files) {
    std::string leaf = f.name.empty() ? "unnamed" : f.name.substr(0, 200);
    for (char& c : leaf) {
      if (c == '\\' || c == '/') c = '_';
    }
    const std::string path = (folder.path() / "src" / (std::to_string(paths.size()) + "_" + leaf)).string();
    WriteBytes(path, f.content);
    paths.push_back(path);
  }
  cab::CabWriterClient client = cab::MakeStandardCabWriterClient();
  const std::string tmp = (folder.path() / "tmp").string();
  client.tempName = [tmp, counter = 0](char* buffer, std::size_t size) mutable {
    const std::string name = tmp + "/xx" + std::to_string(counter++);
    if (name.size() >= size) return false;
    std::snprintf(buffer, size, "%s", name.c_str());
    return true;
  };
  outcome.cabinets.push_back(setup.params.cabinetName);
  const cab::CabNextCabinetFn next = [&](cab::CabinetParameters& p, std::uint32_t) {
    p.cabinetName = "test" + std::to_string(p.cabinetIndex) + ".CAB";
    if (setup.onNextCabinet) setup.onNextCabinet(p);
    outcome.cabinets.push_back(p.cabinetName);
    return 0;
  };
  const cab::CabProgressFn progress = [&](cab::CabStatusKind kind, std::uint32_t a, std::uint32_t b) -> long {
    return setup.progress ? setup.progress(kind, a, b) : 0;
  };
  const cab::CabOpenSourceFn open = [](const std::string& name, std::uint16_t& date, std::uint16_t& time,
                                       std::uint16_t& attribs, int& err) -> cab::CabHandle {
    date = 0x5A21;  // 2025-01-01
    time = 0x6000;  // 12:00:00
    attribs = 0x20;
    return file_io::Open(name, O_RDONLY, 0, err);
  };
  cab::CabWriterOptions options = OptionsFor(setup.params);
  options.lzxLevel = setup.lzxLevel;
  options.nextCabinet = next;
  options.progress = progress;
  options.openSource = open;
  auto writer = cab::CabWriterCreate(outcome.error, client, options);
  outcome.created = writer != nullptr;
  if (!writer) return outcome;
  outcome.added = true;
  for (std::size_t i = 0; i < files.size() && outcome.added; ++i) {
    outcome.added = cab::CabWriterAddFile(*writer, {paths[i], files[i].name, setup.typeCompress});
  }
  if (outcome.added) outcome.flushed = cab::CabWriterFlushCabinet(*writer, setup.force);
  outcome.destroyed = cab::CabWriterDestroy(std::move(writer));
  return outcome;
}

std::string ExtractWithReader(const std::string& cabinet, const std::string& dest) {
  fs::create_directories(dest);
  // The extraction walks the whole set.
  cab::CabExtractRequest request;
  request.cabPath = cabinet;
  request.destFolder = dest;
  const ArchiveResult result = cab::ExtractCabinet(request);
  if (!result.ok()) return "reader: " + result.Message();
  return "";
}

bool PythonAvailable() { return test::PythonHasModule("zlib"); }

int RunPythonCheck(const std::string& cabinet, const std::string& dest, std::string& output) {
  if (!PythonAvailable()) return -1;
#ifdef _WIN32
  (void)cabinet, (void)dest, (void)output;
  return -1;
#else
  fs::create_directories(dest);
  const std::string outFile = dest + ".txt";
  const std::string command = "python3 '" KRAX_SOURCE_DIR "/tests/cab_writer/cab_check.py' '" + cabinet +
                              "' '" + dest + "' > '" + outFile + "'";
  const int status = std::system(command.c_str());
  const Bytes text = ReadBytes(outFile);
  output.assign(text.begin(), text.end());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
#endif
}

::testing::AssertionResult SameFiles(const std::vector<SourceFile>& files, const std::string& dest) {
  for (const SourceFile& f : files) {
    std::string rel = f.name;
    for (char& c : rel) {
      if (c == '\\') c = '/';
    }
    const std::string path = dest + "/" + rel;
    if (!fs::exists(path)) return ::testing::AssertionFailure() << f.name << " was not extracted";
    const Bytes got = ReadBytes(path);
    if (got != f.content) {
      return ::testing::AssertionFailure() << f.name << ": " << got.size() << " bytes extracted, "
                                           << f.content.size() << " expected, or different content";
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace krax::cab_test
