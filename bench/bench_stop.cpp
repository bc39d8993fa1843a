// How long a close takes to stop the worker: once while a piece streams from
// FLOWING_MANIFEST_URL, once while a server of its own has gone silent after
// the first bytes of a piece. Prints both delays, from the stop event being
// set to the worker thread having returned.
//   bench_stop FLOWING_MANIFEST_URL FOLDER/

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "engine/download_globals.h"
#include "tests/support/recorded_engine.h"

namespace {

using Clock = std::chrono::steady_clock;

// Answers the manifest, then sends a piece's headers and 1000 of its bytes
// and falls silent until it is told to go.
class SilentServer {
 public:
  SilentServer() {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(m_listener, 4);
    socklen_t length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~SilentServer() {
    m_done = true;
    shutdown(m_listener, SHUT_RDWR);
    close(m_listener);
    m_thread.join();
  }
  std::string ManifestUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/vlt_package.txt";
  }

 private:
  void Serve() {
    for (int request = 0; request < 2 && !m_done; ++request) {
      const int client = accept(m_listener, nullptr, nullptr);
      if (client < 0) return;
      char buffer[4096];
      (void)!read(client, buffer, sizeof buffer);
      if (request == 0) {
        const std::string body = "http://127.0.0.1:" + std::to_string(m_port) + "/ 1 piece.bin;1\n";
        Send(client, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                         "\r\nConnection: close\r\n\r\n" + body);
        close(client);
      } else {
        Send(client,
             "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n" + std::string(1000, 'x'));
        while (!m_done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        close(client);
      }
    }
  }
  static void Send(int client, const std::string& bytes) {
    (void)!write(client, bytes.data(), bytes.size());
  }

  int m_listener = -1;
  std::uint16_t m_port = 0;
  std::atomic<bool> m_done{false};
  std::thread m_thread;
};

// Milliseconds from the stop signal to the end of the worker, or -1 when the
// piece never started.
double StopDelay(const std::string& manifestUrl, std::chrono::milliseconds settle) {
  g_szManifestUrl = manifestUrl.c_str();
  test_support::RecordedEngine run;
  boost::thread worker([&run] { run.engine.DownloadThread(); });
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (!run.PieceUnderWay() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const bool started = run.PieceUnderWay();
  std::this_thread::sleep_for(settle);
  const auto signalled = Clock::now();
  SetEvent(run.engine.m_hStopEvent);
  worker.join();
  const double delay = std::chrono::duration<double, std::milli>(Clock::now() - signalled).count();
  return started ? delay : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: bench_stop FLOWING_MANIFEST_URL FOLDER/\n";
    return 2;
  }
  curl_global_init(CURL_GLOBAL_ALL);
  g_strTempDir = argv[2];
  const double flowing = StopDelay(argv[1], std::chrono::milliseconds(100));
  SilentServer silent;
  const double stalled = StopDelay(silent.ManifestUrl(), std::chrono::milliseconds(1500));
  std::printf("stop while data flows: %.2f ms; stop while the server is silent: %.0f ms\n", flowing,
              stalled);
  curl_global_cleanup();
  return flowing < 0 || stalled < 0 ? 1 : 0;
}
