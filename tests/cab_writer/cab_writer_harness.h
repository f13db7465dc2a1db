// Runs the cabinet writer over files in a scratch folder and checks cabinets with the
// program's reader and with the independent Python reader.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/cab/cab_writer.h"
#include "cab_test_data.h"

namespace krax::cab_test {

struct SourceFile {
  std::string name;  // name in the cabinet (also the file name in the scratch folder, with '\' as '_')
  Bytes content;
};

struct WriterSetup {
  cab::CabinetParameters params;
  std::uint16_t typeCompress = 0;
  int lzxLevel = 1;  // the writer's own default
  bool force = false;
  // Return values of the per-call functions; hooks may observe calls.
  std::function<long(cab::CabStatusKind, std::uint32_t, std::uint32_t)> progress;
  std::function<void(cab::CabinetParameters&)> onNextCabinet;
};

struct WriterOutcome {
  bool created = false, added = false, flushed = false, destroyed = false;
  ArchiveResult error;
  std::vector<std::string> cabinets;  // file names, first one first
};

// Default parameters: one cabinet "test.CAB" in `folder`, setID 12345.
cab::CabinetParameters TestParameters(const ScratchFolder& folder);
// Writer options with these parameters and nothing else set.
cab::CabWriterOptions OptionsFor(const cab::CabinetParameters& parameters);

inline WriterSetup WriterFor(const ScratchFolder& folder, std::uint16_t typeCompress) {
  WriterSetup setup;
  setup.params = TestParameters(folder);
  setup.typeCompress = typeCompress;
  return setup;
}

// Writes the sources into `folder`/src and runs create, add-file for each, flush and destroy.
// Following cabinets are named "test<cabinetIndex>.CAB". Temporary files go to `folder`/tmp.
WriterOutcome RunWriter(const ScratchFolder& folder, const std::vector<SourceFile>& files,
                        WriterSetup setup);

// Number of files left in `folder`/tmp.
std::size_t TempFilesLeft(const ScratchFolder& folder);

// Extracts every entry of the cabinet (set) with the program's reader into `dest`;
// returns an empty string on success, else the reader's message.
std::string ExtractWithReader(const std::string& cabinet, const std::string& dest);

// Runs tests/cab_writer/cab_check.py; returns its exit status (-1 when python3 is missing)
// and its standard output in `output`.
int RunPythonCheck(const std::string& cabinet, const std::string& dest, std::string& output);
bool PythonAvailable();

// True when every source file is in `dest` with exactly its content.
::testing::AssertionResult SameFiles(const std::vector<SourceFile>& files, const std::string& dest);

}  // namespace krax::cab_test
