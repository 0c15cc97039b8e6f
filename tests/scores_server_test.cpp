#include <gtest/gtest.h>

#include <fstream>

#include "EchoBook.h"
#include "Pages.h"
#include "ScoreStore.h"
#include "Submission.h"
#include "online_helpers.h"
#include "persist/HttpClient.h"

using namespace fusewick;
using namespace fusewick::scores;
using namespace fusewick::testing;
using namespace std::chrono_literals;

namespace {

const std::string Echo = "0123456789abcdef0123456789abcdef";

std::string Code(const std::string& record) { return EncodeResult(PadResult(record)); }

// A fresh folder under the temp directory, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    static int n = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("fusewick-scores-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// A GET against the server; returns the status and fills body.
int Fetch(uint16_t port, const std::string& target, std::string& body) {
  THttpClient http;
  http.Host = "127.0.0.1";
  http.Port = port;
  http.Timeout = 5s;
  try {
    http.Get(target, body);
  } catch (const std::exception&) {
  }
  return http.ResponseCode;
}

std::string Fetch(uint16_t port, const std::string& target) {
  std::string body;
  EXPECT_EQ(Fetch(port, target, body), 200) << target;
  return body;
}

// Sends raw bytes and returns what comes back until the server closes or
// two seconds pass.
std::string Exchange(uint16_t port, const std::string& bytes) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    SendAllBytes(fd, bytes);
    ::shutdown(fd, SHUT_WR);
    char buf[4096];
    auto until = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < until) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      reply.append(buf, size_t(n));
    }
  }
  ::close(fd);
  return reply;
}

std::string FreshEcho(uint16_t port) { return EchoValue(Fetch(port, VersionTarget)); }

int64_t ResultsSent(uint16_t port) {
  // "... the best N of TOTAL results sent"
  std::string page = Fetch(port, ShowTarget);
  size_t of = page.find(" of ");
  return of == std::string::npos ? -1 : std::stoll(page.substr(of + 4));
}

}  // namespace

TEST(ParseSubmission, TakesWellFormedRecords) {
  struct Case { std::string record; const char* name; int32_t score; const char* note; };
  const Case cases[] = {
      {"type=0|name=MARY ANN|score=1234|key=X|p=" + Echo + "|add=HELLO|z=", "MARY ANN", 1234, "HELLO"},
      {"type=0|name=|score=0|key=X|p=" + Echo + "|add=|z=", "", 0, ""},
      {"type=0|name=AB|score=-2147483648|key=X|p=" + Echo + "|add=  SPACES AROUND   |z=", "AB", INT32_MIN,
       "SPACES AROUND"},
      {"type=0|name=AB|score=2147483647|key=X|p=" + Echo + "|add=A|z=B|z=", "AB", INT32_MAX, "A|z=B"},
      {"type=0|name=AB|score=5|key=X|p=" + Echo + "|add=" + std::string(300, ' ') + "|z=", "AB", 5, ""},
  };
  for (const Case& c : cases) {
    TSubmission s;
    std::string why;
    ASSERT_TRUE(ParseSubmission(Code(c.record), s, why)) << c.record << ": " << why;
    EXPECT_EQ(s.Name, c.name);
    EXPECT_EQ(s.Score, c.score);
    EXPECT_EQ(s.Echo, Echo);
    EXPECT_EQ(s.Note, c.note);
  }
}

TEST(ParseSubmission, RefusesMalformedRecords) {
  const std::string tail = "|key=X|p=" + Echo + "|add=|z=";
  const std::string good = "type=0|name=AB|score=5" + tail;
  const std::string codes[] = {
      "",
      Code(good).substr(1),                    // not whole groups
      "0" + Code(good).substr(1),              // a character outside the alphabet
      Code(good) + std::string(1024, 'A'),     // too long
      Code("type=1|name=AB|score=5" + tail),
      Code("type=0|name=ab|score=5" + tail),
      Code("type=0|name=A<B|score=5" + tail),
      Code("type=0|name=" + std::string(33, 'A') + "|score=5" + tail),
      Code("type=0|name=AB|score=" + tail),
      Code("type=0|name=AB|score=007" + tail),
      Code("type=0|name=AB|score=-0" + tail),
      Code("type=0|name=AB|score=2147483648" + tail),
      Code("type=0|name=AB|score=5x" + tail),
      Code("type=0|name=AB|score=5|key=Y|p=" + Echo + "|add=|z="),
      Code("type=0|name=AB|score=5|key=X|p=abc|add=|z="),
      Code("type=0|name=AB|score=5|key=X|p=" + Echo + "|add=" + std::string(65, 'N') + "|z="),
      Code("type=0|name=AB|score=5|key=X|p=" + Echo + "|add=\x01|z="),
      Code("type=0|name=AB|score=5|key=X|p=" + Echo + "|add=\xE9|z="),
      Code("type=0|name=AB|score=5|key=X|p=" + Echo + "|add="),
      EncodeResult(good + "00000"),            // more padding than a multiple of 5 needs
      EncodeResult(good.substr(0, good.size() - 1) + "x0000"),
  };
  for (const std::string& code : codes) {
    TSubmission s;
    std::string why;
    EXPECT_FALSE(ParseSubmission(code, s, why)) << (DecodeResult(code) ? *DecodeResult(code) : code);
    EXPECT_FALSE(why.empty());
  }
}

TEST(EchoBook, EachValueIsGoodOnceWhileFresh) {
  EchoBook book(60s, 100);
  auto now = EchoBook::Clock::now();
  std::string a = book.Issue(now), b = book.Issue(now);
  EXPECT_NE(a, b);
  EXPECT_EQ(a.size(), 32u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_FALSE(book.Redeem("0123456789abcdef0123456789abcdef", now));
  EXPECT_TRUE(book.Redeem(a, now + 59s));
  EXPECT_FALSE(book.Redeem(a, now + 59s));
  EXPECT_FALSE(book.Redeem(b, now + 60s));  // expired
  EXPECT_EQ(book.Outstanding(), 0u);
}

TEST(EchoBook, OldestValuesGiveWayAtCapacity) {
  EchoBook book(60s, 2);
  auto now = EchoBook::Clock::now();
  std::string a = book.Issue(now), b = book.Issue(now), c = book.Issue(now);
  EXPECT_FALSE(book.Redeem(a, now));
  EXPECT_TRUE(book.Redeem(b, now));
  EXPECT_TRUE(book.Redeem(c, now));
}

TEST(ScoreStore, KeepsRowsAcrossReopeningAndRanksThem) {
  TempFolder dir;
  const std::string path = (dir / "scores.sqlite").string();
  const std::string hostile = "O'BRIEN\"); DROP TABLE results; --";
  {
    ScoreStore store(path);
    store.Add("FIRST", 500, "", 1);
    store.Add("SECOND", 900, hostile, 2);
    store.Add("THIRD", 500, "", 3);
    store.Add("LOW", -5, "", 4);
  }
  ScoreStore store(path);
  EXPECT_EQ(store.Count(), 4);
  auto rows = store.Best(3);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Name, "SECOND");
  EXPECT_EQ(rows[0].Note, hostile);
  EXPECT_EQ(rows[1].Name, "FIRST");  // equal scores: first received ranks higher
  EXPECT_EQ(rows[2].Name, "THIRD");
}

TEST(ScoreStore, UnopenableFileIsAnError) {
  TempFolder dir;
  EXPECT_THROW(ScoreStore((dir / "missing-folder/scores.sqlite").string()), StoreError);
}

TEST(Pages, EscapeEverythingShown) {
  EXPECT_EQ(HtmlEscape("<a href=\"x\">Tom & 'Jerry'</a>"),
            "&lt;a href=&quot;x&quot;&gt;Tom &amp; &#39;Jerry&#39;&lt;/a&gt;");
  std::string page = ShowPage({TResultRow{1, "AB", 10, "<script>alert(1)</script>", 0}}, 1);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
}

class ScoreServerTest : public OnlineTest {
 protected:
  TempFolder dir;
};

TEST_F(ScoreServerTest, SubmittedScoreIsStoredAndListed) {
  ScoreServerProcess server(dir / "scores.sqlite");
  SetServerForTests("127.0.0.1", server.Port(), 5s);
  PlayerName = "ANNA BELL";
  Score = 12345;
  GameOptions.AddText = "HI FROM <SCRIPT>";
  SubmitScore();
  EXPECT_TRUE(platform.Boxes.empty());

  std::string page = Fetch(server.Port(), ShowTarget);
  EXPECT_NE(page.find("<td class=\"name\">ANNA BELL</td><td class=\"score\">12345</td>"), std::string::npos);
  EXPECT_NE(page.find("HI FROM &lt;SCRIPT&gt;"), std::string::npos);
  EXPECT_EQ(page.find("<SCRIPT>"), std::string::npos);
  EXPECT_NE(Fetch(server.Port(), "/").find("href=\"" + HtmlEscape(ShowTarget) + "\""), std::string::npos);
}

TEST_F(ScoreServerTest, EchoValueIsTheFifthFieldAndGoodOnce) {
  ScoreServerProcess server(dir / "scores.sqlite");
  std::string reply = Fetch(server.Port(), VersionTarget);
  EXPECT_EQ(reply.compare(0, 3, "OK|"), 0) << reply;
  std::string echo = EchoValue(reply);
  EXPECT_EQ(echo.size(), 32u) << reply;
  EXPECT_NE(FreshEcho(server.Port()), echo);

  std::string target = SubmitTarget + Code(ResultText("AB", 5, echo, ""));
  std::string body;
  EXPECT_EQ(Fetch(server.Port(), target, body), 200);
  EXPECT_EQ(body.compare(0, 10, "OK|stored|"), 0) << body;
  EXPECT_EQ(Fetch(server.Port(), target, body), 403);  // replayed
  EXPECT_EQ(ResultsSent(server.Port()), 1);
}

TEST_F(ScoreServerTest, HostileRequestsAreRefusedAndChangeNothing) {
  ScoreServerProcess server(dir / "scores.sqlite");
  const uint16_t port = server.Port();
  const std::string good = ResultText("AB", 5, FreshEcho(port), "");
  struct Case { std::string target; int status; };
  const Case cases[] = {
      {"/cgi/version.pl", 400},
      {"/cgi/version.pl?version&prg=Other", 400},
      {"/cgi/version.pl?version&prg=Fusewick&prg=Other", 400},
      {"/cgi/version.pl?version&hs&prg=Fusewick", 400},
      {"/cgi/version.pl?version&prg=Fusewick&extra=1", 400},
      {"/cgi/version.pl?prg=Fusewick&type=1&show", 400},
      {"/cgi/version.pl?hs&prg=Fusewick", 400},
      {"/cgi/version.pl?hs&prg=Fusewick&inf=", 400},
      {"/cgi/version.pl?hs&prg=Fusewick&inf=%27%3B%20DROP%20TABLE%20results", 400},
      {SubmitTarget + Code(ResultText("ab", 5, FreshEcho(port), "")), 400},
      {SubmitTarget + Code(ResultText("AB", 5, "ffffffffffffffffffffffffffffffff", "")), 403},
      {SubmitTarget + Code(good) + "&inf=" + Code(good) + "AAAAAAAA", 400},
      {SubmitTarget + std::string(2000, 'A'), 400},
      {SubmitTarget + std::string(9000, 'A'), 414},
      {"/cgi/other.pl", 404},
      {"/../../etc/passwd", 404},
  };
  for (const Case& c : cases) {
    std::string body;
    EXPECT_EQ(Fetch(port, c.target, body), c.status) << c.target.substr(0, 120);
  }
  // Not a GET, a header flood, no HTTP at all.
  EXPECT_EQ(Exchange(port, "POST /cgi/version.pl?version&prg=Fusewick HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n")
                .substr(0, 12),
            "HTTP/1.1 404");
  std::string flood = "GET / HTTP/1.1\r\nHost: x\r\n";
  for (int i = 0; i < 2000; ++i) flood += "X-Filler-" + std::to_string(i) + ": " + std::string(200, 'f') + "\r\n";
  EXPECT_EQ(Exchange(port, flood + "\r\n").find("200 OK"), std::string::npos);
  EXPECT_EQ(Exchange(port, "\x16\x03\x01 hello\r\n\r\n").substr(0, 12), "HTTP/1.1 400");

  EXPECT_EQ(ResultsSent(port), 0);
  // The echo value of the good record is still unused.
  std::string body;
  EXPECT_EQ(Fetch(port, SubmitTarget + Code(good), body), 200);
  EXPECT_EQ(ResultsSent(port), 1);
}

TEST_F(ScoreServerTest, ConcurrentSubmissionsAreAllStored) {
  ScoreServerProcess server(dir / "scores.sqlite");
  const uint16_t port = server.Port();
  constexpr int Threads = 8, Each = 25;
  std::atomic<int> stored{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < Each; ++i) {
        std::string reply, body;
        Fetch(port, VersionTarget, reply);
        std::string name = std::string(1, char('A' + t)) + " " + std::string(1, char('A' + i % 26));
        if (Fetch(port, SubmitTarget + Code(ResultText(name, t * 100 + i, EchoValue(reply), "")), body) == 200) ++stored;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(stored, Threads * Each);
  EXPECT_EQ(ResultsSent(port), Threads * Each);
  // The page lists the best 100 only.
  std::string page = Fetch(port, ShowTarget);
  size_t rows = 0;
  for (size_t at = 0; (at = page.find("<td class=\"rank\">", at)) != std::string::npos; ++at) ++rows;
  EXPECT_EQ(rows, 100u);
}

TEST_F(ScoreServerTest, StoredRowsSurviveKillNine) {
  ScoreServerProcess server(dir / "scores.sqlite");
  SetServerForTests("127.0.0.1", server.Port(), 5s);
  PlayerName = "KEPT";
  Score = 777;
  SubmitScore();
  ASSERT_TRUE(platform.Boxes.empty());
  server.Restart();  // SIGKILL, then a new process on the same file
  EXPECT_EQ(ResultsSent(server.Port()), 1);
  EXPECT_NE(Fetch(server.Port(), ShowTarget).find(">KEPT<"), std::string::npos);
}
