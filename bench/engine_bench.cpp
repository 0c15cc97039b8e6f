// Engine benchmarks: pattern drawing against SDL's own blitter, and one
// whole engine frame as the game runs it.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/Display.h"
#include "engine/ImageList.h"
#include "engine/Sprite.h"
#include "platform/NullPlatform.h"
#include "platform/SdlPlatform.h"

using namespace fusewick;

namespace {

constexpr int kSprites = 300;
constexpr uint32_t kKey = 0xFF00FF;  // magenta: transparent

// A 32 x 32 ball with transparent corners, four frames side by side.
std::shared_ptr<TDIB> BallStrip() {
  auto pic = std::make_shared<TDIB>(128, 32);
  for (int f = 0; f < 4; ++f)
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const int dx = x - 16, dy = y - 16;
        const bool inside = dx * dx + dy * dy < 15 * 15;
        pic->At(f * 32 + x, y) = inside ? (0x203040u + uint32_t(x * 4) * 0x10000u + uint32_t(y * 6 + f * 20)) : kKey;
      }
  return pic;
}

// Positions spread over the surface, some of them across its edges.
struct Spot {
  int x, y;
};
std::vector<Spot> Spots() {
  std::vector<Spot> s;
  uint32_t r = 12345;
  auto next = [&r](int n) {
    r = r * 1103515245u + 12345u;
    return int((r >> 8) % uint32_t(n));
  };
  for (int i = 0; i < kSprites; ++i) s.push_back({next(800 + 48) - 24, next(600 + 48) - 24});
  return s;
}

// A display on the headless platform with one image list holding the strip.
struct Scene {
  Scene() {
    platform::SetCurrent(&null);
    display = std::make_unique<TDXDraw>(&form);
    list.SetDXDraw(display.get());
    display->Initialize();
    item = list.Items.Add();
    item->SetName("Ball");
    item->SetPatternWidth(32);
    item->SetPatternHeight(32);
    item->SetTransparentColor(RGBColor(0xFF, 0, 0xFF));
    item->Picture = BallStrip();
    item->Restore();
  }
  ~Scene() {
    list.SetDXDraw(nullptr);
    display.reset();
    platform::SetCurrent(nullptr);
  }
  platform::NullPlatform null;
  TDXForm form;
  std::unique_ptr<TDXDraw> display;
  TDXImageList list;
  TPictureCollectionItem* item = nullptr;
};

void BM_PatternDrawFusewick(benchmark::State& state) {
  Scene scene;
  const auto spots = Spots();
  TDirectDrawSurface* back = scene.display->Surface();
  for (auto _ : state) {
    for (int i = 0; i < kSprites; ++i) scene.item->Draw(back, spots[size_t(i)].x, spots[size_t(i)].y, i & 3);
    benchmark::DoNotOptimize(back->Pixels());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}
BENCHMARK(BM_PatternDrawFusewick);

void BM_PatternDrawSDL(benchmark::State& state) {
  const auto pic = BallStrip();
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
  // One surface per frame, as a sprite sheet cut for SDL would be.
  std::vector<SDL_Surface*> frames;
  for (int f = 0; f < 4; ++f) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 16, SDL_PIXELFORMAT_RGB565);
    auto* px = static_cast<uint16_t*>(s->pixels);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) px[y * (s->pitch / 2) + x] = PixelToRGB565(pic->At(f * 32 + x, y));
    SDL_SetColorKey(s, SDL_TRUE, PixelToRGB565(kKey));
    SDL_SetSurfaceRLE(s, 1);
    frames.push_back(s);
  }
  const auto spots = Spots();
  for (auto _ : state) {
    for (int i = 0; i < kSprites; ++i) {
      SDL_Rect r{spots[size_t(i)].x, spots[size_t(i)].y, 32, 32};
      SDL_BlitSurface(frames[size_t(i & 3)], nullptr, dst, &r);
    }
    benchmark::DoNotOptimize(dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
  for (SDL_Surface* s : frames) SDL_FreeSurface(s);
  SDL_FreeSurface(dst);
}
BENCHMARK(BM_PatternDrawSDL);

// An image sprite drawn stretched to twice its size.
class StretchedSprite : public TImageSprite {
 public:
  using TImageSprite::TImageSprite;
  void Render() override {
    TRect r;
    GetBounds(r);
    Image->StretchDraw(Engine()->Surface(), r, PatternIndex());
  }
};

// A sprite that wanders so that every frame differs from the last.
class Wanderer : public TImageSprite {
 public:
  using TImageSprite::TImageSprite;
  void Step(int32_t moveCount) override {
    TImageSprite::Step(moveCount);
    X += vx;
    if (X < -20 || X > 790) vx = -vx;
  }
  double vx = 1.5;
};

void BM_EngineFrame(benchmark::State& state) {
  // The real presenter: SDL's dummy video driver with a software renderer.
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  platform::SdlPlatform sdl;
  platform::SetCurrent(&sdl);
  sdl.OpenWindow("bench", 800, 600);
  {
    TDXForm form;
    TDXDraw display(&form);
    TDXImageList list;
    TDXSpriteEngine engine;
    list.SetDXDraw(&display);
    engine.SetDXDraw(&display);
    display.Initialize();
    TPictureCollectionItem* ball = list.Items.Add();
    ball->SetName("Ball");
    ball->SetPatternWidth(32);
    ball->SetPatternHeight(32);
    ball->SetTransparentColor(RGBColor(0xFF, 0, 0xFF));
    ball->Picture = BallStrip();
    TPictureCollectionItem* tile = list.Items.Add();
    tile->SetName("Tile");
    tile->Transparent = false;
    tile->Picture = std::make_shared<TDIB>(64, 64, 0x102040);
    list.Items.Initialize(&display);
    list.Items.Restore();

    auto* bg = new TBackgroundSprite(engine.Engine());
    bg->Image = tile;
    bg->Tile = true;
    bg->SetMapSize(1, 1);
    const auto spots = Spots();
    for (int i = 0; i < kSprites; ++i) {
      TImageSprite* s = i < 20 ? static_cast<TImageSprite*>(new StretchedSprite(engine.Engine()))
                               : static_cast<TImageSprite*>(new Wanderer(engine.Engine()));
      s->Image = ball;
      s->Width = i < 20 ? 64 : 32;
      s->Height = i < 20 ? 64 : 32;
      s->X = spots[size_t(i)].x;
      s->Y = spots[size_t(i)].y;
      s->AnimFrames = 4;
      s->AnimLoop = true;
      s->AnimRate = 0.25;
      s->SetZ(i % 7);
    }
    for (auto _ : state) {
      engine.FreeKilled();
      display.Surface()->Fill(0);
      engine.Move(1);
      engine.Draw();
      display.Surface()->ReleaseCanvas();
      display.Flip();
    }
    state.counters["drawn"] = engine.Engine()->DrawCount();
    engine.SetDXDraw(nullptr);
    list.SetDXDraw(nullptr);
  }
  platform::SetCurrent(nullptr);
}
BENCHMARK(BM_EngineFrame)->Unit(benchmark::kMillisecond);

}  // namespace
