#pragma once
// The two save files: the high-score table ("Data/Save/hs") and the options
// with the table's check string ("Data/Save/options"), plus the table's own
// operations (default table, qualification test, sort).
//
// Both files are read once at start-up. A missing, short or damaged file
// reads as empty lines and zero numbers; a file that exists but cannot be
// read (no permission, a folder, a special file) is told to the player and
// never written in that run. Nothing is written before start-up has read
// the files. The table is written as soon as it changes (a new entry, a
// cleared table), the options when the Options screen is left, and both at
// exit; a failed write is told to the player. A write never leaves a torn
// file behind: see SaveFileAtomically.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fusewick {

// Relative to the working directory.
inline constexpr const char* HighScoresPath = "Data/Save/hs";
inline constexpr const char* OptionsPath = "Data/Save/options";

// How long a name and the Options text may grow, in bytes. Name entry takes
// letters while the big-font pen is left of its limit less the cursor
// (504 - 20 px, from x 290): 33 of the narrowest letter, I (6 px a step),
// is the longest name that fits. The text row's limit (526 - 20 px, from
// x 294) fits 36. Spaces are taken whatever the width, so on top of that a
// text may carry trailing spaces up to a fixed cap. Typed text stops at the
// bound; longer text in a hand-edited file is cut when it is read.
inline constexpr size_t kNameFitBytes = 33;
inline constexpr size_t kTextFitBytes = 36;
inline constexpr size_t kTrailingSpaceCap = 32;
inline constexpr size_t kMaxNameBytes = kNameFitBytes + kTrailingSpaceCap;
inline constexpr size_t kMaxTextBytes = kTextFitBytes + kTrailingSpaceCap;
// The most a save file can hold, and so the most of it that is read: ten
// names and ten scores ("-2147483648" is the longest score text); three
// flags, the text and the check string (as long as the longest name).
inline constexpr size_t kMaxScoreTextBytes = 11;
inline constexpr size_t kHighScoresFileMaxBytes = 10 * (kMaxNameBytes + 2 + kMaxScoreTextBytes + 2);
inline constexpr size_t kOptionsFileMaxBytes = 3 * (1 + 2) + (kMaxTextBytes + 2) + (kMaxNameBytes + 2);

// One byte of the check string: ((a + b) mod 224) + 32, a and b unsigned.
// The result always lies in 32..255, so it survives a text line.
uint8_t Mix(uint8_t a, uint8_t b);

// Check string of entries 1..10 of HighScores.
std::string HighScoreCheckString();
// HighScoreCheck equals HighScoreCheckString byte for byte.
bool HighScoresIntact();
// Entries 1..10 := ten "ANONYMOUS" with 1000, 900, ..., 100.
void ResetHighScores();
// Some entry of 1..10 has a score strictly below score.
bool ScoreQualifies(int32_t score);
// Stable descending sort of entries 1..11; entry 11 ends up the lowest.
void SortHighScores();

// What reading a save file found.
enum class TSaveFileStatus : uint8_t {
  NotRead,     // start-up has not read it (yet, or it failed before)
  Missing,     // no such file: defaults, and it may be written
  Read,        // read (a damaged or short file too)
  Unreadable,  // exists but cannot be read: left alone for the whole run
};

// Read entries 1..10 from the hs file / GameOptions and HighScoreCheck from
// the options file, at most a save file's size of each; names and the text
// are cut to their bounds. What was found is returned.
TSaveFileStatus LoadHighScores();
TSaveFileStatus LoadOptions();
// Write the files whole; true when the new file is in place. The folder
// Data/Save is created when it is missing.
bool SaveHighScores();
bool SaveOptions();

// Start-up: the table, then the options; a table that fails its check is
// replaced by the default table before anything shows it. From here on the
// program may save (see SavesAllowed).
void LoadSaveFiles();
// True once LoadSaveFiles has read the save files: a start-up that failed
// before them saves nothing, ever.
bool SavesAllowed();
TSaveFileStatus HighScoresFileStatus();
TSaveFileStatus OptionsFileStatus();
// The message for the player about save files that exist but cannot be
// read, naming each; empty when there are none.
std::string UnreadableSaveFilesText();

// The program's saves. The table is written only when both files were read
// (or missing): with an unreadable options file the table in memory is the
// default one, not the player's. The options are written unless their own
// file is unreadable; their check string is always that of the table on
// disk, so a table that could not be written keeps its pair. A file whose
// content has not changed since it was read or written is not written again.
// A failed write is told to the player in a message box that names the file
// (once for the same unsaved content); what is about the table's change.
//
// A new entry or a cleared table: the table, then the options.
bool SaveTableNow(std::string_view what);
// Leaving the Options screen: the options.
bool SaveOptionsNow();
// Exit: the table, then the options.
void SaveSaveFiles();
// The system asks the program to end: as SaveSaveFiles, but nothing is
// shown, so the program can end at once.
void SaveSaveFilesQuietly();

// The program-wide save state back to its start (tests start clean).
void ResetSaveFileState();

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
