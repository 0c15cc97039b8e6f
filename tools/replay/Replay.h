#pragma once
// The headless replay runner: drives the real game on a null platform with
// a fake clock (30 ms per tick), scripted input, a per-tick trace, PNG
// shots of the back surface and a timing run.
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "form/Screens.h"

namespace fusewick {
class TMForm;
class TDirectDrawSurface;
}  // namespace fusewick

namespace fusewick::replay {

// One line of a script: before tick Tick, press or release an input, or
// type a text.
struct TInputChange {
  enum TAction { Press, Release, Type };
  int32_t Tick = 0;
  TAction Action = Press;
  std::string Name;  // the input (Press, Release) or the text (Type)
};

// A script or argument error, with the script's line number when there is one.
class TReplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The inputs a script can hold, and their virtual keys.
int InputKey(const std::string& name);  // 0 when unknown

// What a script may hold: a script is typed or generated, never large,
// and the bytes bound the number of lines as well.
constexpr size_t kMaxScriptBytes = size_t(4) << 20;
constexpr size_t kMaxScriptLine = 4096;  // characters, without the line end
// Reads a script; throws TReplayError naming the line, also when it goes
// beyond the bounds above.
std::vector<TInputChange> ParseScript(std::istream& in);

// Ranges of the numeric arguments. Every level before --level is built
// when the run starts; a timing run keeps figures for every tick.
constexpr int32_t kMaxLevel = 1000;
constexpr int32_t kMaxTicks = 10000000;  // more than 80 hours of play
constexpr double kMinFrameRate = 1, kMaxFrameRate = 1000;

struct TOptions {
  std::optional<uint32_t> Seed;  // none: the clock's seed, as the game does
  bool StartGame = false;        // --start game
  // --start options|highscores|help: the main menu's button that opens it.
  std::optional<TMainMenuButton> StartButton;
  int32_t Level = 1;  // with StartGame: play StartLevel 2..Level first
  int32_t Ticks = 0;
  std::vector<TInputChange> Script;
  double FrameRate = 0;  // above 0: FrameRate held at this value
  std::string TracePath;
  std::vector<std::pair<int32_t, std::string>> Shots;  // after tick, file
  bool Timedemo = false;
  std::string DataDir;  // changed into before start-up when set
  // Seeded random play instead of (after) the script: walks, jumps, fires,
  // pauses, now and then quits, enters a name when the game is lost and
  // starts the next game (at --level again).
  std::optional<uint32_t> RandomInput;
  // The hero is given the gun whenever it has none (for measuring play with
  // shots in the air).
  bool Armed = false;
  // The game's sound through SDL's audio (SDL_AUDIODRIVER=disk records it),
  // one tick per 30 ms of real time so that it sounds as in play.
  bool Audio = false;
  // --replay FILE: plays a recorded game back (its ticks, from the main
  // menu's New Game) and checks it against the scores it stores.
  std::string ReplayPath;
  std::optional<int32_t> MaxTicks;  // a longer recording is refused
  // --record FILE: the recording of the first game that ends in the run.
  std::string RecordPath;
};

// What re-playing a recording gave.
struct TReplayResult {
  int32_t Score = 0, Level = 0, Ticks = 0;
  std::string Name;        // the name it submitted, or empty
  std::string Divergence;  // empty when it reproduced the recording
};

// A recording longer than --max-ticks.
class TReplayTooLong : public TReplayError {
 public:
  using TReplayError::TReplayError;
};

// The name as the runner prints it: bytes outside 0x20..0x7E and the
// backslash as \xNN.
std::string EscapeName(const std::string& name);

// What a run saw: for soak runs.
struct TRunFigures {
  int32_t Ticks = 0;
  int32_t GamesStarted = 0;
  int32_t HighestLevel = 0;
  int32_t MaxLiveSprites = 0;  // sprites alive in the engine after a tick
  int32_t MaxKillList = 0;     // killed, not yet freed
  double Seconds = 0;
};
void PrintFigures(const TRunFigures& f, std::ostream& out);

// Reads the command line (without the program name). Throws TReplayError.
TOptions ParseArguments(const std::vector<std::string>& args);

// One trace line (no newline) of the game's state after a tick.
std::string TraceLine(int32_t tick);

// Writes the RGB565 surface as an 8-bit RGB PNG. Throws TReplayError.
void WritePng(const TDirectDrawSurface& surface, const std::string& path);

struct TTimedemo {
  int32_t Ticks = 0;
  double TicksPerSecond = 0;
  double MedianUs = 0, P99Us = 0, WorstUs = 0;
  // Heap allocations in the second half of the run (the steady state):
  // how many ticks allocated, and how many allocations in all.
  int32_t SteadyTicks = 0;
  int32_t AllocatingTicks = 0;
  uint64_t Allocations = 0;
  // The same for the ticks of running play among them (no window open).
  int32_t PlayTicks = 0;
  int32_t AllocatingPlayTicks = 0;
  bool AllocationsCounted = false;
};
void PrintTimedemo(const TTimedemo& t, std::ostream& out);

// Counts heap allocations when the program installs a counter (the
// runner's executable replaces the global allocation functions).
extern uint64_t (*AllocationCount)();

class TRunner {
 public:
  explicit TRunner(TOptions options);
  ~TRunner();
  TRunner(const TRunner&) = delete;
  TRunner& operator=(const TRunner&) = delete;

  // Called with the form before its start-up (tests fill image lists here).
  std::function<void(TMForm&)> BeforeCreate;
  // Called after every tick with its number.
  std::function<void(int32_t tick)> AfterTick;

  // Starts the program, runs the ticks, writes trace and shots; the timing
  // figures when Timedemo is set.
  TTimedemo Run();
  TMForm& Form();
  const TRunFigures& Figures() const;
  // After Run with ReplayPath.
  const TReplayResult& ReplayResult() const;
  // Recordings that --record wrote (0 or 1).
  int32_t RecordingsWritten() const;

 private:
  struct TImpl;
  TImpl* impl_;
};

}  // namespace fusewick::replay
