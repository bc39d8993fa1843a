// The program among real neighbours: a window manager, an HTTP proxy, and a
// Windows installer run through wine.

#include <unistd.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <fstream>
#include <iterator>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/local_proxy.h"

namespace e2e {
namespace {

using Neighbours = E2eTest;

TEST_F(Neighbours, UnderARealWindowManagerTheSkinMovesMinimisesAndIgnoresCloseRequests) {
  if (!OnPath("openbox") || !OnPath("xprop") || !OnPath("wmctrl")) {
    GTEST_SKIP() << "needs openbox, xprop (x11-utils) and wmctrl";
  }
  ChildProcess::Options options;
  options.arguments = {"openbox"};
  options.environment = EnvironmentWith({{"DISPLAY", Display().Name()}, {"HOME", Home()}});
  options.output = m_root.PathOf("openbox.log");
  ChildProcess manager(options);
  // A loaded machine has been seen to take over 15 s to bring openbox up.
  ASSERT_TRUE(
      PollUntil(45,
                [&] {
                  return !manager.Running() ||
                         Display().Property("root", "_NET_SUPPORTING_WM_CHECK").find("window id") !=
                             std::string::npos;
                }) &&
      manager.Running())
      << "openbox did not start: " << test_support::ReadFile(m_root.PathOf("openbox.log"));
  struct StopManager {
    ChildProcess& manager;
    ~StopManager() { manager.Kill(); }
  } stop{manager};

  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 51), StandInInstaller()};
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton());
  const WindowPlace before = m_place;

  // A drag on the face, left of the page, moves the window by the drag.
  Display().MovePointer(before.x + 30, before.y + 300);
  SleepMs(150);
  Display().PressButton();
  for (int step = 1; step <= 10; ++step) {
    Display().MovePointer(before.x + 30 + 6 * step, before.y + 300 + 4 * step);
    SleepMs(40);
  }
  Display().ReleaseButton();
  SleepMs(500);
  const std::optional<WindowPlace> moved = Display().PlaceOf(m_window);
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->x - before.x, 60);
  EXPECT_EQ(moved->y - before.y, 40);
  m_place = *moved;

  // Alt+F4 and the window manager's own close ask; only the skin's button may close.
  Display().Focus(m_window);
  Display().Key("alt+F4");
  RunTool({"wmctrl", "-i", "-c", m_window}, Display().Environment());
  SleepMs(1500);
  EXPECT_TRUE(ProgramRunning());
  EXPECT_TRUE(StartButtonShown()) << "the window is gone or changed";
  EXPECT_TRUE(Boxes().empty());

  ClickMinimize();
  EXPECT_TRUE(PollUntil(5, [&] {
    return Display().Property(m_window, "WM_STATE").find("Iconic") != std::string::npos;
  })) << Display().Property(m_window, "WM_STATE");
  EXPECT_TRUE(ProgramRunning());
}

TEST_F(Neighbours, ThroughAnHttpProxyEveryPieceGoesThroughIt) {
  if (!OnPath("tinyproxy")) GTEST_SKIP() << "needs tinyproxy";
  LocalProxy proxy(kPackagePort + 2, m_root.PathOf(""));
  ASSERT_EQ(proxy.Failure(), "");

  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 300 * 1024, 61),
                                     DataPiece("Veltra.part2", 5000, 62), StandInInstaller()};
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton({{"http_proxy", "http://" + proxy.Address()}}));
  EXPECT_TRUE(AllPiecesIntact(pieces));
  int viaProxy = 0;
  for (const test_support::RecordedRequest& request : m_package->Requests()) {
    EXPECT_NE(request.Header("Via").find("tinyproxy"), std::string::npos) << request.target;
    viaProxy += request.path != kManifestPath ? 1 : 0;
  }
  EXPECT_EQ(viaProxy, 3);
  const std::string logged = proxy.Log();
  for (const Piece& piece : pieces) {
    EXPECT_NE(logged.find(m_package->Url(kPiecesPath) + "/" + piece.name), std::string::npos)
        << piece.name << " is not in the proxy's log";
  }
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

TEST_F(Neighbours, ARealWindowsInstallerStartsThroughWine) {
#ifndef VELTRA_WINDOWS_INSTALLER
  GTEST_SKIP() << "x86_64-w64-mingw32-gcc was not found when the build was configured";
#else
  if (!OnPath("wine")) GTEST_SKIP() << "needs wine";
  const std::string program = ReadFile(VELTRA_WINDOWS_INSTALLER);
  ASSERT_EQ(program.substr(0, 2), "MZ");
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 71),
                                     Piece{kInstallerName, program}};
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton());
  ClickStart();
  EXPECT_EQ(WaitForExit(10), 0);
  // A fresh wine prefix is made first, in the scratch home.
  const std::string marker = Work() + "windows-installer-ran.txt";
  const bool ran = PollUntil(
      120, [&] { return FileExists(marker); }, 250);
  std::string folder = Work().substr(0, Work().size() - 1);
  std::replace(folder.begin(), folder.end(), '/', '\\');
  const std::string record = ReadFile(marker);
  RunTool({"wineserver", "-k"}, EnvironmentWith({{"HOME", Home()}, {"WINEPREFIX", ""}}), 30);
  ASSERT_TRUE(ran) << "the Windows installer did not run";
  EXPECT_NE(record.find("under wine: yes\n"), std::string::npos) << record;
  EXPECT_NE(record.find("folder: Z:" + folder + "\n"), std::string::npos) << record;
#endif
}

}  // namespace
}  // namespace e2e
