// fusewick-scores: the world high-score server of Fusewick.
//
//   fusewick-scores [--host 127.0.0.1] [--port 8080] [--db scores.sqlite]
//                   [--threads 32] [--full-sync]
//
// Port 0 takes a free port. Once listening it prints one line,
// "fusewick-scores listening on HOST:PORT", and serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>
#include <thread>

#include "EchoBook.h"
#include "ScoreServer.h"
#include "ScoreStore.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: fusewick-scores [--host ADDRESS] [--port N] [--db FILE] [--threads N] [--full-sync]\n"
               "  --host ADDRESS  address to listen on (default 127.0.0.1; 0.0.0.0 for every interface)\n"
               "  --port N        TCP port (default 8080; 0 picks a free one)\n"
               "  --db FILE       SQLite database of the results (default scores.sqlite)\n"
               "  --threads N     requests served at once (default 32)\n"
               "  --full-sync     sync every stored result to disk (survives a power failure; slower)\n");
}

bool ParseNumber(const char* text, long low, long high, long& out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string host = "127.0.0.1", db = "scores.sqlite";
  long port = 8080, threads = 32;
  bool fullSync = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--host" && hasValue) {
      host = argv[++i];
    } else if (arg == "--port" && hasValue) {
      if (!ParseNumber(argv[++i], 0, 65535, port)) return Usage(), 2;
    } else if (arg == "--db" && hasValue) {
      db = argv[++i];
    } else if (arg == "--threads" && hasValue) {
      if (!ParseNumber(argv[++i], 1, 1024, threads)) return Usage(), 2;
    } else if (arg == "--full-sync") {
      fullSync = true;
    } else {
      Usage();
      return arg == "--help" || arg == "-h" ? 0 : 2;
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
    fusewick::scores::ScoreStore store(db, fullSync);
    fusewick::scores::EchoBook echoes(std::chrono::seconds(300), 100000);
    fusewick::scores::ScoreServer server(store, echoes, size_t(threads));
    int bound = server.Bind(host, int(port));
    if (bound < 0) {
      std::fprintf(stderr, "fusewick-scores: cannot listen on %s:%ld\n", host.c_str(), port);
      return 1;
    }
    std::thread stopper([&] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      server.Stop();
    });
    std::printf("fusewick-scores listening on %s:%d\n", host.c_str(), bound);
    std::fflush(stdout);
    bool ok = server.Run();
    // Run also ends without a signal if listening fails: wake the stopper.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return ok ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fusewick-scores: %s\n", e.what());
    return 1;
  }
}
