#include "game/Bullets.h"

#include "engine/ImageList.h"
#include "game/Level.h"
#include "game/Scenery.h"
#include "shell/Captions.h"
#include "shell/Globals.h"
#include "shell/MainForm.h"

namespace fusewick {

namespace {
const char* BulletImage(uint8_t kind, uint8_t owner) {
  switch (kind) {
    case 2: return "Spittle1";
    case 3: return "Spittle2";
    case 4: return "Monster7_Bomb1";
    case 5: return "Monster7_Bomb2";
    default: return owner == 0 ? "BulletPlayer" : "BulletEnemy";
  }
}
}  // namespace

TBullet::TBullet(uint8_t kind, int32_t slot, double x, double y, double velX, double velY, uint8_t owner,
                 int32_t damage)
    : TImageSprite(MForm->MDXSpriteEngine.Engine()) {
  Slot = slot;
  Kind = kind;
  Image = FindImage(BulletImage(kind, owner));
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
  X = x;
  Y = y;
  SetZ(6);
  VelX = velX;
  VelY = velY;
  Owner = owner;
  Damage = damage;
}

void TBullet::Step(int32_t moveCount) {
  TImageSprite::Step(moveCount);
  // Straight flight until the bullet leaves the field; hits come with the
  // bullets' own behaviour.
  X += VelX / FrameRate;
  Y += VelY / FrameRate;
  if ((X > FieldRight || X < FieldLeft - Width || Y + Height > FieldBottom || Y < FieldTop - Height) &&
      BulletUsed[size_t(Slot)] && Bullets[size_t(Slot)] == this)
    RemoveBullet(Slot);
}

}  // namespace fusewick
