#pragma once
// The online side of the game: sending a result to the world high-score
// server, the browser links to its pages, and the exit link play.url.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "services/ResultCode.h"

namespace fusewick {

struct TServerAddress {
  std::string Host;
  uint16_t Port = 80;
};

// Reads "host:port", "host" (port 80) or "[ipv6]:port". False if malformed.
bool ParseServerAddress(const std::string& text, TServerAddress& out);

// The server the game talks to: the environment's FUSEWICK_SERVER when it
// is an address, else the build's setting (FUSEWICK_SERVER).
TServerAddress ServerAddress();
// Its home page and its world high-score page, for the browser.
std::string HomePageUrl();
std::string WorldHighScoresUrl();

inline constexpr const char* VersionTarget = "/cgi/version.pl?version&prg=Fusewick";
inline constexpr const char* SubmitTarget = "/cgi/version.pl?hs&prg=Fusewick&inf=";
inline constexpr const char* ShowTarget = "/cgi/version.pl?prg=Fusewick&type=0&show";

inline constexpr const char* ConnectFailedText = "Can't connect to server!";

// Each request, from connecting to the end of the reply.
inline constexpr std::chrono::milliseconds RequestTimeout{10000};

// The echo value of a version reply: its fifth "|"-terminated field, counting
// the leading "OK" as the first; empty when there are fewer fields.
std::string EchoValue(std::string reply);

// The result record before padding.
std::string ResultText(const std::string& name, int32_t score, const std::string& echo, const std::string& addText);

// Sends the version request and, if the server answers "OK", the result of
// the player's name, score and free text. Blocks until both are done; a
// failed version request shows "Can't connect to server!".
void SubmitScore(const std::string& name, int32_t score, const std::string& addText, std::string_view recording = {});

// Hands a URL to the desktop to open in the browser; failures are silent.
void OpenUrl(const std::string& url);
// Opens play.url of the working directory if there is one.
void OpenPlayLink();

}  // namespace fusewick
