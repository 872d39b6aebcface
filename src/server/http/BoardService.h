#pragma once

#include <httplib.h>

#include <functional>
#include <string>

#include "server/http/Metrics.h"
#include "server/http/RateLimiter.h"
#include "server/http/ServerOptions.h"
#include "server/storage/BoardStore.h"
#include "server/workers/WorkerPool.h"

namespace pelaryn {

// The board's HTTP API, version 1, over a store and a pool of verification workers: runs
// submitted as replays, ranked only once a worker has played them; the boards, their pages,
// each run and its replay; health and metrics. Every answer is JSON but the replay and the
// metrics, every error {"error": "…"}. A request thread never plays a game: it waits for a
// worker's verdict.
class BoardService {
 public:
  BoardService(BoardStore& store, WorkerPool& pool, const ServerOptions& options);

  // Puts the routes, the CORS headers, the error bodies, the metrics and the request log on
  // `server`.
  void Mount(httplib::Server& server);

  // Where the request log goes, a JSON object a line; standard error unless set.
  std::function<void(const std::string& line)> Log;
  // The clock runs are stamped with, in Unix seconds.
  std::function<int64_t()> Now;

 private:
  void PostRun(const httplib::Request& request, httplib::Response& response,
               const std::string& body);
  void GetBoards(const httplib::Request& request, httplib::Response& response);
  void GetBoard(const httplib::Request& request, httplib::Response& response);
  void GetRun(const httplib::Request& request, httplib::Response& response);
  void GetReplay(const httplib::Request& request, httplib::Response& response);
  void GetHealth(const httplib::Request& request, httplib::Response& response);
  void GetMetrics(const httplib::Request& request, httplib::Response& response);
  void AddCors(const httplib::Request& request, httplib::Response& response) const;
  std::string ClientAddress(const httplib::Request& request) const;
  void Write(const httplib::Request& request, const httplib::Response& response);

  BoardStore& store_;
  WorkerPool& pool_;
  const ServerOptions& options_;
  RateLimiter limiter_;
  Metrics metrics_;
};

}  // namespace pelaryn
