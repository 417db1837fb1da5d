// Drives POST /v1/scan on a running velkor-service with one request body from a
// number of client threads (each with one kept-alive connection), for a bounded
// time and number of requests, and prints requests per second and the median
// and 99th-percentile latency.
//   velkor_scan_load BASE_URL REQUEST_FILE [THREADS] [SECONDS] [MAX_REQUESTS] [CA_FILE]
// BASE_URL is http://HOST:PORT or https://HOST:PORT (then CA_FILE is the
// authority its certificate is checked against).

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: velkor_scan_load BASE_URL REQUEST_FILE [THREADS] [SECONDS] [MAX_REQUESTS] [CA_FILE]\n";
    return 2;
  }
  const std::string base = argv[1];
  std::ifstream in(argv[2], std::ios::binary);
  const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int threads = argc > 3 ? std::max(1, std::atoi(argv[3])) : 4;
  const double seconds = argc > 4 ? std::atof(argv[4]) : 20.0;
  const long maxRequests = argc > 5 ? std::atol(argv[5]) : 100000;
  const std::string ca = argc > 6 ? argv[6] : "";
  auto connect = [&] {
    auto client = std::make_unique<httplib::Client>(base);
    if (!ca.empty()) client->set_ca_cert_path(ca.c_str());
    client->set_keep_alive(true);
    // The head and the body go out as two writes: without this the body waits
    // for the acknowledgement of the head (Nagle against delayed ACK, 40 ms).
    client->set_tcp_nodelay(true);
    client->set_read_timeout(30, 0);
    return client;
  };

  using Clock = std::chrono::steady_clock;
  std::atomic<long> issued{0};
  std::atomic<long> failures{0};
  std::mutex mutex;
  std::vector<double> latencies;
  std::size_t answerBytes = 0;
  std::size_t records = 0;

  // One warm-up request, which also shows what the answer holds.
  {
    const auto client = connect();
    const auto res = client->Post("/v1/scan", body, "text/xml");
    if (!res || res->status != 200) {
      std::cerr << "the service does not answer the scan request\n";
      return 1;
    }
    answerBytes = res->body.size();
    for (std::size_t at = 0; (at = res->body.find("<Table>", at)) != std::string::npos; ++at) ++records;
  }

  const Clock::time_point start = Clock::now();
  const Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(seconds));
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      const auto client = connect();
      std::vector<double> mine;
      while (Clock::now() < end && issued.fetch_add(1) < maxRequests) {
        const Clock::time_point sent = Clock::now();
        const auto res = client->Post("/v1/scan", body, "text/xml");
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        if (!res || res->status != 200) ++failures;
        else mine.push_back(ms);
      }
      std::lock_guard<std::mutex> lock(mutex);
      latencies.insert(latencies.end(), mine.begin(), mine.end());
    });
  }
  for (std::thread& worker : workers) worker.join();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

  std::sort(latencies.begin(), latencies.end());
  auto percentile = [&](double p) {
    if (latencies.empty()) return 0.0;
    const std::size_t index = std::min(latencies.size() - 1, static_cast<std::size_t>(p * latencies.size()));
    return latencies[index];
  };
  std::printf("scan request: %zu bytes, 60 devices; answer: %zu bytes, %zu records\n", body.size(),
              answerBytes, records);
  std::printf("requests: %zu ok, %ld failed, %d client threads, %.1f s\n", latencies.size(),
              failures.load(), threads, elapsed);
  std::printf("requests per second: %.1f\n", latencies.size() / elapsed);
  std::printf("latency median: %.2f ms, 99th percentile: %.2f ms\n", percentile(0.5), percentile(0.99));
  return failures.load() == 0 ? 0 : 1;
}
