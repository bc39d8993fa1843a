// Attacks of another user of the machine on the download folder: things
// planted under the pieces' names, and a folder of theirs holding an
// installer forged to the manifest's checksum. Nothing planted is ever
// started, nothing outside the folder is written, nothing hangs.

#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <functional>

#include "tests/e2e/e2e_harness.h"
#include "tests/support/forged_crc.h"

namespace e2e {
namespace {

using SharedMachine = E2eTest;

const char kForgedRecord[] = "forged-installer-ran.txt";

// The program comes to rest: the start button, a box, or its end.
bool ComesToRest(E2eTest& test) {
  return PollUntil(
      40,
      [&] { return !test.ProgramRunning() || !test.Boxes().empty() || test.StartButtonShown(); },
      250);
}

// Ends the run the way the player would from where it rests; true when the
// program then ends by itself.
bool EndTheRun(E2eTest& test) {
  if (!test.Boxes().empty()) {
    test.PressEnterOn(test.Boxes().back());
  } else if (test.StartButtonShown()) {
    test.ClickStart();
  }
  return test.WaitForExit(10).has_value();
}

TEST_F(SharedMachine, ThingsPlantedUnderPieceNamesAreNeverFollowedNorStarted) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 200 * 1024, 81), StandInInstaller()};
  const std::string victim = Home() + "victim.txt";
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> plant;
  } cases[] = {
      {"link to a file of the player",
       [&](const std::string& path) { ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0); }},
      {"FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
      {"link to /dev/zero",
       [](const std::string& path) { ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0); }},
  };
  for (const Case& c : cases) {
    for (const Piece& target : pieces) {
      SCOPED_TRACE(std::string(c.what) + " as " + target.name);
      WriteFile(victim, "the player's own file\n");
      boost::filesystem::remove_all(DownloadFolder());
      boost::filesystem::remove(Work() + kInstallerRecord);
      ASSERT_EQ(mkdir(DownloadFolder().c_str(), 0700), 0);
      c.plant(DownloadFolder() + target.name);
      Publish(pieces);

      ASSERT_TRUE(Launch());
      EXPECT_TRUE(ComesToRest(*this)) << "the program hangs on what was planted";
      const bool finished = StartButtonShown();
      EXPECT_TRUE(EndTheRun(*this));
      EXPECT_EQ(ReadFile(victim), "the player's own file\n") << "written through the link";
      // Whatever was started is the genuine installer, from a regular file.
      if (finished) {
        EXPECT_TRUE(AllPiecesIntact(pieces));
      }
      KillProgram();
    }
  }
}

TEST_F(SharedMachine, AForeignFolderWithAForgedInstallerIsNeverUsed) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 100 * 1024, 91), StandInInstaller()};
  const std::string forged = test_support::ForgedToCrc(
      std::string("#!/bin/sh\necho forged > ") + kForgedRecord + "\nexit 0\n",
      static_cast<std::uint32_t>(std::stoul(pieces[1].Crc())));
  ASSERT_EQ(Crc32Text(forged), pieces[1].Crc());

  ASSERT_EQ(mkdir(DownloadFolder().c_str(), 0777), 0);
  chmod(DownloadFolder().c_str(), 0777);
  WriteFile(DownloadFolder() + kInstallerName, forged);
  chmod((DownloadFolder() + kInstallerName).c_str(), 0755);
  if (geteuid() == 0) {
    // As another user's: nobody's.
    ASSERT_EQ(chown(DownloadFolder().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown((DownloadFolder() + kInstallerName).c_str(), 65534, 65534), 0);
  }
  Publish(pieces);

  ASSERT_TRUE(Launch());
  EXPECT_TRUE(ComesToRest(*this));
  EXPECT_TRUE(EndTheRun(*this));
  SleepMs(500);
  EXPECT_FALSE(FileExists(Work() + kForgedRecord)) << "the forged installer was started";
  EXPECT_EQ(FolderNames(DownloadFolder()), std::vector<std::string>{kInstallerName})
      << "the program wrote into the foreign folder";
  EXPECT_EQ(ReadFile(DownloadFolder() + kInstallerName), forged);
}

// The installer swapped after the download for a link or a FIFO: the launch
// is refused with its box, and what the link points at never runs.
TEST_F(SharedMachine, AnInstallerSwappedAfterTheDownloadIsNotLaunched) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 50 * 1024, 95), StandInInstaller()};
  const std::string outside = Home() + "planted.sh";
  WriteFile(outside, std::string("#!/bin/sh\necho planted > ") + kForgedRecord + "\n");
  chmod(outside.c_str(), 0755);
  struct Case {
    const char* what;
    std::function<int(const std::string& path)> plant;
  } cases[] = {
      {"link to a script",
       [&](const std::string& path) { return symlink(outside.c_str(), path.c_str()); }},
      {"FIFO", [](const std::string& path) { return mkfifo(path.c_str(), 0700); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boost::filesystem::remove_all(DownloadFolder());
    Publish(pieces);
    ASSERT_TRUE(LaunchToStartButton());
    const std::string installer = DownloadFolder() + kInstallerName;
    ASSERT_EQ(unlink(installer.c_str()), 0);
    ASSERT_EQ(c.plant(installer), 0);
    ClickStart();
    ASSERT_TRUE(WaitForBox(10)) << ProgramStory();
    EXPECT_TRUE(BoxSays(Boxes().front(), kLaunchFailedText));
    PressEnterOn(Boxes().front());
    EXPECT_EQ(WaitForExit(10), 255);
    SleepMs(500);
    EXPECT_FALSE(FileExists(Work() + kForgedRecord)) << "the planted program ran";
    EXPECT_TRUE(InstallerRecordText().empty());
    KillProgram();
  }
}

}  // namespace
}  // namespace e2e
