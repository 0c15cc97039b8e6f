#pragma once
// The game's random numbers: a 32-bit linear congruential generator.
#include <cstdint>

namespace fusewick {

extern uint32_t RandSeed;
void Randomize(uint32_t seed);
// Uniform in 0 .. n - 1; Random(0) is 0.
int32_t Random(int32_t n);

}  // namespace fusewick
