#pragma once
// The draw functions of the catalogue, one family per file.
#include "catalogue.h"

namespace fusewick::art {

// draw_hero.cpp: variant 0 plain, 1 with the gun, 2 with the engine.
void DrawHero(cairo_t* cr, const Frame& f);
void DrawHeroFrozen(cairo_t* cr, const Frame& f);
void DrawHeroShield(cairo_t* cr, const Frame& f);
void DrawJumpPuff(cairo_t* cr, const Frame& f);  // variant 0 jump, 1 high jump
void DrawMuzzleFlash(cairo_t* cr, const Frame& f);

// draw_monsters.cpp
void DrawMonster1(cairo_t* cr, const Frame& f);
void DrawMonster2(cairo_t* cr, const Frame& f);
void DrawMonster3(cairo_t* cr, const Frame& f);
void DrawMonster4(cairo_t* cr, const Frame& f);
void DrawMonster5(cairo_t* cr, const Frame& f);
void DrawMonster6(cairo_t* cr, const Frame& f);
void DrawMonster7(cairo_t* cr, const Frame& f);
void DrawMonsterBlast(cairo_t* cr, const Frame& f);
void DrawBulletPlayer(cairo_t* cr, const Frame& f);
void DrawBulletEnemy(cairo_t* cr, const Frame& f);
void DrawSpittle(cairo_t* cr, const Frame& f);     // variant 1 freezing, 2 burning
void DrawBomberBomb(cairo_t* cr, const Frame& f);  // variant 1 blast, 2 ice

// draw_items.cpp
void DrawBomb(cairo_t* cr, const Frame& f);
void DrawMine(cairo_t* cr, const Frame& f);
void DrawDynamite(cairo_t* cr, const Frame& f);
void DrawFuseFlame(cairo_t* cr, const Frame& f);
void DrawBombBlast(cairo_t* cr, const Frame& f);
void DrawBonus(cairo_t* cr, const Frame& f);  // variant: item kind 4 .. 11
void DrawItemAppear(cairo_t* cr, const Frame& f);
void DrawEngineFlame(cairo_t* cr, const Frame& f);
void DrawSideFlame(cairo_t* cr, const Frame& f);

// draw_scenery.cpp
void DrawPlatformFixed(cairo_t* cr, const Frame& f);
void DrawPlatformEngines(cairo_t* cr, const Frame& f);
void DrawCloud(cairo_t* cr, const Frame& f);
void DrawWall(cairo_t* cr, const Frame& f);
void DrawGrass(cairo_t* cr, const Frame& f);
void DrawWater(cairo_t* cr, const Frame& f);
void DrawBackground(cairo_t* cr, const Frame& f);  // variant 1 .. 5
void DrawMenuBackground(cairo_t* cr, const Frame& f);

// draw_ui.cpp
void DrawFont(cairo_t* cr, const Frame& f);        // variant: font index 0 .. 3
void DrawMenuButton(cairo_t* cr, const Frame& f);  // variant: ButtonLook below
void DrawOptionsRow(cairo_t* cr, const Frame& f);  // variant 0 normal, 1 lit
void DrawOptionsTable(cairo_t* cr, const Frame& f);
void DrawHighScoreTable(cairo_t* cr, const Frame& f);
void DrawHelpPage(cairo_t* cr, const Frame& f);  // variant: page 1 .. 3
void DrawMessageWindow(cairo_t* cr, const Frame& f);
void DrawLeftPanel(cairo_t* cr, const Frame& f);
void DrawRightPanel(cairo_t* cr, const Frame& f);
void DrawHealthBar(cairo_t* cr, const Frame& f);
void DrawBonusPanel(cairo_t* cr, const Frame& f);  // variant 0 none, 1 gun, 2 engine, 3 energy
void DrawBombPointer(cairo_t* cr, const Frame& f);
void DrawTextCursor(cairo_t* cr, const Frame& f);

// draw_icon.cpp: the application icon, size x size pixels with alpha.
void DrawIcon(cairo_t* cr, int size);
constexpr int kIconSizes[] = {48, 128, 256};

// Buttons: variant = label * 2 + lit (lit: the highlighted look).
enum ButtonLabel {
  kMainMenu = 0,  // the five main-menu labels by pattern
  kExit,
  kBack,
  kClear,
  kView,
  kPrevious,
  kNext,
};
constexpr int ButtonVariant(ButtonLabel label, bool lit) { return int(label) * 2 + (lit ? 1 : 0); }

// Shared pieces that several families draw.
void PaintBombBody(cairo_t* cr, double cx, double cy, double r);
void PaintBonusIcon(cairo_t* cr, int kind, double cx, double cy, double r);

}  // namespace fusewick::art
