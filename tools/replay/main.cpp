// fusewick-replay: runs the game headless from a script; see Replay.h.
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>
#include <string_view>

#include "Replay.h"
#include "services/LogicVersion.h"

namespace {
std::atomic<uint64_t> allocations{0};
uint64_t CountAllocations() { return allocations.load(std::memory_order_relaxed); }

// The folder of the running executable: the build folder, which holds Data/.
std::string ExecutableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

void Usage() {
  std::cerr << "usage: fusewick-replay [--data DIR] [--seed N] [--start menu|game|options|highscores|help]\n"
               "                       [--level N] [--ticks N] [--script FILE] [--frame-rate F] [--trace FILE]\n"
               "                       [--shot TICK:FILE.png]... [--timedemo] [--random-input SEED] [--armed]\n"
               "                       [--audio] [--record FILE]\n"
               "       fusewick-replay --replay FILE [--max-ticks N] [--data DIR] [--trace FILE]\n"
               "                       [--shot TICK:FILE.png]... [--timedemo]\n"
               "       fusewick-replay --logic-version     (prints the logic version it plays)\n";
}
}  // namespace

// Every heap allocation of the program is counted for the timing run.
void* operator new(std::size_t n) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  using namespace fusewick::replay;
  TOptions options;
  // Asked by the score server: which recordings this runner verifies.
  if (argc == 2 && std::string_view(argv[1]) == "--logic-version") {
    std::cout << fusewick::kLogicVersion << '\n';
    return 0;
  }
  try {
    options = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const TReplayError& e) {
    std::cerr << "fusewick-replay: " << e.what() << '\n';
    Usage();
    return 2;
  }
  if (options.DataDir.empty()) options.DataDir = ExecutableDir();
  AllocationCount = CountAllocations;
  try {
    TRunner runner(options);
    const TTimedemo demo = runner.Run();
    if (options.Timedemo) PrintTimedemo(demo, std::cout);
    if (options.RandomInput) PrintFigures(runner.Figures(), std::cout);
    if (!options.RecordPath.empty() && runner.RecordingsWritten() == 0) {
      std::cerr << "fusewick-replay: no game ended within the ticks: nothing recorded\n";
      return 2;
    }
    if (!options.ReplayPath.empty()) {
      const TReplayResult& r = runner.ReplayResult();
      std::cout << "score: " << r.Score << "\nlevel: " << r.Level << "\nticks: " << r.Ticks
                << "\nname: " << EscapeName(r.Name) << '\n'
                << std::flush;
      if (!r.Divergence.empty()) {
        std::cerr << "fusewick-replay: the recording diverged: " << r.Divergence << '\n';
        return 3;
      }
    }
  } catch (const TReplayTooLong& e) {
    std::cerr << "fusewick-replay: " << e.what() << '\n';
    return 4;
  } catch (const TReplayError& e) {
    std::cerr << "fusewick-replay: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "fusewick-replay: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
