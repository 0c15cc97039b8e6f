#include <gtest/gtest.h>

#include <vector>

#include "Harness.h"
#include "engine/Display.h"
#include "engine/Errors.h"
#include "engine/Timer.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

TEST(DisplayOptions, StoredOptionsInWindowAndFullScreen) {
  TDXDrawOptions stored{doCenter, doAllowReboot, doHardware, doWaitVBlank, doSelectDriver, doFlip, doDirectX7Mode};
  EXPECT_EQ(EffectiveOptionsOf(stored), (TDXDrawOptions{doWaitVBlank, doCenter}));
  stored.Add(doFullScreen);
  EXPECT_EQ(EffectiveOptionsOf(stored), (TDXDrawOptions{doFullScreen, doAllowReboot, doWaitVBlank, doCenter, doFlip}));
  EXPECT_EQ(EffectiveOptionsOf({doFullScreen, doFlip, doSystemMemory}), (TDXDrawOptions{doFullScreen, doSystemMemory}));
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetCurrent(&null); }
  void TearDown() override { platform::SetCurrent(nullptr); }
  // A listener that writes "name:code" for each notification.
  void Listen(TDXDraw& d, const char* name) {
    d.RegisterNotifyEvent(name, [this, name](TDXDraw*, TDXDrawNotifyType c) {
      log.push_back(std::string(name) + ":" + std::to_string(c));
    });
  }
  platform::NullPlatform null;
  TDXForm form;
  std::vector<std::string> log;
};

TEST_F(DisplayTest, ListenersHearInitializeAndFinalizeFromTheLastRegistered) {
  TDXDraw d(&form);
  Listen(d, "a");
  Listen(d, "b");
  EXPECT_EQ(log, (std::vector<std::string>{"a:7", "a:6", "b:7", "b:6"}));  // size, restore
  log.clear();
  d.Initialize();
  EXPECT_EQ(log, (std::vector<std::string>{"b:1", "a:1", "b:7", "a:7", "b:2", "a:2", "b:3", "a:3", "b:6", "a:6"}));
  log.clear();
  Listen(d, "c");  // an initialized display replays its state at once
  EXPECT_EQ(log, (std::vector<std::string>{"c:7", "c:2", "c:3", "c:6"}));
  log.clear();
  d.UnRegisterNotifyEvent("a");
  EXPECT_EQ(log, (std::vector<std::string>{"a:5", "a:4"}));
  log.clear();
  d.Finalize();
  EXPECT_EQ(log, (std::vector<std::string>{"c:5", "b:5", "c:4", "b:4"}));
  EXPECT_FALSE(d.Initialized());
  EXPECT_EQ(d.Surface()->Width(), 0);
}

TEST_F(DisplayTest, InitializeFailuresRaiseAndLeaveTheDisplayFinalized) {
  struct Case {
    bool noForm, failPresenter, failFull;
    const char* message;
  };
  const Case cases[] = {
      {true, false, false, "Form not found"},
      {false, true, false, "Primary Surface cannot be made"},
      {false, false, true, "Display mode cannot be changed (800x600 16bit)"},
  };
  for (const Case& c : cases) {
    null.FailPresenter = c.failPresenter;
    null.FailFullScreen = c.failFull;
    TDXDraw d(c.noForm ? nullptr : &form);
    d.SetOptions({doFullScreen, doFlip});
    try {
      d.Initialize();
      ADD_FAILURE() << c.message;
    } catch (const EDXDrawError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_FALSE(d.Initialized());
  }
}

TEST_F(DisplayTest, FlipPresentsTheBackSurfaceAndFullScreenOnlyWhileActive) {
  TDXDraw d(&form);
  d.Flip();
  EXPECT_EQ(null.PresentCount, 0);  // not initialized
  d.Initialize();
  d.Surface()->Fill(0x1234);
  d.Flip();
  ASSERT_EQ(null.PresentCount, 1);
  EXPECT_EQ(null.FrameWidth, 800);
  EXPECT_EQ(null.LastFrame[799 * 600 / 2], 0x1234);
  d.Finalize();
  d.SetOptions({doFullScreen, doFlip});
  d.Initialize();
  EXPECT_TRUE(null.FullScreen);
  null.Foreground = false;
  d.Flip();
  EXPECT_EQ(null.PresentCount, 1);
  null.Foreground = true;
  d.Flip();
  EXPECT_EQ(null.PresentCount, 2);
}

TEST_F(DisplayTest, WindowPlacementIsRestoredOnceAfterBeingSaved) {
  null.Placement = {10, 20, 800, 600};
  form.SaveWindowPlacement();
  null.Placement = {0, 0, 1920, 1080};
  form.RestoreWindowPlacement();
  EXPECT_EQ(null.Placement.X, 10);
  null.Placement = {5, 5, 800, 600};
  form.RestoreWindowPlacement();  // forgotten after use
  EXPECT_EQ(null.Placement.X, 5);
}

// ---- the frame timer

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrent(&null);
    timer.SetInterval(30);
    timer.OnTimer = [this](int32_t lag) { lags.push_back(lag); };
    timer.SetEnabled(true);
  }
  void TearDown() override { platform::SetCurrent(nullptr); }
  void After(uint32_t ms) {
    null.Advance(ms);
    timer.Idle();
  }
  platform::NullPlatform null;
  TDXTimer timer;
  std::vector<int32_t> lags;
};

TEST_F(TimerTest, TicksOnlyAfterTheIntervalWithTheLagCount) {
  After(29);
  EXPECT_TRUE(lags.empty());
  After(1);   // 30 ms
  After(90);  // 90 ms
  After(65);
  EXPECT_EQ(lags, (std::vector<int32_t>{1, 3, 2}));
  EXPECT_EQ(timer.MsUntilDue(), 30);
}

TEST_F(TimerTest, IntervalZeroTicksEveryPassWithTheElapsedTime) {
  timer.SetInterval(0);
  After(0);
  After(7);
  EXPECT_EQ(lags, (std::vector<int32_t>{1, 7}));
}

TEST_F(TimerTest, TicksPerSecondIsMeasuredOverWholeSeconds) {
  for (int i = 0; i < 33; ++i) After(30);
  EXPECT_EQ(timer.TicksPerSecond(), 0);  // 990 ms: not a whole second yet
  After(30);                             // 34 ticks in 1020 ms
  EXPECT_EQ(timer.TicksPerSecond(), 33);
}

TEST_F(TimerTest, InactiveApplicationGetsNoTicksAndNoLagAfterwards) {
  timer.ApplicationDeactivated();
  After(500);
  EXPECT_TRUE(lags.empty());
  EXPECT_EQ(timer.MsUntilDue(), -1);
  timer.ApplicationActivated();
  After(30);
  EXPECT_EQ(lags, (std::vector<int32_t>{1}));
}

TEST_F(TimerTest, TicksBeforeAnInactiveSpellDoNotCountIntoTheMeasuredRate) {
  for (int i = 0; i < 20; ++i) After(30);  // 600 ms, no whole second yet
  timer.ApplicationDeactivated();
  After(5000);
  timer.ApplicationActivated();
  for (int i = 0; i < 33; ++i) After(30);
  EXPECT_EQ(timer.TicksPerSecond(), 0);  // 990 ms since activation
  After(30);                             // 34 ticks in 1020 ms, as ever
  EXPECT_EQ(timer.TicksPerSecond(), 33);
}

TEST_F(TimerTest, StartingWhileInactiveWaitsForActivation) {
  TDXTimer t;
  t.SetInterval(30);
  null.Foreground = false;
  int ticks = 0;
  t.OnTimer = [&](int32_t) { ++ticks; };
  t.SetEnabled(true);
  null.Advance(100);
  t.Idle();
  EXPECT_EQ(ticks, 0);
  null.Foreground = true;
  t.ApplicationActivated();
  null.Advance(30);
  t.Idle();
  EXPECT_EQ(ticks, 1);
}

}  // namespace
