// Drives POST /v1/scan on a running velkor-service with one request body from a
// number of client threads, for a bounded time and number of requests, and
// prints requests per second and the median and 99th-percentile latency.
//   velkor_scan_load HOST PORT REQUEST_FILE [THREADS] [SECONDS] [MAX_REQUESTS]

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: velkor_scan_load HOST PORT REQUEST_FILE [THREADS] [SECONDS] [MAX_REQUESTS]\n";
    return 2;
  }
  const std::string host = argv[1];
  const int port = std::atoi(argv[2]);
  std::ifstream in(argv[3], std::ios::binary);
  const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int threads = argc > 4 ? std::max(1, std::atoi(argv[4])) : 4;
  const double seconds = argc > 5 ? std::atof(argv[5]) : 20.0;
  const long maxRequests = argc > 6 ? std::atol(argv[6]) : 100000;

  using Clock = std::chrono::steady_clock;
  std::atomic<long> issued{0};
  std::atomic<long> failures{0};
  std::mutex mutex;
  std::vector<double> latencies;
  std::size_t answerBytes = 0;
  std::size_t records = 0;

  // One warm-up request, which also shows what the answer holds.
  {
    httplib::Client client(host, port);
    const auto res = client.Post("/v1/scan", body, "text/xml");
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
      httplib::Client client(host, port);
      client.set_keep_alive(true);
      std::vector<double> mine;
      while (Clock::now() < end && issued.fetch_add(1) < maxRequests) {
        const Clock::time_point sent = Clock::now();
        const auto res = client.Post("/v1/scan", body, "text/xml");
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
