#pragma once
// The level's scenery and its visual effects: platforms (fixed, shuttling or
// crossing under two engine flames), drifting clouds, walls, and the
// animated flames, puffs and explosions that other sprites own.
#include <cstdint>
#include <string>

#include "engine/Sprite.h"
#include "game/Kinds.h"
#include "game/Recycle.h"

namespace fusewick {

class TPictureCollectionItem;

// The image of that name in the first image list, looked up once per game:
// the name must live as long as the program (a constant), since the lookup
// is remembered by the name's address.
TPictureCollectionItem* GameImage(const std::string& constantName);
// Forgets the remembered lookups (the image lists were loaded anew).
void ResetGameImages();

// An animated effect owned by another sprite, which moves, re-images and
// kills it. Loops, or with OneShot plays its cycle once and hides itself.
class TFire : public TImageSprite, public TRecycled<TFire> {
 public:
  TFire(const std::string& imageName, int32_t x, int32_t y, int32_t z);
  TFire(TPictureCollectionItem* image, int32_t x, int32_t y, int32_t z);
  // Replaces the image and recomputes the size; the animation fields stay.
  void SetFlameImage(const std::string& imageName);
  void SetFlameImage(TPictureCollectionItem* image);
  void Step(int32_t moveCount) override;
  void Render() override;

  bool OneShot = false;
  double PrevFrame = 0;  // AnimFrame before the last step
  double Scale = 1.0;    // size factor of the pattern size
};

class TPlatform : public TImageSprite, public TRecycled<TPlatform> {
 public:
  // rightX: a shuttle's right limit (its right edge turns there).
  TPlatform(const std::string& imageName, TPlatformKind kind, double x, double y, double minX, double rightX,
            double speed, int32_t slot);
  void Step(int32_t moveCount) override;

  int32_t Slot = 0;
  TPlatformKind Kind = Fixed;
  bool HasEngines = false;  // owns LeftFlame and RightFlame
  TFire* LeftFlame = nullptr;
  TFire* RightFlame = nullptr;
  double Speed = 0;            // px/s, negative to the left
  double MinX = 0;             // a shuttle's left turning point
  double MaxX = kScreenWidth;  // a shuttle's right turning point (right limit less width)
};

// Drifts sideways and removes itself once it has left the screen.
class TCloud : public TImageSprite, public TRecycled<TCloud> {
 public:
  TCloud(const std::string& imageName, double x, double y, double speed, int32_t slot);
  void Step(int32_t moveCount) override;

  int32_t Slot = 0;
  double Speed = 0;  // px/s
};

class TWall : public TImageSprite, public TRecycled<TWall> {
 public:
  TWall(const std::string& imageName, double x, double y, int32_t slot);

  int32_t Slot = 0;
};

}  // namespace fusewick
