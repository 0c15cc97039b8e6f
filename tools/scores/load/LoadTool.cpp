// fusewick-scores-load: attacks and loads a running fusewick-scores on this
// machine's loopback addresses, and checks what it acknowledged. Every run
// is bounded in time and count and stops by itself.
//
//   slow   --port P --connections N --seconds S [--from 127.0.0.2] [--player 127.0.0.3]
//          [--interval-ms 2000] [--limit S]
//       N connections from --from that each send one byte of a request
//       header every interval (reconnecting when cut), while a player from
//       --player sends a version request and a submission every half second,
//       each on a new connection as the game does. Exit 0 if every one of the
//       player's requests succeeded within --limit seconds (default 3).
//   player --port P --count N [--from 127.0.0.3] [--limit S]
//       N version requests and submissions as the game sends them.
//   flood  --port P --seconds S [--from 127.0.0.2] [--threads T] [--acked FILE] [--tag T]
//          [--submit-port P2]
//       Version requests and submissions as fast as they are answered, on
//       kept-alive connections (submissions to P2 if given: another server
//       process); every acknowledged submission's id and tag are appended
//       to FILE. Goes on through refusals and a server that
//       disappears, until S seconds are over.
//   check  --db FILE|URL --acked FILE...
//   submit --port P --name NAME --score N
//       One version request and one submission as the game sends them;
//       prints the echo value used.
//       Every acknowledged id is a row with its tag, and no tag is stored twice.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Store.h"
#include "services/ResultCode.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct TArgs {
  std::map<std::string, std::string> values;
  std::vector<std::string> acked;
  std::string Get(const std::string& key, const std::string& fallback) const {
    auto it = values.find(key);
    return it == values.end() ? fallback : it->second;
  }
  long Num(const std::string& key, long fallback) const { return std::stol(Get(key, std::to_string(fallback))); }
};

int Connect(const std::string& from, const std::string& host, int port, bool blocking) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
  if (fd < 0) return -1;
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in src{};
  src.sin_family = AF_INET;
  if (!from.empty() && ::inet_pton(AF_INET, from.c_str(), &src.sin_addr) == 1 &&
      ::bind(fd, reinterpret_cast<sockaddr*>(&src), sizeof src) != 0) {
    ::close(fd);
    return -1;
  }
  sockaddr_in dst{};
  dst.sin_family = AF_INET;
  dst.sin_port = htons(uint16_t(port));
  ::inet_pton(AF_INET, host.c_str(), &dst.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&dst), sizeof dst) != 0 && errno != EINPROGRESS) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A blocking HTTP/1.1 client on one connection, kept alive if the server
// allows it; every wait bounded by timeout.
class Client {
 public:
  Client(std::string from, std::string host, int port, std::chrono::milliseconds timeout, bool keepAlive)
      : from_(std::move(from)), host_(std::move(host)), port_(port), timeout_(timeout), keepAlive_(keepAlive) {}
  ~Client() { Close(); }

  // The status, or -1 if no answer came.
  int Get(const std::string& target, std::string& body, std::map<std::string, std::string>* headers = nullptr) {
    body.clear();
    for (int attempt = 0; attempt < 2; ++attempt) {
      bool reused = fd_ >= 0;
      if (fd_ < 0 && (fd_ = Connect(from_, host_, port_, true)) < 0) return -1;
      int status = Exchange(target, body, headers);
      if (status > 0) return status;
      Close();
      if (!reused) return -1;  // a fresh connection failed: no second try
    }
    return -1;
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.clear();
  }

 private:
  bool Fill(Clock::time_point until) {
    pollfd p{fd_, POLLIN, 0};
    int ms = int(std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count());
    if (ms <= 0 || ::poll(&p, 1, ms) <= 0) return false;
    char chunk[16384];
    ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer_.append(chunk, size_t(n));
    return true;
  }

  int Exchange(const std::string& target, std::string& body, std::map<std::string, std::string>* headers) {
    std::string request = "GET " + target + " HTTP/1.1\r\nHost: " + host_ + ":" + std::to_string(port_) + "\r\n" +
                          (keepAlive_ ? "" : "Connection: close\r\n") + "\r\n";
    if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) return -1;
    auto until = Clock::now() + timeout_;
    size_t end;
    while ((end = buffer_.find("\r\n\r\n")) == std::string::npos)
      if (!Fill(until)) return -1;
    std::string head = buffer_.substr(0, end);
    buffer_.erase(0, end + 4);
    int status = head.size() > 12 ? std::atoi(head.c_str() + 9) : -1;
    size_t length = 0;
    bool close = !keepAlive_;
    size_t at = head.find("\r\n");
    while (at != std::string::npos) {
      size_t next = head.find("\r\n", at + 2);
      std::string line = head.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
      size_t colon = line.find(':');
      if (colon != std::string::npos) {
        std::string name = line.substr(0, colon), value = line.substr(colon + 1);
        while (!value.empty() && value[0] == ' ') value.erase(0, 1);
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        if (name == "content-length") length = std::stoul(value);
        if (name == "connection" && value == "close") close = true;
        if (headers) (*headers)[name] = value;
      }
      at = next;
    }
    while (buffer_.size() < length)
      if (!Fill(until)) return -1;
    body = buffer_.substr(0, length);
    buffer_.erase(0, length);
    if (close) Close();
    return status;
  }

  std::string from_, host_;
  int port_;
  std::chrono::milliseconds timeout_;
  bool keepAlive_;
  int fd_ = -1;
  std::string buffer_;
};

std::string EchoOf(const std::string& reply) {
  std::string rest = reply, field;
  for (int i = 0; i < 5; ++i) {
    size_t bar = rest.find('|');
    if (bar == std::string::npos) return "";
    field = rest.substr(0, bar);
    rest.erase(0, bar + 1);
  }
  return field;
}

// A name of capitals for a number, different for every number.
std::string Letters(uint64_t n) {
  std::string s;
  do {
    s += char('A' + n % 26);
    n /= 26;
  } while (n);
  return s;
}

std::string SubmitTarget(const std::string& name, int score, const std::string& echo, const std::string& note) {
  std::string record =
      "type=0|name=" + name + "|score=" + std::to_string(score) + "|key=X|p=" + echo + "|add=" + note + "|z=";
  return "/cgi/version.pl?hs&prg=Fusewick&inf=" + fusewick::EncodeResult(fusewick::PadResult(record));
}

const char* const VersionTarget = "/cgi/version.pl?version&prg=Fusewick";

struct TTimes {
  std::mutex lock;
  std::vector<double> ms;
  int failed = 0;
  void Add(bool ok, double t) {
    std::lock_guard<std::mutex> hold(lock);
    ms.push_back(t);
    if (!ok) ++failed;
  }
};

// One version request and one submission, each on its own connection.
void PlayOnce(const TArgs& a, const std::string& from, int n, TTimes& times) {
  std::string host = a.Get("--host", "127.0.0.1");
  int port = int(a.Num("--port", 8080));
  auto limit = std::chrono::milliseconds(a.Num("--limit", 3) * 1000 + 7000);
  std::string reply, body;
  auto t0 = Clock::now();
  int status = Client(from, host, port, limit, false).Get(VersionTarget, reply);
  auto t1 = Clock::now();
  times.Add(status == 200, std::chrono::duration<double, std::milli>(t1 - t0).count());
  if (status != 200) return;
  status = Client(from, host, port, limit, false)
               .Get(SubmitTarget("PLAYER " + Letters(uint64_t(n)), 1000 + n, EchoOf(reply), "PLAYER"), body);
  auto t2 = Clock::now();
  times.Add(status == 200 && body.rfind("OK|stored|", 0) == 0,
            std::chrono::duration<double, std::milli>(t2 - t1).count());
}

// One result as the game sends it; prints the echo value it used.
int SubmitOne(const TArgs& a) {
  std::string host = a.Get("--host", "127.0.0.1"), from = a.Get("--from", "127.0.0.1");
  int port = int(a.Num("--port", 8080));
  auto limit = std::chrono::milliseconds(10000);
  std::string reply, body;
  if (Client(from, host, port, limit, false).Get(VersionTarget, reply) != 200) return 1;
  const std::string echo = EchoOf(reply);
  const int status = Client(from, host, port, limit, false)
                         .Get(SubmitTarget(a.Get("--name", "PLAYER"), int32_t(a.Num("--score", 0)), echo, ""), body);
  std::printf("%s\n", echo.c_str());
  return status == 200 && body.rfind("OK", 0) == 0 ? 0 : 1;
}

int Report(const char* what, TTimes& times, double limitMs) {
  std::vector<double> ms = times.ms;
  std::sort(ms.begin(), ms.end());
  double max = ms.empty() ? 0 : ms.back(), median = ms.empty() ? 0 : ms[ms.size() / 2];
  std::printf("%s: %zu requests, %d failed, median %.1f ms, max %.1f ms\n", what, ms.size(), times.failed, median, max);
  return times.failed == 0 && !ms.empty() && max < limitMs ? 0 : 1;
}

int Slow(const TArgs& a) {
  std::string host = a.Get("--host", "127.0.0.1"), from = a.Get("--from", "127.0.0.2");
  int port = int(a.Num("--port", 8080));
  size_t count = size_t(a.Num("--connections", 256));
  auto interval = std::chrono::milliseconds(a.Num("--interval-ms", 2000));
  auto end = Clock::now() + std::chrono::seconds(a.Num("--seconds", 20));
  std::atomic<bool> done{false};

  TTimes times;
  std::thread player([&] {
    for (int n = 0; !done; ++n) {
      PlayOnce(a, a.Get("--player", "127.0.0.3"), n, times);
      std::this_thread::sleep_for(500ms);
    }
  });

  struct Conn {
    int fd = -1;
    Clock::time_point next{};
    size_t sent = 0;
  };
  std::vector<Conn> conns(count);
  const std::string head = "GET / HTTP/1.1\r\nHost: x\r\nX-Slow: ";
  long opened = 0, cut = 0, bytes = 0;
  while (Clock::now() < end) {
    auto now = Clock::now();
    std::vector<pollfd> polls;
    for (Conn& c : conns) {
      if (c.fd < 0 && now >= c.next) {
        c.fd = Connect(from, host, port, false);
        c.sent = 0;
        c.next = now + interval;
        if (c.fd >= 0) ++opened;
      }
      if (c.fd >= 0) polls.push_back({c.fd, POLLIN, 0});
    }
    ::poll(polls.data(), polls.size(), 50);
    now = Clock::now();
    for (Conn& c : conns) {
      if (c.fd < 0) continue;
      char sink[256];
      ssize_t r = ::recv(c.fd, sink, sizeof sink, MSG_DONTWAIT);
      bool gone =
          r == 0 || (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINPROGRESS && errno != ENOTCONN);
      if (!gone && now >= c.next) {
        char byte = c.sent < head.size() ? head[c.sent] : 'a';
        ssize_t s = ::send(c.fd, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (s == 1) {
          ++c.sent;
          ++bytes;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
          gone = true;
        }
        c.next = now + interval;
      }
      if (gone) {
        ::close(c.fd);
        c.fd = -1;
        ++cut;
        c.next = now + 100ms;  // reconnect soon after a cut
      }
    }
  }
  done = true;
  player.join();
  for (Conn& c : conns)
    if (c.fd >= 0) ::close(c.fd);
  std::printf("slow clients: %zu at once from %s, %ld connections opened, %ld cut by the server, %ld bytes sent\n",
              count, from.c_str(), opened, cut, bytes);
  return Report("player", times, double(a.Num("--limit", 3)) * 1000);
}

int Player(const TArgs& a) {
  TTimes times;
  long count = a.Num("--count", 10);
  for (long n = 0; n < count; ++n) PlayOnce(a, a.Get("--from", "127.0.0.3"), int(n), times);
  return Report("player", times, double(a.Num("--limit", 3)) * 1000);
}

int Flood(const TArgs& a) {
  std::string host = a.Get("--host", "127.0.0.1"), from = a.Get("--from", "127.0.0.2");
  std::string tag = a.Get("--tag", "F");
  int port = int(a.Num("--port", 8080));
  int submitPort = int(a.Num("--submit-port", port));
  int threads = int(a.Num("--threads", 4));
  auto start = Clock::now();
  auto end = start + std::chrono::seconds(a.Num("--seconds", 10));
  int acked = -1;
  if (a.values.count("--acked")) {
    acked = ::open(a.Get("--acked", "").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (acked < 0) {
      std::perror("acked file");
      return 2;
    }
  }
  std::mutex lock;
  std::map<std::string, long> counts;
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([&, t] {
      Client client(from, host, port, 5s, true), other(from, host, submitPort, 5s, true);
      Client& submitter = submitPort == port ? client : other;
      std::map<std::string, long> mine;
      for (uint64_t seq = 0; Clock::now() < end; ++seq) {
        std::string reply, body;
        std::map<std::string, std::string> headers;
        int status = client.Get(VersionTarget, reply, &headers);
        if (status != 200) {
          ++mine[status < 0 ? "version no answer" : "version " + std::to_string(status)];
          if (status < 0) std::this_thread::sleep_for(20ms);  // the server is away: try again soon
          continue;
        }
        std::string note = tag + "-" + std::to_string(t) + "-" + std::to_string(seq);
        std::string name = "FLOOD " + Letters(uint64_t(t) * 1000003u + seq);
        status = submitter.Get(SubmitTarget(name, int(seq % 100000), EchoOf(reply), note), body);
        if (status == 200 && body.rfind("OK|stored|", 0) == 0) {
          ++mine["stored"];
          if (acked >= 0) {
            std::string line = body.substr(10, body.find('|', 10) - 10) + " " + note + "\n";
            if (::write(acked, line.data(), line.size()) != ssize_t(line.size())) std::perror("acked file");
          }
        } else {
          ++mine[status < 0 ? "submit no answer" : "submit " + std::to_string(status)];
        }
      }
      std::lock_guard<std::mutex> hold(lock);
      for (auto& [k, v] : mine) counts[k] += v;
    });
  for (auto& t : pool) t.join();
  if (acked >= 0) ::close(acked);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("flood from %s, %d connections, %.1f s%s:", from.c_str(), threads, seconds,
              submitPort == port ? "" : ", submissions to the other process");
  for (auto& [k, v] : counts) std::printf(" %s=%ld", k.c_str(), v);
  std::printf(" (stored %.0f/s)\n", double(counts["stored"]) / seconds);
  return 0;
}

int Check(const TArgs& a) {
  std::map<int64_t, std::string> expected;
  for (const std::string& file : a.acked) {
    std::ifstream in(file);
    int64_t id;
    std::string note;
    while (in >> id >> note) expected[id] = note;
  }
  fusewick::scores::TStoreLimits limits;
  limits.MaxRows = INT64_MAX;
  auto store = fusewick::scores::OpenStore(a.Get("--db", ""), limits, false);
  std::vector<fusewick::scores::TResultRow> rows = store->Best(INT32_MAX);
  std::map<int64_t, std::string> stored;
  std::map<std::string, int> notes;
  for (const auto& r : rows) {
    stored[r.Id] = r.Note;
    ++notes[r.Note];
  }
  long lost = 0, wrong = 0, doubled = 0;
  for (const auto& [id, note] : expected) {
    auto it = stored.find(id);
    if (it == stored.end()) {
      if (lost++ < 5) std::printf("lost: id %lld (%s)\n", (long long)id, note.c_str());
    } else if (it->second != note) {
      ++wrong;
    }
  }
  for (const auto& [note, n] : notes)
    if (n > 1 && note != "PLAYER" && doubled++ < 5) std::printf("stored %d times: %s\n", n, note.c_str());
  std::printf("acknowledged %zu, rows %zu, lost %ld, mismatched %ld, stored twice %ld\n", expected.size(), rows.size(),
              lost, wrong, doubled);
  return lost || wrong || doubled ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fusewick-scores-load slow|player|flood|check|submit [--option value]...\n");
    return 2;
  }
  std::string mode = argv[1];
  TArgs args;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--acked" && mode == "check")
      args.acked.push_back(argv[i + 1]);
    else
      args.values[argv[i]] = argv[i + 1];
  }
  try {
    if (mode == "slow") return Slow(args);
    if (mode == "player") return Player(args);
    if (mode == "flood") return Flood(args);
    if (mode == "check") return Check(args);
    if (mode == "submit") return SubmitOne(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fusewick-scores-load: %s\n", e.what());
    return 2;
  }
  std::fprintf(stderr, "fusewick-scores-load: unknown mode %s\n", mode.c_str());
  return 2;
}
