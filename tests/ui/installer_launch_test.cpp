// Starting the downloaded installer: one program, no arguments, our
// environment and folder, and `wine` for a Windows program.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/win32/create_process.h"
#include "tests/support/scratch_folder.h"

namespace {

// A stand-in program: writes its argument count, its arguments and its
// folder into the file named by $LAUNCH_MARKER, which it takes from the
// environment it was given.
const char kRecorder[] =
    "#!/bin/sh\n"
    "{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; pwd; } > \"$LAUNCH_MARKER.part\"\n"
    "mv \"$LAUNCH_MARKER.part\" \"$LAUNCH_MARKER\"\n";

class InstallerLaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_marker = m_folder.PathOf("marker");
    setenv("LAUNCH_MARKER", m_marker.c_str(), 1);
    m_savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  }
  void TearDown() override { setenv("PATH", m_savedPath.c_str(), 1); }

  BOOL Launch(const std::string& program) {
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                          NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process);
  }

  // What the stand-in wrote, once it has finished; empty if it never ran.
  std::string Recorded() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!m_folder.Exists("marker") && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return m_folder.Read("marker");
  }

  static std::string CurrentFolder() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
  }

  test_support::ScratchFolder m_folder;
  std::string m_marker;
  std::string m_savedPath;
};

TEST_F(InstallerLaunchTest, QuotedPathWithSpacesStartsWithoutArgumentsHere) {
  m_folder.Write("Veltra Setup v2.exe", kRecorder);
  const std::string program = m_folder.PathOf("Veltra Setup v2.exe");

  ASSERT_TRUE(Launch(program));
  EXPECT_EQ(Recorded(), "0\n" + CurrentFolder() + "\n");
}

TEST_F(InstallerLaunchTest, DownloadedFileGetsTheOwnersExecuteBit) {
  m_folder.Write("setup.exe", kRecorder);
  const std::string program = m_folder.PathOf("setup.exe");
  chmod(program.c_str(), 0644);

  ASSERT_TRUE(Launch(program));
  struct stat info {};
  ASSERT_EQ(stat(program.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0744u);
  EXPECT_FALSE(Recorded().empty());
}

TEST_F(InstallerLaunchTest, NothingToStartReturnsFalse) {
  EXPECT_FALSE(Launch(""));
  EXPECT_FALSE(Launch(m_folder.PathOf("missing.exe")));
  EXPECT_FALSE(Launch(m_folder.Folder()));  // a folder is no program
}

TEST_F(InstallerLaunchTest, WindowsProgramGoesThroughWineOnPath) {
  m_folder.Write("VeltraSetup.exe", std::string("MZ\x90\0\x03", 5));
  boost::filesystem::create_directory(m_folder.PathOf("bin"));
  m_folder.Write("bin/wine", kRecorder);
  chmod(m_folder.PathOf("bin/wine").c_str(), 0755);
  setenv("PATH", (m_folder.PathOf("bin") + ":" + m_savedPath).c_str(), 1);

  ASSERT_TRUE(Launch(m_folder.PathOf("VeltraSetup.exe")));
  EXPECT_EQ(Recorded(), "1\n" + m_folder.PathOf("VeltraSetup.exe") + "\n" + CurrentFolder() + "\n");
}

TEST_F(InstallerLaunchTest, WindowsProgramWithoutWineDoesNotStart) {
  m_folder.Write("VeltraSetup.exe", std::string("MZ\x90\0\x03", 5));
  setenv("PATH", m_folder.PathOf("nowhere").c_str(), 1);
  EXPECT_FALSE(Launch(m_folder.PathOf("VeltraSetup.exe")));
}

TEST(CommandLineTest, ProgramIsTheQuotedPartOrTheFirstWord) {
  EXPECT_EQ(ProgramOfCommandLine("\"games/a b/c.exe\""), "games/a b/c.exe");
  EXPECT_EQ(ProgramOfCommandLine("\"games/a b/c.exe\" /S"), "games/a b/c.exe");
  EXPECT_EQ(ProgramOfCommandLine("games/c.exe /S"), "games/c.exe");
  EXPECT_EQ(ProgramOfCommandLine("\"\""), "");
}

}  // namespace
