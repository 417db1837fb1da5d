// The HTTP client over the real WinINet under Wine, against a server in the
// test process whose answers each test scripts.
#include "http_client_win.hpp"

#include <gtest/gtest.h>

#include "scripted_server_win.hpp"

namespace velkor::network {
namespace {

using velkor::testing::ScriptedRequest;
using velkor::testing::ScriptedServer;

ServiceAddress At(bool secure, const wchar_t* host, std::uint16_t port) { return {secure, host, port, L"/"}; }

// Answers every request with 200 and the request's own path as the body.
ScriptedServer::Script EchoPath() {
  return [](SOCKET client, const ScriptedRequest& request, const std::atomic<bool>&) {
    const std::size_t start = request.head.find(' ') + 1;
    const std::string path = request.head.substr(start, request.head.find(' ', start) - start);
    ScriptedServer::Send(client, ScriptedServer::Response(200, "", path + "|" + request.body));
  };
}

TEST(HttpClient, PlainHttpGoesOnlyToThisMachine) {
  ScriptedServer server(EchoPath());
  HttpAnswer answer;
  ASSERT_TRUE(HttpClient().Get(At(false, L"127.0.0.1", server.Port()), L"/v1/health", 1024, answer));
  EXPECT_EQ(answer.body, "/v1/health|");
  ASSERT_TRUE(HttpClient().Get(At(false, L"localhost", server.Port()), L"/x", 1024, answer));
  EXPECT_EQ(server.Accepted(), 2);

  // 0.0.0.0 reaches this machine's listeners too, but by its text it is
  // another host: no connection is even tried.
  EXPECT_FALSE(HttpClient().Get(At(false, L"0.0.0.0", server.Port()), L"/x", 1024, answer));
  EXPECT_EQ(server.Accepted(), 2);
  // Over HTTPS the same address is tried (and fails the handshake, which
  // WinINet may try more than once): the refusal above was ours, not the
  // network's.
  EXPECT_FALSE(HttpClient().Get(At(true, L"0.0.0.0", server.Port()), L"/x", 1024, answer));
  EXPECT_GT(server.Accepted(), 2);
}

TEST(HttpClient, FollowsRedirectsOnlyWithinSchemeAndHost) {
  ScriptedServer other(EchoPath(), "127.0.0.2");
  const std::string away = "http://127.0.0.2:" + std::to_string(other.Port()) + "/elsewhere";
  ScriptedServer server([&](SOCKET client, const ScriptedRequest& request, const std::atomic<bool>&) {
    auto redirect = [&](int status, const std::string& location) {
      ScriptedServer::Send(client, ScriptedServer::Response(status, "Location: " + location + "\r\n", ""));
    };
    const std::string line = request.head.substr(0, request.head.find("\r\n"));
    if (line.starts_with("POST /temporary ")) return redirect(307, "/moved");
    if (line.starts_with("POST /found ")) return redirect(302, "/moved");
    if (line.starts_with("GET /found ")) return redirect(302, "/moved?q=1");
    if (line.starts_with("GET /away ")) return redirect(301, away);
    if (line.starts_with("GET /hop")) {
      const int n = std::atoi(line.c_str() + 8);
      return redirect(302, n == 0 ? "/moved" : "/hop" + std::to_string(n - 1));
    }
    EchoPath()(client, request, {});
  });
  const ServiceAddress here = At(false, L"127.0.0.1", server.Port());
  HttpAnswer answer;
  // 307 keeps the method and the body.
  ASSERT_TRUE(HttpClient().Post(here, L"/temporary", "text/xml", "<doc/>", 1024, answer));
  EXPECT_EQ(answer.body, "/moved|<doc/>");
  ASSERT_TRUE(HttpClient().Get(here, L"/found", 1024, answer));
  EXPECT_EQ(answer.body, "/moved?q=1|");
  // A 302 would turn the POST into a GET: refused.
  EXPECT_FALSE(HttpClient().Post(here, L"/found", "text/xml", "<doc/>", 1024, answer));
  // Another host, although it is on this machine too: refused, never called.
  EXPECT_FALSE(HttpClient().Get(here, L"/away", 1024, answer));
  EXPECT_EQ(other.Accepted(), 0);
  ASSERT_TRUE(HttpClient().Get(here, L"/hop4", 1024, answer));  // five redirects
  EXPECT_EQ(answer.body, "/moved|");
  EXPECT_FALSE(HttpClient().Get(here, L"/hop5", 1024, answer));  // six
}

TEST(HttpClient, AnOverallDeadlineEndsAnAnswerThatTrickles) {
  // One byte of a 100000-byte answer every 200 ms: every single wait is short,
  // only the whole call is too long.
  ScriptedServer trickle([](SOCKET client, const ScriptedRequest&, const std::atomic<bool>& stop) {
    if (!ScriptedServer::Send(client, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")) return;
    for (int i = 0; i < 100000 && !stop; ++i) {
      if (!ScriptedServer::Send(client, "x")) return;
      Sleep(200);
    }
  });
  // Headers that never come.
  ScriptedServer silent([](SOCKET, const ScriptedRequest&, const std::atomic<bool>& stop) {
    for (int i = 0; i < 600 && !stop; ++i) Sleep(100);
  });
  HttpTimeouts timeouts;
  timeouts.overallMs = 1500;
  HttpAnswer answer;
  EXPECT_FALSE(HttpClient(timeouts).Get(At(false, L"127.0.0.1", trickle.Port()), L"/", 1 << 20, answer));
  EXPECT_FALSE(HttpClient(timeouts).Get(At(false, L"127.0.0.1", silent.Port()), L"/", 1 << 20, answer));
  EXPECT_TRUE(answer.body.empty());
}

TEST(HttpClient, SignatureHeadersAreTakenOnlyWhenSentOnce) {
  ScriptedServer server([](SOCKET client, const ScriptedRequest& request, const std::atomic<bool>&) {
    std::string headers = "X-Velkor-Key-Id: 0123456789abcdef\r\nX-Velkor-Signature: c2ln\r\n";
    if (request.head.starts_with("GET /twice ")) headers += "X-Velkor-Signature: b3RoZXI=\r\n";
    const std::string body = request.head.starts_with("GET /big ") ? std::string(2048, 'b') : "body";
    ScriptedServer::Send(client, ScriptedServer::Response(200, headers, body));
  });
  const ServiceAddress here = At(false, L"127.0.0.1", server.Port());
  HttpAnswer answer;
  ASSERT_TRUE(HttpClient().Get(here, L"/once", 1024, answer));
  EXPECT_EQ(answer.body, "body");
  EXPECT_EQ(answer.keyId, "0123456789abcdef");
  EXPECT_EQ(answer.signature, "c2ln");
  ASSERT_TRUE(HttpClient().Get(here, L"/twice", 1024, answer));
  EXPECT_EQ(answer.keyId, "0123456789abcdef");
  EXPECT_EQ(answer.signature, "");
  EXPECT_FALSE(HttpClient().Get(here, L"/big", 1024, answer));  // larger than the caller's bound
}

}  // namespace
}  // namespace velkor::network
