// fusewick-scores: the world high-score server of Fusewick.
//
//   fusewick-scores [--host 127.0.0.1] [--port 8080] [--db scores.sqlite] [options]
//
// Port 0 takes a free port. Once listening it prints one line,
// "fusewick-scores listening on HOST:PORT", and serves until SIGINT or SIGTERM.
// One line per request goes to stderr.
#include <pthread.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ScoreServer.h"
#include "Store.h"

namespace {

using fusewick::scores::TServiceOptions;
using fusewick::scores::TStoreLimits;

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: fusewick-scores [options]\n"
               "  --host ADDRESS            address to listen on (default 127.0.0.1; 0.0.0.0 for every interface)\n"
               "  --port N                  TCP port (default 8080; 0 picks a free one)\n"
               "  --db FILE|URL             SQLite file (default scores.sqlite) or postgresql://... URL\n"
               "  --full-sync               SQLite: sync every stored result to disk (survives a power failure)\n"
               "  --store-threads N         threads for database work (default 4)\n"
               "  --store-queue N           database jobs that may wait; more are answered 503 (default 256)\n"
               "  --echo-rate N             version requests a minute per address (default 60; 0: no limit)\n"
               "  --submit-rate N           submissions a minute per address (default 20; 0: no limit)\n"
               "  --upload-rate N           recording uploads a minute per address (default 20; 0: no limit)\n"
               "  --max-score N             higher scores are refused as implausible (default 1000000)\n"
               "  --max-rows N              rows kept; the oldest unverified go first (default 1000000)\n"
               "  --max-rows-per-name N     results kept per name, its best (default 100)\n"
               "  --connections-per-address N   open connections per address or IPv6 /64 (default 32)\n"
               "  --max-connections N       open connections in all (default 4000)\n"
               "  --connection-age S        seconds a connection may stay open (default 60)\n"
               "  --requests-per-connection N   requests on one connection (default 100)\n"
               "  --header-time S           seconds for a request's header, idle time included (default 5)\n"
               "  --body-time S             seconds for a request's body (default 10)\n"
               "  --max-recording-bytes N   largest recording taken; larger uploads get 413 (default 1048576)\n"
               "  --uploads-at-once N       uploads taken at once; more are answered 503 (default 32)\n"
               "  --verifiers N             threads that verify recordings (default 1; 0: none in this process)\n"
               "  --verifier [N=]PATH       a replay runner, for the recordings of logic version N (without N=,\n"
               "                            the runner is asked: PATH --logic-version); repeatable, one per\n"
               "                            version (default: fusewick-replay beside this program)\n"
               "  --verifier-data DIR       the folder holding Data/ for the --verifier before it (default: the\n"
               "                            runner's own)\n"
               "  --verify-max-ticks N      ticks a verification may re-simulate (default 400000)\n"
               "  --verify-time S           seconds a verification may take (default 60)\n"
               "  --verify-memory MIB       address space of a verification in MiB (default 1024; 0: no limit)\n"
               "  --show-unverified yes|no  whether the page and the API list unverified results (default yes)\n"
               "  --no-request-log          no line per request on stderr\n");
}

bool ParseNumber(const char* text, long long low, long long high, long long& out) {
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
  out = v;
  return true;
}

// A program in the folder of this one.
std::string BesideThisProgram(const char* name) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return name;
  return (self.parent_path() / name).string();
}

}  // namespace

int main(int argc, char** argv) {
  std::string host = "127.0.0.1", db = "scores.sqlite";
  long long port = 8080;
  bool fullSync = false;
  TServiceOptions options;
  TStoreLimits limits;

  using Setter = std::function<void(long long)>;
  struct Numeric {
    long long low, high;
    Setter set;
  };
  const std::map<std::string, Numeric> numeric = {
      {"--port", {0, 65535, [&](long long v) { port = v; }}},
      {"--store-threads", {1, 64, [&](long long v) { options.StoreThreads = size_t(v); }}},
      {"--store-queue", {1, 100000, [&](long long v) { options.StoreQueue = size_t(v); }}},
      {"--echo-rate", {0, 1000000, [&](long long v) { options.EchoRate = double(v); }}},
      {"--submit-rate", {0, 1000000, [&](long long v) { options.SubmitRate = double(v); }}},
      {"--upload-rate", {0, 1000000, [&](long long v) { options.UploadRate = double(v); }}},
      {"--max-score", {0, INT32_MAX, [&](long long v) { options.MaxScore = v; }}},
      {"--max-rows", {1, INT64_MAX, [&](long long v) { limits.MaxRows = v; }}},
      {"--max-rows-per-name", {1, INT64_MAX, [&](long long v) { limits.MaxRowsPerName = v; }}},
      {"--connections-per-address", {1, 100000, [&](long long v) { options.Http.ConnectionsPerAddress = int(v); }}},
      {"--max-connections", {1, 1000000, [&](long long v) { options.Http.Connections = int(v); }}},
      {"--connection-age", {1, 86400, [&](long long v) { options.Http.ConnectionAge = std::chrono::seconds(v); }}},
      {"--requests-per-connection", {1, 1000000, [&](long long v) { options.Http.RequestsPerConnection = int(v); }}},
      {"--header-time", {1, 3600, [&](long long v) { options.Http.HeaderTime = std::chrono::seconds(v); }}},
      {"--body-time", {1, 3600, [&](long long v) { options.Http.BodyTime = std::chrono::seconds(v); }}},
      {"--max-recording-bytes", {1, 64 << 20, [&](long long v) { options.MaxRecordingBytes = size_t(v); }}},
      {"--uploads-at-once", {1, 100000, [&](long long v) { options.Http.Uploads = int(v); }}},
      {"--verifiers", {0, 64, [&](long long v) { options.Verifiers = size_t(v); }}},
      {"--verify-max-ticks", {1, 100000000, [&](long long v) { options.Verify.MaxTicks = v; }}},
      {"--verify-time", {1, 3600, [&](long long v) { options.Verify.Time = std::chrono::seconds(v); }}},
      {"--verify-memory", {0, 1 << 20, [&](long long v) { options.Verify.AddressSpaceBytes = size_t(v) << 20; }}},
  };
  // The runners as given: "N=PATH" or "PATH" (asked for its version once
  // the options are read), each with its data folder.
  struct TGivenVerifier {
    std::optional<uint32_t> Version;
    fusewick::scores::TVerifierPlace Place;
  };
  std::vector<TGivenVerifier> given;
  bool verifierGiven = false;

  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (auto it = numeric.find(arg); it != numeric.end() && hasValue) {
      long long v = 0;
      if (!ParseNumber(argv[++i], it->second.low, it->second.high, v)) {
        std::fprintf(stderr, "fusewick-scores: bad value for %s: %s\n", arg.c_str(), argv[i]);
        return 2;
      }
      it->second.set(v);
    } else if (arg == "--host" && hasValue) {
      host = argv[++i];
    } else if (arg == "--db" && hasValue) {
      db = argv[++i];
    } else if (arg == "--verifier" && hasValue) {
      std::string v = argv[++i];
      TGivenVerifier g;
      const size_t eq = v.find('=');
      long long n = 0;
      if (eq != std::string::npos && eq > 0 && v.find_first_not_of("0123456789") == eq) {
        if (!ParseNumber(v.substr(0, eq).c_str(), 0, UINT32_MAX, n) || eq + 1 == v.size()) {
          std::fprintf(stderr, "fusewick-scores: bad value for --verifier: %s\n", v.c_str());
          return 2;
        }
        g.Version = uint32_t(n);
        v = v.substr(eq + 1);
      }
      g.Place.Program = v;
      if (!verifierGiven) given.clear();
      verifierGiven = true;
      given.push_back(g);
    } else if (arg == "--verifier-data" && hasValue) {
      if (given.empty()) given.push_back({std::nullopt, {BesideThisProgram("fusewick-replay"), ""}});
      given.back().Place.Data = argv[++i];
    } else if (arg == "--show-unverified" && hasValue) {
      std::string v = argv[++i];
      if (v != "yes" && v != "no") {
        std::fprintf(stderr, "fusewick-scores: --show-unverified takes yes or no, not %s\n", v.c_str());
        return 2;
      }
      options.ShowUnverified = v == "yes";
    } else if (arg == "--full-sync") {
      fullSync = true;
    } else if (arg == "--no-request-log") {
      options.RequestLog = false;
    } else if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "fusewick-scores: unknown option or missing value: %s\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
  }

  // Each runner's logic version; a runner given by path alone is asked. A
  // process without verifier threads runs none and asks none.
  if (given.empty()) given.push_back({std::nullopt, {BesideThisProgram("fusewick-replay"), ""}});
  for (TGivenVerifier& g : options.Verifiers > 0 ? given : std::vector<TGivenVerifier>{}) {
    if (!g.Version) {
      std::string why;
      g.Version = fusewick::scores::AskLogicVersion(g.Place.Program, why);
      if (!g.Version) {
        if (verifierGiven) {
          std::fprintf(stderr, "fusewick-scores: --verifier %s: %s; give its logic version as --verifier N=PATH\n",
                       g.Place.Program.c_str(), why.c_str());
          return 2;
        }
        // No runner beside the server: recordings wait in the queue (said
        // once one does).
        continue;
      }
    }
    if (!options.Runners.emplace(*g.Version, g.Place).second) {
      std::fprintf(stderr, "fusewick-scores: two verifiers for logic version %u\n", *g.Version);
      return 2;
    }
  }

  // SIGINT and SIGTERM are taken by one waiting thread, which stops the
  // server; every other thread has them blocked.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  try {
    auto store = fusewick::scores::OpenStore(db, limits, fullSync);
    fusewick::scores::ScoreServer server(*store, options);
    int bound = server.Bind(host, int(port));
    std::thread stopper([&] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      server.Stop();
    });
    std::printf("fusewick-scores listening on %s:%d\n", host.c_str(), bound);
    std::fflush(stdout);
    server.Run();
    // Run also ends without a signal on an error: wake the stopper.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fusewick-scores: %s\n", e.what());
    return 1;
  }
}
