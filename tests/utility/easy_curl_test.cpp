// The libcurl wrapper (easy_curl, fetch_url) against a real HTTP
// server on loopback, and the fault rows of that server itself.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/asio.hpp>
#include <boost/bind/bind.hpp>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_http_server.h"
#include "utility/easy_curl.h"
#include "utility/fetch_url.h"

namespace {

using kelpa::utility::easy_curl;
using kelpa::utility::fetch_url;
using test_support::Route;
using test_support::TestHttpServer;
using Clock = std::chrono::steady_clock;
constexpr std::size_t npos = std::string::npos;

class CurlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_DEFAULT), CURLE_OK); }
  void TearDown() override { curl_global_cleanup(); }
};
::testing::Environment* const curl_environment =
    ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void WaitForRequest(const TestHttpServer& server, const std::string& path) {
  while (server.RequestCount(path) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Every byte value, several times over.
std::string BinaryBody(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
  return body;
}

// A Route written as one expression: RouteOf(body).Cut(1000).Chunked().
struct RouteOf : Route {
  explicit RouteOf(std::string text = std::string()) { body = std::move(text); }
  RouteOf& Status(int code) {
    status = code;
    return *this;
  }
  RouteOf& Cut(std::size_t after) {
    cutAfter = after;
    return *this;
  }
  RouteOf& Stall(std::size_t after, int ms) {
    stallAfter = after;
    stallMs = ms;
    return *this;
  }
  RouteOf& Rate(std::size_t perSecond) {
    bytesPerSecond = perSecond;
    return *this;
  }
  RouteOf& Chunked() {
    chunked = true;
    return *this;
  }
  RouteOf& Redirect(std::string to) {
    redirectTo = std::move(to);
    return *this;
  }
};

// A URL nobody listens on any more.
std::string RefusedUrl() {
  TestHttpServer gone;
  return gone.Url("/f");
}

size_t AppendToString(const char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

struct Transfer {
  int code = -1;
  std::string body;  // everything written so far, over all performs
  double seconds = 0;
  long status = 0;  // HTTP status of the last response, 0 if none
};

// An easy_curl that writes into a string.
struct StringSink {
  easy_curl curl;
  std::string body;
  explicit StringSink(const std::string& url) {
    curl.url = url;
    curl.write_function = &AppendToString;
    curl.write_data = &body;
  }
  Transfer Perform() {
    Transfer result;
    const auto start = Clock::now();
    result.code = curl.perform();
    result.seconds = SecondsSince(start);
    curl_easy_getinfo(curl.handle(), CURLINFO_RESPONSE_CODE, &result.status);
    result.body = body;
    return result;
  }
};

// ---------------------------------------------------------------------------
// A raw client for checking the server's own bytes on the wire.

struct RawResult {
  std::string bytes;                // everything received
  boost::system::error_code ended;  // how the read ended (eof, reset, ...)
  double seconds = 0;               // from connect to end
};

RawResult RawExchange(std::uint16_t port, const std::string& request) {
  namespace asio = boost::asio;
  asio::io_context io;
  asio::ip::tcp::socket socket(io);
  socket.connect({asio::ip::make_address("127.0.0.1"), port});
  const auto start = Clock::now();
  asio::write(socket, asio::buffer(request));
  RawResult result;
  char buffer[16384];
  for (;;) {
    const std::size_t n = socket.read_some(asio::buffer(buffer), result.ended);
    result.bytes.append(buffer, n);
    if (result.ended) break;
  }
  result.seconds = SecondsSince(start);
  return result;
}

std::string Get(const std::string& path, const char* method = "GET") {
  return std::string(method) + " " + path +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

struct Parsed {
  std::string head;
  std::string body;
};

Parsed Split(const std::string& bytes) {
  const std::size_t at = bytes.find("\r\n\r\n");
  if (at == npos) return {bytes, std::string()};
  return {bytes.substr(0, at + 2), bytes.substr(at + 4)};
}

bool HasHeader(const std::string& head, const std::string& line) {
  return head.find("\r\n" + line + "\r\n") != npos;
}

// Decodes a complete chunked body; sets *ok false on bad framing.
std::string Dechunk(const std::string& framed, bool* ok) {
  std::string body;
  std::size_t pos = 0;
  *ok = false;
  for (;;) {
    const std::size_t eol = framed.find("\r\n", pos);
    if (eol == npos) return body;
    const std::size_t size = std::stoul(framed.substr(pos, eol - pos), nullptr, 16);
    pos = eol + 2;
    if (size == 0) {
      *ok = framed.substr(pos) == "\r\n";
      return body;
    }
    if (framed.size() < pos + size + 2 || framed.compare(pos + size, 2, "\r\n") != 0) return body;
    body.append(framed, pos, size);
    pos += size + 2;
  }
}

// ===========================================================================
// The server's own rows, checked byte for byte.

// One request on a fresh connection ("Connection: close"). The body is
// decoded first when the route is chunked; a cut route must end in a reset,
// every other one in a clean end of stream.
struct WireRow {
  std::string name, path, request;
  std::optional<Route> route;  // installed at path; none: unknown path
  std::string status = "HTTP/1.1 200 OK\r\n";
  std::vector<std::string> headers;
  std::string body;  // defaults to the route's body
  int requests = 1;  // GETs counted for path afterwards
  double minSeconds = 0;

  WireRow(std::string rowName, std::string rowPath, std::optional<Route> rowRoute)
      : name(std::move(rowName)),
        path(std::move(rowPath)),
        request(Get(path)),
        route(std::move(rowRoute)),
        body(route ? route->body : std::string()) {}
  WireRow& Request(std::string raw) {
    request = std::move(raw);
    return *this;
  }
  WireRow& Status(std::string line) {
    status = std::move(line);
    return *this;
  }
  WireRow& Header(std::string line) {
    headers.push_back(std::move(line));
    return *this;
  }
  WireRow& Body(std::string expected) {
    body = std::move(expected);
    return *this;
  }
  WireRow& Requests(int count) {
    requests = count;
    return *this;
  }
  WireRow& MinSeconds(double seconds) {
    minSeconds = seconds;
    return *this;
  }
};

TEST(TestHttpServerWire, FaultRows) {
  const std::string nul("a\0b\0\0c", 6);
  const std::string big = BinaryBody(100000);
  const std::vector<WireRow> rows = {
      WireRow("body with NULs, query ignored", "/f", RouteOf(nul))
          .Request(Get("/f?x=1"))
          .Header("Content-Length: 6"),
      WireRow("unknown path", "/missing", std::nullopt)
          .Status("HTTP/1.1 404 Not Found\r\n")
          .Body("404 Not Found\n"),
      WireRow("empty body", "/empty", Route()).Header("Content-Length: 0"),
      WireRow("status as given", "/busy", RouteOf("oops").Status(503)).Status("HTTP/1.1 503 "),
      WireRow("HEAD: headers only, not counted", "/f", RouteOf("12345"))
          .Request(Get("/f", "HEAD"))
          .Header("Content-Length: 5")
          .Body("")
          .Requests(0),
      WireRow("cut after 1000 of 100000", "/cut", RouteOf(big).Cut(1000))
          .Header("Content-Length: 100000")
          .Body(big.substr(0, 1000)),
      WireRow("cut after 0", "/cut", RouteOf("abcdef").Cut(0)).Header("Content-Length: 6").Body(""),
      WireRow("stall 300 ms", "/stall", RouteOf(BinaryBody(5000)).Stall(100, 300)).MinSeconds(0.29),
      WireRow("rate limit, 0.5 s of body", "/slow", RouteOf(BinaryBody(20000)).Rate(40000))
          .MinSeconds(0.4),
      WireRow("chunked", "/chunked", RouteOf(BinaryBody(200000)).Chunked())
          .Header("Transfer-Encoding: chunked"),
      WireRow("redirect", "/old", RouteOf("moved").Redirect("/target"))
          .Status("HTTP/1.1 302 Found\r\n")
          .Header("Location: /target"),
  };
  for (const WireRow& row : rows) {
    SCOPED_TRACE(row.name);
    TestHttpServer server;
    if (row.route) server.SetRoute(row.path, *row.route);
    const RawResult raw = RawExchange(server.Port(), row.request);
    const Parsed parsed = Split(raw.bytes);
    EXPECT_EQ(parsed.head.rfind(row.status, 0), 0u) << parsed.head;
    for (const std::string& line : row.headers)
      EXPECT_TRUE(HasHeader(parsed.head, line)) << parsed.head;
    if (row.route && row.route->chunked) {
      EXPECT_EQ(parsed.head.find("Content-Length"), npos) << parsed.head;
      bool ok = false;
      EXPECT_EQ(Dechunk(parsed.body, &ok), row.body);
      EXPECT_TRUE(ok);
    } else {
      EXPECT_EQ(parsed.body, row.body);
    }
    const bool cut = row.route && row.route->cutAfter != npos;
    const boost::system::error_code ending =
        cut ? boost::asio::error::make_error_code(boost::asio::error::connection_reset)
            : boost::asio::error::make_error_code(boost::asio::error::eof);
    EXPECT_EQ(raw.ended, ending) << raw.ended.message();
    EXPECT_GE(raw.seconds, row.minSeconds);
    EXPECT_LT(raw.seconds, 2.0);
    EXPECT_EQ(server.RequestCount(row.path), row.requests);
    EXPECT_NE(server.Port(), 0);
    EXPECT_EQ(server.Url(row.path), "http://127.0.0.1:" + std::to_string(server.Port()) + row.path);
  }
}

TEST(TestHttpServerTest, KeepAliveServesPipelinedRequestsOnOneConnection) {
  TestHttpServer server;
  server.SetRoute("/a", RouteOf("first"));
  server.SetRoute("/b", RouteOf("second"));
  const RawResult raw =
      RawExchange(server.Port(), "GET /a HTTP/1.1\r\nHost: x\r\n\r\n" + Get("/b"));
  EXPECT_NE(raw.bytes.find("\r\n\r\nfirstHTTP/1.1 200 OK\r\n"), npos) << raw.bytes;
  EXPECT_EQ(Split(raw.bytes.substr(raw.bytes.find("firstHTTP") + 5)).body, "second");
  EXPECT_EQ(server.ConnectionCount(), 1);
  EXPECT_EQ(server.RequestCount("/a"), 1);
  EXPECT_EQ(server.RequestCount("/b"), 1);
}

TEST(TestHttpServerTest, SetRouteWhileServingAppliesToLaterRequests) {
  TestHttpServer server;
  server.SetRoute("/f", RouteOf("old"));
  EXPECT_EQ(Split(RawExchange(server.Port(), Get("/f")).bytes).body, "old");
  server.SetRoute("/f", RouteOf("new"));
  EXPECT_EQ(Split(RawExchange(server.Port(), Get("/f")).bytes).body, "new");
  EXPECT_EQ(server.RequestCount("/f"), 2);
}

TEST(TestHttpServerTest, ServesOtherConnectionsDuringAStall) {
  TestHttpServer server;
  const Route stalled = RouteOf(BinaryBody(1000)).Stall(10, 400);
  server.SetRoute("/stall", stalled);
  server.SetRoute("/quick", RouteOf("quick"));
  RawResult slow;
  std::thread client([&] { slow = RawExchange(server.Port(), Get("/stall")); });
  WaitForRequest(server, "/stall");
  const RawResult quick = RawExchange(server.Port(), Get("/quick"));
  client.join();
  EXPECT_EQ(Split(quick.bytes).body, "quick");
  EXPECT_LT(quick.seconds, 0.5);
  EXPECT_EQ(Split(slow.bytes).body, stalled.body);
}

TEST(TestHttpServerTest, DestructorEndsLongResponsesPromptly) {
  const std::vector<std::pair<const char*, Route>> rows = {
      {"30 s stall", RouteOf(BinaryBody(1000)).Stall(10, 30000)},
      {"1000 bytes/s of 1 MB", RouteOf(BinaryBody(1000000)).Rate(1000)},
  };
  for (const auto& [name, route] : rows) {
    SCOPED_TRACE(name);
    auto server = std::make_unique<TestHttpServer>();
    server->SetRoute("/long", route);
    RawResult raw;
    std::thread client([&, port = server->Port()] { raw = RawExchange(port, Get("/long")); });
    WaitForRequest(*server, "/long");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    server.reset();
    EXPECT_LT(SecondsSince(start), 0.5);
    client.join();
    EXPECT_LT(Split(raw.bytes).body.size(), route.body.size());
  }
}

TEST(TestHttpServerTest, DestructorWithIdleKeepAliveConnectionIsPrompt) {
  auto server = std::make_unique<TestHttpServer>();
  server->SetRoute("/f", RouteOf("x"));
  StringSink sink(server->Url("/f"));  // keeps its connection open after the transfer
  ASSERT_EQ(sink.Perform().code, CURLE_OK);
  const auto start = Clock::now();
  server.reset();
  EXPECT_LT(SecondsSince(start), 0.5);
  EXPECT_EQ(sink.body, "x");
}

// ===========================================================================
// easy_curl and fetch_url, one row per fault case

// Each row is fetched twice from one server at /f: by an easy_curl writing
// into a string, then by fetch_url (unless the row sets options fetch_url
// does not have). fetch_url must give the body when the transfer succeeds
// and an empty string otherwise.
struct FaultRow {
  std::string name;
  std::optional<Route> route;  // none: /f is unknown (404)
  std::vector<int> codes;      // any of these
  std::string body;            // defaults to the route's body
  std::size_t atMost = npos;   // npos: body exact; else a prefix of body, at most this long
  long status = 0;             // HTTP status, 0: not checked
  double minSeconds = 0;
  bool refused = false, noUrl = false, failOnError = false;

  FaultRow(std::string rowName, std::optional<Route> rowRoute, std::vector<int> rowCodes)
      : name(std::move(rowName)),
        route(std::move(rowRoute)),
        codes(std::move(rowCodes)),
        body(route ? route->body : std::string()) {}
  FaultRow& Body(std::string expected) {
    body = std::move(expected);
    return *this;
  }
  FaultRow& PrefixAtMost(std::size_t bytes) {
    atMost = bytes;
    return *this;
  }
  FaultRow& Status(long code) {
    status = code;
    return *this;
  }
  FaultRow& MinSeconds(double seconds) {
    minSeconds = seconds;
    return *this;
  }
  FaultRow& Refused() {
    refused = true;
    return *this;
  }
  FaultRow& NoUrl() {
    noUrl = true;
    return *this;
  }
  FaultRow& FailOnError() {
    failOnError = true;
    return *this;
  }
};

TEST(EasyCurlTransfers, FaultRows) {
  const std::vector<int> ok = {CURLE_OK};
  const std::vector<int> broken = {CURLE_PARTIAL_FILE, CURLE_RECV_ERROR};
  const std::vector<FaultRow> rows = {
      FaultRow("body with NULs", RouteOf(std::string("head\0\0middle\0tail\0", 18)), ok)
          .Status(200),
      FaultRow("1 MiB binary", RouteOf(BinaryBody(1 << 20)), ok).Status(200),
      FaultRow("empty body", Route(), ok).Status(200),
      FaultRow("chunked", RouteOf(BinaryBody(300000)).Chunked(), ok).Status(200),
      FaultRow("rate-limited, a quarter second", RouteOf(BinaryBody(64 * 1024)).Rate(256 * 1024),
               ok)
          .MinSeconds(0.2),
      FaultRow("stall, then completes", RouteOf(BinaryBody(100000)).Stall(30000, 300), ok)
          .MinSeconds(0.29),
      FaultRow("404 is a successful transfer", std::nullopt, ok)
          .Body("404 Not Found\n")
          .Status(404),
      FaultRow("404 with CURLOPT_FAILONERROR", std::nullopt, {CURLE_HTTP_RETURNED_ERROR})
          .FailOnError(),
      FaultRow("cut body", RouteOf(BinaryBody(200000)).Cut(50000), broken).PrefixAtMost(50000),
      FaultRow("cut chunked body", RouteOf(BinaryBody(300000)).Chunked().Cut(1000), broken)
          .PrefixAtMost(1000),
      FaultRow("connection refused", std::nullopt, {CURLE_COULDNT_CONNECT}).Refused(),
      FaultRow("empty URL", std::nullopt, {CURLE_URL_MALFORMAT}).NoUrl(),
  };
  for (const FaultRow& row : rows) {
    SCOPED_TRACE(row.name);
    TestHttpServer server;
    if (row.route) server.SetRoute("/f", *row.route);
    const std::string url = row.noUrl     ? std::string()
                            : row.refused ? RefusedUrl()
                                          : server.Url("/f");

    StringSink sink(url);
    if (row.failOnError) curl_easy_setopt(sink.curl.handle(), CURLOPT_FAILONERROR, 1L);
    const Transfer got = sink.Perform();
    EXPECT_NE(std::find(row.codes.begin(), row.codes.end(), got.code), row.codes.end()) << got.code;
    if (row.atMost == npos) {
      EXPECT_EQ(got.body, row.body);
    } else {
      EXPECT_LE(got.body.size(), row.atMost);
      EXPECT_EQ(got.body, row.body.substr(0, got.body.size()));
    }
    if (row.status != 0) {
      EXPECT_EQ(got.status, row.status);
    }
    EXPECT_GE(got.seconds, row.minSeconds);

    const bool alsoFetch = !row.failOnError && !row.noUrl;
    if (alsoFetch) {
      fetch_url fetcher(url.c_str());
      const bool succeeded = got.code == CURLE_OK;
      EXPECT_EQ(fetcher.fetch(), succeeded ? row.body : std::string());
      if (succeeded) {
        EXPECT_EQ(fetcher.data, row.body);
      }
    }
    if (!row.refused && !row.noUrl) {
      EXPECT_EQ(server.RequestCount("/f"), alsoFetch ? 2 : 1);
    }
  }
}

// ===========================================================================
// easy_curl callbacks

TEST(EasyCurlTest, NoCallbackLeavesLibcurlsOwnSink) {
  TestHttpServer server;
  const std::string body = BinaryBody(50000);
  server.SetRoute("/file", RouteOf(body));
  server.SetRoute("/stdout", RouteOf("body-on-stdout"));

  // With WRITEDATA set through the handle, libcurl's fwrite gets the file.
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  easy_curl toFile;
  toFile.url = server.Url("/file");
  curl_easy_setopt(toFile.handle(), CURLOPT_WRITEDATA, file);
  EXPECT_EQ(toFile.perform(), CURLE_OK);
  std::fflush(file);
  std::rewind(file);
  std::string got;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) got.append(buffer, n);
  std::fclose(file);
  EXPECT_EQ(got, body);

  // Without it, stdout.
  easy_curl toStdout;
  toStdout.url = server.Url("/stdout");
  ::testing::internal::CaptureStdout();
  const int result = toStdout.perform();
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "body-on-stdout");
  EXPECT_EQ(result, CURLE_OK);
}

TEST(EasyCurlTest, CallbackRefusalStopsTheTransfer) {
  TestHttpServer server;
  server.SetRoute("/f", RouteOf(BinaryBody(10000)));
  for (const bool byProgress : {false, true}) {
    SCOPED_TRACE(byProgress ? "non-zero progress" : "short write");
    StringSink sink(server.Url("/f"));
    int writes = 0;
    sink.curl.write_function = [&](const char*, size_t size, size_t count, void*) -> size_t {
      ++writes;
      return size * count - (byProgress ? 0 : 1);
    };
    if (byProgress)
      sink.curl.progress_function = [](double, double, double, double, void*) { return 1; };
    EXPECT_EQ(sink.Perform().code, byProgress ? CURLE_ABORTED_BY_CALLBACK : CURLE_WRITE_ERROR);
    EXPECT_EQ(writes, byProgress ? 0 : 1);
  }
}

TEST(EasyCurlTest, EmptiedWriteCallbackStaysRegisteredAndFails) {
  // Options are only ever set: after write_function is emptied the thunk is
  // still registered and answers 0, which libcurl treats as a write error.
  TestHttpServer server;
  server.SetRoute("/f", RouteOf("some body"));
  StringSink sink(server.Url("/f"));
  EXPECT_EQ(sink.Perform().code, CURLE_OK);
  sink.curl.write_function.clear();
  EXPECT_EQ(sink.Perform().code, CURLE_WRITE_ERROR);
  EXPECT_EQ(sink.body, "some body");
}

TEST(EasyCurlTest, UserPointersReachTheCallbacks) {
  TestHttpServer server;
  const std::string body = BinaryBody(100000);
  server.SetRoute("/f", RouteOf(body));
  StringSink sink(server.Url("/f"));
  int progressMarker = 0;
  int wrongWrite = 0, wrongProgress = 0, progressCalls = 0;
  sink.curl.progress_data = &progressMarker;
  sink.curl.write_function = [&](const char* data, size_t size, size_t count,
                                 void* user) -> size_t {
    if (user != &sink.body) ++wrongWrite;
    return AppendToString(data, size, count, user);
  };
  sink.curl.progress_function = [&](double, double, double, double, void* user) {
    ++progressCalls;
    if (user != &progressMarker) ++wrongProgress;
    return 0;
  };
  EXPECT_EQ(sink.Perform().code, CURLE_OK);
  EXPECT_EQ(sink.body, body);
  EXPECT_EQ(wrongWrite, 0);
  EXPECT_EQ(wrongProgress, 0);
  EXPECT_GT(progressCalls, 0);
}

// A member function bound with boost::bind, the way the worker binds the
// dialog's callbacks; the progress one takes four arguments and drops the
// user pointer.
struct BoundReceiver {
  std::string body;
  double lastTotal = -1, lastNow = -1;
  size_t Write(const char* data, size_t size, size_t count, void* user) {
    EXPECT_EQ(user, &body);
    body.append(data, size * count);
    return size * count;
  }
  int Progress(double total, double now, double, double) {
    lastTotal = total;
    lastNow = now;
    return 0;
  }
};

TEST(EasyCurlTest, BoundMembersGetBodyAndByteCounts) {
  namespace ph = boost::placeholders;
  TestHttpServer server;
  const std::string body = BinaryBody(300000);
  server.SetRoute("/f", RouteOf(body));
  BoundReceiver receiver;
  easy_curl curl;
  curl.url = server.Url("/f");
  curl.write_function =
      boost::bind(&BoundReceiver::Write, &receiver, ph::_1, ph::_2, ph::_3, ph::_4);
  curl.progress_function =
      boost::bind(&BoundReceiver::Progress, &receiver, ph::_1, ph::_2, ph::_3, ph::_4);
  curl.write_data = &receiver.body;
  EXPECT_EQ(curl.perform(), CURLE_OK);
  EXPECT_EQ(receiver.body, body);
  EXPECT_EQ(receiver.lastTotal, static_cast<double>(body.size()));
  EXPECT_EQ(receiver.lastNow, static_cast<double>(body.size()));
}

TEST(EasyCurlTest, CallbacksRunOnThePerformingThread) {
  TestHttpServer server;
  server.SetRoute("/f", RouteOf(BinaryBody(100000)));
  int foreign = 0;
  std::thread worker([&] {
    const std::thread::id performer = std::this_thread::get_id();
    easy_curl curl;
    curl.url = server.Url("/f");
    curl.write_function = [&](const char*, size_t size, size_t count, void*) -> size_t {
      if (std::this_thread::get_id() != performer) ++foreign;
      return size * count;
    };
    curl.progress_function = [&](double, double, double, double, void*) {
      if (std::this_thread::get_id() != performer) ++foreign;
      return 0;
    };
    EXPECT_EQ(curl.perform(), CURLE_OK);
  });
  worker.join();
  EXPECT_EQ(foreign, 0);
}

TEST(EasyCurlTest, SecondPerformReusesHandleAndConnection) {
  TestHttpServer server;
  server.SetRoute("/f", RouteOf("again"));
  StringSink sink(server.Url("/f"));
  EXPECT_EQ(sink.Perform().code, CURLE_OK);
  EXPECT_EQ(sink.Perform().code, CURLE_OK);
  EXPECT_EQ(sink.body, "againagain");
  EXPECT_EQ(server.RequestCount("/f"), 2);
  EXPECT_EQ(server.ConnectionCount(), 1);
}

TEST(EasyCurlTest, StalledServerStillGetsProgressCalls) {
  TestHttpServer server;
  // Far longer than the test; ended by the destructor.
  const Route route = RouteOf(BinaryBody(100000)).Stall(1000, 20000);
  server.SetRoute("/stall", route);
  StringSink sink(server.Url("/stall"));
  bool stallSeen = false;
  Clock::time_point stallStart;
  int callsDuringStall = 0;
  // Give up once progress calls have kept coming for half a second with no
  // new bytes: they can only come from libcurl's idle ticks.
  sink.curl.progress_function = [&](double, double now, double, double, void*) {
    if (now < static_cast<double>(route.stallAfter)) return 0;
    if (!stallSeen) {
      stallSeen = true;
      stallStart = Clock::now();
      return 0;
    }
    ++callsDuringStall;
    return SecondsSince(stallStart) >= 0.5 ? -1 : 0;
  };
  const Transfer got = sink.Perform();
  EXPECT_EQ(got.code, CURLE_ABORTED_BY_CALLBACK);
  EXPECT_LT(got.seconds, 5.0);
  EXPECT_TRUE(stallSeen);
  EXPECT_GE(callsDuringStall, 1);
  EXPECT_EQ(got.body, route.body.substr(0, route.stallAfter));
}

// ===========================================================================
// fetch_url beyond the fault rows

TEST(FetchUrlTest, FetchingTwiceDoesNotAccumulate) {
  TestHttpServer server;
  server.SetRoute("/f", RouteOf("first body"));
  fetch_url fetcher(server.Url("/f").c_str());
  EXPECT_EQ(fetcher.fetch(), "first body");
  EXPECT_EQ(fetcher.fetch(), "first body");
  server.SetRoute("/f", RouteOf("2nd"));
  EXPECT_EQ(fetcher.fetch(), "2nd");
  EXPECT_EQ(fetcher.data, "2nd");
  EXPECT_EQ(server.RequestCount("/f"), 3);
}

TEST(FetchUrlTest, RedirectIsNotFollowed) {
  TestHttpServer server;
  const Route redirect = RouteOf("<a href=\"/target\">moved</a>").Redirect("/target");
  server.SetRoute("/old", redirect);
  server.SetRoute("/target", RouteOf("target body"));
  fetch_url fetcher(server.Url("/old").c_str());
  EXPECT_EQ(fetcher.fetch(), redirect.body);
  long code = 0;
  curl_easy_getinfo(fetcher.curl.handle(), CURLINFO_RESPONSE_CODE, &code);
  EXPECT_EQ(code, 302);
  EXPECT_EQ(server.RequestCount("/old"), 1);
  EXPECT_EQ(server.RequestCount("/target"), 0);
}

TEST(FetchUrlTest, WriteAppendsExactlySizeTimesCount) {
  fetch_url fetcher("http://127.0.0.1:1/unused");
  std::string target = "x";
  const char bytes[] = {'a', '\0', 'b', '\0', 'c', 'd'};
  EXPECT_EQ(fetcher.write(bytes, 2, 3, &target), 6u);
  EXPECT_EQ(target, std::string("xa\0b\0cd", 7));
  EXPECT_EQ(fetcher.write(bytes, 1, 0, &target), 0u);
  EXPECT_EQ(target.size(), 7u);
}

}  // namespace
