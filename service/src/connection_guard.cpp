#include "connection_guard.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace velkor::service {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadBuffer = 16 * 1024;
constexpr auto kLinger = std::chrono::seconds(2);
constexpr std::size_t kMaxLingerBytes = 16 * 1024 * 1024;

int MillisecondsUntil(Clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

std::string AddressText(const sockaddr_storage& address, int& port) {
  char text[INET6_ADDRSTRLEN] = "";
  port = -1;
  if (address.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    port = ntohs(in.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
    port = ntohs(in6.sin6_port);
  }
  return text;
}

std::string PeerAddress(int fd, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
  return AddressText(address, port);
}

// Writes a whole short answer without waiting long for a client that does not
// read; used for refusals only.
void SendRefusal(int fd, int status, const char* reason, const char* text) {
  const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason +
                             "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                             std::to_string(std::strlen(text)) + "\r\nConnection: close\r\n\r\n" + text;
  pollfd out{fd, POLLOUT, 0};
  if (::poll(&out, 1, 1000) == 1) ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace

// Open connections and busy requests per client address.
class GuardedServer::AddressCounter {
 public:
  AddressCounter(int maxOpen, int maxBusy) : maxOpen_(maxOpen), maxBusy_(maxBusy) {}
  bool Open(const std::string& address) { return Take(address, &Counts::open, maxOpen_); }
  void Close(const std::string& address) { Give(address, &Counts::open, maxOpen_); }
  bool BeginRequest(const std::string& address) { return Take(address, &Counts::busy, maxBusy_); }
  void EndRequest(const std::string& address) { Give(address, &Counts::busy, maxBusy_); }

 private:
  struct Counts {
    int open = 0;
    int busy = 0;
  };
  bool Take(const std::string& address, int Counts::*count, int max) {
    if (max <= 0 || address.empty()) return true;
    std::lock_guard<std::mutex> lock(mutex_);
    int& value = counts_[address].*count;
    if (value >= max) return false;
    ++value;
    return true;
  }
  void Give(const std::string& address, int Counts::*count, int max) {
    if (max <= 0 || address.empty()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = counts_.find(address);
    if (found == counts_.end()) return;
    --(found->second.*count);
    if (found->second.open <= 0 && found->second.busy <= 0) counts_.erase(found);
  }

  const int maxOpen_;
  const int maxBusy_;
  std::mutex mutex_;
  std::map<std::string, Counts> counts_;
};

// One client connection: its socket, what it has sent that no request has read
// yet, and what it may still do. Closed (and its address released) when the
// last owner lets go.
struct GuardedServer::Connection {
  Connection(int socket, std::string peer, int peerPort, std::shared_ptr<AddressCounter> counter, int requests)
      : fd(socket), address(std::move(peer)), port(peerPort), addresses(std::move(counter)),
        requestsLeft(requests) {}
  ~Connection() {
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
    addresses->Close(address);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const int fd;
  const std::string address;
  const int port;
  const std::shared_ptr<AddressCounter> addresses;
  int requestsLeft;
  std::string buffered;  // read ahead of the request being served
  // After a refusal: the answer is out, what the client still sends is read
  // and dropped until it stops, the linger ends or enough was dropped, so that
  // closing does not reset the connection before the client read the answer.
  bool lingering = false;
  std::size_t dropped = 0;
  Clock::time_point lingerUntil;
};

namespace {

// The request being served on this worker thread, for the body check.
thread_local bool* tCloseAfterAnswer = nullptr;

// The stream cpp-httplib reads one request from and writes its answer to:
// reads end at the request's deadline, writes wait at most the write time-out.
class DeadlineStream final : public httplib::Stream {
 public:
  DeadlineStream(int fd, std::string& buffered, Clock::time_point deadline, int writeTimeoutMs)
      : fd_(fd), buffered_(buffered), deadline_(deadline), writeTimeoutMs_(writeTimeoutMs) {}

  bool is_readable() const override { return !buffered_.empty() || WaitFor(POLLIN, MillisecondsUntil(deadline_)); }
  bool is_writable() const override { return WaitFor(POLLOUT, writeTimeoutMs_); }

  ssize_t read(char* ptr, std::size_t size) override {
    if (buffered_.empty()) {
      if (!WaitFor(POLLIN, MillisecondsUntil(deadline_))) return -1;
      char chunk[kReadBuffer];
      const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
      if (got <= 0) return got;
      buffered_.assign(chunk, static_cast<std::size_t>(got));
    }
    const std::size_t n = std::min(size, buffered_.size());
    std::memcpy(ptr, buffered_.data(), n);
    buffered_.erase(0, n);
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, std::size_t size) override {
    if (!WaitFor(POLLOUT, writeTimeoutMs_)) return -1;
    return ::send(fd_, ptr, size, MSG_NOSIGNAL);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { ip = PeerAddress(fd_, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    port = -1;
    ip.clear();
    if (getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) ip = AddressText(address, port);
  }
  socket_t socket() const override { return fd_; }

 private:
  bool WaitFor(short events, int timeoutMs) const {
    if (timeoutMs <= 0 && events == POLLIN) return false;  // the deadline has passed
    pollfd p{fd_, events, 0};
    for (;;) {
      const int ready = ::poll(&p, 1, timeoutMs);
      if (ready < 0 && errno == EINTR) continue;
      return ready == 1 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
    }
  }

  const int fd_;
  std::string& buffered_;
  const Clock::time_point deadline_;
  const int writeTimeoutMs_;
};

}  // namespace

// The workers: when the listening loop ends it shuts them down, and before that
// the watcher stops, so that nothing is handed to them any more.
class GuardedServer::GuardedPool final : public httplib::ThreadPool {
 public:
  GuardedPool(std::size_t threads, GuardedServer& server) : ThreadPool(threads), server_(server) {}
  void shutdown() override {
    server_.StopGuard();
    server_.workers_.store(nullptr);
    ThreadPool::shutdown();
  }

 private:
  GuardedServer& server_;
};

// Keeps the connections that wait for a request, without a thread each: one
// epoll set; a connection with bytes goes to a worker, one that waits too long
// is closed.
class GuardedServer::Watcher {
 public:
  explicit Watcher(std::function<void(std::shared_ptr<Connection>)> ready)
      : ready_(std::move(ready)), epoll_(epoll_create1(EPOLL_CLOEXEC)), wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = wake_;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
    thread_ = std::thread([this] { Run(); });
  }
  ~Watcher() {
    Stop();
    ::close(epoll_);
    ::close(wake_);
  }

  // False when stopped: the caller's reference is the last, and it closes.
  bool Add(const std::shared_ptr<Connection>& connection, Clock::time_point deadline) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return false;
    waiting_[connection->fd] = Waiting{connection, deadline};
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.fd = connection->fd;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, connection->fd, &event);
    Wake();
    return true;
  }

  void Stop() {
    std::map<int, Waiting> closing;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopped_) return;
      stopped_ = true;
      closing.swap(waiting_);
      Wake();
    }
    if (thread_.joinable()) thread_.join();
    // closing goes out of scope: the waiting connections close.
  }

 private:
  struct Waiting {
    std::shared_ptr<Connection> connection;
    Clock::time_point deadline;
  };

  // Reads and drops what a lingering connection sent; false when it is done
  // with (it stopped sending, broke, or sent too much).
  static bool Drop(Connection& connection) {
    char chunk[kReadBuffer];
    for (int i = 0; i < 16; ++i) {
      const ssize_t got = ::recv(connection.fd, chunk, sizeof chunk, MSG_DONTWAIT);
      if (got == 0) return false;
      if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
      connection.dropped += static_cast<std::size_t>(got);
      if (connection.dropped > kMaxLingerBytes) return false;
    }
    return true;
  }

  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
  }

  void Run() {
    epoll_event events[64];
    for (;;) {
      int timeout = -1;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopped_) return;
        for (const auto& [fd, waiting] : waiting_) {
          const int left = MillisecondsUntil(waiting.deadline);
          if (timeout < 0 || left < timeout) timeout = left;
        }
      }
      const int count = epoll_wait(epoll_, events, 64, timeout);
      std::vector<std::shared_ptr<Connection>> ready;
      std::vector<std::shared_ptr<Connection>> expired;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopped_) return;
        for (int i = 0; i < count; ++i) {
          const int fd = events[i].data.fd;
          if (fd == wake_) {
            std::uint64_t value;
            [[maybe_unused]] const ssize_t read = ::read(wake_, &value, sizeof value);
            continue;
          }
          const auto found = waiting_.find(fd);
          if (found == waiting_.end()) continue;
          epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
          ready.push_back(std::move(found->second.connection));
          waiting_.erase(found);
        }
        const Clock::time_point now = Clock::now();
        for (auto it = waiting_.begin(); it != waiting_.end();) {
          if (it->second.deadline > now) {
            ++it;
            continue;
          }
          epoll_ctl(epoll_, EPOLL_CTL_DEL, it->first, nullptr);
          expired.push_back(std::move(it->second.connection));
          it = waiting_.erase(it);
        }
      }
      // A closed or broken connection is readable too: its worker finds it so.
      for (std::shared_ptr<Connection>& connection : ready) {
        if (connection->lingering) {
          if (Drop(*connection)) Add(connection, connection->lingerUntil);
        } else {
          ready_(std::move(connection));
        }
      }
      // expired goes out of scope: those connections close.
    }
  }

  const std::function<void(std::shared_ptr<Connection>)> ready_;
  const int epoll_;
  const int wake_;
  std::mutex mutex_;
  bool stopped_ = false;
  std::map<int, Waiting> waiting_;
  std::thread thread_;
};

GuardedServer::GuardedServer(const ConnectionLimits& limits)
    : limits_(limits),
      addresses_(std::make_shared<AddressCounter>(limits.maxConnectionsPerAddress, limits.maxBusyPerAddress)) {
  const std::size_t threads = static_cast<std::size_t>(std::max(1, limits_.workerThreads));
  new_task_queue = [this, threads] {
    auto* pool = new GuardedPool(threads, *this);
    workers_.store(pool);
    return pool;
  };
  watcher_ = std::make_unique<Watcher>([this](std::shared_ptr<Connection> connection) {
    httplib::TaskQueue* workers = workers_.load();
    if (workers == nullptr) return;  // not listening: the connection closes
    workers->enqueue([this, connection] { Serve(connection); });
  });
  set_write_timeout(limits_.writeTimeoutSeconds, 0);
  set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    auto refuse = [&](int status, const char* text) {
      res.status = status;
      res.set_header("Connection", "close");
      res.set_content(text, "text/plain; charset=utf-8");
      if (tCloseAfterAnswer) *tCloseAfterAnswer = true;
      return HandlerResponse::Handled;
    };
    // The body has not been read yet: what it would be is refused unseen.
    if (req.has_header("Transfer-Encoding")) return refuse(411, "a body needs Content-Length\n");
    if (maxBodyBytes_ && req.has_header("Content-Length")) {
      const std::string length = req.get_header_value("Content-Length");
      const std::size_t limit = maxBodyBytes_(req.path);
      if (length.size() > 19 || length.find_first_not_of("0123456789") != std::string::npos ||
          std::stoull(length.empty() ? "0" : length) > limit) {
        return refuse(413, "request body too large\n");
      }
    }
    return HandlerResponse::Unhandled;
  });
}

GuardedServer::~GuardedServer() { StopGuard(); }

void GuardedServer::LimitBodies(std::function<std::size_t(const std::string& path)> maxBodyBytes) {
  maxBodyBytes_ = std::move(maxBodyBytes);
}

void GuardedServer::WidenBacklog(int connections) {
  const socket_t sock = svr_sock_;
  if (sock != INVALID_SOCKET) ::listen(sock, connections);
}

void GuardedServer::StopGuard() {
  if (watcher_) watcher_->Stop();
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  int port = -1;
  std::string address = PeerAddress(sock, port);
  if (!addresses_->Open(address)) {
    SendRefusal(sock, 503, "Service Unavailable", "too many connections from this address\n");
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return false;
  }
  // Answers go out as written, not held back for the next write of the client.
  const int one = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  auto connection = std::make_shared<Connection>(sock, std::move(address), port, addresses_,
                                                 std::max(1, limits_.maxRequestsPerConnection));
  Park(connection, limits_.idleSeconds);
  return true;
}

void GuardedServer::Linger(const std::shared_ptr<Connection>& connection) {
  ::shutdown(connection->fd, SHUT_WR);
  connection->buffered.clear();
  connection->lingering = true;
  connection->lingerUntil = Clock::now() + kLinger;
  watcher_->Add(connection, connection->lingerUntil);
}

void GuardedServer::Park(const std::shared_ptr<Connection>& connection, int seconds) {
  // Stopped: this was the last reference, and the connection closes.
  watcher_->Add(connection, Clock::now() + std::chrono::seconds(seconds));
}

void GuardedServer::Serve(const std::shared_ptr<Connection>& connection) {
  if (!addresses_->BeginRequest(connection->address)) {
    SendRefusal(connection->fd, 503, "Service Unavailable", "too many requests at once from this address\n");
    return Linger(connection);
  }
  struct Busy {
    AddressCounter& counter;
    const std::string& address;
    ~Busy() { counter.EndRequest(address); }
  } busy{*addresses_, connection->address};
  // Requests the client sent ahead (bytes already read) are served at once.
  do {
    bool closeAfterAnswer = false;
    tCloseAfterAnswer = &closeAfterAnswer;
    DeadlineStream stream(connection->fd, connection->buffered,
                          Clock::now() + std::chrono::seconds(limits_.requestDeadlineSeconds),
                          limits_.writeTimeoutSeconds * 1000);
    bool closed = false;
    const bool last = connection->requestsLeft <= 1;
    const bool ok = process_request(stream, last, closed, nullptr);
    tCloseAfterAnswer = nullptr;
    if (closeAfterAnswer) return Linger(connection);
    if (!ok || closed || last) return;  // the last owner closes it
    --connection->requestsLeft;
  } while (!connection->buffered.empty());
  Park(connection, limits_.idleSeconds);
}

}  // namespace velkor::service
