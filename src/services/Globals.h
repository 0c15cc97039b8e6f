#pragma once
// The shell's program-wide state: the current screen, the play state and
// its message window, what the play screen shows, and the input flags
// derived once per tick. It all lives in ShellState, so that
// `ShellState = {}` puts every value back to its start; the names below
// refer to its members. What only the menus use is the form's (TMenuState
// in form/Screens.h).
#include <array>
#include <cstdint>
#include <string>

#include "engine/Timer.h"
#include "services/Records.h"

namespace fusewick {

class TCaption;
class TCursorCaption;
class TBackground;

// The screen shown; the trace prints it as its number.
enum class TGameScreen : uint8_t { NoScreen = 0, Game = 1, MainMenu = 2, Options = 3, HighScoreScreen = 4, Help = 5 };
using enum TGameScreen;

// The play state of a game: Running, or the message window that is open.
// The trace prints it as its number.
enum class TPlayState : uint8_t {
  Running = 0,
  LevelIntro = 1,
  Paused = 2,
  QuitConfirm = 3,
  LevelComplete = 4,
  GameLost = 5,
  NameEntry = 6,
  SubmitPrompt = 7,
};
using enum TPlayState;

// Input flags, derived once per tick from the tick's input
// (DeriveInputFlags, services/TickInput.h).
struct TInputFlags {
  bool UpHeld = false, LeftHeld = false, RightHeld = false;
  bool FirePressed = false, PausePressed = false, EscapePressed = false;
  bool FireWasHeld = false, PauseWasHeld = false, EscapeWasHeld = false;
  // The keyboard's Ctrl pair as it was when the game started, a recording's
  // start values (the form sets them); play takes the press from the tick's
  // input.
  bool CtrlPressed = false, CtrlDown = false;
  uint8_t UpGesture = 0;  // 0 nothing, 1 tapped, 2 held past 100 ms
  bool UpWasHeld = false;
  bool UpGestureArmed = true;
  int32_t UpHoldTime = 0;  // ms
};

struct TShellState {
  TGameScreen GameScreen = NoScreen;
  TPlayState PlayState = Running;
  bool PlayfieldActive = false;
  TCaption* MessageWindow = nullptr;
  int32_t WindowTimer = 0;  // ms left for LevelIntro, LevelComplete, GameLost

  // The four option fields live in GameOptions (services/Records.h):
  // GameOptions.FullScreen, .MusicOn, .SoundOn, .AddText.

  TCursorCaption* TextCursor = nullptr;
  TBackground* Background = nullptr;
  int32_t Lives = 0;
  std::string PlayerName;
  TCaption* LeftPanel = nullptr;
  TCaption* RightPanel = nullptr;
  int32_t LeftPanelY = 0;
  bool SubmitConfirmed = false;
  double FrameRate = 1000.0 / kTimerInterval;

  TInputFlags Input;
};
extern TShellState ShellState;

inline auto& GameScreen = ShellState.GameScreen;
inline auto& PlayState = ShellState.PlayState;
inline auto& PlayfieldActive = ShellState.PlayfieldActive;
inline auto& MessageWindow = ShellState.MessageWindow;
inline auto& WindowTimer = ShellState.WindowTimer;
inline auto& TextCursor = ShellState.TextCursor;
inline auto& Background = ShellState.Background;
inline auto& Lives = ShellState.Lives;
inline auto& PlayerName = ShellState.PlayerName;
inline auto& LeftPanel = ShellState.LeftPanel;
inline auto& RightPanel = ShellState.RightPanel;
inline auto& LeftPanelY = ShellState.LeftPanelY;
inline auto& SubmitConfirmed = ShellState.SubmitConfirmed;
inline auto& FrameRate = ShellState.FrameRate;

inline auto& UpHeld = ShellState.Input.UpHeld;
inline auto& LeftHeld = ShellState.Input.LeftHeld;
inline auto& RightHeld = ShellState.Input.RightHeld;
inline auto& FirePressed = ShellState.Input.FirePressed;
inline auto& PausePressed = ShellState.Input.PausePressed;
inline auto& EscapePressed = ShellState.Input.EscapePressed;
inline auto& FireWasHeld = ShellState.Input.FireWasHeld;
inline auto& PauseWasHeld = ShellState.Input.PauseWasHeld;
inline auto& EscapeWasHeld = ShellState.Input.EscapeWasHeld;
inline auto& UpGesture = ShellState.Input.UpGesture;
inline auto& UpWasHeld = ShellState.Input.UpWasHeld;
inline auto& UpGestureArmed = ShellState.Input.UpGestureArmed;
inline auto& UpHoldTime = ShellState.Input.UpHoldTime;

// Puts every shell global back to its start-up value (tests start clean).
inline void ResetShellGlobals() { ShellState = {}; }

}  // namespace fusewick
