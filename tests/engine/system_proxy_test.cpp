#include "engine/system_proxy.h"

#include <gtest/gtest.h>

#include <atomic>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/win32/kernel_event.h"
#include "platform/win32/kernel_handle.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kManifestUrl[] = "http://dl.veltra.example/vltsetup_palamut/vlt_package.txt";
const char kPieceUrl[] = "http://dl.veltra.example/vltsetup_palamut/Veltra.part1";
const char kOtherOriginUrl[] = "http://cdn.veltra.example/Veltra.part2";
const char kManual[] = "manual.corp:8080";
const char kAutomatic[] = "auto.corp:3128";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A stand-in for the automatic configuration: it counts its calls and holds
// each until the test lets it go (or from the start), then gives its answer.
// The lookup's thread keeps it alive, so it may end after the test.
struct StandIn {
  boost::mutex mutex;
  boost::condition_variable opened;
  bool open = false;
  std::optional<ProxyList> answer;
  std::atomic<int> calls{0};

  void Open() {
    boost::mutex::scoped_lock lock(mutex);
    open = true;
    opened.notify_all();
  }
  std::optional<ProxyList> Answer() {
    ++calls;
    boost::mutex::scoped_lock lock(mutex);
    while (!open) opened.wait(lock);
    return answer;
  }
};

class SystemProxy : public ::testing::Test {
 protected:
  ~SystemProxy() override {
    m_standIn->Open();
    CloseHandle(m_stop);
  }

  // Settings that ask for detection, with a proxy list of their own.
  ProxySource Source(bool automatic = true) {
    std::shared_ptr<StandIn> standIn = m_standIn;
    return ProxySource{
        [automatic] {
          InternetSettings settings;
          settings.autoDetect = automatic;
          settings.manual.servers = kManual;
          return settings;
        },
        [standIn](const std::string&, const InternetSettings&) { return standIn->Answer(); }};
  }

  void AnswerAtOnce(std::optional<ProxyList> answer) {
    m_standIn->answer = std::move(answer);
    m_standIn->Open();
  }

  // Asks until the answer changes from the manual one, for a generous while.
  std::optional<std::string> FirstOtherThanManual(CSystemProxy& proxy, const std::string& url) {
    const Clock::time_point start = Clock::now();
    std::optional<std::string> seen;
    do {
      seen = proxy.ProxyFor(url, m_stop);
      if (seen != kManual) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (SecondsSince(start) < 3);
    return seen;
  }

  std::shared_ptr<StandIn> m_standIn = std::make_shared<StandIn>();
  HANDLE m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

TEST_F(SystemProxy, ALookupThatNeverReturnsLeavesTheOwnListsToDecideWithinThePatience) {
  CSystemProxy proxy(Source());
  Clock::time_point start = Clock::now();
  EXPECT_EQ(proxy.ProxyFor(kManifestUrl, m_stop), kManual);
  EXPECT_LT(SecondsSince(start), 3.0);

  // The patience is spent: the next transfers do not wait for it again.
  start = Clock::now();
  EXPECT_EQ(proxy.ProxyFor(kPieceUrl, m_stop), kManual);
  EXPECT_LT(SecondsSince(start), 0.5);
  EXPECT_EQ(m_standIn->calls, 1);
}

TEST_F(SystemProxy, AStopWhileWaitingEndsTheAskAtOnceAndDecidesNothing) {
  CSystemProxy proxy(Source(), 60000);
  boost::thread closer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SetEvent(m_stop);
  });
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(proxy.ProxyFor(kManifestUrl, m_stop), std::nullopt);
  EXPECT_LT(SecondsSince(start), 3.0);
  closer.join();

  // Nothing was decided: the answer, when it comes, still counts.
  AnswerAtOnce(ProxyList{kAutomatic, ""});
  EXPECT_EQ(proxy.ProxyFor(kPieceUrl, nullptr), kAutomatic);
}

TEST_F(SystemProxy, ALateAnswerServesTheAsksAfterIt) {
  m_standIn->answer = ProxyList{kAutomatic, ""};
  CSystemProxy proxy(Source(), 50);
  EXPECT_EQ(proxy.ProxyFor(kManifestUrl, m_stop), kManual);
  m_standIn->Open();
  EXPECT_EQ(FirstOtherThanManual(proxy, kPieceUrl), kAutomatic);
  EXPECT_EQ(proxy.ProxyFor(kManifestUrl, m_stop), kAutomatic);
  EXPECT_EQ(m_standIn->calls, 1);
}

TEST_F(SystemProxy, AnAnswerInTimeDecidesEvenWhenItSaysDirect) {
  struct Case {
    std::optional<ProxyList> answer;
    const char* proxy;
  } const cases[] = {
      {ProxyList{kAutomatic, ""}, kAutomatic},
      {ProxyList{kAutomatic, "*.veltra.example"}, ""},
      {ProxyList{}, ""},
      // A lookup that fails leaves the own lists to decide.
      {std::nullopt, kManual},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proxy);
    m_standIn = std::make_shared<StandIn>();
    AnswerAtOnce(c.answer);
    CSystemProxy proxy(Source(), 60000);
    EXPECT_EQ(proxy.ProxyFor(kManifestUrl, m_stop), c.proxy);
  }
}

// Each origin is asked once; a failure is remembered as an answer is.
TEST_F(SystemProxy, EachOriginIsLookedUpOnceWhateverTheOutcome) {
  AnswerAtOnce(std::nullopt);
  CSystemProxy proxy(Source(), 60000);
  for (const char* url : {kManifestUrl, kPieceUrl, kManifestUrl}) {
    EXPECT_EQ(proxy.ProxyFor(url, m_stop), kManual) << url;
  }
  EXPECT_EQ(m_standIn->calls, 1);
  EXPECT_EQ(proxy.ProxyFor(kOtherOriginUrl, m_stop), kManual);
  EXPECT_EQ(m_standIn->calls, 2);
}

TEST_F(SystemProxy, SettingsWithoutAutomaticConfigurationAskNothingMore) {
  CSystemProxy proxy(Source(false), 60000);
  SetEvent(m_stop);  // nothing is awaited, so a stop changes nothing
  EXPECT_EQ(proxy.ProxyFor(kManifestUrl, m_stop), kManual);
  EXPECT_EQ(m_standIn->calls, 0);
}

}  // namespace
