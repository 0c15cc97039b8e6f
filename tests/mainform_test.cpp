#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "Harness.h"
#include "form/Screens.h"
#include "services/SaveFiles.h"

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
  EXPECT_GE(null.CursorCount, 1);              // the menus show the mouse cursor
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
  auto pressed = [&] { return form->PendingInput().CtrlPressed; };
  Key(VK_CONTROL, true);
  EXPECT_TRUE(pressed());
  Tick();  // the menus leave it for the game
  EXPECT_TRUE(pressed());
  Key(VK_CONTROL, true);  // a repeat clears an unused press
  EXPECT_FALSE(pressed());
  Key(VK_CONTROL, true);  // and reports nothing new
  EXPECT_FALSE(pressed());
  Key(VK_CONTROL, false);
  EXPECT_FALSE(form->CtrlDown());
  Key(VK_CONTROL, true);
  EXPECT_TRUE(pressed());
  Key(VK_CONTROL, false);  // so does the key-up
  EXPECT_FALSE(pressed());
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
      {[] { ShowMainMenu(TMainMenuButton::Exit); }, 6, VK_DOWN, 6},
      {[] { ShowMainMenu(TMainMenuButton::NewGame); }, 1, VK_UP, 1},
      {[] { ShowMainMenu(TMainMenuButton::NewGame); }, 3, VK_DOWN, 4},
      {ShowHighScores, 3, VK_UP, 1},
      {ShowHighScores, 2, VK_DOWN, 3},
      {ShowHighScores, 2, VK_LEFT, 1},
      {ShowHighScores, 1, VK_RIGHT, 2},
      {ShowHighScores, 3, VK_LEFT, 3},
      {ShowHelp, 3, VK_UP, 1},
      {ShowHelp, 3, VK_RIGHT, 3},
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
    TGameScreen screen;
    int selection;
  };
  // Options, back; high scores, back; help, back.
  const Step steps[] = {{2, Options, 5},  {5, MainMenu, 2}, {3, HighScoreScreen, 3},
                        {3, MainMenu, 3}, {4, Help, 2},     {3, MainMenu, 4}};
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
  form->HandleEvent(close);  // while running: the question, with the next tick
  EXPECT_EQ(PlayState, Running);
  Tick();
  EXPECT_EQ(PlayState, QuitConfirm);
  null.SetKey('Y', true);
  Tick();  // score 0 does not qualify: straight to the high scores
  EXPECT_EQ(GameScreen, HighScoreScreen);
  EXPECT_GE(null.CursorCount, 1);
}

// SIGTERM or SIGINT (the platform's Terminate) during a game: no question,
// no exit link; what is in memory is saved and the program ends.
TEST_F(MainFormTest, TerminateDuringAGameSavesAndEndsAtOnce) {
  Create();
  GameOptions.AddText = "ON DISK";
  std::ofstream("play.url") << "[InternetShortcut]\r\nURL=http://localhost/\r\n";
  MenuSelection = 1;
  form->MDXDrawClick();
  for (int i = 0; i < 70 && PlayState != Running; ++i) Tick();
  ASSERT_EQ(PlayState, Running);
  form->HandleEvent(Event{EventType::Terminate});
  EXPECT_TRUE(null.Exit);
  EXPECT_EQ(null.Status, 0);
  EXPECT_EQ(PlayState, Running);
  EXPECT_TRUE(null.OpenedUrls.empty());
  EXPECT_TRUE(null.MessageBoxes.empty());
  std::ifstream options(OptionsPath);
  std::string line;
  for (int i = 0; i < 4; ++i) std::getline(options, line);
  EXPECT_EQ(line, "ON DISK\r");
}

// A desktop that minimises the window and leaves it the focus: the game
// stands still until the window is back, then goes on without a jump.
TEST_F(MainFormTest, AMinimisedWindowStopsTheGameEvenWithTheFocus) {
  Create();
  MenuSelection = 1;
  form->MDXDrawClick();
  ASSERT_EQ(PlayState, LevelIntro);
  auto deliver = [&] {
    Event e;
    while (null.PollEvent(e)) form->HandleEvent(e);
  };
  for (int i = 0; i < 10; ++i) Tick();
  const int32_t left = WindowTimer;
  null.ReportWindow(WindowActivity::Report::Minimized);
  deliver();
  for (int i = 0; i < 200; ++i) Tick();  // six seconds
  EXPECT_EQ(WindowTimer, left);
  EXPECT_EQ(PlayState, LevelIntro);
  null.ReportWindow(WindowActivity::Report::FocusLost);  // the focus goes late
  null.ReportWindow(WindowActivity::Report::Restored);
  deliver();
  Tick();
  EXPECT_EQ(WindowTimer, left);
  null.ReportWindow(WindowActivity::Report::FocusGained);
  deliver();
  Tick();
  EXPECT_EQ(WindowTimer, left - 30);
}

TEST_F(MainFormTest, EnterOnTheGameScreenChangesNothing) {
  Create();
  MenuSelection = 1;
  form->MDXDrawClick();
  const TPlayState state = PlayState;
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

namespace {

namespace fs = std::filesystem;

// A save file's kind and content, enough to see that nothing replaced it.
std::string Snapshot(const fs::path& path) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (ec || !fs::exists(st)) return "missing";
  if (fs::is_symlink(st)) return "link " + fs::read_symlink(path).string();
  if (fs::is_directory(st)) return "folder";
  if (fs::is_fifo(st)) return "fifo";
  std::ifstream in(path, std::ios::binary);
  return "file " + std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A copy of the first bytes of a built archive, optionally with its first
// byte changed.
void CopyBytes(const fs::path& from, const fs::path& to, size_t count, bool spoilHeader) {
  std::ifstream in(from, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  bytes.resize(std::min(bytes.size(), count));
  if (spoilHeader) bytes[0] = char(~bytes[0]);
  std::ofstream(to, std::ios::binary) << bytes;
}

}  // namespace

// A start-up that fails (a missing or damaged archive) saves nothing when
// the window is closed or the program is told to end, and says which file
// to restore; a save file that cannot be read is told and kept. Either way
// the player's files are the same bytes after the program has ended.
TEST_F(ApplicationTest, AFailedStartUpOrAnUnreadableSaveFileKeepsThePlayersFiles) {
  const fs::path built = fs::path(FUSEWICK_BINARY_DIR) / "Data" / "Res";
  struct Case {
    const char* what;
    const char* file;  // the file the message names
    void (*damage)(const fs::path& built);
  };
  const Case cases[] = {
      {"missing archive", "Data/Res/Images2.dxg", [](const fs::path&) { fs::remove("Data/Res/Images2.dxg"); }},
      {"truncated archive", "Data/Res/Sounds.dxw",
       [](const fs::path& b) {
         fs::remove("Data/Res/Sounds.dxw");
         CopyBytes(b / "Sounds.dxw", "Data/Res/Sounds.dxw", fs::file_size(b / "Sounds.dxw") / 2, false);
       }},
      {"bad header", "Data/Res/Images1.dxg",
       [](const fs::path& b) {
         fs::remove("Data/Res/Images1.dxg");
         CopyBytes(b / "Images1.dxg", "Data/Res/Images1.dxg", SIZE_MAX, true);
       }},
      {"archive that is a folder", "Data/Res/Images1.dxg",
       [](const fs::path&) {
         fs::remove("Data/Res/Images1.dxg");
         fs::create_directory("Data/Res/Images1.dxg");
       }},
      {"hs that is a folder", "Data/Save/hs",
       [](const fs::path&) {
         fs::remove("Data/Save/hs");
         fs::create_directories("Data/Save/hs/inside");
       }},
      {"options that is a FIFO", "Data/Save/options",
       [](const fs::path&) {
         fs::remove("Data/Save/options");
         ::mkfifo("Data/Save/options", 0666);
       }},
      {"hs that links to /dev/zero", "Data/Save/hs",
       [](const fs::path&) {
         fs::remove("Data/Save/hs");
         fs::create_symlink("/dev/zero", "Data/Save/hs");
       }},
  };
  for (const Case& c : cases) {
    for (const EventType end : {EventType::Close, EventType::Terminate}) {
      SCOPED_TRACE(std::string(c.what) + (end == EventType::Close ? ", window closed" : ", terminated"));
      fs::remove_all("Data");
      fs::create_directories("Data/Res");
      fs::create_directory_symlink(built.parent_path() / "Music", "Data/Music");
      for (const char* archive : {"Images1.dxg", "Images2.dxg", "Sounds.dxw"})
        fs::create_symlink(built / archive, fs::path("Data/Res") / archive);
      // The player's table and options, as the game writes them.
      ResetProgramState();
      ResetHighScores();
      HighScores[4] = {"PLAYER", 777};
      GameOptions = {false, true, false, "MY TEXT"};
      ASSERT_TRUE(SaveHighScores());
      ASSERT_TRUE(SaveOptions());
      c.damage(built);
      const std::string hs = Snapshot(HighScoresPath), options = Snapshot(OptionsPath);

      ResetProgramState();
      NullPlatform run;
      SetCurrent(&run);
      run.Push(Event{end});
      EXPECT_EQ(RunApplication(), 0);
      SetCurrent(&null);
      EXPECT_EQ(Snapshot(HighScoresPath), hs);
      EXPECT_EQ(Snapshot(OptionsPath), options);
      ASSERT_EQ(run.MessageBoxes.size(), 1u);
      const std::string& text = run.MessageBoxes[0].second;
      EXPECT_NE(text.find(c.file), std::string::npos) << text;
      if (std::string(c.file).find("Res") != std::string::npos) {
        EXPECT_NE(text.find("Reinstalling the game"), std::string::npos) << text;
      }
    }
  }
}
