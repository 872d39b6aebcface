#include "server/http/Metrics.h"

#include <regex>
#include <sstream>

namespace pelaryn {
namespace {

// Prometheus' label values are quoted with \, " and line ends escaped.
std::string Label(const std::string& value) {
  std::string out;
  for (const char c : value) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace

void Metrics::CountRequest(const std::string& route, int status) {
  std::lock_guard lock(mutex_);
  ++requests_[{route, status}];
}

void Metrics::CountVerification(const std::string& check, double seconds) {
  std::lock_guard lock(mutex_);
  ++verifications_[check];
  ++verifyCount_;
  verifySeconds_ += seconds;
  for (std::size_t i = 0; i < Buckets.size(); ++i) {
    if (seconds <= Buckets[i]) ++bucketCounts_[i];
  }
}

std::string Metrics::Text(std::size_t queueLength, uint64_t workerRestarts, int workers,
                          const std::vector<std::pair<std::string, int64_t>>& boardRuns) const {
  std::ostringstream out;
  std::lock_guard lock(mutex_);
  out << "# HELP pelaryn_http_requests_total Requests answered, by route and status.\n"
         "# TYPE pelaryn_http_requests_total counter\n";
  for (const auto& [key, count] : requests_) {
    out << "pelaryn_http_requests_total{route=\"" << Label(key.first) << "\",status=\""
        << key.second << "\"} " << count << '\n';
  }
  out << "# HELP pelaryn_verifications_total Replays verified, by the check that decided.\n"
         "# TYPE pelaryn_verifications_total counter\n";
  for (const auto& [check, count] : verifications_) {
    out << "pelaryn_verifications_total{check=\"" << Label(check) << "\"} " << count << '\n';
  }
  out << "# HELP pelaryn_verification_seconds Time from a replay's turn to its verdict.\n"
         "# TYPE pelaryn_verification_seconds histogram\n";
  for (std::size_t i = 0; i < Buckets.size(); ++i) {
    out << "pelaryn_verification_seconds_bucket{le=\"" << Buckets[i] << "\"} " << bucketCounts_[i]
        << '\n';
  }
  out << "pelaryn_verification_seconds_bucket{le=\"+Inf\"} " << verifyCount_ << '\n'
      << "pelaryn_verification_seconds_sum " << verifySeconds_ << '\n'
      << "pelaryn_verification_seconds_count " << verifyCount_ << '\n';
  out << "# HELP pelaryn_verification_queue_length Submissions waiting for a worker.\n"
         "# TYPE pelaryn_verification_queue_length gauge\n"
      << "pelaryn_verification_queue_length " << queueLength << '\n'
      << "# HELP pelaryn_workers Verification worker processes.\n"
         "# TYPE pelaryn_workers gauge\n"
      << "pelaryn_workers " << workers << '\n'
      << "# HELP pelaryn_worker_restarts_total Workers replaced after a failure.\n"
         "# TYPE pelaryn_worker_restarts_total counter\n"
      << "pelaryn_worker_restarts_total " << workerRestarts << '\n'
      << "# HELP pelaryn_board_runs Runs on each board.\n"
         "# TYPE pelaryn_board_runs gauge\n";
  for (const auto& [board, runs] : boardRuns) {
    out << "pelaryn_board_runs{board=\"" << Label(board) << "\"} " << runs << '\n';
  }
  return out.str();
}

std::string RouteOf(const std::string& method, const std::string& path) {
  static const std::regex runPath("/api/v1/runs/[0-9]+");
  static const std::regex replayPath("/api/v1/runs/[0-9]+/replay");
  static const std::regex boardPath("/api/v1/boards/[^/]+");
  std::string route = "other";
  if (path == "/api/v1/runs" || path == "/api/v1/boards" || path == "/api/v1/health" ||
      path == "/metrics") {
    route = path;
  } else if (std::regex_match(path, replayPath)) {
    route = "/api/v1/runs/{id}/replay";
  } else if (std::regex_match(path, runPath)) {
    route = "/api/v1/runs/{id}";
  } else if (std::regex_match(path, boardPath)) {
    route = "/api/v1/boards/{board}";
  }
  return method + " " + route;
}

}  // namespace pelaryn
