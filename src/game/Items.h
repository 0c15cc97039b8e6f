#pragma once
// Everything the hero collects: the three bombs that must be cleared from a
// level (bomb, mine, dynamite) and the bonuses.
#include <cstdint>
#include <string>

#include "engine/Sprite.h"
#include "game/Recycle.h"

namespace fusewick {

class TFire;

// Item kinds.
enum TItemKind : uint8_t {
  ItemNone = 0,
  ItemBomb = 1,
  ItemMine = 2,
  ItemDynamit = 3,
  ItemGun = 4,
  ItemMoney10 = 5,
  ItemMoney20 = 6,
  ItemMoney50 = 7,
  ItemEngine = 8,
  ItemMegaBomb = 9,
  ItemEnergo = 10,
  ItemLife = 11,
};

enum TItemState : uint8_t { Appearing = 0, Waiting = 1, Burning = 2, Exploding = 3 };

// The picture of a kind ("Bomb", "LevelGun", ...).
const char* ItemImageName(uint8_t kind);
// Energy a lit bomb of the kind takes when it goes off.
int32_t ExplosionDamage(uint8_t kind);

class TLevelItem : public TImageSprite, public TRecycled<TLevelItem> {
 public:
  TLevelItem(uint8_t kind, double x, double y, int32_t slot);

  void SetItemImage(const std::string& imageName);
  void BeginAppear();
  void BecomeWaiting();
  // Lights a waiting bomb: it blinks for 5000 ms, then explodes.
  void Ignite();
  void Explode();
  void Step(int32_t moveCount) override;
  void Render() override;

  int32_t Slot = 0;
  uint8_t Kind = ItemNone;
  uint8_t ItemState = Waiting;
  int32_t LifeLeft = 0;  // ms a bonus still stays
  int32_t FuseLeft = 0;  // ms until a burning bomb explodes
  double PrevFrame = 0;
  TFire* Flame = nullptr;  // the fuse flame, then the explosion
  bool HasFuse = false;    // bomb and dynamite: the fuse flame becomes the explosion
  bool HasFlame = false;   // Flame exists and is killed with the item
};

}  // namespace fusewick
