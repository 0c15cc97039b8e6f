#include "services/Records.h"

#include "services/SaveFiles.h"

namespace fusewick {

TGameOptions GameOptions;
std::array<THighScore, 12> HighScores;
std::string HighScoreCheck;

void ResetRecords() {
  GameOptions = TGameOptions{};
  HighScores = {};
  HighScoreCheck.clear();
  ResetSaveFileState();
}

}  // namespace fusewick
