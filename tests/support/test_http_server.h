#pragma once
// A real HTTP/1.1 server for tests, on Boost.Asio. It listens on 127.0.0.1 on
// a port chosen by the OS (or a fixed one), serves bodies from memory and runs
// on a thread of its own. Every fault case is one Route (a row of data) on the
// same server. It records every request it reads, so tests can check what a
// client asked for and how.
//
// Behaviour:
// - GET and HEAD are served; other methods get 405. Requests are parsed with
//   Boost.Beast, responses are written by hand over the socket.
// - The query string is ignored when a path is looked up.
// - Unknown paths answer 404 with the body "404 Not Found\n".
// - Keep-alive is honoured (HTTP/1.1 default, "Connection: close" ends it);
//   any number of connections are served at once.
// - The destructor closes every connection at once (also during stalls and
//   rate-limited bodies) and joins the server thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

// One request as it arrived: the request line and the headers in order.
struct RecordedRequest {
  std::string method;
  std::string target;  // as sent, query string included
  std::string path;    // target without the query string
  std::vector<std::pair<std::string, std::string>> headers;
  // When the server had read it all.
  std::chrono::steady_clock::time_point arrived;

  // True when a header of that name (compared without case) was sent.
  bool HasHeader(const std::string& name) const;
  // The first header of that name (compared without case), or empty.
  std::string Header(const std::string& name) const;
};

struct Route {
  // Status code of the response (ignored when redirectTo is set).
  int status = 200;
  // Served from memory; may contain NUL bytes.
  std::string body;
  // Headers (with the full Content-Length) and this many body bytes are sent,
  // the server waits until the peer has acknowledged them, then resets the
  // connection (SO_LINGER 0 + close). npos = no cut. With chunked the count
  // is of body bytes, not of framing bytes.
  std::size_t cutAfter = std::string::npos;
  // With cutAfter: end the connection with a plain close (FIN) instead of
  // the reset, so the client sees the body end early rather than an error.
  bool cutCloses = false;
  // With stallMs > 0: after stallAfter body bytes (clamped to the body size)
  // the server pauses stallMs milliseconds, then goes on. The pause ends
  // early when the server is destroyed.
  std::size_t stallAfter = 0;
  int stallMs = 0;
  // Rate limit of the body in bytes per second; 0 = unlimited. The body goes
  // out in pieces of about 1/20 s each.
  std::size_t bytesPerSecond = 0;
  // Transfer-Encoding: chunked, no Content-Length.
  bool chunked = false;
  // Non-empty: answer "302 Found" with "Location: <redirectTo>"; body is
  // sent as the redirect page (the other fields still apply to it).
  std::string redirectTo;
};

class TestHttpServer {
 public:
  // Binds 127.0.0.1:0 and starts serving before it returns.
  TestHttpServer();
  // Binds 127.0.0.1:port, for a client whose address is fixed when it is
  // built; throws boost::system::system_error when the port is taken.
  explicit TestHttpServer(std::uint16_t port);
  // Closes every connection, stops promptly and joins the server thread.
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  std::uint16_t Port() const;
  // "http://127.0.0.1:PORT" + path
  std::string Url(const std::string& path) const;
  // Thread-safe; may be called while serving. Applies to requests that
  // arrive afterwards.
  void SetRoute(const std::string& path, Route route);
  // GET requests seen for that path (known or not), query string ignored.
  int RequestCount(const std::string& path) const;
  // TCP connections accepted so far.
  int ConnectionCount() const;
  // Every request read so far (all methods, known paths or not), in order.
  std::vector<RecordedRequest> Requests() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace test_support
