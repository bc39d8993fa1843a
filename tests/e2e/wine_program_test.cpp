// The Windows program as a player under wine meets it: the same skin, the
// same download, a real Windows installer started from the start button, the
// error boxes in Turkish whatever wine's ANSI code page (1252 here), and the
// close button.

#include <chrono>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

using WindowsProgram = E2eTest;
using test_support::Route;

const char kInstallerMarker[] = "windows-installer-ran.txt";

// Areas the program draws over the face: the web browser's host, the start
// strip (or the bars) and the status line.
struct Area {
  int left, top, right, bottom;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
constexpr Area kCovered[] = {{53, 113, 570, 500}, {69, 505, 555, 561}, {165, 563, 458, 589}};
constexpr Rgb kKeyColour{255, 0, 255};

Piece WindowsInstaller() { return Piece{kInstallerName, ReadFile(VELTRA_WINDOWS_INSTALLER)}; }

// The stand-in's record: started in the program's folder, from the download
// folder, quoted, without arguments.
::testing::AssertionResult StartedHereWithoutArguments(const std::string& record,
                                                       const std::string& work) {
  std::string folder = work.substr(0, work.size() - 1);
  std::replace(folder.begin(), folder.end(), '/', '\\');
  if (record.find("folder: Z:" + folder + "\n") != std::string::npos &&
      record.find("\\Temp\\Kelpa\\" + std::string(kInstallerName) + "\"\n") != std::string::npos) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << record;
}

// Every pixel of the face outside the areas drawn over is the background
// bitmap's; where the bitmap has the key colour, the window is cut away and
// the screen behind it shows.
::testing::AssertionResult WindowIsTheSkin(const Image& screen, const WindowPlace& place,
                                           const Image& face) {
  const Rgb behind = screen.At(0, 0);
  int wrong = 0;
  std::string first;
  for (int y = 0; y < face.Height(); ++y) {
    for (int x = 0; x < face.Width(); ++x) {
      const Rgb expected = face.At(x, y) == kKeyColour ? behind : face.At(x, y);
      const bool covered = std::any_of(std::begin(kCovered), std::end(kCovered),
                                       [&](const Area& area) { return area.Contains(x, y); });
      if (covered || !screen.Contains(place.x + x, place.y + y)) continue;
      if (screen.At(place.x + x, place.y + y) != expected && wrong++ == 0) {
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
      }
    }
  }
  if (wrong == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << wrong << " pixels differ from the skin, first at " << first;
}

TEST_F(WindowsProgram, FreshDownloadStartsTheInstallerAndASecondRunAsksOnlyForTheManifest) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 300 * 1024, 51), WindowsInstaller(),
                                     DataPiece("Veltra.part2", 1, 52)};
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton());
  EXPECT_TRUE(AllPiecesIntact(pieces));
  EXPECT_EQ(PieceRequests(), GetsOf(pieces));
  EXPECT_FALSE(FileExists(Work() + kInstallerMarker)) << "started before the button";
  ClickStart();
  EXPECT_EQ(WaitForExit(10), 0);
  ASSERT_TRUE(PollUntil(
      30, [&] { return FileExists(Work() + kInstallerMarker); }, 100))
      << "the installer did not run";
  EXPECT_TRUE(StartedHereWithoutArguments(ReadFile(Work() + kInstallerMarker), Work()));

  ASSERT_TRUE(LaunchToStartButton());
  EXPECT_EQ(PieceRequests(pieces.size()), std::vector<std::string>{});
  EXPECT_EQ(ManifestRequests(), 2);
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

// An installer whose manifest asks for administrator rights (wine starts it
// as it is; Windows only through the shell, after the consent prompt).
TEST_F(WindowsProgram, InstallerThatAsksForAdministratorRightsStarts) {
  const Piece installer{kInstallerName, ReadFile(VELTRA_WINDOWS_ADMIN_INSTALLER)};
  Publish({DataPiece("Veltra.part1", 1024, 54), installer});
  ASSERT_TRUE(LaunchToStartButton());
  ClickStart();
  EXPECT_EQ(WaitForExit(10), 0);
  ASSERT_TRUE(PollUntil(
      30, [&] { return FileExists(Work() + kInstallerMarker); }, 100))
      << "the installer did not run";
  EXPECT_TRUE(StartedHereWithoutArguments(ReadFile(Work() + kInstallerMarker), Work()));
}

TEST_F(WindowsProgram, TheWindowIsTheSkinPixelForPixel) {
  Publish({DataPiece("Veltra.part1", 1024, 53), WindowsInstaller()});
  ASSERT_TRUE(LaunchToStartButton()) << "the start strip is checked pixel for pixel";
  Display().MovePointer(1000, 750);
  SleepMs(300);
  const std::optional<Image> face = ReadBmp(std::string(VELTRA_SKIN_DIR) + "/203.bmp");
  const std::optional<Image> screen = Display().Screenshot();
  ASSERT_TRUE(face && screen);
  EXPECT_TRUE(WindowIsTheSkin(*screen, m_place, *face));
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

TEST_F(WindowsProgram, MalformedManifestShowsTheCorruptDataBoxAndEndsWith255) {
  ServeManifest("http://127.0.0.1/ 1");
  ASSERT_TRUE(Launch());
  ASSERT_TRUE(WaitForBox(30)) << ProgramStory();
  const std::string box = Boxes().front();
  EXPECT_TRUE(BoxSays(box, kPackageDataText));
  PressEnterOn(box);
  EXPECT_EQ(WaitForExit(10), 255);
  EXPECT_EQ(FolderNames(DownloadFolder()), std::vector<std::string>{});
}

// "Bağlantı hatası": drawn from its Windows-1254 bytes in code page 1252,
// the letters would be "Baðlantý hatasý".
// "Veltra.part1." would be written over the verified "Veltra.part1".
TEST_F(WindowsProgram, PieceNameWindowsWouldStoreAsAnotherIsCorruptData) {
  Publish({DataPiece("Veltra.part1", 1024, 55), DataPiece("Veltra.part1.", 1024, 56),
           WindowsInstaller()});
  ASSERT_TRUE(Launch());
  ASSERT_TRUE(WaitForBox(30)) << ProgramStory();
  const std::string box = Boxes().front();
  EXPECT_TRUE(BoxSays(box, kPackageDataText));
  PressEnterOn(box);
  EXPECT_EQ(WaitForExit(10), 255);
  EXPECT_EQ(PieceRequests(), std::vector<std::string>{});
  EXPECT_EQ(FolderNames(DownloadFolder()), std::vector<std::string>{});
}

TEST_F(WindowsProgram, ConnectionBoxIsInTurkishWhateverTheCodePage) {
  std::string closed;
  {
    test_support::TestHttpServer gone;
    closed = gone.Url("/gone/");
  }
  ServeManifest(closed + " 1 " + kInstallerName + ";1");
  ASSERT_TRUE(Launch());
  ASSERT_TRUE(WaitForBox(30)) << ProgramStory();
  const std::string box = Boxes().front();
  EXPECT_TRUE(BoxSays(box, ConnectionText(7)));  // CURLE_COULDNT_CONNECT
  PressEnterOn(box);
  EXPECT_EQ(WaitForExit(10), 255);
}

TEST_F(WindowsProgram, CloseButtonWhileDataFlowsEndsWithZeroWithinTwoSeconds) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 8 * 1024 * 1024, 54),
                                     WindowsInstaller()};
  Publish(pieces);
  Route slow;
  slow.body = pieces[0].body;
  slow.bytesPerSecond = 256 * 1024;
  ServePiece(pieces[0].name, slow);
  ASSERT_TRUE(Launch());
  ASSERT_TRUE(PollUntil(
      30, [&] { return ReadFile(DownloadFolder() + pieces[0].name).size() > 100 * 1024; }, 100))
      << ProgramStory();
  const double pressed = Now();
  ClickClose();
  EXPECT_EQ(WaitForExit(5), 0) << ProgramStory();
  EXPECT_LT(SecondsSince(pressed), 2.0);
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace e2e
