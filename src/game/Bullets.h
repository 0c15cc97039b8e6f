#pragma once
// Projectiles: the hero's shots, the gun robot's pellets, the toad's two
// spittles and the bomber's two bombs. They fly straight (bombs fall), end
// on leaving the field or on a hit, and wound monsters, hurt or freeze the
// hero; walls stop them all.
#include <cstdint>

#include "engine/Sprite.h"
#include "game/Kinds.h"
#include "game/Recycle.h"

namespace fusewick {

class TFire;

class TBullet : public TImageSprite, public TRecycled<TBullet> {
 public:
  TBullet(const TBulletShot& shot, int32_t slot);
  void Step(int32_t moveCount) override;
  // The effect of a hit on a monster, the hero or a wall.
  void Collide(TSprite* other, bool& done) override;
  // Tests monsters, walls and the hero, in that order.
  void ScanTargets();
  // A bomb's blast, once.
  void Explode();

  int32_t Slot = 0;
  TBulletKind Kind = TBulletKind::Shot;
  bool Falls = false;  // gravity acts on it
  TFire* Blast = nullptr;
  bool IsBomb = false;        // explodes instead of vanishing
  bool Exploded = false;      // blew up, or reached a hero it could harm
  int32_t Damage = 0;         // energy taken by the hurting kinds
  double VelX = 0, VelY = 0;  // px/s, Y positive downward
  TBulletOwner Owner = TBulletOwner::Player;

 private:
  // The end of a bullet on a hit: a bomb explodes, anything else goes.
  void Finish();
  bool OwnsSlot() const;
};

}  // namespace fusewick
