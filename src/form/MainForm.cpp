#include "form/MainForm.h"

#include <exception>
#include <filesystem>
#include <string>

#include "engine/Errors.h"
#include "engine/Random.h"
#include "form/Screens.h"
#include "game/Level.h"
#include "game/PlayFlow.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Online.h"
#include "services/Recording.h"
#include "services/Records.h"
#include "services/SaveFiles.h"
#include "services/Sound.h"
#include "services/TestSeams.h"
#include "services/Text.h"

namespace fusewick {

namespace {
// The keyboard table stored with the form: one key per input state.
void AssignKeys(TKeyboard& k) {
  k.Assigns.fill(0);
  const std::pair<int, int> keys[] = {
      {isUp, platform::VK_UP},
      {isDown, platform::VK_DOWN},
      {isLeft, platform::VK_LEFT},
      {isRight, platform::VK_RIGHT},
      {isButton1, platform::VK_SPACE},
      {isButton2, 'P'},
      {isButton3, platform::VK_ESCAPE},
      {isButton4, 'Y'},
      {isButton5, 'N'},
      {isButton10, 'D'},
  };
  for (auto [state, key] : keys) k.Assigns[size_t(state * 3)] = key;
}
}  // namespace

TMForm::TMForm() {
  MDXDraw.SetOptions({doCenter, doAllowReboot, doHardware, doWaitVBlank, doSelectDriver, doFlip, doDirectX7Mode});
  MDXImageList.SetDXDraw(&MDXDraw);
  MDXImageList2.SetDXDraw(&MDXDraw);
  MDXSpriteEngine.SetDXDraw(&MDXDraw);
  MDXWaveList.SetDXSound(&MDXSound);
  MDXSound.AutoInitialize = true;
  MDXSound.Loaded();  // a missing sound device leaves the game silent
  MDXInput.ActiveOnly = true;
  for (int axis = 0; axis < 3; ++axis) {
    MDXInput.Joystick.SetDeadZone(axis, 50);
    MDXInput.Joystick.SetRange(axis, 1000);
  }
  AssignKeys(MDXInput.Keyboard);
  MDXInput.Initialize();
  MDXTimer.SetInterval(kTimerInterval);
  MDXTimer.SetActiveOnly(true);
  MDXTimer.OnTimer = [this](int32_t lag) { MDXTimerTimer(lag); };
  MDXTimer.SetEnabled(true);
  MForm = this;
  ShowScreenAfterGame = ShowScreenAfterPlay;
}

TMForm::~TMForm() {
  if (MForm == this) MForm = nullptr;
  // The sprites go before the display and the image lists they draw with.
  MDXSpriteEngine.Engine()->Clear();
}

namespace {
// Loads one archive; its error, if any, stops the start-up with a message
// that names the file and says how to get it back.
template <typename Load>
void LoadArchive(const char* path, Load&& load) {
  try {
    // Only a plain file is read: a folder or a pipe in its place would be
    // taken for an endless file (or wait for a writer).
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
      throw EInOutError("Cannot read file \"" + std::string(path) + "\": it is not a plain file");
    load(path);
  } catch (const std::exception& e) {
    // Message boxes do not wrap lines: the text carries its own breaks.
    throw Exception(std::string(e.what()) + "\n\nThe game's data file " + path +
                    " could not be loaded.\nReinstalling the game (or building it again from its source)\n"
                    "restores it. Your high scores and options have not been touched.");
  }
}
}  // namespace

namespace {
// The images' names and sizes: the sprites' bounds, which play depends on.
uint64_t ImageFingerprint() {
  uint64_t h = kFingerprintStart;
  for (const TDXImageList* list : {&MForm->MDXImageList, &MForm->MDXImageList2}) {
    for (int i = 0; i < list->Items.Count(); ++i) {
      const TPictureCollectionItem* item = list->Items.Items(i);
      const std::string size = std::to_string(item->PatternWidth()) + 'x' + std::to_string(item->PatternHeight()) +
                               'x' + std::to_string(item->PatternCount()) + ';';
      h = MixFingerprint(MixFingerprint(h, item->Name()), size);
    }
  }
  return h;
}
}  // namespace

void LoadResources() {
  // Relative to the working directory; a missing or damaged archive stops
  // the start-up with its error, before the save files are read, so that
  // nothing is saved at exit either.
  LoadArchive("Data/Res/Images1.dxg", [](const char* p) { MForm->MDXImageList.Items.LoadFromFile(p); });
  LoadArchive("Data/Res/Images2.dxg", [](const char* p) { MForm->MDXImageList2.Items.LoadFromFile(p); });
  LoadArchive("Data/Res/Sounds.dxw", [](const char* p) { LoadSoundArchive(p); });
  SetImageFingerprint(ImageFingerprint());
}

void TMForm::FormCreate() {
  LoadResources();
  Randomize(platform::Current().TimeGetTime());
  LoadSaveFiles();  // the table, the options, and the table's check
  if (const std::string text = UnreadableSaveFilesText(); !text.empty())
    platform::Current().MessageBox(kApplicationTitle, text);
  ApplyDisplayMode();
  InitFontTables();
  ResetInputFlags();
  GameScreen = NoScreen;
  MDXSpriteEngine.Engine()->X = 0;
  MDXSpriteEngine.Engine()->Y = 0;
  PlayerName.clear();
  ShowMainMenu(TMainMenuButton::NewGame);
  if (!RecordingToPlay.empty()) PlayRecordingFile(RecordingToPlay);
}

// ---- recorded games

std::string RecordingToPlay;

void PlayRecordingFile(const std::string& path) {
  try {
    BeginPlayback(ReadRecordingFile(path));
  } catch (const ERecordingError& e) {
    platform::Current().MessageBox(kApplicationTitle,
                                   "The recording cannot be played back.\n\n" + std::string(e.what()));
    return;
  }
  StartRecordedGame();
}

void StartRecordedGame() {
  LeaveMainMenu();
  StartNewGame();
  // A game started at a later level built the levels before it at once.
  for (int32_t l = 2; l <= RecorderState.Current.Start.StartLevel; ++l) StartLevel(l);
}

void ShowScreenAfterPlay() {
  if (PlayingBack()) {
    EndPlayback();
    ShowMainMenu(TMainMenuButton::NewGame);
  } else {
    ShowHighScores();
  }
}

namespace {
// Ends the playback at once: the game goes, the main menu follows.
void StopPlayback() {
  EndGame();
  MForm->MDXSpriteEngine.FreeKilled();
  ShowScreenAfterPlay();
}

}  // namespace

// ---- the frame tick

// The watcher's P pauses and Escape stops a recording played back, read
// from the devices; else the recording's next tick is the tick's input.
bool TMForm::TakePlaybackInput(TTickInput& in) {
  const TDXInputStates watcher = MDXInput.States;
  TRecorderState& st = RecorderState;
  const bool pause = watcher.Has(isButton2) && !st.WatcherPauseHeld;
  const bool escape = watcher.Has(isButton3) && !st.WatcherEscapeHeld;
  st.WatcherPauseHeld = watcher.Has(isButton2);
  st.WatcherEscapeHeld = watcher.Has(isButton3);
  pending_.ClearBetweenTicks();  // the recording types and closes, not the watcher
  if (escape) {
    StopPlayback();
    return false;
  }
  if (pause) st.PlaybackPaused = !st.PlaybackPaused;
  if (st.PlaybackPaused) return false;
  if (!NextPlaybackTick(in)) {
    StopPlayback();
    return false;
  }
  return true;
}

void TMForm::TakeDeviceInput(TTickInput& in, int32_t lagCount) {
  // Characters typed for a text input that has gone meanwhile reach nothing.
  const bool forName = GameScreen == Game && PlayState == NameEntry;
  if (!forName && GameScreen != Options) pending_.CharCount = 0;
  in = pending_;
  in.LagCount = lagCount;
  in.FrameRate = MeasuredFrameRate();
  in.States = MDXInput.States;
  pending_.ClearBetweenTicks();
  enterTyped_ = false;
}

void ResetInputFlags() { ShellState.Input = {}; }

double MeasuredFrameRate() {
  if (FrameRateHeld > 0) return FrameRateHeld;
  const int32_t tps = MForm->MDXTimer.TicksPerSecond();
  return tps != 0 ? 1000.0 / double(tps) : 1000.0 / double(MForm->MDXTimer.Interval());
}

void UpdateFrameRate() { FrameRate = MeasuredFrameRate(); }

// The one place a tick's input is made: from the devices, or from the
// recording played back. The recorder writes it, the frames take it.
void TMForm::MDXTimerTimer(int32_t lagCount) {
  MDXInput.Update();
  TTickInput& in = tick_;
  const bool playback = GameScreen == Game && PlayingBack();
  if (playback) {
    if (!TakePlaybackInput(in)) return;
  } else {
    TakeDeviceInput(in, lagCount);
  }
  DeriveInputFlags(in);
  FrameRate = in.FrameRate;
  if (GameScreen == Game && RecordingGame()) RecordTick(in);
  switch (GameScreen) {
    case Game:
      // The game used the Ctrl press: it is no longer pending.
      if (GameFrame(in) && !playback) pending_.CtrlPressed = false;
      break;
    case MainMenu:
      MenuFrame(in);
      UpdateMenuPointer();
      break;
    case Options: OptionsFrame(in); break;
    case HighScoreScreen: HighScoreFrame(in); break;
    case Help: MenuFrame(in); break;
    default: break;  // nothing is drawn; the last frame stays on the display
  }
  NoteTypingOpen();
}

void TMForm::NoteTypingOpen() {
  const bool open = (GameScreen == Game && PlayState == NameEntry && !PlayingBack()) || TextEditActive();
  if (open && !typingOpen_) keysMuted_ = keysDown_;
  typingOpen_ = open;
}

// ---- keys and mouse

void TMForm::FormKeyDown(int& key, uint8_t shift) {
  using namespace platform;
  if (key == VK_CONTROL) {
    // Auto-repeat reports nothing new and clears an unused press.
    pending_.CtrlPressed = false;
    if (!ctrlDown_) {
      pending_.CtrlPressed = true;
      ctrlDown_ = true;
    }
  }
  if ((shift & ssAlt) && key == VK_RETURN) {
    GameOptions.FullScreen = !GameOptions.FullScreen;
    ApplyDisplayMode();
  }
  MouseMoved = false;
  if (key == VK_RETURN) MDXDrawClick();
  switch (GameScreen) {
    case MainMenu:
    case Options:
      if (key == VK_UP) SelectPrevious();
      if (key == VK_DOWN) SelectNext();
      break;
    case HighScoreScreen: {
      // Clear and the world page side by side, Back below them.
      using B = THighScoreButton;
      // Up from Back and Left from the world page both lead to Clear.
      if (key == VK_UP && MenuSelection == Button(B::Back))
        MenuSelection = Button(B::Clear);  // NOLINT(bugprone-branch-clone)
      else if (key == VK_DOWN && (MenuSelection == Button(B::Clear) || MenuSelection == Button(B::WorldPage)))
        MenuSelection = Button(B::Back);
      else if (key == VK_LEFT && MenuSelection == Button(B::WorldPage))
        MenuSelection = Button(B::Clear);
      else if (key == VK_RIGHT && MenuSelection == Button(B::Clear))
        MenuSelection = Button(B::WorldPage);
      break;
    }
    case Help: {
      // Previous and next side by side, Back below them.
      using B = THelpButton;
      if (key == VK_UP && MenuSelection == Button(B::Back))
        MenuSelection = Button(B::Previous);
      else if (key == VK_DOWN && (MenuSelection == Button(B::Previous) || MenuSelection == Button(B::Next)))
        MenuSelection = Button(B::Back);
      else if (key == VK_LEFT) {
        if (MenuSelection == Button(B::Previous))
          MDXDrawClick();
        else
          SelectPrevious();
      } else if (key == VK_RIGHT) {
        if (MenuSelection == Button(B::Next))
          MDXDrawClick();
        else
          SelectNext();
      }
      break;
    }
    default: break;
  }
  // Any key stops the editing of the Options text row unless its button is
  // selected.
  if (GameScreen == Options && TextEditActive() && MenuSelection != Button(TOptionsButton::EditText)) StopTextEdit();
}

void TMForm::FormKeyUp(int& key, uint8_t) {
  if (key == platform::VK_CONTROL) {
    pending_.CtrlPressed = false;
    ctrlDown_ = false;
  }
}

// Characters go to the open text input with the next tick: the name entry
// (an Enter ends what it takes until then) or the Options text row.
void TMForm::FormKeyPress(char& key) {
  if (GameScreen == Game && PlayState == NameEntry) {
    if (PlayingBack() || enterTyped_) return;  // the recording types
    if (pending_.AddChar(key) && key == kEnter) enterTyped_ = true;
  } else if (GameScreen == Options && TextEditActive()) {
    pending_.AddChar(key);
  }
}

void TMForm::MDXDrawMouseMove(uint8_t, int32_t x, int32_t y) {
  MouseX = x;
  MouseY = y;
  MouseMoved = true;
}

void TMForm::MDXDrawClick() {
  PlaySound(effect::ButtonPressed);
  const int32_t sel = MenuSelection;
  switch (GameScreen) {
    case MainMenu:
      switch (TMainMenuButton(sel)) {
        case TMainMenuButton::NewGame:
          LeaveMainMenu();
          StartNewGame();
          break;
        case TMainMenuButton::Options:
          LeaveMainMenu();
          ShowOptions();
          break;
        case TMainMenuButton::HighScores:
          LeaveMainMenu();
          ShowHighScores();
          break;
        case TMainMenuButton::Help:
          LeaveMainMenu();
          ShowHelp();
          break;
        case TMainMenuButton::WebSite: OpenUrl(HomePageUrl()); break;
        case TMainMenuButton::Exit:
          LeaveMainMenu();
          QuitProgram();
          break;
        default: break;
      }
      break;
    case Options:
      switch (TOptionsButton(sel)) {
        case TOptionsButton::DisplayMode:
          GameOptions.FullScreen = !GameOptions.FullScreen;
          ApplyDisplayMode();
          break;
        case TOptionsButton::Music:
          GameOptions.MusicOn = !GameOptions.MusicOn;
          if (GameOptions.MusicOn)
            PlayScreenMusic();
          else
            StopMusic();
          break;
        case TOptionsButton::Sound: GameOptions.SoundOn = !GameOptions.SoundOn; break;
        case TOptionsButton::EditText:
          if (TextEditActive())
            StopTextEdit();
          else
            StartTextEdit();
          break;
        case TOptionsButton::Back:
          LeaveOptions();
          ShowMainMenu(TMainMenuButton::Options);
          break;
        default: break;
      }
      break;
    case HighScoreScreen:
      switch (THighScoreButton(sel)) {
        case THighScoreButton::Clear:
          ResetHighScores();
          SaveTableNow("The cleared high-score table");
          break;
        case THighScoreButton::WorldPage: OpenUrl(WorldHighScoresUrl()); break;
        case THighScoreButton::Back:
          LeaveHighScores();
          ShowMainMenu(TMainMenuButton::HighScores);
          break;
        default: break;
      }
      break;
    case Help:
      switch (THelpButton(sel)) {
        case THelpButton::Previous:
          HelpPage = HelpPage == 1 ? 3 : HelpPage - 1;
          ShowHelpPage();
          break;
        case THelpButton::Next:
          HelpPage = HelpPage == 3 ? 1 : HelpPage + 1;
          ShowHelpPage();
          break;
        case THelpButton::Back:
          LeaveHelp();
          ShowMainMenu(TMainMenuButton::Help);
          break;
        default: break;
      }
      break;
    default: break;
  }
}

// ---- window requests

void TMForm::FormCloseQuery(bool& canClose) {
  canClose = false;
  if (GameScreen == Game && PlayingBack()) {
    StopPlayback();
    QuitProgram();
    return;
  }
  if (GameScreen == Game) {
    // The quit window opens with the next tick.
    if (PlayState == Running) pending_.CloseRequested = true;
    return;
  }
  QuitProgram();
}

void TMForm::FormSysCommand(uint32_t command) {
  if (command == platform::SC_MAXIMIZE) {
    GameOptions.FullScreen = !GameOptions.FullScreen;
    ApplyDisplayMode();
    return;
  }
  DefaultSysCommand(command);
}

void EnterWindowedMode() {
  TFormComponents& f = *MForm;
  f.MDXDraw.Finalize();
  f.RestoreWindowPlacement();
  f.SetBorderStyle(bsSingle);
  f.CenterOnScreen();
  TDXDrawOptions o = f.MDXDraw.Options();
  o.Remove(doFullScreen);
  f.MDXDraw.SetOptions(o);
  f.MDXDraw.Initialize();
}

void EnterFullScreenMode() {
  TFormComponents& f = *MForm;
  f.MDXDraw.Finalize();
  f.SaveWindowPlacement();
  f.SetBorderStyle(bsNone);
  TDXDrawOptions o = f.MDXDraw.Options();
  o.Add(doFullScreen);
  f.MDXDraw.SetOptions(o);
  f.MDXDraw.Initialize();
}

void ApplyDisplayMode() {
  if (GameOptions.FullScreen)
    EnterFullScreenMode();
  else
    EnterWindowedMode();
}

void ShowMouseCursor() {
  // One call always leaves the cursor visible, whatever the counter was.
  while (platform::Current().ShowCursor(true) < 1) {
  }
}

void HideMouseCursor() {
  while (platform::Current().ShowCursor(false) >= 0) {
  }
}

void StartNewGame() {
  SubmitConfirmed = false;
  MenuModeActive = false;
  HideMouseCursor();
  GameScreen = Game;
  PlayScreenMusic();
  MenuButtonCount = 0;
  ResetGameState();
  UpdateFrameRate();
  // The Ctrl pair as the game starts, kept with its recording.
  const auto& form = static_cast<const TMForm&>(*MForm);
  ShellState.Input.CtrlPressed = form.PendingInput().CtrlPressed;
  ShellState.Input.CtrlDown = form.CtrlDown();
  BeginGameRecording();  // or, for a recording played back, what it started from
  BuildGameScreen();
}

void QuitProgram() {
  SaveSaveFiles();
  OpenPlayLink();
  platform::Current().RequestExit(0);
}

void TerminateProgram() {
  SaveSaveFilesQuietly();
  platform::Current().RequestExit(0);
}

// ---- events

void TMForm::HandleEvent(const platform::Event& e) {
  using platform::EventType;
  NoteTypingOpen();  // a handler or a tick may have opened a text input since
  switch (e.Type) {
    case EventType::KeyDown: {
      int key = e.Key;
      if (key > 0 && size_t(key) < keysDown_.size()) keysDown_.set(size_t(key));
      FormKeyDown(key, e.Shift);
      break;
    }
    case EventType::KeyUp: {
      int key = e.Key;
      if (key > 0 && size_t(key) < keysDown_.size()) {
        keysDown_.reset(size_t(key));
        keysMuted_.reset(size_t(key));
      }
      FormKeyUp(key, e.Shift);
      break;
    }
    case EventType::Char: {
      // A key held since a text input opened types nothing until let go.
      if (e.Key > 0 && size_t(e.Key) < keysMuted_.size() && keysMuted_.test(size_t(e.Key))) break;
      char c = char(e.Char);
      FormKeyPress(c);
      break;
    }
    case EventType::MouseMove: MDXDrawMouseMove(e.Shift, e.X, e.Y); break;
    case EventType::Click:
    case EventType::DoubleClick: MDXDrawClick(); break;
    case EventType::Close: {
      bool canClose = true;
      FormCloseQuery(canClose);
      break;
    }
    case EventType::SysCommand: FormSysCommand(e.Command); break;
    case EventType::Activate: MDXTimer.ApplicationActivated(); break;
    case EventType::Deactivate: MDXTimer.ApplicationDeactivated(); break;
    case EventType::DeviceLost: MDXDraw.DeviceLost(); break;
    case EventType::Shown: MDXDraw.WindowShown(); break;
    case EventType::Paint: MDXDraw.Paint(); break;
    case EventType::PadButton: PadButtonDown(e.Key); break;
    case EventType::Terminate: TerminateProgram(); break;
  }
}

// The pad works the menus with the keys they know: the d-pad as the arrow
// keys and A as Enter on the menu screens, and A as Enter at the end-of-game
// name entry. Anywhere else the pad reaches the game only through the
// input states of its joystick reading.
void TMForm::PadButtonDown(int button) {
  using namespace platform;
  const bool menu =
      GameScreen == MainMenu || GameScreen == Options || GameScreen == HighScoreScreen || GameScreen == Help;
  const bool nameEntry = GameScreen == Game && PlayState == NameEntry;
  int key = 0;
  switch (button) {
    case PadUp: key = VK_UP; break;
    case PadDown: key = VK_DOWN; break;
    case PadLeft: key = VK_LEFT; break;
    case PadRight: key = VK_RIGHT; break;
    case PadA: key = VK_RETURN; break;
    default: return;
  }
  if (!menu && !(nameEntry && key == VK_RETURN)) return;
  FormKeyDown(key, 0);
  if (key == VK_RETURN) {
    // Enter types its character after the key-down, as on the keyboard.
    char c = char(VK_RETURN);
    FormKeyPress(c);
  }
}

// ---- the message loop

int RunApplication() {
  platform::Platform& p = platform::Current();
  p.OpenWindow(kFormCaption, kScreenWidth, kScreenHeight);
  TMForm form;
  auto guarded = [&](auto&& fn) {
    // An error in a handler is shown and the program goes on.
    try {
      fn();
    } catch (const std::exception& ex) {
      p.MessageBox(kApplicationTitle, ex.what());
    }
  };
  guarded([&] { form.FormCreate(); });
  guarded([&] { form.MDXDraw.WindowShown(); });
  while (!p.ExitRequested()) {
    platform::Event e;
    while (!p.ExitRequested() && p.PollEvent(e)) guarded([&] { form.HandleEvent(e); });
    if (p.ExitRequested()) break;
    guarded([&] { form.MDXTimer.Idle(); });
    if (p.ExitRequested()) break;
    // Sleep until the next tick is due; the last millisecond is waited out
    // by polling so that ticks stay close to the interval.
    const int32_t wait = form.MDXTimer.MsUntilDue();
    if (wait < 0)
      p.WaitForEvent(100);
    else if (wait > 1)
      p.WaitForEvent(uint32_t(wait - 1));
    else
      p.WaitForEvent(0);
  }
  return p.ExitStatus();
}

void ResetProgramState() {
  ResetTestSeams();
  ResetShellGlobals();
  MenuState = {};
  ResetTextState();
  ResetGameGlobals();
  ResetRecords();
  ResetSound();
  ResetRecorderState();
}

}  // namespace fusewick
