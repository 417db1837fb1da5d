#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "http_server.hpp"
#include "test_catalog.hpp"

namespace velkor::service {
namespace {

using Clock = std::chrono::steady_clock;
using testing::TempFolder;

// A client socket from a loopback address of its own (the whole of 127/8 is
// this machine), so that one test can be several clients.
class Client {
 public:
  Client(const char* from, int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    connected_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
                 ::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0;
  }
  ~Client() { ::close(fd_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool Connected() const { return connected_; }
  int Fd() const { return fd_; }
  bool Send(const std::string& bytes) { return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size()); }
  // What the server sent until it closed or the deadline passed; closed tells
  // which.
  std::string Receive(Clock::time_point deadline, bool& closed) {
    std::string got;
    closed = false;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd p{fd_, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) != 1) return got;
      char chunk[4096];
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) {
        closed = true;
        return got;
      }
      got.append(chunk, static_cast<std::size_t>(n));
    }
  }

 private:
  int fd_;
  bool connected_ = false;
};

// A service with the default worker threads and per-address cap, and short
// deadlines so that the test sees them pass.
class Guard : public ::testing::Test {
 protected:
  void SetUp() override {
    ServiceOptions options;
    options.catalogPath = testing::FreshCatalogLocation(temp_);
    options.packagesDir = temp_.Path();
    options.port = 0;
    options.limits.requestDeadlineSeconds = 2;
    options.limits.idleSeconds = 2;
    service_ = std::make_unique<UpdateService>(options);
    std::string error;
    ASSERT_TRUE(service_->Bind(error)) << error;
    runner_ = std::thread([this] { service_->Run(); });
  }
  void TearDown() override {
    service_->Stop();
    runner_.join();
  }

  // GET /v1/health from 127.0.0.1 within a few seconds.
  bool HealthAnswers() {
    httplib::Client client("127.0.0.1", service_->Port());
    client.set_connection_timeout(3, 0);
    client.set_read_timeout(3, 0);
    const auto res = client.Get("/v1/health");
    return res && res->status == 200;
  }

  TempFolder temp_;
  std::unique_ptr<UpdateService> service_;
  std::thread runner_;
};

TEST_F(Guard, ChunkedAndOversizedBodiesAreRefusedBeforeTheyAreSent) {
  struct Case {
    const char* head;
    const char* status;
  };
  const Case cases[] = {
      {"POST /v1/feedback HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", "HTTP/1.1 411"},
      {"POST /v1/scan HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: gzip, chunked\r\n\r\n", "HTTP/1.1 411"},
      {"POST /v1/feedback HTTP/1.1\r\nHost: x\r\nContent-Length: 134217728\r\n\r\n", "HTTP/1.1 413"},
      {"POST /v1/scan HTTP/1.1\r\nHost: x\r\nContent-Length: 4194305\r\n\r\n", "HTTP/1.1 413"},
      {"GET /v1/health HTTP/1.1\r\nHost: x\r\nContent-Length: 10\r\n\r\n", "HTTP/1.1 413"},
  };
  for (const Case& c : cases) {
    Client client("127.0.0.1", service_->Port());
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(client.Send(c.head));
    // Only the head was sent: the answer comes without the body, and the
    // connection ends.
    bool closed = false;
    const std::string answer = client.Receive(Clock::now() + std::chrono::seconds(10), closed);
    EXPECT_EQ(answer.rfind(c.status, 0), 0u) << c.head << answer;
    EXPECT_TRUE(closed) << c.head;
  }
  EXPECT_TRUE(HealthAnswers());
}

TEST_F(Guard, IdleAndTricklingClientsHoldNoWorkerAndAreCutOff) {
  // 64 connections that send nothing, 64 that send a request head a byte at a
  // time, each group from an address of its own.
  std::vector<std::unique_ptr<Client>> idle, trickling;
  for (int i = 0; i < 64; ++i) {
    idle.push_back(std::make_unique<Client>("127.0.0.2", service_->Port()));
    trickling.push_back(std::make_unique<Client>("127.0.0.3", service_->Port()));
    ASSERT_TRUE(idle.back()->Connected() && trickling.back()->Connected());
  }
  std::atomic<bool> stop{false};
  std::thread trickle([&] {
    const std::string head = "GET /v1/health HTTP/1.1\r\nHost: x\r\nX-Pad: " + std::string(200, 'a') + "\r\n\r\n";
    for (std::size_t at = 0; at < head.size() && !stop; ++at) {
      for (auto& client : trickling) client->Send(head.substr(at, 1));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the attack's pace, not a wait for the service
    }
  });

  // Of the trickling ones, 8 (the cap of requests per address at once) are
  // read, the other 56 refused at once (awaited up to a deadline). The idle
  // ones are all taken: waiting, they hold no worker.
  std::vector<Client*> tricklingTaken;
  {
    std::vector<Client*> open;
    for (auto& client : trickling) open.push_back(client.get());
    int refused = 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
    while (refused < 56 && Clock::now() < deadline) {
      std::vector<pollfd> fds;
      for (Client* client : open) fds.push_back(pollfd{client->Fd(), POLLIN, 0});
      if (::poll(fds.data(), fds.size(), 100) <= 0) continue;
      std::vector<Client*> still;
      for (std::size_t i = 0; i < open.size(); ++i) {
        bool closed = false;
        if ((fds[i].revents & (POLLIN | POLLHUP)) == 0) still.push_back(open[i]);
        else if (open[i]->Receive(Clock::now() + std::chrono::seconds(1), closed).rfind("HTTP/1.1 503", 0) == 0) ++refused;
      }
      open = still;
    }
    EXPECT_EQ(refused, 56);
    tricklingTaken = open;
  }
  EXPECT_EQ(tricklingTaken.size(), 8u);

  // Meanwhile another client is served.
  EXPECT_TRUE(HealthAnswers());

  // Then each is cut off: the idle ones after the idle time, the trickling ones
  // at their request's deadline, long before their heads are complete.
  for (auto& client : idle) {
    bool closed = false;
    EXPECT_EQ(client->Receive(Clock::now() + std::chrono::seconds(20), closed), "");
    EXPECT_TRUE(closed);
  }
  for (Client* client : tricklingTaken) {
    bool closed = false;
    client->Receive(Clock::now() + std::chrono::seconds(20), closed);
    EXPECT_TRUE(closed);
  }
  stop = true;
  trickle.join();
  EXPECT_TRUE(HealthAnswers());
}

}  // namespace
}  // namespace velkor::service
