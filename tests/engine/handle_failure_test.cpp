// libcurl's allocator is replaced for this whole program, so a test can make
// curl_easy_init fail for real at a chosen moment.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/download_engine.h"
#include "engine/download_globals.h"
#include "engine/download_messages.h"
#include "platform/win32/kernel_event.h"
#include "tests/support/posted_message_printer.h"
#include "tests/support/recorded_engine.h"
#include "tests/support/recording_window.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_http_server.h"
#include "utility/easy_curl.h"

namespace {

std::atomic<bool> g_refuseHandles{false};
// A handle is the first block curl_easy_init asks for, with calloc; its size
// is learnt from a handle made for the purpose. A transfer makes more handles
// than its own (the connection cache keeps one for closing connections), so
// how many blocks of that size one whole transfer takes is learnt as well.
std::atomic<bool> g_learnHandleSize{false};
std::atomic<std::size_t> g_handleSize{0};
std::atomic<int> g_handlesMade{0};
std::atomic<int> g_handlesLeft{-1};  // refuse once this many more were made; -1 never

void* RefusingCalloc(size_t count, size_t size) {
  if (g_learnHandleSize.exchange(false)) g_handleSize = count * size;
  if (g_refuseHandles.load()) return nullptr;
  if (count * size == g_handleSize.load()) {
    ++g_handlesMade;
    if (g_handlesLeft.load() >= 0 && g_handlesLeft.fetch_sub(1) == 0) return nullptr;
  }
  return std::calloc(count, size);
}
char* DuplicateString(const char* text) { return strdup(text); }

class CurlWithRefusableHandles : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(curl_global_init_mem(CURL_GLOBAL_DEFAULT, &std::malloc, &std::free, &std::realloc,
                                   &DuplicateString, &RefusingCalloc),
              CURLE_OK);
    g_learnHandleSize = true;
    CURL* probe = curl_easy_init();
    ASSERT_NE(g_handleSize.load(), 0u);
    g_handlesMade = 1;
    curl_easy_setopt(probe, CURLOPT_URL, "http://127.0.0.1:9/");
    curl_easy_perform(probe);
    curl_easy_cleanup(probe);
    s_handlesPerTransfer = g_handlesMade.load();
  }

  static int s_handlesPerTransfer;
  void TearDown() override { curl_global_cleanup(); }
};
int CurlWithRefusableHandles::s_handlesPerTransfer = 0;
::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new CurlWithRefusableHandles);

class RefusedHandles : public ::testing::Test {
 protected:
  ~RefusedHandles() override {
    g_refuseHandles = false;
    g_handlesLeft = -1;
  }
};

TEST_F(RefusedHandles, WrapperThrowsByValueWithItsMessage) {
  g_refuseHandles = true;
  try {
    kelpa::utility::easy_curl transfer;
    FAIL() << "a handle was made";
  } catch (const std::exception& error) {
    EXPECT_STREQ(error.what(), "cURL handle initialization failed !");
  }
}

TEST_F(RefusedHandles, PieceTransferFailsAsAnInitialisationError) {
  test_support::TestHttpServer server;
  test_support::ScratchFolder folder;
  const std::string manifestUrl = server.Url("/vltsetup_palamut/vlt_package.txt");
  test_support::Route manifest;
  manifest.body = server.Url("/p/") + " 2 a.cab;1 b.cab;2";
  server.SetRoute("/vltsetup_palamut/vlt_package.txt", manifest);
  g_szManifestUrl = manifestUrl.c_str();
  g_strTempDir = folder.Folder();

  test_support::RecordedEngine run;
  // The manifest's transfer gets its handles; the first piece's is refused.
  g_handlesLeft = CurlWithRefusableHandles::s_handlesPerTransfer;
  run.engine.DownloadThread();

  EXPECT_EQ(run.window.Messages(),
            (std::vector<PostedMessage>{{WM_DOWNLOAD_RATE, 0, 0},
                                        {WM_DOWNLOAD_ERROR, (CURLE_FAILED_INIT << 16) | 3, 0},
                                        {WM_DOWNLOAD_PROGRESS, 10000, 10000},
                                        {WM_DOWNLOAD_FINISHED, 0, 0}}));
  EXPECT_EQ(server.RequestCount("/p/a.cab"), 0);
}

TEST_F(RefusedHandles, ManifestFetchWithoutAHandleIsRejectedData) {
  test_support::ScratchFolder folder;
  g_szManifestUrl = "http://127.0.0.1:9/vlt_package.txt";
  g_strTempDir = folder.Folder();
  test_support::RecordedEngine run;
  g_refuseHandles = true;
  run.engine.DownloadThread();
  EXPECT_EQ(run.window.Messages(), (std::vector<PostedMessage>{{WM_DOWNLOAD_ERROR, 2, 0}}));
}

}  // namespace
