// Which start the installer gets, with the system's answers injected: Windows
// refuses to start an installer that asks for administrator rights from a
// program running with the player's own (wine never does), and only then is
// the shell asked, which the player may decline.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_folder.h"
#include "ui/installer_start.h"

namespace {

// What the injected calls answer, and what they were given.
struct FakeSystem {
  DWORD createError = 0;  // 0: started
  DWORD shellError = 0;
  int creates = 0;
  int shells = 0;
  std::string commandLine;
  SHELLEXECUTEINFOW shell{};
  std::basic_string<WCHAR> shellFile;
};
FakeSystem g_system;

BOOL FakeCreateProcess(const std::string& commandLine, PROCESS_INFORMATION*) {
  ++g_system.creates;
  g_system.commandLine = commandLine;
  if (g_system.createError == 0) return TRUE;
  SetLastError(g_system.createError);
  return FALSE;
}

BOOL FakeShellExecute(SHELLEXECUTEINFOW* info) {
  ++g_system.shells;
  g_system.shell = *info;
  g_system.shellFile = info->lpFile != nullptr ? info->lpFile : std::basic_string<WCHAR>();
  if (g_system.shellError == 0) return TRUE;
  SetLastError(g_system.shellError);
  return FALSE;
}

class InstallerStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_system = FakeSystem{};
    m_folder.Write("Veltra Setup.exe", "MZ");
    m_path = m_folder.PathOf("Veltra Setup.exe");
  }
  InstallerStart Start(const std::optional<Sha256Digest>& signedDigest = std::nullopt) {
    return StartInstaller(m_path, m_owner, StartCalls{&FakeCreateProcess, &FakeShellExecute},
                          signedDigest);
  }

  test_support::ScratchFolder m_folder;
  std::string m_path;
  HWND m_owner = reinterpret_cast<HWND>(0x1234);
};

TEST_F(InstallerStartTest, AStartedProcessNeedsNoShell) {
  EXPECT_EQ(Start(), InstallerStart::Started);
  EXPECT_EQ(g_system.commandLine, "\"" + m_path + "\"");
  EXPECT_EQ(g_system.shells, 0);
}

// The shell gets the same file, no arguments and no folder (so this
// process's), with the dialog as the owner its consent prompt comes up over.
TEST_F(InstallerStartTest, ElevationRequiredAsksTheShellForTheSameFileAlone) {
  g_system.createError = ERROR_ELEVATION_REQUIRED;
  EXPECT_EQ(Start(), InstallerStart::Started);
  ASSERT_EQ(g_system.shells, 1);
  EXPECT_EQ(g_system.shell.cbSize, sizeof(SHELLEXECUTEINFOW));
  EXPECT_EQ(g_system.shell.hwnd, m_owner);
  EXPECT_EQ(g_system.shellFile, std::basic_string<WCHAR>(m_path.begin(), m_path.end()));
  EXPECT_EQ(g_system.shell.lpVerb, nullptr);
  EXPECT_EQ(g_system.shell.lpParameters, nullptr);
  EXPECT_EQ(g_system.shell.lpDirectory, nullptr);
  EXPECT_NE(g_system.shell.fMask & SEE_MASK_NOASYNC, 0u);
}

TEST_F(InstallerStartTest, DeclinedPromptAndOtherFailuresAreTold) {
  struct Case {
    DWORD createError;
    DWORD shellError;
    InstallerStart outcome;
    DWORD lastError;
    int shells;
  };
  const Case cases[] = {
      {ERROR_ELEVATION_REQUIRED, ERROR_CANCELLED, InstallerStart::Declined, ERROR_CANCELLED, 1},
      {ERROR_ELEVATION_REQUIRED, ERROR_ACCESS_DENIED, InstallerStart::Failed, ERROR_ACCESS_DENIED,
       1},
      {ERROR_ACCESS_DENIED, 0, InstallerStart::Failed, ERROR_ACCESS_DENIED, 0},
      {ERROR_CANCELLED, 0, InstallerStart::Failed, ERROR_CANCELLED, 0},
  };
  for (const Case& c : cases) {
    g_system = FakeSystem{};
    g_system.createError = c.createError;
    g_system.shellError = c.shellError;
    EXPECT_EQ(Start(), c.outcome) << c.createError << " " << c.shellError;
    EXPECT_EQ(GetLastError(), c.lastError) << c.createError << " " << c.shellError;
    EXPECT_EQ(g_system.shells, c.shells);
  }
}

// A program built with the publisher's key starts only the bytes the
// publisher signed, as they lie when the start is asked for.
TEST_F(InstallerStartTest, OnlyTheSignedBytesAreStarted) {
  EXPECT_EQ(Start(Sha256Of("MZ", 2)), InstallerStart::Started);
  EXPECT_EQ(g_system.creates, 1);
  m_folder.Write("Veltra Setup.exe", "MZ swapped after the download");
  EXPECT_EQ(Start(Sha256Of("MZ", 2)), InstallerStart::NotSigned);
  EXPECT_EQ(g_system.creates + g_system.shells, 1);
}

TEST_F(InstallerStartTest, AMissingFileIsNeverHandedToTheSystem) {
  m_path = m_folder.PathOf("missing.exe");
  EXPECT_EQ(Start(), InstallerStart::Failed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(g_system.creates + g_system.shells, 0);
}

}  // namespace
