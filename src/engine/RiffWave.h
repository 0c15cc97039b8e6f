#pragma once
// RIFF WAVE images as the sound archives store them.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fusewick {

// The two parts of a RIFF WAVE image that playing needs.
struct TWaveData {
  std::vector<uint8_t> Format;   // the "fmt " chunk's bytes (a WAVEFORMATEX)
  std::vector<uint8_t> Samples;  // the "data" chunk's bytes
};

// Splits a RIFF WAVE image into format and samples. Raises EReadError
// "Stream read error" when the image ends inside its 12-byte header or
// inside the bytes of a "fmt " or "data" chunk, and EStreamError "Wave is
// invalid" when it is not RIFF WAVE or has no format of at least 16 bytes.
// Chunks of other kinds are skipped by their size, without a pad byte after
// an odd size; a chunk header or a skip past the end ends the chunk list.
TWaveData DecodeWave(const uint8_t* data, size_t size);

// The fields of a PCM format block, 0 where the block is too short.
struct TWaveFormatInfo {
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SamplesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
};
TWaveFormatInfo WaveFormatInfo(const std::vector<uint8_t>& format);

}  // namespace fusewick
