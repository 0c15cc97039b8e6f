#include "shell/Text.h"

#include <cmath>
#include <iterator>
#include <string>

#include "engine/ImageList.h"
#include "game/GameGlobals.h"
#include "game/Player.h"
#include "shell/Captions.h"
#include "shell/Globals.h"
#include "shell/MainForm.h"
#include "shell/Sound.h"

namespace fusewick {

uint8_t FontIndex = 0;
std::string FontImageName;
int32_t TextEndX = 0;
int32_t LastGlyph = 0;
std::array<int32_t, 45> NarrowWidths{};
std::array<int32_t, 45> WideWidths{};

namespace {

// The fonts' images: the glyph of character code c is pattern c - 47.
constexpr const char* kFontImages[4] = {"Font_small", "Font_medium_inactive", "Font_medium_active", "Font_big"};
constexpr int32_t kFirstCode = 47;  // '/'
constexpr int32_t kLastCode = 90;   // 'Z'
constexpr int32_t kGlyphCount = kLastCode - kFirstCode + 1;

// Right-edge column of each glyph in the font strips the glyphs were cut
// from, by glyph number 1 .. 44: cells of 24 pixels for the narrow fonts
// and 40 for the big one.
constexpr int32_t kNarrowCell = 24;
constexpr int32_t kWideCell = 40;
constexpr int32_t kNarrowRightEdges[kGlyphCount] = {
    10,  36,  58,  85,  108, 133, 157, 180, 205, 228, 252, 271, 294, 326, 350,  374,  397,  421,  448,  471,  495,  519,
    542, 565, 592, 614, 631, 660, 688, 709, 738, 758, 784, 806, 833, 855, 878, 902, 927, 952, 981, 999, 1024, 1046};
constexpr int32_t kWideRightEdges[kGlyphCount] = {
    10,  55,  92,  136, 175, 217, 256, 296, 336, 375, 415,  448,  487,  537,  577,  617,  657,  691,  740,  779,  820,  859,
    898, 937, 981, 1019, 1047, 1095, 1140, 1176, 1222, 1258, 1301, 1338, 1382, 1420, 1457, 1498, 1539, 1581, 1628, 1659, 1700, 1738};

// A space moves the pen by a fifth of the font's cell; the big font's
// glyphs sit a twentieth of a cell closer together.
constexpr double kSpaceAdvance = 0.2;
constexpr double kBigFontTighten = 0.05;

TDirectDrawSurface* BackSurface() { return MForm->MDXDraw.Surface(); }

void DrawNumber(int32_t n, int32_t baseX, int32_t step, int32_t y) {
  DrawText(std::to_string(n), baseX - step * ExtraDigits(n), y);
}

}  // namespace

void ResetTextState() {
  FontIndex = 0;
  FontImageName.clear();
  TextEndX = 0;
  LastGlyph = 0;
}

void InitFontTables() {
  // Fonts 0 to 2 share the narrow strip's widths.
  for (int32_t j = 1; j <= kGlyphCount; ++j) {
    NarrowWidths[size_t(j)] = kNarrowRightEdges[j - 1] - kNarrowCell * (j - 1) + 1;
    WideWidths[size_t(j)] = kWideRightEdges[j - 1] - kWideCell * (j - 1) + 1;
  }
}

void SelectFont(uint8_t index) {
  FontIndex = index;
  if (index <= 3) FontImageName = kFontImages[index];
}

void DrawText(std::string_view text, int32_t x, int32_t y) {
  const TPictureCollectionItem* font = FindImage(FontImageName);
  const int32_t patternWidth = font->PatternWidth();
  const double extra = FontIndex == 3 ? -double(patternWidth) * kBigFontTighten : 0.0;
  const std::array<int32_t, 45>& widths = FontIndex == 3 ? WideWidths : NarrowWidths;
  TDirectDrawSurface* surface = BackSurface();
  int32_t pen = x;
  for (const char ch : text) {
    const int32_t code = uint8_t(ch);
    if (code == 0) break;  // the text ends at a NUL as well
    if (code == ' ') {
      pen = Trunc(pen + patternWidth * kSpaceAdvance);
    } else if (code >= kFirstCode && code <= kLastCode) {
      font->Draw(surface, pen, y, code - kFirstCode);
      pen = Trunc(pen + widths[size_t(code - kFirstCode + 1)] + extra);
    } else {
      // Outside the font (only a hand-edited high-score file has such
      // characters): nothing is drawn, the pen stays and the text state
      // keeps the last character that was drawn.
      continue;
    }
    TextEndX = pen;
    LastGlyph = code - (kFirstCode - 1);
  }
}

int32_t ExtraDigits(int32_t n) {
  int32_t e = 0;
  for (int32_t t : {9, 99, 999, 9999, 99999})
    if (n > t) ++e;
  return e;
}

int32_t CursorGlyphWidth(int32_t glyph) {
  if (glyph >= 1 && glyph <= kGlyphCount) return WideWidths[size_t(glyph)];
  // After a trailing space the cursor covers the space's advance in the
  // big font, the font both text rows are drawn with.
  if (glyph == ' ' - (kFirstCode - 1)) return Trunc(FindImage(kFontImages[3])->PatternWidth() * kSpaceAdvance);
  return 0;
}

// ---- the game screen

void DrawHud() {
  // The open window's words, big font.
  SelectFont(3);
  switch (PlayState) {
    case LevelIntro: DrawText("L E V E L   " + std::to_string(Level), 326 - 8 * ExtraDigits(Level), 284); break;
    case Paused: DrawText("P A U S E", 343, 284); break;
    case QuitConfirm:
      DrawText("F I N I S H  G A M E ?", 276, 274);
      DrawText("Y / N", 371, 313);
      break;
    case LevelComplete: DrawText("LEVEL COMPLETED", 273, 286); break;
    case GameLost: DrawText("G A M E  O V E R", 290, 287); break;
    default: break;
  }

  // Level, score and lives slide in with the left panel.
  SelectFont(0);
  const int32_t y = LeftPanelY + 31;
  DrawNumber(Level, 63, 6, y);
  DrawNumber(Score, 160, 6, y);
  DrawNumber(Lives, 252, 6, y);

  if (!Player) return;

  // The energy gauge: "HealthBar" columns cover it from the right edge
  // (X 654) leftwards, one column per lost part. At 2 points or fewer the
  // cover flips between the energy's length and the full gauge every
  // 100 ms of a 400 ms cycle.
  constexpr int32_t kGaugeColumns = 54;
  TPlayer& p = *Player;
  if (p.HealthBlinkTimer > 0) p.HealthBlinkTimer -= MForm->MDXTimer.Interval();
  else p.HealthBlinkTimer = 400;
  int32_t covered = kGaugeColumns;
  if (p.Energy > 2 || (p.HealthBlinkTimer / 100) % 2 != 0)
    covered = kGaugeColumns - int32_t(std::floor(p.Energy / 5.0 * kGaugeColumns));
  const TPictureCollectionItem* bar = FindImage("HealthBar");
  for (int32_t i = 1; i <= covered; ++i) bar->Draw(BackSurface(), 655 - i, 34, 0);

  // Seconds left of the running bonus.
  DrawNumber(p.BonusTimeLeft / 1000, 737, 6, 23);
}

void DrawNamePrompt() {
  SelectFont(3);
  DrawText("Y O U R  N A M E:", 290, 237);
  DrawText(PlayerName, 290, 277);
}

void DrawSubmitPrompt(bool pleaseWait) {
  SelectFont(3);
  DrawText("SEND THE RESULT", 280, 217);
  DrawText("TO WORLD@S", 315, 262);
  DrawText("HIGHSCORES PAGE?", 270, 307);
  if (pleaseWait) DrawText("PLEASE WAIT", 312, 352);
  else DrawText("Y / N", 375, 352);
}

// ---- the menu screens' words

void DrawOptionsText() {
  // The chosen word of each row in the active font, the other and the
  // separator in the inactive one.
  auto choice = [](int32_t y, const char* first, int32_t firstX, int32_t slashX, const char* second, int32_t secondX,
                   bool secondChosen) {
    SelectFont(secondChosen ? 1 : 2);
    DrawText(first, firstX, y);
    SelectFont(1);
    DrawText("/", slashX, y);
    SelectFont(secondChosen ? 2 : 1);
    DrawText(second, secondX, y);
  };
  choice(226, "WINDOW", 292, 394, "FULL SCREEN", 406, GameOptions.FullScreen);
  choice(274, "ON", 292, 326, "OFF", 339, !GameOptions.MusicOn);
  choice(322, "ON", 292, 326, "OFF", 339, !GameOptions.SoundOn);
  SelectFont(3);
  DrawText(GameOptions.AddText, 294, 367);
}

void DrawHighScoreTable() {
  SelectFont(2);
  for (int32_t i = 1; i <= 10; ++i) {
    const int32_t y = 200 + 24 * i;
    DrawText(std::to_string(i), 55, y);
    DrawText(HighScores[size_t(i)].Name, 190, y);
    DrawText(std::to_string(HighScores[size_t(i)].Score), 466, y);
  }
}

// ---- message windows

namespace {
constexpr int32_t kWindowTime = 2000;  // ms a timed window (level intro, level completed, game over) stays
}  // namespace

void OpenMessageWindow(TPlayState state) {
  if (PlayState != Running) CloseMessageWindow();
  struct Row {
    const char* Image;
    double X, Y;
    const char* Sound;
    bool Timed;
  };
  static constexpr Row kRows[8] = {
      {nullptr, 0, 0, nullptr, false},
      {"WindowSmall", 292, 242, nullptr, true},              // level intro
      {"WindowSmall", 292, 242, nullptr, false},             // paused
      {"Window", 260, 217, nullptr, false},                  // finish the game?
      {"WindowMedium", 260, 242, "Level_Complete", true},    // level completed
      {"Window", 260, 217, "GameOver", true},                // game over
      {"WindowMedium", 260, 217, nullptr, false},            // your name
      {"WindowBig", 200, 200, nullptr, false},               // send the result?
  };
  if (state != Running && size_t(state) < std::size(kRows)) {
    const Row& row = kRows[size_t(state)];
    if (row.Sound) PlaySound(row.Sound);
    MessageWindow = new TCaption(row.Image, row.X, row.Y);
    if (row.Timed) WindowTimer = kWindowTime;
    if (state == NameEntry) {
      TextCursor = new TCursorCaption("Cursor", 290, 300);
      TextCursor->SetZ(kZFront);
      TextCursor->Active = true;
    }
    MessageWindow->SetZ(kZFront);
  }
  PlayState = state;
  PlayfieldActive = false;
}

void CloseMessageWindow() {
  if (MessageWindow) MessageWindow->Kill();
  MessageWindow = nullptr;
  if (PlayState == NameEntry && TextCursor) {
    TextCursor->Kill();
    TextCursor = nullptr;
  }
  PlayState = Running;
  PlayfieldActive = true;
}

}  // namespace fusewick
