#include "shell/Globals.h"

#include "engine/Timer.h"
#include "shell/Sound.h"

namespace fusewick {

TGameScreen GameScreen = NoScreen;
TPlayState PlayState = Running;
bool PlayfieldActive = false;
TCaption* MessageWindow = nullptr;
int32_t WindowTimer = 0;
std::array<TMenuButton*, 7> MenuButtons{};
int32_t MenuButtonCount = 0;
int32_t MenuSelection = 0;
bool MouseMoved = false;
int32_t MouseX = 0, MouseY = 0;
TCursorCaption* TextCursor = nullptr;
TCaption* MenuPointer = nullptr;
TCaption* OptionsCaption = nullptr;
TCaption* HighScoreCaption = nullptr;
TCaption* HelpCaption = nullptr;
int32_t HelpPage = 1;
TBackground* Background = nullptr;
int32_t Lives = 0;
std::string PlayerName;
TCaption* LeftPanel = nullptr;
TCaption* RightPanel = nullptr;
int32_t LeftPanelY = 0;
bool SubmitConfirmed = false;
bool MenuModeActive = false;
double FrameRate = 1000.0 / kTimerInterval;

bool UpHeld = false, LeftHeld = false, RightHeld = false;
bool FirePressed = false, PausePressed = false, EscapePressed = false;
bool FireWasHeld = false, PauseWasHeld = false, EscapeWasHeld = false;
bool CtrlPressed = false, CtrlDown = false;
uint8_t UpGesture = 0;
bool UpWasHeld = false;
bool UpGestureArmed = true;
int32_t UpHoldTime = 0;

void ResetShellGlobals() {
  GameScreen = NoScreen;
  PlayState = Running;
  PlayfieldActive = false;
  MessageWindow = nullptr;
  WindowTimer = 0;
  MenuButtons = {};
  MenuButtonCount = 0;
  MenuSelection = 0;
  MouseMoved = false;
  MouseX = MouseY = 0;
  TextCursor = nullptr;
  MenuPointer = OptionsCaption = HighScoreCaption = HelpCaption = nullptr;
  HelpPage = 1;
  Background = nullptr;
  Lives = 0;
  PlayerName.clear();
  LeftPanel = RightPanel = nullptr;
  LeftPanelY = 0;
  SubmitConfirmed = false;
  MenuModeActive = false;
  FrameRate = 1000.0 / kTimerInterval;
  UpHeld = LeftHeld = RightHeld = false;
  FirePressed = PausePressed = EscapePressed = false;
  FireWasHeld = PauseWasHeld = EscapeWasHeld = false;
  CtrlPressed = CtrlDown = false;
  UpGesture = 0;
  UpWasHeld = false;
  UpGestureArmed = true;
  UpHoldTime = 0;
  PlaySoundObserver = nullptr;
}

}  // namespace fusewick
