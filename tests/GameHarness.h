#pragma once
// A headless game for the gameplay tests: the main form on the built game
// data, started as the program starts, with helpers to begin a seeded game.
#include "Harness.h"
#include "engine/Random.h"
#include "form/MainForm.h"
#include "form/Screens.h"
#include "game/Items.h"
#include "game/Level.h"
#include "game/Player.h"
#include "services/Globals.h"

namespace fusewick::testing {

class GameHarness : public FormHarness {
 protected:
  void SetUp() override {
    FormHarness::SetUp();
    Create();
  }
  // A new game from the main menu, seeded, with FrameRate held at 1000 / 30;
  // the level intro is left open.
  void NewGame(uint32_t seed = 1) {
    FrameRateHeld = 1000.0 / 30.0;
    Randomize(seed);
    MenuSelection = Button(TMainMenuButton::NewGame);
    form->MDXDrawClick();
  }
  // Runs ticks until the level intro has closed.
  void SkipIntro() {
    for (int i = 0; i < 200 && PlayState != Running; ++i) Tick();
  }
  // A running game (seeded) on an empty grass level with nothing spawning;
  // a bomb out of reach keeps the level from completing.
  void EmptyLevel(uint32_t seed) {
    constexpr int kNeverMs = 1 << 30;
    NewGame(seed);
    SkipIntro();
    ClearLevel();
    GroundKinds.fill(1);
    CloudTimer = CloudInterval = CrossingPlatformTimer = CrossingPlatformInterval = kNeverMs;
    MonsterTimer = MonsterInterval = BonusTimer = BonusInterval = FuseTimer = FuseInterval = kNeverMs;
    AddLevelItem(ItemBomb, 300, 40);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  void Hold(int vk, bool down) { null.SetKey(vk, down); }
};

}  // namespace fusewick::testing
