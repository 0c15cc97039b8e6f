#include "game/Items.h"

#include <cmath>
#include <iterator>

#include "engine/ImageList.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Scenery.h"
#include "services/Captions.h"
#include "services/FormComponents.h"
#include "services/Sound.h"

namespace fusewick {

namespace {

constexpr int32_t kFuseTime = 5000;       // ms a lit bomb burns
constexpr int32_t kFuseBlinkPhase = 200;  // ms: a burning bomb blinks in phases this long, shown first
constexpr int32_t kAppearShift = 12;      // a bonus's appear animation sits this far right and down
constexpr double kBonusScale = 0.8;       // bonuses and their appear animation are drawn at 80 %

// Names too long to be kept inside a string object: made once.
const std::string kFuseFlame = "Bomb_Dynamit_Burning";
const std::string kBlast = "Bomb_Player_Explode";
}  // namespace

const char* ItemImageName(TItemKind kind) {
  static const char* const names[12] = {"",
                                        "Bomb",
                                        "Mine",
                                        "Dynamit",
                                        "LevelGun",
                                        "LevelMoney10",
                                        "LevelMoney20",
                                        "LevelMoney50",
                                        "LevelEngine",
                                        "LevelMegaBomb",
                                        "LevelEnergo",
                                        "LevelLife"};
  return size_t(kind) < std::size(names) ? names[size_t(kind)] : "";
}

int32_t ExplosionDamage(TItemKind kind) { return kind == ItemMine ? 2 : 1; }

TLevelItem::TLevelItem(TItemKind kind, double x, double y, int32_t slot)
    : TImageSprite(MForm->MDXSpriteEngine.Engine()) {
  Kind = kind;
  Slot = slot;
  if (IsBombKind(Kind)) {
    BecomeWaiting();
  } else {
    LifeLeft = BonusLifetime;
    BeginAppear();
  }
  // The place given wins over the shift of the state change above.
  X = x;
  Y = y;
  SetZ(kZPlatforms);
}

void TLevelItem::SetItemImage(const std::string& imageName) {
  Image = FindImage(imageName);
  const double scale = IsBombKind(Kind) ? 1.0 : kBonusScale;
  Width = RoundEven(Image->PatternWidth() * scale);
  Height = RoundEven(Image->PatternHeight() * scale);
}

void TLevelItem::BeginAppear() {
  ItemState = Appearing;
  SetItemImage("ItemStartAnim");
  X += kAppearShift;
  Y += kAppearShift;
  AnimFrame = 0;
  AnimFrames = Image->PatternCount();
  AnimLoop = true;
  AnimRate = Interval() / 1000.0 * 10.0;
  PrevFrame = AnimFrame - 1;
}

void TLevelItem::BecomeWaiting() {
  ItemState = Waiting;
  if (Kind == ItemBomb || Kind == ItemDynamit)
    HasFuse = true;
  else if (Kind == ItemMine)
    HasFuse = false;
  SetItemImage(ItemImageName(Kind));
  X -= kAppearShift;
  Y -= kAppearShift;
  AnimFrame = 0;
  AnimRate = 0;
}

void TLevelItem::Ignite() {
  ItemState = Burning;
  if (HasFuse) {
    const double fuseX = Kind == ItemDynamit ? X + 46 : X + 5;
    Flame = new TFire(GameImage(kFuseFlame), int32_t(std::floor(fuseX)), int32_t(std::floor(Y)), Z());
    HasFlame = true;
  } else {
    // A mine blinks its lamp instead.
    AnimRate = Interval() / 1000.0 * 2.0;
    AnimFrames = Image->PatternCount();
    AnimFrame = 0;
    AnimLoop = true;
  }
  FuseLeft = kFuseTime;
}

void TLevelItem::Explode() {
  ItemState = Exploding;
  PlaySound(effect::BombExplosion);
  if (HasFuse) {
    // The fuse flame becomes the explosion.
    Flame->SetFlameImage(GameImage(kBlast));
    if (Kind == ItemDynamit) {
      Flame->X = X - 14;
      Flame->Y = Y - 31;
    } else {
      Flame->X = X - 30;
      Flame->Y = Y - 39;
    }
    Flame->SetZ(kZHero);
  } else {
    Flame = new TFire(GameImage(kBlast), int32_t(std::floor(X - 31)), int32_t(std::floor(Y - 49)), Z());
    HasFlame = true;
  }
  Flame->OneShot = true;
  Flame->AnimFrames = Flame->Image->PatternCount();
  Flame->AnimFrame = 0;
  Flame->AnimRate = Interval() / 1000.0 * 20.0;
  Visible = false;
}

void TLevelItem::Step(int32_t moveCount) {
  PrevFrame = AnimFrame;
  TImageSprite::Step(moveCount);
  const int32_t interval = Interval();
  const bool ownsSlot = LevelItemUsed[size_t(Slot)] && LevelItems[size_t(Slot)] == this;
  if (ItemState == Appearing && PrevFrame >= AnimFrame) BecomeWaiting();
  if (ItemState == Waiting && !IsBombKind(Kind)) {
    if (LifeLeft > 0)
      LifeLeft -= interval;
    else if (ownsSlot)
      RemoveLevelItem(Slot);  // the bonus vanishes
  }
  if (ItemState == Burning) {
    Visible = (FuseLeft / kFuseBlinkPhase) % 2 != 0;
    FuseLeft -= interval;
    if (FuseLeft <= 0) Explode();
  } else if (ItemState == Exploding && !Flame->Visible && ownsSlot) {
    // The blast reaches the hero wherever the hero is.
    RemoveLevelItem(Slot);
    if (Player) Player->Hurt(ExplosionDamage(Kind));
  }
}

void TLevelItem::Render() {
  if (!Image) return;
  const TRect r{RoundEven(X), RoundEven(Y), RoundEven(X + Width), RoundEven(Y + Height)};
  Image->StretchDraw(Engine()->Surface(), r, int32_t(std::floor(AnimFrame)));
}

}  // namespace fusewick
