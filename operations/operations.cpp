#include "operations/operations.h"

namespace krax {

std::string ResultText(const OperationResult& result) {
  if (result.status == OperationStatus::kFailed && result.message.empty()) return result.command + " failed";
  return result.message;
}

}  // namespace krax
