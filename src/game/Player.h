#pragma once
// The hero.
#include <cstdint>

#include "engine/Sprite.h"

namespace fusewick {

class TPlayer : public TImageSprite {
 public:
  explicit TPlayer(TSprite* parent) : TImageSprite(parent) {}

  int32_t Energy = 5;             // hit points, 0..5
  int32_t HealthBlinkTimer = 0;   // ms; the HUD's energy-bar blink phase
  int32_t BonusTimeLeft = 0;      // ms left of the running bonus
  bool GameOver = false;          // the last life has been lost
};

// The one hero while a game runs; null otherwise.
extern TPlayer* Player;

}  // namespace fusewick
