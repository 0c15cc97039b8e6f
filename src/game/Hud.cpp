#include "game/Hud.h"

#include <cmath>
#include <string>

#include "engine/ImageList.h"
#include "game/Player.h"
#include "services/Captions.h"
#include "services/FormComponents.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Text.h"

namespace fusewick {

void DrawHud() {
  // The open window's words, big font.
  SelectFont(3);
  switch (PlayState) {
    case LevelIntro: DrawText("L E V E L   " + std::to_string(Level), 326 - 8 * ExtraDigits(Level), 284); break;
    case Paused: DrawText("P A U S E", 343, 284); break;
    case QuitConfirm:
      DrawText("F I N I S H  G A M E ?", 276, 274);
      DrawText("Y / N", 371, 313);
      break;
    case LevelComplete: DrawText("LEVEL COMPLETED", 273, 286); break;
    case GameLost: DrawText("G A M E  O V E R", 290, 287); break;
    default: break;
  }

  // Level, score and lives slide in with the left panel.
  SelectFont(0);
  const int32_t y = LeftPanelY + 31;
  DrawNumber(Level, 63, 6, y);
  DrawNumber(Score, 160, 6, y);
  DrawNumber(Lives, 252, 6, y);

  if (!Player) return;

  // The energy gauge: "HealthBar" columns cover it from the right edge
  // (X 654) leftwards, one column per lost part. At 2 points or fewer the
  // cover flips between the energy's length and the full gauge every
  // 100 ms of a 400 ms cycle.
  constexpr int32_t kGaugeColumns = 54;
  TPlayer& p = *Player;
  if (p.HealthBlinkTimer > 0)
    p.HealthBlinkTimer -= MForm->MDXTimer.Interval();
  else
    p.HealthBlinkTimer = 400;
  int32_t covered = kGaugeColumns;
  if (p.Energy > 2 || (p.HealthBlinkTimer / 100) % 2 != 0)
    covered = kGaugeColumns - int32_t(std::floor(p.Energy / 5.0 * kGaugeColumns));
  const TPictureCollectionItem* bar = FindImage("HealthBar");
  for (int32_t i = 1; i <= covered; ++i) bar->Draw(MForm->MDXDraw.Surface(), 655 - i, 34, 0);

  // Seconds left of the running bonus.
  DrawNumber(p.BonusTimeLeft / 1000, 737, 6, 23);
}

}  // namespace fusewick
