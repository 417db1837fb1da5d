#include "service_address.hpp"

#include <gtest/gtest.h>

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
      L"http://a..b/", L"http://host:/",
  };
  for (const wchar_t* url : bad) {
    EXPECT_FALSE(ParseServiceUrl(url).has_value()) << url;
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

}  // namespace
}  // namespace velkor::network
