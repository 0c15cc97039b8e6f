#pragma once
// The hooks that only the tests and the replay runner set. The game reads
// them and, while they keep their start values, plays as it would without
// them. ResetTestSeams puts every one of them back at once.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "services/Online.h"

namespace fusewick {

struct TTestSeams {
  // When set, every PlaySound call reports the effect's name here first,
  // whether or not sounds are on: tests watch the effects the game asks for.
  std::function<void(const std::string&)> PlaySoundObserver;
  // When above 0, UpdateFrameRate holds FrameRate at this value instead of
  // the measured rate (the replay runner's fixed rate).
  double FrameRateHeld = 0;
  // The server the online client talks to instead of the build's setting,
  // and the time-out of each request.
  std::optional<TServerAddress> Server;
  std::chrono::milliseconds Timeout = RequestTimeout;
};
extern TTestSeams TestSeams;

inline auto& PlaySoundObserver = TestSeams.PlaySoundObserver;
inline auto& FrameRateHeld = TestSeams.FrameRateHeld;

// Points the online client at a test's own loopback server, with its own
// time-out.
void SetServerForTests(const std::string& host, uint16_t port, std::chrono::milliseconds timeout = RequestTimeout);

// Every hook back to its start value: no observer, the measured frame rate,
// the build's server and the 10 s time-out.
void ResetTestSeams();

}  // namespace fusewick
