#include "ScoreServer.h"

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "Metrics.h"
#include "Pages.h"
#include "RateLimiter.h"
#include "Submission.h"
#include "WorkPool.h"

#ifndef FUSEWICK_VERSION
#define FUSEWICK_VERSION "0"
#endif

namespace fusewick::scores {

namespace {

using Clock = std::chrono::steady_clock;
using Params = std::multimap<std::string, std::string>;

const char* const PlainText = "text/plain; charset=us-ascii";
const char* const Html = "text/html; charset=utf-8";
const char* const UploadPath = "/replay";
const char* const ShowTarget = "/cgi/version.pl?prg=Fusewick&type=0&show";

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Decode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && Hex(s[i + 1]) >= 0 && Hex(s[i + 2]) >= 0) {
      out += char(Hex(s[i + 1]) * 16 + Hex(s[i + 2]));
      i += 2;
    } else {
      out += s[i] == '+' ? ' ' : s[i];
    }
  }
  return out;
}

// The query's key=value pairs, decoded; a key without "=" has an empty value.
Params ParseQuery(std::string_view query) {
  Params params;
  while (!query.empty()) {
    size_t amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (pair.empty()) continue;
    size_t eq = pair.find('=');
    params.emplace(Decode(pair.substr(0, eq)), eq == std::string_view::npos ? "" : Decode(pair.substr(eq + 1)));
  }
  return params;
}

enum class Call { Version, Submit, Show, Bad };

// What a query of version.pl asks for. Each key may come once, only the
// keys of the three calls are known, and the program must be Fusewick.
Call Classify(const Params& params, std::string& why) {
  static const std::set<std::string> known = {"version", "hs", "show", "prg", "type", "inf"};
  for (const auto& [key, value] : params) {
    if (!known.count(key)) {
      why = "unknown parameter";
      return Call::Bad;
    }
    if (params.count(key) != 1) {
      why = "repeated parameter";
      return Call::Bad;
    }
  }
  auto value = [&](const char* key) { return params.find(key)->second; };
  auto has = [&](const char* key) { return params.count(key) == 1; };
  if (!has("prg") || value("prg") != "Fusewick") {
    why = "unknown program";
    return Call::Bad;
  }
  int calls = int(has("version")) + int(has("hs")) + int(has("show"));
  if (calls != 1) {
    why = "no single request";
    return Call::Bad;
  }
  if (has("version")) {
    if (!value("version").empty() || params.size() != 2) {
      why = "malformed version request";
      return Call::Bad;
    }
    return Call::Version;
  }
  if (has("hs")) {
    if (!value("hs").empty() || !has("inf") || params.size() != 3) {
      why = "malformed submission";
      return Call::Bad;
    }
    return Call::Submit;
  }
  if (!value("show").empty() || !has("type") || value("type") != "0" || params.size() != 3) {
    why = "malformed page request";
    return Call::Bad;
  }
  return Call::Show;
}

// A decimal number without sign within [low, high].
bool ParseBounded(const std::string& text, int64_t low, int64_t high, int64_t& out) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  int64_t v = std::stoll(text);
  if (v < low || v > high) return false;
  out = v;
  return true;
}

// A text fit for one log field: printable, no quotes, bounded.
std::string LogSafe(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 160)) out += (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') ? c : '?';
  return out;
}

TResponse Text(int status, std::string body) {
  TResponse r;
  r.Status = status;
  r.ContentType = PlainText;
  r.Body = std::move(body);
  r.Headers = {{"Cache-Control", "no-store"}};
  return r;
}

std::string Timestamp() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  gmtime_r(&ts.tv_sec, &tm);
  char buf[40];
  size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  std::snprintf(buf + n, sizeof buf - n, ".%03ldZ", ts.tv_nsec / 1000000);
  return buf;
}

// The front takes a recording's body on the upload path alone.
TServiceOptions WithUploads(TServiceOptions options) {
  options.Http.UploadBytes = options.MaxRecordingBytes;
  options.Http.TakesUpload = [](std::string_view method, std::string_view target) {
    return method == "POST" && target.substr(0, target.find('?')) == UploadPath;
  };
  return options;
}

}  // namespace

struct ScoreServer::Impl {
  Impl(IScoreStore& s, const TServiceOptions& o)
      : store(s),
        options(o),
        limiter({o.EchoRate, o.SubmitRate, o.UploadRate}),
        http(
            o.Http, [this](TRequest req, TRespond respond) { Handle(std::move(req), std::move(respond)); },
            [this](const std::string& peer, const char* reason, int status) {
              metrics.Refusal(reason);
              if (status) Log(peer, "-", "-", status, 0, 0, reason);
            }),
        pool(o.StoreThreads, o.StoreQueue) {
    metrics.Rows = store.Count();
    for (size_t i = 0; i < o.Verifiers; ++i) verifiers.emplace_back([this] { VerifyLoop(); });
  }

  ~Impl() {
    {
      std::lock_guard<std::mutex> hold(verifyLock);
      stopVerifying = true;
    }
    verifyWake.notify_all();
    for (auto& t : verifiers) t.join();
  }

  IScoreStore& store;
  TServiceOptions options;
  Metrics metrics;
  RateLimiter limiter;  // network thread only
  std::atomic<bool> maintaining{false};

  // The page, kept for a moment so that a burst of views costs one query.
  std::mutex cacheLock;
  std::string cachedPage;
  Clock::time_point cachedAt{};
  bool cacheValid = false;

  // Last, so that they go first: the pool finishes its jobs while the
  // front's loop (which they post their answers to) still exists.
  HttpServer http;
  WorkPool pool;

  // The verifier threads; stopped (a running child killed) first of all.
  std::mutex verifyLock;
  std::condition_variable verifyWake;
  std::atomic<bool> stopVerifying{false};
  std::atomic<bool> warnedNoVerifier{false};
  std::vector<std::thread> verifiers;

  void InvalidatePage() {
    std::lock_guard<std::mutex> hold(cacheLock);
    cacheValid = false;
  }

  TListing Listing() const { return options.ShowUnverified ? TListing::All : TListing::VerifiedOnly; }

  // Where each row's verification stands, for the page and the API: a
  // recording waiting for a logic version this process has no runner for is
  // "unverifiable" (a process without verifier threads judges none).
  std::vector<TResultRow> WithStatus(std::vector<TResultRow> rows) const {
    for (TResultRow& r : rows) {
      if (r.Verified)
        r.Status = "verified";
      else if (r.Job.empty())
        r.Status = "no recording";
      else if (r.Job == "refused" || r.Job == "verified")
        r.Status = "failed";
      else if (r.LogicVersion && options.Verifiers > 0 && !options.Runners.count(*r.LogicVersion))
        r.Status = "unverifiable: made by version " + std::to_string(*r.LogicVersion);
      else
        r.Status = "pending";
    }
    return rows;
  }

  void Log(const std::string& peer, const std::string& method, const char* call, int status, size_t bytes, double ms,
           const std::string& reason) {
    if (!options.RequestLog) return;
    char line[512];
    int n = std::snprintf(line, sizeof line, "ts=%s remote=%s method=%s call=%s status=%d bytes=%zu ms=%.2f%s%s%s\n",
                          Timestamp().c_str(), peer.c_str(), method.c_str(), call, status, bytes, ms,
                          reason.empty() ? "" : " reason=\"", reason.c_str(), reason.empty() ? "" : "\"");
    std::fwrite(line, 1, size_t(std::min(n, int(sizeof line) - 1)), stderr);
  }

  // Sends the answer and logs and counts it.
  // reason: why it was refused (counted), or a note for the log alone.
  void Answer(const TRequest& req, const TRespond& respond, const char* call, TResponse res,
              const std::string& reason = "", bool refused = true) {
    metrics.Request(call, res.Status);
    if (!reason.empty() && refused) metrics.Refusal(reason);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - req.Start).count();
    Log(req.Peer, req.Method, call, res.Status, res.Body.size(), ms, reason);
    respond(std::move(res));
  }

  void Refuse(const TRequest& req, const TRespond& respond, const char* call, int status, const std::string& reason,
              const std::string& why) {
    Answer(req, respond, call, Text(status, "ERROR|" + why + "|"), reason);
  }

  // Runs work on a store thread; 503 at once when the queue is full.
  template <typename Work>
  void OnStore(const TRequest& req, const TRespond& respond, const char* call, Work work) {
    bool queued = pool.Post([this, req, respond, call, work]() mutable {
      try {
        work();
      } catch (const std::exception& e) {
        std::fprintf(stderr, "fusewick-scores: %s\n", e.what());
        Refuse(req, respond, call, 500, "store_error", "server error");
      }
    });
    if (!queued) {
      TResponse res = Text(503, "ERROR|busy|");
      res.Headers.emplace_back("Retry-After", "1");
      Answer(req, respond, call, std::move(res), "busy");
    }
  }

  bool Limited(const TRequest& req, const TRespond& respond, const char* call, TLimited kind) {
    int wait = limiter.Take(AddressKey(req.Peer), kind, Clock::now());
    if (wait == 0) return false;
    TResponse res = Text(429, "ERROR|too many requests|");
    res.Headers.emplace_back("Retry-After", std::to_string(wait));
    Answer(req, respond, call, std::move(res), "rate_limited");
    return true;
  }

  void Handle(TRequest req, TRespond respond) {
    std::string_view target = req.Target;
    size_t q = target.find('?');
    std::string_view path = target.substr(0, q);
    std::string_view query = q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
    const char* call = path == "/"                      ? "home"
                       : path == "/cgi/version.pl"      ? "version.pl"
                       : path == "/healthz"             ? "healthz"
                       : path == "/metrics"             ? "metrics"
                       : path == UploadPath             ? "upload"
                       : path.rfind("/replay/", 0) == 0 ? "replay"
                       : path == "/api/scores"          ? "api"
                                                        : "other";
    if (std::string_view(call) == "other") return Refuse(req, respond, call, 404, "not_found", "not found");
    const char* method = path == UploadPath ? "POST" : "GET";
    if (req.Method != method) {
      TResponse res = Text(405, std::string("ERROR|only ") + method + "|");
      res.Headers.emplace_back("Allow", method);
      return Answer(req, respond, call, std::move(res), "bad_method");
    }
    if (path == UploadPath) return Upload(req, respond, query);
    if (std::string_view(call) == "replay") return Download(req, respond, path.substr(8));
    if (path == "/api/scores") return Api(req, respond, query);
    if (path == "/") {
      TResponse res;
      res.ContentType = Html;
      res.Body = HomePage(ShowTarget);
      return Answer(req, respond, call, std::move(res));
    }
    if (path == "/metrics") {
      TResponse res;
      res.ContentType = "text/plain; version=0.0.4";
      res.Body = metrics.Render(http.OpenConnections(), pool.Waiting());
      res.Headers = {{"Cache-Control", "no-store"}};
      return Answer(req, respond, call, std::move(res));
    }
    if (path == "/healthz") {
      return OnStore(req, respond, call, [this, req, respond, call] {
        store.Ping();
        Answer(req, respond, call, Text(200, "OK\n"));
      });
    }

    std::string why;
    Call kind = Classify(ParseQuery(query), why);
    if (kind == Call::Bad) return Refuse(req, respond, "bad", 400, "bad_request", why);
    if (kind == Call::Version) return Version(req, respond);
    if (kind == Call::Submit) return Submit(req, respond, ParseQuery(query).find("inf")->second);
    return Show(req, respond);
  }

  void Version(const TRequest& req, const TRespond& respond) {
    const char* call = "version";
    if (Limited(req, respond, call, TLimited::Echo)) return;
    OnStore(req, respond, call, [this, req, respond, call] {
      // OK | program | current version | seconds the echo value lives | echo value |
      std::string echo = NewEchoValue();
      store.AddEcho(echo, int64_t(std::time(nullptr)) + EchoLifetimeSeconds);
      Answer(req, respond, call,
             Text(200, std::string("OK|Fusewick|") + FUSEWICK_VERSION + "|" + std::to_string(EchoLifetimeSeconds) +
                           "|" + echo + "|"));
    });
  }

  void Submit(const TRequest& req, const TRespond& respond, const std::string& code) {
    const char* call = "submit";
    if (Limited(req, respond, call, TLimited::Submit)) return;
    TSubmission s;
    std::string why;
    if (!ParseSubmission(code, s, why)) return Refuse(req, respond, call, 400, "bad_request", why);
    if (s.Score < 0 || s.Score > options.MaxScore)
      return Refuse(req, respond, call, 422, "implausible_score", "implausible score");
    OnStore(req, respond, call, [this, req, respond, call, s] {
      TResultRow row;
      row.Name = s.Name;
      row.Score = s.Score;
      row.Note = s.Note;
      row.Received = int64_t(std::time(nullptr));
      TSubmitResult result = store.Submit(s.Echo, row, row.Received);
      switch (result.Outcome) {
        case TSubmitOutcome::Stored: {
          ++metrics.Stored;
          ++metrics.Rows;
          InvalidatePage();
          return Answer(req, respond, call, Text(200, "OK|stored|" + std::to_string(result.Id) + "|"),
                        s.Shortened ? "shortened" : "", false);
        }
        case TSubmitOutcome::UnknownEcho:
          return Refuse(req, respond, call, 403, "unknown_echo", "echo value unknown, used or expired");
        case TSubmitOutcome::NotBetter:
          return Refuse(req, respond, call, 409, "name_full", "not better than the results this name keeps");
      }
    });
  }

  void Show(const TRequest& req, const TRespond& respond) {
    const char* call = "show";
    auto answer = [this, req, respond, call](std::string page) {
      TResponse res;
      res.ContentType = Html;
      res.Body = std::move(page);
      res.Headers = {{"Cache-Control", "no-cache"}};
      Answer(req, respond, call, std::move(res));
    };
    {
      std::unique_lock<std::mutex> hold(cacheLock);
      if (cacheValid && Clock::now() - cachedAt < options.PageCacheTime) {
        std::string page = cachedPage;
        hold.unlock();
        return answer(std::move(page));
      }
    }
    OnStore(req, respond, call, [this, answer] {
      auto fetched = Clock::now();
      std::string page = ShowPage(WithStatus(store.Best(ShowCount, 0, Listing())), store.Count());
      {
        std::lock_guard<std::mutex> hold(cacheLock);
        cachedPage = page;
        cachedAt = fetched;
        cacheValid = true;
      }
      answer(std::move(page));
    });
  }

  // POST /replay?echo=E: the recording of the result submitted with E.
  void Upload(TRequest& req, const TRespond& respond, std::string_view query) {
    const char* call = "upload";
    if (Limited(req, respond, call, TLimited::Upload)) return;
    Params params = ParseQuery(query);
    if (params.size() != 1 || params.begin()->first != "echo")
      return Refuse(req, respond, call, 400, "bad_request", "malformed upload");
    std::string echo = params.begin()->second;
    if (echo.empty() || echo.size() > 64) return Refuse(req, respond, call, 400, "bad_request", "malformed echo value");
    if (req.Body.empty()) return Refuse(req, respond, call, 400, "bad_request", "empty recording");
    auto bytes = std::make_shared<const std::string>(std::move(req.Body));
    req.Body.clear();
    // Which runner verifies it: the logic version its header names.
    const std::optional<uint32_t> version = RecordingLogicVersion(*bytes);
    OnStore(req, respond, call, [this, req, respond, call, echo, bytes, version] {
      TUploadResult result = store.AddRecording(echo, *bytes, version, int64_t(std::time(nullptr)));
      switch (result.Outcome) {
        case TUploadOutcome::Queued:
          ++metrics.VerifyQueue;
          verifyWake.notify_one();
          return Answer(req, respond, call, Text(200, "OK|queued|" + std::to_string(result.ResultId) + "|"));
        case TUploadOutcome::UnknownEcho:
          return Refuse(req, respond, call, 403, "unknown_echo", "no result was submitted with this echo value");
        case TUploadOutcome::HasRecording:
          return Refuse(req, respond, call, 409, "has_recording", "the result has its recording");
      }
    });
  }

  // GET /replay/ID: the recording of a verified result, its bytes as stored.
  void Download(const TRequest& req, const TRespond& respond, std::string_view idText) {
    const char* call = "replay";
    int64_t id = 0;
    if (!ParseBounded(std::string(idText), 1, INT64_C(999999999999), id))
      return Refuse(req, respond, call, 404, "not_found", "not found");
    OnStore(req, respond, call, [this, req, respond, call, id] {
      std::optional<std::string> bytes = store.VerifiedRecording(id);
      if (!bytes) return Refuse(req, respond, call, 404, "not_found", "no verified recording");
      TResponse res;
      res.ContentType = "application/octet-stream";
      res.Body = std::move(*bytes);
      res.Headers = {{"Content-Disposition", "attachment; filename=\"fusewick-" + std::to_string(id) + ".fwr\""},
                     {"Cache-Control", "public, max-age=86400"}};
      Answer(req, respond, call, std::move(res));
    });
  }

  // GET /api/scores[?limit=N][&offset=M]: the page's rows as JSON.
  void Api(const TRequest& req, const TRespond& respond, std::string_view query) {
    const char* call = "api";
    Params params = ParseQuery(query);
    int64_t limit = 100, offset = 0;
    for (const auto& [key, value] : params) {
      bool good = params.count(key) == 1 && ((key == "limit" && ParseBounded(value, 1, 10000, limit)) ||
                                             (key == "offset" && ParseBounded(value, 0, INT64_C(1000000000), offset)));
      if (!good)
        return Refuse(req, respond, call, 400, "bad_request", "limit is 1 to 10000, offset 0 or more, nothing else");
    }
    OnStore(req, respond, call, [this, req, respond, call, limit, offset] {
      TResponse res;
      res.ContentType = "application/json";
      res.Body = ScoresJson(WithStatus(store.Best(int(limit), offset, Listing())), offset);
      res.Headers = {{"Cache-Control", "no-cache"}};
      Answer(req, respond, call, std::move(res));
    });
  }

  // A verifier thread: takes queued jobs (of any process sharing the
  // database) of the logic versions it has runners for, one at a time, and
  // re-simulates each in a child process with the runner of its version.
  void VerifyLoop() {
    const int64_t stale = options.Verify.Time.count() / 1000 * 2 + 60;
    auto idle = [this] {
      std::unique_lock<std::mutex> hold(verifyLock);
      verifyWake.wait_for(hold, options.VerifyPoll, [this] { return stopVerifying.load(); });
    };
    while (!stopVerifying) {
      TLogicVersions versions;
      std::string missing;
      for (const auto& [version, place] : options.Runners) {
        if (::access(place.Program.c_str(), X_OK) == 0)
          versions.push_back(version);
        else
          missing = place.Program;
      }
      if (versions.empty()) {
        // Said once, when a recording is waiting for it.
        if (metrics.VerifyQueue > 0 && !warnedNoVerifier.exchange(true))
          std::fprintf(stderr, "fusewick-scores: no verifier%s%s: recordings wait in the queue\n",
                       missing.empty() ? "" : " at ", missing.c_str());
        idle();
        continue;
      }
      std::optional<TVerifyJob> job;
      try {
        int64_t now = int64_t(std::time(nullptr));
        job = store.TakeJob(now, now - stale, versions);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "fusewick-scores: verification queue: %s\n", e.what());
      }
      if (!job) {
        idle();
        continue;
      }
      TVerifierOptions verify = options.Verify;
      const TVerifierPlace& place = job->LogicVersion && options.Runners.count(*job->LogicVersion)
                                        ? options.Runners.at(*job->LogicVersion)
                                        : options.Runners.rbegin()->second;
      verify.Program = place.Program;
      verify.Data = place.Data;
      auto start = Clock::now();
      TVerdict verdict = RunVerifier(verify, job->Recording, stopVerifying);
      double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      // Interrupted, or the child could not be started: the job stays taken
      // and is taken again once stale.
      if (!verdict.Ran && !verdict.TimedOut) {
        if (!stopVerifying)
          std::fprintf(stderr, "fusewick-scores: verification of result %lld: %s\n", (long long)job->ResultId,
                       verdict.Message.c_str());
        continue;
      }
      bool verified = Confirms(verdict, job->Name, job->Score);
      std::string why;
      if (!verified) {
        if (verdict.TimedOut)
          why = "time limit";
        else if (verdict.ExitStatus != 0)
          why =
              "status " + std::to_string(verdict.ExitStatus) + (verdict.Message.empty() ? "" : ": ") + verdict.Message;
        else if (!verdict.HasName || !verdict.HasScore)
          why = "no name or score in the output";
        else
          why = "re-played to " + verdict.Name + " " + std::to_string(verdict.Score) + ", not the submitted result";
      }
      try {
        store.FinishJob(*job, verified, int64_t(std::time(nullptr)));
      } catch (const std::exception& e) {
        std::fprintf(stderr, "fusewick-scores: verification queue: %s\n", e.what());
        continue;
      }
      if (verified) ++metrics.Verified;
      ++metrics.Verifications;
      metrics.VerifyMicroseconds += int64_t(seconds * 1e6);
      if (metrics.VerifyQueue > 0) --metrics.VerifyQueue;
      if (verified) InvalidatePage();
      if (options.RequestLog) {
        char line[512];
        int n = std::snprintf(line, sizeof line, "ts=%s call=verify result=%lld outcome=%s ms=%.0f%s%s%s\n",
                              Timestamp().c_str(), (long long)job->ResultId, verified ? "verified" : "refused",
                              seconds * 1000, why.empty() ? "" : " reason=\"", LogSafe(why).c_str(),
                              why.empty() ? "" : "\"");
        std::fwrite(line, 1, size_t(std::min(n, int(sizeof line) - 1)), stderr);
      }
    }
  }

  void Maintain() {
    limiter.Prune(Clock::now());
    if (maintaining.exchange(true)) return;
    bool queued = pool.Post([this] {
      try {
        metrics.RowsTrimmed += uint64_t(store.Maintain(int64_t(std::time(nullptr))));
        metrics.Rows = store.Count();
        metrics.DatabaseBytes = store.SizeBytes();
        metrics.VerifyQueue = store.PendingJobs();
      } catch (const std::exception& e) {
        std::fprintf(stderr, "fusewick-scores: upkeep: %s\n", e.what());
      }
      maintaining = false;
    });
    if (!queued) maintaining = false;
  }
};

ScoreServer::ScoreServer(IScoreStore& store, const TServiceOptions& options)
    : impl_(std::make_unique<Impl>(store, WithUploads(options))) {
  impl_->http.Every(options.MaintainEvery, [this] { impl_->Maintain(); });
}

ScoreServer::~ScoreServer() = default;

int ScoreServer::Bind(const std::string& host, int port) { return impl_->http.Bind(host, port); }

void ScoreServer::Run() { impl_->http.Run(); }

void ScoreServer::Stop() { impl_->http.Stop(); }

}  // namespace fusewick::scores
