// The output limiter's cost: one mix buffer (1024 stereo frames, about
// 23 ms of sound) that the audio callback passes through it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/Limiter.h"

namespace {

void BM_LimitMixBuffer(benchmark::State& state) {
  constexpr size_t kFrames = 1024;
  // Music with explosions over it: peaks well past full scale.
  std::vector<float> loud(2 * kFrames);
  for (size_t i = 0; i < loud.size(); ++i)
    loud[i] = 2.5f * float(std::sin(double(i) * 0.013) * std::sin(double(i) * 0.7));
  std::vector<float> buffer(loud.size());
  fusewick::platform::TLimiter limiter = fusewick::platform::MakeLimiter(44100);
  for (auto _ : state) {
    buffer = loud;
    fusewick::platform::Limit(limiter, buffer.data(), kFrames, 2);
    benchmark::DoNotOptimize(buffer.data());
  }
}
BENCHMARK(BM_LimitMixBuffer);

}  // namespace
