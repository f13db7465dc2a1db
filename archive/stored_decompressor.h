// Cabinet folders without compression: each data block is its own output.
// The factory MakeStoredDecompressor is declared in archive/cab/cab_decompressor.h.
#pragma once

#include "archive/cab/cab_decompressor.h"
