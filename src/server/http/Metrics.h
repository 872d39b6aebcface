#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace pelaryn {

// What the service counts for Prometheus: requests by route and status, verifications by
// outcome and how long they took. Safe to share between threads.
class Metrics {
 public:
  void CountRequest(const std::string& route, int status);
  void CountVerification(const std::string& check, double seconds);

  // Prometheus' text format, with the gauges the caller measures at the scrape: the queue, the
  // workers, and the runs of each board.
  std::string Text(std::size_t queueLength, uint64_t workerRestarts, int workers,
                   const std::vector<std::pair<std::string, int64_t>>& boardRuns) const;

  // Upper bounds of the verification time histogram, in seconds.
  static constexpr std::array<double, 8> Buckets{0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, int>, uint64_t> requests_;
  std::map<std::string, uint64_t> verifications_;
  std::array<uint64_t, Buckets.size()> bucketCounts_{};
  uint64_t verifyCount_ = 0;
  double verifySeconds_ = 0;
};

// The route a path belongs to, as the metrics and the log name it: "/api/v1/runs/{id}" for
// "/api/v1/runs/12", so that what a client puts in a path cannot make new series.
std::string RouteOf(const std::string& method, const std::string& path);

}  // namespace pelaryn
