#include "engine/Random.h"

namespace fusewick {

uint32_t RandSeed = 0;

void Randomize(uint32_t seed) { RandSeed = seed; }

int32_t Random(int32_t n) {
  RandSeed = RandSeed * 0x08088405u + 1u;
  if (n <= 0) return 0;
  return int32_t((uint64_t(RandSeed) * uint64_t(uint32_t(n))) >> 32);
}

}  // namespace fusewick
