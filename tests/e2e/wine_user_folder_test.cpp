// The Windows program for a player whose folders the ANSI code page cannot
// spell: the temporary folder is named with letters outside it, as a profile
// folder is when Windows' language for non-Unicode programs is another than
// the user's (Turkish letters under 1252, Cyrillic ones under 1254). Wine
// takes the temporary folder from the user's environment in the registry and
// the code page from the locale, as Windows from its settings.

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include <boost/filesystem.hpp>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/wine_command.h"

namespace e2e {
namespace {

const char kInstallerMarker[] = "windows-installer-ran.txt";

struct UserFolderCase {
  const char* label;
  const char* folder;
  unsigned codePage;
};

void PrintTo(const UserFolderCase& row, std::ostream* out) { *out << row.label; }

const UserFolderCase kCases[] = {
    {"TurkishLettersUnder1252", "Şeyma ğıİ", 1252},
    {"CyrillicLettersUnder1254", "Женя", 1254},
};

// glibc's Turkish locale, made once in a folder of its own beside the
// prefix (inside the 32-bit root when the suite runs there): with it wine's
// ANSI code page is 1254, without it 1252.
std::map<std::string, std::string> LocaleFor(unsigned codePage) {
  if (codePage != 1254) return {};
  static const std::string folder = std::string(VELTRA_E2E_WINE_PREFIX) + "-locales";
  const std::string locale = folder + "/tr_TR.UTF-8";
  if (!FileExists(locale + "/LC_CTYPE")) {
    boost::filesystem::create_directories(folder);
    RunTool(WineCommand({"localedef", "-i", "tr_TR", "-f", "UTF-8", locale}), EnvironmentWith({}),
            120);
  }
  return {{"LOCPATH", folder}, {"LC_ALL", "tr_TR.UTF-8"}};
}

class WindowsUserFolder : public E2eTest, public ::testing::WithParamInterface<UserFolderCase> {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    m_temporary = WineUserFolder() + "Temp/" + GetParam().folder + "/";
    boost::system::error_code ignored;
    boost::filesystem::remove_all(m_temporary, ignored);
    ASSERT_EQ(mkdir(m_temporary.c_str(), 0700), 0) << m_temporary;
    m_environment = LocaleFor(GetParam().codePage);
    ASSERT_TRUE(UseTemporaryFolder(std::string("Temp\\") + GetParam().folder));
  }

  void TearDown() override {
    if (m_moved) UseTemporaryFolder("Temp");
    boost::system::error_code ignored;
    if (!m_temporary.empty()) boost::filesystem::remove_all(m_temporary, ignored);
    E2eTest::TearDown();
  }

  // Under the user's profile folder, as Windows has it.
  ::testing::AssertionResult UseTemporaryFolder(const std::string& underProfile) {
    m_moved = true;
    const std::string path = "C:\\users\\" + WineUserName() + "\\" + underProfile;
    for (const char* name : {"TEMP", "TMP"}) {
      const int status = WineReg(
          {"add", "HKCU\\Environment", "/v", name, "/t", "REG_SZ", "/d", path, "/f"}, Display());
      if (status != 0) return ::testing::AssertionFailure() << "wine reg add ended with " << status;
    }
    return ::testing::AssertionSuccess();
  }

  // Every piece in the folder with its own bytes.
  static ::testing::AssertionResult Intact(const std::string& folder,
                                           const std::vector<Piece>& pieces) {
    for (const Piece& piece : pieces) {
      if (ReadFile(folder + piece.name) != piece.body) {
        return ::testing::AssertionFailure() << folder + piece.name << " is not the piece";
      }
    }
    return ::testing::AssertionSuccess();
  }

  // The stand-in's record: the code page asked for, started from `folder` (a
  // Windows path, UTF-8) with the program's folder as its current folder.
  ::testing::AssertionResult StartedFrom(const std::string& folder) {
    if (!PollUntil(
            30, [&] { return FileExists(Work() + kInstallerMarker); }, 100)) {
      return ::testing::AssertionFailure() << "the installer did not run";
    }
    const std::string record = ReadFile(Work() + kInstallerMarker);
    std::string work = Work().substr(0, Work().size() - 1);
    std::replace(work.begin(), work.end(), '/', '\\');
    const std::string codePage = "code page: " + std::to_string(GetParam().codePage) + "\n";
    const std::string line = "command line: \"C:\\users\\" + WineUserName() + "\\Temp\\" +
                             GetParam().folder + "\\" + folder + kInstallerName + "\"\n";
    if (record.find(codePage) != std::string::npos &&
        record.find("folder: Z:" + work + "\n") != std::string::npos &&
        record.find(line) != std::string::npos) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << record << "wanted " << codePage << line;
  }

  std::vector<Piece> Package() const {
    return {DataPiece("Veltra.part1", 200 * 1024, 91),
            Piece{kInstallerName, ReadFile(VELTRA_WINDOWS_INSTALLER)},
            DataPiece("Veltra.part2", 3000, 92)};
  }

  std::string m_temporary;  // on this machine, with its trailing slash
  std::map<std::string, std::string> m_environment;
  bool m_moved = false;
};

TEST_P(WindowsUserFolder, DownloadsVerifiesAndStartsTheInstallerFromThere) {
  const std::vector<Piece> pieces = Package();
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton(m_environment)) << ProgramStory();
  EXPECT_TRUE(Intact(m_temporary + "Kelpa/", pieces));
  EXPECT_EQ(PieceRequests(), GetsOf(pieces));
  ClickStart();
  EXPECT_EQ(WaitForExit(10), 0);
  EXPECT_TRUE(StartedFrom("Kelpa\\"));

  // A second run finds every piece by its checksum.
  boost::filesystem::remove(Work() + kInstallerMarker);
  ASSERT_TRUE(LaunchToStartButton(m_environment)) << ProgramStory();
  EXPECT_EQ(PieceRequests(pieces.size()), std::vector<std::string>{});
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

// A "Kelpa" that is a link to someone else's folder, belongs to another user
// or is one everybody may write into is not used on such a path either: the
// pieces go to the bare temporary folder, and what the other folder holds is
// never started.
TEST_P(WindowsUserFolder, AFolderThatIsNotPrivateIsPassedBy) {
  const std::string foreign = Tmp() + "foreign/";
  boost::filesystem::create_directories(foreign);
  const Piece forged{kInstallerName, ReadFile(VELTRA_WINDOWS_ADMIN_INSTALLER)};
  WriteFile(foreign + kInstallerName, forged.body);
  const std::vector<Piece> pieces = Package();
  Publish(pieces);
  const std::string planted = m_temporary + "Kelpa";
  // A folder of this user's holding the forged installer, then made another's.
  const auto plantFolder = [&](mode_t mode, uid_t owner) {
    ASSERT_EQ(mkdir(planted.c_str(), 0700), 0);
    WriteFile(planted + "/" + kInstallerName, forged.body);
    ASSERT_EQ(chmod(planted.c_str(), mode), 0);
    ASSERT_EQ(chown(planted.c_str(), owner, static_cast<gid_t>(-1)), 0);
  };
  const struct {
    const char* label;
    std::function<void()> plant;
  } rows[] = {
      {"a link", [&] { ASSERT_EQ(symlink(foreign.c_str(), planted.c_str()), 0); }},
      {"another user's",
       geteuid() == 0 ? std::function<void()>([&] { plantFolder(0755, 65534); }) : nullptr},
      {"writable by everybody", [&] { plantFolder(0777, geteuid()); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    // Only root can give a folder away.
    if (row.plant == nullptr) continue;
    boost::filesystem::remove_all(planted);
    for (const Piece& piece : pieces) boost::filesystem::remove(m_temporary + piece.name);
    row.plant();
    boost::filesystem::remove(Work() + kInstallerMarker);
    const std::size_t before = PieceRequests().size();
    ASSERT_TRUE(LaunchToStartButton(m_environment)) << ProgramStory();
    EXPECT_TRUE(Intact(m_temporary, pieces));
    EXPECT_EQ(PieceRequests(before), GetsOf(pieces));
    ClickStart();
    EXPECT_EQ(WaitForExit(10), 0);
    EXPECT_TRUE(StartedFrom(""));
    EXPECT_EQ(ReadFile(foreign + kInstallerName), forged.body);
  }
}

INSTANTIATE_TEST_SUITE_P(, WindowsUserFolder, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<UserFolderCase>& info) {
                           return std::string(info.param.label);
                         });

}  // namespace
}  // namespace e2e
