#pragma once
// The world high-score service over HTTP: the version reply with a fresh
// echo value, the submission, the upload of the game's recording, the world
// high-score page and its JSON form, the recordings of verified results, the
// home page, and for operators /healthz and /metrics. The network front runs
// on one event loop; database work runs on a small pool of store threads;
// verifier threads re-simulate uploaded recordings, each in a child process.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "HttpServer.h"
#include "Store.h"
#include "Verifier.h"

namespace fusewick::scores {

inline constexpr int ShowCount = 100;
inline constexpr int64_t EchoLifetimeSeconds = 300;

struct TServiceOptions {
  THttpLimits Http;
  size_t StoreThreads = 4;
  size_t StoreQueue = 256;
  // Requests a minute per address (0: no limit): version requests (echo
  // values), submissions, recording uploads.
  double EchoRate = 60, SubmitRate = 20, UploadRate = 20;
  // Scores above this (or below 0) are refused as implausible.
  int64_t MaxScore = 1000000;
  // Largest recording taken; no valid one is larger.
  size_t MaxRecordingBytes = size_t(1) << 20;
  // Threads that verify recordings (0: none in this process; jobs wait in
  // the database for a process that has them), and how they run the replay
  // runner: Verify's bounds, with the runner and data of the recording's
  // logic version (a recording whose header cannot be read goes to the
  // runner of the highest one, which refuses it). A recording of a logic
  // version without a runner waits in the queue, "unverifiable", until a
  // process that has one takes it.
  size_t Verifiers = 1;
  TVerifierOptions Verify;
  TVerifierPlaces Runners;
  // How often an idle verifier looks for jobs queued by other processes.
  std::chrono::milliseconds VerifyPoll{1000};
  // Whether the page and the API list unverified results at all.
  bool ShowUnverified = true;
  bool RequestLog = true;
  std::chrono::milliseconds MaintainEvery{2000};
  std::chrono::milliseconds PageCacheTime{1000};
};

class ScoreServer {
 public:
  ScoreServer(IScoreStore& store, const TServiceOptions& options);
  ~ScoreServer();

  // Binds the listening socket; port 0 takes a free one. Returns the port;
  // throws std::runtime_error if it cannot.
  int Bind(const std::string& host, int port);
  // Serves until Stop.
  void Run();
  // Safe from any thread.
  void Stop();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace fusewick::scores
