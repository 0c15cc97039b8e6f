#pragma once
// RIFF WAVE image of 16-bit PCM mono samples.
#include <cstdint>
#include <vector>

namespace fusewick::audio {

// "RIFF" size "WAVE", an 18-byte "fmt " chunk (the PCM format record with
// its zero extra-size field) and the "data" chunk.
std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, uint32_t rate);

}  // namespace fusewick::audio
