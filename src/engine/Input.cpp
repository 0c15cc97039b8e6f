#include "engine/Input.h"

#include <algorithm>
#include <cstdlib>

#include "engine/Errors.h"
#include "engine/Types.h"
#include "platform/Platform.h"

namespace fusewick {

void TCustomInput::Finalize() {
  Initialized = false;
  States.Clear();
}

bool TCustomInput::MayRead() const {
  return Initialized && !(owner_->ActiveOnly && !platform::Current().IsForeground());
}

// ---- keyboard: the platform's key-state table, by virtual-key code

void TKeyboard::Initialize() {
  Finalize();
  if (!Enabled) return;
  Initialized = true;
}

void TKeyboard::Update() {
  KeyStates.fill(0);
  States.Clear();
  if (!MayRead()) return;
  platform::Current().GetKeyboardState(KeyStates.data());
  for (int s = 0; s < kInputStateCount; ++s)
    for (int k = 0; k < 3; ++k) {
      const int32_t code = Assigns[size_t(s * 3 + k)];
      if (code >= 1 && code <= 255 && (KeyStates[size_t(code)] & 0x80)) {
        States.Add(s);
        break;
      }
    }
}

// ---- joystick: the platform's joystick ID, axes scaled here

int32_t ScaleAxis(int32_t pos, int32_t max, int32_t min, int32_t range, int32_t deadZone) {
  const int32_t half = (max - min) / 2;
  const int32_t p = pos - half;
  const int32_t dz = int32_t(int64_t(half) * deadZone / 100);
  const int32_t h = half - dz;
  if (h == 0 || std::abs(p) <= dz) return 0;
  return p > 0 ? MulDiv(p - dz, range, h) : MulDiv(p + dz, range, h);
}

void TJoystick::SetDeadZone(int axis, int32_t percent) { deadZone_[size_t(axis)] = std::clamp(percent, 0, 100); }
void TJoystick::SetRange(int axis, int32_t range) { range_[size_t(axis)] = std::max(range, 0); }

void TJoystick::Initialize() {
  Finalize();
  if (!Enabled) return;
  // The pad itself is looked up on every read, so one plugged in or out
  // while the game runs is picked up at the next tick.
  Initialized = true;
}

void TJoystick::Update() {
  X = Y = Z = 0;
  Buttons.fill(0);
  States.Clear();
  if (!MayRead()) return;
  platform::JoystickReading r;
  if (!platform::Current().ReadJoystick(ID, r)) return;
  X = ScaleAxis(r.X, r.XMax, r.XMin, range_[0], deadZone_[0]);
  Y = ScaleAxis(r.Y, r.YMax, r.YMin, range_[1], deadZone_[1]);
  Z = ScaleAxis(r.Z, r.ZMax, r.ZMin, range_[2], deadZone_[2]);
  for (int i = 0; i < std::min(r.ButtonCount, 32); ++i)
    if (r.Buttons & (1u << i)) Buttons[size_t(i)] = 128;
  for (int i = 0; i < 32; ++i)
    if (Buttons[size_t(i)] & 0x80) States.Add(isButton1 + i);
  if (X < 0) States.Add(isLeft);
  if (X > 0) States.Add(isRight);
  if (Y < 0) States.Add(isUp);
  if (Y > 0) States.Add(isDown);
}

void TMouse::Initialize() { Finalize(); }
void TMouse::Update() { States.Clear(); }

// ---- the component

TDXInput::TDXInput(TDXForm* owner) : Joystick(this), Keyboard(this), Mouse(this), form_(owner) {
  if (!form_) throw EDXInputError("Form not found");
}

void TDXInput::Initialize() {
  for (TCustomInput* d : {static_cast<TCustomInput*>(&Joystick), static_cast<TCustomInput*>(&Keyboard),
                          static_cast<TCustomInput*>(&Mouse)}) {
    d->Finalize();
    d->Initialize();
  }
  Update();
}

void TDXInput::Update() {
  TDXInputStates now;
  for (TCustomInput* d : {static_cast<TCustomInput*>(&Joystick), static_cast<TCustomInput*>(&Keyboard),
                          static_cast<TCustomInput*>(&Mouse)}) {
    d->Update();
    if (d->BindInputStates) now = now + d->States;
  }
  for (int s = 0; s < kInputStateCount; ++s) {
    if (now.Has(s) && !OldStates.Has(s)) States.Add(s);
    if (!now.Has(s) && OldStates.Has(s)) States.Remove(s);
  }
  OldStates = now;
}

}  // namespace fusewick
