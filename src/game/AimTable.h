#pragma once
// The directions a monster fires in, as sines and cosines read from a table:
// the same bits on every machine, whatever its math library.
#include <array>
#include <cstdint>

namespace fusewick {

struct TAim {
  double Sin, Cos;
};

// A shot's direction is one of 1000 draws spread over a quarter turn.
constexpr int32_t kAimDraws = 1000;

// kAimTable[back][draw]: the angle (draw / 2000 - 0.25) * 3.14159, plus
// 3.14159 when back (a walker heading left).
extern const std::array<std::array<TAim, kAimDraws>, 2> kAimTable;

}  // namespace fusewick
