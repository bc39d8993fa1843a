// Runs the download worker once, as the window would, against MANIFEST_URL
// into FOLDER (which must end in "/"), and prints the seconds it took and the
// bytes it stored. With --key the worker is the one of a program built with
// the key in KEY.hex: the package must be signed with it.
//   bench_download [--key KEY.hex] MANIFEST_URL FOLDER

#include <curl/curl.h>

#include <boost/filesystem.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>

#include "bench/package_key_file.h"
#include "engine/download_globals.h"
#include "tests/support/recorded_engine.h"
#include "utility/curl_memory.h"

namespace {

std::uintmax_t BytesIn(const std::string& folder) {
  std::uintmax_t total = 0;
  for (const auto& entry : boost::filesystem::directory_iterator(folder)) {
    if (boost::filesystem::is_regular_file(entry.status()))
      total += boost::filesystem::file_size(entry);
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  const bool withKey = argc == 5 && std::string(argv[1]) == "--key";
  if (argc != 3 && !withKey) {
    std::cerr << "usage: bench_download [--key KEY.hex] MANIFEST_URL FOLDER/\n";
    return 2;
  }
  test_support::RecordedEngine run;
  if (withKey) {
    run.engine.m_packageKey = ReadPackageKey(argv[2]);
    if (!run.engine.m_packageKey) {
      std::cerr << argv[2] << " holds no package key\n";
      return 2;
    }
  }
  kelpa::utility::global_init_with_kept_blocks(CURL_GLOBAL_ALL);
  g_szManifestUrl = argv[argc - 2];
  g_strTempDir = argv[argc - 1];

  const auto start = std::chrono::steady_clock::now();
  run.engine.DownloadThread();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  bool finished = false;
  for (const PostedMessage& posted : run.window.Messages()) {
    if (posted.message == WM_DOWNLOAD_ERROR) {
      std::cerr << "download failed: error 0x" << std::hex << posted.wParam << "\n";
      return 1;
    }
    finished = finished || posted.message == WM_DOWNLOAD_FINISHED;
  }
  if (!finished) return 1;
  std::printf("%.4f %ju\n", seconds, BytesIn(g_strTempDir));
  curl_global_cleanup();
  return 0;
}
