// Creates the Quantum decoder for a cabinet folder's window size.
#include <memory>

#include "archive/cab/cab_decompressor.h"
#include "archive/quantum/quantum_decompressor.h"
#include "archive/quantum/quantum_tables.h"

namespace krax::cab {

std::unique_ptr<CabDecompressor> MakeQuantumDecompressor(int windowBits) {
  if (windowBits < quantum::kMinWindowBits || windowBits > quantum::kMaxWindowBits) return nullptr;
  return std::make_unique<quantum::QuantumDecompressor>(windowBits);
}

}  // namespace krax::cab
