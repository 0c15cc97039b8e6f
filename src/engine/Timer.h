#pragma once
// The frame timer: ticks from the application's idle time at a fixed
// interval and reports how many whole intervals passed (LagCount).
#include <cstdint>
#include <functional>

namespace fusewick {

// The frame timer's interval, ms: one tick of the game and of the menus.
constexpr int32_t kTimerInterval = 30;

class TDXTimer {
 public:
  TDXTimer() = default;

  std::function<void(int32_t lagCount)> OnTimer;
  std::function<void()> OnActivate, OnDeactivate;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  bool ActiveOnly() const { return activeOnly_; }
  void SetActiveOnly(bool on);
  int32_t Interval() const { return interval_; }
  void SetInterval(int32_t ms);
  // Ticks per second measured over the last whole second; 0 until then.
  int32_t TicksPerSecond() const { return ticksPerSecond_; }

  // One pass of the idle handler: ticks when at least Interval ms passed.
  void Idle();
  // Milliseconds until the next tick is due (0: due now); -1 while the idle
  // handler is not installed, so the loop may wait for events alone.
  int32_t MsUntilDue() const;
  bool HandlerInstalled() const { return handler_; }

  // The application gained or lost the focus.
  void ApplicationActivated();
  void ApplicationDeactivated();

 private:
  void Start();
  void Stop();
  void Install();

  bool enabled_ = false;
  bool activeOnly_ = true;
  bool running_ = false;
  bool handler_ = false;
  int32_t interval_ = 1000;
  int32_t divisor_ = 1000;
  uint32_t lastTick_ = 0;
  uint32_t windowStart_ = 0;
  int32_t tickCounter_ = 0;
  int32_t ticksPerSecond_ = 0;
};

}  // namespace fusewick
