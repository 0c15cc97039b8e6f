#pragma once
// Where the menu screens put their pictures: the buttons of each screen,
// the panels and the main menu's pointer, and the message windows of the
// game screen. Plain constexpr data with no dependencies: the screens, the
// art tool's previews and the tests all use this one copy.
#include <cstdint>

#include "services/AssetNames.h"

namespace fusewick {

struct ButtonRow {
  const char* Highlighted;
  const char* Normal;
  int32_t Pattern;  // the same for both looks
  double X, Y;
};

// On the main menu the "_Active" pictures are the resting look and the
// "_Inactive" ones the highlight; the other screens have it the other way.
inline constexpr ButtonRow kMainMenuButtons[6] = {
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 0, 270, 190},  // new game
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 1, 270, 238},  // options
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 2, 270, 286},  // high scores
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 3, 270, 334},  // help
    {"MainMenuButtons_Inactive", "MainMenuButtons_Active", 4, 270, 382},  // web site
    {"MainMenu_Exit_Inactive", "MainMenu_Exit_Active", 0, 270, 429},      // exit
};
inline constexpr ButtonRow kOptionsButtons[5] = {
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 221},          // display mode
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 269},          // music
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 317},          // sound
    {"Options_Button_Active", "Options_Button_Inactive", 1, 31, 365},          // text row
    {"Options_BackButton_Active", "Options_BackButton_Inactive", 1, 57, 460},  // back
};
inline constexpr ButtonRow kHighScoreButtons[3] = {
    {"ClearButton_Active", "ClearButton_Inactive", 1, 47, 470},  // clear the table
    {"ViewButton_Active", "ViewButton_Inactive", 1, 354, 471},   // world high-score page
    {"BackButton_Active", "BackButton_Inactive", 1, 237, 515},   // back
};
inline constexpr ButtonRow kHelpButtons[3] = {
    {"Help_PreviousButton_Active", "Help_PreviousButton_Inactive", 1, 48, 448},  // previous page
    {"Help_NextButton_Active", "Help_NextButton_Inactive", 1, 486, 447},         // next page
    {"Help_BackButton_Active", "Help_BackButton_Inactive", 1, 237, 495},         // back
};

// Fixed pictures of the menu screens, top left corners.
inline constexpr double kPanelX = 26, kPanelY = 126;  // options, high-score and help panels
inline constexpr double kMenuPointerX = 224;
// The main menu's pointer Y for buttons 1 to 6.
inline constexpr int32_t kMenuPointerY[7] = {0, 191, 239, 289, 336, 382, 432};
inline constexpr double kOptionsCursorX = 292, kOptionsCursorY = 390;

// The message window of each play state 1 .. 7 (row 0: none): its
// picture's top left, the effect it opens with, whether it closes by itself.
struct MessageWindowRow {
  const char* Image;
  double X, Y;
  const char* Sound;
  bool Timed;
};
inline constexpr MessageWindowRow kMessageWindows[8] = {
    {nullptr, 0, 0, nullptr, false},
    {"WindowSmall", 292, 242, nullptr, true},                 // level intro
    {"WindowSmall", 292, 242, nullptr, false},                // paused
    {"Window", 260, 217, nullptr, false},                     // finish the game?
    {"WindowMedium", 260, 242, effect::LevelComplete, true},  // level completed
    {"Window", 260, 217, effect::GameOver, true},             // game over
    {"WindowMedium", 260, 217, nullptr, false},               // your name
    {"WindowBig", 200, 200, nullptr, false},                  // send the result?
};

// Every picture named above is one the asset tools make.
template <size_t N>
consteval bool AllListed(const ButtonRow (&rows)[N]) {
  for (const ButtonRow& r : rows)
    if (ImageNameIndex(r.Highlighted) < 0 || ImageNameIndex(r.Normal) < 0) return false;
  return true;
}
static_assert(AllListed(kMainMenuButtons) && AllListed(kOptionsButtons) && AllListed(kHighScoreButtons) &&
              AllListed(kHelpButtons));
static_assert([] {
  for (const MessageWindowRow& r : kMessageWindows)
    if (r.Image && ImageNameIndex(r.Image) < 0) return false;
  return true;
}());

}  // namespace fusewick
