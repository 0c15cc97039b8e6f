#pragma once
// The menu screens: main menu, options, high scores and help.
#include <cstdint>
#include <string>

namespace fusewick {

void ShowMainMenu(int32_t selection);
void LeaveMainMenu();
void ShowOptions();
void LeaveOptions();
void ShowHighScores();
void LeaveHighScores();
void ShowHelp();
void LeaveHelp();
// Shows help page HelpPage.
void ShowHelpPage();

// Per-tick frames.
void MenuFrame(int32_t lagCount);
void UpdateMenuPointer();
void OptionsFrame(int32_t lagCount);
void HighScoreFrame(int32_t lagCount);

void UpdateHover();
void UpdateHighlights();
void SelectPrevious();
void SelectNext();

// The Options text row: editing while TextCursor is active.
bool TextEditActive();
void StartTextEdit();
void StopTextEdit();
// One typed character for the Options text row / for name entry.
void OptionsTextKey(char key);
void NameEntryKey(char key);
// The text without its last character ("" stays "").
std::string DeleteLastChar(const std::string& text);

// The menu-mode switch: music and mouse cursor once on entering the menus.
void EnterMenuMode();

}  // namespace fusewick
