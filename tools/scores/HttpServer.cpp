#include "HttpServer.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <atomic>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace fusewick::scores {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

std::string AddressKey(const std::string& address) {
  boost::system::error_code ec;
  net::ip::address a = net::ip::make_address(address, ec);
  if (ec) return address;
  if (a.is_v6() && a.to_v6().is_v4_mapped()) return net::ip::make_address_v4(net::ip::v4_mapped, a.to_v6()).to_string();
  if (a.is_v4()) return a.to_string();
  net::ip::address_v6::bytes_type bytes = a.to_v6().to_bytes();
  for (size_t i = 8; i < bytes.size(); ++i) bytes[i] = 0;
  return net::ip::address_v6(bytes).to_string() + "/64";
}

struct HttpServer::Impl {
  Impl(const THttpLimits& l, THandler h, TRefusalSink r) : limits(l), handler(std::move(h)), refused(std::move(r)) {}

  THttpLimits limits;
  THandler handler;
  TRefusalSink refused;
  std::unordered_map<std::string, int> perAddress;  // touched on the loop's thread only
  int uploads = 0;                                  // likewise
  std::atomic<size_t> open{0};
  // Declared last so that it goes first: sessions still queued in it release
  // their counts into the members above.
  net::io_context context{1};
  tcp::acceptor acceptor{context};
  net::steady_timer acceptPause{context};

  struct Periodic {
    Periodic(net::io_context& c, std::chrono::milliseconds p, std::function<void()> f)
        : timer(c), period(p), fn(std::move(f)) {}
    void Arm() {
      timer.expires_after(period);
      timer.async_wait([this](beast::error_code ec) {
        if (ec) return;
        fn();
        Arm();
      });
    }
    net::steady_timer timer;
    std::chrono::milliseconds period;
    std::function<void()> fn;
  };
  std::vector<std::unique_ptr<Periodic>> periodics;

  void Accept();
  void Release(const std::string& key) {
    --open;
    auto it = perAddress.find(key);
    if (it != perAddress.end() && --it->second <= 0) perAddress.erase(it);
  }
};

namespace {

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(HttpServer::Impl& server, tcp::socket socket, std::string peer, std::string key)
      : server_(server),
        stream_(std::move(socket)),
        // Room for a whole header, a body, and what a pipelining client sent after them.
        buffer_(server.limits.HeaderBytes + server.limits.BodyBytes + 8192),
        peer_(std::move(peer)),
        key_(std::move(key)),
        born_(Clock::now()) {}
  ~Session() {
    EndUpload();
    server_.Release(key_);
  }

  void Start() { ReadHeader(); }

 private:
  const THttpLimits& Limits() const { return server_.limits; }

  // No phase may run past the connection's age.
  Clock::time_point Deadline(std::chrono::milliseconds phase) const {
    return std::min(Clock::now() + phase, born_ + Limits().ConnectionAge);
  }

  void ReadHeader() {
    if (served_ >= Limits().RequestsPerConnection || Clock::now() >= born_ + Limits().ConnectionAge) return Close();
    parser_.emplace();
    parser_->header_limit(uint32_t(Limits().HeaderBytes));
    // The largest body any request may have; each request's own bound is
    // applied once its target is known.
    parser_->body_limit(std::max(Limits().BodyBytes, Limits().UploadBytes));
    stream_.expires_at(Deadline(Limits().HeaderTime));
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, size_t) { self->OnHeader(ec); });
  }

  void OnHeader(beast::error_code ec) {
    if (ec == http::error::header_limit || ec == http::error::buffer_overflow) return Refuse(431, "header_too_large");
    if (ec == http::error::body_limit) return Refuse(413, "body_too_large");
    if (ec == http::error::end_of_stream || ec == beast::error::timeout ||
        (ec && ec.category() != http::make_error_code(http::error::bad_target).category()))
      return Close();  // gone, idle or too slow: nothing to answer
    if (ec) return Refuse(400, "malformed");
    const auto& req = parser_->get();
    if (req.target().size() > Limits().TargetBytes) return Refuse(414, "target_too_long");
    size_t bodyBytes = Limits().BodyBytes;
    if (Limits().TakesUpload && Limits().TakesUpload(req.method_string(), req.target())) {
      bodyBytes = Limits().UploadBytes;
      if (parser_->content_length() && *parser_->content_length() > bodyBytes) return Refuse(413, "body_too_large");
      if (server_.uploads >= Limits().Uploads) return Refuse(503, "busy");
      ++server_.uploads;
      upload_ = true;
    }
    if (parser_->content_length() && *parser_->content_length() > bodyBytes) return Refuse(413, "body_too_large");
    parser_->body_limit(bodyBytes);  // a chunked body too
    if (parser_->is_done()) return OnRequest();
    stream_.expires_at(Deadline(Limits().BodyTime));
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code ec2, size_t) {
      if (ec2 == http::error::body_limit) return self->Refuse(413, "body_too_large");
      if (ec2) return self->Close();
      self->OnRequest();
    });
  }

  void OnRequest() {
    stream_.expires_never();  // the handler's work is bounded by its own queue
    ++served_;
    auto& req = parser_->get();
    keepAlive_ = req.keep_alive();
    TRequest r;
    r.Method = std::string(req.method_string());
    r.Target = std::string(req.target());
    r.Peer = peer_;
    r.Body = std::move(req.body());
    r.Start = Clock::now();
    // A Range header is never honoured: every answer is the whole body, once.
    server_.handler(std::move(r), [self = shared_from_this()](TResponse response) {
      net::post(self->stream_.get_executor(),
                [self, response = std::move(response)]() mutable { self->Write(std::move(response), false); });
    });
  }

  void EndUpload() {
    if (!upload_) return;
    --server_.uploads;
    upload_ = false;
  }

  void Write(TResponse response, bool close) {
    EndUpload();
    auto res = std::make_shared<http::response<http::string_body>>();
    res->version(11);
    res->result(unsigned(response.Status));
    res->set(http::field::server, "fusewick-scores");
    res->set(http::field::content_type, response.ContentType);
    res->set("X-Content-Type-Options", "nosniff");
    for (auto& [name, value] : response.Headers) res->set(name, value);
    res->body() = std::move(response.Body);
    bool keep = !close && keepAlive_ && served_ < Limits().RequestsPerConnection &&
                Clock::now() < born_ + Limits().ConnectionAge;
    res->keep_alive(keep);
    res->prepare_payload();
    stream_.expires_at(Clock::now() + Limits().WriteTime);
    http::async_write(stream_, *res, [self = shared_from_this(), res, keep](beast::error_code ec, size_t) {
      if (ec || !keep) return self->Close();
      self->ReadHeader();
    });
  }

  // Answers a request that the front refuses by itself, then closes.
  void Refuse(int status, const char* reason) {
    if (server_.refused) server_.refused(peer_, reason, status);
    TResponse response;
    response.Status = status;
    response.Body = std::string("ERROR|") + reason + "|";
    response.Headers = {{"Cache-Control", "no-store"}};
    if (status == 503) response.Headers.emplace_back("Retry-After", "1");
    Write(std::move(response), true);
  }

  void Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

  HttpServer::Impl& server_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  std::string peer_, key_;
  Clock::time_point born_;
  int served_ = 0;
  bool keepAlive_ = false;
  bool upload_ = false;  // counted in the server's uploads
};

}  // namespace

void HttpServer::Impl::Accept() {
  acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
    if (ec == net::error::operation_aborted) return;
    if (ec) {
      // Out of descriptors or the like: wait a little instead of spinning.
      acceptPause.expires_after(std::chrono::milliseconds(50));
      acceptPause.async_wait([this](beast::error_code e) {
        if (!e) Accept();
      });
      return;
    }
    beast::error_code endpointError;
    std::string peer = socket.remote_endpoint(endpointError).address().to_string();
    if (endpointError) {
      Accept();
      return;
    }
    std::string key = AddressKey(peer);
    int& mine = perAddress[key];
    if (open >= size_t(limits.Connections) || mine >= limits.ConnectionsPerAddress) {
      if (mine == 0) perAddress.erase(key);
      if (refused) refused(peer, "connection_limit", 0);
      beast::error_code ignored;
      socket.set_option(net::socket_base::linger(true, 0), ignored);  // no lingering state for a flood
      socket.close(ignored);
    } else {
      ++mine;
      ++open;
      socket.set_option(tcp::no_delay(true), endpointError);
      std::make_shared<Session>(*this, std::move(socket), std::move(peer), std::move(key))->Start();
    }
    Accept();
  });
}

HttpServer::HttpServer(const THttpLimits& limits, THandler handler, TRefusalSink refused)
    : impl_(std::make_unique<Impl>(limits, std::move(handler), std::move(refused))) {}

HttpServer::~HttpServer() = default;

int HttpServer::Bind(const std::string& host, int port) {
  beast::error_code ec;
  tcp::resolver resolver(impl_->context);
  auto results = resolver.resolve(host, std::to_string(port), tcp::resolver::numeric_service, ec);
  if (ec || results.empty()) throw std::runtime_error("cannot listen on " + host + ": " + ec.message());
  tcp::endpoint endpoint = results.begin()->endpoint();
  auto& acceptor = impl_->acceptor;
  acceptor.open(endpoint.protocol(), ec);
  // SO_REUSEADDR lets a restarted server bind past connections still in
  // TIME_WAIT; it never lets two servers listen on one port (that would take
  // SO_REUSEPORT, which stays off).
  if (!ec) acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(1024, ec);
  if (ec) {
    std::string why =
        ec == net::error::address_in_use ? "the port is already in use (is another server running?)" : ec.message();
    throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) + ": " + why);
  }
  return acceptor.local_endpoint().port();
}

void HttpServer::Run() {
  impl_->Accept();
  impl_->context.run();
}

void HttpServer::Stop() {
  net::post(impl_->context, [this] {
    beast::error_code ignored;
    impl_->acceptor.close(ignored);
    impl_->context.stop();
  });
}

void HttpServer::Every(std::chrono::milliseconds period, std::function<void()> fn) {
  auto periodic = std::make_unique<Impl::Periodic>(impl_->context, period, std::move(fn));
  periodic->Arm();
  impl_->periodics.push_back(std::move(periodic));
}

size_t HttpServer::OpenConnections() const { return impl_->open.load(); }

}  // namespace fusewick::scores
