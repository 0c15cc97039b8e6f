#include "shell/Screens.h"

#include <cctype>
#include <string>

#include "game/GameGlobals.h"
#include "persist/SaveFiles.h"
#include "shell/Captions.h"
#include "shell/Globals.h"
#include "shell/MainForm.h"
#include "shell/Sound.h"
#include "shell/Text.h"

namespace fusewick {

namespace {

struct ButtonRow {
  const char* Highlighted;
  const char* Normal;
  int32_t Pattern;  // the same for both looks
  double X, Y;
};

// On the main menu the "_Active" pictures are the resting look and the
// "_Inactive" ones the highlight; the other screens have it the other way.
constexpr ButtonRow kMainMenuButtons[6] = {
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 0, 270, 190},  // new game
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 1, 270, 238},  // options
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 2, 270, 286},  // high scores
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 3, 270, 334},  // help
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 4, 270, 382},  // web site
    {"MainMenu_Exit_Inactive", "MainMenu_Exit_Active", 0, 270, 429},     // exit
};
constexpr ButtonRow kOptionsButtons[5] = {
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 221},          // display mode
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 269},          // music
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 317},          // sound
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 365},          // text row
    {"Options_BackButton_Active", "Options_BackButton_Inactive", 1, 57, 460},  // back
};
constexpr ButtonRow kHighScoreButtons[3] = {
    {"ClearButton_Active", "ClearButton_Inactive", 1, 47, 470},  // clear the table
    {"ViewButton_Active", "ViewButton_Inactive", 1, 354, 471},   // world high-score page
    {"BackButton_Active", "BackButton_Inactive", 1, 237, 515},   // back
};
constexpr ButtonRow kHelpButtons[3] = {
    {"Help_PreviousButton_Active", "Help_PreviousButton_Inactive", 1, 48, 448},  // previous page
    {"Help_NextButton_Active", "Help_NextButton_Inactive", 1, 486, 447},         // next page
    {"Help_BackButton_Active", "Help_BackButton_Inactive", 1, 237, 495},         // back
};

// Fixed pictures of the menu screens, top left corners.
constexpr double kPanelX = 26, kPanelY = 126;  // options, high-score and help panels
constexpr double kMenuPointerX = 224;
constexpr double kOptionsCursorX = 292, kOptionsCursorY = 390;
// Where the two text cursors rest on an empty text.
constexpr double kNameCursorStart = 290;
constexpr double kOptionsCursorStart = 292;
// Right limits of the pen for taking another letter (less the cursor).
constexpr int32_t kNameTextLimit = 504;
constexpr int32_t kOptionsTextLimit = 526;

constexpr char kBackspace = 8;
constexpr char kEnter = 13;

template <size_t N>
void MakeButtons(const ButtonRow (&rows)[N]) {
  for (size_t i = 0; i < N; ++i) {
    const ButtonRow& r = rows[i];
    MenuButtons[i + 1] = new TMenuButton(r.Highlighted, r.Normal, r.Pattern, r.Pattern, r.X, r.Y);
  }
}

void EnterScreen(TGameScreen screen, int32_t buttons, int32_t selection) {
  GameScreen = screen;
  MenuButtonCount = buttons;
  MenuSelection = selection;
  MouseMoved = false;
}

void MakeBackground() { Background = new TBackground("MainMenuBackground", 1); }

// A fixed picture of a screen goes at once, not at the next frame.
template <typename T>
void Destroy(T*& sprite) {
  delete sprite;
  sprite = nullptr;
}

// Every screen exit: the background goes at once, the buttons are killed
// and freed by the next frame.
void LeaveScreen() {
  GameScreen = NoScreen;
  Destroy(Background);
  for (int32_t i = 1; i <= MenuButtonCount; ++i) {
    if (MenuButtons[size_t(i)]) MenuButtons[size_t(i)]->Kill();
    MenuButtons[size_t(i)] = nullptr;
  }
}

// A typed letter, made a capital; 0 for anything else.
char UpperLetter(char key) {
  const char up = char(std::toupper(uint8_t(key)));
  return up >= 'A' && up <= 'Z' ? up : 0;
}

// The cursor sits under the last character drawn, centred on its width;
// on an empty text, or when that would put it left of the text's start,
// it rests at the start.
void PlaceCursor(const std::string& text, double start) {
  if (!TextCursor) return;
  const double w = CursorGlyphWidth(LastGlyph);
  const double cursorWidth = TextCursor->Width;
  const double x = TextEndX + 2 - w - (cursorWidth - w) / 2;
  TextCursor->X = (x >= start && !text.empty()) ? x : start;
}

}  // namespace

void EnterMenuMode() {
  if (MenuModeActive) return;
  MenuModeActive = true;
  PlayScreenMusic();
  ShowMouseCursor();
}

// ---- screen entry and exit

void ShowMainMenu(TMainMenuButton selection) {
  EnterMenuMode();
  EnterScreen(MainMenu, 6, Button(selection));
  MakeBackground();
  MenuPointer = new TCaption("BombPointer", kMenuPointerX, kMenuPointerY[1]);
  MenuPointer->Visible = false;
  MakeButtons(kMainMenuButtons);
}

void LeaveMainMenu() {
  LeaveScreen();
  Destroy(MenuPointer);
}

void ShowOptions() {
  EnterScreen(Options, 5, Button(TOptionsButton::Back));
  TextCursor = new TCursorCaption("Cursor", kOptionsCursorX, kOptionsCursorY);
  TextCursor->SetZ(kZFront);
  TextCursor->Active = false;
  MakeBackground();
  OptionsCaption = new TCaption("OptionsTable", kPanelX, kPanelY);
  MakeButtons(kOptionsButtons);
}

void LeaveOptions() {
  LeaveScreen();
  Destroy(OptionsCaption);
  Destroy(TextCursor);
  SaveOptionsNow();
}

void ShowHighScores() {
  EnterMenuMode();
  EnterScreen(HighScoreScreen, 3, Button(THighScoreButton::Back));
  SelectFont(0);
  MakeBackground();
  HighScoreCaption = new TCaption("HighScoreTable", kPanelX, kPanelY);
  MakeButtons(kHighScoreButtons);
}

void LeaveHighScores() {
  LeaveScreen();
  Destroy(HighScoreCaption);
}

void ShowHelp() {
  EnterScreen(Help, 3, Button(THelpButton::Next));
  MakeBackground();
  HelpPage = 1;
  HelpCaption = new TCaption("Help1", kPanelX, kPanelY);
  MakeButtons(kHelpButtons);
}

void LeaveHelp() {
  LeaveScreen();
  Destroy(HelpCaption);
}

void ShowHelpPage() {
  if (HelpCaption) HelpCaption->SetImage("Help" + std::to_string(HelpPage));
}

// ---- selection

void UpdateHover() {
  if (!MouseMoved) return;
  // The first button under the pointer, edges included; none keeps the
  // selection where it was.
  for (int32_t i = 1; i <= MenuButtonCount; ++i) {
    const TMenuButton* b = MenuButtons[size_t(i)];
    if (!b) continue;
    if (b->X <= MouseX && MouseX <= b->X + b->Width && b->Y <= MouseY && MouseY <= b->Y + b->Height) {
      MenuSelection = i;
      return;
    }
  }
}

void UpdateHighlights() {
  for (int32_t i = 1; i <= MenuButtonCount; ++i) {
    TMenuButton* b = MenuButtons[size_t(i)];
    if (!b || i == MenuSelection) continue;
    b->Unhighlight();
    b->Highlighted = false;
  }
  if (MenuSelection < 1 || MenuSelection > MenuButtonCount) return;
  TMenuButton* chosen = MenuButtons[size_t(MenuSelection)];
  if (chosen && !chosen->Highlighted) {
    chosen->Highlight();  // plays "Button_Activated": once per change
    chosen->Highlighted = true;
  }
}

void SelectPrevious() {
  if (MenuSelection > 1) --MenuSelection;
}
void SelectNext() {
  if (MenuSelection < MenuButtonCount) ++MenuSelection;
}

// ---- frames

namespace {

// The menu screens free what was killed, clear, move and draw; their words
// go on top; then the frame is presented.
void MenuScreenFrame(int32_t lagCount, void (*drawWords)()) {
  TMForm& f = *MForm;
  UpdateHover();
  UpdateHighlights();
  f.MDXSpriteEngine.FreeKilled();
  f.MDXDraw.Surface()->Fill(0);
  f.MDXSpriteEngine.Move(lagCount);
  f.MDXSpriteEngine.Draw();
  if (drawWords) drawWords();
  f.MDXDraw.Surface()->ReleaseCanvas();
  f.MDXDraw.Flip();
}

}  // namespace

void MenuFrame(int32_t lagCount) { MenuScreenFrame(lagCount, nullptr); }

void UpdateMenuPointer() {
  if (!MenuPointer) return;
  if (MenuSelection >= 1 && MenuSelection <= 6) {
    MenuPointer->Y = kMenuPointerY[MenuSelection];
    MenuPointer->Visible = true;
  } else {
    MenuPointer->Visible = false;
  }
}

void OptionsFrame(int32_t lagCount) {
  MenuScreenFrame(lagCount, [] {
    if (TextEditActive()) PlaceOptionsCursor();
    DrawOptionsText();
  });
}

void HighScoreFrame(int32_t lagCount) { MenuScreenFrame(lagCount, DrawHighScoreTable); }

// ---- the two text inputs

std::string DeleteLastChar(const std::string& text) { return text.empty() ? text : text.substr(0, text.size() - 1); }

bool TextEditActive() { return GameScreen == Options && TextCursor && TextCursor->Active; }

void StartTextEdit() {
  if (!TextCursor) return;
  PlaceOptionsCursor();
  TextCursor->Active = true;
}

void StopTextEdit() {
  if (TextCursor) TextCursor->Active = false;  // its next step hides it
}

void OptionsTextKey(char key) {
  std::string& text = GameOptions.AddText;
  if (key == kBackspace) {
    text = DeleteLastChar(text);
  } else if (text.size() >= kMaxTextBytes) {
    // full: nothing more is taken, not even a space
  } else if (const char letter = UpperLetter(key); letter && TextCursor && TextEndX < kOptionsTextLimit - TextCursor->Width) {
    text += letter;
  } else if (key == ' ') {
    text += ' ';
  }
}

void NameEntryKey(char key) {
  if (key == kEnter) {
    // An empty name is taken as it is.
    CloseMessageWindow();
    HighScores[11] = {PlayerName, Score};
    SortHighScores();
    SaveTableNow("Your score");  // on disk at once: a crash or a kill keeps it
    OpenMessageWindow(SubmitPrompt);
  } else if (key == kBackspace) {
    PlayerName = DeleteLastChar(PlayerName);
  } else if (PlayerName.size() >= kMaxNameBytes) {
    // full: nothing more is taken, not even a space
  } else if (const char letter = UpperLetter(key);
             letter && (PlayerName.empty() || (TextCursor && TextEndX < kNameTextLimit - TextCursor->Width))) {
    PlayerName += letter;
  } else if (key == ' ') {
    PlayerName += ' ';
  }
}

void PlaceOptionsCursor() { PlaceCursor(GameOptions.AddText, kOptionsCursorStart); }
void PlaceNameCursor() { PlaceCursor(PlayerName, kNameCursorStart); }

}  // namespace fusewick
