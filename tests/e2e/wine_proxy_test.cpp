// The Windows program behind a proxy that only the user's Internet settings
// name, as in an office or a school: wine's WinHTTP reads them from the
// prefix's registry, where Windows keeps them. None of libcurl's variables is
// set (the harness removes them).

#include <cstdio>
#include <optional>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/local_proxy.h"
#include "tests/e2e/wine_command.h"

namespace e2e {
namespace {

const char kConnectionsKey[] =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// The flags of the default connection's settings.
constexpr unsigned kDirect = 0x1;
constexpr unsigned kManualProxy = 0x2;
constexpr unsigned kScript = 0x4;
constexpr unsigned kAutoDetect = 0x8;

// A configuration script's server that takes the request and never sends
// the script.
test_support::Route StalledScript() {
  test_support::Route stalled;
  stalled.body = "function FindProxyForURL(url, host) { return \"DIRECT\"; }\n";
  stalled.stallMs = 120000;
  return stalled;
}

std::string Milliseconds(std::optional<double> seconds) {
  return seconds ? std::to_string(static_cast<long>(*seconds * 1000)) + " ms" : "never";
}

std::string HexOfDword(unsigned value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%02X%02X%02X%02X", value & 0xFF, (value >> 8) & 0xFF,
                (value >> 16) & 0xFF, (value >> 24) & 0xFF);
  return digits;
}

std::string HexOfText(const std::string& text) {
  std::string hex = HexOfDword(static_cast<unsigned>(text.size()));
  for (const unsigned char c : text) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", c);
    hex += digits;
  }
  return hex;
}

// The default connection's settings in the binary form Windows stores: a
// version, a change counter, the flags, then the proxy list, the bypass list
// and the script's address, each after its length.
std::string ConnectionSettingsHex(unsigned flags, const std::string& servers,
                                  const std::string& bypass, const std::string& script) {
  return HexOfDword(0x46) + HexOfDword(1) + HexOfDword(flags) + HexOfText(servers) +
         HexOfText(bypass) + HexOfText(script);
}

// The manifest, with the pieces' address on "localhost": a name without a
// dot, where the manifest's 127.0.0.1 has dots.
std::string ManifestWithPiecesOnLocalhost(const E2eTest& test, const std::vector<Piece>& pieces) {
  std::string manifest = test.ManifestFor(pieces);
  const std::string ownHost = "127.0.0.1";
  return manifest.replace(manifest.find(ownHost), ownHost.size(), "localhost");
}

class WindowsProgramProxy : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!OnPath("tinyproxy")) GTEST_SKIP() << "needs tinyproxy";
    // The prefix is every test's: an earlier run may have been killed.
    ClearSettings();
    m_proxy = std::make_unique<LocalProxy>(kPackagePort + 2, m_root.PathOf(""));
    ASSERT_EQ(m_proxy->Failure(), "");
  }

  void TearDown() override {
    if (m_settingsWritten) ClearSettings();
    E2eTest::TearDown();
  }

  void ClearSettings() {
    Reg({"delete", kConnectionsKey, "/v", "DefaultConnectionSettings", "/f"});
  }

  int Reg(std::vector<std::string> arguments) { return WineReg(std::move(arguments), Display()); }

  // The default connection's settings, the one place wine 8.0's WinHTTP
  // reads them from (it ignores the older ProxyServer values beside them).
  ::testing::AssertionResult UseSettings(unsigned flags, const std::string& servers,
                                         const std::string& bypass, const std::string& script) {
    m_settingsWritten = true;
    const int result =
        Reg({"add", kConnectionsKey, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY", "/d",
             ConnectionSettingsHex(flags, servers, bypass, script), "/f"});
    if (result == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "wine reg add ended with " << result;
  }

  // The requests the server saw through the proxy, "path" each.
  std::vector<std::string> ProxiedPaths() const {
    std::vector<std::string> paths;
    for (const test_support::RecordedRequest& request : m_package->Requests()) {
      if (request.Header("Via").find("tinyproxy") != std::string::npos) {
        paths.push_back(request.path);
      }
    }
    return paths;
  }

  std::unique_ptr<LocalProxy> m_proxy;
  bool m_settingsWritten = false;
};

TEST_F(WindowsProgramProxy, TheSettingsProxyCarriesTheManifestAndEveryPiece) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 300 * 1024, 81),
                                     DataPiece("Veltra.part2", 5000, 82), StandInInstaller()};
  Publish(pieces);
  ASSERT_TRUE(UseSettings(kDirect | kManualProxy, m_proxy->Address(), "", ""));
  ASSERT_TRUE(LaunchToStartButton()) << ProgramStory();
  EXPECT_TRUE(AllPiecesIntact(pieces));

  std::vector<std::string> expected = {kManifestPath};
  for (const Piece& piece : pieces) expected.push_back(std::string(kPiecesPath) + "/" + piece.name);
  EXPECT_EQ(ProxiedPaths(), expected);
  const std::string logged = m_proxy->Log();
  EXPECT_NE(logged.find(m_package->Url(kManifestPath)), std::string::npos) << logged;
  for (const Piece& piece : pieces) {
    EXPECT_NE(logged.find(m_package->Url(kPiecesPath) + "/" + piece.name), std::string::npos)
        << piece.name << " is not in the proxy's log";
  }
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

TEST_F(WindowsProgramProxy, BypassedHostsGoDirectWhileTheOthersTakeTheirSchemesProxy) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 83), StandInInstaller()};
  Publish(pieces);
  ServeManifest(ManifestWithPiecesOnLocalhost(*this, pieces));
  ASSERT_TRUE(UseSettings(kDirect | kManualProxy,
                          "http=" + m_proxy->Address() + ";https=127.0.0.1:9",
                          "*.example.invalid;<local>", ""));
  ASSERT_TRUE(LaunchToStartButton()) << ProgramStory();
  EXPECT_TRUE(AllPiecesIntact(pieces));

  EXPECT_EQ(ProxiedPaths(), std::vector<std::string>{kManifestPath});
  EXPECT_EQ(PieceRequests(), GetsOf(pieces));
  EXPECT_EQ(m_proxy->Log().find("localhost"), std::string::npos) << m_proxy->Log();
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

// The script lies on the promo server, so the package server sees only the
// program's own requests.
TEST_F(WindowsProgramProxy, AConfigurationScriptChoosesTheProxyForEachAddress) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 85), StandInInstaller()};
  Publish(pieces);
  ServeManifest(ManifestWithPiecesOnLocalhost(*this, pieces));
  test_support::Route script;
  script.body =
      "function FindProxyForURL(url, host) {\n"
      "  if (isPlainHostName(host)) return \"DIRECT\";\n"
      "  return \"PROXY " +
      m_proxy->Address() +
      "\";\n"
      "}\n";
  m_promo->SetRoute("/proxy.pac", script);
  ASSERT_TRUE(UseSettings(kDirect | kScript, "", "", m_promo->Url("/proxy.pac")));
  ASSERT_TRUE(LaunchToStartButton()) << ProgramStory();
  EXPECT_TRUE(AllPiecesIntact(pieces));

  EXPECT_EQ(ProxiedPaths(), std::vector<std::string>{kManifestPath});
  EXPECT_EQ(PieceRequests(), GetsOf(pieces));
  EXPECT_NE(m_proxy->Log().find(m_package->Url(kManifestPath)), std::string::npos)
      << m_proxy->Log();
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

TEST_F(WindowsProgramProxy, WithNothingSetEverythingGoesDirect) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 84), StandInInstaller()};
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton()) << ProgramStory();
  EXPECT_TRUE(AllPiecesIntact(pieces));
  EXPECT_EQ(ProxiedPaths(), std::vector<std::string>{});
  EXPECT_EQ(ManifestRequests(), 1);
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

// Windows ships with "Automatically detect settings" on; with nothing on the
// network to find, the manifest is asked for at most a second later than
// without it.
TEST_F(WindowsProgramProxy, DetectionThatFindsNothingHoldsTheManifestBackAtMostASecond) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 86), StandInInstaller()};
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton()) << ProgramStory();
  const std::optional<double> without = SecondsToManifestRequest();
  ClickClose();
  ASSERT_EQ(WaitForExit(10), 0);

  ASSERT_TRUE(UseSettings(kDirect | kAutoDetect, "", "", ""));
  ASSERT_TRUE(LaunchToStartButton()) << ProgramStory();
  const std::optional<double> with = SecondsToManifestRequest();
  std::printf("manifest requested after %s without detection, %s with it\n",
              Milliseconds(without).c_str(), Milliseconds(with).c_str());
  ASSERT_TRUE(without && with);
  EXPECT_LE(*with - *without, 1.0);
  EXPECT_TRUE(AllPiecesIntact(pieces));
  EXPECT_EQ(ProxiedPaths(), std::vector<std::string>{});
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

TEST_F(WindowsProgramProxy, AScriptWhoseServerNeverAnswersLeavesTheDownloadDirect) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 87), StandInInstaller()};
  Publish(pieces);
  m_promo->SetRoute("/stalled.pac", StalledScript());
  ASSERT_TRUE(UseSettings(kDirect | kScript, "", "", m_promo->Url("/stalled.pac")));
  ASSERT_TRUE(Launch()) << ProgramStory();
  PollUntil(10, [&] { return ManifestRequests() > 0; });
  const std::optional<double> toManifest = SecondsToManifestRequest();
  std::printf("manifest requested after %s with the script stalled\n",
              Milliseconds(toManifest).c_str());
  ASSERT_LT(toManifest.value_or(99), 2.0);
  EXPECT_GT(m_promo->RequestCount("/stalled.pac"), 0);
  ASSERT_TRUE(WaitForStartButton(60)) << ProgramStory();
  EXPECT_TRUE(AllPiecesIntact(pieces));
  EXPECT_EQ(ProxiedPaths(), std::vector<std::string>{});
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

// The lookup cannot be interrupted; the program leaves it behind.
TEST_F(WindowsProgramProxy, TheCloseButtonEndsTheProgramWhileTheScriptStalls) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 88), StandInInstaller()};
  Publish(pieces);
  m_promo->SetRoute("/stalled.pac", StalledScript());
  ASSERT_TRUE(UseSettings(kDirect | kScript, "", "", m_promo->Url("/stalled.pac")));
  ASSERT_TRUE(Launch()) << ProgramStory();
  ASSERT_TRUE(PollUntil(10, [&] { return m_promo->RequestCount("/stalled.pac") > 0; }));
  // From before the click: the program may be gone before xdotool returns.
  const double clicked = Now();
  ClickClose();
  const std::optional<int> status = WaitForExit(10);
  const double took = SecondsSince(clicked);
  std::printf("ended %.0f ms after the close button with the script stalled\n", took * 1000);
  EXPECT_LT(took, 2.0);
  EXPECT_EQ(status, 0);
}

TEST_F(WindowsProgramProxy, AProxyTheScriptNamesCarriesTheManifestAndEveryPiece) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 64 * 1024, 89),
                                     DataPiece("Veltra.part2", 5000, 90), StandInInstaller()};
  Publish(pieces);
  test_support::Route script;
  script.body =
      "function FindProxyForURL(url, host) { return \"PROXY " + m_proxy->Address() + "\"; }\n";
  m_promo->SetRoute("/proxy.pac", script);
  ASSERT_TRUE(UseSettings(kDirect | kScript, "", "", m_promo->Url("/proxy.pac")));
  ASSERT_TRUE(LaunchToStartButton()) << ProgramStory();
  EXPECT_TRUE(AllPiecesIntact(pieces));

  std::vector<std::string> expected = {kManifestPath};
  for (const Piece& piece : pieces) expected.push_back(std::string(kPiecesPath) + "/" + piece.name);
  EXPECT_EQ(ProxiedPaths(), expected);
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

}  // namespace
}  // namespace e2e
