// How long a close takes to stop the worker: once while a piece streams from
// FLOWING_MANIFEST_URL, once while a server of its own has gone silent after
// the first bytes of a piece. Prints both delays in milliseconds, from the
// stop event being set to the worker thread having returned:
//   bench_stop FLOWING_MANIFEST_URL FOLDER/    ->    "FLOWING STALLED"

#include <curl/curl.h>

#include <boost/thread/thread.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "engine/download_globals.h"
#include "tests/support/recorded_engine.h"
#include "tests/support/test_http_server.h"
#include "utility/curl_memory.h"

namespace {

using Clock = std::chrono::steady_clock;

// A manifest of one piece whose server sends 1000 bytes and then nothing for
// a minute.
void ServeSilentPiece(test_support::TestHttpServer& server) {
  test_support::Route manifest;
  manifest.body = server.Url("/") + " 1 piece.bin;1\n";
  server.SetRoute("/vlt_package.txt", manifest);
  test_support::Route piece;
  piece.body = std::string(100000, 'x');
  piece.stallAfter = 1000;
  piece.stallMs = 60000;
  server.SetRoute("/piece.bin", piece);
}

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
  kelpa::utility::global_init_with_kept_blocks(CURL_GLOBAL_ALL);
  g_strTempDir = argv[2];
  const double flowing = StopDelay(argv[1], std::chrono::milliseconds(100));
  test_support::TestHttpServer silent;
  ServeSilentPiece(silent);
  const double stalled = StopDelay(silent.Url("/vlt_package.txt"), std::chrono::milliseconds(1500));
  std::printf("%.2f %.2f\n", flowing, stalled);
  curl_global_cleanup();
  return flowing < 0 || stalled < 0 ? 1 : 0;
}
