#pragma once
// Abstract input states fed by the keyboard and the joystick: Up, Down,
// Left, Right and 32 buttons, refreshed once per frame tick.
#include <array>
#include <cstddef>
#include <cstdint>

namespace fusewick {

class TDXForm;
class TDXInput;

enum TDXInputState : uint8_t {
  isUp,
  isDown,
  isLeft,
  isRight,
  isButton1,
  isButton2,
  isButton3,
  isButton4,
  isButton5,
  isButton6,
  isButton7,
  isButton8,
  isButton9,
  isButton10,
  isButton11,
  isButton12,
  isButton13,
  isButton14,
  isButton15,
  isButton16,
  isButton17,
  isButton18,
  isButton19,
  isButton20,
  isButton21,
  isButton22,
  isButton23,
  isButton24,
  isButton25,
  isButton26,
  isButton27,
  isButton28,
  isButton29,
  isButton30,
  isButton31,
  isButton32,
};
constexpr int kInputStateCount = 36;

// A set of input states (40 bits; 36 .. 39 never set).
class TDXInputStates {
 public:
  constexpr bool Has(int s) const { return (bits_ >> s) & 1u; }
  constexpr void Add(int s) { bits_ |= uint64_t(1) << s; }
  constexpr void Remove(int s) { bits_ &= ~(uint64_t(1) << s); }
  constexpr void Clear() { bits_ = 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TDXInputStates operator+(TDXInputStates o) const { return TDXInputStates(bits_ | o.bits_); }
  friend constexpr bool operator==(TDXInputStates, TDXInputStates) = default;
  constexpr TDXInputStates() = default;
  // The set as bits (state s is bit s), for recorded games.
  constexpr uint64_t Bits() const { return bits_; }
  static constexpr TDXInputStates FromBits(uint64_t b) { return TDXInputStates(b); }

 private:
  constexpr explicit TDXInputStates(uint64_t b) : bits_(b) {}
  uint64_t bits_ = 0;
};

class TCustomInput {
 public:
  explicit TCustomInput(TDXInput* owner) : owner_(owner) {}
  virtual ~TCustomInput() = default;
  virtual void Finalize();
  virtual void Initialize() = 0;
  virtual void Update() = 0;

  bool BindInputStates = true;
  bool Enabled = true;
  bool Initialized = false;
  TDXInputStates States;

 protected:
  // True when the device may read: initialized, and the window is in front
  // unless the component reads in the background.
  bool MayRead() const;
  TDXInput* owner_;
};

class TKeyboard : public TCustomInput {
 public:
  explicit TKeyboard(TDXInput* owner) : TCustomInput(owner) {}
  void Initialize() override;
  void Update() override;

  std::array<uint8_t, 256> KeyStates{};                 // by virtual-key code, bit 7 = down
  std::array<int32_t, kInputStateCount * 3> Assigns{};  // state s: keys s*3 .. s*3+2, 0 = none
};

class TJoystick : public TCustomInput {
 public:
  explicit TJoystick(TDXInput* owner) : TCustomInput(owner) {}
  void Initialize() override;
  void Update() override;

  void SetDeadZone(int axis, int32_t percent);  // 0 X, 1 Y, 2 Z; clamped 0..100
  void SetRange(int axis, int32_t range);       // clamped >= 0
  int32_t DeadZone(int axis) const { return deadZone_[size_t(axis)]; }
  int32_t Range(int axis) const { return range_[size_t(axis)]; }

  int32_t ID = 0;
  // The last reading: scaled axes and button bytes (bit 7 = pressed).
  int32_t X = 0, Y = 0, Z = 0;
  std::array<uint8_t, 128> Buttons{};

 private:
  std::array<int32_t, 3> deadZone_{50, 50, 50};
  std::array<int32_t, 3> range_{1000, 1000, 1000};
};

// The mouse exists but is disabled and unbound: it contributes nothing.
class TMouse : public TCustomInput {
 public:
  explicit TMouse(TDXInput* owner) : TCustomInput(owner) {
    Enabled = false;
    BindInputStates = false;
  }
  void Initialize() override;
  void Update() override;
};

// The multimedia joystick's axis scaling: dead zone in percent, result in
// -range .. range.
int32_t ScaleAxis(int32_t pos, int32_t max, int32_t min, int32_t range, int32_t deadZone);

class TDXInput {
 public:
  // Raises EDXInputError "Form not found" without an owning form.
  explicit TDXInput(TDXForm* owner);

  // Polls every device and refreshes States where the devices' union changed.
  void Update();
  // Finalizes and initializes every device, then updates once.
  void Initialize();

  bool ActiveOnly = true;
  TJoystick Joystick;
  TKeyboard Keyboard;
  TMouse Mouse;
  TDXInputStates States;
  TDXInputStates OldStates;

 private:
  TDXForm* form_;
};

}  // namespace fusewick
