#include <gtest/gtest.h>

#include <fstream>

#include "online_helpers.h"
#include "services/HttpClient.h"

using namespace fusewick;
using namespace fusewick::testing;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A port on loopback where nothing listens: bound, never listening.
class RefusingPort {
 public:
  RefusingPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~RefusingPort() { ::close(fd_); }
  uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

}  // namespace

TEST(EncodeResult, MatchesTheKnownCodes) {
  EXPECT_EQ(EncodeResult("type="), "QT61A3K7");
  EXPECT_EQ(EncodeResult("00000"), "GA2DANBS");
  EXPECT_EQ(EncodeResult(""), "");
}

TEST(EncodeResult, ShortRecordPadsToFortyBytesAndSixtyFourCharacters) {
  std::string text = ResultText("AB", 5, "", "");
  EXPECT_EQ(text, "type=0|name=AB|score=5|key=X|p=|add=|z=");
  EXPECT_EQ(text.size(), 39u);
  std::string padded = PadResult(text);
  EXPECT_EQ(padded, text + "0");
  std::string code = EncodeResult(padded);
  EXPECT_EQ(code.size(), 64u);
  EXPECT_EQ(code.find_first_not_of(ResultCodeAlphabet), std::string::npos);
}

TEST(EncodeResult, DecodesBackByteForByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  for (const std::string& text : {PadResult(ResultText("MARY ANN LEE", -42, "abc", "HI THERE")), PadResult(all)}) {
    auto back = DecodeResult(EncodeResult(text));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, text);
  }
  EXPECT_FALSE(DecodeResult("QT61A3K").has_value());   // not whole groups
  EXPECT_FALSE(DecodeResult("QT61A3K0").has_value());  // 0 is not in the alphabet
  EXPECT_FALSE(DecodeResult("qt61a3k7").has_value());
}

TEST(EchoValue, IsTheFifthTerminatedField) {
  struct Case {
    const char* reply;
    const char* echo;
  };
  for (auto [reply, echo] :
       {Case{"OK", ""}, Case{"OK|a|b|c|d|", "d"}, Case{"OK|a|b|c|d|e|f|", "d"}, Case{"OK|a|b|c|d", ""},
        Case{"OK|a|b|", ""}, Case{"OK||||tok|", "tok"}, Case{"OK|Fusewick|2.0|300|0123abcd|", "0123abcd"}})
    EXPECT_EQ(EchoValue(reply), echo) << reply;
}

TEST(ServerAddress, TheEnvironmentOverridesTheBuildsServer) {
  struct Case {
    const char* env;
    const char* host;  // null: the build's setting
    uint16_t port;
  };
  ResetTestSeams();
  const TServerAddress built = ServerAddress();
  for (auto [env, host, port] : {Case{"scores.example.org:9000", "scores.example.org", 9000},
                                 Case{"scores.example.org", "scores.example.org", 80}, Case{"[::1]:8123", "::1", 8123},
                                 Case{"not an address", nullptr, 0}, Case{"", nullptr, 0}}) {
    ASSERT_EQ(setenv("FUSEWICK_SERVER", env, 1), 0);
    const TServerAddress a = ServerAddress();
    EXPECT_EQ(a.Host, host ? host : built.Host) << env;
    EXPECT_EQ(a.Port, host ? port : built.Port) << env;
  }
  setenv("FUSEWICK_SERVER", "scores.example.org:9000", 1);
  EXPECT_EQ(WorldHighScoresUrl().rfind("http://scores.example.org:9000/", 0), 0u) << WorldHighScoresUrl();
  unsetenv("FUSEWICK_SERVER");
  EXPECT_EQ(ServerAddress().Host, built.Host);
}

TEST(ServerAddress, ReadsHostAndPort) {
  struct Case {
    const char* text;
    bool ok;
    const char* host;
    uint16_t port;
  };
  for (auto [text, ok, host, port] :
       {Case{"localhost:8080", true, "localhost", 8080}, Case{"scores.example.org", true, "scores.example.org", 80},
        Case{"[::1]:9000", true, "::1", 9000}, Case{"127.0.0.1:65535", true, "127.0.0.1", 65535},
        Case{"host:", false, "", 0}, Case{":80", false, "", 0}, Case{"host:0", false, "", 0},
        Case{"host:70000", false, "", 0}, Case{"host:8o", false, "", 0}, Case{"a b:80", false, "", 0}}) {
    TServerAddress a;
    EXPECT_EQ(ParseServerAddress(text, a), ok) << text;
    if (ok) {
      EXPECT_EQ(a.Host, host) << text;
      EXPECT_EQ(a.Port, port) << text;
    }
  }
}

TEST(HttpClient, HostHeaderCarriesThePortUnlessItIs80) {
  struct Case {
    const char* host;
    uint16_t port;
    const char* line;
  };
  for (auto [host, port, line] :
       {Case{"scores.example.org", 80, "\r\nHost: scores.example.org\r\n"},
        Case{"localhost", 8080, "\r\nHost: localhost:8080\r\n"}, Case{"::1", 8080, "\r\nHost: [::1]:8080\r\n"}}) {
    THttpClient http;
    http.Host = host;
    http.Port = port;
    EXPECT_NE(http.RequestText("/").find(line), std::string::npos) << host << ":" << port;
  }
}

TEST_F(OnlineTest, SubmitScoreSendsExactlyTheseBytes) {
  ScriptedServer server(
      {Answer(Ok("OK|Fusewick|2.0|300|0123456789abcdef0123456789abcdef|")), Answer(Ok("OK|stored|1|"))});
  // By name, as the game's setting names it; the server listens on IPv4 only.
  SetServerForTests("localhost", server.Port(), 5s);
  SubmitScore("AB", 5, "");

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string host = "Host: localhost:" + std::to_string(server.Port()) + "\r\n";
  const std::string headers = "Content-Type: text/html\r\n" + host +
                              "Accept: text/html, */*\r\n"
                              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                              "\r\n";
  EXPECT_EQ(requests[0], "GET /cgi/version.pl?version&prg=Fusewick HTTP/1.1\r\n" + headers);
  std::string code = EncodeResult(PadResult(ResultText("AB", 5, "0123456789abcdef0123456789abcdef", "")));
  EXPECT_EQ(requests[1], "GET /cgi/version.pl?hs&prg=Fusewick&inf=" + code + " HTTP/1.1\r\n" + headers);
  EXPECT_TRUE(platform.Boxes.empty());
}

TEST_F(OnlineTest, SubmitScoreSendsNameScoreEchoAndFreeText) {
  ScriptedServer server({Answer(Ok("OK|x|y|z|ECHO|more|")), Answer(Ok("OK"))});
  SetServerForTests("127.0.0.1", server.Port(), 5s);
  SubmitScore("MARY ANN", 123456, "HELLO  WORLD");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(SubmittedRecord(requests[1]), "type=0|name=MARY ANN|score=123456|key=X|p=ECHO|add=HELLO  WORLD|z=0000");
}

// Servers that refuse, stall, lie or flood: each ends in the message box
// (and no submission) or in a silent submission, within the time-out.
TEST_F(OnlineTest, MisbehavingServersEndInTheMessageBoxOrSilence) {
  const std::string tenMegabytes = "HTTP/1.1 200 OK\r\nContent-Length: 10485760\r\n\r\n";
  auto flood = [tenMegabytes](const std::string& first) {
    return [tenMegabytes, first](int fd, const std::atomic<bool>& stop) {
      if (!SendAllBytes(fd, tenMegabytes + first)) return;
      std::string block(65536, 'x');
      for (size_t sent = first.size(); sent < 10485760 && !stop; sent += block.size())
        if (!SendAllBytes(fd, block)) return;
    };
  };
  auto silent = [](int fd, const std::atomic<bool>& stop) { WaitForClose(fd, stop); };
  auto drip = [](int fd, const std::atomic<bool>& stop) {
    // A valid head, then a body one byte at a time that never ends.
    SendAllBytes(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\nxy");
    while (!stop && SendAllBytes(fd, "z")) std::this_thread::sleep_for(100ms);
  };
  struct Case {
    const char* name;
    ScriptedServer::Script version;
    bool box;          // "Can't connect to server!" shown
    const char* echo;  // the echo value sent when there is a submission
  };
  const Case cases[] = {
      {"accepts and never answers", silent, true, nullptr},
      {"answers in lower case", Answer(Ok("ok|Fusewick|2.0|300|abc|")), true, nullptr},
      {"half a body, then closes", Answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nOK|Fusewick|2.0|300|abc|"),
       false, "abc"},
      {"half a body without OK", Answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nO"), true, nullptr},
      {"10 MB of junk", flood(""), true, nullptr},
      {"10 MB after an OK", flood("OK|a|b|c|big|"), false, "big"},
      {"redirect", Answer("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 6\r\n\r\nOK|a|b"), true,
       nullptr},
      {"error status with an OK body", Answer("HTTP/1.1 500 Oops\r\nContent-Length: 12\r\n\r\nOK|a|b|c|d|"), true,
       nullptr},
      {"not HTTP", Answer("OK|a|b|c|d|\r\n\r\n"), true, nullptr},
      {"endless drip", drip, true, nullptr},
      {"exactly OK", Answer(Ok("OK")), false, ""},
      {"body until close", Answer("HTTP/1.1 200 OK\r\n\r\nOK|a|b|c|d|"), false, "d"},
      {"chunked",
       Answer("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nOK|\r\n9\r\na|b|c|dd|\r\n0\r\n\r\n"), false,
       "dd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform.Boxes.clear();
    ScriptedServer server({c.version, Answer(Ok("OK"))});
    SetServerForTests("127.0.0.1", server.Port(), 1500ms);
    auto start = Clock::now();
    SubmitScore("", 0, "");
    EXPECT_LT(SecondsSince(start), 1.5 + 1.0);
    auto requests = server.Requests();
    if (c.box) {
      ASSERT_EQ(platform.Boxes.size(), 1u);
      EXPECT_EQ(platform.Boxes[0].first, "Fusewick");
      EXPECT_EQ(platform.Boxes[0].second, "Can't connect to server!");
      EXPECT_EQ(requests.size(), 1u);  // no submission, no redirect followed
    } else {
      EXPECT_TRUE(platform.Boxes.empty());
      ASSERT_EQ(requests.size(), 2u);
      EXPECT_EQ(SubmittedRecord(requests[1]), PadResult(ResultText("", 0, c.echo, "")));
    }
  }
}

TEST_F(OnlineTest, RefusedConnectionShowsTheMessageBox) {
  RefusingPort refusing;
  SetServerForTests("127.0.0.1", refusing.Port(), 1500ms);
  auto start = Clock::now();
  SubmitScore("", 0, "");
  EXPECT_LT(SecondsSince(start), 1.0);
  ASSERT_EQ(platform.Boxes.size(), 1u);
  EXPECT_EQ(platform.Boxes[0].second, "Can't connect to server!");
}

TEST_F(OnlineTest, SilentServerIsGivenUpAfterTenSeconds) {
  ScriptedServer server({[](int fd, const std::atomic<bool>& stop) { WaitForClose(fd, stop); }});
  SetServerForTests("127.0.0.1", server.Port());  // the game's own time-out
  auto start = Clock::now();
  SubmitScore("", 0, "");
  double took = SecondsSince(start);
  EXPECT_GE(took, 9.9);
  EXPECT_LT(took, 12.0);
  EXPECT_EQ(platform.Boxes.size(), 1u);
}

TEST_F(OnlineTest, FailedSubmissionIsSilent) {
  for (const char* answer : {"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n", "garbage", ""}) {
    platform.Boxes.clear();
    ScriptedServer server({Answer(Ok("OK|a|b|c|d|")), Answer(answer)});
    SetServerForTests("127.0.0.1", server.Port(), 1500ms);
    SubmitScore("", 0, "");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(platform.Boxes.empty()) << answer;
  }
}

// A script that reads a body of the length its head announced, keeps it,
// and answers.
ScriptedServer::Script TakeBody(std::string& into, std::string reply) {
  return [&into, reply](int fd, const std::atomic<bool>& stop) {
    char buf[65536];
    auto until = Clock::now() + 3s;
    while (!stop && Clock::now() < until) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      into.append(buf, size_t(n));
      if (!reply.empty() && into.size() >= 300000) break;  // the most a test sends; silent: until closed
    }
    SendAllBytes(fd, reply);
  };
}

TEST_F(OnlineTest, RecordingIsUploadedAfterAStoredSubmission) {
  // Every byte value, and more than one socket buffer of them.
  std::string recording;
  for (int i = 0; i < 300000; ++i) recording += char(i * 7 % 256);
  std::string body;
  ScriptedServer server({Answer(Ok("OK|Fusewick|2.0|300|0123456789abcdef0123456789abcdef|")),
                         Answer(Ok("OK|stored|7|")), TakeBody(body, Ok("OK|queued|7|"))});
  SetServerForTests("localhost", server.Port(), 5s);
  SubmitScore("AB", 5, "", recording);

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  std::string code = EncodeResult(PadResult(ResultText("AB", 5, "0123456789abcdef0123456789abcdef", "")));
  EXPECT_EQ(requests[1].substr(0, requests[1].find('\r')),
            "GET /cgi/version.pl?hs&prg=Fusewick&inf=" + code + " HTTP/1.1");
  EXPECT_EQ(requests[2],
            "POST /replay?echo=0123456789abcdef0123456789abcdef HTTP/1.1\r\n"
            "Content-Type: application/octet-stream\r\n"
            "Host: localhost:" +
                std::to_string(server.Port()) +
                "\r\n"
                "Accept: text/html, */*\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                "Content-Length: 300000\r\n"
                "\r\n");
  EXPECT_EQ(body, recording);
  EXPECT_TRUE(platform.Boxes.empty());
}

TEST_F(OnlineTest, NoUploadWithoutAnOkOrARecording) {
  struct Case {
    const char* name;
    ScriptedServer::Script submission;
    std::string recording;
  };
  const Case cases[] = {
      {"refused", Answer("HTTP/1.1 403 Forbidden\r\nContent-Length: 9\r\n\r\nOK|not|ok"), "REC"},
      {"not OK", Answer(Ok("ERROR|used|")), "REC"},
      {"closed", Answer(""), "REC"},
      {"no recording", Answer(Ok("OK|stored|1|")), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server({Answer(Ok("OK|a|b|c|d|")), c.submission, Answer(Ok("OK"))});
    SetServerForTests("127.0.0.1", server.Port(), 1500ms);
    SubmitScore("AB", 5, "", c.recording);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(platform.Boxes.empty());
  }
}

TEST_F(OnlineTest, UploadEscapesTheEchoValueAndGivesUpWithinTheTimeOut) {
  std::string body;
  // Takes the upload and never answers.
  ScriptedServer server({Answer(Ok("OK|a|b|c|a b&c=d%|")), Answer(Ok("OK|stored|1|")), TakeBody(body, "")});
  SetServerForTests("127.0.0.1", server.Port(), 1500ms);
  auto start = Clock::now();
  SubmitScore("AB", 5, "", "RECORDING");
  EXPECT_LT(SecondsSince(start), 1.5 + 1.0);
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].rfind("POST /replay?echo=a%20b%26c%3Dd%25 HTTP/1.1\r\n", 0), 0u) << requests[2];
  EXPECT_TRUE(platform.Boxes.empty());
}

TEST(HttpClient, CapsTheBodyAndHandsBackWhatArrived) {
  ScriptedServer server({Answer("HTTP/1.1 200 OK\r\nContent-Length: 10485760\r\n\r\n" + std::string(100000, 'x'))});
  THttpClient http;
  http.Host = "127.0.0.1";
  http.Port = server.Port();
  http.Timeout = 2s;
  std::string body;
  EXPECT_THROW(http.Get("/", body), EHttpError);
  EXPECT_EQ(body, std::string(http.MaxBody, 'x'));
}

TEST(HttpClient, EndlessHeadIsAnError) {
  ScriptedServer server({[](int fd, const std::atomic<bool>& stop) {
    SendAllBytes(fd, "HTTP/1.1 200 OK\r\n");
    for (int i = 0; i < 100000 && !stop; ++i)
      if (!SendAllBytes(fd, "X-Filler: " + std::string(100, 'f') + "\r\n")) return;
  }});
  THttpClient http;
  http.Host = "127.0.0.1";
  http.Port = server.Port();
  http.Timeout = 2s;
  std::string body;
  EXPECT_THROW(http.Get("/", body), EHttpError);
  EXPECT_TRUE(body.empty());
}

TEST_F(OnlineTest, UrlsPointAtTheServer) {
  SetServerForTests("127.0.0.1", 8123);
  EXPECT_EQ(HomePageUrl(), "http://127.0.0.1:8123/");
  EXPECT_EQ(WorldHighScoresUrl(), "http://127.0.0.1:8123/cgi/version.pl?prg=Fusewick&type=0&show");
  SetServerForTests("scores.example.org", 80);
  EXPECT_EQ(HomePageUrl(), "http://scores.example.org/");
  OpenUrl(WorldHighScoresUrl());
  EXPECT_EQ(platform.Opened,
            std::vector<std::string>{"http://scores.example.org/cgi/version.pl?prg=Fusewick&type=0&show"});
}

TEST_F(OnlineTest, PlayLinkOpensOnlyWhenTheFileExists) {
  namespace fs = std::filesystem;
  fs::path old = fs::current_path();
  fs::path dir = fs::temp_directory_path() / ("fusewick-playlink-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::current_path(dir);
  OpenPlayLink();
  EXPECT_TRUE(platform.Opened.empty());
  fs::create_directory("play.url");  // a folder of that name is not the file
  OpenPlayLink();
  EXPECT_TRUE(platform.Opened.empty());
  fs::remove("play.url");
  std::ofstream("play.url") << "[InternetShortcut]\r\nURL=http://127.0.0.1/\r\n";
  OpenPlayLink();
  fs::current_path(old);
  ASSERT_EQ(platform.Opened.size(), 1u);
  EXPECT_EQ(fs::path(platform.Opened[0]), dir / "play.url");
  fs::remove_all(dir);
}
