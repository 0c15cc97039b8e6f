#pragma once
// One tick's input: all that comes from outside to steer one tick of the
// game or of the menus. The form builds it once a tick, from the devices or
// from the recording played back; the recorder writes exactly it; the
// frames take it and read nothing else.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/Input.h"
#include "engine/Timer.h"

namespace fusewick {

// Characters one tick carries at most (as many as a recorded tick holds);
// more typed within one tick are dropped.
constexpr size_t kMaxTickChars = 1024;

struct TTickInput {
  int32_t LagCount = 1;                        // timer intervals that passed
  double FrameRate = 1000.0 / kTimerInterval;  // ticks a second, as measured
  TDXInputStates States;                       // the input states held
  bool CtrlPressed = false;                    // a fresh Ctrl press, not used yet
  bool CloseRequested = false;                 // the window's close button, during play
  uint32_t CharCount = 0;                      // typed since the last tick, for the open text input
  std::array<char, kMaxTickChars> Chars{};

  std::string_view Typed() const { return {Chars.data(), CharCount}; }
  // False (and nothing added) when the tick is full.
  bool AddChar(char c) {
    if (CharCount >= Chars.size()) return false;
    Chars[CharCount++] = c;
    return true;
  }
  // What happened between the ticks is taken: the next tick starts empty.
  void ClearBetweenTicks() {
    CharCount = 0;
    CloseRequested = false;
  }
};

// The tick's derived flags (ShellState.Input): held, pressed edges and the
// Up gesture, from the input states, once a tick.
void DeriveInputFlags(const TTickInput& in);

}  // namespace fusewick
