#include "scripted_server_win.hpp"

#include <ws2tcpip.h>

#include <cstdlib>
#include <stdexcept>

namespace velkor::testing {
namespace {

struct WinsockStart {
  WinsockStart() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup");
  }
};

// Waits up to `ms` for the socket to become readable.
bool Readable(SOCKET socket, long ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait{ms / 1000, (ms % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &wait) == 1;
}

bool ReadRequest(SOCKET client, ScriptedRequest& request) {
  std::string bytes;
  char buffer[4096];
  std::size_t headEnd = std::string::npos;
  std::size_t length = 0;
  for (int waits = 0; waits < 300; ++waits) {  // up to 30 s without a byte
    if (!Readable(client, 100)) continue;
    const int got = recv(client, buffer, sizeof(buffer), 0);
    if (got <= 0) return false;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes[0] < 'A' || bytes[0] > 'Z') return false;  // no HTTP request (a TLS handshake, say)
    if (headEnd == std::string::npos && (headEnd = bytes.find("\r\n\r\n")) != std::string::npos) {
      request.head = bytes.substr(0, headEnd);
      const std::size_t at = request.head.find("Content-Length: ");
      length = at == std::string::npos ? 0 : std::strtoul(request.head.c_str() + at + 16, nullptr, 10);
    }
    if (headEnd != std::string::npos && bytes.size() >= headEnd + 4 + length) {
      request.body = bytes.substr(headEnd + 4, length);
      return true;
    }
  }
  return false;
}

}  // namespace

ScriptedServer::ScriptedServer(Script script, const char* host) : script_(std::move(script)) {
  static WinsockStart winsock;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = 0;
  address.sin_addr.s_addr = inet_addr(host);
  if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener_, 16) != 0) {
    throw std::runtime_error("cannot listen");
  }
  int size = sizeof(address);
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
  stop_ = true;
  thread_.join();
  for (std::thread& client : clients_) client.join();
  closesocket(listener_);
}

std::vector<ScriptedRequest> ScriptedServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void ScriptedServer::Serve() {
  while (!stop_) {
    if (!Readable(listener_, 50)) continue;
    const SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    ++accepted_;
    clients_.emplace_back([this, client] { Handle(client); });
  }
}

void ScriptedServer::Handle(SOCKET client) {
  ScriptedRequest request;
  if (ReadRequest(client, request)) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    script_(client, request, stop_);
  }
  shutdown(client, SD_BOTH);
  closesocket(client);
}

bool ScriptedServer::Send(SOCKET client, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int n = send(client, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ScriptedServer::Response(int status, const std::string& headers, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " X\r\n" + headers + "Content-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace velkor::testing
