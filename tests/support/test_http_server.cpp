#include "tests/support/test_http_server.h"

#ifdef __linux__
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace test_support {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 304:
      return "Not Modified";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 416:
      return "Range Not Satisfiable";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

std::string PathOf(const std::string& target) { return target.substr(0, target.find('?')); }

bool SameNameIgnoringCase(const std::string& one, const std::string& two) {
  return one.size() == two.size() &&
         std::equal(one.begin(), one.end(), two.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

constexpr std::size_t kMaxPiece = 64 * 1024;
constexpr int kDrainPollMs = 2;
constexpr int kDrainMaxPolls = 500;  // about one second

}  // namespace

class TestHttpServer::Impl {
 public:
  class Session;

  explicit Impl(std::uint16_t port) : acceptor_(io_) {
    tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), port);
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen();
    port_ = acceptor_.local_endpoint().port();
    DoAccept();
    thread_ = std::thread([this] {
      for (;;) {
        try {
          io_.run();
          return;
        } catch (const std::exception& e) {
          std::fprintf(stderr, "TestHttpServer: %s\n", e.what());
        }
      }
    });
  }

  ~Impl() {
    stopping_ = true;
    asio::post(io_, [this] { CloseAll(); });
    thread_.join();
  }

  void DoAccept();
  void CloseAll();

  bool FindRoute(const std::string& path, Route* out) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = routes_.find(path);
    if (it == routes_.end()) return false;
    *out = it->second;
    return true;
  }

  void Record(RecordedRequest request) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (request.method == "GET") ++counts_[request.path];
    requests_.push_back(std::move(request));
  }

  asio::io_context io_;
  tcp::acceptor acceptor_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::vector<std::weak_ptr<Session>> sessions_;  // io thread only
  std::thread thread_;

  mutable std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::map<std::string, int> counts_;
  std::vector<RecordedRequest> requests_;
};

class TestHttpServer::Impl::Session : public std::enable_shared_from_this<Session> {
 public:
  Session(Impl& server, tcp::socket socket)
      : server_(server), socket_(std::move(socket)), timer_(server.io_) {}

  void Start() { DoRead(); }

  void Close() {
    boost::system::error_code ignored;
    timer_.cancel();
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

 private:
  bool Stopped() const { return server_.stopping_ || !socket_.is_open(); }

  void DoRead() {
    if (Stopped()) return;
    request_ = {};
    auto self = shared_from_this();
    http::async_read(socket_, buffer_, request_, [self](boost::system::error_code ec, std::size_t) {
      if (ec) {
        self->Close();
        return;
      }
      self->Handle();
    });
  }

  void Handle() {
    if (Stopped()) return;
    keepAlive_ = request_.keep_alive();
    const bool isGet = request_.method() == http::verb::get;
    const bool isHead = request_.method() == http::verb::head;
    const std::string path = PathOf(std::string(request_.target()));
    RecordedRequest recorded;
    recorded.method = std::string(request_.method_string());
    recorded.target = std::string(request_.target());
    recorded.path = path;
    recorded.arrived = Clock::now();
    for (const auto& field : request_) {
      recorded.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    }
    server_.Record(std::move(recorded));

    route_ = Route();
    if (!isGet && !isHead) {
      route_.status = 405;
      route_.body = "405 Method Not Allowed\n";
    } else if (!server_.FindRoute(path, &route_)) {
      route_ = Route();
      route_.status = 404;
      route_.body = "404 Not Found\n";
    }

    const int status = route_.redirectTo.empty() ? route_.status : 302;
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
    if (!route_.redirectTo.empty()) head += "Location: " + route_.redirectTo + "\r\n";
    head += "Content-Type: application/octet-stream\r\n";
    if (route_.chunked)
      head += "Transfer-Encoding: chunked\r\n";
    else
      head += "Content-Length: " + std::to_string(route_.body.size()) + "\r\n";
    head += keepAlive_ ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    head += "\r\n";
    head_ = std::move(head);

    pos_ = 0;
    withBody_ = !isHead;
    end_ = withBody_ ? std::min(route_.body.size(), route_.cutAfter) : 0;
    cut_ = withBody_ && end_ < route_.body.size();
    stallAt_ = std::min(route_.stallAfter, route_.body.size());
    stallPending_ = withBody_ && route_.stallMs > 0 && stallAt_ <= end_;
    rateStart_ = Clock::now();
    rateBase_ = 0;

    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(head_),
                      [self](boost::system::error_code ec, std::size_t) {
                        if (ec) return self->Close();
                        self->SendNext();
                      });
  }

  void SendNext() {
    if (Stopped()) return;
    auto self = shared_from_this();

    if (stallPending_ && pos_ == stallAt_) {
      stallPending_ = false;
      timer_.expires_after(std::chrono::milliseconds(route_.stallMs));
      timer_.async_wait([self](boost::system::error_code ec) {
        if (ec) return;
        self->rateStart_ = Clock::now();
        self->rateBase_ = self->pos_;
        self->SendNext();
      });
      return;
    }

    if (pos_ == end_) {
      if (cut_) return ResetAfterDrain(0);
      if (route_.chunked && withBody_) {
        asio::async_write(socket_, asio::buffer("0\r\n\r\n", 5),
                          [self](boost::system::error_code ec, std::size_t) {
                            if (ec) return self->Close();
                            self->AfterResponse();
                          });
        return;
      }
      return AfterResponse();
    }

    std::size_t piece = std::min(end_ - pos_, kMaxPiece);
    if (stallPending_) piece = std::min(piece, stallAt_ - pos_);
    if (route_.bytesPerSecond > 0) {
      piece = std::min(piece, std::max<std::size_t>(1, route_.bytesPerSecond / 20));
      // Bytes already sent since the last (re)start may only have left at
      // this rate: wait until the schedule allows the next piece.
      const auto due =
          rateStart_ +
          std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
              static_cast<double>(pos_ - rateBase_) / static_cast<double>(route_.bytesPerSecond)));
      if (Clock::now() < due) {
        timer_.expires_at(due);
        timer_.async_wait([self, piece](boost::system::error_code ec) {
          if (ec) return;
          self->WritePiece(piece);
        });
        return;
      }
    }
    WritePiece(piece);
  }

  void WritePiece(std::size_t piece) {
    if (Stopped()) return;
    auto self = shared_from_this();
    std::vector<asio::const_buffer> buffers;
    if (route_.chunked) {
      char size[32];
      std::snprintf(size, sizeof size, "%zx\r\n", piece);
      chunkHead_ = size;
      buffers.push_back(asio::buffer(chunkHead_));
    }
    buffers.push_back(asio::buffer(route_.body.data() + pos_, piece));
    if (route_.chunked) buffers.push_back(asio::buffer("\r\n", 2));
    asio::async_write(socket_, buffers, [self, piece](boost::system::error_code ec, std::size_t) {
      if (ec) return self->Close();
      self->pos_ += piece;
      self->SendNext();
    });
  }

  // Waits (a bounded time) until the peer has acknowledged everything that
  // was sent, so that exactly the sent bytes reach it, then resets.
  void ResetAfterDrain(int polls) {
    if (Stopped()) return;
    if (!Drained(polls) && polls < kDrainMaxPolls) {
      auto self = shared_from_this();
      timer_.expires_after(std::chrono::milliseconds(kDrainPollMs));
      timer_.async_wait([self, polls](boost::system::error_code ec) {
        if (ec) return;
        self->ResetAfterDrain(polls + 1);
      });
      return;
    }
    boost::system::error_code ignored;
    if (route_.cutCloses) {
      socket_.shutdown(tcp::socket::shutdown_send, ignored);
    } else {
      socket_.set_option(asio::socket_base::linger(true, 0), ignored);
    }
    socket_.close(ignored);
  }

  // Linux says how much of what was sent the peer has not acknowledged yet;
  // elsewhere the server gives a peer on loopback a tenth of a second.
  bool Drained(int polls) {
#if defined(SIOCOUTQ)
    (void)polls;
    int unsent = 0;
    if (::ioctl(socket_.native_handle(), SIOCOUTQ, &unsent) != 0) unsent = 0;
    return unsent == 0;
#else
    return polls * kDrainPollMs >= 100;
#endif
  }

  void AfterResponse() {
    if (Stopped()) return;
    if (keepAlive_) return DoRead();
    boost::system::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_send, ignored);
    socket_.close(ignored);
  }

  Impl& server_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  boost::beast::flat_buffer buffer_;
  http::request<http::string_body> request_;

  Route route_;
  std::string head_;
  std::string chunkHead_;
  bool keepAlive_ = false;
  bool withBody_ = true;
  bool cut_ = false;
  bool stallPending_ = false;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t stallAt_ = 0;
  Clock::time_point rateStart_;
  std::size_t rateBase_ = 0;
};

void TestHttpServer::Impl::DoAccept() {
  acceptor_.async_accept([this](boost::system::error_code ec, tcp::socket socket) {
    if (stopping_) return;
    if (!ec) {
      ++connections_;
      socket.set_option(tcp::no_delay(true), ec);
      auto session = std::make_shared<Session>(*this, std::move(socket));
      sessions_.erase(std::remove_if(sessions_.begin(), sessions_.end(),
                                     [](const std::weak_ptr<Session>& s) { return s.expired(); }),
                      sessions_.end());
      sessions_.push_back(session);
      session->Start();
    }
    DoAccept();
  });
}

void TestHttpServer::Impl::CloseAll() {
  boost::system::error_code ignored;
  acceptor_.close(ignored);
  for (auto& weak : sessions_) {
    if (auto session = weak.lock()) session->Close();
  }
  sessions_.clear();
}

bool RecordedRequest::HasHeader(const std::string& name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& header) { return SameNameIgnoringCase(header.first, name); });
}

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& header : headers) {
    if (SameNameIgnoringCase(header.first, name)) return header.second;
  }
  return std::string();
}

TestHttpServer::TestHttpServer() : impl_(new Impl(0)) {}

TestHttpServer::TestHttpServer(std::uint16_t port) : impl_(new Impl(port)) {}

TestHttpServer::~TestHttpServer() = default;

std::uint16_t TestHttpServer::Port() const { return impl_->port_; }

std::string TestHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port_) + path;
}

void TestHttpServer::SetRoute(const std::string& path, Route route) {
  std::lock_guard<std::mutex> lock(impl_->mutex_);
  impl_->routes_[path] = std::move(route);
}

int TestHttpServer::RequestCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(impl_->mutex_);
  auto it = impl_->counts_.find(PathOf(path));
  return it == impl_->counts_.end() ? 0 : it->second;
}

int TestHttpServer::ConnectionCount() const { return impl_->connections_; }

std::vector<RecordedRequest> TestHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(impl_->mutex_);
  return impl_->requests_;
}

}  // namespace test_support
