#pragma once

#include <cstdint>
#include <limits>

// Whether a row id of jegyzetek can be a note's. The engine hands out 64-bit ids and the windows hold 32
// bits, so a wider id (left by another program, or a damaged sequence) would turn into another note's id:
// such a row is never listed, found nor created.
inline bool isnoteid(std::int64_t id) {
    return id >= std::numeric_limits<std::int32_t>::min() && id <= std::numeric_limits<std::int32_t>::max();
}
