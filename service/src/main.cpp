// velkor-service: the update service. "import" brings the catalog in line with
// the packages folder; "serve" answers the client's HTTP requests until SIGINT
// or SIGTERM; "keygen" makes a key pair for signing answers.

#include <csignal>
#include <iostream>
#include <thread>

#include "answer_signing.hpp"
#include "catalog_import.hpp"
#include "command_line.hpp"
#include "http_server.hpp"

namespace {

using namespace velkor::service;

int RunImport(const ServiceOptions& options) {
  std::string error;
  std::unique_ptr<CatalogStore> store = CatalogStore::Open(options.catalogPath, error);
  if (!store) {
    std::cerr << "velkor-service: cannot open catalog " << options.catalogPath << ": " << error << "\n";
    return 1;
  }
  const ImportSummary summary = ImportCatalog(*store, options.packagesDir, std::cout);
  std::cout << "import: " << summary.added << " added, " << summary.updated << " updated, "
            << summary.unchanged << " unchanged, " << summary.removed << " removed, "
            << summary.failed << " failed; generation " << store->Generation().value_or(-1) << "\n";
  return summary.failed == 0 ? 0 : 1;
}

int RunKeygen(const CommandLine& line) {
  std::string error;
  const std::optional<std::string> keyId = GenerateKeyPair(line.privateKeyPath, line.publicKeyPath, error);
  if (!keyId) {
    std::cerr << "velkor-service: " << error << "\n";
    return 1;
  }
  std::cout << "key id " << *keyId << "\n";
  return 0;
}

int RunServe(const ServiceOptions& options) {
  // Signals are taken by a watcher thread, not by a handler: stopping the
  // server is not something a signal handler may do.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  UpdateService service(options);
  std::string error;
  if (!service.Bind(error)) {
    std::cerr << "velkor-service: " << error << "\n";
    return 1;
  }
  std::cout << "velkor-service: listening on " << options.host;
  if (options.host.rfind("unix:", 0) != 0) std::cout << ':' << service.Port();
  std::cout << ", public URL " << service.PublicUrl() << std::endl;
  std::thread watcher([&service, signals] {
    int received = 0;
    sigwait(&signals, &received);
    service.Stop();
  });
  const bool ok = service.Run();
  // Run ends only through Stop, or when listening failed; wake the watcher.
  pthread_kill(watcher.native_handle(), SIGTERM);
  watcher.join();
  std::cout << "velkor-service: stopped" << std::endl;
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(args, line, error)) {
    std::cerr << "velkor-service: " << error << "\n" << kUsage;
    return 2;
  }
  if (line.verb == "keygen") return RunKeygen(line);
  return line.verb == "import" ? RunImport(line.options) : RunServe(line.options);
}
