#include <gtest/gtest.h>

#include <vector>

#include "Harness.h"
#include "engine/Display.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Sprite.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

// Records the order in which sprites step and render.
std::vector<int>* journal = nullptr;

class Probe : public TSprite {
 public:
  Probe(TSprite* parent, int id, int w = 10, int h = 10) : TSprite(parent), id(id) {
    Width = w;
    Height = h;
  }
  void Step(int32_t) override {
    if (journal) journal->push_back(id);
    if (onStep) onStep(this);
  }
  void Render() override {
    if (journal) journal->push_back(id);
  }
  int id;
  std::function<void(Probe*)> onStep;
};

class SpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface.SetSize(800, 600);
    engine.SetSurface(&surface);
    journal = &log;
  }
  void TearDown() override { journal = nullptr; }
  std::vector<int> Drawn() {
    log.clear();
    engine.Draw();
    return log;
  }
  TDirectDrawSurface surface;
  TSpriteEngine engine;
  std::vector<int> log;
};

TEST_F(SpriteTest, EqualZDrawsTheNewestUnderneathAndSetZToTheSameValueChangesNothing) {
  auto* older = new Probe(&engine, 1);
  new Probe(&engine, 2);
  EXPECT_EQ(Drawn(), (std::vector<int>{2, 1}));
  older->SetZ(0);
  EXPECT_EQ(Drawn(), (std::vector<int>{2, 1}));
  auto* third = new Probe(&engine, 3);
  third->SetZ(5);
  older->SetZ(5);  // ties with 3: re-sorted, so it goes under it
  EXPECT_EQ(Drawn(), (std::vector<int>{2, 1, 3}));
  third->SetZ(-1);
  EXPECT_EQ(Drawn(), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(engine.DrawCount(), 3);
}

TEST_F(SpriteTest, HiddenOrFrozenSubtreesAreSkippedButOffSurfaceParentsStillDrawChildren) {
  auto* parent = new Probe(&engine, 1);
  new Probe(parent, 2);
  parent->X = 900;  // off the surface: not rendered, its child (relative 0,0) neither...
  auto* child2 = new Probe(parent, 3);
  child2->X = -850;  // ...but this one lands on the surface at x = 50
  EXPECT_EQ(Drawn(), (std::vector<int>{3}));
  EXPECT_EQ(engine.DrawCount(), 1);
  parent->Visible = false;
  EXPECT_TRUE(Drawn().empty());
  log.clear();
  engine.Move(1);
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
  parent->Movable = false;
  log.clear();
  engine.Move(1);
  EXPECT_TRUE(log.empty());
}

TEST_F(SpriteTest, TouchingTheRightEdgeIsNotDrawn) {
  auto* p = new Probe(&engine, 1);
  p->X = 800;
  EXPECT_TRUE(Drawn().empty());
  p->X = 799.9;  // truncates to 799: one column on the surface
  EXPECT_EQ(Drawn(), (std::vector<int>{1}));
  p->X = -9.9;  // truncates toward zero: -9, still overlapping
  EXPECT_EQ(Drawn(), (std::vector<int>{1}));
}

TEST_F(SpriteTest, SpriteKilledDuringTheMovePassIsDrawnThenFreedWithItsKilledChildren) {
  auto* a = new Probe(&engine, 1);
  auto* child = new Probe(a, 2);
  auto* b = new Probe(&engine, 3);
  b->onStep = [&](Probe*) {
    child->Kill();
    a->Kill();
    a->Kill();  // twice: no further effect
  };
  engine.Move(1);
  EXPECT_EQ(engine.KillList().size(), 2u);
  EXPECT_EQ(Drawn(), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(engine.SpriteCount(), 3);
  engine.FreeKilled();
  EXPECT_TRUE(engine.KillList().empty());
  EXPECT_EQ(engine.SpriteCount(), 1);
  EXPECT_EQ(Drawn(), (std::vector<int>{3}));
  engine.Kill();  // killing the engine does nothing
  EXPECT_TRUE(engine.KillList().empty());
}

TEST_F(SpriteTest, ChildrenCreatedDuringTheMovePassWaitForTheNextPass) {
  auto* spawner = new Probe(&engine, 1);
  spawner->onStep = [&](Probe* self) {
    if (self->Count() == 0) new Probe(&engine, 9);
  };
  engine.Move(1);
  EXPECT_EQ(log, (std::vector<int>{1}));
  log.clear();
  engine.Move(1);
  EXPECT_EQ(log, (std::vector<int>{1, 9}));
}

TEST_F(SpriteTest, ItemsOfAChildlessSpriteRaises) {
  auto* p = new Probe(&engine, 1);
  try {
    p->Items(3);
    FAIL();
  } catch (const ESpriteError& e) {
    EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (3)");
  }
  EXPECT_EQ(engine.Items(0), p);
}

TEST_F(SpriteTest, WorldPositionAddsParentsAndTheEngine) {
  engine.X = 5;
  auto* a = new Probe(&engine, 1);
  a->X = 10.5;
  auto* b = new Probe(a, 2);
  b->X = -3.25;
  EXPECT_DOUBLE_EQ(b->WorldX(), 12.25);
  TRect r;
  b->GetBounds(r);
  EXPECT_EQ(r, (TRect{12, 0, 22, 10}));
}

TEST(Animation, AdvancesWrapsAndStops) {
  struct Case {
    bool loop;
    int frames;
    double start, rate;
    int moveCount;
    double wantFrame, wantRate;
  };
  const Case cases[] = {
      {false, 4, 3.75, 0.25, 1, 3, 0},  // one-shot ends on its last frame
      {false, 4, 0.25, -0.5, 1, 0, 0},  // backwards ends at 0
      {false, 4, 1.0, 0.25, 2, 1.5, 0.25},  {true, 4, 3.5, 1, 1, 0.5, 1},
      {true, 4, 0.25, -0.5, 1, 3.75, -0.5}, {true, 4, 1, 1, 9, 2, 1},  // lag count 9: wraps twice
      {true, 0, 2.5, 1, 1, 0, 1},                                      // no frames: stays at 0
  };
  TSpriteEngine engine;
  for (const Case& c : cases) {
    TImageSprite s(&engine);
    s.AnimLoop = c.loop;
    s.AnimFrames = c.frames;
    s.AnimFrame = c.start;
    s.AnimRate = c.rate;
    s.Step(c.moveCount);
    EXPECT_DOUBLE_EQ(s.AnimFrame, c.wantFrame) << c.start << " by " << c.rate;
    EXPECT_DOUBLE_EQ(s.AnimRate, c.wantRate) << c.start << " by " << c.rate;
  }
}

TEST(Animation, OneShotOfFourFramesPlaysSixteenQuarterSteps) {
  TSpriteEngine engine;
  TImageSprite s(&engine);
  s.AnimFrames = 4;
  s.AnimRate = 0.25;
  for (int i = 0; i < 15; ++i) s.Step(1);
  EXPECT_DOUBLE_EQ(s.AnimFrame, 3.75);
  EXPECT_EQ(s.PatternIndex(), 3);
  s.Step(1);
  EXPECT_DOUBLE_EQ(s.AnimFrame, 3);
  EXPECT_EQ(s.AnimRate, 0);
}

// Backgrounds drawn from a two-pattern 64 x 64 image: pattern 0 red, 1 blue.
class BackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrent(&null);
    form = std::make_unique<TDXForm>();
    display = std::make_unique<TDXDraw>(form.get());
    list.SetDXDraw(display.get());
    TPictureCollectionItem* item = list.Items.Add();
    item->SetName("Tiles");
    item->SetPatternWidth(64);
    item->SetPatternHeight(64);
    item->Transparent = false;
    item->Picture = MakePicture(128, 64, [](int x, int) { return x < 64 ? 0xFF0000u : 0x0000FFu; });
    display->Initialize();
    image = item;
    engine.SetSurface(display->Surface());
  }
  void TearDown() override {
    list.SetDXDraw(nullptr);
    display.reset();
    platform::SetCurrent(nullptr);
  }
  uint16_t At(int x, int y) { return display->Surface()->Pixel(x, y); }

  platform::NullPlatform null;
  std::unique_ptr<TDXForm> form;
  std::unique_ptr<TDXDraw> display;
  TDXImageList list;
  TPictureCollectionItem* image = nullptr;
  TSpriteEngine engine;
  static constexpr uint16_t kRed = 0xF800, kBlue = 0x001F;
};

TEST_F(BackgroundTest, TiledMapCoversTheSurfaceFromItsOffset) {
  auto* bg = new TBackgroundSprite(&engine);
  bg->Image = image;
  bg->Tile = true;
  bg->SetMapSize(2, 1);
  bg->SetCell(1, 0, 1);
  bg->X = -10;
  engine.Draw();
  EXPECT_EQ(At(0, 0), kRed);    // cell 0 from x -10 to 54
  EXPECT_EQ(At(60, 0), kBlue);  // cell 1 from 54 to 118
  EXPECT_EQ(At(120, 599), kRed);
  EXPECT_EQ(At(799, 599), kRed);  // column 12 from the map's start: cell 12 mod 2 = 0
}

TEST_F(BackgroundTest, TiledMapReachesPastEveryEdgeAtAnyOffset) {
  // Twelve 64 x 64 patterns, each its own colour, on a 4 x 3 map whose
  // cell (c, r) holds pattern 4r + c: a pixel tells which cell was drawn.
  auto colour = [](int p) { return uint32_t((p + 1) * 16) << 16 | uint32_t(255 - p * 16); };
  TPictureCollectionItem* tiles = list.Items.Add();
  tiles->SetName("Twelve");
  tiles->SetPatternWidth(64);
  tiles->SetPatternHeight(64);
  tiles->Transparent = false;
  tiles->Picture = MakePicture(12 * 64, 64, [&](int x, int) { return colour(x / 64); });
  tiles->Restore();
  auto shown = [&](int x, int y) {
    for (int p = 0; p < 12; ++p)
      if (At(x, y) == PixelToRGB565(colour(p))) return p;
    return -1;
  };
  auto* bg = new TBackgroundSprite(&engine);
  bg->Image = tiles;
  bg->Tile = true;
  bg->SetMapSize(4, 3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) bg->SetCell(c, r, 4 * r + c);
  struct Probe {
    int x, y, pattern;
  };
  struct Case {
    double x, y;
    std::vector<Probe> probes;
  } cases[] = {
      // The column and row before the first cell show at the top left:
      // cell (3, 2) wraps round to it.
      {10, 20, {{0, 0, 11}, {10, 20, 0}, {9, 599, 3}, {799, 19, 8}, {799, 599, 0}}},
      // Cells start 63 left of and above the corner: the 14th column and
      // the 11th row of tiles reach the right and bottom edges.
      {-63, -63, {{0, 0, 0}, {1, 1, 5}, {799, 599, 5}}},
      // Whole cells off to the top left: the map goes on with cell (3, 2).
      {-200, -130, {{0, 0, 11}, {56, 62, 0}, {799, 599, 11}}},
      // Whole cells to the right: the tiles left of them count back round.
      {100, 0, {{0, 0, 2}, {36, 0, 3}, {100, 64, 4}}},
  };
  for (const Case& c : cases) {
    display->Surface()->Fill(7);
    bg->X = c.x;
    bg->Y = c.y;
    engine.Draw();
    for (const Probe& p : c.probes)
      EXPECT_EQ(shown(p.x, p.y), p.pattern) << c.x << "," << c.y << ": " << p.x << "," << p.y;
    int bare = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) bare += At(x, y) == 7;
    EXPECT_EQ(bare, 0) << c.x << "," << c.y;
  }
}

TEST_F(BackgroundTest, UntiledMapDrawsOnlyItsCells) {
  auto* bg = new TBackgroundSprite(&engine);
  bg->Image = image;
  bg->SetMapSize(2, 1);
  bg->SetCell(1, 0, 1);
  bg->X = 100;
  bg->Y = 50;
  display->Surface()->Fill(7);
  engine.Draw();
  EXPECT_EQ(At(99, 50), 7);
  EXPECT_EQ(At(100, 50), kRed);
  EXPECT_EQ(At(164, 113), kBlue);
  EXPECT_EQ(At(228, 50), 7);
  EXPECT_EQ(At(100, 114), 7);
  EXPECT_EQ(bg->Cell(2, 0), -1);
  EXPECT_EQ(bg->Cell(-1, 0), -1);
}

TEST_F(BackgroundTest, OneCellTiledMapCoversTheWholeSurface) {
  auto* bg = new TBackgroundSprite(&engine);
  bg->Image = image;
  bg->Tile = true;
  bg->SetMapSize(1, 1);
  bg->SetCell(0, 0, 1);
  engine.Draw();
  for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}}) EXPECT_EQ(At(x, y), kBlue);
}

}  // namespace
