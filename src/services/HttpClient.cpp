#include "services/HttpClient.h"

#include <algorithm>
#include <cctype>

#include "platform/Socket.h"

namespace fusewick {

namespace {

using platform::Deadline;
using platform::TcpConnection;

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// Reads a response from the connection through a small buffer.
class ResponseReader {
 public:
  ResponseReader(TcpConnection& conn, Deadline deadline) : conn_(conn), deadline_(deadline) {}

  // One line without its CR LF (or bare LF). Throws when the peer closes
  // first or the line is longer than maxLength.
  std::string ReadLine(size_t maxLength) {
    std::string line;
    for (;;) {
      if (pos_ == len_ && !Fill()) throw EHttpError("connection closed in the response head");
      char c = buf_[pos_++];
      if (c == '\n') break;
      if (line.size() >= maxLength) throw EHttpError("response line too long");
      line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  // Appends up to count bytes to out; returns how many arrived before the
  // peer closed.
  size_t ReadInto(std::string& out, size_t count) {
    size_t got = 0;
    while (got < count) {
      if (pos_ == len_ && !Fill()) break;
      size_t n = std::min(count - got, len_ - pos_);
      out.append(buf_ + pos_, n);
      pos_ += n;
      got += n;
    }
    return got;
  }

 private:
  bool Fill() {
    pos_ = 0;
    len_ = conn_.Receive(buf_, sizeof buf_, deadline_);
    return len_ > 0;
  }

  TcpConnection& conn_;
  Deadline deadline_;
  char buf_[4096]{};
  size_t pos_ = 0, len_ = 0;
};

struct ResponseHead {
  int Status = 0;
  std::string StatusLine;
  bool Chunked = false;
  bool HasLength = false;
  size_t Length = 0;
};

// Parses "HTTP/1.x SSS reason"; returns the status or throws.
int ParseStatusLine(const std::string& line) {
  if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || !std::isdigit(static_cast<unsigned char>(line[7])) ||
      line[8] != ' ' || (line.size() > 12 && line[12] != ' '))
    throw EHttpError("malformed status line");
  int status = 0;
  for (int i = 9; i < 12; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[size_t(i)]))) throw EHttpError("malformed status line");
    status = status * 10 + (line[size_t(i)] - '0');
  }
  if (status < 100) throw EHttpError("malformed status line");
  return status;
}

// A decimal length without sign or junk, small enough to hold.
bool ParseLength(const std::string& text, size_t& out) {
  if (text.empty() || text.size() > 18) return false;
  size_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + size_t(c - '0');
  }
  out = v;
  return true;
}

ResponseHead ReadHead(ResponseReader& in, size_t maxHead) {
  size_t used = 0;
  auto readLine = [&]() {
    std::string line = in.ReadLine(maxHead - std::min(used, maxHead));
    used += line.size() + 2;
    if (used > maxHead) throw EHttpError("response head too long");
    return line;
  };
  // Interim 1xx responses come before the real one; skip a few of them.
  for (int interim = 0; interim < 5; ++interim) {
    ResponseHead head;
    head.StatusLine = readLine();
    head.Status = ParseStatusLine(head.StatusLine);
    for (;;) {
      std::string line = readLine();
      if (line.empty()) break;
      size_t colon = line.find(':');
      if (colon == std::string::npos || colon == 0) throw EHttpError("malformed header line");
      std::string name = Lower(line.substr(0, colon));
      std::string value = Trim(line.substr(colon + 1));
      if (name == "transfer-encoding") {
        std::string v = Lower(value);
        head.Chunked = v.size() >= 7 && v.compare(v.size() - 7, 7, "chunked") == 0;
      } else if (name == "content-length") {
        size_t n = 0;
        if (!ParseLength(value, n) || (head.HasLength && n != head.Length)) throw EHttpError("bad Content-Length");
        head.HasLength = true;
        head.Length = n;
      }
    }
    if (head.Status >= 200 || head.Status == 101) return head;
  }
  throw EHttpError("too many interim responses");
}

void ReadChunked(ResponseReader& in, std::string& body, size_t maxBody) {
  for (;;) {
    std::string line = in.ReadLine(256);
    size_t semi = line.find(';');
    std::string hex = Trim(line.substr(0, semi));
    if (hex.empty() || hex.size() > 15) throw EHttpError("bad chunk size");
    size_t size = 0;
    for (char c : hex) {
      int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
              : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
              : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                          : -1;
      if (d < 0) throw EHttpError("bad chunk size");
      size = size * 16 + size_t(d);
    }
    if (size == 0) break;
    size_t room = maxBody - body.size();
    size_t want = std::min(size, room);
    if (in.ReadInto(body, want) < want) throw EHttpError("connection closed in the body");
    if (size > room) throw EHttpError("reply too large");
    if (!in.ReadLine(2).empty()) throw EHttpError("bad chunk end");
  }
  // Trailers up to the empty line.
  for (int i = 0; i < 64; ++i)
    if (in.ReadLine(1024).empty()) return;
  throw EHttpError("too many trailers");
}

}  // namespace

std::string THttpClient::Head(const char* method, const std::string& target, const std::string& contentType,
                              const std::string* length) const {
  // An IPv6 address is written in brackets, as in a URL.
  std::string host;
  if (Host.find(':') != std::string::npos)
    host.append("[").append(Host).append("]");
  else
    host = Host;
  if (Port != 80) host.append(":").append(std::to_string(Port));
  std::string text;
  text.reserve(target.size() + host.size() + 160);
  text.append(method).append(" ").append(target).append(" HTTP/1.1\r\n");
  text.append("Content-Type: ").append(contentType).append("\r\n");
  text.append("Host: ").append(host).append("\r\n");
  text.append("Accept: text/html, */*\r\n");
  text.append("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n");
  if (length) text.append("Content-Length: ").append(*length).append("\r\n");
  text.append("\r\n");
  return text;
}

std::string THttpClient::RequestText(const std::string& target) const {
  return Head("GET", target, "text/html", nullptr);
}

std::string THttpClient::PostText(const std::string& target, const std::string& contentType, size_t length) const {
  std::string count = std::to_string(length);
  return Head("POST", target, contentType, &count);
}

void THttpClient::Get(const std::string& target, std::string& body) { Exchange(RequestText(target), {}, body); }

void THttpClient::Post(const std::string& target, const std::string& contentType, std::string_view content,
                       std::string& body) {
  Exchange(PostText(target, contentType, content.size()), content, body);
}

void THttpClient::Exchange(const std::string& request, std::string_view content, std::string& body) {
  body.clear();
  ResponseCode = 0;
  const Deadline deadline = std::chrono::steady_clock::now() + Timeout;

  TcpConnection conn;
  conn.Connect(Host, Port, deadline);
  conn.SendAll(request, deadline);
  if (!content.empty()) conn.SendAll(content, deadline);

  ResponseReader in(conn, deadline);
  ResponseHead head = ReadHead(in, MaxHead);
  ResponseCode = head.Status;
  // Only a success hands back a body; redirects are not followed.
  if (head.Status < 200 || head.Status > 299) throw EHttpError(head.StatusLine);
  if (head.Status == 204) return;

  if (head.Chunked) {
    ReadChunked(in, body, MaxBody);
  } else if (head.HasLength) {
    size_t want = std::min(head.Length, MaxBody);
    if (in.ReadInto(body, want) < want) throw EHttpError("connection closed in the body");
    if (head.Length > MaxBody) throw EHttpError("reply too large");
  } else {
    // No length given: the body runs until the server closes.
    in.ReadInto(body, MaxBody);
    std::string extra;
    if (in.ReadInto(extra, 1) > 0) throw EHttpError("reply too large");
  }
}

}  // namespace fusewick
