#include "services/TickInput.h"

#include "services/FormComponents.h"
#include "services/Globals.h"

namespace fusewick {

namespace {
constexpr int32_t kUpHoldTime = 100;  // ms: a longer press of Up is a hold, a shorter one a tap
}  // namespace

void DeriveInputFlags(const TTickInput& in) {
  const TDXInputStates s = in.States;
  UpHeld = s.Has(isUp);
  auto edge = [](bool on, bool& pressed, bool& wasHeld) {
    pressed = on && !wasHeld;
    wasHeld = on;
  };
  edge(s.Has(isButton2), PausePressed, PauseWasHeld);
  edge(s.Has(isButton3), EscapePressed, EscapeWasHeld);
  edge(s.Has(isButton1), FirePressed, FireWasHeld);
  LeftHeld = s.Has(isLeft);
  RightHeld = s.Has(isRight);
  // The up gesture: a tap (released within 100 ms) or a hold past 100 ms,
  // each press reported once. Hold time counts nominal ticks.
  const bool up = UpHeld;
  UpGesture = 0;
  if (!up) UpGestureArmed = true;
  if (UpGestureArmed) {
    if (up) {
      UpHoldTime += MForm ? MForm->MDXTimer.Interval() : kTimerInterval;
      if (UpHoldTime > kUpHoldTime) UpGesture = 2;
    } else if (UpWasHeld && UpHoldTime > 0) {
      UpGesture = 1;
    }
  }
  if (UpGesture != 0) {
    UpHoldTime = 0;
    UpGestureArmed = false;
  }
  UpWasHeld = up;
}

}  // namespace fusewick
