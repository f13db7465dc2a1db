// `kraxctl cab create`, dispatched from cmd_cab.cpp.
#pragma once

#include <string>
#include <vector>

namespace krax::cli {

class Context;

// `args` are the words after "create".
int RunCabCreate(krax::cli::Context& context, const std::vector<std::string>& args);

}  // namespace krax::cli
