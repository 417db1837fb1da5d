#pragma once
// The service's connections, guarded so that a client cannot hold what others
// need: cpp-httplib's server, with its per-connection loop replaced.
//
//  - A connection holds no worker thread while it waits for a request (its
//    first, or the next one on a kept-alive connection): a watcher thread keeps
//    the waiting ones and hands a connection to a worker when it has bytes.
//  - A request's head and body must arrive within one deadline, however slowly
//    they trickle in; past it the connection is closed.
//  - Each client address has at most so many connections open, and at most so
//    many requests being read or answered at once (fewer than there are
//    workers, so that one address cannot take them all); more are answered 503
//    and closed at once.
//  - Bodies sent with Transfer-Encoding (chunked), and bodies announced larger
//    than their endpoint takes, are refused before a byte of them is read, and
//    the connection is closed.
// Connections over a Unix socket (a proxy on the same machine) have no address
// and no cap.

#include <httplib.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velkor::service {

struct ConnectionLimits {
  int workerThreads = 16;
  int maxConnectionsPerAddress = 256;  // open, waiting ones included; 0: no cap
  int maxBusyPerAddress = 8;           // requests being read or answered; 0: no cap
  int requestDeadlineSeconds = 10;  // the head and body of one request
  int idleSeconds = 5;              // waiting for a request to begin
  int writeTimeoutSeconds = 30;     // each write of an answer
  int maxRequestsPerConnection = 100;
};

class GuardedServer : public httplib::Server {
 public:
  explicit GuardedServer(const ConnectionLimits& limits);
  ~GuardedServer() override;

  // Refuses, before its body is read, a request with Transfer-Encoding or one
  // whose Content-Length is over the limit its path has (maxBodyBytes(path)).
  void LimitBodies(std::function<std::size_t(const std::string& path)> maxBodyBytes);

  // Closes every waiting connection and takes no more; call before stop().
  void StopGuard();

  // The listening socket's queue of connections not yet accepted: the library
  // keeps 5, and connections past them wait seconds for the client's retries.
  void WidenBacklog(int connections);

 private:
  struct Connection;
  class AddressCounter;
  class GuardedPool;
  class Watcher;

  bool process_and_close_socket(socket_t sock) override;
  void Serve(const std::shared_ptr<Connection>& connection);
  // Hands the connection to the watcher until it has bytes, or closes it.
  void Park(const std::shared_ptr<Connection>& connection, int seconds);
  // Closes a refused request's connection gently (see Connection::lingering).
  void Linger(const std::shared_ptr<Connection>& connection);

  ConnectionLimits limits_;
  std::shared_ptr<AddressCounter> addresses_;
  std::unique_ptr<Watcher> watcher_;
  // Made by new_task_queue, owned by the listening loop, gone after it ends
  // (the watcher has stopped before).
  std::atomic<httplib::TaskQueue*> workers_{nullptr};
  std::function<std::size_t(const std::string& path)> maxBodyBytes_;
};

}  // namespace velkor::service
