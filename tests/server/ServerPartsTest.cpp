// The server's parts that need no server: its command line, the per-address limit, the routes
// its metrics and log are kept by, and the pipe between the service and a worker.

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../ScratchPath.h"

#include "server/http/Metrics.h"
#include "server/http/RateLimiter.h"
#include "server/http/ServerOptions.h"
#include "server/workers/WorkerPool.h"
#include "server/workers/WorkerProtocol.h"

namespace pelaryn {
namespace {

TEST(ServerParts, TheCommandLine) {
  struct Case {
    std::vector<std::string> Args;
    const char* Error;  // empty when the line is taken
    ServerCommand Command = ServerCommand::Serve;
  };
  const Case cases[] = {
      {{}, ""},
      {{"--listen", "0.0.0.0:9000", "--db", "sqlite:/tmp/b.db", "--workers", "4"}, ""},
      {{"--listen", "[::1]:0", "--allow-origin", "https://a.example", "--allow-origin", "b"}, ""},
      {{"reverify", "--board", "standard", "--remove"}, "", ServerCommand::Reverify},
      {{"remove", "12", "--db", "postgresql://u@h/d"}, "", ServerCommand::Remove},
      {{"worker", "--worker-memory", "64"}, "", ServerCommand::Worker},
      {{"--help"}, "", ServerCommand::Help},
      {{"--listen", "8080"}, "--listen wants HOST:PORT, not 8080"},
      {{"--listen", "::1:8080"}, "--listen wants HOST:PORT, not ::1:8080"},
      {{"--listen", "127.0.0.1:65536"}, "--listen wants HOST:PORT, not 127.0.0.1:65536"},
      {{"--workers", "0"}, "--workers wants 1 to 256"},
      {{"--workers"}, "--workers needs a value"},
      {{"--submissions-per-minute", "-1"}, "--submissions-per-minute wants 0 to 1000000"},
      {{"--worker-memory", "8"}, "--worker-memory wants 16 to 65536 (MB)"},
      {{"--board", "standard"}, "--board does not belong to this command"},
      {{"reverify", "--listen", "127.0.0.1:1"}, "--listen does not belong to this command"},
      {{"remove"}, "remove needs the number of a run"},
      {{"remove", "0"}, "remove wants the number of a run, not 0"},
      {{"remove", "3", "4"}, "unknown argument 4"},
      {{"--verbose"}, "unknown argument --verbose"},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<ServerOptions> options = ParseServerArguments(c.Args, error);
    SCOPED_TRACE(c.Args.empty() ? std::string("(none)") : c.Args[0] + " …");
    EXPECT_EQ(error, c.Error);
    EXPECT_EQ(options.has_value(), std::string(c.Error).empty());
    if (options) {
      EXPECT_EQ(options->Command, c.Command);
    }
  }
  std::string error;
  const auto listen = ParseServerArguments({"--listen", "[::1]:0", "--workers", "3"}, error);
  ASSERT_TRUE(listen);
  EXPECT_EQ(listen->Host, "::1");
  EXPECT_EQ(listen->Port, 0);
  EXPECT_EQ(listen->Workers, 3);
  const auto every = ParseServerArguments({"--listen", ":8081", "--worker-memory", "64"}, error);
  ASSERT_TRUE(every);
  EXPECT_EQ(every->Host, "0.0.0.0");
  EXPECT_EQ(every->WorkerMemory, uint64_t{64} << 20);
  EXPECT_EQ(ParseServerArguments({"remove", "12"}, error)->RunId, 12);
}

TEST(ServerParts, TheLimitCountsEachAddressOverAMinute) {
  using namespace std::chrono_literals;
  RateLimiter limiter(2);
  const auto t0 = RateLimiter::Clock::time_point{} + 1h;
  EXPECT_EQ(limiter.Take("a", t0), 0);
  EXPECT_EQ(limiter.Take("a", t0 + 10s), 0);
  // The third within the minute waits until the first is a minute old.
  EXPECT_EQ(limiter.Take("a", t0 + 20s), 40);
  EXPECT_EQ(limiter.Take("b", t0 + 20s), 0) << "another address has its own count";
  EXPECT_EQ(limiter.Take("a", t0 + 59s + 500ms), 1);
  EXPECT_EQ(limiter.Take("a", t0 + 60s), 0);
  EXPECT_EQ(limiter.Take("a", t0 + 61s), 9) << "a refused one is not counted";
  RateLimiter unlimited(0);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(unlimited.Take("a", t0), 0);
}

TEST(ServerParts, RoutesAreNamedByTheirPattern) {
  const std::pair<const char*, const char*> cases[] = {
      {"/api/v1/runs", "POST /api/v1/runs"},
      {"/api/v1/runs/12", "POST /api/v1/runs/{id}"},
      {"/api/v1/runs/12/replay", "POST /api/v1/runs/{id}/replay"},
      {"/api/v1/boards/start-5-skip-0", "POST /api/v1/boards/{board}"},
      {"/api/v1/boards", "POST /api/v1/boards"},
      {"/metrics", "POST /metrics"},
      {"/api/v1/runs/x", "POST other"},
      {"/api/v1/boards/a/b", "POST other"},
      {"/etc/passwd", "POST other"},
  };
  for (const auto& [path, route] : cases) EXPECT_EQ(RouteOf("POST", path), route) << path;
  Metrics metrics;
  metrics.CountRequest("GET /api/v1/boards/{board}", 200);
  metrics.CountRequest("GET /api/v1/boards/{board}", 200);
  metrics.CountVerification("start", 0.3);
  const std::string text = metrics.Text(3, 1, 2, {{"standard", 7}, {"a\"b", 1}});
  for (const char* line :
       {"pelaryn_http_requests_total{route=\"GET /api/v1/boards/{board}\",status=\"200\"} 2\n",
        "pelaryn_verifications_total{check=\"start\"} 1\n",
        "pelaryn_verification_seconds_bucket{le=\"0.25\"} 0\n",
        "pelaryn_verification_seconds_bucket{le=\"0.5\"} 1\n",
        "pelaryn_verification_queue_length 3\n", "pelaryn_board_runs{board=\"standard\"} 7\n",
        "pelaryn_board_runs{board=\"a\\\"b\"} 1\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

TEST(ServerParts, ThePipeCarriesFramesAndVerdicts) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const auto soon = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::string frame;
  ASSERT_EQ(WriteFrame(ends[1], std::string("\0abc", 4)), PipeStatus::Done);
  ASSERT_EQ(ReadFrame(ends[0], frame, 16, soon), PipeStatus::Done);
  EXPECT_EQ(frame, std::string("\0abc", 4));
  ASSERT_EQ(WriteFrame(ends[1], std::string(17, 'x')), PipeStatus::Done);
  EXPECT_EQ(ReadFrame(ends[0], frame, 16, soon), PipeStatus::TooLong);
  close(ends[0]);
  close(ends[1]);
  // A worker that is gone, and one that says nothing in time.
  ASSERT_EQ(pipe(ends), 0);
  EXPECT_EQ(ReadFrame(ends[0], frame, 16, std::chrono::steady_clock::now()), PipeStatus::TimedOut);
  ASSERT_EQ(WriteFrame(ends[1], "ab"), PipeStatus::Done);
  close(ends[1]);
  EXPECT_EQ(ReadFrame(ends[0], frame, 16, soon), PipeStatus::Done);
  EXPECT_EQ(ReadFrame(ends[0], frame, 16, soon), PipeStatus::Closed);
  close(ends[0]);

  bool wellFormed = false;
  EXPECT_EQ(DecodeSentName(EncodeSentName("名前"), wellFormed), "名前");
  EXPECT_TRUE(wellFormed);
  EXPECT_EQ(DecodeSentName(EncodeSentName(std::nullopt), wellFormed), std::nullopt);
  EXPECT_TRUE(wellFormed);
  DecodeSentName("", wellFormed);
  EXPECT_FALSE(wellFormed);

  SubmissionVerdict verdict;
  verdict.Outcome = SubmissionOutcome::Accepted;
  verdict.Check = SubmissionCheck::Verified;
  verdict.Reason = "verified";
  verdict.Run.Board = "start-5-skip-0";
  verdict.Run.Name = "<b>\"x\"</b> 😀";
  verdict.Run.Score = 123456;
  verdict.Run.Fingerprint = 0xFEDCBA9876543210;
  verdict.Run.StartInputKey = std::string(64, 'a');
  const std::optional<SubmissionVerdict> back = DecodeVerdict(EncodeVerdict(verdict));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Run.Name, verdict.Run.Name);
  EXPECT_EQ(back->Run.Fingerprint, verdict.Run.Fingerprint);
  EXPECT_EQ(back->Run.Score, verdict.Run.Score);
  EXPECT_EQ(back->Run.Board, verdict.Run.Board);
  for (const char* broken : {"", "{}", "[1]", "{\"outcome\": 7, \"check\": 0}", "not json"}) {
    EXPECT_FALSE(DecodeVerdict(broken)) << broken;
  }
}

// Workers that fail in each way a worker can, played by small scripts in the worker's place, and
// the real one: what the pool answers, and how many workers it had to start again.
TEST(ServerParts, ThePoolTellsAReplaysFaultFromAWorkers) {
  const testing::ScratchFolder folder("pool");
  const char* server = std::getenv("PELARYN_SERVER");
  ASSERT_NE(server, nullptr) << "PELARYN_SERVER names the pelaryn-server whose workers to run";
  std::ifstream in(std::string(PELARYN_RECORDED_DIR) + "/game-over.pelrpy", std::ios::binary);
  const std::string replay{std::istreambuf_iterator<char>(in), {}};
  ASSERT_FALSE(replay.empty());
  struct Case {
    const char* Name;
    const char* Script;  // the worker, given "worker" as its argument; empty: the real one
    WorkerFault Fault;
    SubmissionCheck Check;
    uint64_t Restarts;
  };
  const Case cases[] = {
      {"the real worker", "", WorkerFault::None, SubmissionCheck::Verified, 0},
      {"out of CPU time", "kill -PROF $$", WorkerFault::OverTime, SubmissionCheck::Worker, 1},
      {"a crash, twice", "kill -SEGV $$", WorkerFault::Crashed, SubmissionCheck::Worker, 2},
      {"an answer that is none", "head -c 8 >/dev/null; printf '\\004\\0\\0\\0nope'",
       WorkerFault::Crashed, SubmissionCheck::Worker, 2},
      {"no answer at all", "exec sleep 30", WorkerFault::TimedOut, SubmissionCheck::Worker, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    WorkerPoolOptions options;
    options.Program = server;
    if (c.Script[0] != '\0') {
      options.Program = folder.File("worker.sh");
      std::ofstream(options.Program) << "#!/bin/sh\n" << c.Script << "\n";
      chmod(options.Program.c_str(), 0700);
    }
    options.Workers = 1;
    options.Timeout = std::chrono::seconds(2);
    WorkerPool pool(options);
    const std::optional<PoolAnswer> answer = pool.Verify(replay, std::nullopt);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Fault, c.Fault);
    EXPECT_EQ(answer->Verdict.Check, c.Check) << answer->Verdict.Reason;
    EXPECT_EQ(pool.Restarts(), c.Restarts);
  }
  // A queue of one: while the only worker is stopped with one replay, a second waits and a
  // third is turned away.
  WorkerPoolOptions options;
  options.Program = folder.File("slow.sh");
  std::ofstream(options.Program) << "#!/bin/sh\nexec sleep 30\n";
  chmod(options.Program.c_str(), 0700);
  options.Workers = 1;
  options.QueueLimit = 1;
  options.Timeout = std::chrono::seconds(1);
  WorkerPool pool(options);
  auto first = pool.Submit(replay, std::nullopt);
  ASSERT_TRUE(first);
  while (pool.QueueLength() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  auto second = pool.Submit(replay, std::nullopt);
  EXPECT_TRUE(second);
  EXPECT_FALSE(pool.Submit(replay, std::nullopt)) << "the queue is full";
  EXPECT_EQ(first->get().Fault, WorkerFault::TimedOut);
  EXPECT_EQ(second->get().Fault, WorkerFault::TimedOut);
}

}  // namespace
}  // namespace pelaryn
