// Some tests read what the program writes back with Python's own readers (zipfile, zlib, the
// cabinet checker); they run only where python3 with that module can be started.
#pragma once

#include <string>

#include "platform/process.h"

namespace krax::test {

// True when `python3 -c "import <module>"` runs and succeeds; always false on Windows, where
// the cross-checks are not run.
inline bool PythonHasModule(const std::string& module) {
#ifdef _WIN32
  (void)module;
  return false;
#else
  StartOptions options;
  options.wait = true;
  const ProcessResult python = StartProgram({"python3", "-c", "import " + module}, options);
  return python.ok() && python.exitCode == 0;
#endif
}

}  // namespace krax::test
