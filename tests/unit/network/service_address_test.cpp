#include "service_address.hpp"

#include <gtest/gtest.h>

#include "call_deadline.hpp"

namespace velkor::network {
namespace {

TEST(ParseServiceUrl, ReadsSchemeHostPortAndPath) {
  struct Case {
    const wchar_t* url;
    bool secure;
    const wchar_t* host;
    int port;
    const wchar_t* basePath;
  };
  const Case cases[] = {
      {L"http://127.0.0.1:8750/", false, L"127.0.0.1", 8750, L"/"},
      {L"http://127.0.0.1:8750", false, L"127.0.0.1", 8750, L"/"},
      {L"HTTPS://updates.example.com/velkor", true, L"updates.example.com", 443, L"/velkor/"},
      {L"http://localhost/a/b/", false, L"localhost", 80, L"/a/b/"},
      {L"https://h:65535/", true, L"h", 65535, L"/"},
      {L"http://[::1]:8750/", false, L"::1", 8750, L"/"},
      {L"https://[fd00::2]/v/", true, L"fd00::2", 443, L"/v/"},
  };
  for (const Case& c : cases) {
    const auto address = ParseServiceUrl(c.url);
    ASSERT_TRUE(address.has_value()) << c.url;
    EXPECT_EQ(address->secure, c.secure) << c.url;
    EXPECT_EQ(address->host, c.host) << c.url;
    EXPECT_EQ(address->port, c.port) << c.url;
    EXPECT_EQ(address->basePath, c.basePath) << c.url;
  }
}

TEST(ParseServiceUrl, RefusesWhatIsNotAPlainServiceAddress) {
  const wchar_t* bad[] = {
      L"", L"ftp://host/", L"http://", L"http://:80/", L"http://host:0/", L"http://host:65536/",
      L"http://host:80a/", L"http://user@host/", L"http://host/a?b", L"http://host/a#b",
      L"http://ho st/", L"http://host/a b", L"http://host\\x/", L"file:///c:/x", L"http://-host/",
      L"http://a..b/", L"http://host:/", L"http://[::1/", L"http://[::1]x/", L"http://[]/",
      L"http://[1.2.3.4]/", L"http://[::1%eth0]/", L"http://::1/",
  };
  for (const wchar_t* url : bad) {
    EXPECT_FALSE(ParseServiceUrl(url).has_value()) << url;
  }
}

TEST(ServiceAddress, WholeUrlsReadBackAsTheSameAddress) {
  const struct {
    const wchar_t* base;
    const wchar_t* url;
  } cases[] = {
      {L"https://update.example/", L"https://update.example/v1/app/version"},
      {L"http://127.0.0.1:8750/", L"http://127.0.0.1:8750/v1/app/version"},
      {L"https://update.example:443/svc/", L"https://update.example/svc/v1/app/version"},
      {L"http://[::1]:80/", L"http://[::1]/v1/app/version"},
      {L"https://[::1]:8443/a/", L"https://[::1]:8443/a/v1/app/version"},
  };
  for (const auto& c : cases) {
    const auto base = ParseServiceUrl(c.base);
    ASSERT_TRUE(base.has_value()) << c.base;
    EXPECT_EQ(ServiceUrl(*base, L"v1/app/version"), c.url);
    const auto back = ParseServiceUrl(c.url);
    ASSERT_TRUE(back.has_value()) << c.url;
    EXPECT_EQ(back->host, base->host);
    EXPECT_EQ(back->port, base->port);
  }
}

TEST(ServiceAddress, FallbackKeepsSchemePortAndPath) {
  const auto primary = ParseServiceUrl(L"https://primary.example:8443/svc/");
  ASSERT_TRUE(primary.has_value());
  const ServiceAddress fallback = WithHost(*primary, L"backup.example");
  EXPECT_TRUE(fallback.secure);
  EXPECT_EQ(fallback.host, L"backup.example");
  EXPECT_EQ(fallback.port, 8443);
  EXPECT_EQ(RequestPath(fallback, L"v1/scan"), L"/svc/v1/scan");
  EXPECT_EQ(RequestPath(fallback, L"/v1/scan"), L"/svc/v1/scan");

  EXPECT_TRUE(IsValidHostName(L"127.0.0.1"));
  EXPECT_FALSE(IsValidHostName(L"evil.example/path"));
  EXPECT_FALSE(IsValidHostName(L"a:b"));
  EXPECT_FALSE(IsValidHostName(std::wstring(254, L'a')));
}

TEST(ServiceAddress, PlainHttpOnlyToALoopbackHost) {
  const std::pair<const wchar_t*, bool> hosts[] = {
      {L"localhost", true},      {L"LocalHost", true},    {L"127.0.0.1", true},      {L"127.255.0.9", true},
      {L"::1", true},            {L"localhost.", false},  {L"localhost.example", false},
      {L"127.0.0.01", false},    {L"0127.0.0.1", false},  {L"127.1", false},          {L"2130706433", false},
      {L"127.0.0.256", false},   {L"127.0.0.1.", false},  {L"127.0.0.0.1", false},    {L"128.0.0.1", false},
      {L"0.0.0.0", false},       {L"::ffff:127.0.0.1", false}, {L"0:0:0:0:0:0:0:1", false}, {L"", false},
      {L"update.velkor-brenn.com", false}, {L"10.0.0.1", false},
  };
  for (const auto& [host, loopback] : hosts) {
    EXPECT_EQ(IsLoopbackHost(host), loopback) << host;
    ServiceAddress address{false, host, 80, L"/"};
    EXPECT_EQ(IsTransportAllowed(address), loopback) << host;
    address.secure = true;
    EXPECT_TRUE(IsTransportAllowed(address)) << host;
  }
  const auto fallback = WithHost(*ParseServiceUrl(L"http://127.0.0.1:8750/"), L"update2.velkor-brenn.com");
  EXPECT_FALSE(IsTransportAllowed(fallback));
  // The built-in address is on the internet, so it is an HTTPS one.
  EXPECT_TRUE(ParseServiceUrl(kDefaultServiceUrl)->secure);
}

TEST(ServiceAddress, RedirectsStayWithTheSchemeAndHost) {
  const ServiceAddress from = *ParseServiceUrl(L"https://svc.example:8443/base/");
  struct Case {
    const wchar_t* location;
    const wchar_t* path;  // nullptr: refused
    int port;
  };
  const Case cases[] = {
      {L"/v1/scan", L"/v1/scan", 8443},
      {L"/v1/driver?id=a%20b&os=4", L"/v1/driver?id=a%20b&os=4", 8443},
      {L"https://svc.example:8443/other/v1/scan", L"/other/v1/scan", 8443},
      {L"HTTPS://SVC.example/x", L"/x", 443},
      {L"https://svc.example", L"/", 443},
      {L"http://svc.example/x", nullptr, 0},          // scheme changed
      {L"https://evil.example/x", nullptr, 0},        // host changed
      {L"https://svc.example.evil.example/x", nullptr, 0},
      {L"https://svc.example@evil.example/x", nullptr, 0},
      {L"//evil.example/x", nullptr, 0},
      {L"v1/scan", nullptr, 0},
      {L"", nullptr, 0},
      {L"/a b", nullptr, 0},
      {L"/a#frag", nullptr, 0},
      {L"/a\\b", nullptr, 0},
      {L"/a\r\nSet-Cookie: x", nullptr, 0},
      {L"ftp://svc.example/x", nullptr, 0},
  };
  for (const Case& c : cases) {
    const auto target = FollowRedirect(from, c.location);
    ASSERT_EQ(target.has_value(), c.path != nullptr) << c.location;
    if (!target) continue;
    EXPECT_EQ(target->requestPath, c.path) << c.location;
    EXPECT_EQ(target->address.port, c.port) << c.location;
    EXPECT_TRUE(target->address.secure);
    EXPECT_EQ(target->address.host, L"svc.example");
  }
}

TEST(CallDeadline, CutsEachOperationToWhatIsLeft) {
  const CallDeadline deadline(1000, 5000);
  EXPECT_EQ(deadline.RemainingMs(1000), 5000u);
  EXPECT_EQ(deadline.Cap(10000, 1000), 5000u);
  EXPECT_EQ(deadline.Cap(2000, 1000), 2000u);
  EXPECT_EQ(deadline.Cap(10000, 5500), 500u);
  EXPECT_EQ(deadline.RemainingMs(6000), 0u);
  EXPECT_EQ(deadline.Cap(10000, 7000), 0u);
  // Across the counter's wrap.
  const CallDeadline wrapping(0xFFFFF000u, 8192);
  EXPECT_EQ(wrapping.RemainingMs(0xFFFFF000u + 4096), 4096u);
  EXPECT_EQ(wrapping.RemainingMs(4096), 0u);
  EXPECT_EQ(wrapping.RemainingMs(100), 8192u - 4096u - 100u);
}

}  // namespace
}  // namespace velkor::network
