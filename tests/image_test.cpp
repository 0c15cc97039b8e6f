#include <gtest/gtest.h>

#include "Harness.h"
#include "engine/Display.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

// An image list bound to an initialized display on a null platform.
class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrent(&null);
    display = std::make_unique<TDXDraw>(&form);
    list.SetDXDraw(display.get());
    display->Initialize();
    dest = display->Surface();
  }
  void TearDown() override {
    list.SetDXDraw(nullptr);
    display.reset();
    platform::SetCurrent(nullptr);
  }
  TPictureCollectionItem* Add(const std::string& name, PictureRef pic, int pw, int ph, int sw = 0, int sh = 0) {
    TPictureCollectionItem* item = list.Items.Add();
    item->SetName(name);
    item->Picture = std::move(pic);
    item->SetPatternWidth(pw);
    item->SetPatternHeight(ph);
    item->SkipWidth = sw;
    item->SkipHeight = sh;
    return item;
  }
  // Each pixel's colour tells its picture coordinates.
  static uint32_t Coded(int x, int y) { return (uint32_t(x) << 13) | (uint32_t(y) << 3) | 0x40000u; }

  platform::NullPlatform null;
  TDXForm form;
  std::unique_ptr<TDXDraw> display;
  TDXImageList list;
  TDirectDrawSurface* dest = nullptr;
};

TEST_F(ImageTest, PatternGeometry) {
  struct Case {
    int w, h, pw, ph, sw, sh, count;
  };
  const Case cases[] = {
      {100, 40, 20, 20, 0, 0, 10},
      {95, 20, 20, 20, 5, 0, 4},  // (95 + 5) div 25 columns
      {64, 48, 0, 0, 0, 0, 1},    // no pattern size: the whole picture
      {30, 10, 40, 10, 0, 0, 0},  // patterns wider than the picture
  };
  for (const Case& c : cases) {
    auto* item = Add("P", MakePicture(c.w, c.h, Coded), c.pw, c.ph, c.sw, c.sh);
    const int before = item->PatternCount();
    item->Restore();
    EXPECT_EQ(item->PatternCount(), c.count) << c.w << "x" << c.h;
    EXPECT_EQ(before, c.count) << "counted before the surfaces exist";
  }
  auto* item = list.Items.Items(0);
  EXPECT_EQ(item->PatternRect(7), (TRect{40, 20, 60, 40}));
  EXPECT_EQ(item->PatternRect(10), (TRect{}));
  EXPECT_EQ(item->PatternSurface(-1), nullptr);
}

TEST_F(ImageTest, WidePicturesAreCutIntoBlocksOfWholePatterns) {
  // 11 patterns of 100 x 20: blocks of 600 pixels (6 patterns), then 500.
  auto* item = Add("Strip", MakePicture(1100, 20, Coded), 100, 20);
  item->Restore();
  ASSERT_EQ(item->PatternCount(), 11);
  EXPECT_EQ(item->SurfaceCount(), 2);
  EXPECT_EQ(item->PatternRect(7), (TRect{100, 0, 200, 20}));
  EXPECT_NE(item->PatternSurface(7), item->PatternSurface(5));
  EXPECT_EQ(item->PatternSurface(7)->Width(), 500);
  item->Transparent = false;
  item->Draw(dest, 0, 0, 7);
  EXPECT_EQ(dest->Pixel(0, 0), PixelToRGB565(Coded(700, 0)));
  EXPECT_EQ(dest->Pixel(99, 19), PixelToRGB565(Coded(799, 19)));
  // In system memory the picture stays one surface.
  auto* sys = Add("Sys", MakePicture(1100, 20, Coded), 100, 20);
  sys->SystemMemory = true;
  sys->Restore();
  EXPECT_EQ(sys->SurfaceCount(), 1);
  EXPECT_EQ(sys->PatternRect(7), (TRect{700, 0, 800, 20}));
}

TEST_F(ImageTest, FindIgnoresCaseAndTheLastNamedWins) {
  auto* first = Add("Bomb", MakePicture(4, 4, Coded), 0, 0);
  auto* second = Add("bomb", MakePicture(4, 4, Coded), 0, 0);
  EXPECT_EQ(list.Items.Find("BOMB"), second);
  first->SetName("BOMB");  // renamed last
  EXPECT_EQ(list.Items.Find("bomb"), first);
  list.Items.Delete(first->Index());
  EXPECT_EQ(list.Items.Find("Bomb"), second);
  EXPECT_EQ(second->Index(), 0);
  try {
    list.Items.Find("Mine");
    FAIL();
  } catch (const EPictureCollectionError& e) {
    EXPECT_STREQ(e.what(), "Image 'Mine' not found");
  }
}

TEST_F(ImageTest, DrawClipsAtEveryEdge) {
  auto* item = Add("Sq", MakePicture(32, 32, Coded), 32, 32);
  item->Transparent = false;
  item->Restore();
  struct Case {
    int x, y;
    int dx, dy;  // a destination pixel that must show...
    int sx, sy;  // ...this picture pixel (sx < 0: must stay 0)
  };
  const Case cases[] = {
      {-10, 0, 0, 0, 10, 0},      {-10, 0, 21, 31, 31, 31}, {-10, 0, 22, 0, -1, -1},
      {790, 590, 799, 599, 9, 9}, {0, -31, 0, 0, 0, 31},
  };
  for (const Case& c : cases) {
    dest->Fill(0);
    item->Draw(dest, c.x, c.y, 0);
    const uint16_t want = c.sx < 0 ? 0 : PixelToRGB565(Coded(c.sx, c.sy));
    EXPECT_EQ(dest->Pixel(c.dx, c.dy), want) << c.x << "," << c.y;
  }
  // Wholly outside: not one pixel anywhere. A draw at the right edge that
  // is not cut would run on into the next rows; one below the bottom that
  // is moved instead of cut would show along the bottom.
  const std::pair<int, int> outside[] = {{0, 601}, {0, 600}, {800, 0}, {801, 300}, {-32, 0}, {0, -32}};
  for (auto [x, y] : outside) {
    dest->Fill(0);
    item->Draw(dest, x, y, 0);
    int written = 0;
    for (int py = 0; py < 600; ++py)
      for (int px = 0; px < 800; ++px) written += dest->Pixel(px, py) != 0;
    EXPECT_EQ(written, 0) << x << "," << y;
  }
  dest->Fill(0);
  item->Draw(dest, 0, 0, -1);
  item->Draw(dest, 0, 0, 1);
  EXPECT_EQ(dest->Pixel(0, 0), 0);
}

TEST_F(ImageTest, ColourKeySkipsTransparentPixelsAndFollowsTheColour) {
  // A checker of magenta (transparent) and green.
  auto* item = Add("Check", MakePicture(4, 1, [](int x, int) { return x % 2 ? 0x00FF00u : 0xFF00FFu; }), 0, 0);
  item->SetTransparentColor(RGBColor(0xFF, 0x00, 0xFF));
  item->Restore();
  dest->Fill(1);
  item->Draw(dest, 0, 0, 0);
  EXPECT_EQ(dest->Pixel(0, 0), 1);
  EXPECT_EQ(dest->Pixel(1, 0), RGB565(0, 255, 0));
  item->SetTransparentColor(RGBColor(0, 0xFF, 0));  // re-keys the built surfaces
  dest->Fill(1);
  item->Draw(dest, 0, 0, 0);
  EXPECT_EQ(dest->Pixel(0, 0), RGB565(255, 0, 255));
  EXPECT_EQ(dest->Pixel(1, 0), 1);
  item->Transparent = false;
  item->Draw(dest, 0, 0, 0);
  EXPECT_EQ(dest->Pixel(1, 0), RGB565(0, 255, 0));
}

TEST_F(ImageTest, KeyedDrawsClippedManyWaysStayExact) {
  // Every left clip is another column range of the source: more of them
  // than the surface keeps run tables for.
  auto opaque = [](int x, int y) { return (uint32_t(x * 4) << 16) | (uint32_t(y * 8) << 8) | 0x80u; };
  auto* item = Add("Wide", MakePicture(64, 2, [&](int x, int y) { return (x + y) % 3 ? opaque(x, y) : 0u; }), 0, 0);
  item->Restore();
  for (int x = 0; x > -60; --x) {
    dest->Fill(1);
    item->Draw(dest, x, 0, 0);
    for (int dx = 0; dx < 64 + x; ++dx)
      for (int y = 0; y < 2; ++y) {
        const int sx = dx - x;
        const uint16_t want = (sx + y) % 3 ? PixelToRGB565(opaque(sx, y)) : 1;
        ASSERT_EQ(dest->Pixel(dx, y), want) << "at " << x << ": " << dx << "," << y;
      }
  }
}

TEST_F(ImageTest, StretchDrawScalesKeysAndClips) {
  auto* item = Add("Two", MakePicture(2, 1, [](int x, int) { return x ? 0x0000FFu : 0u; }), 0, 0);
  item->Restore();  // black is the key by default
  dest->Fill(3);
  item->StretchDraw(dest, {-4, 10, 8, 13}, 0);  // 2 x 1 to 12 x 3, cut at x 0
  EXPECT_EQ(dest->Pixel(0, 10), 3);             // left half transparent
  EXPECT_EQ(dest->Pixel(1, 12), 3);
  EXPECT_EQ(dest->Pixel(2, 11), RGB565(0, 0, 255));
  EXPECT_EQ(dest->Pixel(7, 12), RGB565(0, 0, 255));
  EXPECT_EQ(dest->Pixel(8, 12), 3);
  EXPECT_EQ(dest->Pixel(3, 13), 3);
}

TEST_F(ImageTest, StretchDrawAtTheOwnSizeCopiesPixelForPixel) {
  // Every third pixel transparent (black); the second pattern of a strip.
  auto coded = [](int x, int y) {
    return (x + 2 * y) % 3 ? (uint32_t(x * 6) << 16) | (uint32_t(y * 20) << 8) | 0x80u : 0u;
  };
  auto* item = Add("Strip", MakePicture(40, 10, coded), 20, 10);
  item->Restore();
  struct Case {
    int x, y;
  };
  const Case cases[] = {{5, 7}, {-13, 0}, {790, 595}, {0, -6}};
  for (const Case& c : cases) {
    dest->Fill(1);
    item->StretchDraw(dest, {c.x, c.y, c.x + 20, c.y + 10}, 1);
    for (int dy = std::max(c.y, 0); dy < std::min(c.y + 10, 600); ++dy)
      for (int dx = std::max(c.x, 0); dx < std::min(c.x + 20, 800); ++dx) {
        const uint32_t p = coded(20 + dx - c.x, dy - c.y);
        ASSERT_EQ(dest->Pixel(dx, dy), p ? PixelToRGB565(p) : 1) << c.x << "," << c.y << ": " << dx << "," << dy;
      }
    if (c.x > 0) {
      EXPECT_EQ(dest->Pixel(c.x - 1, std::max(c.y, 0)), 1) << "nothing left of it";
    }
  }
}

TEST_F(ImageTest, PatternsFollowTheDisplayLifecycle) {
  auto* item = Add("Life", MakePicture(40, 20, Coded), 20, 20);
  display->Finalize();
  EXPECT_FALSE(item->Initialized());
  EXPECT_EQ(item->SurfaceCount(), 0);
  display->Initialize();  // initialize, then restore: the patterns are rebuilt
  EXPECT_TRUE(item->Initialized());
  EXPECT_EQ(item->SurfaceCount(), 1);
  EXPECT_EQ(item->PatternCount(), 2);
  // A lost device is repaired before the next frame is presented.
  null.Lost = true;
  display->Flip();
  EXPECT_FALSE(null.Lost);
  EXPECT_EQ(item->SurfaceCount(), 1);
  EXPECT_EQ(null.PresentCount, 1);
  TPictureCollection unbound;
  EXPECT_THROW(unbound.Initialize(nullptr), EPictureCollectionError);
}

}  // namespace
