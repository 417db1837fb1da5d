// A small HTTP (or HTTPS) server for the downloader's tests, on loopback.
//
//   http_test_server --root DIR --port-file FILE [--log FILE] [--host 127.0.0.1]
//                    [--cert PEM --key PEM]
//
// Writes the port it listens on to FILE once it accepts connections, logs one
// line per request ("GET /path range=... auth=...") to --log, and runs until
// it is killed. Paths (NAME is a file below --root; "..", "\" and ":" refused):
//   /files/NAME           the file; a "Range" header gives 206 with that range
//   /status/CODE          an empty answer with that status code
//   /auth/NAME            the file for user "velkor", password "secret"
//                         (basic authentication), 401 otherwise
//   /proxy-auth/NAME      407 with a proxy challenge
//   /cut/NAME             announces the whole file, sends half, closes
//   /chunked/NAME         the file without a content length
//   /slow/NAME            the file in 1 KiB pieces, one every 20 ms
//   /held/NAME            the first request sends half the file and waits for
//                         /release (at most 5 minutes); later ones are served whole
//   /release              lets a held body go on
//   /huge                 announces 2^50 bytes, sends a little at a time
//   /endless              a body without length that goes on as fast as the client
//                         reads (for a minute at most)

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Options {
  std::string root, portFile, log, host = "127.0.0.1", cert, key;
};

std::mutex g_logLock;
std::ofstream g_log;
std::mutex g_holdLock;
std::condition_variable g_holdChanged;
bool g_released = false;
bool g_heldOnce = false;

void Log(const httplib::Request& req) {
  const std::lock_guard<std::mutex> lock(g_logLock);
  if (!g_log) return;
  g_log << req.method << ' ' << req.path << " range=" << req.get_header_value("Range")
        << " auth=" << (req.has_header("Authorization") ? "yes" : "no") << '\n';
  g_log.flush();
}

bool SafeName(const std::string& name) {
  if (name.empty() || name.find("..") != std::string::npos || name.find('\\') != std::string::npos ||
      name.find(':') != std::string::npos || name.front() == '/') {
    return false;
  }
  return true;
}

bool ReadFile(const Options& o, const std::string& name, std::string& bytes) {
  if (!SafeName(name)) return false;
  std::ifstream in(o.root + "/" + name, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  bytes = all.str();
  return true;
}

// Serves bytes [offset, end) with the content length of the whole, in pieces,
// stopping after `cutAt` bytes of the body (closing the connection), waiting
// before the second half when `hold` is set.
void ServeBody(httplib::Response& res, std::shared_ptr<std::string> body, std::size_t cutAt, bool hold,
               std::chrono::milliseconds pause, std::size_t piece) {
  res.set_content_provider(
      body->size(), "application/octet-stream",
      [body, cutAt, hold, pause, piece](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        if (offset >= cutAt) return false;  // the connection ends here
        if (hold && offset >= body->size() / 2) {
          std::unique_lock<std::mutex> lock(g_holdLock);
          g_holdChanged.wait_for(lock, std::chrono::minutes(5), [] { return g_released; });
        }
        std::size_t count = std::min({length, piece, cutAt - offset});
        if (hold && offset < body->size() / 2) count = std::min(count, body->size() / 2 - offset);
        if (pause.count() > 0) std::this_thread::sleep_for(pause);
        return sink.write(body->data() + offset, count);
      });
}

void Routes(httplib::Server& server, const Options& o) {
  server.set_logger([](const httplib::Request& req, const httplib::Response&) { Log(req); });
  server.Get(R"(/files/(.+))", [&o](const httplib::Request& req, httplib::Response& res) {
    auto body = std::make_shared<std::string>();
    if (!ReadFile(o, req.matches[1], *body)) {
      res.status = 404;
      return;
    }
    // The library answers a "Range" header itself (206 and Content-Range).
    res.set_content(*body, "application/octet-stream");
  });
  server.Get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.status = std::stoi(req.matches[1]);
    res.set_content("status " + std::string(req.matches[1]) + "\n", "text/plain");
  });
  server.Get(R"(/auth/(.+))", [&o](const httplib::Request& req, httplib::Response& res) {
    // "velkor:secret"
    if (req.get_header_value("Authorization") != "Basic dmVsa29yOnNlY3JldA==") {
      res.status = 401;
      res.set_header("WWW-Authenticate", "Basic realm=\"velkor\"");
      res.set_content("who are you?\n", "text/plain");
      return;
    }
    std::string body;
    if (!ReadFile(o, req.matches[1], body)) {
      res.status = 404;
      return;
    }
    res.set_content(body, "application/octet-stream");
  });
  server.Get(R"(/proxy-auth/(.+))", [](const httplib::Request&, httplib::Response& res) {
    res.status = 407;
    res.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
    res.set_content("proxy says no\n", "text/plain");
  });
  server.Get(R"(/cut/(.+))", [&o](const httplib::Request& req, httplib::Response& res) {
    auto body = std::make_shared<std::string>();
    if (!ReadFile(o, req.matches[1], *body)) {
      res.status = 404;
      return;
    }
    ServeBody(res, body, body->size() / 2, false, std::chrono::milliseconds(0), 4096);
  });
  server.Get(R"(/chunked/(.+))", [&o](const httplib::Request& req, httplib::Response& res) {
    auto body = std::make_shared<std::string>();
    if (!ReadFile(o, req.matches[1], *body)) {
      res.status = 404;
      return;
    }
    res.set_chunked_content_provider("application/octet-stream",
                                     [body](std::size_t offset, httplib::DataSink& sink) {
                                       if (offset >= body->size()) {
                                         sink.done();
                                         return true;
                                       }
                                       return sink.write(body->data() + offset,
                                                         std::min<std::size_t>(8192, body->size() - offset));
                                     });
  });
  server.Get(R"(/slow/(.+))", [&o](const httplib::Request& req, httplib::Response& res) {
    auto body = std::make_shared<std::string>();
    if (!ReadFile(o, req.matches[1], *body)) {
      res.status = 404;
      return;
    }
    ServeBody(res, body, body->size(), false, std::chrono::milliseconds(20), 1024);
  });
  server.Get(R"(/held/(.+))", [&o](const httplib::Request& req, httplib::Response& res) {
    auto body = std::make_shared<std::string>();
    if (!ReadFile(o, req.matches[1], *body)) {
      res.status = 404;
      return;
    }
    bool hold = false;
    {
      const std::lock_guard<std::mutex> lock(g_holdLock);
      hold = !g_heldOnce && !g_released;
      g_heldOnce = true;
    }
    ServeBody(res, body, body->size(), hold, std::chrono::milliseconds(0), 65536);
  });
  server.Get("/release", [](const httplib::Request&, httplib::Response& res) {
    {
      const std::lock_guard<std::mutex> lock(g_holdLock);
      g_released = true;
    }
    g_holdChanged.notify_all();
    res.set_content("released\n", "text/plain");
  });
  server.Get("/huge", [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(std::size_t{1} << 50, "application/octet-stream",
                             [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                               static const std::string piece(4096, 'h');
                               if (offset >= (std::size_t{64} << 20)) return false;  // bounded either way
                               std::this_thread::sleep_for(std::chrono::milliseconds(5));
                               return sink.write(piece.data(), piece.size());
                             });
  });
  server.Get("/endless", [](const httplib::Request&, httplib::Response& res) {
    const auto start = std::chrono::steady_clock::now();
    res.set_chunked_content_provider("application/octet-stream", [start](std::size_t, httplib::DataSink& sink) {
      static const std::string piece(65536, 'e');
      // As fast as the client takes it, for a minute at most.
      if (std::chrono::steady_clock::now() - start > std::chrono::minutes(1)) return false;
      return sink.write(piece.data(), piece.size());
    });
  });
}

template <typename Server>
int Serve(Server& server, const Options& o) {
  Routes(server, o);
  server.set_read_timeout(30, 0);
  server.set_write_timeout(30, 0);
  const int port = server.bind_to_any_port(o.host);
  if (port <= 0) {
    std::cerr << "http_test_server: cannot listen on " << o.host << "\n";
    return 1;
  }
  {
    std::ofstream out(o.portFile + ".new");
    out << port << "\n";
  }
  std::rename((o.portFile + ".new").c_str(), o.portFile.c_str());
  return server.listen_after_bind() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--root") o.root = value;
    else if (name == "--port-file") o.portFile = value;
    else if (name == "--log") o.log = value;
    else if (name == "--host") o.host = value;
    else if (name == "--cert") o.cert = value;
    else if (name == "--key") o.key = value;
    else {
      std::cerr << "http_test_server: unknown option " << name << "\n";
      return 2;
    }
  }
  if (o.root.empty() || o.portFile.empty()) {
    std::cerr << "usage: http_test_server --root DIR --port-file FILE [--log FILE] [--host H] [--cert PEM --key PEM]\n";
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  if (!o.log.empty()) g_log.open(o.log, std::ios::app);
  if (!o.cert.empty()) {
    httplib::SSLServer server(o.cert.c_str(), o.key.c_str());
    if (!server.is_valid()) {
      std::cerr << "http_test_server: cannot use the certificate\n";
      return 1;
    }
    return Serve(server, o);
  }
  httplib::Server server;
  return Serve(server, o);
}
