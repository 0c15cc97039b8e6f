#include "game/Monsters.h"

#include <cmath>
#include <string>

#include "engine/ImageList.h"
#include "engine/Random.h"
#include "game/AimTable.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Scenery.h"
#include "services/FormComponents.h"
#include "services/Globals.h"
#include "services/Sound.h"

namespace fusewick {

namespace {
// Image names, made once: GameImage remembers its lookups by the name.
const std::string kMonster1Right = "Monster1Right", kMonster1Left = "Monster1Left";
const std::string kMonster2 = "Monster2";
const std::string kMonster3Right = "Monster3Right", kMonster3Left = "Monster3Left";
const std::string kMonster4Right = "Monster4Right", kMonster4Left = "Monster4Left";
const std::string kMonster5 = "Monster5", kMonster6 = "Monster6", kMonster7 = "Monster7";
const std::string kEngineFire = "EngineFire", kEngineFireLeft = "EngineFireLeft", kEngineFireRight = "EngineFireRight";
const std::string kExplosion = "MonsterExplode";
const std::string kExplosionSound = effect::MonsterExplosion;

enum class TMovement : uint8_t { Walker, Drifter, Crosser, Homing };

struct TWeapon {
  TBulletKind Bullet = TBulletKind::None;
  int32_t First = 0, Reload = 0;  // ms to the first trigger, and between triggers
};

// What a kind is made of. A field left out of a row is 0, false or none.
struct TKindTraits {
  const std::string* Right = nullptr;  // the look moving right, or the only one
  const std::string* Left = nullptr;   // the look moving left
  bool Animated = false;               // walks through its patterns, 10 frames/s
  int32_t Z = 0;
  double VelX = 0, VelY = 0;  // start velocity, px/s
  TMovement Movement = TMovement::Walker;
  int32_t DriftRoll = 0, DriftMin = 0, DriftMax = 0;  // drifters: 1 in DriftRoll, per speed
  int32_t HitPoints = 0, ScoreValue = 0, BulletDamage = 0;
  int32_t FlameCount = 0;
  bool DirectionalFlames = false;
  double FlameX[2] = {}, FlameY = 0;  // offsets from X, Y
  int32_t WeaponCount = 0;
  TWeapon Weapons[2] = {};
  bool MuzzleFromLeft = false;
  double MuzzleX = 0, MuzzleY = 0;
};

// By kind; row 0 is not a kind and stands still.
const TKindTraits kKinds[kMonsterKinds + 1] = {
    {.Right = &kMonster1Right, .Left = &kMonster1Right, .Z = kZHero, .HitPoints = 1},
    // The slime walker.
    {.Right = &kMonster1Right,
     .Left = &kMonster1Left,
     .Animated = true,
     .Z = kZHero,
     .Movement = TMovement::Walker,
     .HitPoints = 1,
     .ScoreValue = 10},
    // The drifting pod.
    {.Right = &kMonster2,
     .Left = &kMonster2,
     .Z = kZFliers,
     .VelX = 20,
     .VelY = 20,
     .Movement = TMovement::Drifter,
     .DriftRoll = 100,
     .DriftMin = 50,
     .DriftMax = 100,
     .HitPoints = 1,
     .ScoreValue = 10,
     .FlameCount = 2,
     .FlameX = {-4, 30},
     .FlameY = 42,
     .MuzzleFromLeft = true},
    // The crossing shark.
    {.Right = &kMonster3Right,
     .Left = &kMonster3Left,
     .Z = kZFliers,
     .VelX = 200,
     .Movement = TMovement::Crosser,
     .HitPoints = 2,
     .ScoreValue = 20,
     .FlameCount = 1,
     .DirectionalFlames = true,
     .FlameX = {-11, 0}},
    // The gun robot, shooting along its walk.
    {.Right = &kMonster4Right,
     .Left = &kMonster4Left,
     .Animated = true,
     .Z = kZHero,
     .Movement = TMovement::Walker,
     .HitPoints = 2,
     .ScoreValue = 20,
     .BulletDamage = 1,
     .WeaponCount = 1,
     .Weapons = {{.Bullet = TBulletKind::Shot, .First = 1000, .Reload = 1000}},
     .MuzzleX = 20,
     .MuzzleY = 8},
    // The homing drone.
    {.Right = &kMonster5,
     .Left = &kMonster5,
     .Z = kZFliers,
     .VelX = -100,
     .VelY = -100,
     .Movement = TMovement::Homing,
     .HitPoints = 1,
     .ScoreValue = 20,
     .BulletDamage = 1,
     .FlameCount = 2,
     .FlameX = {-4, 30},
     .FlameY = 44,
     .MuzzleFromLeft = true},
    // The spitting toad.
    {.Right = &kMonster6,
     .Left = &kMonster6,
     .Z = kZFliers,
     .VelX = 100,
     .VelY = 100,
     .Movement = TMovement::Drifter,
     .DriftRoll = 200,
     .DriftMin = 50,
     .DriftMax = 80,
     .HitPoints = 2,
     .ScoreValue = 30,
     .BulletDamage = 2,
     .FlameCount = 2,
     .FlameX = {-4, 30},
     .FlameY = 41,
     .WeaponCount = 2,
     .Weapons = {{.Bullet = TBulletKind::FreezingSpittle, .First = 1500, .Reload = 1500},
                 {.Bullet = TBulletKind::BurningSpittle, .First = 1000, .Reload = 1000}},
     .MuzzleFromLeft = true,
     .MuzzleX = 13,
     .MuzzleY = 7},
    // The bomber.
    {.Right = &kMonster7,
     .Left = &kMonster7,
     .Z = kZFliers,
     .VelX = -50,
     .Movement = TMovement::Crosser,
     .HitPoints = 2,
     .ScoreValue = 30,
     .BulletDamage = 5,
     .FlameCount = 1,
     .DirectionalFlames = true,
     .FlameX = {78, 0},
     .WeaponCount = 2,
     .Weapons = {{.Bullet = TBulletKind::Bomb, .First = 2000, .Reload = 2000},
                 {.Bullet = TBulletKind::IceBomb, .First = 3000, .Reload = 3000}},
     .MuzzleFromLeft = true,
     .MuzzleX = 20,
     .MuzzleY = 40},
};

const TKindTraits& KindOf(TMonsterKind kind) {
  const auto k = int32_t(kind);
  return kKinds[k >= 1 && k <= kMonsterKinds ? k : 0];
}

constexpr double kShotSpeed = 200;                      // px/s of a monster's bullets and spittle
constexpr double kWalkAnimRate = 10;                    // walkers' frames per second
constexpr double kBlastRate = 20;                       // explosion frames per second
constexpr int32_t kBlastWidth = 44, kBlastHeight = 57;  // the explosion is centred on the monster
}  // namespace

TMonster::TMonster(TMonsterKind kind, int32_t slot, double x, double y)
    : TImageSprite(MForm->MDXSpriteEngine.Engine()) {
  const TKindTraits& k = KindOf(kind);
  Slot = slot;
  Kind = kind;
  VelX = VelY = WalkSpeed = 0;
  X = x;
  Y = y;
  SetZ(k.Z);
  VelX = k.VelX;
  VelY = k.VelY;
  WeaponCount = k.WeaponCount;
  for (int32_t n = 1; n <= WeaponCount; ++n) {
    WeaponBullet[size_t(n)] = k.Weapons[n - 1].Bullet;
    WeaponTimer[size_t(n)] = k.Weapons[n - 1].First;
  }

  FlameCount = k.FlameCount;
  DirectionalFlames = k.DirectionalFlames;
  // A directional flame trails behind the direction of travel at creation
  // and keeps that look.
  const std::string& flame = !DirectionalFlames ? kEngineFire : VelX >= 0 ? kEngineFireLeft : kEngineFireRight;
  for (int32_t i = 1; i <= FlameCount; ++i)
    Flames[size_t(i)] = new TFire(GameImage(flame), int32_t(std::floor(X)), int32_t(std::floor(Y)), Z());
  PlaceFlames();

  MuzzleFromLeft = k.MuzzleFromLeft;
  BulletDamage = k.BulletDamage;
  ScoreValue = k.ScoreValue;
  HitPoints = k.HitPoints;
  DriftMax = k.DriftMax;
  DriftMin = k.DriftMin;
  PlatformIndex = {};

  right_ = GameImage(*k.Right);
  left_ = GameImage(*k.Left);
  UpdateImage();
  if (k.Animated) {
    AnimFrame = 0;
    AnimFrames = Image->PatternCount();
    AnimLoop = true;
    AnimRate = Interval() / 1000.0 * kWalkAnimRate;
  }
  HasBurst = false;
  State = Alive;
}

bool TMonster::OwnsSlot() const {
  return Slot >= 1 && Slot <= kMonsterSlots && MonsterUsed[size_t(Slot)] && Monsters[size_t(Slot)] == this;
}

void TMonster::PlaceOnPlatform(int32_t index, double offsetX, double walkSpeed) {
  PlatformIndex = PlatformRef(index);
  if (TPlatform* p = PlatformAt(PlatformIndex)) {
    X = p->X + offsetX;
    Y = p->Y - Height;
  }
  WalkSpeed = walkSpeed;
}

void TMonster::UpdateImage() {
  // Walkers face their walk, the crossing shark its flight.
  double heading = 0;
  if (Kind == TMonsterKind::Slime || Kind == TMonsterKind::GunRobot)
    heading = WalkSpeed;
  else if (Kind == TMonsterKind::Shark)
    heading = VelX;
  Image = heading >= 0 ? right_ : left_;
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
}

void TMonster::CheckEntered() {
  if (X > FieldLeft && X + Width < FieldRight && Y > FieldTop && Y + Height < FieldBottom) Entered = true;
}

void TMonster::ScanWalls() {
  bool done = false;
  for (int32_t i = 1; i <= kWallSlots; ++i) {
    TWall* w = Walls[size_t(i)];
    if (WallUsed[size_t(i)] && RectsTouch(X, Y, Width, Height, w->X, w->Y, w->Width, w->Height)) Collide(w, done);
  }
}

void TMonster::Collide(TSprite* other, bool&) {
  auto* w = dynamic_cast<TWall*>(other);
  if (!w) return;
  // The walking speed counts towards both axes' travel, as it always has.
  const TContactSide side = ContactSide(X, X + Width, Y, Y + Height, w->X, w->X + w->Width, w->Y, w->Y + w->Height,
                                        VelX + WalkSpeed, VelY + WalkSpeed);
  switch (side) {
    case LeftSide:
      WalkSpeed = -WalkSpeed;
      VelX = -VelX;
      X = w->X - Width - 1;
      break;
    case RightSide:
      WalkSpeed = -WalkSpeed;
      VelX = -VelX;
      X = w->X + w->Width + 1;
      break;
    case TopSide:
    case BottomSide: VelY = -VelY; break;
    default: break;
  }
}

void TMonster::PlaceFlames() {
  const TKindTraits& k = KindOf(Kind);
  for (int32_t i = 1; i <= FlameCount; ++i) {
    Flames[size_t(i)]->X = X + k.FlameX[i - 1];
    Flames[size_t(i)]->Y = Y + k.FlameY;
  }
}

void TMonster::Burst() {
  // A monster bursts once: the mega bomb may find one already bursting.
  if (State == Bursting) return;
  PlaySound(kExplosionSound);
  State = Bursting;
  HasBurst = true;
  // Centred on the monster by whole pixels (the halves round toward zero).
  const int32_t dx = (Width - kBlastWidth) / 2, dy = (Height - kBlastHeight) / 2;
  Explosion = new TFire(GameImage(kExplosion), int32_t(std::floor(X - dx)), int32_t(std::floor(Y - dy)), Z());
  Explosion->OneShot = true;
  Explosion->AnimRate = Interval() / 1000.0 * kBlastRate;
  for (int32_t i = 1; i <= FlameCount; ++i) Flames[size_t(i)]->Visible = false;
  Visible = false;
}

void TMonster::FireWeapon(int32_t n) {
  if (State != Alive || n < 1 || n > WeaponCount) return;
  const TKindTraits& k = KindOf(Kind);
  // A quarter turn of spread around the walking direction; fliers, which do
  // not walk, aim to the right. The sine and cosine come from a table, so
  // that every machine fires in the same direction to the last bit.
  const TAim& aim = kAimTable[WalkSpeed < 0 ? 1 : 0][size_t(Random(kAimDraws))];
  const TBulletKind bullet = WeaponBullet[size_t(n)];
  const bool dropped = bullet == TBulletKind::Bomb || bullet == TBulletKind::IceBomb;  // bombs fall from rest
  const double vx = dropped ? 0 : kShotSpeed * aim.Cos;
  const double vy = dropped ? 0 : kShotSpeed * aim.Sin;
  const double x = MuzzleFromLeft ? X + k.MuzzleX : X + Width / 2.0 + (WalkSpeed >= 0 ? 1 : -1) * k.MuzzleX;
  AddBullet({.Kind = bullet,
             .Owner = TBulletOwner::Monster,
             .Damage = BulletDamage,
             .X = x,
             .Y = Y + k.MuzzleY,
             .VelX = vx,
             .VelY = vy});
}

void TMonster::Step(int32_t moveCount) {
  // Removed earlier in this tick: it is freed at the next and acts no more.
  if (Killed()) return;
  TImageSprite::Step(moveCount);
  ScanWalls();
  UpdateImage();
  CheckEntered();
  if (State == Bursting && !Explosion->Visible) {
    if (OwnsSlot()) RemoveMonster(Slot);
    return;
  }

  const TKindTraits& k = KindOf(Kind);
  switch (k.Movement) {
    case TMovement::Walker:
      // Turns at either end of its platform and rides along with it.
      if (TPlatform* p = PlatformAt(PlatformIndex)) {
        if (X >= p->X + p->Width - Width || X <= p->X) WalkSpeed = -WalkSpeed;
        X += (p->Speed + WalkSpeed) / FrameRate;
      }
      break;
    case TMovement::Drifter:
      X += VelX / FrameRate;
      Y += VelY / FrameRate;
      // Flies in from outside freely; bounces off the edges once inside.
      if (Entered) {
        // One axis a tick: a bounce off a side skips the top and bottom test.
        if (X + Width >= FieldRight || X <= FieldLeft) {
          VelX = -VelX;
        } else if (Y + Height >= FieldBottom || Y <= FieldTop) {
          VelY = -VelY;
        } else {
          const int32_t span = DriftMax - DriftMin;
          // The leftward and upward draws give -DriftMin .. span - DriftMin - 1
          // (-50 .. -1 for the pod), not the mirror of the others: on purpose.
          switch (Random(k.DriftRoll)) {
            case 1: VelX = DriftMin + Random(span); break;
            case 2: VelX = Random(span) - DriftMin; break;
            case 3: VelY = DriftMin + Random(span); break;
            case 4: VelY = Random(span) - DriftMin; break;
            default: break;
          }
        }
      }
      break;
    case TMovement::Crosser:
      X += VelX / FrameRate;
      // Gone once it has left the screen on the side it is heading for (it
      // enters from beyond the other side); leftward it must go a further
      // width past the edge, as it always has.
      if ((VelX > 0 && X >= FieldRight + Width + 1) || (VelX < 0 && X + Width <= FieldLeft - Width - 1)) {
        if (OwnsSlot()) RemoveMonster(Slot);
        return;
      }
      break;
    case TMovement::Homing:
      // Closes a quarter of the remaining distance to the hero per second.
      X += VelX / FrameRate;
      Y += VelY / FrameRate;
      if (Player) {
        VelX = (Player->X - X) / 4;
        VelY = (Player->Y - Y) / 4;
      }
      break;
  }

  // A weapon that is due fires one time in three, then reloads.
  for (int32_t n = 1; n <= WeaponCount; ++n) {
    int32_t& timer = WeaponTimer[size_t(n)];
    if (timer > 0) {
      timer -= Interval();
    } else {
      if (Random(3) == 0) FireWeapon(n);
      timer = k.Weapons[n - 1].Reload;
    }
  }
  PlaceFlames();
}

}  // namespace fusewick
