// fusewick-art-preview OUTDIR: lays the drawn pictures out the way the game
// shows them (menu screens, a level with its head-up display, the message
// windows with their texts) into preview PNGs, to check by eye that the
// pictures fit the positions and the texts the game puts on them.
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <string>

#include "catalogue.h"
#include "services/ScreenLayout.h"
#include "text.h"

namespace fs = std::filesystem;
using namespace fusewick;
using namespace fusewick::art;

namespace {

std::map<std::string, Image> gCache;

const Image& Picture(const std::string& name) {
  auto it = gCache.find(name);
  if (it != gCache.end()) return it->second;
  const ImageEntry* entry = FindImage(name);
  if (!entry) throw std::runtime_error("no image " + name);
  return gCache.emplace(name, Render(*entry)).first->second;
}

// Draws pattern p of an image at (x, y), scaled (nearest pixel), keyed.
void Put(Image& screen, const std::string& name, int p, double x, double y, double scale = 1.0) {
  const ImageEntry* entry = FindImage(name);
  const Image& pic = Picture(name);
  int cols = entry->Columns();
  int sx0 = (p % cols) * entry->PatternWidth, sy0 = (p / cols) * entry->PatternHeight;
  int w = int(std::lround(entry->PatternWidth * scale)), h = int(std::lround(entry->PatternHeight * scale));
  int dx0 = int(std::lround(x)), dy0 = int(std::lround(y));
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx) {
      int sx = sx0 + std::min(entry->PatternWidth - 1, int(xx / scale));
      int sy = sy0 + std::min(entry->PatternHeight - 1, int(yy / scale));
      uint32_t c = pic.At(sx, sy);
      if (entry->Transparent && c == kKeyColour) continue;
      int dx = dx0 + xx, dy = dy0 + yy;
      if (dx < 0 || dy < 0 || dx >= screen.Width || dy >= screen.Height) continue;
      screen.At(dx, dy) = c;
    }
}

int gPenEnd = 0;

// Text as the game draws it: glyphs at the pen, the pen moved by the game's
// own widths.
void Text(Image& screen, int font, const std::string& s, int x, int y) {
  const bool big = font == kBigFont;
  const char* image = kFontImages[size_t(font)];
  gPenEnd = WalkText(s, x, FindImage(image)->PatternWidth, big, big ? kWideGlyphWidths : kNarrowGlyphWidths,
                     [&](int code, int pen) { Put(screen, image, code - kFirstGlyphCode, pen, y); })
                .Pen;
}

// The text cursor under the last character of a text in the big font.
void TextCursor(Image& screen, char last, int y) {
  Put(screen, "Cursor", 0, CursorLeft(gPenEnd, GlyphWidth(true, last), FindImage("Cursor")->PatternWidth), y);
}

// The buttons of a screen, the chosen one highlighted.
template <size_t N>
void Buttons(Image& screen, const ButtonRow (&rows)[N], size_t chosen) {
  for (size_t i = 0; i < N; ++i) {
    const ButtonRow& r = rows[i];
    Put(screen, i == chosen ? r.Highlighted : r.Normal, r.Pattern, r.X, r.Y);
  }
}

void Window(Image& screen, int state) {
  const MessageWindowRow& w = kMessageWindows[state];
  Put(screen, w.Image, 0, w.X, w.Y);
}

Image Screen() { return Image(800, 600, 0); }

void MenuBack(Image& s) { Put(s, "MainMenuBackground", 0, 0, 0); }

Image MainMenu() {
  Image s = Screen();
  MenuBack(s);
  Buttons(s, kMainMenuButtons, 1);
  Put(s, "BombPointer", 0, kMenuPointerX, kMenuPointerY[2]);
  return s;
}

Image Options() {
  Image s = Screen();
  MenuBack(s);
  Put(s, "OptionsTable", 0, kPanelX, kPanelY);
  Buttons(s, kOptionsButtons, 3);
  Text(s, 2, "WINDOW", 292, 226);
  Text(s, 1, "/", 394, 226);
  Text(s, 1, "FULL SCREEN", 406, 226);
  Text(s, 2, "ON", 292, 274);
  Text(s, 1, "/", 326, 274);
  Text(s, 1, "OFF", 339, 274);
  Text(s, 1, "ON", 292, 322);
  Text(s, 1, "/", 326, 322);
  Text(s, 2, "OFF", 339, 322);
  Text(s, 3, "HELLO WORLD", 294, 367);
  TextCursor(s, 'D', kOptionsCursorY);
  return s;
}

Image HighScores() {
  Image s = Screen();
  MenuBack(s);
  Put(s, "HighScoreTable", 0, kPanelX, kPanelY);
  const char* names[10] = {"ACE", "BOMBER JOE", "WICK", "FUSE", "ZED", "MAXIMILIAN WWW", "KIM", "LEE", "ANN", "BO"};
  for (int i = 1; i <= 10; ++i) {
    Text(s, 2, std::to_string(i), 55, 200 + 24 * i);
    Text(s, 2, names[i - 1], 190, 200 + 24 * i);
    Text(s, 2, std::to_string(123456 / i), 466, 200 + 24 * i);
  }
  Buttons(s, kHighScoreButtons, 1);
  return s;
}

Image Help(int page) {
  Image s = Screen();
  MenuBack(s);
  Put(s, "Help" + std::to_string(page), 0, kPanelX, kPanelY);
  Buttons(s, kHelpButtons, 1);
  return s;
}

// A level as the game builds it, with the head-up display; window is the
// play state whose message window is open (0: none).
Image Level(int background, int window) {
  Image s = Screen();
  Put(s, "Background" + std::to_string(background), 0, 0, 0);
  const int rowY[10] = {0, 555, 461, 442, 348, 329, 235, 169, 149, 111};
  Put(s, "Cloud", 0, 0, rowY[9]);
  Put(s, "Cloud", 0, 533, rowY[9]);
  Put(s, "Wall", 0, 0, rowY[2]);
  Put(s, "Wall", 0, 720, rowY[2]);
  Put(s, "Wall", 0, 320, rowY[4]);
  Put(s, "Wall", 0, 80, rowY[6]);
  for (int x : {0, 320, 640}) Put(s, "Platform1", 0, x, rowY[3]);
  Put(s, "Platform2", 0, 266, rowY[5]);
  Put(s, "EngineFire", 1, 266, rowY[5] + 31);
  Put(s, "EngineFire", 1, 266 + 152, rowY[5] + 31);
  Put(s, "Platform2", 0, 500, rowY[7]);
  Put(s, "EngineFire", 2, 500, rowY[7] + 31);
  Put(s, "EngineFire", 2, 652, rowY[7] + 31);
  const int kinds[8] = {1, 1, 0, 1, 0, 1, 1, 0};
  for (int i = 0; i < 8; ++i) Put(s, kinds[i] ? "Green" : "Water", 0, i * 100, 566);
  // Items centred on columns and lanes.
  Put(s, "Bomb", 0, 156 - 12, 509 - 22);
  Put(s, "Bomb_Dynamit_Burning", 1, 156 - 12 + 5, 509 - 22);
  Put(s, "Bomb", 0, 446 - 12, 292 - 22);
  Put(s, "Mine", 1, 678 - 145 + 130, 402 - 10);
  Put(s, "Dynamit", 0, 214 - 27, 234 - 20);
  Put(s, "Bomb_Dynamit_Burning", 3, 214 - 27 + 46, 234 - 20);
  Put(s, "LevelGun", 0, 562 - 12, 402 - 12 - 60, 0.8);
  Put(s, "LevelMoney50", 0, 388, 121, 0.8);
  Put(s, "ItemStartAnim", 4, 620, 234, 0.8);
  Put(s, "Bomb_Player_Explode", 4, 736 - 12 - 30, 509 - 22 - 39);
  // Monsters: walkers on the first two platforms, fliers about.
  Put(s, "Monster4Right", 2, 10, rowY[3] - 50);
  Put(s, "Monster1Left", 3, 330, rowY[3] - 48);
  Put(s, "Monster2", 0, 560, 180);
  Put(s, "EngineFire", 0, 556, 222);
  Put(s, "EngineFire", 0, 590, 222);
  Put(s, "Monster6", 0, 140, 300);
  Put(s, "EngineFire", 3, 136, 341);
  Put(s, "EngineFire", 3, 170, 341);
  Put(s, "Spittle1", 0, 175, 306);
  Put(s, "Monster7", 0, 300, 111 + 50);
  Put(s, "EngineFireRight", 1, 378, 161);
  Put(s, "Monster7_Bomb1", 0, 320, 230);
  Put(s, "Monster3Right", 0, 600, 60);
  Put(s, "EngineFireLeft", 2, 589, 60);
  Put(s, "BulletEnemy", 0, 70, 395);
  // The hero on the floor with the blaster, firing; a jump puff nearby.
  double px = 430, py = 585 - 68;
  Put(s, "PlayerRightGun", 2, px, py, 0.8);
  Put(s, "ShootFireRight", 0, px + 72, py + 25.6 - 3);
  Put(s, "BulletPlayer", 0, px + 110, py + 25.6);
  Put(s, "PlayerLeftEngine", 5, 240, 380, 0.8);
  Put(s, "EngineFire", 1, 240 + 47.2, 380 + 42.4);
  Put(s, "PlayerEnergo", 0, 240, 380, 0.8);
  Put(s, "PlayerRight", 5, 520, 300, 0.8);
  Put(s, "PlayerJump", 0, 520 + 5.6, 300 + 68);
  Put(s, "PlayerFreezeLeft", 0, 700, 230, 0.8);
  Put(s, "MonsterExplode", 4, 470, 190);
  // Head-up display.
  Put(s, "LeftPanel", 0, 34, 0);
  Put(s, "RightPanel", 0, 588, 0);
  Put(s, "PanelGunBonus", 0, 700, 20);
  Text(s, 0, "12", RightAlignedX(12, 63, 6), 31);
  Text(s, 0, "123456", RightAlignedX(123456, 160, 6), 31);
  Text(s, 0, "3", RightAlignedX(3, 252, 6), 31);
  for (int i = 1; i <= 22; ++i) Put(s, "HealthBar", 0, 655 - i, 34);
  Text(s, 0, "17", RightAlignedX(17, 737, 6), 23);
  if (window != 0) Window(s, window);
  switch (window) {
    case 1: Text(s, 3, "L E V E L   123", RightAlignedX(123, 326, 8), 284); break;
    case 2: Text(s, 3, "P A U S E", 343, 284); break;
    case 3:
      Text(s, 3, "F I N I S H  G A M E ?", 276, 274);
      Text(s, 3, "Y / N", 371, 313);
      break;
    case 4: Text(s, 3, "LEVEL COMPLETED", 273, 286); break;
    case 5: Text(s, 3, "G A M E  O V E R", 290, 287); break;
    case 6: {
      Text(s, 3, "Y O U R  N A M E:", 290, 237);
      Text(s, 3, "MAXIMILIAN", 290, 277);
      TextCursor(s, 'N', 300);
      break;
    }
    case 7:
      Text(s, 3, "SEND THE RESULT", 280, 217);
      Text(s, 3, "TO WORLD@S", 315, 262);
      Text(s, 3, "HIGHSCORES PAGE?", 270, 307);
      Text(s, 3, "Y / N", 375, 352);
      break;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fusewick-art-preview OUTDIR\n");
    return 2;
  }
  try {
    fs::path dir = argv[1];
    fs::create_directories(dir);
    WritePng((dir / "menu.png").string(), MainMenu());
    WritePng((dir / "options.png").string(), Options());
    WritePng((dir / "highscores.png").string(), HighScores());
    for (int p = 1; p <= 3; ++p) WritePng((dir / ("help" + std::to_string(p) + ".png")).string(), Help(p));
    for (int w = 0; w <= 7; ++w) WritePng((dir / ("level" + std::to_string(w) + ".png")).string(), Level(w % 5 + 1, w));
    gCache.clear();
    ReleaseFonts();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fusewick-art-preview: %s\n", e.what());
    return 1;
  }
  return 0;
}
