#pragma once
// A small HTTP server inside the test process, on a loopback address, whose
// answers the test scripts: each accepted connection's request (head and body)
// goes to the script, which writes whatever bytes it likes to the socket.

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velkor::testing {

struct ScriptedRequest {
  std::string head;  // request line and headers
  std::string body;
};

class ScriptedServer {
 public:
  using Script = std::function<void(SOCKET client, const ScriptedRequest& request, const std::atomic<bool>& stop)>;

  // Listens on `host` (an IPv4 address) at a free port.
  explicit ScriptedServer(Script script, const char* host = "127.0.0.1");
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  std::uint16_t Port() const { return port_; }
  int Accepted() const { return accepted_; }
  std::vector<ScriptedRequest> Requests() const;

  // Helpers for scripts.
  static bool Send(SOCKET client, const std::string& bytes);
  static std::string Response(int status, const std::string& headers, const std::string& body);

 private:
  void Serve();
  void Handle(SOCKET client);

  Script script_;
  SOCKET listener_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  mutable std::mutex mutex_;
  std::vector<ScriptedRequest> requests_;
  std::vector<std::thread> clients_;
  std::thread thread_;
};

}  // namespace velkor::testing
