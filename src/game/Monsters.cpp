#include "game/Monsters.h"

#include <cmath>

#include "engine/ImageList.h"
#include "game/Level.h"
#include "game/Scenery.h"
#include "shell/Captions.h"
#include "shell/MainForm.h"
#include "shell/Sound.h"

namespace fusewick {

namespace {
// Per kind: picture, Z, hit points, points for shooting it down.
struct TMonsterKind {
  const char* Image;
  int32_t Z, HitPoints, ScoreValue;
};
constexpr TMonsterKind kKinds[8] = {
    {"Monster1Right", 5, 1, 10}, {"Monster1Right", 5, 1, 10}, {"Monster2", 6, 1, 10}, {"Monster3Right", 6, 2, 20},
    {"Monster4Right", 5, 2, 20}, {"Monster5", 6, 1, 20},      {"Monster6", 6, 2, 30}, {"Monster7", 6, 2, 30},
};
const TMonsterKind& KindOf(int32_t kind) { return kKinds[kind >= 1 && kind <= 7 ? kind : 0]; }
}  // namespace

TMonster::TMonster(int32_t kind, int32_t slot, double x, double y) : TImageSprite(MForm->MDXSpriteEngine.Engine()) {
  Slot = slot;
  Kind = kind;
  X = x;
  Y = y;
  const TMonsterKind& k = KindOf(kind);
  SetZ(k.Z);
  HitPoints = k.HitPoints;
  ScoreValue = k.ScoreValue;
  Image = FindImage(k.Image);
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
  State = Alive;
}

void TMonster::PlaceOnPlatform(int32_t index, double offsetX, double walkSpeed) {
  PlatformIndex = PlatformRef(index);
  if (TPlatform* p = PlatformAt(PlatformIndex)) {
    X = p->X + offsetX;
    Y = p->Y - Height;
  }
  WalkSpeed = walkSpeed;
}

void TMonster::Burst() {
  static const std::string sound = "Monster_Explosion";
  PlaySound(sound);
  State = Bursting;
  HasBurst = true;
  Explosion = new TFire("MonsterExplode", int32_t(std::floor(X - (Width - 44) / 2)),
                        int32_t(std::floor(Y - (Height - 57) / 2)), Z());
  Explosion->OneShot = true;
  Explosion->AnimRate = MForm->MDXTimer.Interval() / 1000.0 * 20.0;
  for (int32_t i = 1; i <= FlameCount; ++i) Flames[size_t(i)]->Visible = false;
  Visible = false;
}

void TMonster::Step(int32_t moveCount) {
  TImageSprite::Step(moveCount);
  // Walking, flying and weapons come with the monsters' own behaviour.
  if (State == Bursting && !Explosion->Visible && MonsterUsed[size_t(Slot)] && Monsters[size_t(Slot)] == this)
    RemoveMonster(Slot);
}

}  // namespace fusewick
