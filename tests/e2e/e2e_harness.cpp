#include "tests/e2e/e2e_harness.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <chrono>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>

namespace e2e {

const char kManifestPath[] = "/vltsetup_palamut/vlt_package.txt";
const char kPiecesPath[] = "/vltsetup_palamut/files";
const char kPromoPath[] = "/DownloaderPromo.aspx";
const char kInstallerName[] = "VeltraSetup.exe";
const char kInstallerRecord[] = "installer-ran.txt";

const char kFileWriteText[] =
    "Bir dosya yazma hatası oluştu. Diskinizi kontrol edin ve/veya programı yönetici haklarıyla "
    "çalıştırıp tekrar deneyiniz. ";
const char kPackageDataText[] = "Bozuk veya geçersiz paket verisi !";
const char kLaunchFailedText[] = "Kurulum programı başlatılamadı.";

std::string ConnectionText(int curlCode) {
  std::ostringstream text;
  text << "Bağlantı hatası: 0x" << std::hex << curlCode;
  return text.str();
}

namespace {

// Skin places, in window pixels.
constexpr int kStartStripX = 69, kStartStripY = 505;
// Where the plain and the hovered strips differ: the button itself.
constexpr int kFaceLeft = 146, kFaceTop = 5, kFaceWidth = 164, kFaceHeight = 46;
constexpr int kCloseX = 531, kCloseY = 96;
constexpr int kMinimizeX = 488, kMinimizeY = 96;
constexpr int kStartX = 315, kStartY = 533;

const char kWindowTitle[] = "^Veltra Kurulum$";
const char kBoxTitle[] = "^Hata$";

const char kPromoPage[] =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>promo</title></head>"
    "<body style=\"background:#3060c0;color:#e0d0a0\"><h1>VELTRA</h1></body></html>";

const char kStandInScript[] =
    "#!/bin/sh\n"
    "# Stands in for the game's installer: records how it was started.\n"
    "{\n"
    "  echo \"arguments: $#\"\n"
    "  for argument in \"$@\"; do echo \"argument: $argument\"; done\n"
    "  echo \"folder: $(pwd)\"\n"
    "  echo \"program: $0\"\n"
    "} > installer-ran.part && mv installer-ran.part installer-ran.txt\n";

}  // namespace

std::unique_ptr<VirtualDisplay> E2eTest::s_display;
std::optional<Image> E2eTest::s_startStrip;
std::optional<Image> E2eTest::s_startStripHover;

std::string Crc32Text(const std::string& bytes) {
  return std::to_string(crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

std::string Piece::Crc() const { return Crc32Text(body); }

Piece DataPiece(const std::string& name, std::size_t size, unsigned seed) {
  std::string body(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& byte : body) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state);
  }
  return {name, body};
}

std::vector<std::string> GetsOf(const std::vector<Piece>& pieces) {
  std::vector<std::string> gets;
  for (const Piece& piece : pieces)
    gets.push_back(std::string("GET ") + kPiecesPath + "/" + piece.name);
  return gets;
}

Piece StandInInstaller(const std::string& name) { return {name, kStandInScript}; }

bool FileExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  boost::system::error_code error;
  for (boost::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void E2eTest::SetUpTestSuite() {
  s_display = std::make_unique<VirtualDisplay>();
  if (s_display->Ready() && ProgramUnavailable().empty()) PrepareProgramSuite(*s_display);
  s_startStrip = ReadBmp(std::string(VELTRA_SKIN_DIR) + "/208.bmp");
  s_startStripHover = ReadBmp(std::string(VELTRA_SKIN_DIR) + "/210.bmp");
}

void E2eTest::TearDownTestSuite() {
  if (s_display && s_display->Ready() && ProgramUnavailable().empty()) EndProgramSuite();
  s_display.reset();
}

void E2eTest::SetUp() {
  if (kPackagePort == 0 || kPromoPort == 0) {
    GTEST_SKIP() << "veltra-setup is not built for 127.0.0.1 (MANIFEST_URL, PROMO_URL)";
  }
  if (!s_display || !s_display->Ready()) GTEST_SKIP() << "Xvfb did not start";
  const std::string unavailable = ProgramUnavailable(m_build);
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  ASSERT_TRUE(s_startStrip && s_startStripHover) << "the skin's start strips cannot be read";
  for (const char* folder : {"tmp", "home", "work", "runtime"}) {
    boost::filesystem::create_directories(m_root.PathOf(folder));
  }
  chmod(m_root.PathOf("runtime").c_str(), 0700);
  PrepareProgramTest(Folders());
  // Another test on these ports may be just closing them.
  PollUntil(
      10,
      [&] {
        try {
          if (!m_package) m_package = std::make_unique<test_support::TestHttpServer>(kPackagePort);
          if (!m_promo) m_promo = std::make_unique<test_support::TestHttpServer>(kPromoPort);
        } catch (const std::exception&) {
        }
        return m_package && m_promo;
      },
      200);
  ASSERT_TRUE(m_package && m_promo)
      << "127.0.0.1:" << kPackagePort << " or :" << kPromoPort << " is taken by another program";
  test_support::Route page;
  page.body = kPromoPage;
  m_promo->SetRoute(kPromoPath, page);
}

void E2eTest::TearDown() {
  if (HasFailure() && s_display && s_display->Ready()) KeepScreenshot("failed");
  m_program.Kill();
  m_package.reset();
  m_promo.reset();
}

std::string E2eTest::PicturePath(const std::string& label, const std::string& extension) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name() + "-" + label;
  std::replace(name.begin(), name.end(), '/', '_');
  boost::system::error_code ignored;
  boost::filesystem::create_directories(VELTRA_E2E_PICTURES, ignored);
  return std::string(VELTRA_E2E_PICTURES) + "/" + name + extension;
}

void E2eTest::KeepScreenshot(const std::string& label) {
  const std::string file = PicturePath(label, ".png");
  RunTool({"import", "-window", "root", file}, Display().Environment(), 20);
  std::cerr << "screenshot: " << file << "\n";
}

// --- the package ------------------------------------------------------------

std::string E2eTest::ManifestFor(const std::vector<Piece>& pieces, int count) const {
  std::string text = m_package->Url(kPiecesPath) + "/\r\n" +
                     std::to_string(count < 0 ? static_cast<int>(pieces.size()) : count) + "\r\n";
  for (const Piece& piece : pieces) text += piece.name + ";" + piece.Crc() + "\r\n";
  return text;
}

void E2eTest::Publish(const std::vector<Piece>& pieces, int count) {
  for (const Piece& piece : pieces) {
    test_support::Route route;
    route.body = piece.body;
    ServePiece(piece.name, route);
  }
  ServeManifest(ManifestFor(pieces, count));
}

std::vector<Piece> E2eTest::PublishSigned(const std::vector<Piece>& pieces,
                                          const std::string& key) {
  const std::string folder = m_root.PathOf("publisher/");
  boost::filesystem::create_directories(folder);
  std::vector<std::string> command = {VELTRA_MAKE_PACKAGE, "--sign",
                                      std::string(VELTRA_TEST_DATA) + "/" + key + ".pem", folder,
                                      m_package->Url(kPiecesPath) + "/"};
  for (const Piece& piece : pieces) {
    WriteFile(folder + piece.name, piece.body);
    command.push_back(piece.name);
  }
  const ToolResult made = RunTool(command, EnvironmentWith({}), 60);
  EXPECT_EQ(made.status, 0) << "make_package --sign failed";
  std::vector<Piece> served = {Piece{"vlt_package.sig", ReadFile(folder + "vlt_package.sig")}};
  served.insert(served.end(), pieces.begin(), pieces.end());
  for (const Piece& piece : served) {
    test_support::Route route;
    route.body = piece.body;
    ServePiece(piece.name, route);
  }
  ServeManifest(made.output);
  return served;
}

void E2eTest::ServeManifest(const std::string& text) {
  test_support::Route route;
  route.body = text;
  ServeManifest(route);
}

void E2eTest::ServeManifest(test_support::Route route) {
  m_package->SetRoute(kManifestPath, std::move(route));
}

void E2eTest::ServePiece(const std::string& name, test_support::Route route) {
  m_package->SetRoute(std::string(kPiecesPath) + "/" + name, std::move(route));
}

std::vector<std::string> E2eTest::PieceRequests(std::size_t from) const {
  std::vector<std::string> targets;
  for (const test_support::RecordedRequest& request : m_package->Requests()) {
    if (request.path != kManifestPath) targets.push_back(request.method + " " + request.target);
  }
  targets.erase(targets.begin(), targets.begin() + std::min(from, targets.size()));
  return targets;
}

int E2eTest::ManifestRequests() const { return m_package->RequestCount(kManifestPath); }

std::optional<double> E2eTest::SecondsToManifestRequest() const {
  for (const test_support::RecordedRequest& request : m_package->Requests()) {
    const double arrived =
        std::chrono::duration<double>(request.arrived.time_since_epoch()).count();
    if (request.path == kManifestPath && arrived >= m_started) return arrived - m_started;
  }
  return std::nullopt;
}

// --- the program --------------------------------------------------------------

void E2eTest::StartProgram(const std::map<std::string, std::string>& environment) {
  ChildProcess::Options options = ProgramStart(Folders(), Display(), environment, m_build);
  options.output = m_root.PathOf("program.log");
  m_started = Now();
  m_program = ChildProcess(options);
  m_window.clear();
}

PlayerFolders E2eTest::Folders() const {
  return PlayerFolders{Tmp(), Home(), Work(), m_root.PathOf("runtime/")};
}

std::string E2eTest::DownloadFolder() const { return ProgramDownloadFolder(Folders()); }

// A loaded X server now and then refuses a client; the program then says so
// in one line and ends with 1, and is started again, up to three times in
// all. Any other way of ending is the program's own failure.
::testing::AssertionResult E2eTest::Launch(const std::map<std::string, std::string>& environment) {
  const std::string refused = "veltra-setup: cannot open display " + Display().Name() + "\n";
  for (int attempt = 1;; ++attempt) {
    // The log gathers every start of the test; only this start's lines count.
    const std::size_t logged = ReadFile(m_root.PathOf("program.log")).size();
    StartProgram(environment);
    if (!WaitForWindow().empty()) return ::testing::AssertionSuccess();
    const bool displayRefused =
        m_program.Wait(5) == 1 && ReadFile(m_root.PathOf("program.log")).substr(logged) == refused;
    if (!displayRefused || attempt == 3) break;
  }
  return ::testing::AssertionFailure() << "no window; " << ProgramStory();
}

::testing::AssertionResult E2eTest::LaunchToStartButton(
    const std::map<std::string, std::string>& environment) {
  ::testing::AssertionResult launched = Launch(environment);
  if (!launched) return launched;
  if (!WaitForStartButton(60)) {
    return ::testing::AssertionFailure() << "the start button never showed; " << ProgramStory();
  }
  return ::testing::AssertionSuccess();
}

std::string E2eTest::WaitForWindow(double seconds) {
  PollUntil(
      seconds,
      [&] {
        if (!m_program.Running()) return true;
        const std::vector<std::string> windows = Display().FindWindows(kWindowTitle);
        for (const std::string& window : windows) {
          const std::optional<WindowPlace> place = Display().PlaceOf(window);
          if (place && place->width == 623 && place->height == 617) {
            m_window = window;
            m_place = *place;
            return true;
          }
        }
        return false;
      },
      200);
  return m_window;
}

bool E2eTest::StartButtonShown() {
  if (m_window.empty()) return false;
  if (const std::optional<WindowPlace> place = Display().PlaceOf(m_window)) m_place = *place;
  const std::optional<Image> screen = Display().Screenshot();
  if (!screen) return false;
  const int x = m_place.x + kStartStripX + kFaceLeft;
  const int y = m_place.y + kStartStripY + kFaceTop;
  for (const Image* strip : {&*s_startStrip, &*s_startStripHover}) {
    if (screen->Differences(x, y, *strip, kFaceLeft, kFaceTop, kFaceWidth, kFaceHeight) == 0) {
      return true;
    }
  }
  return false;
}

bool E2eTest::WaitForStartButton(double seconds) {
  bool shown = false;
  PollUntil(
      seconds,
      [&] {
        if (!m_program.Running() || !Boxes().empty()) return true;
        shown = StartButtonShown();
        return shown;
      },
      250);
  return shown;
}

std::vector<std::string> E2eTest::Boxes() const { return Display().FindWindows(kBoxTitle); }

bool E2eTest::WaitForBox(double seconds) {
  return PollUntil(
             seconds, [&] { return !Boxes().empty() || !m_program.Running(); }, 200) &&
         !Boxes().empty();
}

std::optional<Image> E2eTest::ReferenceBox(const std::string& text) {
  ChildProcess reference = StartReferenceBox(text, Display());
  std::string window;
  PollUntil(
      20,
      [&] {
        const std::vector<std::string> found = Display().FindWindows(kReferenceBoxTitle);
        if (!found.empty()) window = found.front();
        return !window.empty() || !reference.Running();
      },
      100);
  if (window.empty()) return std::nullopt;
  Display().Focus(window);
  SleepMs(300);  // the focus frame is drawn
  std::optional<Image> picture = Display().WindowPicture(window);
  reference.Kill();
  PollUntil(
      5, [&] { return Display().FindWindows(kReferenceBoxTitle).empty(); }, 50);
  return picture;
}

bool E2eTest::BoxSays(const std::string& box, const std::string& text) {
  Display().Focus(box);
  SleepMs(300);
  const std::optional<Image> shown = Display().WindowPicture(box);
  if (!shown) return false;
  const std::optional<Image> expected = ReferenceBox(text);
  // The program's box gets its focus back for whatever the test does next.
  Display().Focus(box);
  if (expected && *expected == *shown) return true;
  // Both pictures are kept, to be looked at.
  for (const auto& [label, picture] :
       {std::make_pair("shown", shown), std::make_pair("expected", expected)}) {
    if (picture) picture->WritePpm(PicturePath("box-" + std::string(label), ".ppm"));
  }
  return false;
}

void E2eTest::PressEnterOn(const std::string& window) {
  Display().Focus(window);
  Display().Key("Return");
}

void E2eTest::ClickInWindow(int x, int y) {
  // Two moves, so the program sees the pointer arrive over the point.
  Display().MovePointer(m_place.x + x - 8, m_place.y + y);
  SleepMs(100);
  Display().MovePointer(m_place.x + x, m_place.y + y);
  SleepMs(200);
  Display().Click();
}

void E2eTest::ClickClose() { ClickInWindow(kCloseX, kCloseY); }
void E2eTest::ClickMinimize() { ClickInWindow(kMinimizeX, kMinimizeY); }
void E2eTest::ClickStart() { ClickInWindow(kStartX, kStartY); }

::testing::AssertionResult E2eTest::StartInstaller() {
  ClickStart();
  const std::optional<int> status = WaitForExit(10);
  if (status != 0) {
    return ::testing::AssertionFailure()
           << "after start: "
           << (status ? "exit status " + std::to_string(*status) : "still running");
  }
  if (!WaitForInstallerRecord(10))
    return ::testing::AssertionFailure() << "the installer did not run";
  return ::testing::AssertionSuccess();
}

std::optional<int> E2eTest::WaitForExit(double seconds) { return m_program.Wait(seconds); }
bool E2eTest::ProgramRunning() { return m_program.Running(); }

std::string E2eTest::ProgramStory() {
  std::string story = m_program.Running() ? "the program runs" : "the program has ended";
  if (const std::optional<int> status = m_program.Wait(0))
    story += " with " + std::to_string(*status);
  const std::string log = ReadFile(m_root.PathOf("program.log"));
  story += "; its output: " + (log.size() > 2000 ? log.substr(log.size() - 2000) : log);
  return story;
}
void E2eTest::KillProgram() { m_program.Kill(); }

::testing::AssertionResult E2eTest::AllPiecesIntact(const std::vector<Piece>& pieces) const {
  for (const Piece& piece : pieces) {
    const std::string path = DownloadFolder() + piece.name;
    if (!FileExists(path)) return ::testing::AssertionFailure() << piece.name << " is missing";
    const std::string bytes = ReadFile(path);
    if (bytes != piece.body) {
      return ::testing::AssertionFailure()
             << piece.name << " has " << bytes.size() << " bytes with CRC-32 " << Crc32Text(bytes)
             << ", not " << piece.body.size() << " with " << piece.Crc();
    }
  }
  return ::testing::AssertionSuccess();
}

std::vector<std::string> E2eTest::DownloadFolderListing() const {
  std::vector<std::string> listing;
  for (const std::string& name : FolderNames(DownloadFolder())) {
    struct stat info {};
    lstat((DownloadFolder() + name).c_str(), &info);
    listing.push_back(name + "=" +
                      (S_ISREG(info.st_mode) ? std::to_string(info.st_size) : "not a file"));
  }
  return listing;
}

::testing::AssertionResult BoxThenExit(E2eTest& test, const std::string& text) {
  if (!test.WaitForBox(40)) return ::testing::AssertionFailure() << "no box";
  const std::vector<std::string> boxes = test.Boxes();
  if (boxes.size() != 1) return ::testing::AssertionFailure() << boxes.size() << " boxes";
  if (!test.BoxSays(boxes.front(), text)) {
    test.KeepScreenshot("box");
    return ::testing::AssertionFailure() << "the box does not say \"" << text << "\"";
  }
  test.PressEnterOn(boxes.front());
  const std::optional<int> status = test.WaitForExit(10);
  if (!status) return ::testing::AssertionFailure() << "still running after Enter";
  if (*status != 255) return ::testing::AssertionFailure() << "exit status " << *status;
  return ::testing::AssertionSuccess();
}

bool E2eTest::WaitForInstallerRecord(double seconds) {
  return PollUntil(
      seconds, [&] { return !InstallerRecordText().empty(); }, 100);
}

}  // namespace e2e
