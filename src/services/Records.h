#pragma once
// The records the save files hold, and the program's one instance of each.
#include <array>
#include <cstdint>
#include <string>

namespace fusewick {

struct THighScore {
  std::string Name;
  int32_t Score = 0;
  friend bool operator==(const THighScore&, const THighScore&) = default;
};

struct TGameOptions {
  bool FullScreen = false;
  bool MusicOn = false;
  bool SoundOn = false;
  std::string AddText;  // the Options screen's free-text row
};

// The program's one instance of each record; `RecordsState = {}` puts them
// back to their start.
struct TRecordsState {
  // The program's options: its fields are the shell's FullScreen, MusicOn,
  // SoundOn and AddText.
  TGameOptions GameOptions;
  // Entries 1..10 are the table, best first; entry 11 takes a new result
  // before sorting and is never saved. Index 0 is unused so that indices
  // match.
  std::array<THighScore, 12> HighScores;
  // The check string read from the options file.
  std::string HighScoreCheck;
};
extern TRecordsState RecordsState;

inline auto& GameOptions = RecordsState.GameOptions;
inline auto& HighScores = RecordsState.HighScores;
inline auto& HighScoreCheck = RecordsState.HighScoreCheck;

// Puts the records, and what the program knows of their files, back to
// their start-up values (tests start clean).
void ResetRecords();

}  // namespace fusewick
