#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Harness.h"
#include "persist/SaveFiles.h"
#include "shell/Screens.h"

using namespace fusewick;
using namespace fusewick::testing;
using namespace fusewick::platform;

namespace {

class MainFormTest : public FormHarness {};

TEST_F(MainFormTest, StartUpShowsTheMainMenuInAWindow) {
  Create();
  EXPECT_EQ(GameScreen, MainMenu);
  EXPECT_EQ(MenuSelection, 1);
  EXPECT_EQ(MenuButtonCount, 6);
  EXPECT_TRUE(form->MDXDraw.Initialized());
  EXPECT_FALSE(null.FullScreen);
  // An 800 x 600 window centred on the 1920 x 1080 desktop.
  EXPECT_EQ(null.Placement.X, 560);
  EXPECT_EQ(null.Placement.Y, 240);
  EXPECT_GE(null.CursorCount, 1);  // the menus show the mouse cursor
  EXPECT_EQ(HighScores[1].Name, "ANONYMOUS");  // no save files: the default table
  Tick();
  EXPECT_EQ(null.PresentCount, 1);
}

TEST_F(MainFormTest, UpGestureTapAndHold) {
  Create();
  // Up held for n ticks, then released: the gesture reported on each tick.
  auto run = [&](int held) {
    std::vector<int> seen;
    null.SetKey(VK_UP, false);  // a released tick re-arms the gesture
    Tick();
    for (int i = 0; i < held; ++i) {
      null.SetKey(VK_UP, true);
      Tick();
      seen.push_back(UpGesture);
    }
    null.SetKey(VK_UP, false);
    Tick();
    seen.push_back(UpGesture);
    return seen;
  };
  EXPECT_EQ(run(3), (std::vector<int>{0, 0, 0, 1}));
  EXPECT_EQ(run(1), (std::vector<int>{0, 1}));
  EXPECT_EQ(run(5), (std::vector<int>{0, 0, 0, 2, 0, 0}));
}

TEST_F(MainFormTest, HeldUpNeedsAReleaseBeforeTheNextGesture) {
  Create();
  null.SetKey(VK_UP, true);
  int twos = 0;
  for (int i = 0; i < 20; ++i) {
    Tick();
    twos += UpGesture == 2;
  }
  EXPECT_EQ(twos, 1);
}

TEST_F(MainFormTest, CtrlAutoRepeatReportsOncePerPress) {
  Create();
  Key(VK_CONTROL, true);
  EXPECT_TRUE(CtrlPressed);
  CtrlPressed = false;  // used by the game
  Key(VK_CONTROL, true);  // auto-repeat
  EXPECT_FALSE(CtrlPressed);
  Key(VK_CONTROL, false);
  EXPECT_FALSE(CtrlDown);
  Key(VK_CONTROL, true);
  Key(VK_CONTROL, true);  // a repeat clears an unused press
  EXPECT_FALSE(CtrlPressed);
}

TEST_F(MainFormTest, FrameRateIsNominalUntilMeasured) {
  Create();
  Tick();
  EXPECT_DOUBLE_EQ(FrameRate, 1000.0 / 30.0);
  for (int i = 0; i < 33; ++i) Tick();
  EXPECT_DOUBLE_EQ(FrameRate, 1000.0 / 33.0);
}

TEST_F(MainFormTest, PressedFlagsAreEdges) {
  Create();
  null.SetKey(VK_SPACE, true);
  Tick();
  EXPECT_TRUE(FirePressed);
  Tick();
  EXPECT_FALSE(FirePressed);
  EXPECT_TRUE(FireWasHeld);
}

TEST_F(MainFormTest, MenuKeysMoveTheSelectionWithinEachScreen) {
  Create();
  struct Case {
    void (*show)();
    int start, key, want;
  };
  const Case cases[] = {
      {[] { ShowMainMenu(6); }, 6, VK_DOWN, 6}, {[] { ShowMainMenu(1); }, 1, VK_UP, 1},
      {[] { ShowMainMenu(1); }, 3, VK_DOWN, 4}, {ShowHighScores, 3, VK_UP, 1},
      {ShowHighScores, 2, VK_DOWN, 3},          {ShowHighScores, 2, VK_LEFT, 1},
      {ShowHighScores, 1, VK_RIGHT, 2},         {ShowHighScores, 3, VK_LEFT, 3},
      {ShowHelp, 3, VK_UP, 1},                  {ShowHelp, 3, VK_RIGHT, 3},
  };
  for (const Case& c : cases) {
    c.show();
    MenuSelection = c.start;
    Key(c.key, true);
    EXPECT_EQ(MenuSelection, c.want) << int(GameScreen) << " from " << c.start << " key " << c.key;
  }
}

TEST_F(MainFormTest, HelpLeftAndRightTurnPagesAtTheEnds) {
  Create();
  MenuSelection = 4;
  Key(VK_RETURN, true);
  ASSERT_EQ(GameScreen, Help);
  EXPECT_EQ(HelpPage, 1);
  MenuSelection = 1;
  Key(VK_LEFT, true);
  EXPECT_EQ(HelpPage, 3);
  MenuSelection = 2;
  Key(VK_RIGHT, true);
  EXPECT_EQ(HelpPage, 1);
}

TEST_F(MainFormTest, MenuTransitions) {
  Create();
  struct Step {
    int select;
    uint8_t screen;
    int selection;
  };
  // Options, back; high scores, back; help, back.
  const Step steps[] = {{2, Options, 5}, {5, MainMenu, 2}, {3, HighScoreScreen, 3},
                        {3, MainMenu, 3}, {4, Help, 2},    {3, MainMenu, 4}};
  for (const Step& s : steps) {
    MenuSelection = s.select;
    form->MDXDrawClick();
    EXPECT_EQ(GameScreen, s.screen);
    EXPECT_EQ(MenuSelection, s.selection);
  }
  MenuSelection = 5;  // the web site
  form->MDXDrawClick();
  ASSERT_EQ(null.OpenedUrls.size(), 1u);
  EXPECT_EQ(GameScreen, MainMenu);
}

TEST_F(MainFormTest, OptionsToggleTheirSettings) {
  Create();
  MenuSelection = 2;
  form->MDXDrawClick();
  for (int sel : {1, 2, 3}) {
    MenuSelection = sel;
    form->MDXDrawClick();
  }
  EXPECT_TRUE(GameOptions.FullScreen);
  EXPECT_TRUE(null.FullScreen);
  EXPECT_TRUE(form->MDXDraw.Initialized());
  EXPECT_TRUE(GameOptions.MusicOn);
  EXPECT_TRUE(GameOptions.SoundOn);
}

TEST_F(MainFormTest, AltEnterSwitchesTheDisplayAndActivatesTheSelection) {
  Create();
  null.Placement = {33, 44, 800, 600};
  MenuSelection = 3;
  Key(VK_RETURN, true, ssAlt);
  EXPECT_TRUE(null.FullScreen);
  EXPECT_EQ(GameScreen, HighScoreScreen);
  null.Placement = {0, 0, 1920, 1080};
  MenuSelection = 1;  // clear the table: stays on the screen
  Key(VK_RETURN, true, ssAlt);
  EXPECT_FALSE(null.FullScreen);
  // Back to the size it had before, centred on the desktop.
  EXPECT_EQ(null.Placement.Width, 800);
  EXPECT_EQ(null.Placement.Height, 600);
  EXPECT_EQ(null.Placement.X, 560);
  EXPECT_EQ(null.Placement.Y, 240);
  EXPECT_EQ(GameScreen, HighScoreScreen);
}

TEST_F(MainFormTest, MaximisingTogglesFullScreen) {
  Create();
  Event e;
  e.Type = EventType::SysCommand;
  e.Command = SC_MAXIMIZE;
  form->HandleEvent(e);
  EXPECT_TRUE(null.FullScreen);
  form->HandleEvent(e);
  EXPECT_FALSE(null.FullScreen);
}

TEST_F(MainFormTest, CloseOutsideAGameSavesAndEnds) {
  Create();
  GameOptions.AddText = "HELLO";
  std::ofstream("play.url") << "[InternetShortcut]\r\nURL=http://localhost/\r\n";
  Event e;
  e.Type = EventType::Close;
  form->HandleEvent(e);
  EXPECT_TRUE(null.Exit);
  EXPECT_EQ(null.Status, 0);
  EXPECT_TRUE(std::filesystem::exists(HighScoresPath));
  std::ifstream options(OptionsPath);
  std::string line;
  for (int i = 0; i < 4; ++i) std::getline(options, line);
  EXPECT_EQ(line, "HELLO\r");
  ASSERT_EQ(null.OpenedUrls.size(), 1u);
  EXPECT_EQ(std::filesystem::path(null.OpenedUrls[0]).filename(), "play.url");
}

TEST_F(MainFormTest, GameWindowsAndTheCloseRequest) {
  Create();
  MenuSelection = 1;
  form->MDXDrawClick();
  ASSERT_EQ(GameScreen, Game);
  EXPECT_LT(null.CursorCount, 0);  // no cursor in a game
  EXPECT_EQ(PlayState, LevelIntro);
  Event close;
  close.Type = EventType::Close;
  form->HandleEvent(close);  // a window is open: ignored
  EXPECT_EQ(PlayState, LevelIntro);
  EXPECT_FALSE(null.Exit);
  for (int i = 0; i < 67; ++i) Tick();  // 2000 ms of nominal ticks: closes on the 68th
  EXPECT_EQ(PlayState, LevelIntro);
  Tick();
  EXPECT_EQ(PlayState, Running);
  // P and Escape in one tick: the question wins.
  null.SetKey('P', true);
  null.SetKey(VK_ESCAPE, true);
  Tick();
  EXPECT_EQ(PlayState, QuitConfirm);
  EXPECT_FALSE(PlayfieldActive);
  null.SetKey('P', false);
  null.SetKey(VK_ESCAPE, false);
  null.SetKey('N', true);
  Tick();
  EXPECT_EQ(PlayState, Running);
  null.SetKey('N', false);
  form->HandleEvent(close);  // while running: the question
  EXPECT_EQ(PlayState, QuitConfirm);
  null.SetKey('Y', true);
  Tick();  // score 0 does not qualify: straight to the high scores
  EXPECT_EQ(GameScreen, HighScoreScreen);
  EXPECT_GE(null.CursorCount, 1);
}

TEST_F(MainFormTest, EnterOnTheGameScreenChangesNothing) {
  Create();
  MenuSelection = 1;
  form->MDXDrawClick();
  const uint8_t state = PlayState;
  Key(VK_RETURN, true);
  EXPECT_EQ(GameScreen, Game);
  EXPECT_EQ(PlayState, state);
}

TEST_F(MainFormTest, NoScreenDrawsNothing) {
  Create();
  LeaveMainMenu();
  Tick();
  EXPECT_EQ(null.PresentCount, 0);
}

// ---- the message loop, with the fake clock advancing while it waits

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    SetCurrent(&null);
    InstallGameData();
  }
  void TearDown() override {
    SetCurrent(nullptr);
    ResetProgramState();
  }
  TempDir dir;
  NullPlatform null;
};

TEST_F(ApplicationTest, RunsUntilTheCloseRequestAndWaitsBetweenTicks) {
  // The close request arrives after the loop has run for a while: a null
  // platform whose event queue fills at a given time.
  struct Timed : NullPlatform {
    bool PollEvent(Event& e) override {
      if (Now >= 1000 && !sent) {
        sent = true;
        Push(Event{EventType::Close});
      }
      return NullPlatform::PollEvent(e);
    }
    bool sent = false;
  } timed;
  SetCurrent(&timed);
  EXPECT_EQ(RunApplication(), 0);
  EXPECT_EQ(timed.Caption, "Fusewick v.2.0");
  // About 33 ticks a second, and nearly all the time spent waiting.
  EXPECT_GE(timed.PresentCount, 1);
  EXPECT_GE(timed.WaitedMs, 900u);
  EXPECT_TRUE(std::filesystem::exists("Data/Save/options"));
}

TEST_F(ApplicationTest, AnErrorDuringStartUpIsShownAndTheWindowStaysEmpty) {
  null.FailPresenter = true;  // the display cannot be made
  null.Push(Event{EventType::Close});
  EXPECT_EQ(RunApplication(), 0);
  ASSERT_FALSE(null.MessageBoxes.empty());
  EXPECT_EQ(null.MessageBoxes[0].second, "Primary Surface cannot be made");
  EXPECT_EQ(null.PresentCount, 0);
}

}  // namespace
