#pragma once
// The names of the game's sound effects and images: the game plays and
// looks them up by these names, the asset tools make exactly these, and the
// tests check both against this one list. Plain constexpr data with no
// dependencies.
#include <array>
#include <cstdint>
#include <string_view>

namespace fusewick {

// The sound effects of Data/Res/Sounds.dxw.
namespace effect {
inline constexpr const char* ButtonPressed = "Button_Pressed";      // a menu button is activated, or Enter
inline constexpr const char* ButtonActivated = "Button_Activated";  // a menu button becomes highlighted
inline constexpr const char* LevelComplete = "Level_Complete";
inline constexpr const char* GameOver = "GameOver";
inline constexpr const char* BonusLost = "BonusLost";  // the hero's timed bonus runs out
inline constexpr const char* Shot = "Shot";
inline constexpr const char* Die3 = "Die3";  // the hero is hurt
inline constexpr const char* Die2 = "Die2";  // the hero loses a life
inline constexpr const char* Water = "Water";
inline constexpr const char* BombGet = "BombGet";    // a bomb, mine or dynamite is taken
inline constexpr const char* BonusGet = "BonusGet";  // any other item is taken
inline constexpr const char* MonsterExplosion = "Monster_Explosion";
inline constexpr const char* BombExplosion = "Bomb_Explosion";  // a bomb explodes, or a bullet bursts
}  // namespace effect

// Every effect, in archive order.
inline constexpr std::array<const char*, 13> kEffectNames = {effect::ButtonPressed, effect::ButtonActivated,
                                                             effect::LevelComplete, effect::GameOver,
                                                             effect::BonusLost,     effect::Shot,
                                                             effect::Die3,          effect::Die2,
                                                             effect::Water,         effect::BombGet,
                                                             effect::BonusGet,      effect::MonsterExplosion,
                                                             effect::BombExplosion};

// An image the game looks up: its archive (1: Data/Res/Images1.dxg, 2:
// Images2.dxg) and the patterns the game indexes in it: N > 0 exactly N;
// 0 a button, whose look is pattern 1 (at least 2); -N an animation that
// needs at least N frames.
struct NamedImage {
  std::string_view Name;
  int32_t Archive;
  int32_t Patterns;
};

inline constexpr NamedImage kImageNames[] = {
    {"BackButton_Active", 1, 0},
    {"BackButton_Inactive", 1, 0},
    {"Bomb", 1, 1},
    {"BombPointer", 1, 1},
    {"Bomb_Dynamit_Burning", 1, -1},
    {"Bomb_Player_Explode", 1, -8},
    {"BulletEnemy", 1, 1},
    {"BulletPlayer", 1, 1},
    {"ClearButton_Active", 1, 0},
    {"ClearButton_Inactive", 1, 0},
    {"Cloud", 1, 1},
    {"Cursor", 1, 1},
    {"Dynamit", 1, 1},
    {"EngineFire", 1, -1},
    {"EngineFireLeft", 1, -1},
    {"EngineFireRight", 1, -1},
    {"Font_big", 1, 44},
    {"Font_medium_active", 1, 44},
    {"Font_medium_inactive", 1, 44},
    {"Font_small", 1, 44},
    {"Green", 1, 1},
    {"HealthBar", 1, 1},
    {"Help1", 1, 1},
    {"Help2", 1, 1},
    {"Help3", 1, 1},
    {"Help_BackButton_Active", 1, 0},
    {"Help_BackButton_Inactive", 1, 0},
    {"Help_NextButton_Active", 1, 0},
    {"Help_NextButton_Inactive", 1, 0},
    {"Help_PreviousButton_Active", 1, 0},
    {"Help_PreviousButton_Inactive", 1, 0},
    {"HighScoreTable", 1, 1},
    {"ItemStartAnim", 1, -2},
    {"LeftPanel", 1, 1},
    {"LevelEnergo", 1, 1},
    {"LevelEngine", 1, 1},
    {"LevelGun", 1, 1},
    {"LevelLife", 1, 1},
    {"LevelMegaBomb", 1, 1},
    {"LevelMoney10", 1, 1},
    {"LevelMoney20", 1, 1},
    {"LevelMoney50", 1, 1},
    {"MainMenuBackground", 1, 1},
    {"MainMenuButtons_Active", 1, 5},
    {"MainMenuButtons_Inactive", 1, 5},
    {"MainMenu_Exit_Active", 1, -1},
    {"MainMenu_Exit_Inactive", 1, -1},
    {"Mine", 1, -2},
    {"Monster1Left", 1, -2},
    {"Monster1Right", 1, -2},
    {"Monster2", 1, 1},
    {"Monster3Left", 1, 1},
    {"Monster3Right", 1, 1},
    {"Monster4Left", 1, -2},
    {"Monster4Right", 1, -2},
    {"Monster5", 1, 1},
    {"Monster6", 1, 1},
    {"Monster7", 1, 1},
    {"Monster7_Bomb1", 1, 1},
    {"Monster7_Bomb2", 1, 1},
    {"MonsterExplode", 1, -4},
    {"None", 1, 1},
    {"OptionsTable", 1, 1},
    {"Options_BackButton_Active", 1, 0},
    {"Options_BackButton_Inactive", 1, 0},
    {"Options_Button_Active", 1, 0},
    {"Options_Button_Inactive", 1, 0},
    {"PanelEnergoBonus", 1, 1},
    {"PanelEngineBonus", 1, 1},
    {"PanelGunBonus", 1, 1},
    {"Platform1", 1, 1},
    {"Platform2", 1, 1},
    {"PlayerEnergo", 1, 1},
    {"PlayerFreezeLeft", 1, 1},
    {"PlayerFreezeRight", 1, 1},
    {"PlayerHighJump", 1, -2},
    {"PlayerJump", 1, -2},
    {"PlayerLeft", 1, -4},
    {"PlayerRight", 1, -4},
    {"PlayerLeftGun", 1, -4},
    {"PlayerRightGun", 1, -4},
    {"PlayerLeftEngine", 1, -4},
    {"PlayerRightEngine", 1, -4},
    {"RightPanel", 1, 1},
    {"ShootFireLeft", 1, -2},
    {"ShootFireRight", 1, -2},
    {"Spittle1", 1, 1},
    {"Spittle2", 1, 1},
    {"ViewButton_Active", 1, 0},
    {"ViewButton_Inactive", 1, 0},
    {"Wall", 1, 1},
    {"Water", 1, 1},
    {"Window", 1, 1},
    {"WindowBig", 1, 1},
    {"WindowMedium", 1, 1},
    {"WindowSmall", 1, 1},
    {"Background1", 2, 1},
    {"Background2", 2, 1},
    {"Background3", 2, 1},
    {"Background4", 2, 1},
    {"Background5", 2, 1},
};

// The index of the listed image of that name in kImageNames, or -1. (An
// index, not a pointer: g++ 12 with the sanitizers cannot compare a pointer
// into the table with null in a constant expression.)
constexpr int32_t ImageNameIndex(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kImageNames); ++i)
    if (kImageNames[i].Name == name) return int32_t(i);
  return -1;
}

// The listed image of that name, or null.
constexpr const NamedImage* FindImageName(std::string_view name) {
  const int32_t i = ImageNameIndex(name);
  return i < 0 ? nullptr : &kImageNames[i];
}

// An image name checked against the list when the program is compiled: a
// name the list lacks does not compile.
consteval const char* ListedImage(const char* name) {
  if (ImageNameIndex(name) < 0) throw "not a listed image";
  return name;
}

}  // namespace fusewick
