// Verifying recorded games: what the score server pays to re-play the
// recording of a submitted game. Random play seldom lasts 20 minutes, so
// the games of a seeded random run from level 6 (every kind of monster)
// are recorded until they hold 40,000 ticks together; each is then played
// back headless and checked against its stored scores, from the program's
// start-up (archives loaded) to the end of the game, as one verification
// job does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Replay.h"
#include "form/MainForm.h"
#include "game/PlayFlow.h"
#include "services/Globals.h"
#include "services/Recording.h"
#include "services/Records.h"
#include "services/SaveFiles.h"
#include "services/Sound.h"
#include "services/TestSeams.h"
#include "services/Text.h"

using namespace fusewick;
namespace fs = std::filesystem;

namespace {

constexpr int32_t kWantedTicks = 40000;

// A working folder that sees the built data, with its own Data/Save.
struct Recordings {
  fs::path Dir;
  std::vector<std::string> Files;
  int64_t Ticks = 0;

  Recordings() {
    Dir = fs::temp_directory_path() / ("fusewick-bench-" + std::to_string(::getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir / "Data" / "Save");
    for (const char* sub : {"Res", "Music"})
      fs::create_directory_symlink(fs::path(FUSEWICK_BINARY_DIR) / "Data" / sub, Dir / "Data" / sub);
    std::vector<std::string> games;
    ResetProgramState();
    RecorderState.OnRecorded = [&](const std::string& bytes, const TRecording& r) {
      if (Ticks >= kWantedTicks) return;
      games.push_back(bytes);
      Ticks += r.Ticks;
    };
    {
      replay::TRunner runner(replay::ParseArguments({"--data", Dir.string(), "--seed", "1", "--start", "game",
                                                     "--level", "6", "--random-input", "1", "--ticks", "200000"}));
      runner.Run();
    }
    for (size_t i = 0; i < games.size(); ++i) {
      Files.push_back((Dir / ("game" + std::to_string(i) + ".fwr")).string());
      if (!SaveFileAtomically(Files.back(), games[i])) std::abort();
    }
  }
  ~Recordings() {
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
};

void BM_VerifyRecordedGames(benchmark::State& state) {
  static Recordings recordings;
  if (recordings.Ticks < kWantedTicks) {
    state.SkipWithError("the random run did not make enough recorded ticks");
    return;
  }
  for (auto _ : state) {
    for (const std::string& file : recordings.Files) {
      ResetProgramState();
      replay::TRunner runner(replay::ParseArguments({"--data", recordings.Dir.string(), "--replay", file}));
      runner.Run();
      if (!runner.ReplayResult().Divergence.empty()) {
        state.SkipWithError(("a recording diverged: " + runner.ReplayResult().Divergence).c_str());
        return;
      }
    }
  }
  state.counters["games"] = double(recordings.Files.size());
  state.counters["ticks"] = double(recordings.Ticks);
  state.counters["ticks/s"] =
      benchmark::Counter(double(recordings.Ticks), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_VerifyRecordedGames)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
