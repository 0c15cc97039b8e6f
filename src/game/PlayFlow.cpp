#include "game/PlayFlow.h"

#include "engine/Input.h"
#include "game/GameGlobals.h"
#include "persist/Online.h"
#include "persist/SaveFiles.h"
#include "shell/Captions.h"
#include "shell/Globals.h"
#include "shell/MainForm.h"
#include "shell/Screens.h"
#include "shell/Text.h"

namespace fusewick {

void ResetGameState() {
  Level = 0;
  Score = 0;
  Lives = 3;
  PlayState = Running;
  PlayfieldActive = true;
}

// The level, the hero and the panels come with the gameplay.
void BuildGameScreen() {
  LeftPanelY = -55;
  StartLevel(1);
}
void TearDownGameScreen() {}

void StartLevel(int32_t level) {
  Level = level;
  OpenMessageWindow(LevelIntro);
}

static bool KeyHeld(int state) { return MForm->MDXInput.States.Has(state); }

static void LeaveGame() {
  EndGame();
  MForm->MDXSpriteEngine.FreeKilled();
  ShowHighScores();
}

void UpdatePlayState() {
  const int32_t interval = MForm->MDXTimer.Interval();
  auto countDown = [&] {
    if (WindowTimer > 0) {
      WindowTimer -= interval;
      return false;
    }
    CloseMessageWindow();
    return true;
  };
  switch (PlayState) {
    case LevelIntro: countDown(); break;
    case Paused:
      if (PausePressed) CloseMessageWindow();
      break;
    case QuitConfirm:
      if (KeyHeld(isButton4)) {
        CloseMessageWindow();
        if (ScoreQualifies()) OpenMessageWindow(NameEntry);
        else LeaveGame();
      } else if (KeyHeld(isButton5) || EscapePressed) {
        CloseMessageWindow();
      }
      break;
    case LevelComplete:
      if (countDown()) StartLevel(Level + 1);
      break;
    case GameLost:
      if (countDown()) {
        if (ScoreQualifies()) OpenMessageWindow(NameEntry);
        else LeaveGame();
      }
      break;
    case SubmitPrompt:
      if (KeyHeld(isButton4)) SubmitConfirmed = true;
      if (KeyHeld(isButton5) || EscapePressed) {
        CloseMessageWindow();
        LeaveGame();
      }
      break;
    default: break;
  }
}

void GameFrame(int32_t lagCount) {
  TMForm& f = *MForm;
  if (LeftPanelY < 0) ++LeftPanelY;
  if (PlayState != Running) {
    UpdatePlayState();
    if (GameScreen != Game) return;
  } else {
    if (PausePressed) OpenMessageWindow(Paused);
    if (EscapePressed) OpenMessageWindow(QuitConfirm);
  }
  f.MDXDraw.Surface()->Fill(0);
  f.MDXSpriteEngine.FreeKilled();
  if (PlayfieldActive) f.MDXSpriteEngine.Move(lagCount);
  // While the world stands still for name entry the cursor still blinks.
  if (PlayState == NameEntry && TextCursor) TextCursor->Move(lagCount);
  f.MDXSpriteEngine.Draw();
  DrawHud();
  if (PlayState == NameEntry) {
    DrawNamePrompt();
    PlaceNameCursor();
  }
  if (PlayState == SubmitPrompt) DrawSubmitPrompt(SubmitConfirmed);
  if (PlayState == SubmitPrompt && SubmitConfirmed) {
    SubmitConfirmed = false;
    f.MDXDraw.Surface()->ReleaseCanvas();
    f.MDXDraw.Flip();
    SubmitScore();  // blocks until both requests are done
    CloseMessageWindow();
    LeaveGame();
    return;
  }
  f.MDXDraw.Surface()->ReleaseCanvas();
  f.MDXDraw.Flip();
}

}  // namespace fusewick
