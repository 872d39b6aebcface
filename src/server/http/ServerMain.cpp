#include "server/http/ServerMain.h"

#include <httplib.h>
#include <pthread.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>

#include "server/http/BoardService.h"
#include "server/http/ServerOptions.h"
#include "server/verify/BoardRules.h"
#include "server/workers/VerificationWorker.h"
#include "server/workers/WorkerPool.h"

namespace pelaryn {
namespace {

std::unique_ptr<BoardStore> OpenBoard(const ServerOptions& options) {
  std::string location = options.Database;
  if (location.empty()) {
    location = DefaultDatabase();
    std::error_code ignored;  // a folder that cannot be made is reported by the open below
    std::filesystem::create_directories(
        std::filesystem::path(location.substr(std::string_view("sqlite:").size())).parent_path(),
        ignored);
  }
  StoreResult<std::unique_ptr<BoardStore>> store = BoardStore::Open(location);
  if (!store) {
    std::fprintf(stderr, "pelaryn-server: cannot open the board's database: %s\n",
                 store.Error().Message.c_str());
    return nullptr;
  }
  return std::move(store.Value());
}

WorkerPoolOptions PoolOptions(const ServerOptions& options) {
  WorkerPoolOptions pool;
  std::error_code ec;
  pool.Program = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (options.WorkerMemory > 0) {
    pool.WorkerArguments = {"--worker-memory", std::to_string(options.WorkerMemory >> 20)};
  }
  pool.Workers = options.Workers > 0
                     ? options.Workers
                     : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  pool.QueueLimit = options.QueueLimit;
  pool.Timeout = options.VerifyTimeout;
  return pool;
}

int Remove(const ServerOptions& options) {
  const std::unique_ptr<BoardStore> store = OpenBoard(options);
  if (!store) return 1;
  const StoreResult<bool> removed = store->Remove(options.RunId);
  if (!removed) {
    std::fprintf(stderr, "pelaryn-server: %s\n", removed.Error().Message.c_str());
    return 1;
  }
  if (!removed.Value()) {
    std::fprintf(stderr, "pelaryn-server: there is no run %lld\n",
                 static_cast<long long>(options.RunId));
    return 1;
  }
  std::printf("removed run %lld\n", static_cast<long long>(options.RunId));
  return 0;
}

// Whether a run as stored is what its replay makes today.
std::optional<std::string> Differs(const BoardRun& run, const SubmissionVerdict& verdict) {
  if (verdict.Outcome != SubmissionOutcome::Accepted) return verdict.Reason;
  const NewRun& made = verdict.Run;
  if (made.Score != run.Score || made.Combo != run.Combo || made.Ratio != run.Ratio ||
      made.Level != run.Level || made.Frames != run.Frames) {
    return "plays to other figures (score " + std::to_string(made.Score) + ", stored " +
           std::to_string(run.Score) + ")";
  }
  if (made.Fingerprint != run.Fingerprint) return "ends in another state than stored";
  if (made.Board != run.Board) return "belongs on board " + made.Board;
  return std::nullopt;
}

int Reverify(const ServerOptions& options) {
  if (!options.Board.empty() && !IsBoardName(options.Board)) {
    std::fprintf(stderr, "pelaryn-server: no board is named %s\n", options.Board.c_str());
    return 2;
  }
  const std::unique_ptr<BoardStore> store = OpenBoard(options);
  if (!store) return 1;
  WorkerPool pool(PoolOptions(options));
  struct Pending {
    BoardRun Run;
    std::future<PoolAnswer> Answer;
  };
  std::deque<Pending> pending;
  int64_t failing = 0;
  int64_t removed = 0;
  bool storeFailed = false;
  // The oldest answer, reported (and the run removed) once it is in.
  auto settle = [&] {
    Pending next = std::move(pending.front());
    pending.pop_front();
    const PoolAnswer answer = next.Answer.get();
    const std::optional<std::string> why = Differs(next.Run, answer.Verdict);
    if (!why) return;
    ++failing;
    const BoardRun& run = next.Run;
    std::printf("run %lld (%s, %s, %d): %s\n", static_cast<long long>(run.Id), run.Board.c_str(),
                run.Name.c_str(), run.Score, why->c_str());
    if (!options.RemoveFailing) return;
    if (const StoreResult<bool> gone = store->Remove(run.Id); gone && gone.Value()) {
      ++removed;
    } else if (!gone) {
      std::fprintf(stderr, "pelaryn-server: cannot remove run %lld: %s\n",
                   static_cast<long long>(run.Id), gone.Error().Message.c_str());
      storeFailed = true;
    }
  };
  const StoreResult<int64_t> seen =
      store->ForEachRun(options.Board, [&](const BoardRun& run, const std::string& replay) {
        // Keeps every worker busy without queueing the whole board.
        std::optional<std::future<PoolAnswer>> answer;
        while (!(answer = pool.Submit(replay, run.Name))) settle();
        pending.push_back(Pending{run, std::move(*answer)});
        return true;
      });
  while (!pending.empty()) settle();
  if (!seen) {
    std::fprintf(stderr, "pelaryn-server: %s\n", seen.Error().Message.c_str());
    return 1;
  }
  std::printf("reverified %lld run%s: %lld reproduce, %lld do not%s\n",
              static_cast<long long>(seen.Value()), seen.Value() == 1 ? "" : "s",
              static_cast<long long>(seen.Value() - failing), static_cast<long long>(failing),
              options.RemoveFailing ? (", " + std::to_string(removed) + " removed").c_str() : "");
  return failing > 0 || storeFailed ? 1 : 0;
}

int Serve(const ServerOptions& options) {
  // SIGTERM and SIGINT are taken by one thread, which stops the service; every other thread,
  // made after this, has them blocked.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  const std::unique_ptr<BoardStore> store = OpenBoard(options);
  if (!store) return 1;
  WorkerPool pool(PoolOptions(options));
  BoardService service(*store, pool, options);
  httplib::Server server;
  // Request threads mostly wait for a worker's verdict: enough of them that reading the
  // board never waits behind submissions.
  const std::size_t threads = std::max<std::size_t>(16, options.QueueLimit + 8);
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  service.Mount(server);

  int port = options.Port;
  const bool bound = port == 0 ? (port = server.bind_to_any_port(options.Host)) > 0
                               : server.bind_to_port(options.Host, port);
  if (!bound) {
    std::fprintf(stderr, "pelaryn-server: cannot listen on %s:%d\n", options.Host.c_str(),
                 options.Port);
    return 1;
  }
  const bool v6 = options.Host.find(':') != std::string::npos;
  std::printf("pelaryn-server: listening on http://%s%s%s:%d\n", v6 ? "[" : "",
              options.Host.c_str(), v6 ? "]" : "", port);
  std::fflush(stdout);

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  });
  const bool listened = server.listen_after_bind();
  if (stopper.joinable()) {
    // The service ended by itself: the stopper is freed by a signal of our own.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
  }
  std::fprintf(stderr, "pelaryn-server: stopped\n");
  return listened ? 0 : 1;
}

}  // namespace

int ServerMain(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<ServerOptions> options = ParseServerArguments(args, error);
  if (!options) {
    std::fprintf(stderr, "pelaryn-server: %s\n%s", error.c_str(), ServerUsage);
    return 2;
  }
  switch (options->Command) {
    case ServerCommand::Help:
      std::fputs(ServerUsage, stdout);
      return 0;
    case ServerCommand::Worker:
      return RunVerificationWorker(options->WorkerMemory > 0 ? options->WorkerMemory
                                                             : DefaultWorkerMemory);
    case ServerCommand::Remove:
      return Remove(*options);
    case ServerCommand::Reverify:
      return Reverify(*options);
    case ServerCommand::Serve:
      return Serve(*options);
  }
  return 2;
}

}  // namespace pelaryn
