#include "game/Bullets.h"

#include <cmath>
#include <string>

#include "engine/ImageList.h"
#include "game/Level.h"
#include "game/Monsters.h"
#include "game/Player.h"
#include "game/Scenery.h"
#include "services/FormComponents.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Sound.h"

namespace fusewick {

namespace {
// Image names, made once: GameImage remembers its lookups by the name.
const std::string kBulletPlayer = "BulletPlayer", kBulletEnemy = "BulletEnemy";
const std::string kSpittle1 = "Spittle1", kSpittle2 = "Spittle2";
const std::string kBomb1 = "Monster7_Bomb1", kBomb2 = "Monster7_Bomb2";
const std::string kBlast = "Bomb_Player_Explode";
const std::string kBlastSound = effect::BombExplosion;

constexpr double kGravity = 400;   // px/s², as for the hero
constexpr double kBlastRate = 20;  // blast frames per second

const std::string& BulletImage(TBulletKind kind, TBulletOwner owner) {
  switch (kind) {
    case TBulletKind::FreezingSpittle: return kSpittle1;
    case TBulletKind::BurningSpittle: return kSpittle2;
    case TBulletKind::Bomb: return kBomb1;
    case TBulletKind::IceBomb: return kBomb2;
    default: return owner == TBulletOwner::Player ? kBulletPlayer : kBulletEnemy;
  }
}

// The freezing spittle and the ice bomb freeze the hero; the others hurt.
bool Freezes(TBulletKind kind) { return kind == TBulletKind::FreezingSpittle || kind == TBulletKind::IceBomb; }
}  // namespace

TBullet::TBullet(const TBulletShot& shot, int32_t slot) : TImageSprite(MForm->MDXSpriteEngine.Engine()) {
  Slot = slot;
  Kind = shot.Kind;
  Falls = IsBomb = Exploded = false;
  if (Kind == TBulletKind::Bomb || Kind == TBulletKind::IceBomb) Falls = IsBomb = true;
  Image = GameImage(BulletImage(Kind, shot.Owner));
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
  X = shot.X;
  Y = shot.Y;
  SetZ(kZFliers);
  VelX = shot.VelX;
  VelY = shot.VelY;
  Owner = shot.Owner;
  Damage = shot.Damage;
}

bool TBullet::OwnsSlot() const {
  return Slot >= 1 && Slot <= kBulletSlots && BulletUsed[size_t(Slot)] && Bullets[size_t(Slot)] == this;
}

void TBullet::Step(int32_t moveCount) {
  // Removed earlier in this tick: it is freed at the next and acts no more.
  if (Killed()) return;
  TImageSprite::Step(moveCount);
  if (Exploded && (!Blast || !Blast->Visible)) {
    if (OwnsSlot()) RemoveBullet(Slot);
    return;
  }
  X += VelX / FrameRate;
  Y += VelY / FrameRate;
  if (Falls) VelY += kGravity / FrameRate;
  if (X > FieldRight || X < FieldLeft - Width || Y + Height > FieldBottom || Y < FieldTop - Height) {
    if (Falls) {
      // Bombs never vanish silently: they explode on the floor line.
      Y = FieldBottom - Height;
      Explode();
    } else if (OwnsSlot()) {
      RemoveBullet(Slot);
    }
  }
  // A bullet that has just left still hits what it touches this tick.
  ScanTargets();
}

void TBullet::ScanTargets() {
  bool done = false;
  // Every target is tested, even after the bullet was removed by an
  // earlier one: a shot through two monsters wounds both.
  for (int32_t i = 1; i <= kMonsterSlots; ++i) {
    TMonster* m = Monsters[size_t(i)];
    if (MonsterUsed[size_t(i)] && RectsTouch(X, Y, Width, Height, m->X, m->Y, m->Width, m->Height)) Collide(m, done);
  }
  for (int32_t i = 1; i <= kWallSlots; ++i) {
    TWall* w = Walls[size_t(i)];
    if (WallUsed[size_t(i)] && RectsTouch(X, Y, Width, Height, w->X, w->Y, w->Width, w->Height)) Collide(w, done);
  }
  if (Player &&
      RectsTouch(X, Y, Width, Height, Player->X + Player->ItemBoxLeft, Player->Y, Player->ItemBoxWidth, Player->Height))
    Collide(Player, done);
}

void TBullet::Finish() {
  if (IsBomb)
    Explode();
  else if (OwnsSlot())
    RemoveBullet(Slot);
}

void TBullet::Collide(TSprite* other, bool&) {
  if (Exploded) return;
  if (auto* m = dynamic_cast<TMonster*>(other); m && Owner == TBulletOwner::Player) {
    Finish();
    if (m->HitPoints > 1) {
      --m->HitPoints;
    } else if (m->State == Alive) {
      // Only the shot that brings it down scores; a bursting one gives nothing.
      Score += m->ScoreValue;
      m->Burst();
    }
  }
  if (auto* p = dynamic_cast<TPlayer*>(other); p && Owner == TBulletOwner::Monster) {
    Finish();
    // Frozen, spawning or dying heroes, and the energy shield, are untouched.
    if (p->State == Playing && ActiveBonus != EnergyBonus) {
      Exploded = true;
      if (Freezes(Kind))
        p->Freeze();
      else
        p->Hurt(Damage);
    }
  }
  if (dynamic_cast<TWall*>(other)) {
    Visible = false;
    Finish();
  }
}

void TBullet::Explode() {
  if (Exploded) return;
  PlaySound(kBlastSound);
  Visible = false;
  // Drifts on sideways, unseen, until the blast has played.
  VelY = 0;
  Falls = false;
  Blast = new TFire(GameImage(kBlast), int32_t(std::floor(X - 20)), int32_t(std::floor(Y - 50)), Z());
  Blast->OneShot = true;
  Blast->AnimRate = Interval() / 1000.0 * kBlastRate;
  Exploded = true;
}

}  // namespace fusewick
