#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "server/verify/Submission.h"

namespace pelaryn {

struct WorkerPoolOptions {
  // The program that becomes a worker when started as `PROGRAM worker`, with the arguments
  // `WorkerArguments` after it.
  std::string Program;
  std::vector<std::string> WorkerArguments;
  int Workers = 2;
  // Submissions waiting for a worker, beyond those being verified; one more is turned away.
  std::size_t QueueLimit = 32;
  // The longest a verification may take by the clock on the wall, whatever the worker does.
  std::chrono::seconds Timeout{600};
};

// What a worker's death says of the replay it was verifying.
enum class WorkerFault : uint8_t {
  None,
  OverTime,   // it used the CPU time the replay's length allowed (the replay's doing)
  Crashed,    // it died twice on this replay
  TimedOut,   // no answer within the wall-clock timeout
  Unstarted,  // no worker could be started
};

struct PoolAnswer {
  SubmissionVerdict Verdict;
  WorkerFault Fault = WorkerFault::None;
  std::chrono::duration<double> Seconds{};  // from the request's turn to its answer
};

// Verification workers: processes of their own, each playing one replay at a time, fed from one
// bounded queue. A worker that dies or hangs is replaced, and the replay it held is tried once
// more on the new one, unless it used up its CPU time: then it is refused as too slow. Nothing
// that happens in a worker reaches the service but its answer.
class WorkerPool {
 public:
  explicit WorkerPool(WorkerPoolOptions options);
  ~WorkerPool();  // ends the workers once the queue is empty
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // The answer to come, or none when the queue is full.
  std::optional<std::future<PoolAnswer>> Submit(std::string replay,
                                                std::optional<std::string> sentName);
  // Submits and waits; none when the queue is full.
  std::optional<PoolAnswer> Verify(std::string replay, std::optional<std::string> sentName);

  std::size_t QueueLength() const;
  uint64_t Restarts() const { return restarts_; }
  // The process ids of the workers running now, for the tests that make one fail.
  std::vector<pid_t> WorkerIds() const;

 private:
  struct Job {
    std::string Replay;
    std::optional<std::string> SentName;
    std::promise<PoolAnswer> Answer;
  };
  struct Worker {
    pid_t Pid = -1;
    int In = -1;   // the worker's standard input
    int Out = -1;  // its standard output
  };

  void Serve(std::size_t slot);
  bool Start(Worker& worker);
  // Ends the worker; how it ended.
  int Reap(Worker& worker, bool kill);
  PoolAnswer VerifyOn(std::size_t slot, const Job& job);

  WorkerPoolOptions options_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> queue_;
  bool stopping_ = false;
  std::vector<Worker> workers_;  // each touched only by its own thread, but for WorkerIds
  std::vector<std::thread> threads_;
  std::atomic<uint64_t> restarts_{0};
};

}  // namespace pelaryn
