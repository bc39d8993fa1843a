// The libcurl wrapper (easy_curl, fetch_url) against a real HTTP
// server on loopback, and the fault rows of that server itself.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <boost/asio.hpp>
#include <boost/bind/bind.hpp>
#include <chrono>
#include <cstdio>
#include <memory>
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

// Every byte value, several times over.
std::string BinaryBody(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
  return body;
}

Route BodyRoute(std::string body) {
  Route route;
  route.body = std::move(body);
  return route;
}

size_t AppendToString(const char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

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
  return std::string(method) + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

struct Parsed {
  std::string head;
  std::string body;
};

Parsed Split(const std::string& bytes) {
  const std::size_t at = bytes.find("\r\n\r\n");
  if (at == std::string::npos) return {bytes, std::string()};
  return {bytes.substr(0, at + 2), bytes.substr(at + 4)};
}

bool HasHeader(const std::string& head, const std::string& line) {
  return head.find("\r\n" + line + "\r\n") != std::string::npos;
}

// Decodes a complete chunked body; sets *ok false on bad framing.
std::string Dechunk(const std::string& framed, bool* ok) {
  std::string body;
  std::size_t pos = 0;
  *ok = false;
  for (;;) {
    const std::size_t eol = framed.find("\r\n", pos);
    if (eol == std::string::npos) return body;
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
// The server's own rows.

TEST(TestHttpServerTest, ServesBodyWithContentLength) {
  TestHttpServer server;
  const std::string body("a\0b\0\0c", 6);
  server.SetRoute("/f", BodyRoute(body));
  const RawResult raw = RawExchange(server.Port(), Get("/f?x=1"));
  const Parsed parsed = Split(raw.bytes);
  EXPECT_EQ(parsed.head.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << parsed.head;
  EXPECT_TRUE(HasHeader(parsed.head, "Content-Length: 6")) << parsed.head;
  EXPECT_EQ(parsed.body, body);
  EXPECT_EQ(raw.ended, boost::asio::error::eof);
  EXPECT_EQ(server.RequestCount("/f"), 1);
  EXPECT_EQ(server.Url("/f"), "http://127.0.0.1:" + std::to_string(server.Port()) + "/f");
  EXPECT_NE(server.Port(), 0);
}

TEST(TestHttpServerTest, UnknownPathIs404WithShortBody) {
  TestHttpServer server;
  const Parsed parsed = Split(RawExchange(server.Port(), Get("/missing")).bytes);
  EXPECT_EQ(parsed.head.rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u) << parsed.head;
  EXPECT_EQ(parsed.body, "404 Not Found\n");
  EXPECT_EQ(server.RequestCount("/missing"), 1);
}

TEST(TestHttpServerTest, EmptyBodyIs200WithContentLengthZero) {
  TestHttpServer server;
  server.SetRoute("/empty", Route());
  const Parsed parsed = Split(RawExchange(server.Port(), Get("/empty")).bytes);
  EXPECT_EQ(parsed.head.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << parsed.head;
  EXPECT_TRUE(HasHeader(parsed.head, "Content-Length: 0")) << parsed.head;
  EXPECT_EQ(parsed.body, "");
}

TEST(TestHttpServerTest, StatusIsSentAsGiven) {
  TestHttpServer server;
  Route route = BodyRoute("oops");
  route.status = 503;
  server.SetRoute("/busy", route);
  const Parsed parsed = Split(RawExchange(server.Port(), Get("/busy")).bytes);
  EXPECT_EQ(parsed.head.rfind("HTTP/1.1 503 ", 0), 0u) << parsed.head;
  EXPECT_EQ(parsed.body, "oops");
}

TEST(TestHttpServerTest, HeadSendsHeadersOnlyAndIsNotCountedAsGet) {
  TestHttpServer server;
  server.SetRoute("/f", BodyRoute("12345"));
  const Parsed parsed = Split(RawExchange(server.Port(), Get("/f", "HEAD")).bytes);
  EXPECT_TRUE(HasHeader(parsed.head, "Content-Length: 5")) << parsed.head;
  EXPECT_EQ(parsed.body, "");
  EXPECT_EQ(server.RequestCount("/f"), 0);
}

TEST(TestHttpServerTest, CutAfterSendsFullLengthThenResets) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(100000));
  route.cutAfter = 1000;
  server.SetRoute("/cut", route);
  const RawResult raw = RawExchange(server.Port(), Get("/cut"));
  const Parsed parsed = Split(raw.bytes);
  EXPECT_TRUE(HasHeader(parsed.head, "Content-Length: 100000")) << parsed.head;
  EXPECT_EQ(parsed.body, route.body.substr(0, 1000));
  EXPECT_EQ(raw.ended, boost::asio::error::connection_reset) << raw.ended.message();
}

TEST(TestHttpServerTest, CutAfterZeroSendsHeadersOnly) {
  TestHttpServer server;
  Route route = BodyRoute("abcdef");
  route.cutAfter = 0;
  server.SetRoute("/cut", route);
  const RawResult raw = RawExchange(server.Port(), Get("/cut"));
  const Parsed parsed = Split(raw.bytes);
  EXPECT_TRUE(HasHeader(parsed.head, "Content-Length: 6")) << parsed.head;
  EXPECT_EQ(parsed.body, "");
  EXPECT_EQ(raw.ended, boost::asio::error::connection_reset) << raw.ended.message();
}

TEST(TestHttpServerTest, StallPausesThenContinues) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(5000));
  route.stallAfter = 100;
  route.stallMs = 300;
  server.SetRoute("/stall", route);
  const RawResult raw = RawExchange(server.Port(), Get("/stall"));
  EXPECT_EQ(Split(raw.bytes).body, route.body);
  EXPECT_GE(raw.seconds, 0.29);
  EXPECT_LT(raw.seconds, 2.0);
}

TEST(TestHttpServerTest, RateLimitSlowsTheBody) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(20000));
  route.bytesPerSecond = 40000;  // 0.5 s for the whole body
  server.SetRoute("/slow", route);
  const RawResult raw = RawExchange(server.Port(), Get("/slow"));
  EXPECT_EQ(Split(raw.bytes).body, route.body);
  EXPECT_GE(raw.seconds, 0.4);
  EXPECT_LT(raw.seconds, 2.0);
}

TEST(TestHttpServerTest, ChunkedFramingIsValid) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(200000));
  route.chunked = true;
  server.SetRoute("/chunked", route);
  const Parsed parsed = Split(RawExchange(server.Port(), Get("/chunked")).bytes);
  EXPECT_TRUE(HasHeader(parsed.head, "Transfer-Encoding: chunked")) << parsed.head;
  EXPECT_EQ(parsed.head.find("Content-Length"), std::string::npos) << parsed.head;
  bool ok = false;
  EXPECT_EQ(Dechunk(parsed.body, &ok), route.body);
  EXPECT_TRUE(ok);
}

TEST(TestHttpServerTest, RedirectAnswers302WithLocation) {
  TestHttpServer server;
  Route route = BodyRoute("moved");
  route.redirectTo = "/target";
  server.SetRoute("/old", route);
  const Parsed parsed = Split(RawExchange(server.Port(), Get("/old")).bytes);
  EXPECT_EQ(parsed.head.rfind("HTTP/1.1 302 Found\r\n", 0), 0u) << parsed.head;
  EXPECT_TRUE(HasHeader(parsed.head, "Location: /target")) << parsed.head;
  EXPECT_EQ(parsed.body, "moved");
}

TEST(TestHttpServerTest, KeepAliveServesPipelinedRequestsOnOneConnection) {
  TestHttpServer server;
  server.SetRoute("/a", BodyRoute("first"));
  server.SetRoute("/b", BodyRoute("second"));
  const RawResult raw = RawExchange(
      server.Port(), "GET /a HTTP/1.1\r\nHost: x\r\n\r\n" + Get("/b"));
  EXPECT_NE(raw.bytes.find("\r\n\r\nfirstHTTP/1.1 200 OK\r\n"), std::string::npos) << raw.bytes;
  EXPECT_EQ(Split(raw.bytes.substr(raw.bytes.find("firstHTTP") + 5)).body, "second");
  EXPECT_EQ(server.ConnectionCount(), 1);
  EXPECT_EQ(server.RequestCount("/a"), 1);
  EXPECT_EQ(server.RequestCount("/b"), 1);
}

TEST(TestHttpServerTest, SetRouteWhileServingAppliesToLaterRequests) {
  TestHttpServer server;
  server.SetRoute("/f", BodyRoute("old"));
  EXPECT_EQ(Split(RawExchange(server.Port(), Get("/f")).bytes).body, "old");
  server.SetRoute("/f", BodyRoute("new"));
  EXPECT_EQ(Split(RawExchange(server.Port(), Get("/f")).bytes).body, "new");
  EXPECT_EQ(server.RequestCount("/f"), 2);
}

TEST(TestHttpServerTest, ServesOtherConnectionsDuringAStall) {
  TestHttpServer server;
  Route stalled = BodyRoute(BinaryBody(1000));
  stalled.stallAfter = 10;
  stalled.stallMs = 400;
  server.SetRoute("/stall", stalled);
  server.SetRoute("/quick", BodyRoute("quick"));
  RawResult slow;
  std::thread client([&] { slow = RawExchange(server.Port(), Get("/stall")); });
  while (server.RequestCount("/stall") == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const RawResult quick = RawExchange(server.Port(), Get("/quick"));
  client.join();
  EXPECT_EQ(Split(quick.bytes).body, "quick");
  EXPECT_LT(quick.seconds, 0.5);
  EXPECT_EQ(Split(slow.bytes).body, stalled.body);
}

void ExpectPromptDestruction(const Route& route) {
  auto server = std::make_unique<TestHttpServer>();
  server->SetRoute("/long", route);
  const std::uint16_t port = server->Port();
  RawResult raw;
  std::thread client([&] { raw = RawExchange(port, Get("/long")); });
  while (server->RequestCount("/long") == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = Clock::now();
  server.reset();
  EXPECT_LT(SecondsSince(start), 0.5);
  client.join();
  EXPECT_LT(Split(raw.bytes).body.size(), route.body.size());
}

TEST(TestHttpServerTest, DestructorEndsAStallPromptly) {
  Route route = BodyRoute(BinaryBody(1000));
  route.stallAfter = 10;
  route.stallMs = 30000;
  ExpectPromptDestruction(route);
}

TEST(TestHttpServerTest, DestructorEndsARateLimitedBodyPromptly) {
  Route route = BodyRoute(BinaryBody(1000000));
  route.bytesPerSecond = 1000;
  ExpectPromptDestruction(route);
}

TEST(TestHttpServerTest, DestructorWithIdleKeepAliveConnectionIsPrompt) {
  auto server = std::make_unique<TestHttpServer>();
  server->SetRoute("/f", BodyRoute("x"));
  easy_curl curl;  // keeps its connection open after the transfer
  std::string got;
  curl.url = server->Url("/f");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  ASSERT_EQ(curl.perform(), CURLE_OK);
  const auto start = Clock::now();
  server.reset();
  EXPECT_LT(SecondsSince(start), 0.5);
  EXPECT_EQ(got, "x");
}

// ===========================================================================
// easy_curl

TEST(EasyCurlTest, NoCallbackUsesLibcurlDefaultSinkOnWriteData) {
  TestHttpServer server;
  const std::string body = BinaryBody(50000);
  server.SetRoute("/f", BodyRoute(body));
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  easy_curl curl;
  curl.url = server.Url("/f");
  // No write_function: libcurl's own fwrite sink receives the body.
  curl_easy_setopt(curl.handle(), CURLOPT_WRITEDATA, file);
  EXPECT_EQ(curl.perform(), CURLE_OK);
  std::fflush(file);
  std::rewind(file);
  std::string got;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) got.append(buffer, n);
  std::fclose(file);
  EXPECT_EQ(got, body);
}

TEST(EasyCurlTest, NoCallbackWritesBodyToStdout) {
  TestHttpServer server;
  server.SetRoute("/f", BodyRoute("body-on-stdout"));
  easy_curl curl;
  curl.url = server.Url("/f");
  ::testing::internal::CaptureStdout();
  const int result = curl.perform();
  std::fflush(stdout);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, CURLE_OK);
  EXPECT_EQ(out, "body-on-stdout");
}

TEST(EasyCurlTest, EmptyUrlGivesLibcurlsUrlError) {
  easy_curl curl;
  EXPECT_TRUE(curl.url.empty());
  EXPECT_EQ(curl.perform(), CURLE_URL_MALFORMAT);
}

TEST(EasyCurlTest, FreshObjectHasEmptyCallbacksAndNullPointers) {
  easy_curl curl;
  EXPECT_NE(curl.handle(), nullptr);
  EXPECT_TRUE(curl.write_function.empty());
  EXPECT_TRUE(curl.read_function.empty());
  EXPECT_TRUE(curl.progress_function.empty());
  EXPECT_EQ(curl.write_data, nullptr);
  EXPECT_EQ(curl.read_data, nullptr);
  EXPECT_EQ(curl.progress_data, nullptr);
}

TEST(EasyCurlTest, ConnectionRefusedGivesCouldntConnect) {
  std::string url;
  {
    TestHttpServer gone;
    url = gone.Url("/f");
  }
  easy_curl curl;
  curl.url = url;
  EXPECT_EQ(curl.perform(), CURLE_COULDNT_CONNECT);
}

TEST(EasyCurlTest, ShortWriteGivesWriteError) {
  TestHttpServer server;
  server.SetRoute("/f", BodyRoute(BinaryBody(10000)));
  easy_curl curl;
  curl.url = server.Url("/f");
  int calls = 0;
  curl.write_function = [&calls](const char*, size_t size, size_t count, void*) -> size_t {
    ++calls;
    return size * count - 1;
  };
  EXPECT_EQ(curl.perform(), CURLE_WRITE_ERROR);
  EXPECT_EQ(calls, 1);
}

TEST(EasyCurlTest, NonZeroProgressGivesAbortedByCallback) {
  TestHttpServer server;
  server.SetRoute("/f", BodyRoute(BinaryBody(10000)));
  easy_curl curl;
  curl.url = server.Url("/f");
  int writes = 0;
  curl.write_function = [&writes](const char*, size_t size, size_t count, void*) -> size_t {
    ++writes;
    return size * count;
  };
  curl.progress_function = [](double, double, double, double, void*) { return 1; };
  EXPECT_EQ(curl.perform(), CURLE_ABORTED_BY_CALLBACK);
  EXPECT_EQ(writes, 0);
}

TEST(EasyCurlTest, UserPointersReachTheCallbacks) {
  TestHttpServer server;
  const std::string body = BinaryBody(100000);
  server.SetRoute("/f", BodyRoute(body));
  easy_curl curl;
  curl.url = server.Url("/f");
  std::string sink;
  int progressMarker = 0;
  int wrongWrite = 0, wrongProgress = 0, progressCalls = 0;
  curl.write_data = &sink;
  curl.progress_data = &progressMarker;
  curl.write_function = [&](const char* data, size_t size, size_t count, void* user) -> size_t {
    if (user != &sink) ++wrongWrite;
    return AppendToString(data, size, count, user);
  };
  curl.progress_function = [&](double, double, double, double, void* user) {
    ++progressCalls;
    if (user != &progressMarker) ++wrongProgress;
    return 0;
  };
  EXPECT_EQ(curl.perform(), CURLE_OK);
  EXPECT_EQ(sink, body);
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
  server.SetRoute("/f", BodyRoute(body));
  BoundReceiver receiver;
  easy_curl curl;
  curl.url = server.Url("/f");
  curl.write_function = boost::bind(&BoundReceiver::Write, &receiver, ph::_1, ph::_2, ph::_3, ph::_4);
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
  server.SetRoute("/f", BodyRoute(BinaryBody(100000)));
  std::thread::id performer, wrongThread;
  int foreign = 0;
  std::thread worker([&] {
    performer = std::this_thread::get_id();
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
  server.SetRoute("/f", BodyRoute("again"));
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/f");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  EXPECT_EQ(curl.perform(), CURLE_OK);
  EXPECT_EQ(curl.perform(), CURLE_OK);
  EXPECT_EQ(got, "againagain");
  EXPECT_EQ(server.RequestCount("/f"), 2);
  EXPECT_EQ(server.ConnectionCount(), 1);
}

TEST(EasyCurlTest, EmptiedWriteCallbackStaysRegisteredAndFails) {
  // Options are only ever set: after write_function is emptied the thunk is
  // still registered and answers 0, which libcurl treats as a write error.
  TestHttpServer server;
  server.SetRoute("/f", BodyRoute("some body"));
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/f");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  EXPECT_EQ(curl.perform(), CURLE_OK);
  curl.write_function.clear();
  EXPECT_EQ(curl.perform(), CURLE_WRITE_ERROR);
  EXPECT_EQ(got, "some body");
}

TEST(EasyCurlTest, NotFoundIsSuccessWithoutFailOnError) {
  TestHttpServer server;
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/missing");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  EXPECT_EQ(curl.perform(), CURLE_OK);
  long code = 0;
  curl_easy_getinfo(curl.handle(), CURLINFO_RESPONSE_CODE, &code);
  EXPECT_EQ(code, 404);
  EXPECT_EQ(got, "404 Not Found\n");
}

TEST(EasyCurlTest, NotFoundWithFailOnErrorThroughHandleGives22) {
  TestHttpServer server;
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/missing");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  curl_easy_setopt(curl.handle(), CURLOPT_FAILONERROR, 1L);
  EXPECT_EQ(curl.perform(), CURLE_HTTP_RETURNED_ERROR);
  EXPECT_EQ(got, "");
}

TEST(EasyCurlTest, CutBodyFails) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(200000));
  route.cutAfter = 50000;
  server.SetRoute("/cut", route);
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/cut");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  const int result = curl.perform();
  EXPECT_TRUE(result == CURLE_PARTIAL_FILE || result == CURLE_RECV_ERROR) << result;
  EXPECT_LE(got.size(), 50000u);
  EXPECT_EQ(got, route.body.substr(0, got.size()));
}

TEST(EasyCurlTest, RateLimitedBodyArrivesWhole) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(64 * 1024));
  route.bytesPerSecond = 256 * 1024;  // a quarter of a second
  server.SetRoute("/slow", route);
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/slow");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  const auto start = Clock::now();
  EXPECT_EQ(curl.perform(), CURLE_OK);
  EXPECT_GE(SecondsSince(start), 0.2);
  EXPECT_EQ(got, route.body);
}

TEST(EasyCurlTest, StallAfterWhichTransferCompletes) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(100000));
  route.stallAfter = 30000;
  route.stallMs = 300;
  server.SetRoute("/stall", route);
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/stall");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  const auto start = Clock::now();
  EXPECT_EQ(curl.perform(), CURLE_OK);
  EXPECT_GE(SecondsSince(start), 0.29);
  EXPECT_EQ(got, route.body);
}

TEST(EasyCurlTest, StalledServerStillGetsProgressCalls) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(100000));
  route.stallAfter = 1000;
  route.stallMs = 20000;  // far longer than the test; ended by the destructor
  server.SetRoute("/stall", route);
  easy_curl curl;
  std::string got;
  curl.url = server.Url("/stall");
  curl.write_function = &AppendToString;
  curl.write_data = &got;
  bool stallSeen = false;
  Clock::time_point stallStart;
  int callsDuringStall = 0;
  // Give up once progress calls have kept coming for half a second with no
  // new bytes: they can only come from libcurl's idle ticks.
  curl.progress_function = [&](double, double now, double, double, void*) {
    if (now < static_cast<double>(route.stallAfter)) return 0;
    if (!stallSeen) {
      stallSeen = true;
      stallStart = Clock::now();
      return 0;
    }
    ++callsDuringStall;
    return SecondsSince(stallStart) >= 0.5 ? -1 : 0;
  };
  const auto start = Clock::now();
  EXPECT_EQ(curl.perform(), CURLE_ABORTED_BY_CALLBACK);
  EXPECT_LT(SecondsSince(start), 5.0);
  EXPECT_TRUE(stallSeen);
  EXPECT_GE(callsDuringStall, 1);
  EXPECT_EQ(got, route.body.substr(0, route.stallAfter));
}

// ===========================================================================
// fetch_url

TEST(FetchUrlTest, BodyWithNulBytesComesBackWhole) {
  TestHttpServer server;
  const std::string body("head\0\0middle\0tail\0", 18);
  server.SetRoute("/manifest.txt", BodyRoute(body));
  fetch_url fetcher(server.Url("/manifest.txt").c_str());
  const std::string got = fetcher.fetch();
  EXPECT_EQ(got.size(), 18u);
  EXPECT_EQ(got, body);
}

TEST(FetchUrlTest, LargeBinaryBodyComesBackWhole) {
  TestHttpServer server;
  const std::string body = BinaryBody(1 << 20);
  server.SetRoute("/big", BodyRoute(body));
  fetch_url fetcher(server.Url("/big").c_str());
  EXPECT_EQ(fetcher.fetch(), body);
  EXPECT_EQ(fetcher.data, body);
}

TEST(FetchUrlTest, EmptyBodyGivesEmptyString) {
  TestHttpServer server;
  server.SetRoute("/empty", Route());
  fetch_url fetcher(server.Url("/empty").c_str());
  EXPECT_EQ(fetcher.fetch(), "");
  EXPECT_EQ(server.RequestCount("/empty"), 1);
}

TEST(FetchUrlTest, FailedFetchGivesEmptyString) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(10000));
  route.cutAfter = 100;
  server.SetRoute("/cut", route);
  fetch_url cut(server.Url("/cut").c_str());
  EXPECT_EQ(cut.fetch(), "");

  std::string url;
  {
    TestHttpServer gone;
    url = gone.Url("/f");
  }
  fetch_url refused(url.c_str());
  EXPECT_EQ(refused.fetch(), "");
}

TEST(FetchUrlTest, NotFoundReturnsTheErrorPage) {
  // No CURLOPT_FAILONERROR: an HTTP error status is a successful transfer.
  TestHttpServer server;
  fetch_url fetcher(server.Url("/missing").c_str());
  EXPECT_EQ(fetcher.fetch(), "404 Not Found\n");
}

TEST(FetchUrlTest, FetchingTwiceDoesNotAccumulate) {
  TestHttpServer server;
  server.SetRoute("/f", BodyRoute("first body"));
  fetch_url fetcher(server.Url("/f").c_str());
  EXPECT_EQ(fetcher.fetch(), "first body");
  EXPECT_EQ(fetcher.fetch(), "first body");
  server.SetRoute("/f", BodyRoute("2nd"));
  EXPECT_EQ(fetcher.fetch(), "2nd");
  EXPECT_EQ(fetcher.data, "2nd");
  EXPECT_EQ(server.RequestCount("/f"), 3);
}

TEST(FetchUrlTest, RedirectIsNotFollowed) {
  TestHttpServer server;
  Route redirect = BodyRoute("<a href=\"/target\">moved</a>");
  redirect.redirectTo = "/target";
  server.SetRoute("/old", redirect);
  server.SetRoute("/target", BodyRoute("target body"));
  fetch_url fetcher(server.Url("/old").c_str());
  EXPECT_EQ(fetcher.fetch(), redirect.body);
  long code = 0;
  curl_easy_getinfo(fetcher.curl.handle(), CURLINFO_RESPONSE_CODE, &code);
  EXPECT_EQ(code, 302);
  EXPECT_EQ(server.RequestCount("/old"), 1);
  EXPECT_EQ(server.RequestCount("/target"), 0);
}

TEST(FetchUrlTest, ChunkedBodyArrivesWhole) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(300000));
  route.chunked = true;
  server.SetRoute("/chunked", route);
  fetch_url fetcher(server.Url("/chunked").c_str());
  EXPECT_EQ(fetcher.fetch(), route.body);
}

TEST(FetchUrlTest, CutChunkedBodyFails) {
  TestHttpServer server;
  Route route = BodyRoute(BinaryBody(300000));
  route.chunked = true;
  route.cutAfter = 1000;
  server.SetRoute("/chunked", route);
  fetch_url fetcher(server.Url("/chunked").c_str());
  EXPECT_EQ(fetcher.fetch(), "");
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
