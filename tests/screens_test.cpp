// The menu screens with their sprites, driven as a player would: keys,
// typed characters, pointer moves and clicks, one frame tick at a time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Harness.h"
#include "engine/ImageList.h"
#include "form/Screens.h"
#include "services/Captions.h"
#include "services/Online.h"
#include "services/SaveFiles.h"
#include "services/Text.h"

using namespace fusewick;
using namespace fusewick::testing;
using namespace fusewick::platform;

namespace {

class ScreensTest : public FormHarness {
 protected:
  void SetUp() override {
    FormHarness::SetUp();
    Create();
    Tick();
  }
  void Press(int vk) {
    Key(vk, true);
    Key(vk, false);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  // The centre of button i of the current screen.
  void PointAt(int i) {
    const TMenuButton* b = MenuButtons[size_t(i)];
    MouseTo(int(b->X) + b->Width / 2, int(b->Y) + b->Height / 2);
  }
  int Sprites() { return form->MDXSpriteEngine.Engine()->SpriteCount(); }
};

TEST_F(ScreensTest, HoverChoosesAndAClickAnywhereActivates) {
  PointAt(3);
  Tick();
  EXPECT_EQ(MenuSelection, 3);
  EXPECT_TRUE(MenuButtons[3]->Highlighted);
  EXPECT_FALSE(MenuButtons[1]->Highlighted);
  MouseTo(5, 5);  // off every button: the last one stays chosen
  Tick();
  EXPECT_EQ(MenuSelection, 3);
  Click();
  EXPECT_EQ(GameScreen, HighScoreScreen);
}

TEST_F(ScreensTest, HoverRectanglesIncludeTheirEdges) {
  const TMenuButton& b = *MenuButtons[2];
  const int right = int(b.X) + b.Width, bottom = int(b.Y) + b.Height;
  const std::pair<int, int> onButton2[] = {{int(b.X), int(b.Y)}, {right, bottom}};
  for (auto [x, y] : onButton2) {
    MenuSelection = 1;
    MouseTo(x, y);
    Tick();
    EXPECT_EQ(MenuSelection, 2) << x << "," << y;
  }
  MouseTo(right + 1, bottom);
  MenuSelection = 1;
  Tick();
  EXPECT_EQ(MenuSelection, 1);
}

TEST_F(ScreensTest, HighlightSoundOncePerChangeOfSelection) {
  std::vector<std::string>& played = RecordSounds();
  PointAt(2);
  Ticks(3);
  EXPECT_EQ(played, std::vector<std::string>{"Button_Activated"});
  // Across three buttons: three times.
  for (int i : {3, 4, 5}) {
    PointAt(i);
    Ticks(2);
  }
  EXPECT_EQ(played.size(), 4u);
  // Keys move the highlight too; pressing Up at the first button changes
  // nothing and plays nothing.
  Press(VK_UP);
  Tick();
  EXPECT_EQ(played.size(), 5u);
  MenuSelection = 1;
  Tick();
  played.clear();
  Press(VK_UP);
  Ticks(2);
  EXPECT_TRUE(played.empty());
}

TEST_F(ScreensTest, MainMenuPointerFollowsTheSelection) {
  EXPECT_TRUE(MenuPointer->Visible);
  EXPECT_EQ(MenuPointer->Y, 191);
  for (auto [key, y] : {std::pair{VK_DOWN, 239}, {VK_DOWN, 289}, {VK_UP, 239}}) {
    Press(key);
    Tick();
    EXPECT_EQ(MenuPointer->Y, y);
  }
}

TEST_F(ScreensTest, EveryScreenHasItsButtonsAndCaptionsInPlace) {
  struct Button {
    const char *normal, *highlight;
    int pattern, x, y;
  };
  struct Caption {
    const TCaption* const* sprite;
    const char* image;
    int x, y, z;
  };
  struct Screen {
    int from;  // the main-menu button that leads there (0: the main menu itself)
    TGameScreen screen;
    int selection;
    std::vector<Button> buttons;
    std::vector<Caption> captions;
  };
  // The main menu's normal look is "_Active", the others' "_Inactive".
  const Screen screens[] = {
      {0,
       MainMenu,
       1,
       {{"MainMenuButtons_Active", "MainMenuButtons_Inactive", 0, 270, 190},
        {"MainMenuButtons_Active", "MainMenuButtons_Inactive", 1, 270, 238},
        {"MainMenuButtons_Active", "MainMenuButtons_Inactive", 2, 270, 286},
        {"MainMenuButtons_Active", "MainMenuButtons_Inactive", 3, 270, 334},
        {"MainMenuButtons_Active", "MainMenuButtons_Inactive", 4, 270, 382},
        {"MainMenu_Exit_Active", "MainMenu_Exit_Inactive", 0, 270, 429}},
       {{&MenuPointer, "BombPointer", 224, 191, 6}}},
      {2,
       Options,
       5,
       {{"Options_Button_Inactive", "Options_Button_Active", 1, 31, 221},
        {"Options_Button_Inactive", "Options_Button_Active", 1, 31, 269},
        {"Options_Button_Inactive", "Options_Button_Active", 1, 31, 317},
        {"Options_Button_Inactive", "Options_Button_Active", 1, 31, 365},
        {"Options_BackButton_Inactive", "Options_BackButton_Active", 1, 57, 460}},
       {{&OptionsCaption, "OptionsTable", 26, 126, 6}}},
      {3,
       HighScoreScreen,
       3,
       {{"ClearButton_Inactive", "ClearButton_Active", 1, 47, 470},
        {"ViewButton_Inactive", "ViewButton_Active", 1, 354, 471},
        {"BackButton_Inactive", "BackButton_Active", 1, 237, 515}},
       {{&HighScoreCaption, "HighScoreTable", 26, 126, 6}}},
      {4,
       Help,
       2,
       {{"Help_PreviousButton_Inactive", "Help_PreviousButton_Active", 1, 48, 448},
        {"Help_NextButton_Inactive", "Help_NextButton_Active", 1, 486, 447},
        {"Help_BackButton_Inactive", "Help_BackButton_Active", 1, 237, 495}},
       {{&HelpCaption, "Help1", 26, 126, 6}}},
  };
  for (const Screen& sc : screens) {
    if (sc.from) {
      MenuSelection = sc.from;
      Press(VK_RETURN);
    }
    ASSERT_EQ(GameScreen, sc.screen) << sc.from;
    EXPECT_EQ(MenuSelection, sc.selection) << sc.from;
    ASSERT_EQ(MenuButtonCount, int(sc.buttons.size())) << sc.from;
    EXPECT_EQ(Background->Image, form->MDXImageList.Items.Find("MainMenuBackground")) << sc.from;
    for (size_t i = 0; i < sc.buttons.size(); ++i) {
      const Button& want = sc.buttons[i];
      const TMenuButton& b = *MenuButtons[i + 1];
      const std::string where = std::to_string(sc.from) + "/" + std::to_string(i + 1);
      EXPECT_EQ(b.NormalImage, want.normal) << where;
      EXPECT_EQ(b.HighlightImage, want.highlight) << where;
      EXPECT_EQ(b.NormalPattern, want.pattern) << where;
      EXPECT_EQ(b.HighlightPattern, want.pattern) << where;
      EXPECT_EQ(b.X, want.x) << where;
      EXPECT_EQ(b.Y, want.y) << where;
      EXPECT_EQ(b.Z(), 7) << where;
    }
    for (const Caption& c : sc.captions) {
      const TCaption& caption = **c.sprite;
      EXPECT_EQ(caption.Image->Name(), c.image);
      EXPECT_EQ(caption.X, c.x) << c.image;
      EXPECT_EQ(caption.Y, c.y) << c.image;
      EXPECT_EQ(caption.Z(), c.z) << c.image;
    }
    if (sc.screen == Options) {
      EXPECT_EQ(TextCursor->Image->Name(), "Cursor");
      EXPECT_EQ(TextCursor->X, 292);
      EXPECT_EQ(TextCursor->Y, 390);
      EXPECT_EQ(TextCursor->Z(), 7);
      EXPECT_FALSE(TextCursor->Active);
    }
    if (sc.screen == MainMenu) {
      // The pointer beside each button.
      const int pointerY[] = {191, 239, 289, 336, 382, 432};
      for (int i = 1; i <= 6; ++i) {
        MenuSelection = i;
        Tick();
        EXPECT_EQ(MenuPointer->Y, pointerY[i - 1]) << i;
      }
      MenuSelection = 1;
    } else {
      MenuSelection = MenuButtonCount;  // back
      Press(VK_RETURN);
    }
  }
}

TEST_F(ScreensTest, EveryScreenAndBackLeavesNoSprite) {
  const int before = Sprites();
  // Options, high scores, help, each entered and left by the keyboard.
  for (int button : {2, 3, 4}) {
    while (MenuSelection < button) Press(VK_DOWN);
    Press(VK_RETURN);
    Tick();
    EXPECT_GT(Sprites(), 0);
    MenuSelection = GameScreen == Options ? 5 : 3;
    Press(VK_RETURN);
    ASSERT_EQ(GameScreen, MainMenu);
    EXPECT_EQ(MenuSelection, button);
    Tick();  // the old buttons are freed
    EXPECT_EQ(Sprites(), before);
  }
}

TEST_F(ScreensTest, HelpPagesTurnBothWays) {
  MenuSelection = 4;
  Press(VK_RETURN);
  ASSERT_EQ(GameScreen, Help);
  EXPECT_EQ(HelpCaption->Image->Name(), "Help1");
  const std::pair<int, const char*> steps[] = {
      {VK_RIGHT, "Help2"}, {VK_RIGHT, "Help3"}, {VK_RIGHT, "Help1"},  // button 2: next
      {VK_LEFT, "Help1"},                                             // selects button 1
      {VK_LEFT, "Help3"},  {VK_LEFT, "Help2"},                        // button 1: previous
  };
  for (auto [key, page] : steps) {
    Press(key);
    Tick();
    EXPECT_EQ(HelpCaption->Image->Name(), page);
  }
  EXPECT_EQ(GameScreen, Help);
}

TEST_F(ScreensTest, HighScoreButtons) {
  MenuSelection = 3;
  Press(VK_RETURN);
  HighScores[1] = {"ME", 5000};
  Press(VK_UP);  // clear the table
  Press(VK_RETURN);
  EXPECT_EQ(HighScores[1], (THighScore{"ANONYMOUS", 1000}));
  Press(VK_RIGHT);  // the world page
  Press(VK_RETURN);
  ASSERT_FALSE(null.OpenedUrls.empty());
  EXPECT_EQ(null.OpenedUrls.back(), WorldHighScoresUrl());
  EXPECT_EQ(GameScreen, HighScoreScreen);
}

TEST_F(ScreensTest, ExitSavesBothFilesAndEnds) {
  GameOptions.AddText = "HELLO";
  for (int i = 0; i < 5; ++i) Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_TRUE(null.Exit);
  EXPECT_EQ(null.Status, 0);
  EXPECT_TRUE(std::filesystem::exists(HighScoresPath));
  EXPECT_TRUE(std::filesystem::exists(OptionsPath));
}

TEST_F(ScreensTest, OptionsSurviveARestart) {
  MenuSelection = 2;
  Press(VK_RETURN);
  for (int button : {1, 2, 3}) {
    MenuSelection = button;
    Press(VK_RETURN);
  }
  MenuSelection = 4;
  Press(VK_RETURN);
  for (char c : std::string("hi there")) Type(c);
  Tick();  // what was typed reaches the row with the tick
  form->HandleEvent(Event{EventType::Close});
  ASSERT_TRUE(null.Exit);

  // A new run in the same folder.
  form.reset();
  ResetProgramState();
  null.Exit = false;
  form = std::make_unique<TMForm>();
  Create();
  EXPECT_TRUE(GameOptions.FullScreen);
  EXPECT_TRUE(null.FullScreen);
  EXPECT_TRUE(GameOptions.MusicOn);
  EXPECT_TRUE(GameOptions.SoundOn);
  EXPECT_EQ(GameOptions.AddText, "HI THERE");
}

// The table is on disk as soon as it is cleared, the options as soon as the
// Options screen is left: no exit needed.
TEST_F(ScreensTest, ClearedTableAndLeftOptionsAreOnDiskAtOnce) {
  HighScores[1] = {"GONE", 5000};
  ASSERT_TRUE(SaveTableNow("The table"));
  MenuSelection = 3;
  Press(VK_RETURN);  // the high scores
  MenuSelection = 1;
  Press(VK_RETURN);  // clear
  ResetRecords();
  LoadHighScores();
  EXPECT_EQ(HighScores[1], (THighScore{"ANONYMOUS", 1000}));
  LoadOptions();
  EXPECT_TRUE(HighScoresIntact());
  LoadSaveFiles();

  MenuSelection = 3;
  Press(VK_RETURN);  // back to the main menu
  MenuSelection = 2;
  Press(VK_RETURN);  // the options
  MenuSelection = 3;
  Press(VK_RETURN);  // sound
  const bool sound = GameOptions.SoundOn;
  MenuSelection = 5;
  Press(VK_RETURN);  // back
  EXPECT_EQ(GameScreen, MainMenu);
  ResetRecords();
  LoadSaveFiles();
  EXPECT_EQ(GameOptions.SoundOn, sound);
  EXPECT_TRUE(null.MessageBoxes.empty());
}

TEST_F(ScreensTest, OptionsTextRow) {
  MenuSelection = 2;
  Press(VK_RETURN);
  Tick();
  Press(VK_UP);  // the text row's button
  Press(VK_RETURN);
  ASSERT_TRUE(TextEditActive());
  Tick();
  EXPECT_EQ(TextCursor->X, 292);  // an empty text: the cursor at its start
  for (char c : std::string("ab c1-")) Type(c);
  Tick();
  EXPECT_EQ(GameOptions.AddText, "AB C");
  Type(8);
  Tick();
  EXPECT_EQ(GameOptions.AddText, "AB ");
  Type('d');
  Ticks(2);  // the cursor goes where the previous frame's text ended
  // On the last character: its big-font width w, the cursor's width W,
  // X = TextEndX + 2 - w - (W - w) / 2.
  const double w = WideWidths['D' - 46], W = TextCursor->Width;
  EXPECT_DOUBLE_EQ(TextCursor->X, TextEndX + 2 - w - (W - w) / 2);

  // Letters stop where the pen passes the limit; spaces go on.
  for (int i = 0; i < 40; ++i) {
    Type('w');
    Tick();
  }
  const std::string full = GameOptions.AddText;
  EXPECT_LT(full.size(), 40u);
  EXPECT_GE(TextEndX, 526 - TextCursor->Width);
  Type(' ');
  Tick();
  EXPECT_EQ(GameOptions.AddText, full + " ");

  // Any key with another button chosen stops the editing.
  Press(VK_DOWN);
  EXPECT_FALSE(TextEditActive());
  Type('x');
  Tick();
  EXPECT_EQ(GameOptions.AddText, full + " ");
  Ticks(2);
  EXPECT_FALSE(TextCursor->Visible);
}

TEST_F(ScreensTest, TheOptionsTextStopsAtItsByteBound) {
  MenuSelection = 2;
  Press(VK_RETURN);
  MenuSelection = 4;
  Press(VK_RETURN);
  ASSERT_TRUE(TextEditActive());
  Tick();
  for (size_t i = 0; i < kMaxTextBytes + 10; ++i) {
    Type('i');
    Tick();
  }
  EXPECT_EQ(GameOptions.AddText, std::string(kTextFitBytes, 'I'));
  for (size_t i = 0; i < kMaxTextBytes; ++i) Type(' ');
  Tick();
  EXPECT_EQ(GameOptions.AddText.size(), kMaxTextBytes);
  Type(8);
  Type(' ');
  Type(' ');
  Tick();
  EXPECT_EQ(GameOptions.AddText.size(), kMaxTextBytes);
}

TEST_F(ScreensTest, OptionsTextTakesLettersUpToItsExactLimit) {
  MenuSelection = 2;
  Press(VK_RETURN);
  MenuSelection = 4;
  Press(VK_RETURN);
  ASSERT_TRUE(TextEditActive());
  const int W = TextCursor->Width;
  // Letters while the text's pen ends left of 526 less the cursor's width
  // (as many I's as fit); spaces whatever the width.
  const std::string fits(kTextFitBytes, 'I'), short1 = fits.substr(1);
  GameOptions.AddText = short1;
  EXPECT_LT(OptionsTextEnd(), 526 - W);
  GameOptions.AddText = fits;
  EXPECT_GE(OptionsTextEnd(), 526 - W);
  const struct {
    std::string text;
    char key;
    std::string want;
  } cases[] = {{short1, 'i', fits}, {fits, 'i', fits}, {fits, ' ', fits + " "}, {"AB", 8, "A"}};
  for (const auto& c : cases) {
    GameOptions.AddText = c.text;
    Type(c.key);
    Tick();
    EXPECT_EQ(GameOptions.AddText, c.want) << c.text << " '" << c.key << "'";
  }
}

TEST_F(ScreensTest, EnterOnTheTextRowStartsAndStopsEditing) {
  MenuSelection = 2;
  Press(VK_RETURN);
  MenuSelection = 4;
  Press(VK_RETURN);
  EXPECT_TRUE(TextEditActive());
  Type(13);  // the Enter key's character is no letter
  Press(VK_RETURN);
  EXPECT_FALSE(TextEditActive());
  EXPECT_EQ(GameOptions.AddText, "");
}

TEST_F(ScreensTest, TextCursorBlinksEvery500ms) {
  MenuSelection = 2;
  Press(VK_RETURN);
  Tick();
  ASSERT_FALSE(TextCursor->Visible);  // hidden while not editing
  MenuSelection = 4;
  Press(VK_RETURN);
  std::vector<int> changes;
  bool last = TextCursor->Visible;
  for (int i = 0; i < 40; ++i) {
    Tick();
    if (TextCursor->Visible != last) changes.push_back(i);
    last = TextCursor->Visible;
  }
  // At once, then every 17 ticks of 30 ms.
  EXPECT_EQ(changes, (std::vector<int>{0, 17, 34}));
}

// ---- name entry, in a game whose score enters the table

class NameEntryTest : public ScreensTest {
 protected:
  void SetUp() override {
    ScreensTest::SetUp();
    MenuSelection = 1;
    Press(VK_RETURN);
    ASSERT_EQ(GameScreen, Game);
    Score = 550;
    OpenMessageWindow(NameEntry);
    ASSERT_NE(TextCursor, nullptr);
  }
};

TEST_F(NameEntryTest, Rules) {
  // Letters while the name's pen ends left of 504 less the cursor's width
  // (as many I's as fit); spaces whatever the width.
  const int W = TextCursor->Width;
  const std::string fits(kNameFitBytes, 'I'), short1 = fits.substr(1);
  PlayerName = short1;
  EXPECT_LT(NameTextEnd(), 504 - W);
  PlayerName = fits;
  EXPECT_GE(NameTextEnd(), 504 - W);
  struct Case {
    std::string name;
    char key;
    std::string want;
  };
  const Case cases[] = {
      {"", 'a', "A"},
      {"A", 'b', "AB"},
      {"AB", ' ', "AB "},
      {"AB", '7', "AB"},  // digits and the rest are ignored
      {"AB", '@', "AB"},
      {"AB", 8, "A"},  // Backspace
      {"", 8, ""},
      {short1, 'i', fits},
      {fits, 'i', fits},        // the pen has reached the limit
      {fits, ' ', fits + " "},  // spaces are still taken
  };
  for (const Case& c : cases) {
    PlayerName = c.name;
    Type(c.key);
    Tick();
    EXPECT_EQ(PlayerName, c.want) << "'" << c.name << "' + " << int(c.key);
  }
}

// Every character typed within one tick reaches the name, each measured
// against the name as it has grown.
TEST_F(NameEntryTest, EveryCharacterOfATickReachesTheName) {
  PlayerName.clear();
  Tick();
  // The empty name's frame left the pen after the prompt, past the limit:
  // a check of the last drawn text would take only the first letter.
  ASSERT_GE(TextEndX, 504 - TextCursor->Width);
  for (char c : std::string("abc d")) Type(c);
  Tick();
  EXPECT_EQ(PlayerName, "ABC D");
  PlayerName = std::string(kNameFitBytes - 2, 'I');
  for (char c : std::string("iii ")) Type(c);
  Tick();
  EXPECT_EQ(PlayerName, std::string(kNameFitBytes, 'I') + " ");
}

TEST_F(NameEntryTest, TypingDrawsTheNameWithTheCursorOnItsLastCharacter) {
  Tick();
  EXPECT_EQ(TextCursor->X, 290);  // an empty name
  for (char c : std::string("ab")) {
    Type(c);
    Tick();
  }
  EXPECT_EQ(PlayerName, "AB");
  const double W = TextCursor->Width;
  double w = WideWidths['B' - 46];
  EXPECT_DOUBLE_EQ(TextCursor->X, TextEndX + 2 - w - (W - w) / 2);
  // After a trailing space the cursor covers the space's advance.
  Type(' ');
  Tick();
  w = Trunc(FindImage("Font_big")->PatternWidth() * 0.2);
  EXPECT_DOUBLE_EQ(TextCursor->X, TextEndX + 2 - w - (W - w) / 2);
  // The cursor blinks while the world stands still.
  bool changed = false;
  const bool was = TextCursor->Visible;
  for (int i = 0; i < 20; ++i) {
    Tick();
    changed |= TextCursor->Visible != was;
  }
  EXPECT_TRUE(changed);
}

TEST_F(NameEntryTest, EnterStoresTheResultAndAsksToSendIt) {
  for (char c : std::string("ann")) {
    Type(c);
    Tick();
  }
  const int sprites = Sprites();
  Type(13);
  Tick();
  EXPECT_EQ(PlayState, SubmitPrompt);
  EXPECT_EQ(TextCursor, nullptr);
  // 550 goes between 600 and 500; 100 drops out.
  EXPECT_EQ(HighScores[6], (THighScore{"ANN", 550}));
  EXPECT_EQ(HighScores[7].Score, 500);
  EXPECT_EQ(HighScores[10].Score, 200);
  Tick();  // the name window and its cursor are freed, the prompt stays
  EXPECT_EQ(Sprites(), sprites - 1);
  // No to sending: the high-score screen, the name kept for the next game.
  null.SetKey('N', true);
  Tick();
  EXPECT_EQ(GameScreen, HighScoreScreen);
  EXPECT_EQ(PlayerName, "ANN");
}

// The entry is on disk, with the check string that keeps it, as soon as the
// name is entered: a kill before the end of the game loses nothing.
TEST_F(NameEntryTest, TheEntryIsOnDiskAtOnce) {
  for (char c : std::string("kept")) Type(c);
  Type(13);
  Tick();
  EXPECT_TRUE(null.MessageBoxes.empty());
  ResetRecords();
  LoadSaveFiles();
  EXPECT_EQ(HighScores[6], (THighScore{"KEPT", 550}));
}

TEST_F(NameEntryTest, AFailedSaveIsToldWithThePath) {
  std::filesystem::remove_all("Data/Save");
  std::ofstream("Data/Save") << "not a folder";
  Type('x');
  Type(13);
  Tick();
  EXPECT_EQ(PlayState, SubmitPrompt);
  ASSERT_EQ(null.MessageBoxes.size(), 1u);
  const std::string path = (dir.Path() / "Data" / "Save" / "hs").string();
  EXPECT_EQ(null.MessageBoxes[0].second.find("Your score could not be saved to\n" + path + "\n("), 0u)
      << null.MessageBoxes[0].second;
  Tick();
  EXPECT_EQ(null.MessageBoxes.size(), 1u);  // said once, not every frame
}

// A name takes letters while they fit (33 of the narrowest, I, in the big
// font) and then spaces up to its byte bound, whatever the width.
TEST_F(NameEntryTest, ANameStopsAtItsByteBound) {
  PlayerName.clear();
  for (size_t i = 0; i < kMaxNameBytes + 10; ++i) {
    Type('i');
    Tick();
  }
  EXPECT_EQ(PlayerName, std::string(kNameFitBytes, 'I'));
  for (size_t i = 0; i < kMaxNameBytes; ++i) Type(' ');
  Tick();
  EXPECT_EQ(PlayerName.size(), kMaxNameBytes);
  Type(8);
  Type('i');
  Tick();
  EXPECT_EQ(PlayerName.size(), kMaxNameBytes - 1);  // no room on screen
  Type(' ');
  Type(' ');
  Tick();
  EXPECT_EQ(PlayerName.size(), kMaxNameBytes);
  // A short name with spaces: the same bound.
  PlayerName = "A";
  for (size_t i = 0; i < 2 * kMaxNameBytes; ++i) Type(' ');
  Tick();
  EXPECT_EQ(PlayerName, "A" + std::string(kMaxNameBytes - 1, ' '));
}

TEST_F(NameEntryTest, AnEmptyNameIsAccepted) {
  PlayerName.clear();
  Type(13);
  Tick();
  EXPECT_EQ(HighScores[6], (THighScore{"", 550}));
}

// ---- the caption sprite

TEST_F(ScreensTest, CaptionDrawsStretchedByScale) {
  TPictureCollectionItem* item = form->MDXImageList.Items.Add();
  item->SetName("Dot");
  item->Picture = MakePicture(2, 2, [](int, int) { return 0xFF0000u; });
  item->Restore();
  LeaveMainMenu();
  auto* caption = new TCaption("Dot", 10.4, 20.6);
  EXPECT_EQ(caption->Z(), 6);
  caption->Scale = 2.5;
  caption->SetImage("Dot");
  EXPECT_EQ(caption->Width, 5);
  TDirectDrawSurface& s = *form->MDXDraw.Surface();
  s.Fill(0);
  caption->Render();
  // From (Round(X), Round(Y)) to (Round(X + Width), Round(Y + Height)).
  const uint16_t red = PixelToRGB565(0xFF0000);
  EXPECT_EQ(s.Pixel(10, 21), red);
  EXPECT_EQ(s.Pixel(14, 25), red);
  EXPECT_NE(s.Pixel(15, 25), red);
  EXPECT_NE(s.Pixel(9, 21), red);
  EXPECT_NE(s.Pixel(10, 20), red);
  caption->Visible = false;
  s.Fill(0);
  caption->Render();
  EXPECT_NE(s.Pixel(10, 21), red);
}

}  // namespace
