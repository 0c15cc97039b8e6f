// Level building, the hero's contacts and the end of a game, on a headless
// game on the built game data.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include "GameHarness.h"
#include "form/Screens.h"
#include "game/Items.h"
#include "game/Level.h"
#include "game/Monsters.h"
#include "game/PlayFlow.h"
#include "game/Player.h"
#include "game/Scenery.h"
#include "online_helpers.h"
#include "services/GameGlobals.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

constexpr double kFloorY = 585 - 68;

// Ends the test program if the guarded code has not returned in time: a
// search without an end would otherwise hang the whole suite.
class Watchdog {
 public:
  explicit Watchdog(const char* what, std::chrono::seconds limit = std::chrono::seconds(60))
      : thread_([this, what, limit] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "%s did not return within %lld s\n", what, static_cast<long long>(limit.count()));
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

class LevelTest : public GameHarness {
 protected:
  void OpenField() { EmptyLevel(3); }
  // The hero standing still on the floor line at x, playing.
  void StandAt(double x) {
    Player->X = x;
    Player->Y = kFloorY;
    Player->VelY = 0;
    Player->Airborne = false;
    Player->State = Playing;
    Player->Visible = true;
  }
};

TEST(RectsTouchTest, ClosedRectanglesTouchAtTheirEdges) {
  struct Case {
    double bx, by;
    bool touch;
  } cases[] = {
      {10, 0, true},                                        // left edge on the other's right edge
      {10.01, 0, false}, {0, 20, true},                     // top edge on the other's bottom
      {0, 20.01, false}, {10, 20, true},                    // corners meet
      {-10, -20, true},  {-10.01, 0, false}, {2, 2, true},  // inside
  };
  for (const Case& c : cases) EXPECT_EQ(RectsTouch(0, 0, 10, 20, c.bx, c.by, 10, 20), c.touch) << c.bx << ", " << c.by;
  EXPECT_TRUE(RectsTouch(0, 0, 100, 100, 40, -50, 5, 300));  // one spans the other
}

TEST_F(LevelTest, CrowdedLevelsAreBuiltWithoutEndlessSearches) {
  // From level 5 on, mines (291 px wide, in five lanes) often find no free
  // place. With this seed the fifth level's fifteen bombs leave none at
  // all: every mine drawn (there is always at least one) runs through its
  // random draws and a scan of every column and lane, and is given up.
  NewGame(1);
  Watchdog guard("building a crowded level");
  Randomize(49);
  for (int level = 1; level <= 5; ++level) StartLevel(level);
  int count[4] = {};
  for (int i = 1; i <= kLevelItemSlots; ++i)
    if (LevelItemUsed[size_t(i)] && LevelItems[size_t(i)]->Kind <= ItemDynamit)
      ++count[size_t(LevelItems[size_t(i)]->Kind)];
  EXPECT_EQ(count[size_t(ItemBomb)], 15);
  EXPECT_EQ(count[size_t(ItemMine)], 0);
  EXPECT_GE(count[size_t(ItemDynamit)], 1);  // the level goes on with its other bombs
  for (int lane = 1; lane <= 5; ++lane)
    for (int column = 1; column <= 12; ++column)
      EXPECT_FALSE(PlaceIsFree(ItemMine, column * 58 + 40 - 145, ItemLaneY[size_t(lane)] - 10))
          << column << "," << lane;
}

TEST_F(LevelTest, BonusSearchGivesUpOnlyWhenNoPlaceIsFree) {
  OpenField();
  const int items = CountLevelItems();
  // A wall on every item column and lane: no place for a bonus.
  int walls[13][6] = {};
  for (int lane = 1; lane <= 5; ++lane)
    for (int column = 1; column <= 12; ++column)
      walls[column][lane] = AddWall("Wall", column * 58 + 40, ItemLaneY[size_t(lane)]);
  {
    Watchdog guard("a bonus search on a full level");
    for (int i = 0; i < 30; ++i) {
      BonusTimer = 0;
      UpdateSpawns();
    }
  }
  EXPECT_EQ(CountLevelItems(), items);
  // Walls taken away around one place: the next bonus drawn takes a free place.
  for (int column : {7, 8})
    for (int lane : {2, 3}) RemoveWall(walls[column][lane]);
  std::set<std::pair<double, double>> free;
  for (int lane = 1; lane <= 5; ++lane)
    for (int column = 1; column <= 12; ++column)
      if (PlaceIsFree(ItemMoney10, column * 58 + 40, ItemLaneY[size_t(lane)]))
        free.emplace(column * 58 + 40, ItemLaneY[size_t(lane)]);
  ASSERT_FALSE(free.empty());
  for (int i = 0; i < 200 && CountLevelItems() == items; ++i) {
    BonusTimer = 0;
    UpdateSpawns();
  }
  ASSERT_EQ(CountLevelItems(), items + 1);
  for (int i = 1; i <= kLevelItemSlots; ++i)
    if (LevelItemUsed[size_t(i)] && LevelItems[size_t(i)]->Kind != ItemBomb) {
      const TLevelItem* bonus = LevelItems[size_t(i)];
      EXPECT_TRUE(free.count({bonus->X, bonus->Y}));  // appearing where it was placed
    }
}

// The hero rides a crossing platform off the left edge of the screen. Once
// the platform has gone, its slot reads as nothing stood on, whether the
// slot stays free or another platform takes it at once.
class SlotReferenceTest : public LevelTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SlotReferenceTest, HeroFallsWhenItsPlatformHasLeft) {
  const bool retaken = GetParam();
  OpenField();
  const int slot = AddPlatform("Platform2", Crossing, -100, 300, 0, 0, -50);
  StandAt(-25);
  Player->Y = 300 - Player->Height;
  Player->PlatformIndex = PlatformRef(slot);
  for (int i = 0; i < 100 && PlatformUsed[size_t(slot)]; ++i) {
    Tick();
    ASSERT_FALSE(Player->Airborne) << "the hero rides the platform to its end";
  }
  ASSERT_FALSE(PlatformUsed[size_t(slot)]);
  if (retaken) {
    // A platform under the hero's feet, but far below: standing on it from up
    // here would be a hover.
    ASSERT_EQ(AddPlatform("Platform1", Fixed, -100, 500, 0, 0, 0), slot);
  }
  const double y = Player->Y;
  Tick();
  EXPECT_TRUE(Player->Airborne);
  Tick();
  EXPECT_GT(Player->Y, y);
  if (retaken) {
    for (int i = 0; i < 60 && Player->Airborne; ++i) Tick();
    EXPECT_EQ(Player->Y, 500 - Player->Height);  // and lands on the new platform
    EXPECT_EQ(PlatformSlot(Player->PlatformIndex), slot);
  }
}

INSTANTIATE_TEST_SUITE_P(Slots, SlotReferenceTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Retaken" : "LeftFree"; });

TEST_F(LevelTest, WallsStopTheHeroAndCarryItOnTop) {
  OpenField();
  const int slot = AddWall("Wall", 600, 585 - 94);
  StandAt(500);
  Hold(platform::VK_RIGHT, true);
  Ticks(40);
  EXPECT_EQ(Player->X, 600 - 47 - 1);  // the body ends a pixel short of the wall
  Hold(platform::VK_RIGHT, false);
  // Dropped over the wall: stands on its top.
  Player->X = 590;
  Player->Y = 300;
  Player->Airborne = true;
  Ticks(40);
  EXPECT_FALSE(Player->Airborne);
  EXPECT_EQ(Player->Y, 585 - 94 - Player->Height);
  EXPECT_EQ(WallSlot(Player->WallIndex), slot);
}

// Walking into a wall pushes the hero back before the items are looked at:
// an item that only the box from before the push reached stays put.
TEST_F(LevelTest, ItemsAreTestedWhereTheWallLeftTheHero) {
  struct Case {
    double itemX;
    bool taken;
  } cases[] = {{601, true}, {603, false}};
  OpenField();
  for (const Case& c : cases) {
    ClearLevel();
    AddLevelItem(ItemBomb, 300, 40);  // keeps the level from completing
    AddWall("Wall", 600, 585 - 94);
    // One step right (4.5 px) brings the body's right edge to 602.5, in the
    // wall: it goes back to 552, the item box's right edge to 601.
    StandAt(551);
    const int slot = AddLevelItem(ItemBomb, c.itemX, kFloorY + 10);
    Hold(platform::VK_RIGHT, true);
    Tick();
    Hold(platform::VK_RIGHT, false);
    EXPECT_EQ(Player->X, 552);
    EXPECT_EQ(!LevelItemUsed[size_t(slot)], c.taken) << c.itemX;
  }
}

struct WaterCase {
  double x;
  bool drowns;
};

class WaterTest : public LevelTest, public ::testing::WithParamInterface<WaterCase> {};

// Water tile 5 spans 400..500; the body (x + 25 .. x + 47) must be more than
// 17 px inside both its edges to sink.
TEST_P(WaterTest, DrownsOnlyWellInsideAWaterTile) {
  OpenField();
  GroundKinds[5] = 0;
  StandAt(GetParam().x);
  Ticks(3);
  if (!GetParam().drowns) {
    EXPECT_EQ(Player->State, Playing);
    EXPECT_EQ(Player->Y, kFloorY);
    EXPECT_EQ(Lives, 3);
    return;
  }
  EXPECT_EQ(Player->State, Dying);
  EXPECT_EQ(Lives, 2);
  Ticks(2000 / 30);
  EXPECT_EQ(Player->State, Spawning);  // the next life starts at the top
  EXPECT_EQ(Player->X, 500);
  EXPECT_EQ(Player->Energy, 5);
}

INSTANTIATE_TEST_SUITE_P(Edges, WaterTest,
                         ::testing::Values(WaterCase{392, false}, WaterCase{392.5, true}, WaterCase{435.5, true},
                                           WaterCase{436, false}),
                         [](const auto& info) {
                           std::string name = info.param.drowns ? "Drowns" : "Stands";
                           name.append("AtTenthsX").append(std::to_string(int(info.param.x * 10)));
                           return name;
                         });

struct PickupCase {
  TItemKind kind;
  int score;      // points gained
  TBonus bonus;   // the running bonus afterwards
  int bonusTime;  // its ms
  int lives;      // lives afterwards
};

class PickupTest : public LevelTest, public ::testing::WithParamInterface<PickupCase> {};

TEST_P(PickupTest, CollectingAnItem) {
  OpenField();
  StandAt(500);
  Tick();
  const int slot = AddLevelItem(GetParam().kind, 520, kFloorY + 10);
  const int flier = AddMonster(TMonsterKind::Pod, 300, 200);
  Tick();
  EXPECT_FALSE(LevelItemUsed[size_t(slot)]);
  EXPECT_EQ(Score, GetParam().score);
  EXPECT_EQ(ActiveBonus, GetParam().bonus);
  EXPECT_EQ(Player->BonusTimeLeft, GetParam().bonusTime);
  EXPECT_EQ(Lives, GetParam().lives);
  // Only the mega bomb blows up the fliers; the walkers are never touched.
  const bool mega = GetParam().kind == ItemMegaBomb;
  EXPECT_EQ(Monsters[size_t(flier)]->State, mega ? Bursting : Alive);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PickupTest,
    ::testing::Values(PickupCase{ItemBomb, 2, NoBonus, 0, 3}, PickupCase{ItemMine, 5, NoBonus, 0, 3},
                      PickupCase{ItemDynamit, 10, NoBonus, 0, 3}, PickupCase{ItemGun, 0, GunBonus, 20000, 3},
                      PickupCase{ItemMoney10, 10, NoBonus, 0, 3}, PickupCase{ItemMoney20, 20, NoBonus, 0, 3},
                      PickupCase{ItemMoney50, 50, NoBonus, 0, 3}, PickupCase{ItemEngine, 0, EngineBonus, 10000, 3},
                      PickupCase{ItemMegaBomb, 0, NoBonus, 0, 3}, PickupCase{ItemEnergo, 0, EnergyBonus, 10000, 3},
                      PickupCase{ItemLife, 0, NoBonus, 0, 4}),
    [](const auto& info) { return std::string(ItemImageName(info.param.kind)); });

TEST_F(LevelTest, NothingIsTakenWhileSpawningNorFromAnExplosion) {
  OpenField();
  StandAt(500);
  Player->State = Spawning;
  Player->StateTimer = 800;
  const int slot = AddLevelItem(ItemMoney50, 520, kFloorY + 10);
  Tick();
  EXPECT_TRUE(LevelItemUsed[size_t(slot)]);
  RemoveLevelItem(slot);
  Ticks(30);  // playing again
  ASSERT_EQ(Player->State, Playing);
  const int bomb = AddLevelItem(ItemBomb, 300, 300);
  LevelItems[size_t(bomb)]->Ignite();
  LevelItems[size_t(bomb)]->Explode();
  LevelItems[size_t(bomb)]->X = 520;
  LevelItems[size_t(bomb)]->Y = kFloorY + 10;
  Tick();
  EXPECT_TRUE(LevelItemUsed[size_t(bomb)]);
  EXPECT_EQ(Score, 0);
}

TEST_F(LevelTest, RunningBonusEndsAfterItsTime) {
  OpenField();
  StandAt(500);
  Player->TakeBonus(EngineBonus);
  ASSERT_TRUE(Player->EngineOn);
  Ticks(10000 / 30);
  EXPECT_EQ(ActiveBonus, EngineBonus);
  Tick();
  EXPECT_EQ(ActiveBonus, NoBonus);
  EXPECT_FALSE(Player->EngineOn);
  EXPECT_EQ(Player->EngineFlame, nullptr);
}

TEST_F(LevelTest, LastLifeLostEndsTheGame) {
  struct Case {
    int score;
    TGameScreen screen;
    TPlayState state;                            // after the game-over window
  } cases[] = {{100, HighScoreScreen, Running},  // equal to the lowest entry: not good enough
               {101, Game, NameEntry}};
  for (const Case& c : cases) {
    OpenField();
    Lives = 1;
    Score = c.score;
    StandAt(410);
    GroundKinds[5] = 0;
    Ticks(3);
    ASSERT_EQ(PlayState, GameLost);
    EXPECT_EQ(Lives, 0);
    EXPECT_TRUE(Player->GameOver);
    Ticks(68);
    EXPECT_EQ(GameScreen, c.screen) << c.score;
    if (GameScreen == Game) {
      EXPECT_EQ(PlayState, c.state);
    }
    if (GameScreen == HighScoreScreen) {
      LeaveHighScores();
    } else {
      CloseMessageWindow();
      EndGame();
    }
    form->MDXSpriteEngine.FreeKilled();
    ShowMainMenu(TMainMenuButton::NewGame);  // for the next game
  }
}

TEST_F(LevelTest, NameEntryThenHoldingYSubmitsOnce) {
  ScriptedServer server({});  // takes the connection and closes it: no answer
  SetServerForTests("127.0.0.1", server.Port(), std::chrono::milliseconds(2000));
  OpenField();
  Lives = 1;
  Score = 150;
  GroundKinds[5] = 0;
  StandAt(410);
  Ticks(3 + 68);
  ASSERT_EQ(PlayState, NameEntry);
  PlayerName.clear();
  for (char c : std::string("ab\r")) {
    Type(c);  // one key a frame, as a person types
    Tick();
  }
  ASSERT_EQ(PlayState, SubmitPrompt);
  Hold('Y', true);
  Ticks(5);
  Hold('Y', false);
  EXPECT_EQ(server.Connections(), 1);
  ASSERT_EQ(null.MessageBoxes.size(), 1u);
  EXPECT_EQ(null.MessageBoxes[0].second, "Can't connect to server!");
  EXPECT_EQ(GameScreen, HighScoreScreen);
  EXPECT_EQ(Player, nullptr);
  bool listed = false;
  for (int i = 1; i <= 10; ++i)
    listed = listed || (HighScores[size_t(i)].Name == "AB" && HighScores[size_t(i)].Score == 150);
  EXPECT_TRUE(listed);
  ResetTestSeams();
}

// The hero's controls use the Ctrl press up: one shot a press, held or not.
TEST_F(LevelTest, ACtrlPressShootsOnce) {
  OpenField();
  StandAt(500);
  Player->TakeBonus(GunBonus);
  Tick();
  const int before = CountBullets();
  Key(platform::VK_CONTROL, true);
  Tick();
  EXPECT_EQ(CountBullets(), before + 1);
  EXPECT_FALSE(form->PendingInput().CtrlPressed);
  Ticks(3);
  EXPECT_EQ(CountBullets(), before + 1);
}

// Y held at the quit question opens the name entry; its auto-repeat types
// nothing there until it is let go.
TEST_F(LevelTest, AKeyHeldAsTheNamePromptOpensTypesNothingUntilLetGo) {
  OpenField();
  StandAt(500);
  Score = 150;
  PlayerName.clear();
  Key(platform::VK_ESCAPE, true);
  Tick();
  Key(platform::VK_ESCAPE, false);
  ASSERT_EQ(PlayState, QuitConfirm);
  Key('Y', true);
  Type('y', 'Y');
  Tick();
  ASSERT_EQ(PlayState, NameEntry);
  for (int i = 0; i < 6; ++i) {
    Type(i % 2 ? 'y' : 'Y', 'Y');  // the auto-repeat's characters
    Tick();
  }
  EXPECT_EQ(PlayerName, "");
  Key('Y', false);
  Key('Y', true);
  Type('y', 'Y');
  Tick();
  EXPECT_EQ(PlayerName, "Y");
}

TEST_F(LevelTest, EndGameLeavesNoGameSpriteNorReferenceBehind) {
  OpenField();
  StandAt(500);
  Player->TakeBonus(GunBonus);
  Player->Freeze();
  AddPlatform("Platform2", Crossing, 100, 300, 0, 0, 50);
  AddCloud("Cloud", 100, 111, 10);
  Tick();
  ASSERT_NE(FreezeCaption, nullptr);
  null.SetKey(platform::VK_ESCAPE, true);
  Tick();
  ASSERT_EQ(PlayState, QuitConfirm);
  null.SetKey(platform::VK_ESCAPE, false);
  null.SetKey('Y', true);
  Tick();
  null.SetKey('Y', false);
  ASSERT_EQ(GameScreen, HighScoreScreen);
  EXPECT_EQ(Player, nullptr);
  EXPECT_EQ(FreezeCaption, nullptr);
  EXPECT_EQ(EnergyCaption, nullptr);
  EXPECT_EQ(BonusPanel, nullptr);
  EXPECT_EQ(LeftPanel, nullptr);
  EXPECT_EQ(RightPanel, nullptr);
  EXPECT_EQ(MessageWindow, nullptr);
  for (TCaption* tile : GroundTiles) EXPECT_EQ(tile, nullptr);
  EXPECT_EQ(CountPlatforms() + CountClouds() + CountWalls() + CountLevelItems() + CountMonsters() + CountBullets(), 0);
  for (TPlatform* p : Platforms) EXPECT_EQ(p, nullptr);
  for (TLevelItem* it : LevelItems) EXPECT_EQ(it, nullptr);
  // Leaving the high-score screen leaves an empty tree: nothing of the game
  // stayed behind in it.
  LeaveHighScores();
  form->MDXSpriteEngine.FreeKilled();
  EXPECT_EQ(form->MDXSpriteEngine.Engine()->SpriteCount(), 0);
}

}  // namespace
