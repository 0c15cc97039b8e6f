#pragma once
// The shell's program-wide state: the current screen, the play state, the
// options and menu state, and the input flags derived once per tick.
#include <array>
#include <cstdint>
#include <string>

#include "persist/Records.h"

namespace fusewick {

class TCaption;
class TCursorCaption;
class TMenuButton;
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

extern TGameScreen GameScreen;
extern TPlayState PlayState;
extern bool PlayfieldActive;
extern TCaption* MessageWindow;
extern int32_t WindowTimer;  // ms left for LevelIntro, LevelComplete, GameLost

// The four option fields live in GameOptions (persist/Records.h):
// GameOptions.FullScreen, .MusicOn, .SoundOn, .AddText.

extern std::array<TMenuButton*, 7> MenuButtons;  // 1..6
extern int32_t MenuButtonCount;
extern int32_t MenuSelection;
extern bool MouseMoved;
extern int32_t MouseX, MouseY;
extern TCursorCaption* TextCursor;
extern TCaption* MenuPointer;
extern TCaption* OptionsCaption;
extern TCaption* HighScoreCaption;
extern TCaption* HelpCaption;
extern int32_t HelpPage;
extern TBackground* Background;
extern int32_t Lives;
extern std::string PlayerName;
extern TCaption* LeftPanel;
extern TCaption* RightPanel;
extern int32_t LeftPanelY;
extern bool SubmitConfirmed;
extern bool MenuModeActive;
extern double FrameRate;

// Input flags, computed once per tick (the Ctrl pair by the key handlers).
extern bool UpHeld, LeftHeld, RightHeld;
extern bool FirePressed, PausePressed, EscapePressed;
extern bool FireWasHeld, PauseWasHeld, EscapeWasHeld;
extern bool CtrlPressed, CtrlDown;
extern uint8_t UpGesture;  // 0 nothing, 1 tapped, 2 held past 100 ms
extern bool UpWasHeld;
extern bool UpGestureArmed;
extern int32_t UpHoldTime;  // ms

// Puts every shell global back to its start-up value (tests start clean).
void ResetShellGlobals();

}  // namespace fusewick
