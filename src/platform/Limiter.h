#pragma once
// The output's peak limiter. Effects and music are mixed in floating point
// and may add up past full scale; the limiter turns the gain down at once
// when a peak would pass its ceiling and lets it come back slowly, so that
// nothing that reaches the device is at full scale, and sound below the
// ceiling passes unchanged. It runs in the audio callback: no allocation,
// a few operations a sample.
#include <cstddef>

namespace fusewick::platform {

struct TLimiter {
  float Ceiling = 0.891f;  // the most an output sample reaches: -1 dBFS
  float Release = 0;       // the held peak's fall per frame (a factor, below 1)
  float Envelope = 0;      // the held peak
};

// A limiter for the sample rate whose held peak falls to 1/e in `releaseMs`.
TLimiter MakeLimiter(int sampleRate, float releaseMs = 80);

// Limits `frames` interleaved frames of `channels` samples in place, all
// channels by the same gain. A sample that is not a finite number becomes 0.
void Limit(TLimiter& limiter, float* samples, size_t frames, int channels);

}  // namespace fusewick::platform
