#include "form/Screens.h"

#include <cctype>
#include <string>

#include "form/MainForm.h"
#include "services/Captions.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Recording.h"
#include "services/SaveFiles.h"
#include "services/ScreenLayout.h"
#include "services/Sound.h"
#include "services/Text.h"

namespace fusewick {

TMenuState MenuState;

namespace {

// Right limit of the pen for taking another letter (less the cursor).
constexpr int32_t kOptionsTextLimit = 526;

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
  TFormComponents& f = *MForm;
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

void MenuFrame(const TTickInput& in) { MenuScreenFrame(in.LagCount, nullptr); }

void UpdateMenuPointer() {
  if (!MenuPointer) return;
  if (MenuSelection >= 1 && MenuSelection <= 6) {
    MenuPointer->Y = kMenuPointerY[MenuSelection];
    MenuPointer->Visible = true;
  } else {
    MenuPointer->Visible = false;
  }
}

void OptionsFrame(const TTickInput& in) {
  // What was typed into the text row since the last tick.
  for (const char c : in.Typed()) OptionsTextKey(c);
  MenuScreenFrame(in.LagCount, [] {
    if (TextEditActive()) PlaceOptionsCursor();
    DrawOptionsText();
  });
}

void HighScoreFrame(const TTickInput& in) { MenuScreenFrame(in.LagCount, DrawHighScoreTable); }

// ---- the two text inputs

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
  } else if (const char letter = UpperLetter(key);
             letter && TextCursor && OptionsTextEnd() < kOptionsTextLimit - TextCursor->Width) {
    text += letter;
  } else if (key == ' ') {
    text += ' ';
  }
}

}  // namespace fusewick
