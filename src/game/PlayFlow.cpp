#include "game/PlayFlow.h"

#include <string>

#include "engine/ImageList.h"
#include "engine/Random.h"
#include "game/Hud.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Scenery.h"
#include "services/Captions.h"
#include "services/FormComponents.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Online.h"
#include "services/Recording.h"
#include "services/SaveFiles.h"
#include "services/Text.h"
#include "services/TickInput.h"

namespace fusewick {

void ResetGameState() {
  FreeAllSlots();
  ComputeRowY();
  Level = 0;
  Score = 0;
  Lives = 3;
  ActiveBonus = NoBonus;
  PlayState = Running;
  PlayfieldActive = true;
}

void ResetGameGlobals() {
  GameState = {};
  LevelState = {};
  PlayerGlobals = {};
  ResetGameImages();
}

void BuildGameScreen() {
  ReserveSpriteMemory();
  // Random(1) is always 0, but it is drawn all the same.
  Background = new TBackground("Background" + std::to_string(1 + Random(1)), 2);
  LeftPanelY = -55;
  LeftPanel = new TCaption("LeftPanel", 34, LeftPanelY);
  RightPanel = new TCaption("RightPanel", 588, 0);
  Player = new TPlayer("PlayerLeft");
  BonusPanel = new TCaption("None", 700, 20);
  BonusPanel->SetZ(kZFront);
  FieldLeft = kFieldLeft;
  FieldRight = kFieldRight;
  FieldTop = kFieldTop;
  FieldBottom = kFieldBottom;
  CreateGroundTiles();
  StartLevel(1);
}

void TearDownGameScreen() {
  // Every way out of a game has closed its window; a window still open is
  // closed here so that its picture does not stay behind.
  if (PlayState != Running) CloseMessageWindow();
  if (Player) {
    Player->DropBonus();
    Player->JumpFlame->Kill();
    Player->Kill();
  }
  // The freeze caption is the hero's too: it goes with the hero.
  if (FreezeCaption) FreezeCaption->Kill();
  for (TSprite* s : {static_cast<TSprite*>(Background), static_cast<TSprite*>(LeftPanel),
                     static_cast<TSprite*>(RightPanel), static_cast<TSprite*>(BonusPanel)})
    if (s) s->Kill();
  ClearLevel();
  RemoveGroundTiles();
  // Nothing that is about to be freed stays reachable.
  Player = nullptr;
  FreezeCaption = EnergyCaption = nullptr;
  Background = nullptr;
  LeftPanel = RightPanel = BonusPanel = nullptr;
  MessageWindow = nullptr;
  TextCursor = nullptr;
}

void (*ShowScreenAfterGame)() = nullptr;

void EndGame() {
  NoteGameEnded(Score, Level);
  GameScreen = NoScreen;
  TearDownGameScreen();
  MForm->MDXSpriteEngine.FreeKilled();
}

namespace {
// Right limit of the pen for taking another letter into the name (less the
// cursor).
constexpr int32_t kNameTextLimit = 504;

void LeaveGame() {
  EndGame();
  MForm->MDXSpriteEngine.FreeKilled();
  if (ShowScreenAfterGame) ShowScreenAfterGame();
}

// The open window's countdown: false while it runs, true (and the window
// closed) on the first tick that finds it run out.
bool WindowTimeUp() {
  if (WindowTimer > 0) {
    WindowTimer -= Interval();
    return false;
  }
  CloseMessageWindow();
  return true;
}

}  // namespace

void NameEntryKey(char key) {
  if (key == kEnter) {
    // An empty name is taken as it is.
    CloseMessageWindow();
    // A recording played back leaves the player's table as it is.
    if (!PlayingBack()) {
      HighScores[11] = {PlayerName, Score};
      SortHighScores();
      SaveTableNow("Your score");  // on disk at once: a crash or a kill keeps it
      NoteScoreEnteredTable();
    }
    OpenMessageWindow(SubmitPrompt);
  } else if (key == kBackspace) {
    PlayerName = DeleteLastChar(PlayerName);
  } else if (PlayerName.size() >= kMaxNameBytes) {
    // full: nothing more is taken, not even a space
  } else if (const char letter = UpperLetter(key);
             letter && (PlayerName.empty() || (TextCursor && NameTextEnd() < kNameTextLimit - TextCursor->Width))) {
    PlayerName += letter;
  } else if (key == ' ') {
    PlayerName += ' ';
  }
}

void UpdatePlayState(const TTickInput& in) {
  auto held = [&](TDXInputState s) { return in.States.Has(s); };
  switch (PlayState) {
    case LevelIntro: WindowTimeUp(); break;
    case Paused:
      if (PausePressed) CloseMessageWindow();
      break;
    case QuitConfirm:
      if (held(isButton4)) {
        CloseMessageWindow();
        if (RecordedScoreQualifies(Score))
          OpenMessageWindow(NameEntry);
        else
          LeaveGame();
      } else if (held(isButton5) || EscapePressed) {
        CloseMessageWindow();
      }
      break;
    case LevelComplete:
      if (WindowTimeUp()) {
        NoteLevelEnd(Level, Score);
        StartLevel(Level + 1);
      }
      break;
    case GameLost:
      if (WindowTimeUp()) {
        if (RecordedScoreQualifies(Score))
          OpenMessageWindow(NameEntry);
        else
          LeaveGame();
      }
      break;
    case SubmitPrompt:
      if (held(isButton4)) SubmitConfirmed = true;
      if (held(isButton5) || EscapePressed) {
        CloseMessageWindow();
        LeaveGame();
      }
      break;
    default: break;  // name entry is driven by the typed characters
  }
}

bool GameFrame(const TTickInput& in) {
  TFormComponents& f = *MForm;
  // What came between the ticks: the name entry takes the typed characters
  // while it is open (an Enter closes it), a running game opens the quit
  // window on a close request.
  for (const char c : in.Typed())
    if (PlayState == NameEntry) NameEntryKey(c);
  if (in.CloseRequested && PlayState == Running) OpenMessageWindow(QuitConfirm);

  if (LeftPanelY < 0) {
    ++LeftPanelY;
    if (LeftPanel) LeftPanel->Y = LeftPanelY;
  }

  if (PlayState != Running) {
    UpdatePlayState(in);
    if (GameScreen != Game) return false;
  } else {
    // Escape wins over P in the same tick: opening a window closes the other.
    if (PausePressed) {
      Player->Visible = true;
      OpenMessageWindow(Paused);
    }
    if (EscapePressed) {
      Player->Visible = true;
      OpenMessageWindow(QuitConfirm);
    }
  }

  bool ctrlUsed = false;
  if (PlayfieldActive && (Player->State == Spawning || Player->State == Playing)) {
    UpdateSpawns();
    // The level is complete once no bomb is left, but not while a jump puff
    // still shows, nor after the last life.
    if (CountBombsLeft() == 0 && GameScreen == Game && !Player->GameOver && !Player->JumpFlame->Visible) {
      Player->DropBonus();
      OpenMessageWindow(LevelComplete);
    }
    Player->ControlStep(in.CtrlPressed);
    ctrlUsed = true;
  }

  TDirectDrawSurface* surface = f.MDXDraw.Surface();
  surface->Fill(0);
  f.MDXSpriteEngine.FreeKilled();
  if (PlayfieldActive) f.MDXSpriteEngine.Move(in.LagCount);
  if (PlayState == NameEntry && TextCursor) TextCursor->Step(in.LagCount);
  f.MDXSpriteEngine.Draw();
  DrawHud();

  if (PlayState == NameEntry) {
    DrawNamePrompt();
    PlaceNameCursor();
  }
  if (PlayState == SubmitPrompt) {
    DrawSubmitPrompt(SubmitConfirmed);
    if (SubmitConfirmed) {
      SubmitConfirmed = false;
      // "PLEASE WAIT" shows while the submission blocks.
      surface->ReleaseCanvas();
      f.MDXDraw.Flip();
      // The recording ends here and goes with the score; a recording played
      // back submits nothing.
      const std::string& recording = NoteSubmission(PlayerName, Score, Level);
      if (!PlayingBack()) SubmitScore(PlayerName, Score, GameOptions.AddText, recording);
      CloseMessageWindow();
      LeaveGame();
      return ctrlUsed;
    }
  }
  surface->ReleaseCanvas();
  f.MDXDraw.Flip();
  return ctrlUsed;
}

}  // namespace fusewick
