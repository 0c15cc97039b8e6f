#include "engine/RiffWave.h"

#include <cstring>

#include "engine/Errors.h"

namespace fusewick {

namespace {

[[noreturn]] void Invalid() { throw EStreamError("Wave is invalid"); }
// The image ends before the part being read.
[[noreturn]] void CutShort() { throw EReadError("Stream read error"); }

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Smallest format block that says what the samples are (a PCMWAVEFORMAT).
constexpr size_t kMinFormatBytes = 16;

}  // namespace

TWaveData DecodeWave(const uint8_t* data, size_t size) {
  if (size < 12) CutShort();
  if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) Invalid();
  TWaveData wave;
  bool haveFormat = false;
  size_t pos = 12;
  // A chunk header that does not fit ends the chunk list.
  while (size - pos >= 8) {
    const uint8_t* id = data + pos;
    const uint32_t chunkSize = U32(data + pos + 4);
    pos += 8;
    const bool isFormat = std::memcmp(id, "fmt ", 4) == 0;
    const bool isData = std::memcmp(id, "data", 4) == 0;
    if (isFormat || isData) {
      // The bytes must all be there: they are copied.
      if (chunkSize > size - pos) CutShort();
      std::vector<uint8_t>& into = isFormat ? wave.Format : wave.Samples;
      into.assign(data + pos, data + pos + chunkSize);
      if (isFormat) haveFormat = true;
    }
    if (chunkSize > size - pos) break;  // skipped past the end: no more chunks
    pos += chunkSize;
  }
  // Without a format the samples cannot be played.
  if (!haveFormat || wave.Format.size() < kMinFormatBytes) Invalid();
  return wave;
}

TWaveFormatInfo WaveFormatInfo(const std::vector<uint8_t>& format) {
  TWaveFormatInfo info;
  if (format.size() < kMinFormatBytes) return info;
  const uint8_t* p = format.data();
  info.FormatTag = U16(p);
  info.Channels = U16(p + 2);
  info.SamplesPerSec = U32(p + 4);
  info.BlockAlign = U16(p + 12);
  info.BitsPerSample = U16(p + 14);
  return info;
}

}  // namespace fusewick
