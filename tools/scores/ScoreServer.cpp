#include "ScoreServer.h"

#include <httplib.h>

#include <cstdio>
#include <ctime>
#include <set>

#include "GuardedServer.h"
#include "Pages.h"
#include "Submission.h"

#ifndef FUSEWICK_VERSION
#define FUSEWICK_VERSION "0"
#endif

namespace fusewick::scores {

namespace {

const char* const PlainText = "text/plain; charset=us-ascii";
const char* const Html = "text/html; charset=utf-8";
const char* const ShowTarget = "/cgi/version.pl?prg=Fusewick&type=0&show";

void Refuse(httplib::Response& res, int status, const std::string& why) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content("ERROR|" + why + "|", PlainText);
}

enum class Call { Version, Submit, Show, Bad };

// What a query of version.pl asks for. Each key may come once, only the
// keys of the three calls are known, and the program must be Fusewick.
Call Classify(const httplib::Params& params, std::string& why) {
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

}  // namespace

ScoreServer::ScoreServer(ScoreStore& store, EchoBook& echoes, size_t threads)
    : store_(store), echoes_(echoes), http_(std::make_unique<GuardedServer>()) {
  httplib::Server& http = *http_;
  http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // Requests are GETs without bodies; slow or idle clients give way soon.
  http.set_payload_max_length(4096);
  http.set_read_timeout(5);
  http.set_write_timeout(5);
  http.set_keep_alive_timeout(3);
  http.set_keep_alive_max_count(10000);
  http.set_tcp_nodelay(true);
  http.set_default_headers({{"X-Content-Type-Options", "nosniff"}});

  http.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(HomePage(ShowTarget), Html);
  });
  http.Get("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) { VersionScript(req, res); });

  http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) res.set_content("ERROR|" + std::to_string(res.status) + "|", PlainText);
  });
  http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
    try {
      if (ep) std::rethrow_exception(ep);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "fusewick-scores: %s\n", e.what());
    } catch (...) {
    }
    Refuse(res, 500, "server error");
  });
}

ScoreServer::~ScoreServer() = default;

void ScoreServer::VersionScript(const httplib::Request& req, httplib::Response& res) {
  std::string why;
  Call call = Classify(req.params, why);
  if (call == Call::Bad) return Refuse(res, 400, why);

  if (call == Call::Version) {
    res.set_header("Cache-Control", "no-store");
    // OK | program | current version | seconds the echo value lives | echo value |
    std::string echo = echoes_.Issue(EchoBook::Clock::now());
    res.set_content(std::string("OK|Fusewick|") + FUSEWICK_VERSION + "|300|" + echo + "|", PlainText);
    return;
  }

  if (call == Call::Submit) {
    if (req.method != "GET") return Refuse(res, 405, "submissions are GET requests");
    TSubmission s;
    if (!ParseSubmission(req.get_param_value("inf"), s, why)) return Refuse(res, 400, why);
    if (!echoes_.Redeem(s.Echo, EchoBook::Clock::now())) return Refuse(res, 403, "echo value unknown, used or expired");
    int64_t id = store_.Add(s.Name, s.Score, s.Note, int64_t(std::time(nullptr)));
    res.set_header("Cache-Control", "no-store");
    res.set_content("OK|stored|" + std::to_string(id) + "|", PlainText);
    return;
  }

  res.set_header("Cache-Control", "no-cache");
  res.set_content(ShowPage(store_.Best(ShowCount), store_.Count()), Html);
}

int ScoreServer::Bind(const std::string& host, int port) {
  if (port == 0) return http_->bind_to_any_port(host);
  return http_->bind_to_port(host, port) ? port : -1;
}

bool ScoreServer::Run() { return http_->listen_after_bind(); }

void ScoreServer::Stop() { http_->stop(); }

}  // namespace fusewick::scores
