// Bitmap text, the head-up display and the message windows, drawn with
// marker fonts whose glyphs light only their first column, so that every
// glyph's left edge can be read back from the back surface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "engine/ImageList.h"
#include "form/Screens.h"
#include "game/Hud.h"
#include "game/Player.h"
#include "services/Captions.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

constexpr uint32_t kLit = 0xFFFFFF;
constexpr uint32_t kBar = 0x00FF00;

class TextTest : public FormHarness {
 protected:
  void SetUp() override {
    FormHarness::SetUp();
    Create();
    // Cells of 24 (narrow) and 30 (big) pixels: a big-font glyph then
    // advances by its width less 1.5, so that truncating after every
    // glyph shows.
    for (const char* name : {"Font_small", "Font_medium_inactive", "Font_medium_active"}) AddFont(name, 24, 20);
    AddFont("Font_big", 30, 28);
    AddImage("HealthBar", 1, 12, 1, [](int, int) { return kBar; });
  }
  void TearDown() override {
    Player = nullptr;  // freed with the form's sprites
    FormHarness::TearDown();
  }

  // An image of list 1 made here; it hides the archive's image of that name.
  template <typename Fn>
  void AddImage(const std::string& name, int w, int h, int count, Fn pixel) {
    TPictureCollectionItem* item = form->MDXImageList.Items.Add();
    item->SetName(name);
    item->Picture = MakePicture(w * count, h, [&](int x, int y) { return pixel(x % w, y); });
    item->SetPatternWidth(w);
    item->SetPatternHeight(h);
    item->Restore();
  }
  void AddFont(const std::string& name, int w, int h) {
    AddImage(name, w, h, 44, [](int x, int) { return x == 0 ? kLit : 0u; });
  }

  TDirectDrawSurface& Surface() { return *form->MDXDraw.Surface(); }
  // Columns of row y within [x0, x1) holding the colour.
  std::vector<int> Columns(int y, int x0, int x1, uint32_t rgb) {
    std::vector<int> xs;
    for (int x = x0; x < x1; ++x)
      if (Surface().Pixel(x, y) == PixelToRGB565(rgb)) xs.push_back(x);
    return xs;
  }
  int FirstLit(int y, int x0, int x1) {
    const std::vector<int> xs = Columns(y, x0, x1, kLit);
    return xs.empty() ? -1 : xs.front();
  }
};

TEST_F(TextTest, PenArithmetic) {
  struct Case {
    uint8_t font;
    std::string text;
    int x;
    int endX, lastGlyph;
    std::vector<int> glyphLefts;
  };
  const Case cases[] = {
      {0, "AB", 10, 43, 'B' - 46, {10, 27}},
      {2, "A B", 0, 37, 'B' - 46, {0, 21}},       // a space: Trunc(24 x 0.2) = 4
      {3, "AA", 0, 38, 'A' - 46, {0, 19}},        // Trunc(21 - 1.5) twice, not 39
      {3, "I/", 100, 115, '/' - 46, {100, 106}},  // Trunc(108 - 1.5) = 106
      {3, "A ", 0, 25, ' ' - 46, {0}},            // trailing space: Trunc(19 + 6)
      {1, "9:", 0, 21, ':' - 46, {0, 13}},
      // Outside the font: nothing drawn, the pen stays, the state keeps
      // the last glyph drawn; a NUL ends the text.
      {0, "A*b~", 0, 17, 'A' - 46, {0}},
      {0, std::string("A\0B", 3), 0, 17, 'A' - 46, {0}},
  };
  for (const Case& c : cases) {
    Surface().Fill(0);
    SelectFont(c.font);
    DrawText(c.text, c.x, 300);
    EXPECT_EQ(TextEndX, c.endX) << c.text;
    EXPECT_EQ(LastGlyph, c.lastGlyph) << c.text;
    EXPECT_EQ(Columns(305, 0, 400, kLit), c.glyphLefts) << c.text;
  }
  // An empty text leaves the state as it was.
  TextEndX = 123;
  LastGlyph = 7;
  DrawText("", 0, 300);
  EXPECT_EQ(TextEndX, 123);
  EXPECT_EQ(LastGlyph, 7);
}

TEST_F(TextTest, AdvanceWidthsByCharacter) {
  // "/0123456789:;<=>?@A..Z": the narrow fonts' and the big font's widths.
  const int narrow[44] = {11, 13, 11, 14, 13, 14, 14, 13, 14, 13, 13, 8,  7,  15, 15, 15, 14, 14, 17, 16, 16, 16,
                          15, 14, 17, 15, 8,  13, 17, 14, 19, 15, 17, 15, 18, 16, 15, 15, 16, 17, 22, 16, 17, 15};
  const int wide[44] = {11, 16, 13, 17, 16, 18, 17, 17, 17, 16, 16, 9,  8,  18, 18, 18, 18, 12, 21, 20, 21, 20,
                        19, 18, 22, 20, 8,  16, 21, 17, 23, 19, 22, 19, 23, 21, 18, 19, 20, 22, 29, 20, 21, 19};
  for (int j = 1; j <= 44; ++j) {
    EXPECT_EQ(NarrowWidths[size_t(j)], narrow[j - 1]) << char(j + 46);
    EXPECT_EQ(WideWidths[size_t(j)], wide[j - 1]) << char(j + 46);
  }
}

TEST_F(TextTest, RightAlignedNumbersAndTheIntroText) {
  struct Case {
    int level, score, lives;
    int introX, levelX, scoreX, livesX;
  };
  const Case cases[] = {
      {1, 0, 3, 326, 63, 160, 252},
      {10, 12345, 10, 318, 57, 136, 246},
      {100, 999999, 0, 310, 51, 130, 252},
  };
  for (const Case& c : cases) {
    Surface().Fill(0);
    PlayState = LevelIntro;
    Level = c.level;
    Score = c.score;
    Lives = c.lives;
    LeftPanelY = 0;
    DrawHud();
    EXPECT_EQ(FirstLit(284, 200, 600), c.introX) << c.level;
    EXPECT_EQ(FirstLit(31, 0, 100), c.levelX) << c.level;
    EXPECT_EQ(FirstLit(31, 100, 200), c.scoreX) << c.score;
    EXPECT_EQ(FirstLit(31, 200, 300), c.livesX) << c.lives;
  }
  // "L E V E L" and three spaces before the number: each space advances
  // Trunc(30 x 0.2) = 6, each glyph its width less 1.5, truncated.
  Surface().Fill(0);
  PlayState = LevelIntro;
  Level = 7;
  DrawHud();
  EXPECT_EQ(Columns(290, 200, 600, kLit), (std::vector<int>{326, 347, 370, 396, 419, 452}));

  // The numbers slide in with the left panel.
  Surface().Fill(0);
  PlayState = Running;
  LeftPanelY = -20;
  DrawHud();
  EXPECT_EQ(FirstLit(11, 100, 200), 130);
  EXPECT_EQ(FirstLit(31, 0, 300), -1);
}

TEST_F(TextTest, ExtraDigitsCountsTheThresholds) {
  const std::pair<int, int> cases[] = {{-5, 0},  {0, 0},     {9, 0},      {10, 1},        {99, 1},
                                       {100, 2}, {99999, 4}, {100000, 5}, {2000000000, 5}};
  for (auto [n, want] : cases) EXPECT_EQ(ExtraDigits(n), want) << n;
}

TEST_F(TextTest, EnergyBarLengths) {
  Player = new TPlayer("PlayerLeft");
  const std::pair<int, int> cases[] = {{5, 0}, {4, 11}, {3, 22}, {0, 54}};
  for (auto [energy, columns] : cases) {
    Player->Energy = energy;
    Surface().Fill(0);
    DrawHud();
    const std::vector<int> bar = Columns(40, 590, 700, kBar);
    ASSERT_EQ(int(bar.size()), columns) << energy;
    if (columns > 0) {
      EXPECT_EQ(bar.back(), 654);
      EXPECT_EQ(bar.front(), 655 - columns);
    }
  }
}

TEST_F(TextTest, EnergyBarBlinksAtTwoPointsOrFewer) {
  Player = new TPlayer("PlayerLeft");
  for (int energy : {1, 2}) {
    Player->Energy = energy;
    Player->HealthBlinkTimer = 0;
    const int partly = 54 - int(energy / 5.0 * 54);  // 44 or 33
    // The 400 ms cycle counts down 30 ms a frame: the cover is full while
    // the timer's hundreds are even.
    const std::vector<int> want = {54,     partly, partly, partly, 54, 54, 54, partly,
                                   partly, partly, partly, 54,     54, 54, 54, 54};
    std::vector<int> seen;
    for (size_t i = 0; i < want.size(); ++i) {
      Surface().Fill(0);
      DrawHud();
      seen.push_back(int(Columns(40, 590, 700, kBar).size()));
    }
    EXPECT_EQ(seen, want) << energy;
  }
}

TEST_F(TextTest, BonusSecondsBesideTheGauge) {
  Player = new TPlayer("PlayerLeft");
  const std::pair<int, int> cases[] = {{0, 737}, {9999, 737}, {10000, 731}, {123456, 725}};
  for (auto [ms, x] : cases) {
    Player->BonusTimeLeft = ms;
    Surface().Fill(0);
    DrawHud();
    EXPECT_EQ(FirstLit(23, 660, 800), x) << ms;
  }
}

TEST_F(TextTest, WindowTextsByPlayState) {
  struct Case {
    TPlayState state;
    int y, x;
  };
  const Case cases[] = {{Paused, 284, 343},
                        {QuitConfirm, 274, 276},
                        {QuitConfirm, 313, 371},
                        {LevelComplete, 286, 273},
                        {GameLost, 287, 290}};
  for (const Case& c : cases) {
    Surface().Fill(0);
    PlayState = c.state;
    DrawHud();
    EXPECT_EQ(FirstLit(c.y, 200, 600), c.x) << int(c.state);
  }
  // The words keep their spaces ("G A M E  O V E R": two between the
  // words), each glyph advancing by its width less 1.5, truncated.
  Surface().Fill(0);
  PlayState = GameLost;
  DrawHud();
  EXPECT_EQ(Columns(290, 280, 600, kLit), (std::vector<int>{290, 316, 341, 368, 397, 423, 449, 472}));
}

TEST_F(TextTest, OptionsWordsShowTheChosenValueActive) {
  // The active font lights its glyphs in another colour.
  AddImage("Font_medium_active", 24, 20, 44, [](int x, int) { return x == 0 ? kBar : 0u; });
  GameOptions.FullScreen = false;
  GameOptions.MusicOn = true;
  GameOptions.SoundOn = false;
  GameOptions.AddText = "HI";
  Surface().Fill(0);
  DrawOptionsText();
  auto active = [&](int y) { return Columns(y + 5, 280, 600, kBar); };
  EXPECT_EQ(active(226).front(), 292);      // WINDOW
  EXPECT_EQ(active(274).front(), 292);      // ON
  EXPECT_EQ(active(322).front(), 339);      // OFF
  EXPECT_EQ(FirstLit(231, 380, 600), 394);  // "/" inactive, then FULL SCREEN inactive
  EXPECT_EQ(FirstLit(372, 280, 600), 294);  // the text row, big font
  EXPECT_EQ(TextEndX, 318);                 // the text row is drawn last: Trunc(312 + 8 - 1.5)
}

// The two text inputs measure their text where drawing it leaves the pen.
TEST_F(TextTest, TextInputsMeasureWhereDrawingEnds) {
  for (const std::string text : {"A", "AB C", "I I ", " ", "W\x01"}) {
    PlayerName = text;
    DrawNamePrompt();
    EXPECT_EQ(NameTextEnd(), TextEndX) << '"' << text << '"';
    GameOptions.AddText = text;
    DrawOptionsText();
    EXPECT_EQ(OptionsTextEnd(), TextEndX) << '"' << text << '"';
  }
  // Nothing to draw: the name's pen stays after the prompt, the row's at
  // its start.
  for (const std::string text : {"", "\x01"}) {
    PlayerName = text;
    DrawNamePrompt();
    EXPECT_EQ(NameTextEnd(), TextEndX) << '"' << text << '"';
    GameOptions.AddText = text;
    EXPECT_EQ(OptionsTextEnd(), 294);
  }
}

TEST_F(TextTest, HighScoreTableRows) {
  HighScores[3] = {"BOB", -50};
  Surface().Fill(0);
  DrawHighScoreTable();
  EXPECT_EQ(Columns(200 + 24 * 3 + 5, 0, 800, kLit).front(), 55);
  const std::vector<int> row3 = Columns(200 + 24 * 3 + 5, 150, 800, kLit);
  EXPECT_EQ(row3.front(), 190);                        // B
  EXPECT_EQ(row3[3], 466);                             // the score's first glyph; '-' has none
  EXPECT_EQ(FirstLit(200 + 24 * 10 + 5, 0, 100), 55);  // "10"
}

class WindowTest : public FormHarness {
 protected:
  void SetUp() override {
    FormHarness::SetUp();
    Create();
    LeaveMainMenu();
    form->MDXSpriteEngine.FreeKilled();
    GameScreen = Game;
  }
};

TEST_F(WindowTest, OpeningAndClosing) {
  std::vector<std::string>& played = RecordSounds();
  const int sprites = form->MDXSpriteEngine.Engine()->SpriteCount();
  OpenMessageWindow(LevelComplete);
  ASSERT_NE(MessageWindow, nullptr);
  EXPECT_EQ(MessageWindow->Image->Name(), "WindowMedium");
  EXPECT_EQ(MessageWindow->Z(), 7);
  EXPECT_EQ(WindowTimer, 2000);
  EXPECT_FALSE(PlayfieldActive);
  EXPECT_EQ(played, std::vector<std::string>{"Level_Complete"});
  // Opening another closes the first: one window at a time.
  OpenMessageWindow(GameLost);
  form->MDXSpriteEngine.FreeKilled();
  EXPECT_EQ(form->MDXSpriteEngine.Engine()->SpriteCount(), sprites + 1);
  EXPECT_EQ(played.back(), "GameOver");
  CloseMessageWindow();
  form->MDXSpriteEngine.FreeKilled();
  EXPECT_EQ(form->MDXSpriteEngine.Engine()->SpriteCount(), sprites);
  EXPECT_EQ(PlayState, Running);
  EXPECT_TRUE(PlayfieldActive);
}

TEST_F(WindowTest, AnotherWindowOverNameEntryTakesTheCursorToo) {
  const int sprites = form->MDXSpriteEngine.Engine()->SpriteCount();
  OpenMessageWindow(NameEntry);
  ASSERT_NE(TextCursor, nullptr);
  EXPECT_TRUE(TextCursor->Active);
  EXPECT_EQ(TextCursor->X, 290);
  EXPECT_EQ(TextCursor->Y, 300);
  OpenMessageWindow(Paused);
  EXPECT_EQ(TextCursor, nullptr);
  form->MDXSpriteEngine.FreeKilled();
  EXPECT_EQ(form->MDXSpriteEngine.Engine()->SpriteCount(), sprites + 1);
}

}  // namespace
