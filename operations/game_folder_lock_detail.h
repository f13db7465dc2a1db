// What only tests change about the game folder lock.
#pragma once

#include <chrono>

namespace krax {

// How long a second writer waits for the lock before it is refused (two seconds unless set).
void SetGameFolderWait(std::chrono::milliseconds wait);

}  // namespace krax
