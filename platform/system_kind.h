// What kind of system the program runs on, where that changes what it should do.
#pragma once

namespace krax {

// True when this Windows program runs under Wine (on Linux or macOS) rather than on Windows
// itself; always false for the Linux program.
bool RunningUnderWine();

}  // namespace krax
