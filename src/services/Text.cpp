#include "services/Text.h"

#include <cctype>
#include <cmath>
#include <iterator>
#include <string>

#include "engine/ImageList.h"
#include "engine/Types.h"
#include "services/Captions.h"
#include "services/FormComponents.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/ScreenLayout.h"
#include "services/Sound.h"

namespace fusewick {

TTextState TextState;
std::array<int32_t, 45> NarrowWidths{};
std::array<int32_t, 45> WideWidths{};

namespace {

TDirectDrawSurface* BackSurface() { return MForm->MDXDraw.Surface(); }

}  // namespace

void DrawNumber(int32_t n, int32_t baseX, int32_t step, int32_t y) {
  DrawText(std::to_string(n), RightAlignedX(n, baseX, step), y);
}

void ResetTextState() { TextState = {}; }

void InitFontTables() {
  // Fonts 0 to 2 share the narrow strip's widths.
  NarrowWidths = kNarrowGlyphWidths;
  WideWidths = kWideGlyphWidths;
}

void SelectFont(uint8_t index) {
  FontIndex = index;
  if (index <= 3) FontImageName = kFontImages[index];
}

void DrawText(std::string_view text, int32_t x, int32_t y) {
  const TPictureCollectionItem* font = FindImage(FontImageName);
  const bool big = FontIndex == kBigFont;
  TDirectDrawSurface* surface = BackSurface();
  // Characters outside the font (only a hand-edited high-score file has
  // such) draw nothing: the pen stays and the text state keeps the last
  // character that was drawn.
  const PenEnd end = WalkText(text, x, font->PatternWidth(), big, big ? WideWidths : NarrowWidths,
                              [&](int32_t code, int32_t pen) { font->Draw(surface, pen, y, code - kFirstGlyphCode); });
  if (end.LastCode == 0) return;
  TextEndX = end.Pen;
  LastGlyph = GlyphNumber(end.LastCode);
}

int32_t CursorGlyphWidth(int32_t glyph) {
  if (glyph >= 1 && glyph <= kGlyphCount) return WideWidths[size_t(glyph)];
  // After a trailing space the cursor covers the space's advance in the
  // big font, the font both text rows are drawn with.
  if (glyph == GlyphNumber(' ')) return Trunc(FindImage(kFontImages[kBigFont])->PatternWidth() * kSpaceAdvance);
  return 0;
}

// ---- the game screen

namespace {
constexpr const char* kNamePrompt = "Y O U R  N A M E:";
constexpr int32_t kNameX = 290;
constexpr int32_t kOptionsTextX = 294;

// Where the pen ends after the text in a font, as DrawText leaves it.
PenEnd MeasureText(uint8_t font, std::string_view text, int32_t x) {
  const bool big = font == kBigFont;
  return WalkText(text, x, FindImage(kFontImages[font])->PatternWidth(), big, big ? WideWidths : NarrowWidths,
                  [](int32_t, int32_t) {});
}
}  // namespace

void DrawNamePrompt() {
  SelectFont(3);
  DrawText(kNamePrompt, kNameX, 237);
  DrawText(PlayerName, kNameX, 277);
}

int32_t NameTextEnd() {
  // A name with nothing to draw leaves the pen after the prompt.
  const PenEnd name = MeasureText(3, PlayerName, kNameX);
  return name.LastCode != 0 ? name.Pen : MeasureText(3, kNamePrompt, kNameX).Pen;
}

int32_t OptionsTextEnd() {
  const PenEnd text = MeasureText(3, GameOptions.AddText, kOptionsTextX);
  return text.LastCode != 0 ? text.Pen : kOptionsTextX;
}

char UpperLetter(char key) {
  const char up = char(std::toupper(uint8_t(key)));
  return up >= 'A' && up <= 'Z' ? up : '\0';
}

std::string DeleteLastChar(const std::string& text) { return text.empty() ? text : text.substr(0, text.size() - 1); }

void DrawSubmitPrompt(bool pleaseWait) {
  SelectFont(3);
  DrawText("SEND THE RESULT", 280, 217);
  DrawText("TO WORLD@S", 315, 262);
  DrawText("HIGHSCORES PAGE?", 270, 307);
  if (pleaseWait)
    DrawText("PLEASE WAIT", 312, 352);
  else
    DrawText("Y / N", 375, 352);
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
  DrawText(GameOptions.AddText, kOptionsTextX, 367);
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
  if (state != Running && size_t(state) < std::size(kMessageWindows)) {
    const MessageWindowRow& row = kMessageWindows[size_t(state)];
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

namespace {
// Where the two text cursors rest on an empty text.
constexpr double kNameCursorStart = 290;
constexpr double kOptionsCursorStart = 292;

// The cursor sits under the last character drawn, centred on its width;
// on an empty text, or when that would put it left of the text's start,
// it rests at the start.
void PlaceCursor(const std::string& text, double start) {
  if (!TextCursor) return;
  const double w = CursorGlyphWidth(LastGlyph);
  const double cursorWidth = TextCursor->Width;
  const double x = CursorLeft(TextEndX, w, cursorWidth);
  TextCursor->X = (x >= start && !text.empty()) ? x : start;
}
}  // namespace

void PlaceOptionsCursor() { PlaceCursor(GameOptions.AddText, kOptionsCursorStart); }
void PlaceNameCursor() { PlaceCursor(PlayerName, kNameCursorStart); }

}  // namespace fusewick
