#include "platform/system_kind.h"

namespace krax {

bool RunningUnderWine() { return false; }

}  // namespace krax
