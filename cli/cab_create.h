// `kraxctl cab create`, dispatched from cmd_cab.cpp.
#pragma once

#include <vector>

#include "cli/command.h"

namespace krax::cli {

class Context;

// The options of `cab create`.
inline const std::vector<Option> kCabCreateOptions = {
    {"--base", "DIR"},   {"--method", "none|mszip|lzx"}, {"--window", "15..21"},
    {"--level", "1..3"}, {"--max-size", "BYTES"},        {"--verbose"},
};

// `args.words` are "create" and the words after it.
int RunCabCreate(Context& context, const Arguments& args);

}  // namespace krax::cli
