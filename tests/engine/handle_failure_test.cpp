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

// curl_easy_init asks for its handle with calloc; refusing that is refusing
// the handle.
void* RefusingCalloc(size_t count, size_t size) {
  if (g_refuseHandles.load()) return nullptr;
  return std::calloc(count, size);
}
char* DuplicateString(const char* text) { return strdup(text); }

class CurlWithRefusableHandles : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(curl_global_init_mem(CURL_GLOBAL_DEFAULT, &std::malloc, &std::free, &std::realloc,
                                   &DuplicateString, &RefusingCalloc),
              CURLE_OK);
  }
  void TearDown() override { curl_global_cleanup(); }
};
::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new CurlWithRefusableHandles);

class RefusedHandles : public ::testing::Test {
 protected:
  ~RefusedHandles() override { g_refuseHandles = false; }
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
  // The placeholder rate comes after the manifest fetch and the piece check,
  // just before the first piece's handle is made.
  run.window.SetOnPost([](const PostedMessage& posted) {
    if (posted.message == WM_DOWNLOAD_RATE) g_refuseHandles = true;
  });
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
