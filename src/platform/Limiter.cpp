#include "platform/Limiter.h"

#include <algorithm>
#include <cmath>

namespace fusewick::platform {

TLimiter MakeLimiter(int sampleRate, float releaseMs) {
  TLimiter l;
  const double frames = double(sampleRate > 0 ? sampleRate : 44100) * double(releaseMs > 0 ? releaseMs : 1) / 1000.0;
  l.Release = float(std::exp(-1.0 / frames));
  return l;
}

void Limit(TLimiter& limiter, float* samples, size_t frames, int channels) {
  if (!samples || channels <= 0) return;
  const size_t n = size_t(channels);
  float env = limiter.Envelope;
  for (size_t f = 0; f < frames; ++f) {
    float* frame = samples + f * n;
    float peak = 0;
    for (size_t c = 0; c < n; ++c) {
      if (!std::isfinite(frame[c])) frame[c] = 0;
      peak = std::fmax(peak, std::fabs(frame[c]));
    }
    // Up at once to a new peak, then down slowly. Every sample of the frame
    // is at most the envelope, so scaling by ceiling / envelope keeps it at
    // the ceiling (the clamp only takes off the product's rounding).
    env = std::fmax(peak, env * limiter.Release);
    if (env > limiter.Ceiling) {
      const float gain = limiter.Ceiling / env;
      for (size_t c = 0; c < n; ++c) frame[c] = std::clamp(frame[c] * gain, -limiter.Ceiling, limiter.Ceiling);
    }
  }
  // Long silence would leave a denormal envelope: slow on some processors.
  limiter.Envelope = env < 1e-9f ? 0 : env;
}

}  // namespace fusewick::platform
