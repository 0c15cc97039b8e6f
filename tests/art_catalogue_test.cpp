// The game's pictures as the asset builder draws them: every image the game
// looks up, cut the way the game indexes it, keyed safely for a 16-bit
// surface, and laid out for the texts and boxes the game puts on them.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "catalogue.h"
#include "services/AssetNames.h"
#include "services/ScreenLayout.h"
#include "text.h"

namespace fusewick::art {
namespace {

// The fonts' own faces are freed after all tests, so that the leak checker
// sees a clean exit.
class FontRelease : public ::testing::Environment {
 public:
  void TearDown() override { ReleaseFonts(); }
};
const auto* const kFontRelease = ::testing::AddGlobalTestEnvironment(new FontRelease);

const ImageEntry& Entry(const char* name) {
  const ImageEntry* s = FindImage(name);
  if (!s) throw std::runtime_error(std::string("not in the catalogue: ") + name);
  return *s;
}

bool Ink(const Image& img, int x, int y) { return img.At(x, y) != kKeyColour; }

TEST(ArtCatalogue, HasEveryImageTheGameLooksUpWithItsPatternCount) {
  for (const NamedImage& n : kImageNames) {
    SCOPED_TRACE(n.Name);
    const ImageEntry* s = FindImage(n.Name);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Archive, n.Archive);
    if (n.Patterns == 0)
      EXPECT_GE(s->Frames, 2);  // a button: its look is pattern 1
    else if (n.Patterns < 0)
      EXPECT_GE(s->Frames, -n.Patterns);  // an animation: enough frames to move
    else
      EXPECT_EQ(s->Frames, n.Patterns);
    // The picture holds exactly that many patterns, by the game's geometry.
    int count = (s->PictureWidth() / s->PatternWidth) * (s->PictureHeight() / s->PatternHeight);
    EXPECT_EQ(count, s->Frames);
  }
  // Nothing drawn twice, nothing drawn that the game does not look up.
  std::set<std::string> names;
  for (const ImageEntry& s : Catalogue()) {
    EXPECT_TRUE(names.insert(std::string(s.Name)).second) << s.Name;
    EXPECT_NE(FindImageName(s.Name), nullptr) << s.Name;
  }
  for (int i = 1; i <= 5; ++i) {
    const ImageEntry& bg = Entry(("Background" + std::to_string(i)).c_str());
    EXPECT_EQ(bg.PictureWidth(), 800);
    EXPECT_EQ(bg.PictureHeight(), 600);
  }
  EXPECT_EQ(Entry("HealthBar").PatternWidth, 1);
  EXPECT_EQ(Entry("Green").PatternWidth, 100);
  EXPECT_EQ(Entry("Water").PatternWidth, 100);
}

TEST(ArtCatalogue, EveryPixelIsTheKeyOrClearlyNotTheKey) {
  // On the 16-bit back surface a colour that maps to the key's 5-6-5 value
  // would vanish; keyed pictures also need both key and opaque pixels.
  for (const ImageEntry& s : Catalogue()) {
    SCOPED_TRACE(std::string(s.Name));
    Image img = Render(s);
    ASSERT_EQ(img.Width, s.PictureWidth());
    ASSERT_EQ(img.Height, s.PictureHeight());
    size_t keyed = 0, bad = 0;
    for (uint32_t p : img.Pixels) {
      if (p == kKeyColour)
        ++keyed;
      else if (NearKey(p) || To565(p) == To565(kKeyColour))
        ++bad;
    }
    EXPECT_EQ(bad, 0u);
    if (s.Transparent) {
      EXPECT_GT(keyed, 0u);
      EXPECT_LT(keyed, img.Pixels.size());
    } else {
      EXPECT_EQ(keyed, 0u);
    }
  }
}

TEST(ArtCatalogue, NudgesColoursThatWouldTurnIntoTheKey) {
  EXPECT_EQ(To565(0xFF00FF), To565(0xF803FA));  // the trap: a near-magenta
  EXPECT_NE(To565(AvoidKey(0xF803FA)), To565(kKeyColour));
  EXPECT_EQ(AvoidKey(0x123456), 0x123456u);
}

TEST(ArtCatalogue, DrawsTheSameBytesEveryTime) {
  for (const char* name : {"PlayerRightGun", "Font_big", "Background3", "Bomb_Player_Explode"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Render(Entry(name)).Pixels, Render(Entry(name)).Pixels);
  }
}

TEST(ArtCatalogue, FontGlyphsSitInsideTheirAdvanceWidths) {
  struct Font {
    const char* name;
    bool wide;
  } fonts[] = {
      {"Font_small", false}, {"Font_medium_inactive", false}, {"Font_medium_active", false}, {"Font_big", true}};
  for (const Font& font : fonts) {
    const ImageEntry& s = Entry(font.name);
    EXPECT_EQ(s.PatternWidth, font.wide ? kWideCell : kNarrowCell);
    for (int k = 0; k < kGlyphCount; ++k) {
      int code = kFirstGlyphCode + k;
      SCOPED_TRACE(std::string(font.name) + " '" + char(code) + "'");
      Image g = RenderFrame(s, k);
      int left = g.Width, right = -1, bottom = -1;
      for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x)
          if (Ink(g, x, y)) {
            left = std::min(left, x);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
          }
      ASSERT_GE(right, 0) << "empty glyph";
      // Pen advances by the table (less 2 for the big font): the glyph's
      // ink stays inside it, centred, so that neighbours never collide.
      int limit = InkLimit(font.wide, code);
      EXPECT_GE(left, 0);
      EXPECT_LT(right, limit);
      EXPECT_NEAR((left + right + 1) / 2.0, limit / 2.0, 2.0);
      // The text cursor sits 23 pixels below big text: no glyph reaches it.
      if (font.wide) {
        EXPECT_LT(bottom, 23);
      }
    }
  }
}

// The rectangle the game's text drawing covers: first glyph's top-left at
// (x, y) to the ink limit of the last glyph.
struct Box {
  int left, top, right, bottom;
};
Box TextBox(int font, const std::string& text, int x, int y) {
  const ImageEntry& s = Entry(kFontImages[size_t(font)]);
  const bool big = font == kBigFont;
  int right = x;
  WalkText(text, x, s.PatternWidth, big, big ? kWideGlyphWidths : kNarrowGlyphWidths,
           [&](int code, int pen) { right = pen + InkLimit(big, code); });
  return {x, y, right, y + s.PatternHeight};
}

// True when every pixel of the box lies on an opaque pixel of the image
// placed at (ix, iy) (pattern 0).
bool OnOpaque(const char* image, int ix, int iy, const Box& b) {
  Image img = RenderFrame(Entry(image), 0);
  for (int y = b.top; y < b.bottom; ++y)
    for (int x = b.left; x < b.right; ++x) {
      int px = x - ix, py = y - iy;
      if (px < 0 || py < 0 || px >= img.Width || py >= img.Height || !Ink(img, px, py)) return false;
    }
  return true;
}

TEST(ArtCatalogue, MessageWindowsHoldTheTextsTheGameWritesOnThem) {
  // The window of each play state where the game opens it, and the texts
  // the game writes on it.
  struct Case {
    int state;
    const char* text;
    int x, y;
  } cases[] = {
      {1, "L E V E L   1", 326, 284},
      {1, "L E V E L   999", 326 - 16, 284},
      {2, "P A U S E", 343, 284},
      {3, "F I N I S H  G A M E ?", 276, 274},
      {3, "Y / N", 371, 313},
      {4, "LEVEL COMPLETED", 273, 286},
      {5, "G A M E  O V E R", 290, 287},
      {6, "Y O U R  N A M E:", 290, 237},
      {6, "WWWWWWWW", 290, 277},  // the longest name entry lets through
      {7, "SEND THE RESULT", 280, 217},
      {7, "TO WORLD@S", 315, 262},
      {7, "HIGHSCORES PAGE?", 270, 307},
      {7, "Y / N", 375, 352},
      {7, "PLEASE WAIT", 312, 352},
  };
  for (const Case& c : cases) {
    const MessageWindowRow& w = kMessageWindows[c.state];
    SCOPED_TRACE(std::string(w.Image) + ": " + c.text);
    EXPECT_TRUE(OnOpaque(w.Image, int(w.X), int(w.Y), TextBox(3, c.text, c.x, c.y)));
  }
  // Name entry: the cursor (20 wide) at y 300 under the name stays inside.
  const ImageEntry& cursor = Entry("Cursor");
  const MessageWindowRow& name = kMessageWindows[6];
  EXPECT_TRUE(OnOpaque(name.Image, int(name.X), int(name.Y), {290, 300, 504 + 2, 300 + cursor.PatternHeight}));
}

TEST(ArtCatalogue, HeadUpDisplayAndMenuTextsLandOnTheirPanels) {
  // Left panel at (34, 0): level (up to 3 digits), score (6), lives (2).
  EXPECT_TRUE(OnOpaque("LeftPanel", 34, 0, TextBox(0, "999", 63 - 12, 31)));
  EXPECT_TRUE(OnOpaque("LeftPanel", 34, 0, TextBox(0, "888888", 160 - 30, 31)));
  EXPECT_TRUE(OnOpaque("LeftPanel", 34, 0, TextBox(0, "99", 252 - 6, 31)));
  EXPECT_EQ(Entry("LeftPanel").PatternHeight, 55);  // it slides in from y -55
  // Right panel at (588, 0): the energy strip 601 .. 654 at y 34.
  EXPECT_TRUE(OnOpaque("RightPanel", 588, 0, {601, 34, 655, 34 + Entry("HealthBar").PatternHeight}));
  // Bonus seconds (up to 20) on the bonus panel at (700, 20).
  for (const char* panel : {"None", "PanelGunBonus", "PanelEngineBonus", "PanelEnergoBonus"}) {
    SCOPED_TRACE(panel);
    EXPECT_TRUE(OnOpaque(panel, 700, 20, TextBox(0, "20", 737 - 6, 23)));
    EXPECT_EQ(Entry(panel).PatternWidth, Entry("None").PatternWidth);
    EXPECT_EQ(Entry(panel).PatternHeight, Entry("None").PatternHeight);
  }
  // Options words on their table and the ten high-score rows.
  const int px = int(kPanelX), py = int(kPanelY);
  EXPECT_TRUE(OnOpaque("OptionsTable", px, py, TextBox(2, "WINDOW / FULL SCREEN", 292, 226)));
  EXPECT_TRUE(OnOpaque("OptionsTable", px, py, TextBox(1, "ON / OFF", 292, 322)));
  EXPECT_TRUE(OnOpaque("OptionsTable", px, py, {294, 367, 526, 390 + 6}));
  for (int i = 1; i <= 10; ++i) {
    EXPECT_TRUE(OnOpaque("HighScoreTable", px, py, TextBox(2, std::to_string(i), 55, 200 + 24 * i)));
    EXPECT_TRUE(OnOpaque("HighScoreTable", px, py, TextBox(2, "WWWWWWWWWWWWW", 190, 200 + 24 * i)));
    EXPECT_TRUE(OnOpaque("HighScoreTable", px, py, TextBox(2, "9999999", 466, 200 + 24 * i)));
  }
}

TEST(ArtCatalogue, HeroFramesFitTheGameBoxes) {
  // Drawn at 80 %: 72 x 68, so the jump puff at y + 68 is right under the
  // feet; the body box (x + 25 .. x + 47 drawn) is covered by the figure.
  const ImageEntry& right = Entry("PlayerRight");
  EXPECT_EQ(std::lround(right.PatternWidth * 0.8), 72);
  EXPECT_EQ(std::lround(right.PatternHeight * 0.8), 68);
  for (const char* name :
       {"PlayerRight", "PlayerLeft", "PlayerRightGun", "PlayerLeftGun", "PlayerRightEngine", "PlayerLeftEngine"}) {
    const ImageEntry& s = Entry(name);
    EXPECT_EQ(s.PatternWidth, right.PatternWidth);
    EXPECT_EQ(s.PatternHeight, right.PatternHeight);
    for (int f = 0; f < s.Frames; ++f) {
      SCOPED_TRACE(std::string(name) + " frame " + std::to_string(f));
      Image img = RenderFrame(s, f);
      bool feet = false, body = false;
      for (int x = 0; x < img.Width; ++x) feet = feet || Ink(img, x, img.Height - 1) || Ink(img, x, img.Height - 2);
      for (int x = 32; x <= 58; ++x) body = body || Ink(img, x, img.Height / 2);
      EXPECT_TRUE(feet);
      EXPECT_TRUE(body);
    }
  }
  // The blaster's muzzle is at the picture's edge on the side it faces, where
  // the game puts the muzzle flash (y + 25.6 drawn, that is row 32 and on).
  for (int f = 0; f < 8; ++f) {
    Image r = RenderFrame(Entry("PlayerRightGun"), f), l = RenderFrame(Entry("PlayerLeftGun"), f);
    EXPECT_TRUE(Ink(r, r.Width - 1, 36));
    EXPECT_TRUE(Ink(l, 0, 36));
  }
}

}  // namespace
}  // namespace fusewick::art
