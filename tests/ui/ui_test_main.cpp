// The window tests run on Qt's offscreen platform, in a private temporary
// folder, with one application object for the whole run.

#include <gtest/gtest.h>

#include <QApplication>
#include <boost/filesystem.hpp>
#include <cstdlib>

#include "platform/win32/app_module.h"
#include "ui/promo_address.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const boost::filesystem::path temp =
      boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("veltra-ui-%%%%%%");
  boost::filesystem::create_directories(temp);
  setenv("TMPDIR", temp.c_str(), 1);

  // The tests host no browser; nothing is ever loaded from here.
  g_szPromoUrl = "http://127.0.0.1:1/DownloaderPromo.aspx";
  QApplication application(argc, argv);
  g_Module.Init(nullptr, nullptr);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  g_Module.Term();
  boost::system::error_code ignored;
  boost::filesystem::remove_all(temp, ignored);
  return result;
}
