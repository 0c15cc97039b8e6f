#pragma once
// The kinds of the level's objects. Each keeps the number it has always had:
// the layout, the tables indexed by kind and the trace depend on them.
#include <cstdint>

namespace fusewick {

// Items: the three bombs that must be cleared, then the bonuses.
enum class TItemKind : uint8_t {
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
using enum TItemKind;

constexpr bool IsBombKind(TItemKind kind) { return kind >= ItemBomb && kind <= ItemDynamit; }

// Monsters. The two walkers come only with a level; the others fly in.
enum class TMonsterKind : int32_t {
  None = 0,      // not a kind: stands still and does nothing
  Slime = 1,     // walker
  Pod = 2,       // drifter
  Shark = 3,     // crosser
  GunRobot = 4,  // walker that shoots along its walk
  Drone = 5,     // homing flier
  Toad = 6,      // drifter that spits
  Bomber = 7,    // crosser that drops bombs
};
constexpr int32_t kMonsterKinds = 7;

// Everything but the two walkers.
constexpr bool IsFlyingKind(TMonsterKind kind) { return kind != TMonsterKind::Slime && kind != TMonsterKind::GunRobot; }

// Bullets: the hero's and the gun robot's shots, the toad's two spittles,
// the bomber's two bombs.
enum class TBulletKind : uint8_t {
  None = 0,
  Shot = 1,
  FreezingSpittle = 2,
  BurningSpittle = 3,
  Bomb = 4,
  IceBomb = 5,
};

// Who fired a bullet: the hero's bullets wound monsters, the monsters' hurt
// or freeze the hero.
enum class TBulletOwner : uint8_t { Player = 0, Monster = 1 };

// What a bullet is fired with; written with named fields, so that no two
// of them can change places unseen.
struct TBulletShot {
  TBulletKind Kind = TBulletKind::Shot;
  TBulletOwner Owner = TBulletOwner::Player;
  int32_t Damage = 0;         // energy a hurting kind takes
  double X = 0, Y = 0;        // start, px
  double VelX = 0, VelY = 0;  // px/s, Y positive downward
};

enum class TPlatformKind : uint8_t { Shuttle = 0, Fixed = 1, Crossing = 3 };
using enum TPlatformKind;

}  // namespace fusewick
