#pragma once
// The menu screens: main menu, options, high scores and help.
#include <array>
#include <cstdint>
#include <string>

#include "services/TickInput.h"

namespace fusewick {

class TCaption;
class TMenuButton;

// What only the menu screens use: their buttons and selection, the mouse,
// the screens' captions and the help page. `MenuState = {}` puts it back to
// its start (ResetProgramState does, with the rest of the program's state).
struct TMenuState {
  std::array<TMenuButton*, 7> MenuButtons{};  // 1..6
  int32_t MenuButtonCount = 0;
  int32_t MenuSelection = 0;  // 1-based, 0 = none
  bool MouseMoved = false;
  int32_t MouseX = 0, MouseY = 0;
  TCaption* MenuPointer = nullptr;
  TCaption* OptionsCaption = nullptr;
  TCaption* HighScoreCaption = nullptr;
  TCaption* HelpCaption = nullptr;
  int32_t HelpPage = 1;
  bool MenuModeActive = false;  // the menus' music and mouse cursor are on
};
extern TMenuState MenuState;

inline auto& MenuButtons = MenuState.MenuButtons;
inline auto& MenuButtonCount = MenuState.MenuButtonCount;
inline auto& MenuSelection = MenuState.MenuSelection;
inline auto& MouseMoved = MenuState.MouseMoved;
inline auto& MouseX = MenuState.MouseX;
inline auto& MouseY = MenuState.MouseY;
inline auto& MenuPointer = MenuState.MenuPointer;
inline auto& OptionsCaption = MenuState.OptionsCaption;
inline auto& HighScoreCaption = MenuState.HighScoreCaption;
inline auto& HelpCaption = MenuState.HelpCaption;
inline auto& HelpPage = MenuState.HelpPage;
inline auto& MenuModeActive = MenuState.MenuModeActive;

// Each screen's buttons, numbered as MenuSelection counts them (1-based,
// in the order the screen creates them).
enum class TMainMenuButton : int32_t { NewGame = 1, Options = 2, HighScores = 3, Help = 4, WebSite = 5, Exit = 6 };
enum class TOptionsButton : int32_t { DisplayMode = 1, Music = 2, Sound = 3, EditText = 4, Back = 5 };
enum class THighScoreButton : int32_t { Clear = 1, WorldPage = 2, Back = 3 };
enum class THelpButton : int32_t { Previous = 1, Next = 2, Back = 3 };

// A button's number, as MenuSelection holds it.
constexpr int32_t Button(TMainMenuButton b) { return int32_t(b); }
constexpr int32_t Button(TOptionsButton b) { return int32_t(b); }
constexpr int32_t Button(THighScoreButton b) { return int32_t(b); }
constexpr int32_t Button(THelpButton b) { return int32_t(b); }

void ShowMainMenu(TMainMenuButton selection);
void LeaveMainMenu();
void ShowOptions();
void LeaveOptions();
void ShowHighScores();
void LeaveHighScores();
void ShowHelp();
void LeaveHelp();
// Shows help page HelpPage.
void ShowHelpPage();

// Per-tick frames, with the tick's input (the Options frame takes the
// characters typed into its text row).
void MenuFrame(const TTickInput& in);
void UpdateMenuPointer();
void OptionsFrame(const TTickInput& in);
void HighScoreFrame(const TTickInput& in);

void UpdateHover();
void UpdateHighlights();
void SelectPrevious();
void SelectNext();

// The Options text row: editing while TextCursor is active.
bool TextEditActive();
void StartTextEdit();
void StopTextEdit();
// One typed character for the Options text row.
void OptionsTextKey(char key);

// The menu-mode switch: music and mouse cursor once on entering the menus.
void EnterMenuMode();

}  // namespace fusewick
