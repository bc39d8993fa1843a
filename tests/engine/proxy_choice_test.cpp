#include "engine/proxy_choice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kHttpUrl[] = "http://dl.veltra.example/vltsetup_palamut/vlt_package.txt";
const char kHttpsUrl[] = "https://dl.veltra.example/vltsetup_palamut/Veltra.part1";

TEST(ProxyChoice, VariablesDecideOnlyWhereLibcurlTakesAProxyFromThem) {
  struct Case {
    const char* url;
    ProxyVariables variables;
    bool apply;
  };
  const Case cases[] = {
      {kHttpUrl, {}, false},
      {kHttpUrl, {{"http_proxy", "http://p:3128"}}, true},
      // libcurl does not read HTTP_PROXY, nor another scheme's variable.
      {kHttpUrl, {{"HTTP_PROXY", "http://p:3128"}, {"https_proxy", "http://p:3128"}}, false},
      {kHttpsUrl, {{"HTTPS_PROXY", "http://p:3128"}}, true},
      {kHttpsUrl, {{"http_proxy", "http://p:3128"}}, false},
      {kHttpsUrl, {{"ALL_PROXY", "socks5://p:1080"}}, true},
      {kHttpUrl, {{"all_proxy", "socks5://p:1080"}}, true},
      // Set but empty names no proxy.
      {kHttpUrl, {{"http_proxy", ""}, {"all_proxy", ""}, {"ALL_PROXY", ""}}, false},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const auto& [name, value] : c.variables) shown += name + "=" + value + " ";
    EXPECT_EQ(ProxyVariablesApply(c.url, c.variables), c.apply) << c.url << " with " << shown;
  }
}

TEST(ProxyChoice, EachSchemeTakesItsOwnServerElseTheOneForAll) {
  struct Case {
    const char* servers;
    const char* forHttp;
    const char* forHttps;
  };
  const Case cases[] = {
      {"", "", ""},
      {"proxy.corp:8080", "proxy.corp:8080", "proxy.corp:8080"},
      {"http=web.corp:80;https=secure.corp:443", "web.corp:80", "secure.corp:443"},
      {"HTTPS=secure.corp:443 HTTP=web.corp:80", "web.corp:80", "secure.corp:443"},
      // A scheme the list leaves out goes direct.
      {"http=web.corp:80;ftp=files.corp:21", "web.corp:80", ""},
      {"https=secure.corp:443;any.corp:3128", "any.corp:3128", "secure.corp:443"},
      {"http=http://web.corp:80", "http://web.corp:80", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProxyForUrl(kHttpUrl, {c.servers, ""}), c.forHttp) << c.servers;
    EXPECT_EQ(ProxyForUrl(kHttpsUrl, {c.servers, ""}), c.forHttps) << c.servers;
  }
}

TEST(ProxyChoice, BypassedAddressesGoDirectWhateverProxyIsSet) {
  struct Case {
    const char* bypass;
    const char* url;
    bool direct;
  };
  const Case cases[] = {
      {"<local>", "http://intranet/vlt_package.txt", true},
      {"<local>", "http://localhost:18480/", true},
      {"<local>", "http://127.0.0.1:18480/", false},
      {"<local>", "http://[::1]:18480/", false},
      {"*.veltra.example", "http://dl.veltra.example/a", true},
      {"*.veltra.example", "http://veltra.example/a", false},
      {"*.veltra.example", "http://dl.veltra.example.evil/a", false},
      {"dl.*.example", "http://dl.veltra.example/a", true},
      {"192.168.*", "http://192.168.4.20/a", true},
      {"192.168.*", "http://10.192.168.1/a", false},
      {"DL.Veltra.Example", "http://dl.VELTRA.example/a", true},
      {"intranet;  *.corp ;127.0.0.1", "http://127.0.0.1/a", true},
      {"127.0.0.1:18480", "http://127.0.0.1:18480/a", true},
      {"127.0.0.1:18480", "http://127.0.0.1:18481/a", false},
      {"dl.veltra.example:80", "http://dl.veltra.example/a", true},
      {"https://*", "https://dl.veltra.example/a", true},
      {"https://*", "http://dl.veltra.example/a", false},
      {"[::1]", "http://[::1]:18480/a", true},
      {"dl.veltra.example", "http://user:pw@dl.veltra.example/a?b=c", true},
      {"", "http://dl.veltra.example/a", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProxyForUrl(c.url, {"proxy.corp:8080", c.bypass}).empty(), c.direct)
        << c.url << " against " << c.bypass;
  }
}

}  // namespace
