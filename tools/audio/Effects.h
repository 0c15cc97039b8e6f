#pragma once
// The game's sound effects: the catalogue (name, when the game plays it,
// length bound, level) and their synthesis.
#include <cstdint>
#include <string>
#include <vector>

#include "Dsp.h"

namespace fusewick::audio {

constexpr uint32_t kEffectRate = 44100;

struct SoundEffect {
  const char* name;   // wave name the game looks up
  const char* event;  // when the game plays it
  double maxSeconds;  // the effect never runs longer
  double peakDb;      // peak level after normalising, dBFS
  Signal (*make)(double rate);
};

// Every effect, in archive order.
const std::vector<SoundEffect>& EffectCatalogue();

// 16-bit samples of one effect at kEffectRate: synthesised, rid of any DC
// offset, faded at both ends and normalised to its peak level.
std::vector<int16_t> RenderEffect(const SoundEffect& effect);

}  // namespace fusewick::audio
