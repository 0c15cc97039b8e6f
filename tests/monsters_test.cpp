// Monsters and bullets on a headless game on the built game data: an empty
// grass level with nothing spawning, and the monsters and shots each test
// puts there itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "GameHarness.h"
#include "game/AimTable.h"
#include "game/Bullets.h"
#include "game/Items.h"
#include "game/Level.h"
#include "game/Monsters.h"
#include "game/Player.h"
#include "game/Scenery.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Sound.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

constexpr double kFloorY = 585 - 68;

class MonstersTest : public GameHarness {
 protected:
  void TearDown() override {
    PlaySoundObserver = nullptr;
    GameHarness::TearDown();
  }
  // An empty level; the hero stands on the floor at x, playing.
  void OpenField(double heroX = 700) {
    EmptyLevel(5);
    Player->X = heroX;
    Player->Y = kFloorY;
    Player->VelY = 0;
    Player->Airborne = false;
    Player->State = Playing;
    Player->Visible = true;
  }
  TMonster* Monster(int kind, double x, double y) {
    const int slot = AddMonster(TMonsterKind(kind), x, y);
    return slot ? Monsters[size_t(slot)] : nullptr;
  }
  TBullet* Shot(int kind, TBulletOwner owner, int damage, double x, double y, double vx = 0, double vy = 0) {
    const int slot = AddBullet(
        {.Kind = TBulletKind(kind), .Owner = owner, .Damage = damage, .X = x, .Y = y, .VelX = vx, .VelY = vy});
    return slot ? Bullets[size_t(slot)] : nullptr;
  }
};

TEST_F(MonstersTest, EveryKindStartsWithItsTableValues) {
  struct Weapon {
    uint8_t bullet;
    int32_t first, reload;  // ms
  };
  struct Case {
    int kind;
    const char* image;
    int z;
    double velX, velY;
    int32_t hitPoints, score, damage;
    int32_t driftMin, driftMax;
    bool muzzleFromLeft;
    std::vector<std::pair<double, double>> flames;  // offsets from X, Y
    std::vector<Weapon> weapons;
  };
  const Case cases[] = {
      {1, "Monster1Right", 5, 0, 0, 1, 10, 0, 0, 0, false, {}, {}},
      {2, "Monster2", 6, 20, 20, 1, 10, 0, 50, 100, true, {{-4, 42}, {30, 42}}, {}},
      {3, "Monster3Right", 6, 200, 0, 2, 20, 0, 0, 0, false, {{-11, 0}}, {}},
      {4, "Monster4Right", 5, 0, 0, 2, 20, 1, 0, 0, false, {}, {{1, 1000, 1000}}},
      {5, "Monster5", 6, -100, -100, 1, 20, 1, 0, 0, true, {{-4, 44}, {30, 44}}, {}},
      {6, "Monster6", 6, 100, 100, 2, 30, 2, 50, 80, true, {{-4, 41}, {30, 41}}, {{2, 1500, 1500}, {3, 1000, 1000}}},
      {7, "Monster7", 6, -50, 0, 2, 30, 5, 0, 0, true, {{78, 0}}, {{4, 2000, 2000}, {5, 3000, 3000}}},
  };
  OpenField();
  for (const Case& c : cases) {
    TMonster* m = Monster(c.kind, 300, 200);
    ASSERT_NE(m, nullptr) << c.kind;
    EXPECT_EQ(m->Image->Name(), c.image) << c.kind;
    EXPECT_EQ(m->Z(), c.z) << c.kind;
    EXPECT_EQ(m->VelX, c.velX) << c.kind;
    EXPECT_EQ(m->VelY, c.velY) << c.kind;
    EXPECT_EQ(m->HitPoints, c.hitPoints) << c.kind;
    EXPECT_EQ(m->ScoreValue, c.score) << c.kind;
    EXPECT_EQ(m->BulletDamage, c.damage) << c.kind;
    EXPECT_EQ(m->DriftMin, c.driftMin) << c.kind;
    EXPECT_EQ(m->DriftMax, c.driftMax) << c.kind;
    EXPECT_EQ(m->MuzzleFromLeft, c.muzzleFromLeft) << c.kind;
    EXPECT_EQ(m->DirectionalFlames, c.kind == 3 || c.kind == 7) << c.kind;
    ASSERT_EQ(m->FlameCount, int32_t(c.flames.size())) << c.kind;
    for (size_t i = 0; i < c.flames.size(); ++i) {
      EXPECT_EQ(m->Flames[i + 1]->X - m->X, c.flames[i].first) << c.kind << " flame " << i + 1;
      EXPECT_EQ(m->Flames[i + 1]->Y - m->Y, c.flames[i].second) << c.kind << " flame " << i + 1;
    }
    ASSERT_EQ(m->WeaponCount, int32_t(c.weapons.size())) << c.kind;
    for (size_t n = 1; n <= c.weapons.size(); ++n) {
      EXPECT_EQ(int(m->WeaponBullet[n]), c.weapons[n - 1].bullet) << c.kind << " weapon " << n;
      EXPECT_EQ(m->WeaponTimer[n], c.weapons[n - 1].first) << c.kind << " weapon " << n;
      m->WeaponTimer[n] = 0;  // due: it triggers on the next tick and reloads
    }
    Tick();
    for (size_t n = 1; n <= c.weapons.size(); ++n)
      EXPECT_EQ(m->WeaponTimer[n], c.weapons[n - 1].reload) << c.kind << " weapon " << n;
    RemoveMonster(m->Slot);
    for (int i = 1; i <= kBulletSlots; ++i)
      if (BulletUsed[size_t(i)]) RemoveBullet(i);
    Tick();
  }
}

TEST_F(MonstersTest, PlayerBulletThroughTwoMonstersWoundsBoth) {
  OpenField();
  // Two slime walkers (1 hit point, 10 points each), off any platform so
  // they stand still, one over the other; a shot at rest where they overlap.
  TMonster* a = Monster(1, 300, 300);
  TMonster* b = Monster(1, 320, 310);
  const int32_t score = Score;
  Shot(1, TBulletOwner::Player, 0, 330, 320);
  Tick();
  EXPECT_EQ(a->State, Bursting);
  EXPECT_EQ(b->State, Bursting);
  EXPECT_EQ(Score, score + 20);
  EXPECT_EQ(CountBullets(), 0);
}

TEST_F(MonstersTest, TwoHitPointsNeedTwoShotsAndOnlyTheSecondScores) {
  OpenField();
  TMonster* robot = Monster(4, 300, 300);  // 2 hit points, 20 points
  robot->WeaponCount = 0;                  // holds its fire
  const int32_t score = Score;
  struct Step {
    int32_t hitPoints;
    TMonsterState state;
    int32_t points;
  } steps[] = {
      {1, Alive, 0},      // wounded
      {1, Bursting, 20},  // brought down
      {1, Bursting, 20},  // a shot into the explosion is stopped, unpaid
  };
  for (const Step& s : steps) {
    Shot(1, TBulletOwner::Player, 0, 310, 310);
    Tick();
    EXPECT_EQ(robot->HitPoints, s.hitPoints);
    EXPECT_EQ(robot->State, s.state);
    EXPECT_EQ(Score - score, s.points);
    EXPECT_EQ(CountBullets(), 0);
  }
}

TEST_F(MonstersTest, DrifterBouncesOnlyOnceItHasBeenWhollyInside) {
  struct Case {
    double x;
    bool bounces;
  } cases[] = {
      {-45, false},  // still entering from beyond the left edge
      {2, true},     // inside, reaching the left edge
  };
  OpenField();
  for (const Case& c : cases) {
    TMonster* toad = Monster(6, c.x, 300);
    toad->WeaponCount = 0;
    toad->VelX = -100;
    toad->VelY = 0;
    Tick();
    EXPECT_EQ(toad->VelX, c.bounces ? 100 : -100) << c.x;
    EXPECT_EQ(toad->Entered, c.bounces) << c.x;
    RemoveMonster(toad->Slot);
  }
}

TEST_F(MonstersTest, HomingMonsterClosesAQuarterOfTheDistancePerSecond) {
  OpenField(600);
  TMonster* drone = Monster(5, 100, 100);
  Tick();
  for (int i = 0; i < 30; ++i) {
    const double x = drone->X, y = drone->Y;
    const double dx = Player->X - x, dy = Player->Y - y;
    EXPECT_DOUBLE_EQ(drone->VelX, dx / 4);
    EXPECT_DOUBLE_EQ(drone->VelY, dy / 4);
    Tick();
    EXPECT_NEAR(drone->X - x, dx / 4 / FrameRate, 1e-9);
    EXPECT_NEAR(drone->Y - y, dy / 4 / FrameRate, 1e-9);
  }
  EXPECT_EQ(Player->State, Playing);  // still far off
}

TEST_F(MonstersTest, BombsExplodeOnTheFloorLine) {
  // The hero stands inside the blast's picture (84 x 84 from 20 left and
  // 50 above the bomb) but clear of the bomb itself.
  struct Case {
    const char* name;
    double x, y;
    double heroX;
  } cases[] = {
      {"falling onto the floor", 300, 450, 330},
      {"dropped beyond the right edge", 820, 150, 753},  // as far right as the hero goes
  };
  OpenField();
  for (const Case& c : cases) {
    Player->X = c.heroX;
    std::vector<std::string> sounds;
    PlaySoundObserver = [&](const std::string& s) { sounds.push_back(s); };
    TBullet* bomb = Shot(4, TBulletOwner::Monster, 5, c.x, c.y);
    const int slot = bomb->Slot;
    for (int i = 0; i < 100 && !bomb->Exploded; ++i) Tick();
    ASSERT_TRUE(bomb->Exploded) << c.name;
    EXPECT_EQ(bomb->Y, FieldBottom - bomb->Height) << c.name;
    EXPECT_FALSE(bomb->Visible) << c.name;
    ASSERT_NE(bomb->Blast, nullptr) << c.name;
    const TFire& blast = *bomb->Blast;
    ASSERT_TRUE(RectsTouch(blast.X, blast.Y, blast.Width, blast.Height, Player->X + Player->ItemBoxLeft, Player->Y,
                           Player->ItemBoxWidth, Player->Height))
        << c.name;
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "Bomb_Explosion"), 1) << c.name;
    // The bomb and its blast go once the blast has played (at once outside).
    for (int i = 0; i < 100 && BulletUsed[size_t(slot)]; ++i) Tick();
    EXPECT_FALSE(BulletUsed[size_t(slot)]) << c.name;
    EXPECT_EQ(Player->Energy, 5) << c.name;  // the blast hurts nobody
  }
}

struct HitCase {
  const char* name;
  uint8_t kind;
  int32_t damage;
  TBonus bonus;
  bool frozen;
  int32_t energy;      // afterwards
  TPlayerState state;  // afterwards
};

class BulletOnHeroTest : public MonstersTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(BulletOnHeroTest, HurtsFreezesOrOnlyVanishes) {
  const HitCase& c = GetParam();
  OpenField(500);
  if (c.bonus != NoBonus) Player->TakeBonus(c.bonus);
  if (c.frozen) Player->Freeze();
  // At rest on the hero's chest.
  TBullet* b = Shot(c.kind, TBulletOwner::Monster, c.damage, Player->X + 30, Player->Y + 20);
  const int slot = b->Slot;
  Tick();
  EXPECT_EQ(Player->Energy, c.energy);
  EXPECT_EQ(Player->State, c.state);
  if (!b->IsBomb)
    EXPECT_FALSE(BulletUsed[size_t(slot)]);
  else
    EXPECT_TRUE(b->Exploded);
}

INSTANTIATE_TEST_SUITE_P(Hits, BulletOnHeroTest,
                         ::testing::Values(HitCase{"RobotPellet", 1, 1, NoBonus, false, 4, Playing},
                                           HitCase{"BurningSpittle", 3, 2, NoBonus, false, 3, Playing},
                                           HitCase{"FreezingSpittle", 2, 2, NoBonus, false, 5, Frozen},
                                           HitCase{"IceBomb", 5, 5, NoBonus, false, 5, Frozen},
                                           HitCase{"BombTakesTheLastEnergy", 4, 5, NoBonus, false, 0, Dying},
                                           HitCase{"ShieldedFromPellet", 1, 1, EnergyBonus, false, 5, Playing},
                                           HitCase{"ShieldedFromBomb", 4, 5, EnergyBonus, false, 5, Playing},
                                           HitCase{"FrozenHeroUntouched", 3, 2, NoBonus, true, 5, Frozen}),
                         [](const ::testing::TestParamInfo<HitCase>& i) { return std::string(i.param.name); });

TEST_F(MonstersTest, EnergyBonusDoesNotShieldFromALitBombsBlast) {
  OpenField(500);
  Player->TakeBonus(EnergyBonus);
  const int slot = AddLevelItem(ItemBomb, 100, 500);
  LevelItems[size_t(slot)]->Ignite();
  for (int i = 0; i < 200 && LevelItemUsed[size_t(slot)]; ++i) Tick();
  ASSERT_EQ(ActiveBonus, EnergyBonus);
  EXPECT_EQ(Player->Energy, 4);
}

struct WalkCase {
  const char* name;
  TPlatformKind platformKind;
  double platformSpeed;
};

class WalkerTest : public MonstersTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(WalkerTest, TurnsAtItsPlatformsEnds) {
  const WalkCase& c = GetParam();
  OpenField();
  const int p = AddPlatform(c.platformKind == Fixed ? "Platform1" : "Platform2", c.platformKind, 300, 400, 150, 650,
                            c.platformSpeed);
  TPlatform* platform = Platforms[size_t(p)];
  TMonster* slime = Monster(1, 0, 0);
  slime->PlaceOnPlatform(p, 10, 60);
  EXPECT_EQ(slime->Y, platform->Y - slime->Height);
  const double room = platform->Width - slime->Width;  // its walk along the platform
  double least = 1e9, most = -1e9;
  int turns = 0;
  double speed = slime->WalkSpeed;
  for (int i = 0; i < 300; ++i) {
    Tick();
    const double along = slime->X - platform->X;
    least = std::min(least, along);
    most = std::max(most, along);
    if (slime->WalkSpeed != speed) ++turns;
    speed = slime->WalkSpeed;
    EXPECT_EQ(slime->Y, platform->Y - slime->Height);  // never falls
  }
  // Each turn comes within one tick's travel past an end (a turning shuttle
  // shifts its rider by twice its own speed once).
  const double step = (60 + 2 * std::abs(c.platformSpeed)) / FrameRate + 1e-9;
  EXPECT_GE(turns, 4);
  EXPECT_GE(least, -step);
  EXPECT_LE(least, 0);
  EXPECT_GE(most, room);
  EXPECT_LE(most, room + step);
}

INSTANTIATE_TEST_SUITE_P(Platforms, WalkerTest,
                         ::testing::Values(WalkCase{"Fixed", Fixed, 0}, WalkCase{"CarriedByAShuttle", Shuttle, -40}),
                         [](const ::testing::TestParamInfo<WalkCase>& i) { return std::string(i.param.name); });

TEST_F(MonstersTest, WalkerTurnsAtAWallFromTheSide) {
  OpenField();
  const int p = AddPlatform("Platform1", Fixed, 300, 400, 0, 0, 0);
  AddWall("Wall", 400, 306);  // stands on the platform, right of the walker
  TMonster* slime = Monster(1, 0, 0);
  slime->PlaceOnPlatform(p, 10, 60);
  double most = 0;
  for (int i = 0; i < 40; ++i) {  // to the wall and part of the way back
    Tick();
    most = std::max(most, slime->X + slime->Width);
  }
  // It overlaps the wall for at most the tick in which it got there.
  EXPECT_LE(most, 400 + 60 / FrameRate);
  EXPECT_LT(slime->WalkSpeed, 0);
  EXPECT_LT(slime->X + slime->Width, 400);
}

TEST_F(MonstersTest, CrossersEnterFromTheirSideAndGoPastTheOther) {
  struct Case {
    int kind;
    int enterTicks;  // ticks until wholly on screen
  } cases[] = {{3, 40}, {7, 600}};
  OpenField();
  for (const Case& c : cases) {
    SpawnMonster(TMonsterKind(c.kind));
    const int slot = CountMonsters();
    ASSERT_EQ(slot, 1);
    TMonster* m = Monsters[1];
    m->WeaponCount = 0;
    Ticks(c.enterTicks);
    ASSERT_TRUE(MonsterUsed[1]) << c.kind;
    EXPECT_TRUE(m->Entered) << c.kind;
    int ticks = 0;
    while (MonsterUsed[1] && ticks < 2000) {
      Tick();
      ++ticks;
    }
    EXPECT_FALSE(MonsterUsed[1]) << c.kind;
    EXPECT_TRUE(m->VelX > 0 ? m->X >= FieldRight + m->Width + 1 : m->X + m->Width <= FieldLeft - m->Width - 1)
        << c.kind;
    Tick();  // frees it
  }
}

TEST_F(MonstersTest, TouchingALiveMonsterCostsALife) {
  struct Case {
    const char* name;
    bool bursting, shielded, frozen;
    bool dies;
  } cases[] = {
      {"alive", false, false, false, true},
      {"alive, hero frozen", false, false, true, true},
      {"bursting", true, false, false, false},
      {"energy bonus", false, true, false, false},
  };
  OpenField(500);
  for (const Case& c : cases) {
    Player->DropBonus();
    Player->State = Playing;
    if (c.shielded) Player->TakeBonus(EnergyBonus);
    if (c.frozen) Player->Freeze();
    TMonster* pod = Monster(2, 510, 540);  // on the hero's legs
    pod->VelX = pod->VelY = 0;
    if (c.bursting) pod->Burst();
    const int32_t lives = Lives;
    Tick();
    EXPECT_EQ(Player->State == Dying, c.dies) << c.name;
    EXPECT_EQ(Lives, c.dies ? lives - 1 : lives) << c.name;
    RemoveMonster(pod->Slot);
  }
}

TEST_F(MonstersTest, MegaBombBlowsUpFliersOnceAndPaysNothing) {
  OpenField();
  const int p = AddPlatform("Platform1", Fixed, 100, 400, 0, 0, 0);
  TMonster* walker = Monster(4, 0, 0);
  walker->PlaceOnPlatform(p, 10, 10);
  walker->WeaponCount = 0;
  TMonster* pod = Monster(2, 300, 200);
  TMonster* toad = Monster(6, 400, 200);
  toad->WeaponCount = 0;
  const int32_t score = Score;
  BlowUpFlyingMonsters();
  TFire* first = pod->Explosion;
  Tick();
  BlowUpFlyingMonsters();  // a second mega bomb while they burst
  EXPECT_EQ(pod->Explosion, first);
  EXPECT_EQ(walker->State, Alive);
  EXPECT_EQ(Score, score);
  for (int i = 0; i < 100 && CountMonsters() > 1; ++i) Tick();
  EXPECT_EQ(CountMonsters(), 1);
  EXPECT_TRUE(MonsterUsed[size_t(walker->Slot)]);
}

TEST_F(MonstersTest, WeaponsFireFromTheirMuzzles) {
  struct Case {
    int kind;
    double walk;  // the robot's walking direction
    uint8_t bullet;
    double x, y;          // muzzle
    double minVx, maxVx;  // the spread
  } cases[] = {
      {4, 10, 1, 300 + 24 + 20, 308, 141, 200},     // shoots ahead, rightward
      {4, -10, 1, 300 + 24 - 20, 308, -200, -141},  // and leftward
      {6, 0, 2, 313, 307, 141, 200},                // spits into the right half-plane
      {7, 0, 4, 320, 340, 0, 0},                    // drops bombs at rest
  };
  OpenField();
  for (const Case& c : cases) {
    TMonster* m = Monster(c.kind, 300, 300);
    m->WalkSpeed = c.walk;
    m->FireWeapon(1);
    ASSERT_EQ(CountBullets(), 1) << c.kind;
    TBullet* b = Bullets[1];
    EXPECT_EQ(int(b->Kind), c.bullet) << c.kind;
    EXPECT_EQ(b->Owner, TBulletOwner::Monster) << c.kind;
    EXPECT_EQ(b->Damage, m->BulletDamage) << c.kind;
    EXPECT_DOUBLE_EQ(b->X, c.x) << c.kind;
    EXPECT_DOUBLE_EQ(b->Y, c.y) << c.kind;
    EXPECT_GE(b->VelX, c.minVx) << c.kind;
    EXPECT_LE(b->VelX, c.maxVx) << c.kind;
    RemoveBullet(1);
    RemoveMonster(m->Slot);
    // A bursting monster holds its fire.
    m = Monster(c.kind, 300, 300);
    m->Burst();
    m->FireWeapon(1);
    EXPECT_EQ(CountBullets(), 0) << c.kind;
    RemoveMonster(m->Slot);
  }
}

// The table stands in for the math library's sin and cos of the aim angle;
// a library may differ from it in the last bit, never by more.
TEST(AimTable, HoldsTheSineAndCosineOfEveryDirection) {
  constexpr double kPi = 3.14159;  // the game's own pi for the aim
  auto withinOneUlp = [](double got, double want) {
    return got == want || got == std::nextafter(want, 2.0) || got == std::nextafter(want, -2.0);
  };
  for (int back = 0; back < 2; ++back)
    for (int draw = 0; draw < kAimDraws; ++draw) {
      double a = (draw / 2000.0 - 0.25) * kPi;
      if (back) a += kPi;
      const TAim& aim = kAimTable[size_t(back)][size_t(draw)];
      EXPECT_TRUE(withinOneUlp(aim.Sin, std::sin(a))) << back << " " << draw;
      EXPECT_TRUE(withinOneUlp(aim.Cos, std::cos(a))) << back << " " << draw;
    }
}

}  // namespace
