#pragma once
// The enemies: two walkers that pace a platform (one of them shoots), two
// drifting fliers (one spits), a fast crosser, a homing flier and a bomber
// that crosses the screen dropping bombs. One class, seven kinds.
#include <array>
#include <cstdint>

#include "engine/Sprite.h"
#include "game/Kinds.h"
#include "game/Level.h"
#include "game/Recycle.h"

namespace fusewick {

class TFire;
class TPictureCollectionItem;

enum class TMonsterState : uint8_t { Alive = 1, Bursting = 2 };
using enum TMonsterState;

class TMonster : public TImageSprite, public TRecycled<TMonster> {
 public:
  TMonster(TMonsterKind kind, int32_t slot, double x, double y);
  // Stands a walker on the platform of that slot, offsetX from its left.
  void PlaceOnPlatform(int32_t index, double offsetX, double walkSpeed);
  void Step(int32_t moveCount) override;
  // Bounces off walls; other sprites are ignored.
  void Collide(TSprite* other, bool& done) override;
  // Starts the explosion; the monster removes itself once it has played.
  void Burst();
  // Fires weapon n (1 or 2) while alive.
  void FireWeapon(int32_t n);

  void ScanWalls();
  void UpdateImage();
  void CheckEntered();
  void PlaceFlames();

  int32_t Slot = 0;
  TMonsterKind Kind = TMonsterKind::None;
  TMonsterState State = Alive;
  int32_t BulletDamage = 0;                   // carried by the bullets it fires
  int32_t HitPoints = 1;                      // player bullets still needed
  int32_t ScoreValue = 0;                     // points for shooting it down
  std::array<TBulletKind, 3> WeaponBullet{};  // 1..WeaponCount: bullet kind fired
  std::array<int32_t, 3> WeaponTimer{};       // ms until the weapon next triggers
  int32_t WeaponCount = 0;
  TSlotRef PlatformIndex;       // the platform a walker paces
  double VelX = 0, VelY = 0;    // flight, px/s
  double WalkSpeed = 0;         // along the platform, px/s, signed; 0 for fliers
  bool MuzzleFromLeft = false;  // shots leave at X + offset, else at the centre +- offset
  bool DirectionalFlames = false;
  int32_t DriftMax = 0, DriftMin = 0;  // bounds of a drifter's new speeds
  std::array<TFire*, 3> Flames{};      // 1..FlameCount
  int32_t FlameCount = 0;
  TFire* Explosion = nullptr;
  bool HasBurst = false;  // Explosion exists
  bool Entered = false;   // has once been wholly inside the play field

 private:
  bool OwnsSlot() const;
  TPictureCollectionItem* right_ = nullptr;  // the look moving right (or the only one)
  TPictureCollectionItem* left_ = nullptr;   // the look moving left
};

}  // namespace fusewick
