#pragma once
// The hero: walks, jumps and high-jumps, stands on platforms and walls,
// drowns in water, collects bombs and bonuses, and loses energy and lives.
#include <cstdint>
#include <string>

#include "engine/Sprite.h"
#include "game/Kinds.h"
#include "game/Level.h"

namespace fusewick {

class TFire;
class TCaption;

// The trace prints it as its number.
enum class TPlayerState : uint8_t { Created = 0, Spawning = 1, Playing = 2, Frozen = 3, Dying = 4 };
using enum TPlayerState;

// Which side of another box a box met (ContactSide).
enum class TContactSide : uint8_t { NoSide = 0, LeftSide = 1, RightSide = 2, TopSide = 3, BottomSide = 4 };
using enum TContactSide;

// Running bonus; the trace prints it as its number.
enum class TBonus : uint8_t { NoBonus = 0, GunBonus = 1, EngineBonus = 2, EnergyBonus = 3 };
using enum TBonus;

// The side of Other that Self reached within one tick's travel (dx, dy in
// px/s): the bands are tested bottom, top, left, right, a later match winning.
TContactSide ContactSide(double selfLeft, double selfRight, double selfTop, double selfBottom, double otherLeft,
                         double otherRight, double otherTop, double otherBottom, double velX, double velY);

class TPlayer : public TImageSprite {
 public:
  // The name is not used: the image follows Facing.
  explicit TPlayer(const std::string& name);

  void Step(int32_t moveCount) override;
  void Render() override;

  // Once per tick from the game frame: bonus countdown, gun, jumps, walking;
  // the tick's derived flags and its Ctrl press (which this uses up).
  void ControlStep(bool ctrlPressed);
  void Respawn();
  void Hurt(int32_t damage);
  void Freeze();
  void DropBonus();
  void TakeBonus(TBonus kind);

  int32_t Energy = 5;  // hit points, 0..5
  bool EngineOn = false;
  double VelX = 0;               // px/s applied this tick
  double VelY = 0;               // px/s, positive = down
  int32_t HealthBlinkTimer = 0;  // ms; the HUD's energy-bar blink phase
  bool Airborne = false;
  TSlotRef PlatformIndex;  // the platform stood on
  TSlotRef WallIndex;      // the wall stood on
  TPlayerState State = Created;
  int32_t StateTimer = 0;     // ms left in Spawning, Frozen, Dying
  int32_t BonusTimeLeft = 0;  // ms left of the running bonus
  // The box that takes items and meets monsters and shots, from X.
  int32_t ItemBoxLeft = 14, ItemBoxWidth = 35;
  TFire* EngineFlame = nullptr;
  TFire* JumpFlame = nullptr;
  bool GameOver = false;  // the last life has been lost

 private:
  // Where a jump is: not jumping, first jump with the key still held, key
  // released or high jump done.
  enum class TJumpStage : int32_t { NotJumping = 0, KeyHeld = 1, Done = 2 };

  void Die();
  void Jump();
  void HighJump();
  void CheckJumpKey();
  void Thrust();
  void WalkLeft();
  void WalkRight();
  void StopWalking();
  void Shoot();

  void UpdateLook();
  // Looks the image up and sizes the sprite to 80 % of its pattern.
  void SetImage(const std::string& name);
  void SetBoxes();
  // Every platform, wall, item and monster the hero touches, each handled
  // by its kind's handler.
  void ScanContacts();
  void TouchPlatform(const TPlatform& p);
  void TouchWall(const TWall& w);
  void TouchItem(const TLevelItem& item);
  void TouchMonster(const TMonster& m);
  bool IsUnsupported();
  void PlaceAttachments();

  double WalkSpeed = 0;       // -150, 0 or +150 px/s
  int32_t HighJumpTimer = 0;  // ms until a held jump becomes a high jump
  TJumpStage JumpStage = TJumpStage::NotJumping;
  bool JumpReleased = false;
  bool InWater = false;
  int32_t Facing = 0;  // -1 left, +1 right, 0 not yet chosen
  int32_t ItemBoxRight = 49;
  // The body (walls, platforms, water, the field's edges), from X.
  int32_t BodyLeft = 25, BodyRight = 47, BodyWidth = 22;
  TFire* GunFlash = nullptr;
  int32_t JumpFlameTimer = 0;  // ms the jump flame stays visible
  // The looks set last, so that an unchanged look is not looked up again.
  const std::string* look_ = nullptr;
  const std::string* flash_ = nullptr;
};

// The hero's program-wide state; `PlayerGlobals = {}` puts it back to its
// start. The sprites are the sprite engine's: only the references go.
struct TPlayerGlobals {
  // The one hero while a game runs; null otherwise.
  TPlayer* Player = nullptr;
  // The running bonus.
  TBonus ActiveBonus = NoBonus;
  // The bonus slot of the right panel, and the captions over the hero.
  TCaption* BonusPanel = nullptr;
  TCaption* FreezeCaption = nullptr;
  TCaption* EnergyCaption = nullptr;
};
extern TPlayerGlobals PlayerGlobals;

inline auto& Player = PlayerGlobals.Player;
inline auto& ActiveBonus = PlayerGlobals.ActiveBonus;
inline auto& BonusPanel = PlayerGlobals.BonusPanel;
inline auto& FreezeCaption = PlayerGlobals.FreezeCaption;
inline auto& EnergyCaption = PlayerGlobals.EnergyCaption;

}  // namespace fusewick
