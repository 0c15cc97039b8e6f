#include "game/Player.h"

#include <cmath>

#include "engine/ImageList.h"
#include "game/Items.h"
#include "game/Level.h"
#include "game/Monsters.h"
#include "game/Scenery.h"
#include "services/Captions.h"
#include "services/FormComponents.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Sound.h"
#include "services/Text.h"

namespace fusewick {

TPlayerGlobals PlayerGlobals;

namespace {

constexpr double kScale = 0.8;  // the hero is drawn at 80 % of its pictures
constexpr double kStartX = 500, kStartY = 100;
constexpr int32_t kSpawnTime = 800;      // ms of blinking after a respawn
constexpr int32_t kDyingTime = 2000;     // ms before the next life
constexpr int32_t kFreezeTime = 5000;    // ms frozen by spittle
constexpr double kJumpSpeed = -380;      // jump impulse, px/s
constexpr int32_t kHighJumpDelay = 300;  // ms the jump key must be held for the high jump
constexpr double kThrust = -150;         // engine lift, px/s
constexpr double kWalkSpeed = 150;       // px/s
constexpr double kGravity = 400;         // px/s²
constexpr double kBulletSpeed = 500;     // px/s
constexpr int32_t kWaterInset = 17;      // the body must be this far inside a water tile to sink
constexpr double kWalkAnimRate = 15;     // walk cycle, frames per second
constexpr int32_t kBlinkPhase = 100;     // ms: spawning and dying heroes blink in phases this long
constexpr int32_t kGunTime = 20000;      // ms the gun bonus lasts
constexpr int32_t kEngineTime = 10000;   // ms the engine bonus lasts
constexpr int32_t kEnergyTime = 10000;   // ms the energy shield lasts
constexpr int32_t kJumpPuffTime = 100;   // ms the puff under a jump shows
constexpr int32_t kHighJumpPuffTime = 200;
constexpr int32_t kSlowFallPuffTime = 70;
// ms: a held first jump that has not become a high jump starts this count
// again once it runs out.
constexpr int32_t kHighJumpRearm = 500;

// The six looks of the hero: facing left or right, without a bonus, with
// the gun, with the engine.
// Image names, made once (some are too long to be kept inside a string).
const std::string kFlashRight = "ShootFireRight";
const std::string kFlashLeft = "ShootFireLeft";
const std::string kLooks[2][3] = {{"PlayerLeft", "PlayerLeftGun", "PlayerLeftEngine"},
                                  {"PlayerRight", "PlayerRightGun", "PlayerRightEngine"}};
const std::string kPanelNone = "None", kPanelGun = "PanelGunBonus", kPanelEngine = "PanelEngineBonus",
                  kPanelEnergy = "PanelEnergoBonus";
const std::string kFreezeRight = "PlayerFreezeRight", kFreezeLeft = "PlayerFreezeLeft";
const std::string kEnergyLook = "PlayerEnergo";

// The bonus slot shows a panel picture at its pattern size.
void ShowBonusPanel(const std::string& panel) {
  if (!BonusPanel) return;
  BonusPanel->Image = GameImage(panel);
  BonusPanel->Width = RoundEven(BonusPanel->Image->PatternWidth() * BonusPanel->Scale);
  BonusPanel->Height = RoundEven(BonusPanel->Image->PatternHeight() * BonusPanel->Scale);
}

// The captions over the hero (energy shield, ice block).
class THeroCaption : public TCaption, public TRecycled<THeroCaption> {
 public:
  using TCaption::TCaption;
};
}  // namespace

TContactSide ContactSide(double selfLeft, double selfRight, double selfTop, double selfBottom, double otherLeft,
                         double otherRight, double otherTop, double otherBottom, double velX, double velY) {
  // The distance moved in one tick.
  const double dx = std::fabs(velX) / FrameRate, dy = std::fabs(velY) / FrameRate;
  TContactSide side = NoSide;
  if (otherBottom - dy <= selfTop && selfTop <= otherBottom) side = BottomSide;
  if (otherTop <= selfBottom && selfBottom <= otherTop + dy) side = TopSide;
  if (otherLeft <= selfRight && selfRight <= otherLeft + dx) side = LeftSide;
  if (otherRight - dx <= selfLeft && selfLeft <= otherRight) side = RightSide;
  return side;
}

TPlayer::TPlayer(const std::string&) : TImageSprite(MForm->MDXSpriteEngine.Engine()) {
  // Memory for the shield and the ice block (both may show at once) before
  // play needs it.
  TRecycled<THeroCaption>::Reserve(2);
  X = kStartX;
  Y = kStartY;
  SetZ(kZHero);
  JumpFlame = new TFire("PlayerJump", int32_t(std::floor(X + 12)), int32_t(std::floor(Y + 68)), kZHero);
  JumpFlame->Visible = false;
  UpdateLook();
  SetBoxes();
  EngineOn = false;
  Airborne = false;
  PlatformIndex = {};
  WallIndex = {};
  VelX = VelY = WalkSpeed = 0;
  GameOver = false;
  State = Created;
  Respawn();
}

void TPlayer::SetBoxes() {
  ItemBoxLeft = 14;
  ItemBoxRight = 49;
  ItemBoxWidth = ItemBoxRight - ItemBoxLeft;
  BodyLeft = 25;
  BodyRight = 47;
  BodyWidth = BodyRight - BodyLeft;
}

void TPlayer::SetImage(const std::string& name) {
  Image = FindImage(name);
  Width = RoundEven(Image->PatternWidth() * kScale);
  Height = RoundEven(Image->PatternHeight() * kScale);
}

void TPlayer::Respawn() {
  X = kStartX;
  Y = kStartY;
  VelY = 0;
  PlatformIndex = {};
  WallIndex = {};
  RemoveFlyingMonsters();
  State = Spawning;
  StateTimer = kSpawnTime;
  Energy = 5;
}

// ---- controls

void TPlayer::ControlStep(bool ctrlPressed) {
  if (ActiveBonus != NoBonus) {
    BonusTimeLeft -= Interval();
    if (BonusTimeLeft <= 0) {
      PlaySound(effect::BonusLost);
      DropBonus();
    }
  }

  if ((FirePressed || ctrlPressed) && ActiveBonus == GunBonus && State == Playing) Shoot();

  if (!EngineOn) {
    const bool gesture = UpGesture == 1 || UpGesture == 2;
    if (JumpStage == TJumpStage::KeyHeld) {
      if (HighJumpTimer > 0)
        HighJumpTimer -= Interval();
      else
        HighJumpTimer = kHighJumpRearm;
    }
    if (gesture && JumpReleased && JumpStage == TJumpStage::Done && VelY < 0) CheckJumpKey();
    if (!UpHeld && JumpStage == TJumpStage::KeyHeld) JumpStage = TJumpStage::Done;
    if (!Airborne) {
      JumpStage = TJumpStage::NotJumping;
      JumpReleased = false;
    }
    if (UpHeld && JumpStage == TJumpStage::NotJumping && !Airborne) {
      Jump();
      JumpStage = TJumpStage::KeyHeld;
      HighJumpTimer = kHighJumpDelay;
    }
    if (UpHeld && JumpStage == TJumpStage::KeyHeld && HighJumpTimer <= 0) {
      HighJump();
      JumpStage = TJumpStage::Done;
    }
    if (gesture && Airborne && VelY > 0) CheckJumpKey();
    if (!UpHeld && JumpStage != TJumpStage::NotJumping) JumpReleased = true;
  } else if (UpHeld) {
    Thrust();
  }

  // With both held, right wins.
  if (LeftHeld) WalkLeft();
  if (RightHeld) WalkRight();
  if (!LeftHeld && !RightHeld) StopWalking();
}

void TPlayer::Jump() {
  VelY = kJumpSpeed;
  Airborne = true;
  JumpFlame->SetFlameImage("PlayerJump");
  JumpFlame->Visible = true;
  JumpFlameTimer = kJumpPuffTime;
}

void TPlayer::HighJump() {
  VelY = kJumpSpeed;
  Airborne = true;
  JumpFlame->SetFlameImage("PlayerHighJump");
  JumpFlame->Visible = true;
  JumpFlameTimer = kHighJumpPuffTime;
}

void TPlayer::CheckJumpKey() {
  if (VelY > 0) {
    // A second press while falling slows the fall.
    VelY = VelY / 4;
    JumpFlame->SetFlameImage("PlayerHighJump");
    JumpFlame->Visible = true;
    JumpFlameTimer = kSlowFallPuffTime;
  }
  if (VelY < 0) VelY = 0;  // ... and while rising ends the rise
}

void TPlayer::Thrust() {
  VelY = kThrust;
  PlatformIndex = {};
  WallIndex = {};
}

void TPlayer::WalkLeft() {
  WalkSpeed = -kWalkSpeed;
  Facing = -1;
}

void TPlayer::WalkRight() {
  WalkSpeed = kWalkSpeed;
  Facing = 1;
}

void TPlayer::StopWalking() { WalkSpeed = 0; }

void TPlayer::Shoot() {
  PlaySound(effect::Shot);
  if (GunFlash) {
    GunFlash->Visible = true;
    GunFlash->AnimFrame = 0;
  }
  // Facing 0 fires a bullet that does not move sideways.
  AddBullet({.Kind = TBulletKind::Shot,
             .Owner = TBulletOwner::Player,
             .Damage = 0,
             .X = Facing == 1 ? X + 42 : X + 8,
             .Y = Y + 25.6,
             .VelX = Facing * kBulletSpeed,
             .VelY = 0});
}

// ---- bonuses

void TPlayer::TakeBonus(TBonus kind) {
  DropBonus();
  const std::string* panel = &kPanelNone;
  switch (kind) {
    case GunBonus:
      BonusTimeLeft = kGunTime;
      panel = &kPanelGun;
      flash_ = Facing == 1 ? &kFlashRight : &kFlashLeft;
      GunFlash = new TFire(*flash_, int32_t(std::floor(X)), int32_t(std::floor(Y)), Z());
      GunFlash->OneShot = true;
      GunFlash->Visible = false;
      break;
    case EngineBonus:
      BonusTimeLeft = kEngineTime;
      panel = &kPanelEngine;
      EngineOn = true;
      EngineFlame = new TFire("EngineFire", int32_t(std::floor(X)), int32_t(std::floor(Y)), Z());
      break;
    case EnergyBonus:
      BonusTimeLeft = kEnergyTime;
      panel = &kPanelEnergy;
      EnergyCaption = new THeroCaption(kEnergyLook, X, Y);
      EnergyCaption->SetZ(Z());
      EnergyCaption->Scale = kScale;
      EnergyCaption->SetImage(kEnergyLook);
      break;
    default: return;
  }
  ShowBonusPanel(*panel);
  ActiveBonus = kind;
}

void TPlayer::DropBonus() {
  switch (ActiveBonus) {
    case GunBonus:
      if (GunFlash) GunFlash->Kill();
      GunFlash = nullptr;
      break;
    case EngineBonus:
      if (EngineFlame) EngineFlame->Kill();
      EngineFlame = nullptr;
      break;
    case EnergyBonus:
      if (EnergyCaption) EnergyCaption->Kill();
      EnergyCaption = nullptr;
      break;
    default: break;
  }
  ShowBonusPanel(kPanelNone);
  ActiveBonus = NoBonus;
  BonusTimeLeft = 0;
  EngineOn = false;
}

// ---- harm

void TPlayer::Hurt(int32_t damage) {
  if (State != Playing && State != Frozen) return;
  if (damage < Energy) {
    Energy -= damage;
    PlaySound(effect::Die3);
  } else {
    Energy = 0;
    Die();
  }
}

void TPlayer::Freeze() {
  if (State != Frozen) {
    const std::string& look = Facing == 1 ? kFreezeRight : kFreezeLeft;
    FreezeCaption = new THeroCaption(look, X, Y);
    FreezeCaption->SetZ(Z());
    FreezeCaption->Scale = kScale;
    FreezeCaption->SetImage(look);
  }
  State = Frozen;
  StateTimer = kFreezeTime;  // a second freeze starts the time again
}

void TPlayer::Die() {
  if (GameOver) return;
  PlaySound(effect::Die2);
  if (Lives > 1) {
    --Lives;
  } else {
    Lives = 0;
    GameOver = true;
    OpenMessageWindow(GameLost);
  }
  if (State == Frozen && FreezeCaption) {
    FreezeCaption->Kill();
    FreezeCaption = nullptr;
  }
  DropBonus();
  StopWalking();
  State = Dying;
  StateTimer = kDyingTime;
}

// ---- the tick

void TPlayer::UpdateLook() {
  if (JumpFlame->Visible) {
    if (JumpFlameTimer > 0) JumpFlameTimer -= Interval();
    if (JumpFlameTimer <= 0) JumpFlame->Visible = false;
  }
  const int32_t bonus = ActiveBonus == GunBonus ? 1 : ActiveBonus == EngineBonus ? 2 : 0;
  const std::string* look = &kLooks[Facing == 1 ? 1 : 0][bonus];
  if (look != look_) {
    look_ = look;
    // The six looks are looked up once per game.
    Image = GameImage(*look);
    Width = RoundEven(Image->PatternWidth() * kScale);
    Height = RoundEven(Image->PatternHeight() * kScale);
  }
  AnimFrames = Image->PatternCount();
  AnimLoop = true;
  AnimRate = WalkSpeed != 0 && !Airborne ? Interval() / 1000.0 * kWalkAnimRate : 0;
  if (ActiveBonus == EngineBonus && EngineFlame) EngineFlame->Visible = VelY < 0;
  if (ActiveBonus == GunBonus && GunFlash) {
    const std::string* flash = Facing == 1 ? &kFlashRight : &kFlashLeft;
    if (flash != flash_) {
      flash_ = flash;
      GunFlash->SetFlameImage(*flash);
    }
  }
}

void TPlayer::Step(int32_t moveCount) {
  TImageSprite::Step(moveCount);
  SetBoxes();
  UpdateLook();

  switch (State) {
    case Spawning:
      StateTimer -= Interval();
      Visible = (StateTimer / kBlinkPhase) % 2 != 0;
      if (StateTimer <= 0) {
        Visible = true;
        State = Playing;
      }
      break;
    case Dying:
      StateTimer -= Interval();
      Visible = (StateTimer / kBlinkPhase) % 2 != 0;
      if (StateTimer <= 0) {
        if (!GameOver) {
          Visible = true;
          Respawn();
        } else {
          VelY = 0;  // the last life: stays where it is
        }
      }
      break;
    case Frozen:
      StateTimer -= Interval();
      if (StateTimer <= 0) {
        if (FreezeCaption) FreezeCaption->Kill();
        FreezeCaption = nullptr;
        State = Playing;
      }
      StopWalking();
      break;
    default: break;
  }

  // A platform carries the hero who stands on it.
  VelX = WalkSpeed;
  if (TPlatform* p = PlatformAt(PlatformIndex)) VelX += p->Speed;

  X += VelX / FrameRate;
  if (X + BodyRight >= FieldRight) X = FieldRight - BodyRight;
  if (X + BodyLeft <= FieldLeft) X = FieldLeft - BodyLeft;
  Y += VelY / FrameRate;

  // The floor line holds, except over water (and never while dying).
  if (Y + Height >= FieldBottom && State != Dying && (State == Spawning || !InWater)) {
    Y = FieldBottom - Height;
    VelY = 0;
    Airborne = false;
  }
  if (InWater && (State == Playing || State == Frozen)) {
    PlaySound(effect::Water);
    Y = kScreenHeight;  // sinks out of sight
    Die();
  }
  if (Y <= FieldTop) {
    Y = FieldTop;
    VelY = 0;
  }

  ScanContacts();
  if (IsUnsupported()) {
    Airborne = true;
    PlatformIndex = {};
    WallIndex = {};
  }
  if (Airborne)
    VelY += kGravity / FrameRate;
  else
    VelY = 0;
  PlaceAttachments();
}

void TPlayer::ScanContacts() {
  // The boxes are taken where the hero stands at each test: a wall may have
  // pushed it back since the last one. Platforms, walls, items, monsters, each
  // in slot order: the order decides where the hero ends up.
  auto bodyTouches = [this](const TSprite* s) {
    return RectsTouch(X + BodyLeft, Y, BodyWidth, Height, s->X, s->Y, s->Width, s->Height);
  };
  auto itemBoxTouches = [this](const TSprite* s) {
    return RectsTouch(X + ItemBoxLeft, Y, ItemBoxWidth, Height, s->X, s->Y, s->Width, s->Height);
  };
  for (int32_t i = 1; i <= kPlatformSlots; ++i)
    if (PlatformUsed[size_t(i)] && bodyTouches(Platforms[size_t(i)])) TouchPlatform(*Platforms[size_t(i)]);
  for (int32_t i = 1; i <= kWallSlots; ++i)
    if (WallUsed[size_t(i)] && bodyTouches(Walls[size_t(i)])) TouchWall(*Walls[size_t(i)]);
  for (int32_t i = 1; i <= kLevelItemSlots; ++i)
    if (LevelItemUsed[size_t(i)] && itemBoxTouches(LevelItems[size_t(i)])) TouchItem(*LevelItems[size_t(i)]);
  for (int32_t i = 1; i <= kMonsterSlots; ++i)
    if (MonsterUsed[size_t(i)] && itemBoxTouches(Monsters[size_t(i)])) TouchMonster(*Monsters[size_t(i)]);
}

namespace {
// Points and sound of a collected item; bonuses start or act.
void Collect(TPlayer& player, TItemKind kind) {
  switch (kind) {
    case ItemBomb: Score += 2; break;
    case ItemMine: Score += 5; break;
    case ItemDynamit: Score += 10; break;
    case ItemGun: player.TakeBonus(GunBonus); break;
    case ItemMoney10: Score += 10; break;
    case ItemMoney20: Score += 20; break;
    case ItemMoney50: Score += 50; break;
    case ItemEngine: player.TakeBonus(EngineBonus); break;
    case ItemMegaBomb: BlowUpFlyingMonsters(); break;
    case ItemEnergo: player.TakeBonus(EnergyBonus); break;
    case ItemLife: ++Lives; break;
    default: break;
  }
  PlaySound(kind <= ItemDynamit ? effect::BombGet : effect::BonusGet);
}
}  // namespace

void TPlayer::TouchPlatform(const TPlatform& p) {
  // Platforms hold only from above, while falling.
  const TContactSide side =
      ContactSide(X + BodyLeft, X + BodyRight, Y, Y + Height, p.X, p.X + p.Width, p.Y, p.Y + p.Height, VelX, VelY);
  if (side == TopSide && VelY > 0) {
    Airborne = false;
    PlatformIndex = PlatformRef(p.Slot);
    Y = p.Y - Height;
    VelY = 0;
    VelX += p.Speed;
  }
}

void TPlayer::TouchWall(const TWall& w) {
  switch (
      ContactSide(X + BodyLeft, X + BodyRight, Y, Y + Height, w.X, w.X + w.Width, w.Y, w.Y + w.Height, VelX, VelY)) {
    case LeftSide: X = w.X - BodyRight - 1; break;
    case RightSide: X = w.X + w.Width - BodyLeft + 1; break;
    case TopSide:
      Airborne = false;
      WallIndex = WallRef(w.Slot);
      Y = w.Y - Height;
      VelY = 0;
      break;
    case BottomSide:
      // The bump ends the rise; the hero then falls.
      Airborne = false;
      Y = w.Y + w.Height + 1;
      VelY = 0;
      break;
    default: break;
  }
}

void TPlayer::TouchItem(const TLevelItem& item) {
  if (State == Playing && item.ItemState != Exploding) {
    const TItemKind kind = item.Kind;
    RemoveLevelItem(item.Slot);  // kills the item: its kind is taken first
    Collect(*this, kind);
  }
}

void TPlayer::TouchMonster(const TMonster& m) {
  if (m.State == Alive && (State == Playing || State == Frozen) && ActiveBonus != EnergyBonus) Die();
}

bool TPlayer::IsUnsupported() {
  if (State == Dying) return true;  // falls through everything
  for (int32_t i = 1; i <= 8; ++i) {
    if (GroundKinds[size_t(i)] != 0) continue;
    const double tileX = (i - 1) * 100.0;
    const double tileW = GroundTiles[size_t(i)] ? GroundTiles[size_t(i)]->Width : 100;
    if (Y + Height >= kGroundTop && (State == Playing || State == Frozen) && X + BodyLeft > tileX + kWaterInset &&
        X + BodyRight < tileX + tileW - kWaterInset) {
      InWater = true;
      return true;
    }
  }
  InWater = false;
  TPlatform* p = PlatformAt(PlatformIndex);
  TWall* w = WallAt(WallIndex);
  if (!p && !w) return Y != FieldBottom - Height;  // only the floor line itself holds
  auto within = [](double v, double lo, double hi) { return lo <= v && v <= hi; };
  const double bodyL = X + BodyLeft, bodyR = X + BodyRight;
  bool supported = false;
  if (p) supported = within(bodyL, p->X, p->X + p->Width) || within(bodyR, p->X, p->X + p->Width);
  if (w)
    supported = supported || within(bodyL, w->X, w->X + w->Width) || within(bodyR, w->X, w->X + w->Width) ||
                (bodyL <= w->X && bodyR >= w->X + w->Width);
  if (Airborne) return true;
  return !supported;
}

void TPlayer::PlaceAttachments() {
  if (ActiveBonus == EngineBonus && EngineFlame) {
    EngineFlame->X = Facing == 1 ? X + 8 : X + 47.2;
    EngineFlame->Y = Y + 42.4;
  }
  if (ActiveBonus == EnergyBonus && EnergyCaption) {
    EnergyCaption->X = X;
    EnergyCaption->Y = Y;
  }
  if (ActiveBonus == GunBonus && GunFlash) {
    GunFlash->X = Facing == 1 ? X + Width : X - GunFlash->Width;
    GunFlash->Y = Y + 25.6 - 3;
  }
  if (State == Frozen && FreezeCaption) {
    FreezeCaption->X = X;
    FreezeCaption->Y = Y;
  }
  JumpFlame->X = Facing == 1 ? X + 5.6 : X + 12;
  JumpFlame->Y = Y + 68;
}

void TPlayer::Render() {
  if (!Image) return;
  const TRect r{RoundEven(X), RoundEven(Y), RoundEven(X + Width), RoundEven(Y + Height)};
  Image->StretchDraw(Engine()->Surface(), r, int32_t(std::floor(AnimFrame)));
}

}  // namespace fusewick
