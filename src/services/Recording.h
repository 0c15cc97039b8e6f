#pragma once
// Recorded games. A recording holds what steered one game from outside: the
// random generator's state when the game started, the start values of the
// input flags, the frame rate, the high-score table's lowest score and the
// name typed last time; then per tick the timer's lag, the frame rate, the
// input states, the Ctrl press and the characters typed and window close
// requests that came before the tick. With them it keeps the score at the
// end of every level and of the game, and the name the game submitted.
//
// The file ("NAME.fwr") is a short header (RecordingHeader.h: magic, format
// version, game version, the logic version that made it and a fingerprint
// of the images it was played with) and a zlib stream of the body. The ticks are run-length coded: a tick like the one
// before costs nothing but a count. The reader takes nothing on trust:
// sizes, counts, lengths and values are checked against fixed bounds, and
// the body is unpacked into a buffer of the size the header declares, no
// more.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "services/Globals.h"
#include "services/LogicVersion.h"
#include "services/RecordingHeader.h"
#include "services/TickInput.h"

namespace fusewick {

// No valid recording is larger; readers refuse more.
constexpr size_t kMaxRecordingBytes = size_t(1) << 20;
// The body unpacked, and the ticks of one game (more than 80 hours of play).
constexpr size_t kMaxRecordingBodyBytes = size_t(16) << 20;
constexpr int32_t kMaxRecordingTicks = 10000000;
// A tick's timer lag (intervals that passed: a stalled machine gives more).
constexpr int32_t kMaxRecordedLag = 1 << 20;
// The frame rate a recording may carry (the timer's measure is within it).
constexpr double kMinRecordedFrameRate = 1, kMaxRecordedFrameRate = 1000;
// Levels a game may start at (the replay runner's range).
constexpr int32_t kMaxRecordedStartLevel = 1000;
constexpr uint32_t kMaxRecordedEventsPerTick = 1024;

// Where the game keeps its recordings (relative to the working folder), and
// how many of the latest games it keeps besides those whose score is in the
// high-score table.
inline constexpr const char* RecordingsFolder = "Data/Save/replays";
constexpr size_t kKeptRecordings = 20;

class ERecordingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What happened between two ticks, in order: a character typed at the name
// entry, or a request to close the window during play (a tick's input
// holds one or the other: typing needs the name entry, a close request a
// running game).
enum class TRecordedEvent : uint8_t { Char = 1, Close = 2 };

struct TRecordedTick {
  int32_t LagCount = 1;
  double FrameRate = 0;
  uint64_t States = 0;  // TDXInputStates bits
  bool CtrlPressed = false;
  std::string_view Events;  // byte pairs: TRecordedEvent, value
  // Lag, frame rate (bit for bit), states and Ctrl alike.
  bool SameAs(const TRecordedTick& o) const;
};

struct TLevelMark {
  int32_t Level = 0;  // the level that ended
  int32_t Tick = 0;   // the tick it ended at
  int32_t Score = 0;
  friend bool operator==(const TLevelMark&, const TLevelMark&) = default;
};

// What a game started from.
struct TRecordingStart {
  uint32_t Seed = 0;
  int32_t StartLevel = 1;
  int32_t Interval = kTimerInterval;
  double FrameRate = 1000.0 / kTimerInterval;
  TInputFlags Flags;
  int32_t QualifyAbove = 0;  // the table's lowest score: a higher score enters the table
  std::string PlayerName;    // the name the name entry starts from
};

struct TRecording {
  std::string GameVersion;    // the game's version, for information
  uint32_t LogicVersion = 0;  // the logic that made it (kLogicVersion)
  uint64_t ImageFingerprint = 0;
  TRecordingStart Start;
  int32_t Ticks = 0;
  std::string TickStream;
  std::vector<TLevelMark> Levels;
  int32_t FinalScore = 0;
  int32_t FinalLevel = 0;
  bool Submitted = false;
  std::string Name;  // the submitted name (empty without a submission)
};

// Codes ticks into a stream kept with its room reserved up front: adding a
// tick allocates nothing while the room lasts.
class TTickWriter {
 public:
  void Reset(size_t reserve);
  // False (and nothing added) when the stream would outgrow the body's bound.
  bool Add(const TRecordedTick& tick);
  // Writes out a pending run; the stream is then complete.
  void Finish();
  const std::string& Stream() const { return out_; }
  int32_t Ticks() const { return ticks_; }

 private:
  void FlushRun();
  std::string out_;
  TRecordedTick last_;
  uint32_t run_ = 0;
  int32_t ticks_ = 0;
};

// Reads the ticks of a stream one by one, without allocating.
class TTickReader {
 public:
  TTickReader() = default;
  explicit TTickReader(std::string_view stream) : in_(stream) {}
  // The next tick; false at the end. Throws ERecordingError on a damaged
  // stream or a value out of its range.
  bool Next(TRecordedTick& tick);

 private:
  std::string_view in_;
  size_t at_ = 0;
  TRecordedTick last_;
  uint32_t run_ = 0;
};

// The file's bytes; throws ERecordingError when they would pass
// kMaxRecordingBytes.
std::string EncodeRecording(const TRecording& r);
// Reads and checks a whole recording (every tick too). Throws
// ERecordingError with a message for the player.
TRecording DecodeRecording(std::string_view bytes);
// Reads at most kMaxRecordingBytes + 1 of a plain file and decodes it.
TRecording ReadRecordingFile(const std::string& path);

// The game's version ("2.0"), for information: a recording plays on every
// build of its logic version (LogicVersion.h).
std::string GameVersionText();
// The loaded images' names and sizes (the sprites' bounds are part of play),
// set by the form once the archives are loaded; a recording carries it and
// plays back only with the same.
void SetImageFingerprint(uint64_t h);
// FNV-1a, 64 bits, to mix into the image fingerprint.
uint64_t MixFingerprint(uint64_t h, std::string_view bytes);
constexpr uint64_t kFingerprintStart = 14695981039346656037ull;

// ---- the game's recorder and player

enum class TRecorderMode : uint8_t { Idle, Recording, Playing };

struct TRecorderState {
  TRecorderMode Mode = TRecorderMode::Idle;
  bool Enabled = true;  // games are recorded
  // Finished recordings go here (none when empty), and to the hook.
  std::string Folder = RecordingsFolder;
  std::function<void(const std::string& bytes, const TRecording&)> OnRecorded;

  TRecording Current;  // being recorded, or played back
  TTickWriter Writer;
  int32_t Tick = 0;
  bool Overflow = false;  // the game outgrew a recording's bounds
  bool EnteredTable = false;
  std::string LastBytes;  // the last finished recording's file
  std::string LastSavedPath;

  // Playback.
  TTickReader Reader;
  size_t NextLevel = 0;
  bool PlaybackPaused = false;
  // The watcher's P and Escape as held at the last tick.
  bool WatcherPauseHeld = false, WatcherEscapeHeld = false;
  bool PlaybackEnded = false;
  std::string Divergence;  // the first place it went elsewhere
  int32_t ResultScore = 0, ResultLevel = 0, ResultTicks = 0;
  bool ResultSubmitted = false;
  std::string ResultName;

  uint64_t ImageFingerprint = kFingerprintStart;
};
extern TRecorderState RecorderState;
void ResetRecorderState();

inline bool RecordingGame() { return RecorderState.Mode == TRecorderMode::Recording; }
inline bool PlayingBack() { return RecorderState.Mode == TRecorderMode::Playing; }

// A new game starts (after its state is reset, before it is built): records
// what it starts from, or, when playing back, puts that back.
void BeginGameRecording();
// The runner started the game at a later level.
void RecordStartLevel(int32_t level);
// A game tick's input, as the form built it, before the frame runs.
void RecordTick(const TTickInput& in);
// The level ended with this score (the next one starts).
void NoteLevelEnd(int32_t level, int32_t score);
// The name entry put the score into the table.
void NoteScoreEnteredTable();
// The game submits its score: the finished recording's bytes (empty when
// none was made) to send with it.
const std::string& NoteSubmission(const std::string& name, int32_t score, int32_t level);
// The game left its screen (every way out).
void NoteGameEnded(int32_t score, int32_t level);
// Whether the score enters the table, as the recorded game saw it.
bool RecordedScoreQualifies(int32_t score);

// Playback: the recording is checked against this build (ERecordingError
// naming both logic versions when it was made by another one, or when it
// was played with other images) and played by the next new game.
void BeginPlayback(TRecording r);
// The next tick's input as recorded; false at the recording's end.
bool NextPlaybackTick(TTickInput& in);
// Playback ends: a divergence is noted when the game did not end as
// recorded; the mode goes back to idle.
void EndPlayback();

// Saves a finished recording into the folder under a new name and prunes
// the folder; the path, or empty when it could not be written.
std::string SaveRecording(const std::string& folder, const std::string& bytes, int32_t score, bool enteredTable);
// Removes the recordings beyond the latest kKeptRecordings, except those
// whose score is still in the high-score table.
void PruneRecordings(const std::string& folder);

}  // namespace fusewick
