#pragma once
// Everything the hero collects: the three bombs that must be cleared from a
// level (bomb, mine, dynamite) and the bonuses.
#include <cstdint>
#include <string>

#include "engine/Sprite.h"
#include "game/Kinds.h"
#include "game/Recycle.h"

namespace fusewick {

class TFire;

enum class TItemState : uint8_t { Appearing = 0, Waiting = 1, Burning = 2, Exploding = 3 };
using enum TItemState;

// The picture of a kind ("Bomb", "LevelGun", ...).
const char* ItemImageName(TItemKind kind);
// Energy a lit bomb of the kind takes when it goes off.
int32_t ExplosionDamage(TItemKind kind);

class TLevelItem : public TImageSprite, public TRecycled<TLevelItem> {
 public:
  TLevelItem(TItemKind kind, double x, double y, int32_t slot);

  void SetItemImage(const std::string& imageName);
  void BeginAppear();
  void BecomeWaiting();
  // Lights a waiting bomb: it blinks for 5000 ms, then explodes.
  void Ignite();
  void Explode();
  void Step(int32_t moveCount) override;
  void Render() override;

  int32_t Slot = 0;
  TItemKind Kind = ItemNone;
  TItemState ItemState = Waiting;
  int32_t LifeLeft = 0;  // ms a bonus still stays
  int32_t FuseLeft = 0;  // ms until a burning bomb explodes
  double PrevFrame = 0;
  TFire* Flame = nullptr;  // the fuse flame, then the explosion
  bool HasFuse = false;    // bomb and dynamite: the fuse flame becomes the explosion
  bool HasFlame = false;   // Flame exists and is killed with the item
};

}  // namespace fusewick
