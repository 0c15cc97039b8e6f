#pragma once
// Verifying a recorded game: the game's headless replay runner re-simulates
// the recording in a child process, bounded in ticks, wall-clock time,
// address space and CPU time, and says which name and score the game it
// recorded submitted. Nothing of the recording is trusted: it is a file for
// the child, and the child's output is read through a small bounded pipe.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace fusewick::scores {

struct TVerifierOptions {
  std::string Program;        // the replay runner
  std::string Data;           // its --data folder (holding Data/); empty: the runner's own default
  int64_t MaxTicks = 400000;  // ticks of 30 ms: over three hours of play
  std::chrono::milliseconds Time{60000};
  size_t AddressSpaceBytes = size_t(1) << 30;  // 0: no limit
};

struct TVerdict {
  bool Ran = false;     // the child ran to its end (not interrupted, not unstartable)
  int ExitStatus = -1;  // -1: killed by a signal or for its time
  bool TimedOut = false;
  bool HasName = false, HasScore = false;
  std::string Name;  // unescaped
  int64_t Score = 0;
  std::string Message;  // the child's first line on stderr, or why it failed
};

// A replay runner and its data, by the logic version it plays.
struct TVerifierPlace {
  std::string Program;
  std::string Data;  // its --data folder; empty: the runner's own default
};
using TVerifierPlaces = std::map<uint32_t, TVerifierPlace>;

// Asks a runner which logic version it plays ("PROGRAM --logic-version"
// prints the number), within a few seconds. None, with why, when it cannot
// say (missing, not a runner, a runner from before logic versions).
std::optional<uint32_t> AskLogicVersion(const std::string& program, std::string& why);

// The logic version a recording's header names; none when the header
// cannot be read. A recording of format 1 (before logic versions) is
// version 0: the runner of the release before them verifies it.
std::optional<uint32_t> RecordingLogicVersion(std::string_view recording);

// Reads the runner's "score: N" and "name: NAME" lines (NAME with \xNN
// escapes); other lines are skipped. A line given twice, a malformed number
// or escape makes the output unreadable: false.
bool ParseVerifierOutput(std::string_view output, TVerdict& verdict);

// Re-simulates the recording. Returns early, with Ran false and the child
// killed, when stop becomes true.
TVerdict RunVerifier(const TVerifierOptions& options, const std::string& recording, const std::atomic<bool>& stop);

// True only for a run that ended with status 0 and reproduced exactly this
// name and score.
bool Confirms(const TVerdict& verdict, const std::string& name, int32_t score);

}  // namespace fusewick::scores
