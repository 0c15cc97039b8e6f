#pragma once
// Projectiles: the hero's shots and, with the monsters, their bullets,
// spittle and bombs. Here: creation into a slot, straight flight, leaving
// the field, and the fields the rest of the game reads.
#include <cstdint>

#include "engine/Sprite.h"
#include "game/Recycle.h"

namespace fusewick {

class TFire;

class TBullet : public TImageSprite, public TRecycled<TBullet> {
 public:
  TBullet(uint8_t kind, int32_t slot, double x, double y, double velX, double velY, uint8_t owner, int32_t damage);
  void Step(int32_t moveCount) override;

  int32_t Slot = 0;
  uint8_t Kind = 1;
  TFire* Blast = nullptr;  // a bomb's explosion
  bool Exploded = false;
  int32_t Damage = 0;
  double VelX = 0, VelY = 0;
  uint8_t Owner = 0;  // 0 the player, 1 a monster
};

}  // namespace fusewick
