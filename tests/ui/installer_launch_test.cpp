// Starting the downloaded installer: one program, no arguments, our
// environment and folder, `wine` for a Windows program, nothing but a regular
// file reached without a link, and a box when it cannot be started.

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/download_globals.h"
#include "platform/win32/create_process.h"
#include "tests/support/scratch_folder.h"
#include "tests/ui/box_dismisser.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/ui_texts.h"

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
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Launch(m_folder.PathOf("missing.exe")));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Launch(m_folder.Folder()));  // a folder is no program
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

// Planted where the installer should be: a link to a program that would run,
// or a FIFO. Neither is started, and the link's target gets no execute bit.
TEST_F(InstallerLaunchTest, OnlyARegularFileReachedWithoutALinkIsStarted) {
  m_folder.Write("real.exe", kRecorder);
  chmod(m_folder.PathOf("real.exe").c_str(), 0644);
  ASSERT_EQ(symlink(m_folder.PathOf("real.exe").c_str(), m_folder.PathOf("link.exe").c_str()), 0);
  ASSERT_EQ(mkfifo(m_folder.PathOf("fifo.exe").c_str(), 0600), 0);
  for (const char* name : {"link.exe", "fifo.exe"}) {
    EXPECT_FALSE(Launch(m_folder.PathOf(name))) << name;
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << name;
  }
  struct stat info {};
  ASSERT_EQ(stat(m_folder.PathOf("real.exe").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  // The same program, named directly, does start: it was the link refused.
  ASSERT_TRUE(Launch(m_folder.PathOf("real.exe")));
  EXPECT_FALSE(Recorded().empty());
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
  EXPECT_EQ(GetLastError(), ERROR_WINE_NEEDED);
}

// The Turkish texts, checked against their decoded form through iconv.
std::string Utf8ToCp1254(const std::string& text) {
  iconv_t converter = iconv_open("CP1254", "UTF-8");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string in = text;
  std::string out(text.size() * 2, '\0');
  char* from = &in[0];
  char* to = &out[0];
  size_t left = in.size();
  size_t room = out.size();
  EXPECT_NE(iconv(converter, &from, &left, &to, &room), static_cast<size_t>(-1));
  iconv_close(converter);
  out.resize(out.size() - room);
  return out;
}

const char kLaunchFailedUtf8[] = "Kurulum programı başlatılamadı.";
const char kWineNeededUtf8[] = " Windows programlarını çalıştırmak için Wine gereklidir.";

TEST(LaunchFailureTexts, AreTheWindows1254BytesOfTheTurkishSentences) {
  EXPECT_EQ(std::string(kLaunchFailedText), Utf8ToCp1254(kLaunchFailedUtf8));
  EXPECT_EQ(std::string(kWineNeededText), Utf8ToCp1254(kWineNeededUtf8));
}

// A launch that fails says so in a box of the dialog and ends with -1; the
// Wine sentence is added only for a Windows program with no Wine to run it.
class FailedLaunchTest : public ui_test::DialogTest {};

TEST_F(FailedLaunchTest, ShowsItsBoxThenEndsWithMinusOne) {
  test_support::ScratchFolder folder;
  folder.Write("VeltraSetup.exe", std::string("MZ\x90\0\x03", 5));
  folder.Write("broken.exe", "no interpreter line, no execute format");
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", folder.PathOf("nowhere").c_str(), 1);
  struct Case {
    std::string installer;
    std::string text;
  } cases[] = {
      {folder.PathOf("VeltraSetup.exe"), std::string(kLaunchFailedUtf8) + kWineNeededUtf8},
      {folder.PathOf("missing.exe"), kLaunchFailedUtf8},
      {folder.PathOf("broken.exe"), kLaunchFailedUtf8},
      {"", kLaunchFailedUtf8},
  };
  for (const Case& c : cases) {
    if (!IsWindow(m_window)) {
      CreateDialog(ui_test::kUnreachableManifest);
      ShowQuiet();
    }
    g_strInstallerPath = c.installer;
    ui_test::BoxDismisser dismisser;
    m_dialog->LaunchInstaller();
    ASSERT_EQ(dismisser.Seen().size(), 1u) << c.installer;
    EXPECT_EQ(dismisser.Seen()[0].caption, "Hata");
    EXPECT_EQ(dismisser.Seen()[0].text, c.text) << c.installer;
    EXPECT_FALSE(IsWindow(m_window));
    EXPECT_EQ(ui_test::PendingExitCode(), -1) << c.installer;
  }
  setenv("PATH", savedPath.c_str(), 1);
  g_strInstallerPath.clear();
}

// The player declines the consent prompt: no box, the dialog stays at the
// start button, and the next press asks again.
int g_shellCalls = 0;
bool g_playerConsents = false;
BOOL RefusedWithoutElevation(const std::string&, PROCESS_INFORMATION*) {
  SetLastError(ERROR_ELEVATION_REQUIRED);
  return FALSE;
}
BOOL ConsentPrompt(SHELLEXECUTEINFOW*) {
  ++g_shellCalls;
  if (g_playerConsents) return TRUE;
  SetLastError(ERROR_CANCELLED);
  return FALSE;
}

TEST_F(FailedLaunchTest, DeclinedConsentKeepsTheStartButtonForAnotherTry) {
  test_support::ScratchFolder folder;
  folder.Write("VeltraSetup.exe", "MZ");
  g_strInstallerPath = folder.PathOf("VeltraSetup.exe");
  CreateDialog(ui_test::kUnreachableManifest);
  ShowQuiet();
  m_dialog->m_startCalls = StartCalls{&RefusedWithoutElevation, &ConsentPrompt};
  ui_test::BoxDismisser dismisser;
  m_dialog->LaunchInstaller();
  m_dialog->LaunchInstaller();
  EXPECT_EQ(g_shellCalls, 2);
  EXPECT_TRUE(IsWindow(m_window));
  EXPECT_TRUE(dismisser.Seen().empty());
  g_playerConsents = true;
  m_dialog->LaunchInstaller();
  EXPECT_FALSE(IsWindow(m_window));
  EXPECT_EQ(ui_test::PendingExitCode(), 0);
  EXPECT_TRUE(dismisser.Seen().empty());
  g_strInstallerPath.clear();
}

TEST(CommandLineTest, ProgramIsTheQuotedPartOrTheFirstWord) {
  EXPECT_EQ(ProgramOfCommandLine("\"games/a b/c.exe\""), "games/a b/c.exe");
  EXPECT_EQ(ProgramOfCommandLine("\"games/a b/c.exe\" /S"), "games/a b/c.exe");
  EXPECT_EQ(ProgramOfCommandLine("games/c.exe /S"), "games/c.exe");
  EXPECT_EQ(ProgramOfCommandLine("\"\""), "");
}

}  // namespace
