#include "services/Online.h"

#include <cstdlib>
#include <exception>
#include <filesystem>

#include "platform/Platform.h"
#include "services/HttpClient.h"
#include "services/TestSeams.h"

#ifndef FUSEWICK_SERVER
#define FUSEWICK_SERVER "localhost:8080"
#endif

namespace fusewick {

namespace {

std::string SiteRoot() {
  TServerAddress a = ServerAddress();
  std::string root = "http://";
  if (a.Host.find(':') != std::string::npos)
    root.append("[").append(a.Host).append("]");
  else
    root.append(a.Host);
  if (a.Port != 80) root.append(":").append(std::to_string(a.Port));
  return root;
}

}  // namespace

bool ParseServerAddress(const std::string& text, TServerAddress& out) {
  std::string host = text, port;
  if (!text.empty() && text[0] == '[') {
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    host = text.substr(1, close - 1);
    std::string rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest[0] != ':') return false;
      port = rest.substr(1);
      if (port.empty()) return false;
    }
  } else if (size_t colon = text.rfind(':'); colon != std::string::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (port.empty()) return false;
  }
  if (host.empty() || host.find_first_of(" /?#@") != std::string::npos) return false;
  unsigned long number = 80;
  if (!port.empty()) {
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
    number = std::stoul(port);
    if (number == 0 || number > 65535) return false;
  }
  out.Host = host;
  out.Port = uint16_t(number);
  return true;
}

TServerAddress ServerAddress() {
  if (TestSeams.Server) return *TestSeams.Server;
  TServerAddress a;
  // FUSEWICK_SERVER in the environment (host or host:port) points the game
  // and its browser links at another server without a rebuild; a value
  // that is not an address leaves the build's setting.
  if (const char* env = std::getenv("FUSEWICK_SERVER"); env && ParseServerAddress(env, a)) return a;
  if (!ParseServerAddress(FUSEWICK_SERVER, a)) a = {"localhost", 8080};
  return a;
}

std::string HomePageUrl() { return SiteRoot() + "/"; }
std::string WorldHighScoresUrl() { return SiteRoot() + ShowTarget; }

std::string EchoValue(std::string reply) {
  std::string field;
  for (int i = 0; i < 5; ++i) {
    size_t bar = reply.find('|');
    if (bar == std::string::npos) {
      field.clear();  // no more fields: the reply stays as it is
      continue;
    }
    field = reply.substr(0, bar);
    reply.erase(0, bar + 1);
  }
  return field;
}

std::string ResultText(const std::string& name, int32_t score, const std::string& echo, const std::string& addText) {
  return "type=0|name=" + name + "|score=" + std::to_string(score) + "|key=X|p=" + echo + "|add=" + addText + "|z=";
}

void SubmitScore(const std::string& name, int32_t score, const std::string& addText, std::string_view /*recording*/) {
  TServerAddress server = ServerAddress();
  THttpClient http;
  http.Host = server.Host;
  http.Port = server.Port;
  http.Timeout = TestSeams.Timeout;

  // The version request: whatever arrived before a failure still counts.
  std::string reply;
  try {
    http.Get(VersionTarget, reply);
  } catch (const std::exception&) {
  }
  if (reply.compare(0, 2, "OK") != 0) {
    platform::Current().MessageBox("Fusewick", ConnectFailedText);
    return;
  }

  std::string record = PadResult(ResultText(name, score, EchoValue(reply), addText));
  std::string ignored;
  try {
    http.Get(SubmitTarget + EncodeResult(record), ignored);
  } catch (const std::exception&) {
    // A failed submission is not reported.
  }
}

void OpenUrl(const std::string& url) { platform::Current().OpenUrl(url); }

void OpenPlayLink() {
  std::error_code ec;
  if (!std::filesystem::is_regular_file("play.url", ec)) return;
  std::filesystem::path path = std::filesystem::absolute("play.url", ec);
  if (ec) return;
  OpenUrl(path.string());
}

}  // namespace fusewick
