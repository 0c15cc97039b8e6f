#pragma once
// The two save files: the high-score table ("Data/Save/hs") and the options
// with the table's check string ("Data/Save/options"), plus the table's own
// operations (default table, qualification test, sort).
//
// Both files are read once at start-up and written once at exit. Reading
// never fails: a missing, short or damaged file reads as empty lines and
// zero numbers. Writing is silent too (the game ignores the result), but it
// never leaves a torn file behind: see SaveFileAtomically.
#include <cstdint>
#include <string>
#include <string_view>

namespace fusewick {

// Relative to the working directory.
inline constexpr const char* HighScoresPath = "Data/Save/hs";
inline constexpr const char* OptionsPath = "Data/Save/options";

// One byte of the check string: ((a + b) mod 224) + 32, a and b unsigned.
// The result always lies in 32..255, so it survives a text line.
uint8_t Mix(uint8_t a, uint8_t b);

// Check string of entries 1..10 of HighScores.
std::string HighScoreCheckString();
// HighScoreCheck equals HighScoreCheckString byte for byte.
bool HighScoresIntact();
// Entries 1..10 := ten "ANONYMOUS" with 1000, 900, ..., 100.
void ResetHighScores();
// Some entry of 1..10 has a score strictly below Score.
bool ScoreQualifies();
// Stable descending sort of entries 1..11; entry 11 ends up the lowest.
void SortHighScores();

// Reads entries 1..10 from the hs file.
void LoadHighScores();
// Reads GameOptions and HighScoreCheck from the options file.
void LoadOptions();
// Write the files whole; true when the new file is in place. The folder
// Data/Save is created when it is missing.
bool SaveHighScores();
bool SaveOptions();

// Start-up: the table, then the options; a table that fails its check is
// replaced by the default table before anything shows it.
void LoadSaveFiles();
// Exit: the options first, then the table.
void SaveSaveFiles();

// Replaces the file at path with content so that, whatever happens during
// the call (a crash, a kill, a full disk, a power loss), the file holds
// either its old content or the new one, never a mix or nothing. The
// parent folder is created when it is missing. True when the new content
// is in place.
bool SaveFileAtomically(const std::string& path, std::string_view content);

// A line of a save file read as a number: leading blanks skipped, the text
// up to the next blank or control character taken as a decimal integer.
int32_t ParseSaveNumber(std::string_view line);

}  // namespace fusewick
