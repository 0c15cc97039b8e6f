#include "shell/Screens.h"

#include "shell/Globals.h"
#include "shell/MainForm.h"
#include "shell/Sound.h"

namespace fusewick {

// The screens' state: which screen, how many buttons, which is selected.
// Their sprites (backgrounds, captions, buttons) come with the art.

void EnterMenuMode() {
  if (MenuModeActive) return;
  MenuModeActive = true;
  PlayScreenMusic();
  ShowMouseCursor();
}

static void EnterScreen(TGameScreen screen, int32_t buttons, int32_t selection) {
  GameScreen = screen;
  MenuButtonCount = buttons;
  MenuSelection = selection;
  MouseMoved = false;
}

void ShowMainMenu(int32_t selection) {
  EnterMenuMode();
  EnterScreen(MainMenu, 6, selection);
}
void LeaveMainMenu() { GameScreen = NoScreen; }

void ShowOptions() { EnterScreen(Options, 5, 5); }
void LeaveOptions() { GameScreen = NoScreen; }

void ShowHighScores() {
  EnterMenuMode();
  EnterScreen(HighScoreScreen, 3, 3);
}
void LeaveHighScores() { GameScreen = NoScreen; }

void ShowHelp() {
  EnterScreen(Help, 3, 2);
  HelpPage = 1;
}
void LeaveHelp() { GameScreen = NoScreen; }
void ShowHelpPage() {}

void UpdateHover() {}
void UpdateHighlights() {}

void SelectPrevious() {
  if (MenuSelection > 1) --MenuSelection;
}
void SelectNext() {
  if (MenuSelection < MenuButtonCount) ++MenuSelection;
}

// Every menu screen ends in the same drawing sequence: free what was
// killed, clear, move, draw, present.
static void DrawMenuScreen(int32_t lagCount) {
  TMForm& f = *MForm;
  f.MDXSpriteEngine.FreeKilled();
  f.MDXDraw.Surface()->Fill(0);
  f.MDXSpriteEngine.Move(lagCount);
  f.MDXSpriteEngine.Draw();
  f.MDXDraw.Surface()->ReleaseCanvas();
  f.MDXDraw.Flip();
}

void MenuFrame(int32_t lagCount) {
  UpdateHover();
  UpdateHighlights();
  DrawMenuScreen(lagCount);
}
void UpdateMenuPointer() {}
void OptionsFrame(int32_t lagCount) { MenuFrame(lagCount); }
void HighScoreFrame(int32_t lagCount) { MenuFrame(lagCount); }

static bool textEdit = false;
bool TextEditActive() { return textEdit; }
void StartTextEdit() { textEdit = true; }
void StopTextEdit() { textEdit = false; }
void OptionsTextKey(char) {}
void NameEntryKey(char) {}

}  // namespace fusewick
