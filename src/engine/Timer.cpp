#include "engine/Timer.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"

namespace fusewick {

void TDXTimer::SetEnabled(bool on) {
  enabled_ = on;
  if (on)
    Start();
  else
    Stop();
}

void TDXTimer::SetActiveOnly(bool on) {
  activeOnly_ = on;
  if (enabled_) Start();
}

void TDXTimer::SetInterval(int32_t ms) {
  interval_ = std::max(ms, 0);
  divisor_ = std::max(ms, 1);
}

void TDXTimer::Install() {
  const uint32_t now = platform::Current().TimeGetTime();
  lastTick_ = now;
  windowStart_ = now;
  // A fresh measuring window: ticks from before an inactive spell would
  // count into it and make the measured rate, and so every speed, too high.
  tickCounter_ = 0;
  handler_ = true;
}

void TDXTimer::Start() {
  Stop();
  if (!(activeOnly_ && !platform::Current().IsForeground())) Install();
  running_ = true;
}

void TDXTimer::Stop() {
  handler_ = false;
  running_ = false;
}

void TDXTimer::ApplicationActivated() {
  if (OnActivate) OnActivate();
  // Fresh times, so no lag builds up while the application was inactive.
  if (running_ && activeOnly_) Install();
}

void TDXTimer::ApplicationDeactivated() {
  if (OnDeactivate) OnDeactivate();
  if (running_ && activeOnly_) handler_ = false;
}

int32_t TDXTimer::MsUntilDue() const {
  if (!handler_) return -1;
  const uint32_t elapsed = platform::Current().TimeGetTime() - lastTick_;
  return elapsed >= uint32_t(interval_) ? 0 : int32_t(uint32_t(interval_) - elapsed);
}

void TDXTimer::Idle() {
  if (!handler_) return;
  const uint32_t now = platform::Current().TimeGetTime();
  const uint32_t elapsed = now - lastTick_;
  if (elapsed < uint32_t(interval_)) return;
  lastTick_ = now;
  const int32_t lagCount = std::max<int32_t>(int32_t(elapsed / uint32_t(divisor_)), 1);
  ++tickCounter_;
  const uint32_t window = std::max<uint32_t>(now - windowStart_, 1);
  if (window >= 1000) {
    // Rounded half to even.
    ticksPerSecond_ = int32_t(std::nearbyint(double(tickCounter_) * 1000.0 / double(window)));
    tickCounter_ = 0;
    windowStart_ = now;
  }
  if (OnTimer) OnTimer(lagCount);
}

}  // namespace fusewick
