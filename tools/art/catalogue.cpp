#include "catalogue.h"

#include <stdexcept>

#include "draw.h"
#include "services/AssetNames.h"
#include "text.h"

namespace fusewick::art {

namespace {

constexpr bool kKeyed = true, kOpaque = false;
constexpr bool kMirror = true, kAsDrawn = false;

// Name (one the game looks up), archive, pattern width and height,
// patterns, keyed, mirrored, variant, what it shows, draw function.
const std::vector<ImageEntry> kCatalogue = {
    // Bitmap fonts: pattern k is the glyph of code 47 + k.
    {ListedImage("Font_small"), 1, kNarrowCell, 20, kGlyphCount, kKeyed, kAsDrawn, 0,
     "small font of the head-up display and the high-score screen, white on a dark outline", DrawFont},
    {ListedImage("Font_medium_inactive"), 1, kNarrowCell, 24, kGlyphCount, kKeyed, kAsDrawn, 1,
     "medium font, the unselected words: pale steel blue", DrawFont},
    {ListedImage("Font_medium_active"), 1, kNarrowCell, 24, kGlyphCount, kKeyed, kAsDrawn, 2,
     "medium font, the selected words: glowing yellow to orange", DrawFont},
    {ListedImage("Font_big"), 1, kWideCell, 28, kGlyphCount, kKeyed, kAsDrawn, 3,
     "big font of the message windows and the text rows: white to gold", DrawFont},

    // Menu screens.
    {ListedImage("MainMenuBackground"), 1, 800, 600, 1, kOpaque, kAsDrawn, 0,
     "menu backdrop: the FUSEWICK title over a starry dusk sky with fizzing bombs", DrawMenuBackground},
    {ListedImage("MainMenuButtons_Active"), 1, 260, 44, 5, kKeyed, kAsDrawn, ButtonVariant(kMainMenu, false),
     "main-menu buttons, normal look: NEW GAME, OPTIONS, HIGH SCORES, HELP, WEB SITE", DrawMenuButton},
    {ListedImage("MainMenuButtons_Inactive"), 1, 260, 44, 5, kKeyed, kAsDrawn, ButtonVariant(kMainMenu, true),
     "main-menu buttons, highlighted look", DrawMenuButton},
    {ListedImage("MainMenu_Exit_Active"), 1, 260, 44, 2, kKeyed, kAsDrawn, ButtonVariant(kExit, false),
     "EXIT button, normal look", DrawMenuButton},
    {ListedImage("MainMenu_Exit_Inactive"), 1, 260, 44, 2, kKeyed, kAsDrawn, ButtonVariant(kExit, true),
     "EXIT button, highlighted look", DrawMenuButton},
    {ListedImage("BombPointer"), 1, 44, 44, 1, kKeyed, kAsDrawn, 0, "lit bomb pointing at the chosen main-menu button",
     DrawBombPointer},
    {ListedImage("OptionsTable"), 1, 748, 390, 1, kKeyed, kAsDrawn, 0,
     "OPTIONS panel with the row labels DISPLAY, MUSIC, SOUND, TEXT", DrawOptionsTable},
    {ListedImage("Options_Button_Inactive"), 1, 738, 40, 2, kKeyed, kAsDrawn, 0, "frame of an options row, normal look",
     DrawOptionsRow},
    {ListedImage("Options_Button_Active"), 1, 738, 40, 2, kKeyed, kAsDrawn, 1,
     "frame of an options row, highlighted look", DrawOptionsRow},
    {ListedImage("Options_BackButton_Inactive"), 1, 266, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kBack, false),
     "BACK button, normal look", DrawMenuButton},
    {ListedImage("Options_BackButton_Active"), 1, 266, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kBack, true),
     "BACK button, highlighted look", DrawMenuButton},
    {ListedImage("Cursor"), 1, 20, 6, 1, kKeyed, kAsDrawn, 0, "blinking text cursor bar", DrawTextCursor},
    {ListedImage("HighScoreTable"), 1, 748, 444, 1, kKeyed, kAsDrawn, 0, "HIGH SCORES panel with the column heads",
     DrawHighScoreTable},
    {ListedImage("ClearButton_Inactive"), 1, 280, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kClear, false),
     "CLEAR TABLE button, normal look", DrawMenuButton},
    {ListedImage("ClearButton_Active"), 1, 280, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kClear, true),
     "CLEAR TABLE button, highlighted look", DrawMenuButton},
    {ListedImage("ViewButton_Inactive"), 1, 400, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kView, false),
     "WORLD HIGH SCORES button, normal look", DrawMenuButton},
    {ListedImage("ViewButton_Active"), 1, 400, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kView, true),
     "WORLD HIGH SCORES button, highlighted look", DrawMenuButton},
    {ListedImage("BackButton_Inactive"), 1, 326, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kBack, false),
     "BACK button of the high scores, normal look", DrawMenuButton},
    {ListedImage("BackButton_Active"), 1, 326, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kBack, true),
     "BACK button of the high scores, highlighted look", DrawMenuButton},
    {ListedImage("Help1"), 1, 748, 424, 1, kKeyed, kAsDrawn, 1, "help page 1: the goal and the controls", DrawHelpPage},
    {ListedImage("Help2"), 1, 748, 424, 1, kKeyed, kAsDrawn, 2, "help page 2: bombs, mines, dynamite and their fuses",
     DrawHelpPage},
    {ListedImage("Help3"), 1, 748, 424, 1, kKeyed, kAsDrawn, 3, "help page 3: the bonuses and the monsters",
     DrawHelpPage},
    {ListedImage("Help_PreviousButton_Inactive"), 1, 266, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kPrevious, false),
     "PREVIOUS page button, normal look", DrawMenuButton},
    {ListedImage("Help_PreviousButton_Active"), 1, 266, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kPrevious, true),
     "PREVIOUS page button, highlighted look", DrawMenuButton},
    {ListedImage("Help_NextButton_Inactive"), 1, 266, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kNext, false),
     "NEXT page button, normal look", DrawMenuButton},
    {ListedImage("Help_NextButton_Active"), 1, 266, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kNext, true),
     "NEXT page button, highlighted look", DrawMenuButton},
    {ListedImage("Help_BackButton_Inactive"), 1, 326, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kBack, false),
     "BACK button of the help, normal look", DrawMenuButton},
    {ListedImage("Help_BackButton_Active"), 1, 326, 40, 2, kKeyed, kAsDrawn, ButtonVariant(kBack, true),
     "BACK button of the help, highlighted look", DrawMenuButton},

    // Message windows and the head-up display.
    {ListedImage("WindowSmall"), 1, 216, 106, 1, kKeyed, kAsDrawn, 0, "small message window (level intro, pause)",
     DrawMessageWindow},
    {ListedImage("Window"), 1, 292, 170, 1, kKeyed, kAsDrawn, 1, "message window (finish the game?, game over)",
     DrawMessageWindow},
    {ListedImage("WindowMedium"), 1, 280, 110, 1, kKeyed, kAsDrawn, 2,
     "medium message window (level completed, your name)", DrawMessageWindow},
    {ListedImage("WindowBig"), 1, 400, 200, 1, kKeyed, kAsDrawn, 3, "big message window (send the result?)",
     DrawMessageWindow},
    {ListedImage("LeftPanel"), 1, 256, 55, 1, kKeyed, kAsDrawn, 0, "left head-up panel: LEVEL, SCORE and LIVES slots",
     DrawLeftPanel},
    {ListedImage("RightPanel"), 1, 212, 58, 1, kKeyed, kAsDrawn, 0, "right head-up panel: energy gauge and bonus slot",
     DrawRightPanel},
    {ListedImage("HealthBar"), 1, 1, 12, 1, kOpaque, kAsDrawn, 0, "one column of the emptied energy gauge",
     DrawHealthBar},
    {ListedImage("None"), 1, 84, 30, 1, kKeyed, kAsDrawn, 0, "bonus slot without a bonus", DrawBonusPanel},
    {ListedImage("PanelGunBonus"), 1, 84, 30, 1, kKeyed, kAsDrawn, 1, "bonus slot: gun", DrawBonusPanel},
    {ListedImage("PanelEngineBonus"), 1, 84, 30, 1, kKeyed, kAsDrawn, 2, "bonus slot: engine", DrawBonusPanel},
    {ListedImage("PanelEnergoBonus"), 1, 84, 30, 1, kKeyed, kAsDrawn, 3, "bonus slot: energy shield", DrawBonusPanel},

    // The hero, drawn at 80 %: walk cycles of 8 frames at 15 per second.
    {ListedImage("PlayerRight"), 1, 90, 85, 8, kKeyed, kAsDrawn, 0, "hero walking right", DrawHero},
    {ListedImage("PlayerLeft"), 1, 90, 85, 8, kKeyed, kMirror, 0, "hero walking left", DrawHero},
    {ListedImage("PlayerRightGun"), 1, 90, 85, 8, kKeyed, kAsDrawn, 1, "hero with the blaster, walking right",
     DrawHero},
    {ListedImage("PlayerLeftGun"), 1, 90, 85, 8, kKeyed, kMirror, 1, "hero with the blaster, walking left", DrawHero},
    {ListedImage("PlayerRightEngine"), 1, 90, 85, 8, kKeyed, kAsDrawn, 2, "hero with the jet pack, walking right",
     DrawHero},
    {ListedImage("PlayerLeftEngine"), 1, 90, 85, 8, kKeyed, kMirror, 2, "hero with the jet pack, walking left",
     DrawHero},
    {ListedImage("PlayerFreezeRight"), 1, 90, 85, 1, kKeyed, kAsDrawn, 0, "hero frozen in a block of ice, facing right",
     DrawHeroFrozen},
    {ListedImage("PlayerFreezeLeft"), 1, 90, 85, 1, kKeyed, kMirror, 0, "hero frozen in a block of ice, facing left",
     DrawHeroFrozen},
    {ListedImage("PlayerEnergo"), 1, 90, 85, 1, kKeyed, kAsDrawn, 0, "energy shield ring around the hero",
     DrawHeroShield},
    {ListedImage("PlayerJump"), 1, 50, 20, 4, kKeyed, kAsDrawn, 0, "dust puff under the feet of a jump", DrawJumpPuff},
    {ListedImage("PlayerHighJump"), 1, 50, 24, 4, kKeyed, kAsDrawn, 1, "rocket-boot burst of a high jump",
     DrawJumpPuff},
    {ListedImage("ShootFireRight"), 1, 24, 12, 4, kKeyed, kAsDrawn, 0, "muzzle flash to the right", DrawMuzzleFlash},
    {ListedImage("ShootFireLeft"), 1, 24, 12, 4, kKeyed, kMirror, 0, "muzzle flash to the left", DrawMuzzleFlash},
    {ListedImage("EngineFire"), 1, 19, 24, 4, kKeyed, kAsDrawn, 0, "downward engine flame", DrawEngineFlame},
    {ListedImage("EngineFireLeft"), 1, 16, 32, 4, kKeyed, kAsDrawn, 0, "engine flame trailing to the left",
     DrawSideFlame},
    {ListedImage("EngineFireRight"), 1, 16, 32, 4, kKeyed, kMirror, 0, "engine flame trailing to the right",
     DrawSideFlame},

    // Monsters.
    {ListedImage("Monster1Right"), 1, 48, 48, 6, kKeyed, kAsDrawn, 0, "green slime walker, walking right",
     DrawMonster1},
    {ListedImage("Monster1Left"), 1, 48, 48, 6, kKeyed, kMirror, 0, "green slime walker, walking left", DrawMonster1},
    {ListedImage("Monster2"), 1, 44, 44, 1, kKeyed, kAsDrawn, 0, "purple drifting jelly pod with two nozzles",
     DrawMonster2},
    {ListedImage("Monster3Right"), 1, 96, 32, 1, kKeyed, kAsDrawn, 0, "red rocket shark crossing to the right",
     DrawMonster3},
    {ListedImage("Monster3Left"), 1, 96, 32, 1, kKeyed, kMirror, 0, "red rocket shark crossing to the left",
     DrawMonster3},
    {ListedImage("Monster4Right"), 1, 48, 50, 6, kKeyed, kAsDrawn, 0, "yellow gun robot walking right", DrawMonster4},
    {ListedImage("Monster4Left"), 1, 48, 50, 6, kKeyed, kMirror, 0, "yellow gun robot walking left", DrawMonster4},
    {ListedImage("Monster5"), 1, 44, 46, 1, kKeyed, kAsDrawn, 0, "homing eyeball drone", DrawMonster5},
    {ListedImage("Monster6"), 1, 45, 43, 1, kKeyed, kAsDrawn, 0, "spitting toad flier", DrawMonster6},
    {ListedImage("Monster7"), 1, 78, 44, 1, kKeyed, kAsDrawn, 0, "bomber blimp, nose to the left", DrawMonster7},
    {ListedImage("MonsterExplode"), 1, 44, 57, 10, kKeyed, kAsDrawn, 0, "monster bursting in a puff of fire and stars",
     DrawMonsterBlast},
    {ListedImage("BulletPlayer"), 1, 14, 6, 1, kKeyed, kAsDrawn, 0, "hero's blaster bolt", DrawBulletPlayer},
    {ListedImage("BulletEnemy"), 1, 8, 8, 1, kKeyed, kAsDrawn, 0, "robot's red pellet", DrawBulletEnemy},
    {ListedImage("Spittle1"), 1, 12, 12, 1, kKeyed, kAsDrawn, 1, "freezing blue spittle", DrawSpittle},
    {ListedImage("Spittle2"), 1, 12, 12, 1, kKeyed, kAsDrawn, 2, "burning green spittle", DrawSpittle},
    {ListedImage("Monster7_Bomb1"), 1, 16, 22, 1, kKeyed, kAsDrawn, 1, "bomber's black bomb", DrawBomberBomb},
    {ListedImage("Monster7_Bomb2"), 1, 16, 22, 1, kKeyed, kAsDrawn, 2, "bomber's ice bomb", DrawBomberBomb},

    // Bombs, effects and bonuses.
    {ListedImage("Bomb"), 1, 24, 45, 1, kKeyed, kAsDrawn, 0, "round black bomb with a fuse", DrawBomb},
    {ListedImage("Mine"), 1, 29, 21, 2, kKeyed, kAsDrawn, 0, "spiked mine; its lamp blinks when lit", DrawMine},
    {ListedImage("Dynamit"), 1, 55, 40, 1, kKeyed, kAsDrawn, 0, "three sticks of dynamite with a fuse", DrawDynamite},
    {ListedImage("Bomb_Dynamit_Burning"), 1, 14, 18, 6, kKeyed, kAsDrawn, 0, "sparkling fuse flame", DrawFuseFlame},
    {ListedImage("Bomb_Player_Explode"), 1, 84, 84, 10, kKeyed, kAsDrawn, 0, "bomb explosion: flash, fireball, smoke",
     DrawBombBlast},
    {ListedImage("ItemStartAnim"), 1, 50, 50, 8, kKeyed, kAsDrawn, 0, "sparkle that brings a bonus in", DrawItemAppear},
    {ListedImage("LevelGun"), 1, 80, 80, 1, kKeyed, kAsDrawn, 4, "bonus: blaster", DrawBonus},
    {ListedImage("LevelMoney10"), 1, 80, 80, 1, kKeyed, kAsDrawn, 5, "bonus: coin worth 10", DrawBonus},
    {ListedImage("LevelMoney20"), 1, 80, 80, 1, kKeyed, kAsDrawn, 6, "bonus: coin worth 20", DrawBonus},
    {ListedImage("LevelMoney50"), 1, 80, 80, 1, kKeyed, kAsDrawn, 7, "bonus: coin worth 50", DrawBonus},
    {ListedImage("LevelEngine"), 1, 80, 80, 1, kKeyed, kAsDrawn, 8, "bonus: jet pack", DrawBonus},
    {ListedImage("LevelMegaBomb"), 1, 80, 80, 1, kKeyed, kAsDrawn, 9, "bonus: mega bomb", DrawBonus},
    {ListedImage("LevelEnergo"), 1, 80, 80, 1, kKeyed, kAsDrawn, 10, "bonus: energy shield", DrawBonus},
    {ListedImage("LevelLife"), 1, 80, 80, 1, kKeyed, kAsDrawn, 11, "bonus: extra life", DrawBonus},

    // Scenery.
    {ListedImage("Platform1"), 1, 150, 20, 1, kKeyed, kAsDrawn, 0, "fixed girder platform", DrawPlatformFixed},
    {ListedImage("Platform2"), 1, 171, 31, 1, kKeyed, kAsDrawn, 0, "flying platform with an engine pod at each end",
     DrawPlatformEngines},
    {ListedImage("Cloud"), 1, 191, 60, 1, kKeyed, kAsDrawn, 0, "drifting white cloud", DrawCloud},
    {ListedImage("Wall"), 1, 48, 94, 1, kKeyed, kAsDrawn, 0, "brick pillar", DrawWall},
    {ListedImage("Green"), 1, 100, 34, 1, kOpaque, kAsDrawn, 0, "ground tile: grass", DrawGrass},
    {ListedImage("Water"), 1, 100, 34, 1, kOpaque, kAsDrawn, 0, "ground tile: water", DrawWater},

    // The second list: the level backgrounds.
    {ListedImage("Background1"), 2, 800, 600, 1, kOpaque, kAsDrawn, 1, "green hills under a morning sky",
     DrawBackground},
    {ListedImage("Background2"), 2, 800, 600, 1, kOpaque, kAsDrawn, 2, "city skyline at sunset", DrawBackground},
    {ListedImage("Background3"), 2, 800, 600, 1, kOpaque, kAsDrawn, 3, "moonlit night with stars", DrawBackground},
    {ListedImage("Background4"), 2, 800, 600, 1, kOpaque, kAsDrawn, 4, "snowy mountains at dusk", DrawBackground},
    {ListedImage("Background5"), 2, 800, 600, 1, kOpaque, kAsDrawn, 5, "desert mesas under a hot sky", DrawBackground},
};

}  // namespace

int ImageEntry::Columns() const {
  // One row of patterns, unless that gets wider than 2048 pixels.
  if (Frames <= 1) return 1;
  if (PatternWidth * Frames <= 2048) return Frames;
  return 1;
}

const std::vector<ImageEntry>& Catalogue() { return kCatalogue; }

const ImageEntry* FindImage(std::string_view name) {
  for (const ImageEntry& s : kCatalogue)
    if (s.Name == name) return &s;
  return nullptr;
}

Image RenderFrame(const ImageEntry& entry, int index) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, entry.PatternWidth, entry.PatternHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
  Frame frame{index, entry.Frames, entry.PatternWidth, entry.PatternHeight, entry.Variant};
  entry.Draw(cr, frame);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  Image out = FromSurface(surface, entry.Transparent);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string(entry.Name) + ": " + cairo_status_to_string(status));
  return entry.Mirror ? Mirrored(out) : out;
}

Image Render(const ImageEntry& entry) {
  Image picture(entry.PictureWidth(), entry.PictureHeight(), entry.Transparent ? kKeyColour : 0);
  int cols = entry.Columns();
  for (int i = 0; i < entry.Frames; ++i)
    Blit(picture, RenderFrame(entry, i), (i % cols) * entry.PatternWidth, (i / cols) * entry.PatternHeight);
  return picture;
}

std::string ManifestLine(const ImageEntry& entry, const std::string& file) {
  std::string line = "image " + std::string(entry.Name) + " " + file;
  // The pattern size is always stored, also for single pictures, so that the
  // pattern count is known before any surface exists.
  line += " pattern=" + std::to_string(entry.PatternWidth) + "," + std::to_string(entry.PatternHeight);
  if (entry.Transparent)
    line += std::string(" transparent=1 color=") + kKeyColourName;
  else
    line += " transparent=0";
  return line;
}

}  // namespace fusewick::art
