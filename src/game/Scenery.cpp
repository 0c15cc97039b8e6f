#include "game/Scenery.h"

#include <array>
#include <cmath>

#include "engine/ImageList.h"
#include "game/Level.h"
#include "services/Captions.h"
#include "services/FormComponents.h"
#include "services/Globals.h"

namespace fusewick {

namespace {
TSprite* Root() { return MForm->MDXSpriteEngine.Engine(); }

// Draws pattern Floor(AnimFrame) stretched into the sprite's rounded rectangle.
void StretchRender(TImageSprite& s) {
  if (!s.Image) return;
  const TRect r{RoundEven(s.X), RoundEven(s.Y), RoundEven(s.X + s.Width), RoundEven(s.Y + s.Height)};
  s.Image->StretchDraw(s.Engine()->Surface(), r, int32_t(std::floor(s.AnimFrame)));
}
}  // namespace

// ---- remembered image lookups

namespace {
struct TRemembered {
  const std::string* Name;
  TPictureCollectionItem* Image;
};
struct TRememberedImages {
  std::array<TRemembered, 64> Items{};
  size_t Count = 0;
  const TPictureCollection* List = nullptr;  // the image list they were found in
};
TRememberedImages rememberedImages;
auto& remembered = rememberedImages.Items;
auto& rememberedCount = rememberedImages.Count;
auto& rememberedList = rememberedImages.List;
}  // namespace

TPictureCollectionItem* GameImage(const std::string& constantName) {
  const TPictureCollection* list = &MForm->MDXImageList.Items;
  if (list != rememberedList) {
    rememberedList = list;
    rememberedCount = 0;
  }
  for (size_t i = 0; i < rememberedCount; ++i)
    if (remembered[i].Name == &constantName) return remembered[i].Image;
  TPictureCollectionItem* image = FindImage(constantName);
  if (rememberedCount < remembered.size()) remembered[rememberedCount++] = {&constantName, image};
  return image;
}

void ResetGameImages() { rememberedImages = {}; }

// ---- TFire

TFire::TFire(const std::string& imageName, int32_t x, int32_t y, int32_t z) : TFire(FindImage(imageName), x, y, z) {}

TFire::TFire(TPictureCollectionItem* image, int32_t x, int32_t y, int32_t z) : TImageSprite(Root()) {
  Scale = 1.0;
  SetFlameImage(image);
  X = x;
  Y = y;
  SetZ(z);
  AnimFrame = 0;
  AnimFrames = Image->PatternCount();
  AnimRate = Interval() / 1000.0 * 10.0;  // 10 frames per second
  AnimLoop = true;
  OneShot = false;
}

void TFire::SetFlameImage(const std::string& imageName) { SetFlameImage(FindImage(imageName)); }

void TFire::SetFlameImage(TPictureCollectionItem* image) {
  Image = image;
  Width = RoundEven(Image->PatternWidth() * Scale);
  Height = RoundEven(Image->PatternHeight() * Scale);
}

void TFire::Step(int32_t moveCount) {
  PrevFrame = AnimFrame;
  TImageSprite::Step(moveCount);
  // A one-shot flame hides itself when its frame position wraps (or stalls).
  if (OneShot && Visible && !(AnimFrame > PrevFrame)) Visible = false;
}

void TFire::Render() { StretchRender(*this); }

// ---- TPlatform

namespace {
constexpr double kFlameDropY = 31;    // engine flames hang this far below the platform's top
constexpr double kRightFlameX = 152;  // the right flame's offset from the platform's left
}  // namespace

TPlatform::TPlatform(const std::string& imageName, TPlatformKind kind, double x, double y, double minX, double rightX,
                     double speed, int32_t slot)
    : TImageSprite(Root()) {
  Image = FindImage(imageName);
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
  Slot = slot;
  Kind = kind;
  X = x;
  Y = y;
  SetZ(kZPlatforms);
  HasEngines = false;
  Speed = 0;
  MinX = 0;
  MaxX = kScreenWidth;
  if (Kind == Shuttle) {
    Speed = speed;
    MinX = minX;
    MaxX = rightX - Width;
    HasEngines = true;
  } else if (Kind == Crossing) {
    Speed = speed;
    HasEngines = true;
  }
  if (HasEngines) {
    LeftFlame = new TFire("EngineFire", int32_t(std::floor(X)), int32_t(std::floor(Y + kFlameDropY)), Z());
    RightFlame =
        new TFire("EngineFire", int32_t(std::floor(X + kRightFlameX)), int32_t(std::floor(Y + kFlameDropY)), Z());
  }
}

void TPlatform::Step(int32_t moveCount) {
  TImageSprite::Step(moveCount);
  if (Kind == Shuttle) {
    // Turns only once past a turning point; X is not clamped.
    X += Speed / FrameRate;
    if (X > MaxX || X < MinX) Speed = -Speed;
  } else if (Kind == Crossing) {
    X += Speed / FrameRate;
    // Strictly past the right edge: one entering at X = 800 stays until it moves.
    if ((X > FieldRight || X < FieldLeft - Width) && PlatformUsed[size_t(Slot)] && Platforms[size_t(Slot)] == this)
      RemovePlatform(Slot);
  }
  if (HasEngines) {
    LeftFlame->X = X;
    LeftFlame->Y = Y + kFlameDropY;
    RightFlame->X = X + kRightFlameX;
    RightFlame->Y = Y + kFlameDropY;
  }
}

// ---- TCloud

TCloud::TCloud(const std::string& imageName, double x, double y, double speed, int32_t slot) : TImageSprite(Root()) {
  Image = FindImage(imageName);
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
  Slot = slot;
  X = x;
  Y = y;
  SetZ(kZScenery);
  Speed = speed;
}

void TCloud::Step(int32_t moveCount) {
  TImageSprite::Step(moveCount);
  X += Speed / FrameRate;
  if ((X > FieldRight || X < FieldLeft - Width) && CloudUsed[size_t(Slot)] && Clouds[size_t(Slot)] == this)
    RemoveCloud(Slot);
}

// ---- TWall

TWall::TWall(const std::string& imageName, double x, double y, int32_t slot) : TImageSprite(Root()) {
  Image = FindImage(imageName);
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
  Slot = slot;
  X = x;
  Y = y;
  SetZ(kZScenery);
}

}  // namespace fusewick
