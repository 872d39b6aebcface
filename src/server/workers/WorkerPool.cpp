#include "server/workers/WorkerPool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

#include "server/workers/WorkerProtocol.h"

namespace pelaryn {
namespace {

SubmissionVerdict WorkerRefusal(std::string reason) {
  SubmissionVerdict verdict;
  verdict.Outcome = SubmissionOutcome::Refused;
  verdict.Check = SubmissionCheck::Worker;
  verdict.Reason = std::move(reason);
  return verdict;
}

}  // namespace

WorkerPool::WorkerPool(WorkerPoolOptions options) : options_(std::move(options)) {
  // A worker that has gone must not end the service when it is written to.
  std::signal(SIGPIPE, SIG_IGN);
  const std::size_t count = static_cast<std::size_t>(std::max(1, options_.Workers));
  workers_.resize(count);
  for (std::size_t slot = 0; slot < count; ++slot)
    threads_.emplace_back([this, slot] { Serve(slot); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

std::optional<std::future<PoolAnswer>> WorkerPool::Submit(std::string replay,
                                                          std::optional<std::string> sentName) {
  std::future<PoolAnswer> answer;
  {
    std::lock_guard lock(mutex_);
    if (queue_.size() >= options_.QueueLimit || stopping_) return std::nullopt;
    queue_.push_back(Job{std::move(replay), std::move(sentName), {}});
    answer = queue_.back().Answer.get_future();
  }
  wake_.notify_one();
  return answer;
}

std::optional<PoolAnswer> WorkerPool::Verify(std::string replay,
                                             std::optional<std::string> sentName) {
  std::optional<std::future<PoolAnswer>> answer = Submit(std::move(replay), std::move(sentName));
  if (!answer) return std::nullopt;
  return answer->get();
}

std::size_t WorkerPool::QueueLength() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::vector<pid_t> WorkerPool::WorkerIds() const {
  std::lock_guard lock(mutex_);
  std::vector<pid_t> ids;
  for (const Worker& worker : workers_) {
    if (worker.Pid > 0) ids.push_back(worker.Pid);
  }
  return ids;
}

void WorkerPool::Serve(std::size_t slot) {
  // Started before the first replay arrives, so that the first one waits for nobody.
  Start(workers_[slot]);
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) break;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    const auto start = std::chrono::steady_clock::now();
    PoolAnswer answer = VerifyOn(slot, job);
    answer.Seconds = std::chrono::steady_clock::now() - start;
    job.Answer.set_value(std::move(answer));
  }
  if (workers_[slot].Pid > 0) Reap(workers_[slot], false);
}

PoolAnswer WorkerPool::VerifyOn(std::size_t slot, const Job& job) {
  Worker& worker = workers_[slot];
  PoolAnswer answer;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (worker.Pid <= 0 && !Start(worker)) {
      answer.Fault = WorkerFault::Unstarted;
      answer.Verdict = WorkerRefusal("no verification worker could be started");
      return answer;
    }
    const auto deadline = std::chrono::steady_clock::now() + options_.Timeout;
    std::string reply;
    PipeStatus status = WriteFrame(worker.In, EncodeSentName(job.SentName));
    if (status == PipeStatus::Done) status = WriteFrame(worker.In, job.Replay);
    if (status == PipeStatus::Done)
      status = ReadFrame(worker.Out, reply, MaxVerdictBytes, deadline);
    if (status == PipeStatus::Done) {
      if (std::optional<SubmissionVerdict> verdict = DecodeVerdict(reply)) {
        answer.Verdict = std::move(*verdict);
        return answer;
      }
    }
    // Whatever went wrong, this worker is done with; how it ended says whose fault it was.
    const bool hung = status == PipeStatus::TimedOut;
    const int how = Reap(worker, true);
    ++restarts_;
    if (hung) {
      answer.Fault = WorkerFault::TimedOut;
      answer.Verdict = WorkerRefusal("the verification did not finish in time");
      return answer;
    }
    if (WIFSIGNALED(how) && WTERMSIG(how) == SIGPROF) {
      answer.Fault = WorkerFault::OverTime;
      answer.Verdict = WorkerRefusal("the replay took longer to play than the frames it claims");
      return answer;
    }
  }
  answer.Fault = WorkerFault::Crashed;
  answer.Verdict = WorkerRefusal("the verification failed twice on this replay");
  return answer;
}

bool WorkerPool::Start(Worker& worker) {
  int toWorker[2];
  int fromWorker[2];
  if (pipe2(toWorker, O_CLOEXEC) != 0) return false;
  if (pipe2(fromWorker, O_CLOEXEC) != 0) {
    close(toWorker[0]), close(toWorker[1]);
    return false;
  }
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, toWorker[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&files, fromWorker[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A group of its own, so that Ctrl-C at the service's terminal reaches only the service, which
  // finishes what the workers are doing before it ends; a mask and handlers of their own.
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGINT);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  std::vector<std::string> args{options_.Program, "worker"};
  args.insert(args.end(), options_.WorkerArguments.begin(), options_.WorkerArguments.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int failed =
      posix_spawn(&pid, options_.Program.c_str(), &files, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  close(toWorker[0]);
  close(fromWorker[1]);
  if (failed != 0) {
    close(toWorker[1]);
    close(fromWorker[0]);
    std::fprintf(stderr, "pelaryn-server: cannot start a worker: %s\n", strerror(failed));
    return false;
  }
  std::lock_guard lock(mutex_);
  worker = Worker{pid, toWorker[1], fromWorker[0]};
  return true;
}

int WorkerPool::Reap(Worker& worker, bool kill) {
  close(worker.In);
  close(worker.Out);
  // Its input closed, a worker that is well ends by itself; one that is not is ended.
  if (kill) ::kill(worker.Pid, SIGKILL);
  int how = 0;
  while (waitpid(worker.Pid, &how, 0) < 0 && errno == EINTR) {
  }
  std::lock_guard lock(mutex_);
  worker = Worker{};
  return how;
}

}  // namespace pelaryn
