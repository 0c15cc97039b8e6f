#include <gtest/gtest.h>

#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>

#include "Pages.h"
#include "Store.h"
#include "Submission.h"
#include "Verifier.h"
#include "online_helpers.h"
#include "services/HttpClient.h"
#include "services/RecordingHeader.h"

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
  const std::filesystem::path& Path() const { return path_; }

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

// Rate limits off, for tests that send more than a player would.
const std::vector<std::string> Unlimited = {"--echo-rate", "0", "--submit-rate", "0"};

// A connection from the given loopback address; -1 if it cannot connect.
int ConnectFrom(const char* from, uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in src{};
  src.sin_family = AF_INET;
  ::inet_pton(AF_INET, from, &src.sin_addr);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&src), sizeof src) != 0 ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// True if the server closes fd within the time (reading and dropping input).
bool ClosedWithin(int fd, std::chrono::milliseconds time) {
  char buf[4096];
  auto until = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < until) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0) return true;
  }
  return false;
}

// Runs the server binary with args to its end; returns its exit status and
// fills output with what it printed.
int RunServer(const std::string& args, std::string& output, bool asNobody = false) {
  std::string command = std::string(asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                        FUSEWICK_SCORES_BIN + " --host 127.0.0.1 " + args + " 2>&1";
  FILE* p = ::popen(command.c_str(), "r");
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
  int status = ::pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A stand-in for the replay runner: it prints the recording itself, which
// the tests write as the runner's lines; a few recordings ask for a runner
// that hangs, crashes, floods its output or reports a divergence. Asked, it
// says it plays the logic version given; each run is logged under its name.
std::string FakeVerifier(const TempFolder& dir, uint32_t logicVersion = 1, const std::string& name = "fake-replay") {
  const std::string path = (dir.Path() / name).string();
  std::ofstream(path) << "#!/bin/sh\n"
                         "[ \"$*\" = --logic-version ] && { echo " +
                             std::to_string(logicVersion) +
                             "; exit 0; }\n"
                             "[ \"$1\" = --replay ] && [ \"$3\" = --max-ticks ] && [ -n \"$4\" ] ||"
                             " { echo 'fusewick-replay: bad arguments' >&2; exit 2; }\n"
                             "case \"$(head -c 5 \"$2\")\" in\n"
                             "  HANG!) exec sleep 600 ;;\n"
                             "  CRASH) kill -SEGV $$ ;;\n"
                             "  FLOOD) exec yes 'score: 1' ;;\n"
                             "  DIVER) cat \"$2\"; echo 'fusewick-replay: diverged at tick 9' >&2; exit 3 ;;\n"
                             "esac\n"
                             "printf '" +
                             name + " %s\\n' \"$(head -c 60 \"$2\" | tr -d '\\000' | tr '\\n' ' ')\" >> '" +
                             (dir / "runs.log").string() +
                             "'\n"
                             "cat \"$2\"\n";
  ::chmod(path.c_str(), 0755);
  return path;
}

// What a runner prints for a recorded game.
std::string RunnerLines(const std::string& name, int32_t score) {
  return "score: " + std::to_string(score) + "\nlevel: 3\nticks: 4000\nname: " + name + "\n";
}

// POSTs a recording for an echo value; returns the status.
int Upload(uint16_t port, const std::string& echo, const std::string& bytes, std::string* reply = nullptr) {
  THttpClient http;
  http.Host = "127.0.0.1";
  http.Port = port;
  http.Timeout = 5s;
  std::string body;
  try {
    http.Post(UploadTarget + echo, "application/octet-stream", bytes, body);
  } catch (const std::exception&) {
  }
  if (reply) *reply = body;
  return http.ResponseCode;
}

// Submits a result; returns the echo value it used ("" if not stored).
std::string Submit(uint16_t port, const std::string& name, int32_t score) {
  std::string echo = FreshEcho(port), body;
  return Fetch(port, SubmitTarget + Code(ResultText(name, score, echo, "")), body) == 200 ? echo : "";
}

// The value of a metric line that starts with prefix, or -1.
double Metric(uint16_t port, const std::string& prefix) {
  std::string metrics = Fetch(port, "/metrics");
  size_t at = metrics.find("\n" + prefix + " ");
  return at == std::string::npos ? -1 : std::atof(metrics.c_str() + at + prefix.size() + 2);
}

// Waits until the server has finished n verifications.
bool VerifiedCount(uint16_t port, int n, std::chrono::milliseconds within = 20s) {
  auto until = std::chrono::steady_clock::now() + within;
  while (std::chrono::steady_clock::now() < until) {
    if (Metric(port, "fusewick_scores_verification_seconds_count") >= n) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

// The rows of /api/scores, reduced to "NAME SCORE verified|-" each.
std::vector<std::string> ApiRows(uint16_t port, const std::string& query = "") {
  std::string json = Fetch(port, "/api/scores" + query);
  std::vector<std::string> rows;
  for (size_t at = 0; (at = json.find("\"name\":\"", at)) != std::string::npos; ++at) {
    size_t end = json.find('"', at + 8);
    size_t score = json.find("\"score\":", end);
    size_t verified = json.find("\"verified\":", end);
    rows.push_back(json.substr(at + 8, end - at - 8) + " " + std::to_string(std::atoi(json.c_str() + score + 8)) +
                   (json.compare(verified + 11, 4, "true") == 0 ? " verified" : " -"));
  }
  return rows;
}

// The rows of /api/scores, reduced to "NAME STATUS" each.
std::vector<std::string> ApiStatuses(uint16_t port) {
  std::string json = Fetch(port, "/api/scores");
  std::vector<std::string> rows;
  for (size_t at = 0; (at = json.find("\"name\":\"", at)) != std::string::npos; ++at) {
    size_t end = json.find('"', at + 8);
    size_t status = json.find("\"status\":\"", end) + 10;
    rows.push_back(json.substr(at + 8, end - at - 8) + " " + json.substr(status, json.find('"', status) - status));
  }
  return rows;
}

// A recording's header naming a logic version, and then the runner's lines
// (which the fake runner prints back).
std::string RecordingOf(uint32_t logicVersion, const std::string& name, int32_t score) {
  std::string bytes = std::string(kRecordingMagic) + char(kRecordingFormatVersion) + '\0' + char(3) + "2.0";
  for (int i = 0; i < 4; ++i) bytes += char(uint8_t(logicVersion >> (8 * i)));
  bytes += std::string(16, '\x01');  // images, sizes
  return bytes + "\n" + RunnerLines(name, score);
}

}  // namespace

TEST(ParseSubmission, TakesWellFormedRecords) {
  struct Case {
    std::string record;
    std::string name;
    int32_t score;
    std::string note;
  };
  const Case cases[] = {
      {"type=0|name=MARY ANN|score=1234|key=X|p=" + Echo + "|add=HELLO|z=", "MARY ANN", 1234, "HELLO"},
      {"type=0|name=|score=0|key=X|p=" + Echo + "|add=|z=", "", 0, ""},
      {"type=0|name=AB|score=-2147483648|key=X|p=" + Echo + "|add=  SPACES AROUND   |z=", "AB", INT32_MIN,
       "SPACES AROUND"},
      {"type=0|name=AB|score=2147483647|key=X|p=" + Echo + "|add=A|z=B|z=", "AB", INT32_MAX, "A|z=B"},
      {"type=0|name=AB|score=5|key=X|p=" + Echo + "|add=" + std::string(300, ' ') + "|z=", "AB", 5, ""},
      // Names and free texts longer than the game shows are taken whole.
      {"type=0|name=" + std::string(300, 'N') + "|score=5|key=X|p=" + Echo + "|add=" + std::string(900, 'T') + "|z=",
       std::string(300, 'N'), 5, std::string(900, 'T')},
  };
  for (const Case& c : cases) {
    TSubmission s;
    std::string why;
    ASSERT_TRUE(ParseSubmission(Code(c.record), s, why)) << c.record << ": " << why;
    EXPECT_EQ(s.Name, c.name);
    EXPECT_EQ(s.Score, c.score);
    EXPECT_EQ(s.Echo, Echo);
    EXPECT_EQ(s.Note, c.note);
    EXPECT_FALSE(s.Shortened);
  }
}

TEST(ParseSubmission, CutsOverlongFieldsInsteadOfRefusingThem) {
  // A name of letters and a long run of spaces, as a player can type it.
  std::string name = "LONG NAME" + std::string(1500, ' ');
  TSubmission s;
  std::string why;
  ASSERT_TRUE(ParseSubmission(
      Code("type=0|name=" + name + "|score=5|key=X|p=" + Echo + "|add=" + std::string(1100, 'X') + "|z="), s, why))
      << why;
  EXPECT_TRUE(s.Shortened);
  EXPECT_EQ(s.Name, name.substr(0, MaxFieldLength));
  EXPECT_EQ(s.Note, std::string(MaxFieldLength, 'X'));
}

TEST(ParseSubmission, RefusesMalformedRecords) {
  const std::string tail = "|key=X|p=" + Echo + "|add=|z=";
  const std::string good = "type=0|name=AB|score=5" + tail;
  const std::string codes[] = {
      "",
      Code(good).substr(1),                          // not whole groups
      "0" + Code(good).substr(1),                    // a character outside the alphabet
      Code(good) + std::string(MaxCodeLength, 'A'),  // too long
      Code("type=1|name=AB|score=5" + tail),
      Code("type=0|name=ab|score=5" + tail),
      Code("type=0|name=A<B|score=5" + tail),
      Code("type=0|name=AB|score=" + tail),
      Code("type=0|name=AB|score=007" + tail),
      Code("type=0|name=AB|score=-0" + tail),
      Code("type=0|name=AB|score=2147483648" + tail),
      Code("type=0|name=AB|score=5x" + tail),
      Code("type=0|name=AB|score=5|key=Y|p=" + Echo + "|add=|z="),
      Code("type=0|name=AB|score=5|key=X|p=abc|add=|z="),
      Code("type=0|name=AB|score=5|key=X|p=" + Echo + "|add=\x01|z="),
      Code("type=0|name=AB|score=5|key=X|p=" + Echo + "|add=\xE9|z="),
      Code("type=0|name=AB|score=5|key=X|p=" + Echo + "|add="),
      EncodeResult(good + "00000"),  // more padding than a multiple of 5 needs
      EncodeResult(good.substr(0, good.size() - 1) + "x0000"),
  };
  for (const std::string& code : codes) {
    TSubmission s;
    std::string why;
    EXPECT_FALSE(ParseSubmission(code, s, why)) << (DecodeResult(code) ? *DecodeResult(code) : code);
    EXPECT_FALSE(why.empty());
  }
}

// The store's behaviour on each backend: SQLite always, PostgreSQL when the
// suite runs under tools/scores/load/with-postgres.sh (FUSEWICK_TEST_POSTGRES
// holds the URL of a throw-away database; the tables are dropped before each test).
class StoreTest : public ::testing::TestWithParam<std::string> {
 protected:
  TempFolder dir;
  std::string Location() {
    if (GetParam() == "sqlite") return (dir / "scores.sqlite").string();
    return std::getenv("FUSEWICK_TEST_POSTGRES");
  }
  std::unique_ptr<IScoreStore> Open(const TStoreLimits& limits = {}) { return OpenStore(Location(), limits, false); }
  void SetUp() override {
    if (GetParam() == "sqlite") return;
    PGconn* c = PQconnectdb(Location().c_str());
    ASSERT_EQ(PQstatus(c), CONNECTION_OK) << PQerrorMessage(c);
    PQclear(PQexec(c, "SET client_min_messages = warning"));
    PGresult* r = PQexec(c, "DROP TABLE IF EXISTS verify_jobs, recordings, results, echoes, meta");
    EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
  }
};

std::vector<std::string> Backends() {
  std::vector<std::string> backends = {"sqlite"};
  if (std::getenv("FUSEWICK_TEST_POSTGRES")) backends.push_back("postgresql");
  return backends;
}
INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, ::testing::ValuesIn(Backends()),
                         [](const auto& info) { return info.param; });

// Stores (name, score) rows through fresh echo values; returns their ids.
std::vector<int64_t> AddRows(IScoreStore& store, const std::vector<std::pair<std::string, int32_t>>& rows) {
  std::vector<int64_t> ids;
  for (const auto& [name, score] : rows) {
    std::string echo = NewEchoValue();
    store.AddEcho(echo, 2000);
    TSubmitResult r = store.Submit(echo, TResultRow{0, name, score, "", 1000, false}, 1000);
    ids.push_back(r.Outcome == TSubmitOutcome::Stored ? r.Id : -1);
  }
  return ids;
}

TEST_P(StoreTest, EachEchoValueIsGoodOnceWhileFresh) {
  auto store = Open();
  std::string a = NewEchoValue(), b = NewEchoValue();
  EXPECT_NE(a, b);
  EXPECT_EQ(a.size(), 32u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  store->AddEcho(a, 1060);
  store->AddEcho(b, 1060);
  TResultRow row{0, "AB", 5, "", 1000, false};
  EXPECT_EQ(store->Submit(Echo, row, 1000).Outcome, TSubmitOutcome::UnknownEcho);
  EXPECT_EQ(store->Submit(a, row, 1059).Outcome, TSubmitOutcome::Stored);
  EXPECT_EQ(store->Submit(a, row, 1059).Outcome, TSubmitOutcome::UnknownEcho);  // used
  EXPECT_EQ(store->Submit(b, row, 1060).Outcome, TSubmitOutcome::UnknownEcho);  // expired
  EXPECT_EQ(store->Count(), 1);
}

TEST_P(StoreTest, KeepsRowsAcrossReopeningAndRanksThem) {
  const std::string hostile = "O'BRIEN\"); DROP TABLE results; --";
  {
    auto store = Open();
    AddRows(*store, {{"FIRST", 500}, {"SECOND", 900}, {"THIRD", 500}, {"LOW", 0}});
    std::string echo = NewEchoValue();
    store->AddEcho(echo, 2000);
    store->Submit(echo, TResultRow{0, "HOSTILE", 100, hostile, 1, false}, 1000);
  }
  auto store = Open();
  EXPECT_EQ(store->Count(), 5);
  auto rows = store->Best(10);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].Name, "SECOND");
  EXPECT_EQ(rows[1].Name, "FIRST");  // equal scores: first received ranks higher
  EXPECT_EQ(rows[2].Name, "THIRD");
  EXPECT_EQ(rows[3].Note, hostile);
  EXPECT_FALSE(rows[0].Verified);
}

TEST_P(StoreTest, ANameKeepsItsBestResults) {
  TStoreLimits limits;
  limits.MaxRowsPerName = 2;
  auto store = Open(limits);
  auto ids = AddRows(*store, {{"SAM", 10}, {"SAM", 30}, {"SAM", 10}, {"SAM", 20}, {"ANN", 5}});
  EXPECT_EQ(ids[2], -1);  // not better than the lowest kept: refused
  EXPECT_GT(ids[3], 0);   // better: replaces the 10
  auto rows = store->Best(10);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Score, 30);
  EXPECT_EQ(rows[1].Score, 20);
  EXPECT_EQ(rows[2].Name, "ANN");
}

TEST_P(StoreTest, RowsBeyondTheBoundGoOldestFirst) {
  TStoreLimits limits;
  limits.MaxRows = 3;
  auto store = Open(limits);
  AddRows(*store, {{"A", 900}, {"B", 1}, {"C", 2}, {"D", 3}, {"E", 4}});
  EXPECT_EQ(store->Maintain(1000), 2);
  EXPECT_EQ(store->Count(), 3);
  std::vector<std::string> names;
  for (const auto& r : store->Best(10)) names.push_back(r.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"E", "D", "C"}));
}

TEST(SqliteStore, FileFromBeforeTheVerifiedColumnGetsIt) {
  TempFolder dir;
  const std::string path = (dir / "scores.sqlite").string();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE results (id INTEGER PRIMARY KEY, name TEXT NOT NULL, score INTEGER NOT NULL,"
                         " note TEXT NOT NULL, received INTEGER NOT NULL);"
                         "INSERT INTO results (name, score, note, received) VALUES ('OLD', 7, '', 1);",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  auto store = OpenSqliteStore(path, {}, false);
  auto rows = store->Best(10);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Name, "OLD");
  EXPECT_FALSE(rows[0].Verified);
}

TEST(OpenStore, UnopenableDatabaseIsAnError) {
  TempFolder dir;
  EXPECT_THROW(OpenStore("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2", {}, false), StoreError);
  EXPECT_THROW(OpenSqliteStore((dir / "missing-folder/scores.sqlite").string(), {}, false), StoreError);
  std::ofstream(dir / "not-a-database") << std::string(4096, 'x');
  EXPECT_THROW(OpenSqliteStore((dir / "not-a-database").string(), {}, false), StoreError);
}

TEST(Pages, EscapeEverythingShown) {
  EXPECT_EQ(HtmlEscape("<a href=\"x\">Tom & 'Jerry'</a>"),
            "&lt;a href=&quot;x&quot;&gt;Tom &amp; &#39;Jerry&#39;&lt;/a&gt;");
  std::string page = ShowPage({TResultRow{1, "AB", 10, "<script>alert(1)</script>", 0, false}}, 1);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
}

TEST(Pages, LongNamesAndTextsAreShownShortened) {
  std::string name = std::string(40, 'N') + std::string(500, ' ');
  std::string page = ShowPage({TResultRow{1, name, 10, std::string(70, '<'), 0, false}}, 1);
  EXPECT_NE(page.find(">" + std::string(ShownNameLength, 'N') + "&hellip;<"), std::string::npos);
  std::string shownNote;
  for (size_t i = 0; i < ShownNoteLength; ++i) shownNote += "&lt;";
  EXPECT_NE(page.find(">" + shownNote + "&hellip;<"), std::string::npos);
  EXPECT_EQ(page.find(std::string(ShownNameLength + 1, 'N')), std::string::npos);
  // Short ones as they are, spaces at their ends dropped.
  page = ShowPage({TResultRow{1, "ANNA  ", 10, "HI", 0, false}}, 1);
  EXPECT_NE(page.find(">ANNA<"), std::string::npos);
}

class ScoreServerTest : public OnlineTest {
 protected:
  TempFolder dir;
};

TEST_F(ScoreServerTest, SubmittedScoreIsStoredAndListed) {
  ScoreServerProcess server(dir / "scores.sqlite");
  SetServerForTests("127.0.0.1", server.Port(), 5s);
  SubmitScore("ANNA BELL", 12345, "HI FROM <SCRIPT>");
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
  ScoreServerProcess server(dir / "scores.sqlite", Unlimited);
  const uint16_t port = server.Port();
  const std::string good = ResultText("AB", 5, FreshEcho(port), "");
  struct Case {
    std::string target;
    int status;
  };
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
  // Not a GET, a body too large, a header flood, no HTTP at all.
  EXPECT_EQ(Exchange(port, "POST /cgi/version.pl?version&prg=Fusewick HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n")
                .substr(0, 12),
            "HTTP/1.1 405");
  EXPECT_EQ(Exchange(port, "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n").substr(0, 12),
            "HTTP/1.1 413");
  std::string flood = "GET / HTTP/1.1\r\nHost: x\r\n";
  for (int i = 0; i < 2000; ++i) flood += "X-Filler-" + std::to_string(i) + ": " + std::string(200, 'f') + "\r\n";
  EXPECT_EQ(Exchange(port, flood + "\r\n").substr(0, 12), "HTTP/1.1 431");
  EXPECT_EQ(Exchange(port, "\x16\x03\x01 hello\r\n\r\n").substr(0, 12), "HTTP/1.1 400");
  // Many ranges get the page once, as a plain 200: no amplification.
  std::string ranges = "bytes=0-";
  for (int i = 0; i < 1000; ++i) ranges += ",0-";
  std::string plain =
      Exchange(port, std::string("GET ") + ShowTarget + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  std::string ranged = Exchange(port, std::string("GET ") + ShowTarget +
                                          " HTTP/1.1\r\nHost: x\r\nConnection: close\r\nRange: " + ranges + "\r\n\r\n");
  EXPECT_EQ(ranged.substr(0, 12), "HTTP/1.1 200");
  EXPECT_EQ(ranged.size(), plain.size());

  EXPECT_EQ(ResultsSent(port), 0);
  // The echo value of the good record is still unused.
  std::string body;
  EXPECT_EQ(Fetch(port, SubmitTarget + Code(good), body), 200);
  EXPECT_EQ(ResultsSent(port), 1);
}

TEST_F(ScoreServerTest, ConcurrentSubmissionsAreAllStored) {
  ScoreServerProcess server(dir / "scores.sqlite", Unlimited);
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
        if (Fetch(port, SubmitTarget + Code(ResultText(name, t * 100 + i, EchoValue(reply), "")), body) == 200)
          ++stored;
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
  SubmitScore("KEPT", 777, "");
  ASSERT_TRUE(platform.Boxes.empty());
  server.Restart();  // SIGKILL, then a new process on the same file
  EXPECT_EQ(ResultsSent(server.Port()), 1);
  EXPECT_NE(Fetch(server.Port(), ShowTarget).find(">KEPT<"), std::string::npos);
}

TEST_F(ScoreServerTest, LongNamesAndTextsFromTheGameAreStoredAndShownShortened) {
  ScoreServerProcess server(dir / "scores.sqlite");
  SetServerForTests("127.0.0.1", server.Port(), 5s);
  // Spaces go in whatever the width: a name and a text longer than shown.
  const std::string name = "WILHELMINA" + std::string(200, ' ') + "VON ZEPPELIN";
  const std::string text = "GREETINGS" + std::string(300, ' ') + "TO ALL";
  SubmitScore(name, 4321, text);
  EXPECT_EQ(ResultsSent(server.Port()), 1);
  std::string page = Fetch(server.Port(), ShowTarget);
  EXPECT_NE(page.find(">WILHELMINA" + std::string(ShownNameLength - 10, ' ') + "&hellip;<"), std::string::npos);

  auto store = OpenSqliteStore((dir / "scores.sqlite").string(), {}, false);
  auto rows = store->Best(1);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Name, name);  // stored whole
  EXPECT_EQ(rows[0].Note, text);
}

TEST_F(ScoreServerTest, ImplausibleScoresAreRefused) {
  ScoreServerProcess server(dir / "scores.sqlite", {"--max-score", "5000", "--echo-rate", "0", "--submit-rate", "0"});
  const std::pair<int32_t, int> cases[] = {{5000, 200}, {5001, 422}, {INT32_MAX, 422}, {-1, 422}, {0, 200}};
  for (auto [score, status] : cases) {
    std::string body;
    EXPECT_EQ(Fetch(server.Port(), SubmitTarget + Code(ResultText("AB", score, FreshEcho(server.Port()), "")), body),
              status)
        << score;
  }
  EXPECT_EQ(ResultsSent(server.Port()), 2);
}

TEST_F(ScoreServerTest, AnAddressOverItsRateGets429WithRetryAfter) {
  ScoreServerProcess server(dir / "scores.sqlite", {"--echo-rate", "3"});
  const std::string request = std::string("GET ") + VersionTarget + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Exchange(server.Port(), request).substr(0, 12), "HTTP/1.1 200");
  std::string refused = Exchange(server.Port(), request);
  EXPECT_EQ(refused.substr(0, 12), "HTTP/1.1 429");
  size_t retry = refused.find("Retry-After: ");
  ASSERT_NE(retry, std::string::npos) << refused;
  int wait = std::atoi(refused.c_str() + retry + 13);
  EXPECT_TRUE(wait >= 15 && wait <= 20) << refused;  // one of three a minute
  // Another address is not held back.
  int fd = ConnectFrom("127.0.0.3", server.Port());
  ASSERT_GE(fd, 0);
  SendAllBytes(fd, request);
  char buf[64] = {};
  ASSERT_GT(::recv(fd, buf, 12, MSG_WAITALL), 0);
  EXPECT_EQ(std::string(buf, 12), "HTTP/1.1 200");
  ::close(fd);
}

TEST_F(ScoreServerTest, ConnectionsAreBoundedInTimeCountAndPerAddress) {
  ScoreServerProcess server(dir / "scores.sqlite",
                            {"--header-time", "1", "--requests-per-connection", "2", "--connections-per-address", "2"});
  const uint16_t port = server.Port();
  // A header that never ends is cut after the header time.
  int slow = ConnectFrom("127.0.0.2", port);
  ASSERT_GE(slow, 0);
  SendAllBytes(slow, "GET / HTTP/1.1\r\nHost: x\r\n");
  EXPECT_TRUE(ClosedWithin(slow, 3s));
  ::close(slow);

  // Two connections per address; a third is closed at once, another address gets in.
  int a = ConnectFrom("127.0.0.2", port), b = ConnectFrom("127.0.0.2", port);
  std::this_thread::sleep_for(200ms);
  int c = ConnectFrom("127.0.0.2", port);
  EXPECT_TRUE(ClosedWithin(c, 500ms));
  int d = ConnectFrom("127.0.0.3", port);
  EXPECT_FALSE(ClosedWithin(d, 300ms));
  for (int fd : {a, b, c, d}) ::close(fd);

  // The second request on a connection is its last.
  std::string two =
      "GET / HTTP/1.1\r\nHost: x\r\n\r\nGET / HTTP/1.1\r\nHost: x\r\n\r\nGET / HTTP/1.1\r\nHost: x\r\n\r\n";
  std::string replies = Exchange(port, two);
  size_t answers = 0;
  for (size_t at = 0; (at = replies.find("HTTP/1.1 200", at)) != std::string::npos; ++at) ++answers;
  EXPECT_EQ(answers, 2u);
  EXPECT_NE(replies.find("Connection: close"), std::string::npos);
}

TEST_F(ScoreServerTest, HealthMetricsAndOneLogLinePerRequest) {
  const std::string log = (dir / "requests.log").string();
  {
    ScoreServerProcess server(dir / "scores.sqlite", {}, log);
    const uint16_t port = server.Port();
    EXPECT_EQ(Fetch(port, "/healthz"), "OK\n");
    std::string body;
    EXPECT_EQ(Fetch(port, SubmitTarget + Code(ResultText("AB", 5, FreshEcho(port), "")), body), 200);
    EXPECT_EQ(Fetch(port, "/cgi/version.pl?version&prg=Other", body), 400);
    std::string metrics = Fetch(port, "/metrics");
    for (const char* line :
         {"fusewick_scores_submissions_total 1\n", "fusewick_scores_requests_total{call=\"submit\",status=\"200\"} 1\n",
          "fusewick_scores_refusals_total{reason=\"bad_request\"} 1\n", "fusewick_scores_verification_queue_length 0\n",
          "# TYPE fusewick_scores_results gauge\n"})
      EXPECT_NE(metrics.find(line), std::string::npos) << line << metrics;
    server.Kill(SIGTERM);
  }
  std::ifstream in(log);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind("ts=", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(" remote=127.0.0.1 method=GET call=healthz status=200 "), std::string::npos) << lines[0];
  EXPECT_NE(lines[2].find(" call=submit status=200 "), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find(" status=400 "), std::string::npos) << lines[3];
  EXPECT_NE(lines[3].find(" reason=\"bad_request\""), std::string::npos) << lines[3];
}

TEST_F(ScoreServerTest, PortInUseOrUnwritableDatabaseStopsTheStart) {
  ScoreServerProcess first(dir / "scores.sqlite");
  std::string output;
  EXPECT_EQ(RunServer("--port " + std::to_string(first.Port()) + " --db " + (dir / "other.sqlite").string(), output),
            1);
  EXPECT_NE(output.find("already in use"), std::string::npos) << output;
  EXPECT_EQ(output.find("listening"), std::string::npos) << output;

  // A database the server may read but not write (as root, the server runs as nobody).
  first.Kill(SIGTERM);
  ::chmod((dir / "scores.sqlite").c_str(), 0444);
  ::chmod(dir.Path().c_str(), 0755);
  output.clear();
  EXPECT_EQ(RunServer("--port 0 --db " + (dir / "scores.sqlite").string(), output, ::geteuid() == 0), 1);
  EXPECT_NE(output.find("scores.sqlite"), std::string::npos) << output;
  EXPECT_EQ(output.find("listening"), std::string::npos) << output;
}

TEST_F(ScoreServerTest, FullStoreQueueIsAnswered503AtOnce) {
  const auto path = dir / "scores.sqlite";
  ScoreServerProcess server(path, {"--store-threads", "1", "--store-queue", "1"});
  // Another writer holds the database, so the one store thread waits.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  const std::string request = std::string("GET ") + VersionTarget + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  std::vector<int> fds;
  std::string busy;
  for (int i = 0; i < 4; ++i) {
    int fd = ConnectFrom("127.0.0.1", server.Port());
    ASSERT_GE(fd, 0);
    SendAllBytes(fd, request);
    fds.push_back(fd);
    std::this_thread::sleep_for(200ms);
  }
  // The last ones find the thread busy and the queue full: answered at once.
  char buf[4096];
  pollfd p{fds.back(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 1000), 1);
  ssize_t n = ::recv(fds.back(), buf, sizeof buf, 0);
  ASSERT_GT(n, 0);
  busy.assign(buf, size_t(n));
  EXPECT_EQ(busy.substr(0, 12), "HTTP/1.1 503") << busy;
  EXPECT_NE(busy.find("Retry-After: 1\r\n"), std::string::npos) << busy;

  // Once the database is free, the first one is served.
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  pollfd first{fds.front(), POLLIN, 0};
  ASSERT_EQ(::poll(&first, 1, 5000), 1);
  n = ::recv(fds.front(), buf, sizeof buf, 0);
  ASSERT_GT(n, 12);
  EXPECT_EQ(std::string(buf, 12), "HTTP/1.1 200");
  for (int fd : fds) ::close(fd);
  EXPECT_NE(Fetch(server.Port(), "/metrics").find("fusewick_scores_refusals_total{reason=\"busy\"} "),
            std::string::npos);
}

TEST(Verifier, ReadsTheRunnersLines) {
  struct Case {
    std::string output;
    bool readable;
    bool hasName, hasScore;
    std::string name;
    int64_t score;
  };
  const Case cases[] = {
      {"score: 120\nlevel: 2\nticks: 900\nname: ANNA BELL\n", true, true, true, "ANNA BELL", 120},
      {"name: \nscore: 0\n", true, true, true, "", 0},
      {"name:\nscore: 7", true, true, true, "", 7},
      {"name: A\\x5cB\\x7f\\x00C\r\nscore: -3\r\n", true, true, true, std::string("A\\B\x7f\0C", 6), -3},
      {"level: 2\nticks: 900\n", true, false, false, "", 0},
      {"noise\nscore: 5\n", true, false, true, "", 5},
      {"score: 5\nscore: 6\nname: A\n", false, false, false, "", 0},
      {"name: A\nname: B\nscore: 1\n", false, false, false, "", 0},
      {"score: 5x\nname: A\n", false, false, false, "", 0},
      {"score: 123456789012\nname: A\n", false, false, false, "", 0},
      {"score: 1\nname: A\\B\n", false, false, false, "", 0},
      {"score: 1\nname: A\\xZZ\n", false, false, false, "", 0},
      {"score: 1\nname: A\\x4\n", false, false, false, "", 0},
  };
  for (const Case& c : cases) {
    TVerdict v;
    EXPECT_EQ(ParseVerifierOutput(c.output, v), c.readable) << c.output;
    if (!c.readable) continue;
    EXPECT_EQ(v.HasName, c.hasName) << c.output;
    EXPECT_EQ(v.HasScore, c.hasScore) << c.output;
    if (c.hasName) {
      EXPECT_EQ(v.Name, c.name) << c.output;
    }
    if (c.hasScore) {
      EXPECT_EQ(v.Score, c.score) << c.output;
    }
  }
}

// Each way a runner can misbehave ends within the time cap, unconfirmed.
TEST(Verifier, BoundsAndJudgesTheRunner) {
  TempFolder dir;
  TVerifierOptions options;
  options.Program = FakeVerifier(dir);
  options.Time = 3s;  // room for a loaded machine; the hanging ones take all of it
  std::atomic<bool> stop{false};
  struct Case {
    const char* name;
    std::string recording;
    bool confirmed;
    bool timedOut;
    int exitStatus;
  };
  const Case cases[] = {
      {"reproduces", RunnerLines("ANNA", 120), true, false, 0},
      {"other score", RunnerLines("ANNA", 121), false, false, 0},
      {"other name", RunnerLines("ANNE", 120), false, false, 0},
      {"diverges", "DIVER\n" + RunnerLines("ANNA", 120), false, false, 3},
      {"hangs", "HANG!", false, true, -1},
      {"crashes", "CRASH", false, false, -1},
      {"floods its output", "FLOOD", false, true, -1},
      {"garbage", std::string("\x00\xff garbage\n", 11), false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto start = std::chrono::steady_clock::now();
    TVerdict v = RunVerifier(options, c.recording, stop);
    EXPECT_LT(std::chrono::steady_clock::now() - start, options.Time + 1s);
    EXPECT_EQ(Confirms(v, "ANNA", 120), c.confirmed) << v.Message;
    EXPECT_EQ(v.TimedOut, c.timedOut);
    EXPECT_EQ(v.ExitStatus, c.exitStatus);
  }
  // A runner that cannot be run, and one interrupted by the server's stop.
  options.Program = (dir / "missing").string();
  EXPECT_FALSE(Confirms(RunVerifier(options, RunnerLines("ANNA", 120), stop), "ANNA", 120));
  options.Program = FakeVerifier(dir);
  std::thread stopper([&] {
    std::this_thread::sleep_for(200ms);
    stop = true;
  });
  auto start = std::chrono::steady_clock::now();
  TVerdict v = RunVerifier(options, "HANG!", stop);
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_FALSE(v.Ran);
  EXPECT_FALSE(v.TimedOut);
}

TEST_P(StoreTest, ARecordingIsQueuedOnceAndVerifiesItsResult) {
  auto store = Open();
  std::string echo = NewEchoValue(), other = NewEchoValue();
  store->AddEcho(echo, 2000);
  store->AddEcho(other, 2000);
  ASSERT_EQ(store->Submit(echo, TResultRow{0, "SAM", 50, "", 1000, false}, 1000).Outcome, TSubmitOutcome::Stored);
  AddRows(*store, {{"TOP", 90}});
  // Every byte value, as uploaded.
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += char(i % 256);

  EXPECT_EQ(store->AddRecording(other, bytes, std::nullopt, 1001).Outcome,
            TUploadOutcome::UnknownEcho);  // issued, never used
  EXPECT_EQ(store->AddRecording("", bytes, std::nullopt, 1001).Outcome, TUploadOutcome::UnknownEcho);
  TUploadResult up = store->AddRecording(echo, bytes, std::nullopt, 1001);
  ASSERT_EQ(up.Outcome, TUploadOutcome::Queued);
  EXPECT_EQ(store->AddRecording(echo, "second", std::nullopt, 1002).Outcome, TUploadOutcome::HasRecording);
  EXPECT_EQ(store->PendingJobs(), 1);

  auto job = store->TakeJob(1003, 0, {1});
  ASSERT_TRUE(job);
  EXPECT_EQ(job->ResultId, up.ResultId);
  EXPECT_EQ(job->Name, "SAM");
  EXPECT_EQ(job->Score, 50);
  EXPECT_EQ(job->Recording, bytes);
  EXPECT_FALSE(store->TakeJob(1003, 0, {1}));  // taken
  EXPECT_FALSE(store->VerifiedRecording(up.ResultId));
  store->FinishJob(*job, true, 1004);
  EXPECT_EQ(store->PendingJobs(), 0);
  EXPECT_EQ(store->VerifiedRecording(up.ResultId), bytes);

  // Verified first, then by score; and the verified ones alone.
  auto rows = store->Best(10);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Name, "SAM");
  EXPECT_TRUE(rows[0].Verified);
  EXPECT_EQ(rows[1].Name, "TOP");
  EXPECT_EQ(store->Best(10, 1).size(), 1u);
  EXPECT_EQ(store->Best(10, 0, TListing::VerifiedOnly).size(), 1u);
}

TEST_P(StoreTest, ARefusedOrAbandonedJobLeavesTheResultUnverified) {
  auto store = Open();
  std::string a = NewEchoValue(), b = NewEchoValue();
  store->AddEcho(a, 2000);
  store->AddEcho(b, 2000);
  store->Submit(a, TResultRow{0, "A", 5, "", 1000, false}, 1000);
  store->Submit(b, TResultRow{0, "B", 6, "", 1000, false}, 1000);
  store->AddRecording(a, "ra", std::nullopt, 1000);
  store->AddRecording(b, "rb", std::nullopt, 1000);
  auto first = store->TakeJob(1000, 0, {1});
  auto second = store->TakeJob(1000, 0, {1});
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->Name, "A");
  store->FinishJob(*first, false, 1001);
  // The second's worker went away: its job is taken again once stale, and
  // finishing the abandoned copy afterwards changes nothing twice.
  EXPECT_FALSE(store->TakeJob(1100, 1000, {1}));
  auto again = store->TakeJob(1200, 1101, {1});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Name, "B");
  store->FinishJob(*again, false, 1201);
  store->FinishJob(*second, true, 1202);
  for (const auto& row : store->Best(10)) EXPECT_FALSE(row.Verified) << row.Name;
  EXPECT_FALSE(store->VerifiedRecording(first->ResultId));
  EXPECT_EQ(store->PendingJobs(), 0);
}

// A job goes to a worker with a runner for its logic version; one of
// another version waits, queued, for a worker that has it; one whose
// header could not be read goes to any worker.
TEST_P(StoreTest, JobsAreTakenByTheWorkersOfTheirLogicVersion) {
  auto store = Open();
  const std::pair<const char*, std::optional<uint32_t>> uploads[] = {{"V3", 3}, {"V5", 5}, {"NONE", std::nullopt}};
  for (const auto& [name, version] : uploads) {
    std::string echo = NewEchoValue();
    store->AddEcho(echo, 2000);
    store->Submit(echo, TResultRow{0, name, 10, "", 1000, false}, 1000);
    store->AddRecording(echo, name, version, 1000);
  }
  auto first = store->TakeJob(1000, 0, {3, 4});
  auto second = store->TakeJob(1000, 0, {3, 4});
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->Name, "V3");
  EXPECT_EQ(first->LogicVersion, 3u);
  EXPECT_EQ(second->Name, "NONE");
  EXPECT_EQ(second->LogicVersion, std::nullopt);
  EXPECT_FALSE(store->TakeJob(1000, 0, {3, 4}));
  EXPECT_FALSE(store->TakeJob(1000, 0, {}));
  EXPECT_EQ(store->PendingJobs(), 3);
  // The listing tells each row's job and version.
  std::map<std::string, std::pair<std::string, std::optional<uint32_t>>> listed;
  for (const TResultRow& r : store->Best(10)) listed[r.Name] = {r.Job, r.LogicVersion};
  EXPECT_EQ(listed["V5"], std::make_pair(std::string("queued"), std::optional<uint32_t>(5)));
  EXPECT_EQ(listed["V3"].first, "running");
  // A later worker with the runner of version 5 takes it.
  auto late = store->TakeJob(1001, 0, {5});
  ASSERT_TRUE(late);
  EXPECT_EQ(late->Name, "V5");
}

TEST_P(StoreTest, UnwritableDatabaseStopsTheStart) {
  if (GetParam() != "postgresql") GTEST_SKIP() << "the SQLite case is PortInUseOrUnwritableDatabaseStopsTheStart";
  auto set = [&](const char* sql) {
    PGconn* c = PQconnectdb(Location().c_str());
    // A session of a read-only database may still be made writable.
    PQclear(PQexec(c, "SET default_transaction_read_only = off"));
    PGresult* r = PQexec(c, sql);
    EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
  };
  Open();  // the tables exist
  set("DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET default_transaction_read_only = on', current_database()); "
      "END $$");
  std::string output;
  int status = RunServer("--port 0 --db " + Location(), output);
  try {
    Open();
    ADD_FAILURE() << "a read-only database opened";
  } catch (const StoreError& e) {
    EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
  }
  set("DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET default_transaction_read_only = off', current_database()); "
      "END $$");
  EXPECT_EQ(status, 1) << output;
  EXPECT_NE(output.find("not usable"), std::string::npos) << output;
  EXPECT_EQ(output.find("listening"), std::string::npos) << output;
}

// Two server processes on one database, each with verifiers: every job is
// run once, whichever process took its upload.
TEST_P(StoreTest, TwoProcessesVerifyEachRecordingOnce) {
  Open();  // creates the tables before two processes race to
  const std::string verifier = FakeVerifier(dir);
  std::vector<std::string> args = {"--echo-rate", "0", "--submit-rate", "0",     "--upload-rate", "0",
                                   "--verifiers", "3", "--verifier",    verifier};
  ScoreServerProcess one(Location(), args), two(Location(), args);
  constexpr int Uploads = 24;
  for (int i = 0; i < Uploads; ++i) {
    ScoreServerProcess& first = i % 2 ? one : two;
    ScoreServerProcess& second = i % 2 ? two : one;
    std::string name = "P" + std::string(1, char('A' + i));
    std::string echo = Submit(first.Port(), name, 100 + i);
    ASSERT_FALSE(echo.empty());
    ASSERT_EQ(Upload(second.Port(), echo, RunnerLines(name, 100 + i)), 200);
  }
  auto until = std::chrono::steady_clock::now() + 30s;
  std::vector<std::string> rows;
  while (std::chrono::steady_clock::now() < until) {
    rows = ApiRows(one.Port(), "?limit=100");
    if (std::count_if(rows.begin(), rows.end(), [](const std::string& r) { return r.ends_with(" verified"); }) ==
        Uploads)
      break;
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_EQ(rows.size(), size_t(Uploads));
  for (const std::string& row : rows) EXPECT_TRUE(row.ends_with(" verified")) << row;
  EXPECT_EQ(Metric(one.Port(), "fusewick_scores_verification_seconds_count") +
                Metric(two.Port(), "fusewick_scores_verification_seconds_count"),
            Uploads);
  std::ifstream log(dir / "runs.log");
  std::multiset<std::string> runs;
  for (std::string line; std::getline(log, line);) runs.insert(line);
  EXPECT_EQ(runs.size(), size_t(Uploads));
  for (const std::string& run : runs) EXPECT_EQ(runs.count(run), 1u) << run;
}

TEST_F(ScoreServerTest, RecordingFromTheGameIsVerifiedListedFirstAndServed) {
  ScoreServerProcess server(dir / "scores.sqlite", {"--verifier", FakeVerifier(dir)});
  const uint16_t port = server.Port();
  SetServerForTests("127.0.0.1", port, 5s);
  SubmitScore("HIGH", 900, "");
  const std::string recording = RunnerLines("ANNA BELL", 120);
  SubmitScore("ANNA BELL", 120, "", recording);
  EXPECT_TRUE(platform.Boxes.empty());
  ASSERT_TRUE(VerifiedCount(port, 1));

  EXPECT_EQ(ApiRows(port), (std::vector<std::string>{"ANNA BELL 120 verified", "HIGH 900 -"}));
  std::string json = Fetch(port, "/api/scores");
  size_t replay = json.find("\"replay\":\"/replay/");
  ASSERT_NE(replay, std::string::npos) << json;
  EXPECT_NE(json.find("\"replay\":null"), std::string::npos) << json;
  std::string path = json.substr(replay + 10, json.find('"', replay + 10) - replay - 10);
  std::string page = Fetch(port, ShowTarget);
  EXPECT_LT(page.find(">ANNA BELL<"), page.find(">HIGH<"));
  EXPECT_NE(page.find("<a class=\"verified\" href=\"" + path + "\""), std::string::npos) << page;
  EXPECT_EQ(Fetch(port, path), recording);
  std::string reply = Exchange(port, "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_NE(reply.find("Content-Type: application/octet-stream\r\n"), std::string::npos) << reply;
  EXPECT_EQ(Metric(port, "fusewick_scores_verification_queue_length"), 0);
}

// Forged and broken uploads: refused at once or refused by the verifier;
// none becomes verified and the server goes on serving.
TEST_F(ScoreServerTest, ForgedUploadsAreNeverVerified) {
  ScoreServerProcess server(dir / "scores.sqlite",
                            {"--verifier", FakeVerifier(dir), "--verify-time", "5", "--max-recording-bytes", "4096",
                             "--echo-rate", "0", "--submit-rate", "0", "--upload-rate", "0", "--verifiers", "2"});
  const uint16_t port = server.Port();
  struct Case {
    const char* name;
    std::string recording;  // for a result of "SAM" and 500
    int status;
    bool judged;  // reaches the verifier
  };
  const Case cases[] = {
      {"another name", RunnerLines("MAX", 500), 200, true},
      {"another score", RunnerLines("SAM", 5000), 200, true},
      {"a name that only starts the same", RunnerLines("SAMUEL", 500), 200, true},
      {"divergence", "DIVER\n" + RunnerLines("SAM", 500), 200, true},
      {"garbage", std::string("\x1f\x8b\x08\x00 not a recording", 20), 200, true},
      {"verifier hangs", "HANG!", 200, true},
      {"verifier crashes", "CRASH", 200, true},
      {"oversized", RunnerLines("SAM", 500) + std::string(5000, ' '), 413, false},
      {"empty", "", 400, false},
  };
  int judged = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string echo = Submit(port, "SAM", 500);
    ASSERT_FALSE(echo.empty());
    EXPECT_EQ(Upload(port, echo, c.recording), c.status);
    judged += c.judged;
  }
  // Echo values never used by a stored result, and a second upload.
  std::string unused = FreshEcho(port);
  EXPECT_EQ(Upload(port, unused, RunnerLines("SAM", 500)), 403);
  EXPECT_EQ(Upload(port, "ffffffffffffffffffffffffffffffff", RunnerLines("SAM", 500)), 403);
  std::string echo = Submit(port, "SAM", 500);
  EXPECT_EQ(Upload(port, echo, RunnerLines("MAX", 500)), 200);
  EXPECT_EQ(Upload(port, echo, RunnerLines("SAM", 500)), 409);
  ++judged;
  // Malformed uploads.
  EXPECT_EQ(Upload(port, echo + "&echo=" + echo, RunnerLines("SAM", 500)), 400);
  std::string body;
  EXPECT_EQ(Fetch(port, std::string(UploadTarget) + echo, body), 405);

  ASSERT_TRUE(VerifiedCount(port, judged, 30s));
  for (const std::string& row : ApiRows(port, "?limit=1000")) EXPECT_TRUE(row.ends_with(" -")) << row;
  EXPECT_EQ(Metric(port, "fusewick_scores_verifications_total{outcome=\"verified\"}"), 0);
  EXPECT_EQ(Fetch(port, "/replay/1", body), 404);  // unverified: not served
  EXPECT_EQ(Fetch(port, "/healthz"), "OK\n");
  // The same recording for a result it matches is verified.
  echo = Submit(port, "SAM", 500);
  EXPECT_EQ(Upload(port, echo, RunnerLines("SAM", 500)), 200);
  ASSERT_TRUE(VerifiedCount(port, judged + 1));
  EXPECT_EQ(ApiRows(port, "?limit=1")[0], "SAM 500 verified");
}

TEST(Verifier, ReadsTheLogicVersionOfARecordingsHeader) {
  const std::string current = RecordingOf(7, "A", 1);
  std::string formatOne = current;
  formatOne[4] = 1;
  const std::pair<std::string, std::optional<uint32_t>> cases[] = {
      {current, 7},
      {formatOne, 0},  // before logic versions
      {current.substr(0, 12), std::nullopt},
      {RunnerLines("A", 1), std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [bytes, version] : cases) EXPECT_EQ(RecordingLogicVersion(bytes), version) << bytes.size();
}

// Recordings of two logic versions, each verified by its own runner (one
// given with its version, one asked for it); one of a version without a
// runner waits, shown as unverifiable, until the server is started with
// its runner.
TEST_F(ScoreServerTest, EachLogicVersionIsVerifiedByItsRunner) {
  const std::vector<std::string> limits = {"--echo-rate", "0", "--submit-rate", "0", "--upload-rate", "0"};
  auto with = [&](std::vector<std::string> verifiers) {
    verifiers.insert(verifiers.end(), limits.begin(), limits.end());
    return verifiers;
  };
  ScoreServerProcess server(dir / "scores.sqlite", with({"--verifier", "3=" + FakeVerifier(dir, 99, "runner-3"),
                                                         "--verifier", FakeVerifier(dir, 4, "runner-4")}));
  uint16_t port = server.Port();
  const std::pair<uint32_t, const char*> games[] = {{3, "OLD"}, {4, "NEW"}, {5, "NEWER"}};
  for (const auto& [version, name] : games) {
    std::string echo = Submit(port, name, 100);
    ASSERT_EQ(Upload(port, echo, RecordingOf(version, name, 100)), 200);
  }
  ASSERT_TRUE(VerifiedCount(port, 2));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Metric(port, "fusewick_scores_verification_seconds_count"), 2);
  EXPECT_EQ(ApiStatuses(port),
            (std::vector<std::string>{"OLD verified", "NEW verified", "NEWER unverifiable: made by version 5"}));
  EXPECT_EQ(ApiRows(port)[2], "NEWER 100 -");
  EXPECT_NE(Fetch(port, ShowTarget).find("<span class=\"status\">unverifiable: made by version 5</span>"),
            std::string::npos);
  std::ifstream log(dir / "runs.log");
  std::vector<std::string> runs;
  for (std::string line; std::getline(log, line);) runs.push_back(line.substr(0, line.find(' ')));
  std::sort(runs.begin(), runs.end());
  EXPECT_EQ(runs, (std::vector<std::string>{"runner-3", "runner-4"}));

  // Started again with a runner for version 5: the waiting job is taken up.
  server.Kill(SIGTERM);
  ScoreServerProcess updated(dir / "scores.sqlite", with({"--verifier", "5=" + FakeVerifier(dir, 5, "runner-5")}));
  port = updated.Port();
  ASSERT_TRUE(VerifiedCount(port, 1));
  EXPECT_EQ(ApiStatuses(port), (std::vector<std::string>{"OLD verified", "NEW verified", "NEWER verified"}));
}

TEST_F(ScoreServerTest, VerifiersThatCannotBeUsedStopTheStart) {
  const std::string three = FakeVerifier(dir, 3, "runner-3");
  std::ofstream(dir / "mute") << "#!/bin/sh\nexit 0\n";
  ::chmod((dir / "mute").c_str(), 0755);
  const std::pair<std::string, const char*> cases[] = {
      {"--verifier " + (dir / "missing").string(), "give its logic version as --verifier N=PATH"},
      {"--verifier " + (dir / "mute").string(), "did not answer with a logic version"},
      {"--verifier 3=" + three + " --verifier " + three, "two verifiers for logic version 3"},
      {"--verifier 3=", "bad value for --verifier"},
      {"--verifier 99999999999=" + three, "bad value for --verifier"},
  };
  for (const auto& [args, says] : cases) {
    std::string output;
    EXPECT_EQ(RunServer("--port 0 --db " + (dir / "s.sqlite").string() + " " + args, output), 2) << args;
    EXPECT_NE(output.find(says), std::string::npos) << args << ": " << output;
  }
}

TEST_F(ScoreServerTest, UploadsAtOnceAreBounded) {
  ScoreServerProcess server(dir / "scores.sqlite", {"--uploads-at-once", "1", "--verifiers", "0"});
  const std::string head = "POST /replay?echo=abc HTTP/1.1\r\nHost: x\r\nContent-Length: 10\r\n\r\n";
  // One upload whose body is slow to come holds the only place.
  int slow = ConnectFrom("127.0.0.2", server.Port());
  ASSERT_GE(slow, 0);
  SendAllBytes(slow, head);
  std::this_thread::sleep_for(200ms);
  std::string busy = Exchange(server.Port(), head + "0123456789");
  EXPECT_EQ(busy.substr(0, 12), "HTTP/1.1 503") << busy;
  EXPECT_NE(busy.find("Retry-After: 1\r\n"), std::string::npos) << busy;
  // Once it is answered, the place is free again.
  SendAllBytes(slow, "0123456789");
  char buf[64] = {};
  ASSERT_GT(::recv(slow, buf, 12, MSG_WAITALL), 0);
  EXPECT_EQ(std::string(buf, 12), "HTTP/1.1 403");
  ::close(slow);
  EXPECT_EQ(Exchange(server.Port(), head + "0123456789").substr(0, 12), "HTTP/1.1 403");
}

TEST_F(ScoreServerTest, OperatorMayHideUnverifiedResults) {
  ScoreServerProcess server(dir / "scores.sqlite", {"--verifier", FakeVerifier(dir), "--show-unverified", "no"});
  const uint16_t port = server.Port();
  Submit(port, "PLAIN", 900);
  std::string echo = Submit(port, "PROVEN", 100);
  ASSERT_EQ(Upload(port, echo, RunnerLines("PROVEN", 100)), 200);
  ASSERT_TRUE(VerifiedCount(port, 1));
  EXPECT_EQ(ApiRows(port), std::vector<std::string>{"PROVEN 100 verified"});
  std::string page = Fetch(port, ShowTarget);
  EXPECT_NE(page.find(">PROVEN<"), std::string::npos);
  EXPECT_EQ(page.find(">PLAIN<"), std::string::npos);
  std::string output;
  EXPECT_EQ(RunServer("--show-unverified maybe", output), 2);
}

TEST_F(ScoreServerTest, ApiPagesThroughTheResults) {
  ScoreServerProcess server(dir / "scores.sqlite", Unlimited);
  const uint16_t port = server.Port();
  for (int i = 0; i < 5; ++i) Submit(port, std::string(1, char('A' + i)), 10 * i);
  EXPECT_EQ(ApiRows(port), (std::vector<std::string>{"E 40 -", "D 30 -", "C 20 -", "B 10 -", "A 0 -"}));
  EXPECT_EQ(ApiRows(port, "?limit=2&offset=1"), (std::vector<std::string>{"D 30 -", "C 20 -"}));
  EXPECT_EQ(ApiRows(port, "?offset=5"), std::vector<std::string>{});
  EXPECT_EQ(Fetch(port, "/api/scores?offset=9"), "[]\n");
  EXPECT_EQ(ApiRows(port, "?limit=10000").size(), 5u);
  for (const char* bad : {"?limit=0", "?limit=10001", "?limit=-1", "?limit=x", "?offset=-1", "?limit=1&limit=2",
                          "?sort=name", "?limit=99999999999999999999"}) {
    std::string body;
    EXPECT_EQ(Fetch(port, std::string("/api/scores") + bad, body), 400) << bad;
  }
  // Texts are escaped for JSON.
  std::string echo = FreshEcho(port), body;
  ASSERT_EQ(Fetch(port, SubmitTarget + Code(ResultText("Q", 99, echo, "SAY \"HI\" \\ BYE")), body), 200);
  EXPECT_NE(Fetch(port, "/api/scores?limit=1").find("\"note\":\"SAY \\\"HI\\\" \\\\ BYE\""), std::string::npos);
}
