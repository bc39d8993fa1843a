#pragma once
// The harness of the end-to-end tests: the real veltra-setup program (the
// Linux binary, or the Windows one under wine: see program_under_test.h),
// built with its manifest address on 127.0.0.1:18480 and its promo page on
// 127.0.0.1:18481, run under Xvfb with a scratch TMPDIR, HOME and current
// folder of its own, against the test HTTP server on both ports, and driven
// with xdotool at the skin's coordinates.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/screen_image.h"
#include "tests/e2e/virtual_display.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_http_server.h"

namespace e2e {

// Ports of the addresses built into the program; 0 when it was built for
// other hosts than 127.0.0.1.
constexpr std::uint16_t kPackagePort = VELTRA_PACKAGE_PORT;
constexpr std::uint16_t kPromoPort = VELTRA_PROMO_PORT;
extern const char kManifestPath[];
extern const char kPiecesPath[];  // the pieces lie under it, "/" + name
extern const char kPromoPath[];
extern const char kInstallerName[];
extern const char kInstallerRecord[];  // what the stand-in writes in its folder

// Texts of the program's boxes, in UTF-8.
extern const char kFileWriteText[];
extern const char kPackageDataText[];
extern const char kLaunchFailedText[];
std::string ConnectionText(int curlCode);

struct Piece {
  std::string name;
  std::string body;
  std::string Crc() const;
};

std::string Crc32Text(const std::string& bytes);
// The requests for these pieces, as PieceRequests lists them.
std::vector<std::string> GetsOf(const std::vector<Piece>& pieces);
Piece DataPiece(const std::string& name, std::size_t size, unsigned seed);
// A shell script that records its arguments and current folder, then ends.
Piece StandInInstaller(const std::string& name = kInstallerName);
using test_support::ReadFile;
using test_support::WriteFile;
bool FileExists(const std::string& path);  // without following a last link
// Names in a folder, sorted; empty when it does not exist.
std::vector<std::string> FolderNames(const std::string& folder);

// Scenario helpers are public so that tables of cases can call them from
// their rows.
class E2eTest : public ::testing::Test {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static VirtualDisplay& Display() { return *s_display; }

  // --- the package --------------------------------------------------------
  // Serves the pieces and a manifest that lists them (count = their number
  // unless given).
  void Publish(const std::vector<Piece>& pieces, int count = -1);
  // Signs the pieces with a key of tests/data as a publisher would
  // (make_package --sign) and serves them with the manifest the tool
  // printed; returns what is served, the signed list first.
  std::vector<Piece> PublishSigned(const std::vector<Piece>& pieces,
                                   const std::string& key = "package_key");
  std::string ManifestFor(const std::vector<Piece>& pieces, int count = -1) const;
  void ServeManifest(const std::string& text);
  void ServeManifest(test_support::Route route);
  void ServePiece(const std::string& name, test_support::Route route);
  // The pieces' requests, "METHOD target" each (the manifest not included),
  // from the one numbered `from` on.
  std::vector<std::string> PieceRequests(std::size_t from = 0) const;
  int ManifestRequests() const;
  // From the program's last start to its first manifest request after it;
  // nothing when none came.
  std::optional<double> SecondsToManifestRequest() const;

  // --- the program --------------------------------------------------------
  // Starts the program and waits for its window.
  ::testing::AssertionResult Launch(const std::map<std::string, std::string>& environment = {});
  // Launches and waits until the download ends at the start button.
  ::testing::AssertionResult LaunchToStartButton(
      const std::map<std::string, std::string>& environment = {});
  // The window's id once it is on screen (and its place is known), or empty.
  std::string WaitForWindow(double seconds = 40);
  // True once the start button is drawn: the start strip of bitmap 208 (or
  // 210 while hovered) is on screen where the skin puts it.
  bool StartButtonShown();
  // Polls for the start button; false when the program ended or a box came.
  bool WaitForStartButton(double seconds);
  std::vector<std::string> Boxes() const;
  bool WaitForBox(double seconds);
  // Whether the box shows exactly this text: its picture equals that of a
  // box made the same way with the text.
  bool BoxSays(const std::string& box, const std::string& text);
  // A picture of a box made as the program makes them, with this text.
  std::optional<Image> ReferenceBox(const std::string& text);
  void PressEnterOn(const std::string& window);
  // A move onto the point, then a press and release there (window pixels).
  void ClickInWindow(int x, int y);
  void ClickClose();
  void ClickMinimize();
  void ClickStart();
  // Clicks start; the program ends with 0 and the installer runs.
  ::testing::AssertionResult StartInstaller();
  std::optional<int> WaitForExit(double seconds);
  bool ProgramRunning();
  // For failure messages: how the program ended, if it did, and its output.
  std::string ProgramStory();
  void KillProgram();

  // --- the player's machine -------------------------------------------------
  std::string Tmp() const { return m_root.PathOf("tmp/"); }
  std::string Home() const { return m_root.PathOf("home/"); }
  std::string Work() const { return m_root.PathOf("work/"); }
  std::string DownloadFolder() const;
  PlayerFolders Folders() const;
  // Every piece lies in the download folder with its own bytes.
  ::testing::AssertionResult AllPiecesIntact(const std::vector<Piece>& pieces) const;
  std::string InstallerRecordText() const { return ReadFile(Work() + kInstallerRecord); }
  bool WaitForInstallerRecord(double seconds);
  // A picture kept for a failing test, in the build's e2e-pictures folder.
  void KeepScreenshot(const std::string& label);
  // Where a picture of the current test with this label goes.
  static std::string PicturePath(const std::string& label, const std::string& extension);
  // Piece files' sizes, "name=size" each, sorted (links and FIFOs not followed).
  std::vector<std::string> DownloadFolderListing() const;

  ProgramBuild m_build = ProgramBuild::Plain;
  test_support::ScratchFolder m_root;
  std::unique_ptr<test_support::TestHttpServer> m_package;
  std::unique_ptr<test_support::TestHttpServer> m_promo;
  ChildProcess m_program;
  std::string m_window;
  WindowPlace m_place;

 private:
  void StartProgram(const std::map<std::string, std::string>& environment);

  double m_started = 0;  // Now() at the program's last start

  static std::unique_ptr<VirtualDisplay> s_display;
  static std::optional<Image> s_startStrip;
  static std::optional<Image> s_startStripHover;
};

// Waits for one box, checks its text, presses Enter and checks that the
// program then ends with 255.
::testing::AssertionResult BoxThenExit(E2eTest& test, const std::string& text);

}  // namespace e2e
