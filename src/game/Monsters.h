#pragma once
// The enemies. Their behaviour (walking, drifting, crossing, homing,
// shooting) comes with the monsters; what the level and the hero need of
// them is here: creation into a slot, standing on a platform, bursting,
// and the fields the rest of the game reads.
#include <array>
#include <cstdint>

#include "engine/Sprite.h"
#include "game/Level.h"
#include "game/Recycle.h"

namespace fusewick {

class TFire;

enum TMonsterState : uint8_t { Alive = 1, Bursting = 2 };

class TMonster : public TImageSprite, public TRecycled<TMonster> {
 public:
  TMonster(int32_t kind, int32_t slot, double x, double y);
  // Stands the monster on the platform of that slot, offsetX from its left.
  void PlaceOnPlatform(int32_t index, double offsetX, double walkSpeed);
  // Starts the explosion; the monster removes itself once it has played.
  void Burst();
  void Step(int32_t moveCount) override;

  int32_t Slot = 0;
  int32_t Kind = 0;
  uint8_t State = Alive;
  int32_t HitPoints = 1;
  int32_t ScoreValue = 0;
  TSlotRef PlatformIndex;  // the platform a walker paces
  double VelX = 0, VelY = 0;
  double WalkSpeed = 0;
  std::array<TFire*, 3> Flames{};  // 1..FlameCount
  int32_t FlameCount = 0;
  TFire* Explosion = nullptr;
  bool HasBurst = false;  // Explosion exists
};

}  // namespace fusewick
