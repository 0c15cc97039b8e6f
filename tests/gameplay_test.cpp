// The figures of play, measured through the replay runner: a seeded game at
// FrameRate 1000 / 30 on the built game data.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>

#include "GameHarness.h"
#include "Replay.h"
#include "game/Items.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Scenery.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

constexpr int kFirstPlayTick = 68;    // the level intro closes on its 68th tick
constexpr double kFloorY = 585 - 68;  // the hero (68 px high) standing on the floor line
constexpr int kNever = 1 << 30;

class GameplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    InstallGameData();
  }
  void TearDown() override { ResetProgramState(); }

  static replay::TOptions Game(int ticks, const std::string& script = "") {
    replay::TOptions o;
    o.Seed = 7;
    o.StartGame = true;
    o.FrameRate = 1000.0 / 30.0;
    o.Ticks = ticks;
    std::istringstream in(script);
    o.Script = replay::ParseScript(in);
    return o;
  }
  void Run(const replay::TOptions& o, std::function<void(int)> afterTick) {
    replay::TRunner runner(o);
    runner.AfterTick = std::move(afterTick);
    runner.Run();
  }

  // An empty level on grass: nothing spawns but clouds (and lit fuses, when
  // asked), so the hero's moves are its own. A bomb out of reach keeps the
  // level from completing unless the test places the bombs itself.
  static void OpenField(bool fuses = false, bool keeper = true) {
    ClearLevel();
    GroundKinds.fill(1);
    if (keeper) AddLevelItem(ItemBomb, 300, 40);
    CrossingPlatformTimer = CrossingPlatformInterval = kNever;
    MonsterTimer = MonsterInterval = kNever;
    BonusTimer = BonusInterval = kNever;
    if (!fuses) FuseTimer = FuseInterval = kNever;
  }

  TempDir dir;
};

struct JumpCase {
  int heldTicks;  // ticks the jump key is held, from the jump on
  double rise;    // px
};

class JumpHeightTest : public GameplayTest, public ::testing::WithParamInterface<JumpCase> {};

TEST_P(JumpHeightTest, RisesByTheJumpsHeight) {
  const int jumpTick = 150;
  std::ostringstream script;
  script << jumpTick << " +Up\n" << jumpTick + GetParam().heldTicks << " -Up\n";
  double launchY = 0, topY = 1e9;
  Run(Game(jumpTick + 80, script.str()), [&](int tick) {
    if (tick == 1) OpenField();
    if (tick == jumpTick - 1) {
      ASSERT_EQ(Player->State, Playing);
      ASSERT_FALSE(Player->Airborne);
      launchY = Player->Y;
    }
    if (tick >= jumpTick) topY = std::min(topY, Player->Y);
  });
  EXPECT_DOUBLE_EQ(launchY, kFloorY);
  EXPECT_NEAR(launchY - topY, GetParam().rise, 1e-6);
}

// The high jump needs the key on the tenth tick after the jump (300 ms).
INSTANTIATE_TEST_SUITE_P(Jumps, JumpHeightTest,
                         ::testing::Values(JumpCase{1, 186.24}, JumpCase{10, 186.24}, JumpCase{11, 284.04},
                                           JumpCase{40, 284.04}),
                         [](const auto& info) { return "Held" + std::to_string(info.param.heldTicks) + "Ticks"; });

TEST_F(GameplayTest, WalksAt150PixelsPerSecondUpToTheScreenEdges) {
  // Right for 20 ticks, then left until the edge, then right until the edge.
  std::map<int, double> x;
  Run(Game(600, "150 +Right\n170 -Right\n200 +Left\n400 -Left\n400 +Right\n"), [&](int tick) {
    if (tick == 1) OpenField();
    x[tick] = Player->X;
  });
  EXPECT_NEAR(x[169] - x[149], 20 * 150 / (1000.0 / 30.0), 1e-9);
  EXPECT_EQ(x[399], -25);  // the body may pass the left edge by its inset
  EXPECT_EQ(x[600], 753);  // and its right edge stops at the screen's
}

TEST_F(GameplayTest, FirstCloudEntersOnThe335thTickOfPlay) {
  std::map<int, int> clouds;
  int firstPlay = 0;
  Run(Game(kFirstPlayTick + 340), [&](int tick) {
    if (tick == 1) OpenField();
    if (!firstPlay && PlayState == Running) firstPlay = tick;
    clouds[tick] = CountClouds();
  });
  ASSERT_EQ(firstPlay, kFirstPlayTick);
  const int tick335 = firstPlay + 334;
  EXPECT_EQ(clouds[tick335 - 1], 0);
  EXPECT_EQ(clouds[tick335], 1);
}

TEST_F(GameplayTest, LitBombExplodesAfter167TicksAndHurtsTheHero) {
  // One bomb far from the hero; the fuse timer lights it on the 335th tick of
  // play, as it lights the first cloud.
  std::map<int, std::optional<TItemState>> state;  // none once removed
  std::map<int, int> energy, bombs;
  Run(Game(kFirstPlayTick + 334 + 200), [&](int tick) {
    if (tick == 1) {
      OpenField(true, false);
      AddLevelItem(ItemBomb, 100, 300);
    }
    if (LevelItemUsed[1]) state[tick] = LevelItems[1]->ItemState;
    energy[tick] = Player->Energy;
    bombs[tick] = CountBombsLeft();
  });
  const int lit = kFirstPlayTick + 334;
  EXPECT_EQ(state[lit - 1], Waiting);
  EXPECT_EQ(state[lit], Burning);
  EXPECT_EQ(state[lit + 165], Burning);
  EXPECT_EQ(state[lit + 166], Exploding);  // its 167th tick
  // The blast hurts once its flame has played, wherever the hero is.
  int hurt = 0;
  for (int t = lit; t < lit + 200 && !hurt; ++t)
    if (energy[t] == 4) hurt = t;
  ASSERT_GT(hurt, lit + 166);
  EXPECT_EQ(energy[hurt - 1], 5);
  EXPECT_EQ(bombs[hurt - 1], 1);
  EXPECT_EQ(bombs[hurt], 0);
}

TEST_F(GameplayTest, LevelOneBombCounts) {
  // 1 to 3 bombs, 1 to 2 mines and one dynamite, every count occurring.
  std::map<TItemKind, std::set<int>> seen;
  Run(Game(1), [&](int) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
      Randomize(seed);
      StartLevel(1);
      std::map<TItemKind, int> n;
      for (int i = 1; i <= kLevelItemSlots; ++i)
        if (LevelItemUsed[size_t(i)]) ++n[LevelItems[size_t(i)]->Kind];
      for (TItemKind k : {ItemBomb, ItemMine, ItemDynamit}) seen[k].insert(n[k]);
    }
  });
  EXPECT_EQ(seen[ItemBomb], (std::set<int>{1, 2, 3}));
  EXPECT_EQ(seen[ItemMine], (std::set<int>{1, 2}));
  EXPECT_EQ(seen[ItemDynamit], (std::set<int>{1}));
}

TEST_F(GameplayTest, FuseIntervalShrinksByAFifthRoundedEachLevel) {
  std::vector<int> fuse{0};
  Run(Game(1), [&](int) {
    StartLevel(1);
    fuse.push_back(FuseInterval);
    for (int level = 2; level <= 50; ++level) {
      StartLevel(level);
      fuse.push_back(FuseInterval);
    }
  });
  // Levels 10 and 27 divide a value that 1.2 leaves at exactly .5: the first
  // rounds down, the second up, as the extended-precision quotient does.
  const std::vector<int> first{0,    10000, 8333, 6944, 5787, 4822, 4018, 3348, 2790, 2325, 1937,
                               1614, 1345,  1121, 934,  778,  648,  540,  450,  375,  312,  260,
                               217,  181,   151,  126,  105,  88,   73,   61,   51};
  EXPECT_EQ(std::vector<int>(fuse.begin(), fuse.begin() + int(first.size())), first);
  EXPECT_EQ(fuse[45], 3);
  for (int level = 46; level <= 50; ++level) EXPECT_EQ(fuse[size_t(level)], 2) << "level " << level;
}

struct CompletionCase {
  const char* how;
  std::string script;
  double bombX, bombY;  // where the only bomb is put once the hero stands on the floor
  int ticksToWindow;    // from the tick the bomb is taken
};

class LevelCompletionTest : public GameplayTest, public ::testing::WithParamInterface<CompletionCase> {};

TEST_P(LevelCompletionTest, WaitsForTheJumpPuff) {
  int taken = 0, complete = 0;
  Run(Game(200, GetParam().script), [&](int tick) {
    if (tick == 1) OpenField();  // its bomb is out of reach until the hero has landed
    if (tick == 140) {
      ClearLevel();
      AddLevelItem(ItemBomb, GetParam().bombX, GetParam().bombY);
    }
    if (!taken && CountBombsLeft() == 0) taken = tick;
    if (!complete && PlayState == LevelComplete) complete = tick;
  });
  ASSERT_GT(taken, 0);
  EXPECT_EQ(complete - taken, GetParam().ticksToWindow);
}

// Taken by a jump into it, just over the hero's head: the puff shows for
// 100 ms more. Walked into: the window opens on the next tick.
INSTANTIATE_TEST_SUITE_P(Pickups, LevelCompletionTest,
                         ::testing::Values(CompletionCase{"jump", "150 +Up\n151 -Up\n", 500 + 14, kFloorY - 45 - 5, 4},
                                           CompletionCase{"walk", "150 +Left\n", 400, kFloorY + 10, 1}),
                         [](const auto& info) { return std::string(info.param.how); });

}  // namespace
