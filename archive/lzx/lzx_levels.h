// The LZX encoder's levels of effort; every level writes the same format.
#pragma once

namespace krax::lzx {

inline constexpr int kLzxFastLevel = 1;
inline constexpr int kLzxDefaultLevel = 2;
inline constexpr int kLzxMaxLevel = 3;

}  // namespace krax::lzx
