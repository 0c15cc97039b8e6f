#include "ScoreServer.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <set>
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
    const char* call = path == "/"                 ? "home"
                       : path == "/cgi/version.pl" ? "version.pl"
                       : path == "/healthz"        ? "healthz"
                       : path == "/metrics"        ? "metrics"
                                                   : "other";
    if (std::string_view(call) == "other") return Refuse(req, respond, call, 404, "not_found", "not found");
    if (req.Method != "GET") {
      TResponse res = Text(405, "ERROR|only GET|");
      res.Headers.emplace_back("Allow", "GET");
      return Answer(req, respond, call, std::move(res), "bad_method");
    }
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
          {
            std::lock_guard<std::mutex> hold(cacheLock);
            cacheValid = false;
          }
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
      std::string page = ShowPage(store.Best(ShowCount), store.Count());
      {
        std::lock_guard<std::mutex> hold(cacheLock);
        cachedPage = page;
        cachedAt = fetched;
        cacheValid = true;
      }
      answer(std::move(page));
    });
  }

  void Maintain() {
    limiter.Prune(Clock::now());
    if (maintaining.exchange(true)) return;
    bool queued = pool.Post([this] {
      try {
        metrics.RowsTrimmed += uint64_t(store.Maintain(int64_t(std::time(nullptr))));
        metrics.Rows = store.Count();
        metrics.DatabaseBytes = store.SizeBytes();
      } catch (const std::exception& e) {
        std::fprintf(stderr, "fusewick-scores: upkeep: %s\n", e.what());
      }
      maintaining = false;
    });
    if (!queued) maintaining = false;
  }
};

ScoreServer::ScoreServer(IScoreStore& store, const TServiceOptions& options)
    : impl_(std::make_unique<Impl>(store, options)) {
  impl_->http.Every(options.MaintainEvery, [this] { impl_->Maintain(); });
}

ScoreServer::~ScoreServer() = default;

int ScoreServer::Bind(const std::string& host, int port) { return impl_->http.Bind(host, port); }

void ScoreServer::Run() { impl_->http.Run(); }

void ScoreServer::Stop() { impl_->http.Stop(); }

}  // namespace fusewick::scores
